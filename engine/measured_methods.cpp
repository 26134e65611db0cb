#include "engine/measured_methods.h"

#include "components/dut.h"
#include "core/owned.h"
#include "core/worker_pool.h"
#include "engine/compute_config.h"
#include "engine/compute_model.h"
#include "engine/model.h"
#include "engine/uncertainty.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

int Fail(std::uint32_t message) {
    ReportModelError(MakeErrorCode(message, kRoutineComputeModel));
    return 0;
}

/// While it lives, the coverage-factor trace is silent: the computation has traced its factors
/// once, and the set-up of each frequency would trace them again.
class SilentTrace {
public:
    SilentTrace() : previous_(CoverageTraceStream()) { SetCoverageTraceStream(nullptr); }
    ~SilentTrace() { SetCoverageTraceStream(previous_); }
    SilentTrace(const SilentTrace&) = delete;
    SilentTrace& operator=(const SilentTrace&) = delete;

private:
    std::FILE* previous_;
};

/// The set-up of one measured frequency: the configuration's model built at that frequency alone
/// (its cable drift made there), and the same model seen from port 2.
class FrequencySetUp {
public:
    [[nodiscard]] int build(const ConfigInfo* config, double frequencyHz) {
        reversed_.reset();
        model_.reset(CreateModelInfo());
        if (model_ == nullptr) return Fail(kModelMsgCalledRoutine);
        const double frequencies[] = {frequencyHz};
        if (BuildModelFromConfig(config, frequencies, model_.get(), nullptr) == 0) return 0;
        try {
            reversed_ = std::make_unique<BorrowedModel>(*model_);
        } catch (const std::bad_alloc&) {
            return Fail(kMsgAllocation);
        }
        ModelInfo& reversed = reversed_->model();
        reversed.connector1.swap(reversed.connector2);
        reversed.cable1.swap(reversed.cable2);
        return 1;
    }
    [[nodiscard]] ModelInfo& model(bool reverse) { return reverse ? reversed_->model() : *model_; }

private:
    Owned<ModelInfo> model_;
    /// The model's settings with its records borrowed, the connectors and the cables exchanged.
    std::unique_ptr<BorrowedModel> reversed_;
};

/// One bound a method replaces: the measured parameter and frequency index it belongs to, and the
/// point of the set-up (forward, or seen from port 2) whose measurement gives it.
struct MethodEntry {
    SParameter target;
    std::size_t index;
    bool reverse;
    UncertaintyPoint point;
};

/// The bounds of measured frequency `index`: S11 and S21 forward; S22 and S12 the reflection and
/// transmission of the reverse direction, whose DUT is the measured one turned round.
std::vector<MethodEntry> EntriesAt(const Measurement& measurement, std::size_t index) {
    const MeasuredPoint& at = measurement.points[index];
    const MeasuredDUTValues v = ForwardDUTValues(at, measurement.numPorts);
    const auto point = [&](bool reverse, MeasuredParameter parameter) {
        return reverse ? UncertaintyPoint{at.frequencyHz, v.s22, v.s21, v.s12, v.s11, parameter}
                       : UncertaintyPoint{at.frequencyHz, v.s11, v.s12, v.s21, v.s22, parameter};
    };
    std::vector<MethodEntry> entries{
        {SParameter::S11, index, false, point(false, MeasuredParameter::S11)}};
    if (measurement.numPorts != 2) return entries;
    entries.push_back({SParameter::S21, index, false, point(false, MeasuredParameter::S21)});
    entries.push_back({SParameter::S12, index, true, point(true, MeasuredParameter::S21)});
    entries.push_back({SParameter::S22, index, true, point(true, MeasuredParameter::S11)});
    return entries;
}

void Replace(MeasuredBounds& bounds, double deviation) {
    float upper = bounds.upperBound;
    float phase = bounds.phaseDeg;
    ReplaceBound(bounds.nominal, deviation, upper, phase);
    bounds.setBound(upper, phase);
}

/// How often the set-ups are built between two looks at the progress callback.
constexpr std::size_t kPointsBetweenProgress = 16;

/// Computes `model` (one frequency) by RSS for a user-defined DUT of these values and puts its
/// reflection and transmission bounds into `reflection` and `transmission` (null: not wanted).
int ComputeDirectionByRss(ModelInfo& model, const UncertaintyPoint& values, UncertaintyInfo& result,
                          MeasuredBounds* reflection, MeasuredBounds* transmission) {
    MethodOptions rss;
    rss.method = UncertaintyMethod::Rss;
    if (!SetDUTType(model.dut, DUT_USER_DEFINED) || !SetDUTFreqSweep(model.dut, 0) ||
        !SetDUTUserSParams(model.dut, values.s11Db, values.s12Db, values.s21Db, values.s22Db) ||
        ComputeModelByMethod(&model, &result, rss) == 0)
        return Fail(kModelMsgCalledRoutine);
    float nominal = 0.0f, upper = 0.0f, phase = 0.0f;
    if (reflection != nullptr) {
        if (GetUncertaintyRefl(&result, 0, 0, &nominal, &upper, &phase) == 0)
            return Fail(kModelMsgCalledRoutine);
        reflection->setBound(upper, phase);
    }
    if (transmission != nullptr) {
        if (GetUncertaintyTrans(&result, 0, 0, &nominal, &upper, &phase) == 0)
            return Fail(kModelMsgCalledRoutine);
        transmission->setBound(upper, phase);
    }
    return 1;
}

// Each direction of each frequency is the configuration at that frequency computed by RSS: one
// run gives both its reflection and its transmission.
int ReplaceByRss(const ConfigInfo* config, const Measurement& measurement,
                 const MethodOptions& options, MeasuredResults& results) {
    const std::size_t n = measurement.points.size();
    const bool twoPort = measurement.numPorts == 2;
    const long long perPoint = twoPort ? 4 : 1;
    Owned<UncertaintyInfo> result(CreateUncertaintyInfo());
    if (result == nullptr) return Fail(kMsgAllocation);
    const auto bounds = [&](SParameter p, std::size_t i) { return &results.bounds[Index(p)][i]; };
    FrequencySetUp setUp;
    for (std::size_t i = 0; i < n; ++i) {
        if (options.progress && i % kPointsBetweenProgress == 0 &&
            !options.progress(static_cast<long long>(i) * perPoint, perPoint * (long long)n))
            return 0;
        if (setUp.build(config, measurement.points[i].frequencyHz) == 0) return 0;
        const std::vector<MethodEntry> entries = EntriesAt(measurement, i);
        if (ComputeDirectionByRss(setUp.model(false), entries[0].point, *result,
                                  bounds(SParameter::S11, i),
                                  twoPort ? bounds(SParameter::S21, i) : nullptr) == 0)
            return 0;
        if (twoPort &&
            ComputeDirectionByRss(setUp.model(true), entries[2].point, *result,
                                  bounds(SParameter::S22, i), bounds(SParameter::S12, i)) == 0)
            return 0;
    }
    if (options.progress) (void)options.progress(perPoint * (long long)n, perPoint * (long long)n);
    return 1;
}

/// A bound's Monte Carlo job: its terms looked up, its deviation once evaluated.
struct MonteCarloJob {
    SParameter target;
    std::size_t index;
    MeasuredParameter parameter;
    TermMagnitudes terms;
    double deviation = 0.0;
};

int ReplaceByMonteCarlo(const ConfigInfo* config, const Measurement& measurement,
                        const MethodOptions& options, MeasuredResults& results) {
    const std::size_t n = measurement.points.size();
    const long long total = (measurement.numPorts == 2 ? 4 : 1) * static_cast<long long>(n);
    std::vector<MonteCarloJob> jobs;
    std::unique_ptr<MonteCarloTrials> trials;
    try {
        jobs.reserve(static_cast<std::size_t>(total));
        trials =
            std::make_unique<MonteCarloTrials>(options.monteCarlo.trials, options.monteCarlo.seed);
    } catch (const std::bad_alloc&) {
        return Fail(kMsgAllocation);
    }
    // The lookups, quick and reporting, on this thread; then the trials on the workers.
    FrequencySetUp setUp;
    for (std::size_t i = 0; i < n; ++i) {
        if (options.progress && i % kPointsBetweenProgress == 0 && !options.progress(0, total))
            return 0;
        if (setUp.build(config, measurement.points[i].frequencyHz) == 0) return 0;
        for (const MethodEntry& entry : EntriesAt(measurement, i)) {
            MonteCarloJob job{entry.target, entry.index, entry.point.parameter, {}};
            if (LookUpTermMagnitudes(setUp.model(entry.reverse), entry.point, &job.terms) == 0)
                return Fail(kModelMsgCalledRoutine);
            jobs.push_back(job);
        }
    }
    unsigned threads = options.threads > 0 ? unsigned(options.threads) : HardwareThreads();
    threads = std::max(1u, std::min<unsigned>(threads, unsigned(jobs.size())));
    std::vector<std::vector<double>> work(threads);
    std::atomic<long long> done{0};
    std::atomic<bool> cancelled{false};
    RunOnWorkers(jobs.size(), threads, [&](std::size_t at, unsigned worker) {
        if (cancelled) return;
        MonteCarloJob& job = jobs[at];
        job.deviation = EvaluateMonteCarlo(job.terms, job.parameter, *trials, work[worker], true)
                            .upperDeviation;
        const long long doneNow = ++done;
        if (worker == 0 && options.progress && !options.progress(doneNow, total)) cancelled = true;
    });
    if (cancelled) return 0;
    for (const MonteCarloJob& job : jobs)
        Replace(results.bounds[Index(job.target)][job.index], job.deviation);
    if (options.progress) (void)options.progress(total, total);
    return 1;
}

} // namespace

int ComputeMeasuredByMethod(const ConfigInfo* config, const Measurement& measurement,
                            const MethodOptions& options, MeasuredResults* results) {
    if (results == nullptr) {
        ReportModelError(MakeErrorCode(kMsgNullPointer, kRoutineComputeModel));
        return 0;
    }
    MeasuredResults computed;
    if (ComputeMeasuredDUT(config, measurement, &computed) == 0) return 0;
    const SilentTrace silent;
    switch (options.method) {
    case UncertaintyMethod::WorstCase:
        break;
    case UncertaintyMethod::Rss:
        if (ReplaceByRss(config, measurement, options, computed) == 0) return 0;
        break;
    case UncertaintyMethod::MonteCarlo:
        if (ReplaceByMonteCarlo(config, measurement, options, computed) == 0) return 0;
        break;
    }
    *results = std::move(computed);
    return 1;
}

} // namespace tolvane
