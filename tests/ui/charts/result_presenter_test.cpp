// Charts, result slots and the routes by which charts close.

#include "result_fixture.h"
#include "support/temp_dir.h"
#include "ui/charts/plot_window.h"
#include "ui/charts/result_presenter.h"
#include "ui/charts/user_dut_results_dialog.h"
#include "ui/main_window.h"

#include "engine/plot_info.h"
#include "engine/program_state.h"
#include "engine/uncertainty.h"

#include <QChart>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QListWidget>
#include <QMdiArea>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <cmath>
#include <memory>

using namespace tolvane;

class ResultPresenterTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::TempDir> dir_;
    std::unique_ptr<MainWindow> window_;

    ResultPresenter* presenter() const { return window_->presenter(); }
    static ProgramState& state() { return GlobalProgramState(); }
    static int plotCount() { return GetInfoListCount(state().plots); }
    static bool fillCurrentSlot(int nF, int nD, int type) {
        return testing::FillFixtureResult(CurrentResult(), nF, nD, type);
    }
    // One reflection computation into the current slot, shown as its two charts.
    bool computeReflection() {
        presenter()->prepareComputation();
        if (!fillCurrentSlot(3, 11, kUncertaintyReflection)) return false;
        presenter()->presentResults(ResultDisplay::Reflection, nullptr);
        return true;
    }

private Q_SLOTS:
    void init() {
        ProgramState& s = state();
        s.plots = CreateInfoList();
        for (UncertaintyInfo*& slot : s.results)
            slot = CreateUncertaintyInfo();
        ResetResultSlots();
        s.plotSubtitle = "VNA-20 / K35";
        dir_ = std::make_unique<testing::TempDir>();
        window_ = std::make_unique<MainWindow>(QString::fromStdString(dir_->file("pref.txt")));
        window_->resize(1200, 900);
        window_->show();
    }
    void cleanup() {
        window_.reset();
        ProgramState& s = state();
        QCOMPARE(GetInfoListCount(s.plots), 0); // every window forgot its record
        DestroyInfoList(s.plots);
        s.plots = nullptr;
        for (UncertaintyInfo*& slot : s.results) {
            (void)DestroyUncertaintyInfo(slot);
            slot = nullptr;
        }
        dir_.reset();
    }

    void displayFollowsTheDut() {
        QCOMPARE(ResultDisplayFor(1, 1), ResultDisplay::Reflection);
        QCOMPARE(ResultDisplayFor(2, 0), ResultDisplay::Transmission);
        QCOMPARE(ResultDisplayFor(3, 0), ResultDisplay::UserDefinedList);
        QCOMPARE(ResultDisplayFor(3, 1), ResultDisplay::UserDefinedSweep);
    }

    void reflectionMakesTwoTiledChartsOfThreeCurves() {
        QVERIFY(computeReflection());
        const QList<PlotWindow*> charts = presenter()->charts();
        QCOMPARE(charts.size(), 2);
        QCOMPARE(charts[0]->record()->kind, int(kPlotReflectionMagnitude));
        QCOMPARE(charts[1]->record()->kind, int(kPlotReflectionPhase));
        QCOMPARE(charts[0]->windowTitle(), QStringLiteral("Reflection Magnitude Uncertainty"));
        QCOMPARE(charts[1]->windowTitle(), QStringLiteral("Reflection Phase Uncertainty"));
        for (PlotWindow* chart : charts) {
            QCOMPARE(chart->record()->chartWindow, static_cast<void*>(chart));
            QVERIFY(chart->chart()->title().contains(QStringLiteral("VNA-20 / K35")));
            const QList<QAbstractSeries*> series = chart->chart()->series();
            QCOMPARE(series.size(), 3);
            QCOMPARE(series[2]->name(), QStringLiteral("3.000000 GHz"));
            QCOMPARE(static_cast<QLineSeries*>(series[2])->count(), 11);
            QVERIFY(chart->chart()->legend()->isVisible());
            // The x axis spans the data and is labelled at round multiples of its interval.
            const auto* xAxis = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Horizontal)[0]);
            QVERIFY(xAxis != nullptr);
            QCOMPARE(xAxis->min(), chart->content().xMin);
            QCOMPARE(xAxis->max(), chart->content().xMax);
            QCOMPARE(xAxis->tickType(), QValueAxis::TicksDynamic);
            const double ticksBelowAnchor = xAxis->tickAnchor() / xAxis->tickInterval();
            QCOMPARE(ticksBelowAnchor, std::round(ticksBelowAnchor));
            QVERIFY(xAxis->tickAnchor() >= xAxis->min());
            QVERIFY(xAxis->tickAnchor() < xAxis->min() + xAxis->tickInterval());
        }
        // Tiled side by side in list order, filling the area.
        const QRect area = window_->plotArea()->viewport()->rect();
        QCOMPARE(charts[0]->geometry().united(charts[1]->geometry()).size(), area.size());
        QVERIFY(!charts[0]->geometry().intersects(charts[1]->geometry()));
        QCOMPARE(charts[0]->geometry().topLeft(), QPoint(0, 0));
    }

    void userSweepMakesFourFrequencyCharts() {
        QVERIFY(fillCurrentSlot(4, 1, kUncertaintyReflection | kUncertaintyTransmission));
        presenter()->presentResults(ResultDisplay::UserDefinedSweep, nullptr);
        const QList<PlotWindow*> charts = presenter()->charts();
        QCOMPARE(charts.size(), 4);
        const QStringList titles = {QStringLiteral("Reflection Magnitude Uncertainty"),
                                    QStringLiteral("Reflection Phase Uncertainty"),
                                    QStringLiteral("Transmission Magnitude Uncertainty"),
                                    QStringLiteral("Transmission Phase Uncertainty")};
        const int kinds[] = {5, 6, 5, 6};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(charts[k]->windowTitle(), titles[k]);
            QCOMPARE(charts[k]->record()->kind, kinds[k]);
            QCOMPARE(charts[k]->chart()->series().size(), 1);
        }
    }

    void aSweepOfOnePointKeepsItsAxisAroundIt() {
        QVERIFY(fillCurrentSlot(1, 1, kUncertaintyReflection | kUncertaintyTransmission));
        QCOMPARE(SetUncertaintyFreq(CurrentResult(), 0, 0.05e9), 1);
        presenter()->presentResults(ResultDisplay::UserDefinedSweep, nullptr);
        for (PlotWindow* chart : presenter()->charts()) {
            const auto* xAxis = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Horizontal)[0]);
            QVERIFY(xAxis != nullptr);
            QVERIFY2(xAxis->min() > 0.0 && xAxis->min() < 0.05 && xAxis->max() > 0.05,
                     qPrintable(QStringLiteral("%1 to %2").arg(xAxis->min()).arg(xAxis->max())));
        }
    }

    void userListShowsTheSlotJustComputed() {
        QVERIFY(fillCurrentSlot(3, 1, kUncertaintyReflection | kUncertaintyTransmission));
        int shownLines = -1;
        QString title;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<UserDutResultsDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            title = dialog->windowTitle();
            shownLines = dialog->resultList()->count();
            dialog->accept();
        });
        presenter()->presentResults(ResultDisplay::UserDefinedList, window_.get());
        QCOMPARE(title, QStringLiteral("User Defined DUT Results"));
        QCOMPARE(shownLines, 5);
        QCOMPARE(plotCount(), 0);
        QCOMPARE(state().resultCount, 1);
    }

    // The slot rules are the program state's; here, that the presenter follows them.
    void replaceModeClosesChartsAndOtherwiseTheyAccumulate() {
        QVERIFY(computeReflection());
        QVERIFY(computeReflection());
        QCOMPARE(plotCount(), 2); // the first computation's charts were closed
        QCOMPARE(state().currentResultSlot, 0);
        presenter()->setReplaceMode(false);
        QVERIFY(computeReflection());
        QCOMPARE(plotCount(), 4);
        // A kept result names its slot, numbered as the exported files: slot 1 is "Result 2".
        QVERIFY(!presenter()->charts()[0]->windowTitle().contains(QStringLiteral("(Result")));
        QCOMPARE(presenter()->charts()[2]->windowTitle(),
                 QStringLiteral("Reflection Magnitude Uncertainty (Result 2)"));
        QCOMPARE(state().currentResultSlot, 2);
        QCOMPARE(state().resultCount, 2);
    }

    void menuToggleDrivesReplaceMode() {
        QAction* action = nullptr;
        for (QAction* a : window_->findChildren<QAction*>())
            if (a->text() == QStringLiteral("Replace Existing Plot Windows")) action = a;
        QVERIFY(action != nullptr);
        QVERIFY(action->isChecked());
        action->trigger();
        QVERIFY(!presenter()->replaceMode());
        action->trigger();
        QVERIFY(presenter()->replaceMode());
    }

    void closingByEachRouteForgetsTheRecord() {
        presenter()->setReplaceMode(false);
        QVERIFY(computeReflection());
        QVERIFY(computeReflection());
        QCOMPARE(plotCount(), 4);
        // The close box.
        PlotWindow* first = presenter()->charts().first();
        QVERIFY(first->close());
        QCOMPARE(plotCount(), 3);
        QVERIFY(!presenter()->charts().contains(first));
        // "Close All Plot Windows".
        presenter()->closeAllCharts();
        QCOMPARE(plotCount(), 0);
        QVERIFY(window_->plotArea()->subWindowList().isEmpty());
        // A Compute in replace mode.
        presenter()->setReplaceMode(true);
        QVERIFY(computeReflection());
        QCOMPARE(plotCount(), 2);
        presenter()->prepareComputation();
        QCOMPARE(plotCount(), 0);
    }

    void tileAndCascadeSkipAClosedChart() {
        presenter()->setReplaceMode(false);
        QVERIFY(computeReflection());
        QVERIFY(computeReflection());
        presenter()->charts()[1]->close();
        const QList<PlotWindow*> open = presenter()->charts();
        QCOMPARE(open.size(), 3);
        QCOMPARE(window_->plotArea()->subWindowList().size(), 3);

        presenter()->tileCharts();
        QRect covered;
        for (PlotWindow* chart : open) {
            for (PlotWindow* other : open)
                if (other != chart) QVERIFY(!chart->geometry().intersects(other->geometry()));
            covered = covered.united(chart->geometry());
        }
        QCOMPARE(covered, window_->plotArea()->viewport()->rect());

        presenter()->cascadeCharts();
        QSet<int> tops;
        for (PlotWindow* chart : open)
            tops.insert(chart->geometry().top());
        QCOMPARE(tops.size(), 3);
    }

    void newChartSizeAndOffset() {
        QVERIFY(fillCurrentSlot(2, 3, kUncertaintyTransmission));
        PlotWindow* chart = presenter()->createPlot(kPlotTransmissionMagnitude);
        QVERIFY(chart != nullptr);
        QCOMPARE(chart->geometry(), QRect(60, 60, 600, 500));
    }

    void printingGivesOneEightBySixPagePerChart() {
        presenter()->setReplaceMode(false);
        QVERIFY(computeReflection());
        QVERIFY(computeReflection());
        presenter()->charts()[0]->close();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = QString::fromStdString(dir_->file("plots.pdf"));
        printer.setOutputFileName(path);
        QCOMPARE(presenter()->printCharts(&printer), 3);

        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(pdf.readAll());
        QList<QSizeF> pages;
        const QRegularExpression mediaBox(
            QStringLiteral("/MediaBox \\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)\\s*\\]"));
        for (const QRegularExpressionMatch& match : mediaBox.globalMatch(text))
            pages << QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble());
        // One page per chart, each 8 × 6 inches: 576 × 432 points.
        QCOMPARE(pages, QList<QSizeF>(3, QSizeF(576.0, 432.0)));
    }

    void aPrintedChartDoesNotDependOnTheSizeOfItsWindow() {
        // Many tiled charts leave each a window too small for its titles and labels; the page
        // must show the chart as laid out for the page, not that window blown up.
        QVERIFY(computeReflection());
        PlotWindow* chart = presenter()->charts()[0];
        const auto render = [chart] {
            QImage page(960, 720, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            chart->renderChart(&painter, QRectF(page.rect()));
            return page;
        };
        const QImage fromLargeWindow = render();
        QImage blank(fromLargeWindow.size(), QImage::Format_RGB32);
        blank.fill(Qt::white);
        QVERIFY(fromLargeWindow != blank);
        chart->resize(180, 140);
        QCoreApplication::processEvents();
        const QSizeF shown = chart->chart()->size();
        const QImage fromSmallWindow = render();
        QCOMPARE(fromSmallWindow, fromLargeWindow);
        QCOMPARE(chart->chart()->size(), shown); // the window keeps its own layout
    }

    void aPrintCutShortLeavesTheEarlierFileAsItWas() {
        presenter()->setReplaceMode(false);
        QVERIFY(computeReflection());
        QVERIFY(computeReflection());
        const QString path = QString::fromStdString(dir_->file("kept.pdf"));
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("the earlier plots");
        earlier.close();
        // A chart closed while the pages are printed ends the print after the first page.
        QPointer<PlotWindow> last = presenter()->charts().last();
        QTimer::singleShot(0, last, [last] { delete last.data(); });
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        QCOMPARE(presenter()->printCharts(&printer), 0);
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("the earlier plots"));
        QCOMPARE(QDir(QFileInfo(path).path()).entryList({QStringLiteral("kept.pdf*")}, QDir::Files),
                 QStringList{QStringLiteral("kept.pdf")}); // and no temporary file beside it
        QCOMPARE(printer.outputFileName(), path);
    }

    void printingNothingWritesNothing() {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir_->file("none.pdf")));
        QCOMPARE(presenter()->printCharts(&printer), 0);
        QVERIFY(!QFile::exists(QString::fromStdString(dir_->file("none.pdf"))));
    }

    void largeResultsDrawAtMostTheCurveLimit_data() {
        QTest::addColumn<int>("frequencies");
        QTest::addColumn<int>("drawn");
        QTest::addColumn<QString>("note");
        QTest::newRow("201 x 91") << 201 << 201 << QStringLiteral("201 frequencies");
        QTest::newRow("5000 x 91")
            << 5000 << PlotWindow::kMaxDrawnCurves << QStringLiteral("256 of 5000 frequencies");
    }
    void largeResultsDrawAtMostTheCurveLimit() {
        QFETCH(int, frequencies);
        QFETCH(int, drawn);
        QFETCH(QString, note);
        QVERIFY(fillCurrentSlot(frequencies, 91, kUncertaintyReflection));
        presenter()->presentResults(ResultDisplay::Reflection, nullptr);
        // How long this takes is measured by bench/chart_bench.cpp.
        for (PlotWindow* chart : presenter()->charts()) {
            const QList<QAbstractSeries*> series = chart->chart()->series();
            QCOMPARE(series.size(), drawn);
            QCOMPARE(series.first()->name(), QStringLiteral("1.000000 GHz"));
            QCOMPARE(series.last()->name(), FrequencyLabel(frequencies * 1e9));
            QVERIFY(!chart->chart()->legend()->isVisible());
            QVERIFY(chart->chart()->title().contains(note));
        }
    }

    void chartImagesAreWritten_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("png") << QStringLiteral("chart.png") << QByteArray("\x89PNG");
        QTest::newRow("svg") << QStringLiteral("chart.svg") << QByteArray("<?xml");
        QTest::newRow("pdf") << QStringLiteral("chart.pdf") << QByteArray("%PDF");
    }
    void chartImagesAreWritten() {
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        QVERIFY(computeReflection());
        const QString path = QString::fromStdString(dir_->file(name.toStdString()));
        QVERIFY(presenter()->charts()[0]->saveImage(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(magic.size()) == magic);
        QVERIFY(!presenter()->charts()[0]->saveImage(path + QStringLiteral(".bmpx")));
    }
};

QTEST_MAIN(ResultPresenterTest)
#include "result_presenter_test.moc"
