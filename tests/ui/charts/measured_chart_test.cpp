// The charts of a measured DUT and the session that opens, computes and shows it.

#include "support/captured_messages.h"
#include "support/temp_dir.h"
#include "ui/background_task.h"
#include "ui/charts/chart_view.h"
#include "ui/charts/measured_chart.h"
#include "ui/charts/measured_session.h"
#include "ui/charts/plot_window.h"
#include "ui/charts/result_presenter.h"

#include "engine/measured_methods.h"
#include "engine/program_state.h"
#include "files/export.h"
#include "files/startup.h"
#include "files/touchstone_file.h"

#include <QAreaSeries>
#include <QChart>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLineSeries>
#include <QMdiArea>
#include <QPrinter>
#include <QScatterSeries>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kShipped = QString::fromUtf8(TOLVANE_SHIPPED_DATA_DIR);

MeasuredBounds Bounds(float measured, double lower, double upper, Verdict verdict) {
    MeasuredBounds b;
    b.measuredDb = measured;
    b.measuredDeg = 45.0;
    b.phaseDeg = 2.0f;
    b.lowerDb = lower;
    b.upperDb = upper;
    b.verdict = verdict;
    return b;
}

} // namespace

class MeasuredChartTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::CapturedMessages> messages_;
    std::unique_ptr<QMdiArea> area_;
    std::unique_ptr<ResultPresenter> presenter_;
    std::unique_ptr<MeasuredSession> session_;

private Q_SLOTS:
    void init() {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(kShipped));
        messages_ = std::make_unique<testing::CapturedMessages>();
        const int started = StartUp();
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(started, 1);
        area_ = std::make_unique<QMdiArea>();
        area_->resize(1200, 900);
        area_->show();
        presenter_ = std::make_unique<ResultPresenter>(area_.get());
        session_ = std::make_unique<MeasuredSession>(presenter_.get());
    }
    void cleanup() {
        session_.reset();
        presenter_->closeAllCharts();
        presenter_.reset();
        area_.reset();
        messages_.reset();
        ShutDown();
    }

    void magnitudeDataMarksVerdictsAndPutsAMissingLowerBoundOnTheAxis() {
        MeasuredResults r;
        r.numPorts = 1;
        r.frequenciesHz = {1e9, 2e9, 3e9, 4e9};
        const double inf = std::numeric_limits<double>::infinity();
        r.bounds[Index(SParameter::S11)] = {Bounds(-20, -21, -19, Verdict::Pass),
                                            Bounds(-16, -17, -15, Verdict::ConditionalPass),
                                            Bounds(-14, -15.5, -13, Verdict::ConditionalFail),
                                            Bounds(-30, -inf, -25, Verdict::None)};
        const std::vector<Limit> limits{{SParameter::S11, Limit::Kind::Max, -15.0, 1.5e9, 3.5e9},
                                        {SParameter::S21, Limit::Kind::Min, -1.0, 0.0, 5e9}};
        const MeasuredChartData data = MeasuredMagnitudeChartData(r, SParameter::S11, limits);
        QCOMPARE(data.title, QStringLiteral("S11 Magnitude"));
        QCOMPARE(data.measured.size(), 4);
        QCOMPARE(data.measured[1], QPointF(2.0, -16.0));
        QCOMPARE(data.lower[3].y(), data.yMin); // -inf lies on the axis bottom
        QVERIFY(data.yMin < -30.0 && data.yMax > -13.0);
        QCOMPARE(data.limits.size(), 1); // the S21 limit is not on this chart
        QCOMPARE(data.limits[0].label, QStringLiteral("S11 max -15 dB"));
        QCOMPARE(data.limits[0].points, QList<QPointF>({QPointF(1.5, -15), QPointF(3.5, -15)}));
        QCOMPARE(data.marked[0], QList<QPointF>({QPointF(2.0, -16.0)}));
        QCOMPARE(data.marked[1], QList<QPointF>({QPointF(3.0, -14.0)}));
        QVERIFY(data.marked[2].isEmpty());

        const MeasuredChartData phase = MeasuredPhaseChartData(r, SParameter::S11);
        QCOMPARE(phase.lower[0], QPointF(1.0, 43.0));
        QCOMPARE(phase.upper[0], QPointF(1.0, 47.0));
    }

    void longTracesAreDrawnAsTheirEnvelope() {
        MeasuredResults r;
        r.numPorts = 1;
        const int n = 100000;
        for (int i = 0; i < n; ++i) {
            r.frequenciesHz.push_back(1e9 + i * 1e4);
            const float v = i == 54321 ? -60.0f : -20.0f + float(i % 7) * 0.1f;
            r.bounds[0].push_back(Bounds(v, v - 1, v + 1, Verdict::None));
        }
        const MeasuredChartData data = MeasuredMagnitudeChartData(r, SParameter::S11, {});
        const QList<QPointF> drawn = DrawnMeasuredPoints(data.measured, data.xMin, data.xMax);
        QVERIFY(drawn.size() <= kMaxDrawnMeasuredPoints);
        // The deepest point survives the thinning, and the points keep their order.
        bool deepest = false;
        for (qsizetype i = 0; i < drawn.size(); ++i) {
            deepest = deepest || drawn[i].y() == -60.0;
            if (i > 0) QVERIFY(drawn[i].x() > drawn[i - 1].x());
        }
        QVERIFY(deepest);

        // Zoomed to a hundredth of the span, every one of its 1001 frequencies is drawn.
        std::unique_ptr<QChart> chart(BuildMeasuredChart(data, QStringLiteral("S11")));
        auto* trace = qobject_cast<QLineSeries*>(chart->series()[1]);
        QVERIFY(trace != nullptr && trace->name() == QStringLiteral("measured"));
        QVERIFY(trace->count() <= kMaxDrawnMeasuredPoints);
        chart->axes(Qt::Horizontal)[0]->setRange(1.1, 1.11);
        QVERIFY(trace->count() >= 1001 && trace->count() <= 1003);
        QVERIFY(trace->at(0).x() <= 1.1 && trace->at(trace->count() - 1).x() >= 1.11);
    }

    void openingTheShippedFilterShowsBandedChartsAndExportsItsTable() {
        QVERIFY(session_->openLimitsFrom(kShipped + QStringLiteral("/bandpass_filter.lim")));
        QVERIFY(!session_->hasMeasurement());
        QVERIFY(presenter_->charts().isEmpty());
        QVERIFY(session_->openMeasurementFrom(kShipped + QStringLiteral("/bandpass_filter.s2p")));
        QVERIFY(messages_->errors().empty());

        const QList<PlotWindow*> charts = presenter_->charts();
        QStringList titles;
        for (PlotWindow* chart : charts)
            titles << chart->windowTitle();
        QCOMPARE(titles, QStringList({u"S11 Magnitude"_s, u"S11 Phase"_s, u"S21 Magnitude"_s,
                                      u"S21 Phase"_s, u"S12 Magnitude"_s, u"S12 Phase"_s,
                                      u"S22 Magnitude"_s, u"S22 Phase"_s}));
        // The S11 chart: band, trace, its one limit and the conditional passes in amber.
        QChart* s11 = charts[0]->chart();
        QVERIFY(s11->title().contains(u"Overall verdict: conditional pass; not accepted under the "
                                      "guarded decision rule."_s));
        int areas = 0, limits = 0;
        QScatterSeries* marks = nullptr;
        for (QAbstractSeries* series : s11->series()) {
            areas += qobject_cast<QAreaSeries*>(series) != nullptr;
            limits += series->name().startsWith(u"S11 max"_s);
            if (auto* scatter = qobject_cast<QScatterSeries*>(series)) marks = scatter;
        }
        QCOMPARE(areas, 1);
        QCOMPARE(limits, 1);
        QVERIFY(marks != nullptr);
        QCOMPARE(marks->name(), u"conditional pass"_s);
        QCOMPARE(marks->color(), VerdictColour(Verdict::ConditionalPass));

        // The slot holds the measured results, and the export writes their table.
        ProgramState& state = GlobalProgramState();
        QCOMPARE(state.measuredResults[0], session_->results());
        testing::TempDir dir;
        QCOMPARE(ExportResultSlots(dir.file("out.dat").c_str()), 1);
        QVERIFY(dir.read("out.dat").rfind("Measured DUT Uncertainty Data\n", 0) == 0);

        // The simple rule accepts the conditional passes; the charts are made again.
        session_->setRule(DecisionRule::Simple);
        QCOMPARE(presenter_->charts().size(), 8);
        QVERIFY(
            presenter_->charts()[0]->chart()->title().contains(u"; accepted under the simple"_s));
    }

    void chartsPrintAndSaveAndTheirSlotIsKeptWhenReplaceModeIsLeft() {
        QVERIFY(session_->openMeasurementFrom(kShipped + u"/bandpass_filter.s2p"_s));
        testing::TempDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir.file("plots.pdf")));
        QCOMPARE(presenter_->printCharts(&printer), 8);
        const QString image = QString::fromStdString(dir.file("s11.png"));
        QVERIFY(presenter_->charts()[0]->saveImage(image));
        QVERIFY(!QImage(image).isNull());

        presenter_->setReplaceMode(false);
        QCOMPARE(GlobalProgramState().currentResultSlot, 1);
        QCOMPARE(GlobalProgramState().resultCount, 1);
    }

    // With RSS chosen the bounds are the library's RSS bounds and the charts name the method; a
    // cancelled Monte Carlo computation leaves the results and charts as they were.
    void theMethodChoiceComputesItsBoundsAndCancelKeepsTheLast() {
        QVERIFY(session_->openMeasurementFrom(kShipped + u"/bandpass_filter.s2p"_s));
        QVERIFY(session_->setMethod(UncertaintyMethod::Rss));
        const auto rss = session_->results();
        Measurement measurement;
        QCOMPARE(ReadTouchstoneFile(TOLVANE_SHIPPED_DATA_DIR "/bandpass_filter.s2p", &measurement),
                 1);
        MethodOptions options;
        options.method = UncertaintyMethod::Rss;
        MeasuredResults expected;
        QCOMPARE(ComputeMeasuredByMethod(GlobalProgramState().currentConfig, measurement, options,
                                         &expected),
                 1);
        for (SParameter p : kAllSParameters)
            for (std::size_t i = 0; i < expected.frequenciesHz.size(); i += 20)
                QCOMPARE(rss->bounds[Index(p)][i].upperBound,
                         expected.bounds[Index(p)][i].upperBound);
        QCOMPARE(presenter_->charts().size(), 8);
        QVERIFY(presenter_->charts()[0]->chart()->title().contains(u"/ RSS bounds"_s));

        QTimer::singleShot(0, [] { BackgroundTasks::instance().cancel(); });
        QVERIFY(!session_->setMethod(UncertaintyMethod::MonteCarlo));
        QCOMPARE(session_->method(), UncertaintyMethod::Rss);
        QCOMPARE(session_->results(), rss);
        QCOMPARE(presenter_->charts().size(), 8);
        QVERIFY(messages_->errors().empty());
    }

    // The measured charts are read as the others: hover and a marker describe the measured point
    // under the mouse, with its bounds and verdict; "Copy Data" copies every frequency.
    void hoverAndMarkersReadTheMeasuredPoint() {
        QVERIFY(session_->openMeasurementFrom(kShipped + u"/bandpass_filter.s2p"_s));
        QVERIFY(session_->openLimitsFrom(kShipped + u"/bandpass_filter.lim"_s));
        QVERIFY(QTest::qWaitForWindowExposed(area_.get()));
        QCoreApplication::processEvents();
        PlotWindow* s21 = presenter_->charts()[2];
        QCOMPARE(s21->windowTitle(), u"S21 Magnitude"_s);
        area_->setActiveSubWindow(s21);
        const MeasuredResults& results = *session_->results();
        const int index = int(results.frequenciesHz.size() / 2);
        QLineSeries* trace = nullptr;
        for (QAbstractSeries* series : s21->chart()->series())
            if (series->name() == u"measured"_s) trace = static_cast<QLineSeries*>(series);
        QVERIFY(trace != nullptr);
        const QPointF point = s21->content().curves[0].points[index];
        QCOMPARE(point.x(), results.frequenciesHz[std::size_t(index)] / 1e9);
        const QPoint at = s21->view()->mapFromScene(
            s21->chart()->mapToScene(s21->chart()->mapToPosition(point, trace)));
        QTest::mouseMove(s21->view()->viewport(), at);
        const std::optional<ChartPoint> near = s21->pointNear(at);
        QVERIFY(near.has_value());
        QVERIFY(std::abs(near->index - index) <= 1);
        const QString readout = MeasuredPointReadout(results, SParameter::S21, false, near->index);
        QCOMPARE(s21->hoverText(), readout);
        QVERIFY(readout.startsWith(FrequencyLabel(results.frequenciesHz[std::size_t(near->index)]) +
                                   u", S21 "_s));
        QVERIFY(readout.contains(u" dB ("_s));
        QTest::mouseClick(s21->view()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(s21->markerTexts(), QStringList{u"M1  "_s + readout});

        s21->copyData();
        QCOMPARE(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')),
                 qsizetype(results.frequenciesHz.size()) + 1);
        QCOMPARE(
            MeasuredPointReadout(results, SParameter::S21, true, 0),
            FrequencyLabel(results.frequenciesHz[0]) + u", S21 "_s +
                QString::number(results.bounds[Index(SParameter::S21)][0].measuredDeg, 'f', 3) +
                u"\u00b0 \u00b1 "_s +
                QString::number(results.bounds[Index(SParameter::S21)][0].phaseDeg, 'f', 3) +
                u"\u00b0"_s);
    }

    void aRefusedFileKeepsTheMeasurementAndItsCharts() {
        QVERIFY(session_->openMeasurementFrom(kShipped + QStringLiteral("/bandpass_filter.s2p")));
        const auto before = session_->results();
        testing::TempDir dir;
        const QString bad = QString::fromStdString(dir.write("bad.s2p", "1 2 3\n"));
        QVERIFY(!session_->openMeasurementFrom(bad));
        QCOMPARE(messages_->errors().size(), std::size_t(1));
        QCOMPARE(session_->results(), before);
        QCOMPARE(presenter_->charts().size(), 8);
        QVERIFY(!session_->openLimitsFrom(bad));
        QCOMPARE(presenter_->charts().size(), 8);
    }
};

QTEST_MAIN(MeasuredChartTest)
#include "measured_chart_test.moc"
