// The numbers the charts and the results list show, read from result records.

#include "core/owned.h"
#include "result_fixture.h"
#include "support/captured_messages.h"
#include "ui/charts/axis_ticks.h"
#include "ui/charts/chart_content.h"
#include "ui/charts/chart_points.h"
#include "ui/charts/user_dut_results_dialog.h"

#include "engine/uncertainty.h"

#include <QListWidget>
#include <QTest>

#include <cmath>
#include <memory>

using namespace tolvane;
using tolvane::testing::CapturedMessages;

namespace {

Owned<UncertaintyInfo> MakeResult(int nF, int nD, int type) {
    Owned<UncertaintyInfo> result(CreateUncertaintyInfo());
    if (!testing::FillFixtureResult(result.get(), nF, nD, type)) return nullptr;
    return result;
}

} // namespace

class ChartContentTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTicks_data() {
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("anchor");
        QTest::addColumn<double>("interval");
        QTest::addColumn<int>("decimals");
        QTest::newRow("reflection sweep") << -40.0 << 0.0 << -40.0 << 10.0 << 1;
        QTest::newRow("transmission sweep") << -80.0 << 10.0 << -80.0 << 20.0 << 1;
        QTest::newRow("frequencies from 50 MHz") << 0.05 << 26.5 << 5.0 << 5.0 << 1;
        QTest::newRow("user sweep 1 to 3 GHz") << 1.0 << 3.0 << 1.0 << 0.5 << 1;
        QTest::newRow("steps of 2.5") << 0.0 << 12.5 << 0.0 << 2.5 << 1;
        QTest::newRow("steps of 0.25 need two decimals") << 0.0 << 1.25 << 0.0 << 0.25 << 2;
        QTest::newRow("minimum a multiple but for rounding") << 0.1 << 0.35 << 0.1 << 0.05 << 2;
        QTest::newRow("one point, padded") << -20.5 << -19.5 << -20.4 << 0.2 << 1;
        QTest::newRow("no range") << 3.0 << 3.0 << 3.0 << 1.0 << 1;
    }
    void roundTicks() {
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(double, anchor);
        QFETCH(double, interval);
        QFETCH(int, decimals);
        const LinearTicks ticks = RoundLinearTicks(minimum, maximum);
        QVERIFY2(std::fabs(ticks.anchor - anchor) < 1e-12,
                 qPrintable(QString::number(ticks.anchor)));
        QVERIFY2(std::fabs(ticks.interval - interval) < 1e-12,
                 qPrintable(QString::number(ticks.interval)));
        QCOMPARE(ticks.decimals, decimals);
    }

    void axisMinimum_data() {
        QTest::addColumn<double>("yMin");
        QTest::addColumn<double>("expected");
        QTest::newRow("0.02") << 0.02 << 0.0099;
        QTest::newRow("exact decade 0.01 stays in its decade") << 0.01 << 0.00099;
        QTest::newRow("0.35") << 0.35 << 0.099;
        QTest::newRow("zero") << 0.0 << 0.99e-11;
        QTest::newRow("negative") << -3.0 << 0.99e-11;
        QTest::newRow("below 1e-10") << 1e-13 << 0.99e-11;
    }
    void axisMinimum() {
        QFETCH(double, yMin);
        QFETCH(double, expected);
        QCOMPARE(LogAxisMinimum(yMin), expected);
    }

    void axisMaximum_data() {
        QTest::addColumn<double>("yMax");
        QTest::addColumn<double>("cap");
        QTest::addColumn<double>("expected");
        QTest::newRow("magnitude 0.35") << 0.35 << kMagnitudeAxisCap << 1.0;
        QTest::newRow("magnitude 12 capped") << 12.0 << kMagnitudeAxisCap << 10.0;
        QTest::newRow("phase 12") << 12.0 << HUGE_VAL << 100.0;
        QTest::newRow("phase 1000.5") << 1000.5 << HUGE_VAL << 10000.0;
        QTest::newRow("frequency 250 capped") << 250.0 << kFrequencyAxisCap << 180.0;
        QTest::newRow("frequency 0.5") << 0.5 << kFrequencyAxisCap << 1.0;
        QTest::newRow("nothing above zero") << -1.0 << HUGE_VAL << 1e-10;
    }
    void axisMaximum() {
        QFETCH(double, yMax);
        QFETCH(double, cap);
        QFETCH(double, expected);
        QCOMPARE(LogAxisMaximum(yMax, cap), expected);
    }

    void infiniteUncertaintyEndsTheDecadeSearch() {
        QVERIFY(LogAxisMaximum(HUGE_VAL, HUGE_VAL) >= 1e300);
        QCOMPARE(LogAxisMaximum(HUGE_VAL, kMagnitudeAxisCap), 10.0);
    }

    void dutValueChartHasOneCurvePerFrequency() {
        Owned<UncertaintyInfo> result = MakeResult(3, 11, kUncertaintyReflection);
        QVERIFY(result);
        ChartContent content;
        QVERIFY(ReadDutValueChart(result.get(), kPlotReflectionMagnitude,
                                  QStringLiteral("VNA-A / Kit-B"), &content));
        QCOMPARE(content.title, QStringLiteral("Reflection Magnitude Uncertainty"));
        QCOMPARE(content.xAxisLabel, QStringLiteral("Device S11 (dB)"));
        QCOMPARE(content.yAxisLabel, QStringLiteral("Uncertainty (dB)"));
        QCOMPARE(content.subtitle, QStringLiteral("VNA-A / Kit-B"));
        QCOMPARE(content.curves.size(), 3);
        const QStringList labels = {QStringLiteral("1.000000 GHz"), QStringLiteral("2.000000 GHz"),
                                    QStringLiteral("3.000000 GHz")};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(content.curves[i].label, labels[i]);
            QCOMPARE(content.curves[i].points.size(), 11);
            for (int j = 0; j < 11; ++j) {
                const QPointF p = content.curves[i].points[j];
                QVERIFY(qAbs(p.x() - testing::FixtureDutDb(j)) < 1e-4);
                QVERIFY(qAbs(p.y() - testing::FixtureReflectionUncertaintyDb(i, j)) < 1e-4);
            }
        }
        // x from −20 to 0 dB; y from 0.05 to 1.65 dB.
        QVERIFY(qAbs(content.xMin + 20.0) < 1e-4);
        QVERIFY(qAbs(content.xMax) < 1e-4);
        QCOMPARE(content.yAxisMin, 0.0099);
        QCOMPARE(content.yAxisMax, 10.0);
        QVERIFY(content.annotated);
        QVERIFY(qAbs(content.annotationAt.x() - (-20.0 + 20.0 / 4.0)) < 1e-4);
        QCOMPARE(content.annotationAt.y(), 1.25 * 0.0099);
    }

    void transmissionPhaseChartReadsTheTransmissionTriple() {
        Owned<UncertaintyInfo> result = MakeResult(2, 4, kUncertaintyTransmission);
        QVERIFY(result);
        ChartContent content;
        QVERIFY(ReadDutValueChart(result.get(), kPlotTransmissionPhase, QString(), &content));
        QCOMPARE(content.title, QStringLiteral("Transmission Phase Uncertainty"));
        QCOMPARE(content.xAxisLabel, QStringLiteral("Device S21 (dB)"));
        QCOMPARE(content.yAxisLabel, QStringLiteral("Uncertainty (Degrees)"));
        QCOMPARE(content.curves[1].points[3].y(), double(testing::FixtureTransmissionPhase(1, 3)));
        // Phases 10 to 23 degrees: no cap on a phase axis.
        QCOMPARE(content.yAxisMin, 0.99);
        QCOMPARE(content.yAxisMax, 100.0);
    }

    void frequencyChartPlotsTheFirstDutValue_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("yLabel");
        QTest::newRow("refl magnitude") << int(kPlotFrequencyMagnitude) << 1
                                        << QStringLiteral("Reflection Magnitude Uncertainty")
                                        << QStringLiteral("Uncertainty (dB)");
        QTest::newRow("refl phase")
            << int(kPlotFrequencyPhase) << 2 << QStringLiteral("Reflection Phase Uncertainty")
            << QStringLiteral("Uncertainty (degrees)");
        QTest::newRow("trans magnitude") << int(kPlotFrequencyMagnitude) << 3
                                         << QStringLiteral("Transmission Magnitude Uncertainty")
                                         << QStringLiteral("Uncertainty (dB)");
        QTest::newRow("trans phase")
            << int(kPlotFrequencyPhase) << 4 << QStringLiteral("Transmission Phase Uncertainty")
            << QStringLiteral("Uncertainty (degrees)");
    }
    void frequencyChartPlotsTheFirstDutValue() {
        QFETCH(int, kind);
        QFETCH(int, quantity);
        QFETCH(QString, title);
        QFETCH(QString, yLabel);
        Owned<UncertaintyInfo> result =
            MakeResult(5, 1, kUncertaintyReflection | kUncertaintyTransmission);
        QVERIFY(result);
        ChartContent content;
        QVERIFY(ReadFrequencyChart(result.get(), kind, quantity, QString(), &content));
        QCOMPARE(content.title, title);
        QCOMPARE(content.xAxisLabel, QStringLiteral("Frequency (GHz)"));
        QCOMPARE(content.yAxisLabel, yLabel);
        QVERIFY(!content.annotated);
        QCOMPARE(content.curves.size(), 1);
        QCOMPARE(content.curves[0].points.size(), 5);
        QCOMPARE(content.xMin, 1.0);
        QCOMPARE(content.xMax, 5.0);
        for (int i = 0; i < 5; ++i) {
            const double expected = quantity == 1   ? testing::FixtureReflectionUncertaintyDb(i, 0)
                                    : quantity == 2 ? testing::FixtureReflectionPhase(i, 0)
                                    : quantity == 3
                                        ? testing::FixtureTransmissionUncertaintyDb(i, 0)
                                        : testing::FixtureTransmissionPhase(i, 0);
            QVERIFY2(qAbs(content.curves[0].points[i].y() - expected) < 1e-4,
                     qPrintable(QString::number(i)));
        }
        // Magnitudes reach 0.25 and 0.5 dB, phases 4.5 and 50 degrees.
        QCOMPARE(content.yAxisMax, quantity == 4 ? 100.0 : quantity == 2 ? 10.0 : 1.0);
    }

    void uncertaintiesAboveTheCapKeepAnAxis() {
        // Nominal −140 dB, upper bound 0 dB: 140 dB of uncertainty everywhere.
        Owned<UncertaintyInfo> result(CreateUncertaintyInfo());
        QVERIFY(SetUncertaintyNumFreqs(result.get(), 1) &&
                SetUncertaintyFreq(result.get(), 0, 1e9) &&
                SetUncertaintyNumDUTValues(result.get(), 2) &&
                SetUncertaintyType(result.get(), kUncertaintyReflection) &&
                InitializeUncertainty(result.get()));
        for (int j = 0; j < 2; ++j)
            QVERIFY(SetUncertaintyRefl(result.get(), 0, j, 1e-7f, 1.0f, 90.0f) &&
                    SetUncertaintyTrans(result.get(), 0, j, 1e-7f, 1.0f, 90.0f));
        ChartContent content;
        QVERIFY(ReadDutValueChart(result.get(), kPlotReflectionMagnitude, QString(), &content));
        QCOMPARE(content.yAxisMax, 10.0);
        QCOMPARE(content.yAxisMin, 0.99);
        QVERIFY(ReadFrequencyChart(result.get(), kPlotFrequencyMagnitude, 1, QString(), &content));
        QCOMPARE(content.yAxisMax, 180.0);
        QCOMPARE(content.yAxisMin, 99.0); // below 180: the rules hold
    }

    void unreadableResultReportsDrawPlot() {
        Owned<UncertaintyInfo> result(CreateUncertaintyInfo());
        (void)SetUncertaintyNumFreqs(result.get(), 2);
        (void)SetUncertaintyNumDUTValues(result.get(), 3); // counts without arrays
        CapturedMessages messages;
        ChartContent content;
        QVERIFY(!ReadDutValueChart(result.get(), kPlotReflectionMagnitude, QString(), &content));
        QVERIFY(!messages.errors().empty());
        QCOMPARE(messages.errors().back(), std::string("DrawPlot: Error in a called routine."));
        messages.clear();
        QVERIFY(!ReadDutValueChart(nullptr, kPlotReflectionMagnitude, QString(), &content));
        QCOMPARE(messages.errors().back(), std::string("DrawPlot: Error in a called routine."));

        // 5000 curves of 2^31 - 1 points would take 170 TB: refused before anything is read.
        messages.clear();
        (void)SetUncertaintyNumFreqs(result.get(), 5000);
        (void)SetUncertaintyNumDUTValues(result.get(), 2147483647);
        QVERIFY(!ReadDutValueChart(result.get(), kPlotReflectionPhase, QString(), &content));
        QCOMPARE(messages.errors(), std::vector<std::string>{"DrawPlot: error allocating memory."});
    }

    // What a point stands for, its read-out, the nearest point to the mouse and the copied data.
    void pointsReadOutsAndCopiedData() {
        Owned<UncertaintyInfo> result = MakeResult(2, 3, kUncertaintyReflection);
        QVERIFY(result);
        ChartContent content;
        QVERIFY(ReadDutValueChart(result.get(), kPlotReflectionMagnitude, QString(), &content));
        content.resultSlot = 4;
        const ChartPoint point = DescribePoint(content, 1, 2, false);
        QCOMPARE(point.frequencyHz, 2e9);
        QVERIFY(qAbs(point.dutValueDb + 4.0) < 1e-5);
        QCOMPARE(point.resultSlot, 4);
        QCOMPARE(point.frequencyIndex, 1);
        QCOMPARE(point.dutIndex, 2);
        QVERIFY(!point.transmission && !point.phase);
        QCOMPARE(PointReadout(point), QStringLiteral("2.000000 GHz, S11 -4.00 dB: 0.3 dB"));
        // Linear: upper bound minus nominal, 10^(-4/20) (10^(0.3/20) - 1) = 0.02217.
        const ChartPoint linear = DescribePoint(content, 1, 2, true);
        QVERIFY(qAbs(linear.uncertainty - 0.022173) < 1e-6);
        QCOMPARE(PointReadout(linear), QStringLiteral("2.000000 GHz, S11 -4.00 dB: 0.02217"));

        const ChartGeometry geometry{QRectF(0, 0, 400, 300), -4.0, 0.0, 0.01, 10.0};
        const QPointF at = geometry.toPixel(content.curves[1].points[2]);
        QVERIFY(qAbs(at.x()) < 1e-3); // -4 dB at the left edge
        const auto nearest = NearestPoint(content, {0, 1}, geometry, at + QPointF(3, -2), 6, false);
        QVERIFY(nearest && nearest->curve == 1 && nearest->index == 2);
        QVERIFY(!NearestPoint(content, {0, 1}, geometry, QPointF(200, 0), 6, false));

        const QStringList lines = ChartDataText(content, false).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 1 + 3 + 1); // header, three DUT values, the last line feed
        QCOMPARE(lines[0], QStringLiteral("Device S11 (dB)\t1.000000 GHz Uncertainty (dB)\t"
                                          "2.000000 GHz Uncertainty (dB)"));
        QCOMPARE(lines[3].split(QLatin1Char('\t')),
                 (QStringList{QString::number(content.curves[0].points[2].x(), 'g', 9),
                              QString::number(content.curves[0].points[2].y(), 'g', 9),
                              QString::number(content.curves[1].points[2].y(), 'g', 9)}));
        QVERIFY(qAbs(lines[3].split(QLatin1Char('\t'))[2].toDouble() - 0.3) < 1e-5);
        QVERIFY(
            ChartDataText(content, true)
                .startsWith(QStringLiteral("Device S11 (dB)\t1.000000 GHz Uncertainty (linear)")));
        QVERIFY(ChartDataText(content, false, [] { return true; }).isEmpty()); // cancelled
        QCOMPARE(ChartDataText(content, false, [] { return false; }),
                 ChartDataText(content, false));
    }

    void userDutResultLines() {
        Owned<UncertaintyInfo> result =
            MakeResult(3, 1, kUncertaintyReflection | kUncertaintyTransmission);
        QVERIFY(result);
        const QStringList expected = {
            QStringLiteral("Freq\tRefl\tRefl\tTrans\tTrans"),
            QStringLiteral("(GHz)\t(dB)\t(Deg)\t(dB)\t(Deg)"),
            QStringLiteral("1.000000\t0.050\t0.5\t0.10\t10.0"),
            QStringLiteral("2.000000\t0.100\t1.5\t0.20\t20.0"),
            QStringLiteral("3.000000\t0.150\t2.5\t0.30\t30.0"),
        };
        QCOMPARE(UserDutResultLines(result.get()), expected);

        UserDutResultsDialog dialog(result.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("User Defined DUT Results"));
        QCOMPARE(dialog.resultList()->count(), 5);
        QCOMPARE(dialog.resultList()->item(4)->text(), expected[4]);
    }
};

QTEST_MAIN(ChartContentTest)
#include "chart_content_test.moc"
