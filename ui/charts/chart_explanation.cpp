#include "ui/charts/chart_explanation.h"

#include "core/message_sink.h"
#include "core/vector_state.h"
#include "engine/compute_commands.h"
#include "engine/compute_model.h"
#include "engine/model.h"
#include "engine/plot_info.h"
#include "engine/uncertainty.h"
#include "ui/busy_cursor.h"

#include <QProgressDialog>
#include <QTimer>

namespace tolvane {

ComputedModel KeepComputedModel(ModelHandle model) {
    if (model == nullptr) return nullptr;
    return ComputedModel(std::move(model));
}

bool ChartPointOf(const ModelInfo& model, const ChartContent& content, int curve, int point,
                  UncertaintyPoint* out) {
    const bool frequencyChart = content.kind >= kPlotFrequencyMagnitude;
    const int i = frequencyChart ? point : curve;
    const int j = frequencyChart ? 0 : point;
    if (i < 0 || i >= model.numFreqs || j < 0) return false;
    const bool reflection = content.quantity == kQuantityReflectionMagnitude ||
                            content.quantity == kQuantityReflectionPhase;
    return ModelPoint(&model, i, j, reflection ? MeasuredParameter::S11 : MeasuredParameter::S21,
                      out) != 0;
}

QString DescribePoint(const UncertaintyPoint& point) {
    const bool reflection = point.parameter == MeasuredParameter::S11;
    return QStringLiteral("%1 at %2, DUT value %3 dB")
        .arg(reflection ? QStringLiteral("S11") : QStringLiteral("S21"),
             FrequencyLabel(point.frequencyHz),
             QString::number(reflection ? point.s11Db : point.s21Db, 'f', 2));
}

bool ExplainChartPoint(const ModelInfo& model, const ChartContent& content, int curve, int point,
                       PointExplanation* explanation, QString* description) {
    UncertaintyPoint at;
    if (!ChartPointOf(model, content, curve, point, &at)) return false;
    CoverageFactors k{};
    std::copy(model.dut->coverageFactors.begin(), model.dut->coverageFactors.end(), k.begin());
    const BusyCursor busy;
    if (ExplainPoint(model, k, at, {kDefaultPointTrials, kDefaultMonteCarloSeed}, explanation) == 0)
        return false;
    *description = DescribePoint(at);
    return true;
}

MethodResults::MethodResults(ComputedModel model, QWidget* window)
    : QObject(window), window_(window) {
    if (model != nullptr) {
        ModelHandle copy = CopyModel(model.get());
        if (copy != nullptr) model_ = std::move(copy);
    }
}

MethodResults::~MethodResults() {
    cancelRequested_ = true;
    if (worker_.joinable()) worker_.join();
}

bool MethodResults::start(const MonteCarloOptions& options) {
    if (model_ == nullptr || running()) return false;
    rss_.reset(CreateUncertaintyInfo());
    monteCarlo_.reset(CreateUncertaintyInfo());
    if (rss_ == nullptr || monteCarlo_ == nullptr) return false;
    {
        // The quick part, with its messages, here: RSS and the worst case Monte Carlo starts from.
        const BusyCursor busy;
        MethodOptions rss;
        rss.method = UncertaintyMethod::Rss;
        if (ComputeModelByMethod(model_.get(), rss_.get(), rss) == 0 ||
            ComputeModel(model_.get(), monteCarlo_.get()) == 0)
            return false;
    }
    MethodOptions sweep;
    sweep.method = UncertaintyMethod::MonteCarlo;
    sweep.monteCarlo = options;
    sweep.progress = [this](long long done, long long total) {
        pointsDone_ = done;
        pointsTotal_ = std::max(total, 1LL);
        return !cancelRequested_;
    };
    workerFinished_ = false;
    cancelRequested_ = false;
    done_ = false;
    worker_ = std::thread([this, sweep] {
        ClearUpperVectorState(); // inherited from the window's thread
        outcome_ = ReplaceByMonteCarlo(*model_, *monteCarlo_, sweep);
        workerFinished_ = true;
    });
    progress_ = new QProgressDialog(QStringLiteral("Computing the Monte Carlo curves..."),
                                    QStringLiteral("Cancel"), 0, 1000, window_);
    progress_->setWindowTitle(QStringLiteral("Monte Carlo"));
    progress_->setMinimumDuration(300);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    connect(progress_, &QProgressDialog::canceled, this, &MethodResults::cancel);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &MethodResults::poll);
    timer_->start(50);
    return true;
}

void MethodResults::cancel() {
    cancelRequested_ = true;
}

void MethodResults::poll() {
    if (progress_ != nullptr)
        progress_->setValue(int(1000 * pointsDone_.load() / std::max(pointsTotal_.load(), 1LL)));
    if (!workerFinished_) return;
    worker_.join();
    timer_->stop();
    timer_->deleteLater();
    timer_ = nullptr;
    if (progress_ != nullptr) {
        progress_->deleteLater();
        progress_ = nullptr;
    }
    done_ = outcome_ == SweepOutcome::Done;
    if (outcome_ == SweepOutcome::OutOfMemory)
        ReportModelError(MakeErrorCode(kMsgAllocation, kRoutineComputeModel));
    else if (outcome_ == SweepOutcome::Failed)
        ReportModelError(MakeErrorCode(kModelMsgCalledRoutine, kRoutineComputeModel));
    Q_EMIT finished();
}

} // namespace tolvane
