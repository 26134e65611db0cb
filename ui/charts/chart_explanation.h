#pragma once

#include "engine/compute_commands.h"
#include "engine/uncertainty.h"
#include "engine/uncertainty_methods.h"
#include "ui/charts/chart_content.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

class QProgressDialog;
class QTimer;

namespace tolvane {

/// The model a chart's results were computed from, kept with the chart so that its points can be
/// explained and its other methods computed however the program's set-up changes meanwhile.
using ComputedModel = std::shared_ptr<const ModelInfo>;
/// `model` shared among the charts of its computation (null stays null).
[[nodiscard]] ComputedModel KeepComputedModel(ModelHandle model);

/// The computation's point behind point `point` of curve `curve` of a chart: for a DUT-value
/// chart frequency `curve` and DUT value `point`, for a frequency chart frequency `point`; the
/// measurement the chart shows. False when the indices or the model do not fit.
[[nodiscard]] bool ChartPointOf(const ModelInfo& model, const ChartContent& content, int curve,
                                int point, UncertaintyPoint* out);

/// "S11 at 10.000000 GHz, DUT value -20.00 dB" for a point.
[[nodiscard]] QString DescribePoint(const UncertaintyPoint& point);

/// The budget and the Monte Carlo interval of a chart point, computed on the spot (well under a
/// second). False after the failure has been reported.
[[nodiscard]] bool ExplainChartPoint(const ModelInfo& model, const ChartContent& content, int curve,
                                     int point, PointExplanation* explanation,
                                     QString* description);

/// The RSS and Monte Carlo results of a chart's computation, for curves beside the worst case. The
/// RSS and the worst case the Monte Carlo sweep starts from are computed at once; the Monte Carlo
/// sweep runs on other threads while the window goes on, with a progress dialog whose Cancel stops
/// it. `finished` is emitted once, on the window's thread, when the results are ready or the sweep
/// has stopped.
class MethodResults : public QObject {
    Q_OBJECT
public:
    MethodResults(ComputedModel model, QWidget* window);
    ~MethodResults() override;

    /// Starts the computation; false after a failure of the quick part has been reported.
    bool start(const MonteCarloOptions& options);
    /// Asks the sweep to stop; `finished` follows with done() false.
    void cancel();
    [[nodiscard]] bool running() const { return worker_.joinable(); }
    /// True once the Monte Carlo results are complete.
    [[nodiscard]] bool done() const { return done_; }
    [[nodiscard]] const UncertaintyInfo* rss() const { return rss_.get(); }
    [[nodiscard]] const UncertaintyInfo* monteCarlo() const { return monteCarlo_.get(); }

Q_SIGNALS:
    void finished();

private:
    using Results = Owned<UncertaintyInfo>;
    void poll();

    std::shared_ptr<ModelInfo> model_; // the sweep's own copy: the computation writes its flags
    QWidget* window_;
    Results rss_;
    Results monteCarlo_;
    std::thread worker_;
    std::atomic<long long> pointsDone_{0};
    std::atomic<long long> pointsTotal_{1};
    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> workerFinished_{false};
    SweepOutcome outcome_ = SweepOutcome::Cancelled;
    bool done_ = false;
    QProgressDialog* progress_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace tolvane
