// "Budget..." on a chart point and the RSS and Monte Carlo curves beside the worst case, on the
// shipped model's transmission sweep.

#include "support/temp_dir.h"
#include "ui/charts/budget_window.h"
#include "ui/charts/chart_view.h"
#include "ui/charts/plot_window.h"

#include "engine/compute_commands.h"
#include "engine/compute_model.h"
#include "engine/model_terms.h"
#include "engine/uncertainty.h"
#include "engine/uncertainty_methods.h"
#include "files/model_file.h"

#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <memory>

using namespace tolvane;

class BudgetWindowTest : public QObject {
    Q_OBJECT
private:
    ComputedModel model_;
    std::unique_ptr<UncertaintyInfo, void (*)(UncertaintyInfo*)> result_{
        nullptr, [](UncertaintyInfo* r) { (void)DestroyUncertaintyInfo(r); }};
    ChartContent content_;

    std::unique_ptr<PlotWindow> makeChart() {
        auto chart = std::make_unique<PlotWindow>(content_, nullptr);
        chart->setComputedModel(model_);
        chart->resize(700, 500);
        chart->show();
        return chart;
    }
    // The magnitude uncertainty in dB of the shipped model at (frequency i, value j).
    double worstDb(int i, int j) const { return content_.curves[i].points[j].y(); }

private Q_SLOTS:
    void initTestCase() {
        SetCoverageTraceStream(nullptr);
        ModelInfo* model = CreateModelInfo();
        QVERIFY(ReadModelFile(model, TOLVANE_SHIPPED_DATA_DIR "/default.mdl") == 1);
        model_ = KeepComputedModel(ModelHandle(model));
        result_.reset(CreateUncertaintyInfo());
        QCOMPARE(ComputeModel(const_cast<ModelInfo*>(model_.get()), result_.get()), 1);
        QVERIFY(ReadDutValueChart(result_.get(), kPlotTransmissionMagnitude, QString(), &content_));
    }

    // The budget of a point: the library's numbers, the shares largest first, text and image.
    void budgetOfAPointShowsTheLibrarysBudget() {
        const auto chart = makeChart();
        BudgetWindow* window = chart->openBudget(2, 45);
        QVERIFY(window != nullptr);
        UncertaintyPoint point;
        QVERIFY(ChartPointOf(*model_, content_, 2, 45, &point));
        QCOMPARE(point.parameter, MeasuredParameter::S21);
        UncertaintyBudget budget;
        CoverageFactors k{};
        std::copy(model_->dut->coverageFactors.begin(), model_->dut->coverageFactors.end(),
                  k.begin());
        QVERIFY(ComputeUncertaintyBudget(*model_, k, point, &budget));
        // The chart's point is the budget's worst case.
        QVERIFY(std::fabs(DeviationDb(budget.worstCaseDeviation, budget.nominal) - worstDb(2, 45)) <
                1e-5);

        const QStringList order = window->barOrder();
        QCOMPARE(order.size(), 11);
        int largest = 0;
        for (int t = 1; t < kNumBudgetTerms; ++t)
            if (budget.terms[t].sharePercent > budget.terms[largest].sharePercent) largest = t;
        QCOMPARE(order.first(), QString::fromUtf8(kBudgetTerms[largest].name));

        const QString text = window->budgetText();
        QVERIFY(text.contains(DescribePoint(point)));
        QVERIFY(text.contains(
            QStringLiteral("Connector Repeatability\t") +
            QString::number(budget.terms[kCoverageConnectorRepeatability].aloneDeviation, 'g', 6)));
        QVERIFY(
            text.contains(QStringLiteral("RSS\t") + QString::number(budget.rssDeviation, 'g', 6)));
        QVERIFY(text.contains(QStringLiteral("Monte Carlo trials\t100000\tseed\t1")));

        testing::TempDir dir;
        const QString path = QString::fromStdString(dir.file("budget.png"));
        QVERIFY(window->saveImage(path));
        QVERIFY(!QImage(path).isNull());
        QVERIFY(chart->openBudget(2, 91) == nullptr); // beyond the curve
    }

    // RSS (dash-dot) and Monte Carlo (dash-dot-dot) beside each worst-case curve, in its colour and
    // in line styles no worst-case curve has; RSS never above the worst case; the legend says
    // which is which.
    void methodCurvesJoinTheChart() {
        const auto chart = makeChart();
        QSignalSpy finished(chart.get(), &PlotWindow::methodCurvesFinished);
        chart->setMethodCurvesShown(true);
        QVERIFY(finished.wait(60000));
        QVERIFY(chart->methodCurvesShown());
        const QList<QLineSeries*> series = chart->methodSeries();
        const int curves = int(content_.curves.size());
        QCOMPARE(series.size(), 2 * curves);
        for (int i = 0; i < curves; ++i) {
            QCOMPARE(series[i]->pen().style(), Qt::DashDotLine);
            QCOMPARE(series[curves + i]->pen().style(), Qt::DashDotDotLine);
            QCOMPARE(series[i]->pen().color(), CurvePen(i, curves).color());
            QVERIFY(CurvePen(i, curves).style() < Qt::DashDotLine);
            const QList<QPointF> rss = series[i]->points();
            QCOMPARE(rss.size(), content_.curves[i].points.size());
            for (int j = 0; j < rss.size(); ++j)
                QVERIFY(rss[j].y() <= worstDb(i, j));
        }
        QStringList legend;
        QVERIFY(chart->chart()->legend()->isVisible());
        for (QLegendMarker* marker : chart->chart()->legend()->markers())
            legend << marker->label();
        QVERIFY2(legend.contains(QStringLiteral("worst case: the lines above")),
                 qPrintable(legend.join(u',')));
        QVERIFY(legend.contains(QStringLiteral("RSS (dash-dot)")));
        QVERIFY(legend.contains(QStringLiteral("Monte Carlo 95 % (dash-dot-dot)")));
        chart->setMethodCurvesShown(false);
        QVERIFY(!chart->methodCurvesShown());
    }

    // "Budget of M2..." in the menu over the second marker explains that marker's point.
    void markerMenuExplainsItsMarkersPoint() {
        const auto chart = makeChart();
        QVERIFY(QTest::qWaitForWindowExposed(chart.get()));
        chart->addMarker(2, 45);
        chart->addMarker(1, 10);
        auto* series = static_cast<QLineSeries*>(chart->chart()->series()[1]);
        const QPointF inChart = chart->chart()->mapToPosition(series->at(10), series);
        const QPoint at = chart->view()->mapFromScene(chart->chart()->mapToScene(inChart));
        const std::unique_ptr<QMenu> menu(chart->createMenu(at));
        QAction* budget = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == QStringLiteral("Budget of M2...")) budget = action;
        QVERIFY(budget != nullptr && budget->isEnabled());
        budget->trigger();
        const QList<BudgetWindow*> windows = chart->findChildren<BudgetWindow*>();
        QCOMPARE(windows.size(), 1);
        UncertaintyPoint point;
        QVERIFY(ChartPointOf(*model_, content_, 1, 10, &point));
        QVERIFY2(windows[0]->budgetText().contains(DescribePoint(point)),
                 qPrintable(windows[0]->budgetText().section(u'\n', 0, 1)));
    }

    // Asked for with the linear magnitude on, the RSS curves show the RSS results' linear
    // magnitudes, and follow the chart back to dB.
    void methodCurvesFollowTheLinearMagnitude() {
        const auto chart = makeChart();
        chart->setLinearMagnitude(true);
        QSignalSpy finished(chart.get(), &PlotWindow::methodCurvesFinished);
        chart->setMethodCurvesShown(true);
        QVERIFY(finished.wait(60000));
        const ModelHandle copy = CopyModel(model_.get());
        const std::unique_ptr<UncertaintyInfo, void (*)(UncertaintyInfo*)> rss(
            CreateUncertaintyInfo(), [](UncertaintyInfo* r) { (void)DestroyUncertaintyInfo(r); });
        MethodOptions options;
        options.method = UncertaintyMethod::Rss;
        QCOMPARE(ComputeModelByMethod(copy.get(), rss.get(), options), 1);
        ChartContent expected;
        QVERIFY(ReadDutValueChart(rss.get(), kPlotTransmissionMagnitude, QString(), &expected));
        const QList<QLineSeries*> series = chart->methodSeries();
        for (bool linear : {true, false}) {
            chart->setLinearMagnitude(linear);
            for (int i = 0; i < int(expected.curves.size()); ++i) {
                const QList<QPointF> shown = series[i]->points();
                QCOMPARE(shown.size(), expected.curves[i].points.size());
                for (int j = 0; j < int(shown.size()); j += 9)
                    QCOMPARE(shown[j].y(), linear ? expected.curves[i].linearY[j]
                                                  : expected.curves[i].points[j].y());
            }
        }
    }

    // A chart without its computation's model explains nothing.
    void chartWithoutModelOffersNoBudget() {
        PlotWindow chart(content_, nullptr);
        QVERIFY(!chart.hasComputedModel());
        QVERIFY(chart.openBudget(0, 0) == nullptr);
    }
};

QTEST_MAIN(BudgetWindowTest)
#include "budget_window_test.moc"
