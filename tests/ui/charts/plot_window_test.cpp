// A chart read as RF software is read: hover read-out, markers, zoom, copied data, dB or linear
// magnitude, points beyond the axis marked at the edge, caption, result slot and saved images.

#include "recorded_text.h"
#include "result_fixture.h"
#include "support/temp_dir.h"
#include "ui/charts/chart_view.h"
#include "ui/charts/plot_window.h"

#include "engine/uncertainty.h"

#include <QChart>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QImage>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QValueAxis>

#include <cmath>
#include <memory>
#include <optional>

using namespace tolvane;

class PlotWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QMdiArea> area_;
    PlotWindow* window_ = nullptr;

    // A reflection magnitude chart of the fixture: 3 frequencies, 11 DUT values, -20 to 0 dB.
    static ChartContent FixtureContent() {
        UncertaintyInfo* result = CreateUncertaintyInfo();
        ChartContent content;
        if (!testing::FillFixtureResult(result, 3, 11, kUncertaintyReflection) ||
            !ReadDutValueChart(result, kPlotReflectionMagnitude, QString(), &content))
            qFatal("no fixture chart");
        (void)DestroyUncertaintyInfo(result);
        return content;
    }
    void show(const ChartContent& content) {
        area_ = std::make_unique<QMdiArea>();
        area_->resize(800, 600);
        window_ = new PlotWindow(content, nullptr);
        area_->addSubWindow(window_);
        area_->show();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(area_.get()));
        QCoreApplication::processEvents();
    }
    // Where point `index` of drawn curve `curve` lies in the view.
    QPoint viewPosition(int curve, int index) const {
        auto* series = static_cast<QLineSeries*>(window_->chart()->series()[curve]);
        const QPointF inChart = window_->chart()->mapToPosition(series->at(index), series);
        return window_->view()->mapFromScene(window_->chart()->mapToScene(inChart));
    }
    QWidget* viewport() const { return window_->view()->viewport(); }
    QValueAxis* xAxis() const {
        return static_cast<QValueAxis*>(window_->chart()->axes(Qt::Horizontal)[0]);
    }

private Q_SLOTS:
    void cleanup() { area_.reset(); }

    void hoverReadsTheNearestPointAndAClickMarksIt() {
        show(FixtureContent());
        const QPoint at = viewPosition(1, 5);
        QTest::mouseMove(viewport(), at + QPoint(3, 2));
        const ChartPoint expected = DescribePoint(window_->content(), 1, 5, false);
        QCOMPARE(window_->hoverText(), PointReadout(expected));
        QVERIFY(window_->hoverText().startsWith(QStringLiteral("2.000000 GHz, S11 -10.00 dB: ")));

        QList<ChartPoint> placed;
        connect(window_, &PlotWindow::markerAdded, this,
                [&placed](const ChartPoint& point) { placed << point; });
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPosition(2, 0));
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at); // a marked point stays marked once
        QCOMPARE(window_->markers().size(), 2);
        QCOMPARE(placed.size(), 2);
        QCOMPARE(placed[0].frequencyIndex, 1);
        QCOMPARE(placed[0].dutIndex, 5);
        QCOMPARE(window_->markerTexts()[0], QStringLiteral("M1  ") + PointReadout(expected));

        // The menu over a marker offers its removal and lets others add actions on its point.
        ChartPoint asked;
        connect(window_, &PlotWindow::markerMenuRequested, this,
                [&asked](const ChartPoint& point, QMenu* menu) {
                    asked = point;
                    menu->addAction(QStringLiteral("Budget..."));
                });
        std::unique_ptr<QMenu> menu(window_->createMenu(at));
        QCOMPARE(asked.dutIndex, 5);
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text();
        QVERIFY(texts.contains(QStringLiteral("Remove Marker M1")));
        QVERIFY(texts.contains(QStringLiteral("Budget...")));
        window_->removeMarker(1);
        QCOMPARE(window_->markerTexts().size(), 1);
        QVERIFY(window_->markerTexts()[0].startsWith(QStringLiteral("M1  3.000000 GHz")));
        window_->removeAllMarkers();
        QVERIFY(window_->markers().isEmpty());
    }

    // A curve of 1001 points is drawn through far fewer; the hover, a marker and the copied data
    // still read every point, and a zoom draws the detail of the view.
    void thinnedCurveIsReadAtFullResolution() {
        ChartContent content = FixtureContent();
        ChartCurve& curve = content.curves[0];
        curve.points.clear();
        curve.linearY.clear();
        for (int j = 0; j <= 1000; ++j) {
            curve.points.append(QPointF(-0.02 * j, 0.01 + 1e-4 * j + 0.02 * std::sin(j / 30.0)));
            curve.linearY.append(0.001 * (j + 1));
        }
        content.curves.resize(1);
        content.xMin = -20.0;
        show(content);
        auto* series = static_cast<QLineSeries*>(window_->chart()->series()[0]);
        const qsizetype drawn = series->count();
        QVERIFY(drawn < 500);
        int dropped = 1;
        while (series->points().contains(curve.points[dropped]))
            ++dropped;

        const QPointF inChart = window_->chart()->mapToPosition(curve.points[dropped], series);
        const QPoint at = window_->view()->mapFromScene(window_->chart()->mapToScene(inChart));
        const std::optional<ChartPoint> near = window_->pointNear(at);
        QVERIFY(near.has_value());
        QCOMPARE(near->dutIndex, dropped);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(window_->markers().size(), 1);
        QCOMPARE(window_->markers()[0].uncertainty, curve.points[dropped].y());
        window_->copyData();
        QCOMPARE(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), 1002);

        window_->zoomAbout(at, 8.0);
        QVERIFY(series->count() > drawn);
    }

    void zoomByDragAndWheelAndReset() {
        show(FixtureContent());
        const double fullWidth = xAxis()->max() - xAxis()->min();
        const QPoint from = viewPosition(0, 2);
        const QPoint to = viewPosition(0, 6);
        QTest::mousePress(viewport(), Qt::LeftButton, {}, from + QPoint(0, -40));
        QTest::mouseMove(viewport(), to + QPoint(0, 20));
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, to + QPoint(0, 20));
        QVERIFY(window_->markers().isEmpty());         // a drag is no click
        QVERIFY(qAbs(xAxis()->min() - (-12.0)) < 0.5); // points 2 and 6: -4 and -12 dB
        QVERIFY(qAbs(xAxis()->max() - (-4.0)) < 0.5);

        window_->resetZoom();
        QCOMPARE(xAxis()->max() - xAxis()->min(), fullWidth);
        window_->zoomAbout(viewPosition(1, 5), 2.0);
        QVERIFY(qAbs((xAxis()->max() - xAxis()->min()) - fullWidth / 2) < 1e-6);
        window_->resetZoom();
        QCOMPARE(xAxis()->min(), -20.0);
    }

    void copiesTheDataAsShownInDbOrLinear() {
        show(FixtureContent());
        auto* yAxis = static_cast<QLogValueAxis*>(window_->chart()->axes(Qt::Vertical)[0]);
        window_->copyData();
        QCOMPARE(QGuiApplication::clipboard()->text(), ChartDataText(window_->content(), false));
        window_->addMarker(0, 10);
        window_->setLinearMagnitude(true);
        QCOMPARE(yAxis->titleText(), QStringLiteral("Uncertainty (linear)"));
        auto* series = static_cast<QLineSeries*>(window_->chart()->series()[0]);
        QCOMPARE(series->at(10).y(), window_->content().curves[0].linearY[10]);
        QVERIFY(!window_->markerTexts()[0].endsWith(QStringLiteral(" dB")));
        window_->copyData();
        QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("(linear)")));
        window_->setLinearMagnitude(false);
        QCOMPARE(yAxis->titleText(), QStringLiteral("Uncertainty (dB)"));
        QCOMPARE(yAxis->max(), 10.0);
    }

    // Uncertainties above the axis cap of 10 dB are marked at the top edge; the caption and the
    // slot of a kept result are shown; a PNG is the 8 x 6 inch page at 300 dpi.
    void edgeMarksCaptionSlotAndImage() {
        ChartContent content = FixtureContent();
        content.curves[2].points[10].setY(25.0);
        content.curves[2].points[9].setY(12.0);
        content.caption = QStringLiteral("VNA 26.5 GHz | Kit | computed 2026-12-08 09:00");
        content.resultSlot = 2;
        content.namesResultSlot = true;
        show(content);
        QCOMPARE(window_->edgeMarkCount(), 2);
        QVERIFY(window_->chart()->title().contains(QStringLiteral("(Result 3)")));
        QCOMPARE(window_->windowTitle(),
                 QStringLiteral("Reflection Magnitude Uncertainty (Result 3)"));
        QCOMPARE(window_->captionItem()->toPlainText(), content.caption);

        testing::TempDir dir;
        const QString path = QString::fromStdString(dir.file("chart.png"));
        QVERIFY(window_->saveImage(path));
        const QImage image(path);
        QCOMPARE(image.size(), QSize(2400, 1800));
        QCOMPARE(qRound(image.dotsPerMeterX() * 0.0254), 300);
    }

    // In a narrow tiled window the caption wraps inside the chart, under the plot; a printed
    // page carries it whole.
    void captionWrapsInANarrowWindowAndIsWholeOnPaper() {
        ChartContent content = FixtureContent();
        content.caption = QStringLiteral(
            "VNA Model 8510 50 GHz | cal kit 85052B 3.5 mm | cables Port 1 cable, Port 2 cable | "
            "port power -10 dBm | IF bandwidth 10 Hz | averaging 1 | k = 2 | computed 2026-12-08 "
            "09:00");
        show(content);
        window_->resize(260, 400);
        QCoreApplication::processEvents();
        const QGraphicsTextItem* caption = window_->captionItem();
        const QRectF shown = caption->mapRectToParent(caption->boundingRect());
        const QRectF chart(QPointF(0, 0), window_->chart()->size());
        QVERIFY(shown.height() > 2.5 * QFontMetricsF(caption->font()).height()); // wrapped
        QVERIFY(chart.contains(shown));
        QVERIFY(shown.top() > window_->chart()->plotArea().bottom());

        testing::TextRecorder page(768, 576);
        QPainter painter(&page);
        window_->renderChart(&painter, QRectF(0, 0, 768, 576));
        painter.end();
        QVERIFY(
            page.joinedWithoutSpaces().contains(QString(content.caption).remove(QLatin1Char(' '))));
        for (const auto& [baseline, text] : page.texts())
            QVERIFY2(QRectF(0, 0, 768.5, 576).contains(baseline.p1()) &&
                         QRectF(0, 0, 768.5, 576).contains(baseline.p2()),
                     qPrintable(text));
        // The window is as it was.
        QCOMPARE(caption->mapRectToParent(caption->boundingRect()), shown);
    }
};

QTEST_MAIN(PlotWindowTest)
#include "plot_window_test.moc"
