#include "engine/uncertainty_methods.h"

#include "core/owned.h"
#include "core/worker_pool.h"
#include "engine/compute_model.h"
#include "engine/model.h"
#include "engine/model_terms.h"
#include "engine/uncertainty.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace tolvane {
namespace {

int Fail(std::uint32_t message) {
    ReportModelError(MakeErrorCode(message, kRoutineComputeModel));
    return 0;
}

bool ReadCoverageFactors(const ModelInfo& model, CoverageFactors* k) {
    return GetDUTCoverageFactorArray(model.dut, k) != 0;
}

// The measurements whose bounds a method replaces: those the result type shows.
bool Shows(const UncertaintyInfo& result, MeasuredParameter parameter) {
    return (result.type & (parameter == MeasuredParameter::S11 ? kUncertaintyReflection
                                                               : kUncertaintyTransmission)) != 0;
}

int ComputeRss(ModelInfo* model, UncertaintyInfo* result) {
    CoverageFactors k{};
    if (!ReadCoverageFactors(*model, &k)) return Fail(kModelMsgCalledRoutine);
    const std::size_t cells = result->reflNominal.size();
    std::vector<double> reflSquares, transSquares;
    Owned<UncertaintyInfo> alone(CreateUncertaintyInfo());
    try {
        reflSquares.assign(cells, 0.0);
        transSquares.assign(cells, 0.0);
    } catch (const std::bad_alloc&) {
        return Fail(kMsgAllocation);
    }
    if (alone == nullptr) return Fail(kMsgAllocation);
    for (const BudgetTerm& term : kBudgetTerms) {
        CoverageFactors factors = k;
        for (const BudgetTerm& other : kBudgetTerms)
            if (other.coverage != term.coverage)
                factors[other.coverage] = std::numeric_limits<float>::infinity();
        if (ComputeModelWithFactors(model, factors, alone.get()) == 0)
            return Fail(kModelMsgCalledRoutine);
        for (std::size_t at = 0; at < cells; ++at) {
            const double r = double(alone->reflUpperBound[at]) - alone->reflNominal[at];
            const double t = double(alone->transUpperBound[at]) - alone->transNominal[at];
            reflSquares[at] += r * r;
            transSquares[at] += t * t;
        }
    }
    for (std::size_t at = 0; at < cells; ++at) {
        ReplaceBound(result->reflNominal[at], std::sqrt(reflSquares[at]),
                     result->reflUpperBound[at], result->reflPhaseDeg[at]);
        ReplaceBound(result->transNominal[at], std::sqrt(transSquares[at]),
                     result->transUpperBound[at], result->transPhaseDeg[at]);
    }
    return 1;
}

// A Monte Carlo sweep on the library's workers: each takes the next frequency row.
class MonteCarloSweep {
public:
    MonteCarloSweep(const ModelInfo& model, UncertaintyInfo& result, const MonteCarloTrials& trials,
                    const MethodProgress& progress)
        : model_(model), result_(result), trials_(trials), progress_(progress),
          total_(static_cast<long long>(result.numFreqs) * result.numDUTValues) {}

    // Runs on `threads` workers, this thread among them and the one that reports the progress
    // (first with 0 points done, then after each of its rows). False when a lookup failed or the
    // progress callback cancelled.
    bool run(unsigned threads) {
        if (progress_ && !progress_(0, total_)) {
            cancelled_ = true;
            return false;
        }
        std::vector<std::vector<double>> work(threads);
        RunOnWorkers(static_cast<std::size_t>(result_.numFreqs), threads,
                     [&](std::size_t row, unsigned worker) {
                         if (failed_ || cancelled_) return;
                         if (!computeRow(static_cast<int>(row), work[worker])) {
                             failed_ = true;
                             return;
                         }
                         const long long done = donePoints_ += result_.numDUTValues;
                         if (worker == 0 && progress_ && !progress_(done, total_))
                             cancelled_ = true;
                     });
        if (!failed_ && !cancelled_ && progress_) (void)progress_(total_, total_);
        return !failed_ && !cancelled_;
    }
    [[nodiscard]] bool cancelled() const { return cancelled_; }

private:
    bool computeRow(int i, std::vector<double>& work) {
        UncertaintyRow row;
        if (GetUncertaintyRow(&result_, i, &row) == 0) return false;
        for (int j = 0; j < result_.numDUTValues; ++j) {
            const auto at = static_cast<std::size_t>(j);
            for (MeasuredParameter parameter : {MeasuredParameter::S11, MeasuredParameter::S21}) {
                if (!Shows(result_, parameter)) continue;
                UncertaintyPoint point;
                TermMagnitudes terms;
                if (ModelPoint(&model_, i, j, parameter, &point) == 0 ||
                    LookUpTermMagnitudes(model_, point, &terms) == 0)
                    return false;
                const CoverageInterval interval =
                    EvaluateMonteCarlo(terms, parameter, trials_, work, true);
                if (parameter == MeasuredParameter::S11)
                    ReplaceBound(row.reflNominal[at], interval.upperDeviation,
                                 row.reflUpperBound[at], row.reflPhaseDeg[at]);
                else
                    ReplaceBound(row.transNominal[at], interval.upperDeviation,
                                 row.transUpperBound[at], row.transPhaseDeg[at]);
            }
        }
        return true;
    }

    const ModelInfo& model_;
    UncertaintyInfo& result_;
    const MonteCarloTrials& trials_;
    const MethodProgress& progress_;
    const long long total_;
    std::atomic<long long> donePoints_{0};
    std::atomic<bool> failed_{false};
    std::atomic<bool> cancelled_{false};
};

int ComputeMonteCarlo(ModelInfo* model, UncertaintyInfo* result, const MethodOptions& options) {
    switch (ReplaceByMonteCarlo(*model, *result, options)) {
    case SweepOutcome::Done:
        return 1;
    case SweepOutcome::Cancelled:
        return 0;
    case SweepOutcome::OutOfMemory:
        return Fail(kMsgAllocation);
    case SweepOutcome::Failed:
        break;
    }
    return Fail(kModelMsgCalledRoutine);
}

} // namespace

void ReplaceBound(float nominal, double deviation, float& upperBound, float& phaseDeg) {
    const double worstDrift = phaseDeg - ArcsinePhaseDeg(double(upperBound) - nominal, nominal);
    upperBound = static_cast<float>(nominal + deviation);
    phaseDeg = static_cast<float>(ArcsinePhaseDeg(deviation, nominal) + worstDrift);
}

SweepOutcome ReplaceByMonteCarlo(const ModelInfo& model, UncertaintyInfo& result,
                                 const MethodOptions& options) {
    std::unique_ptr<MonteCarloTrials> trials;
    try {
        trials =
            std::make_unique<MonteCarloTrials>(options.monteCarlo.trials, options.monteCarlo.seed);
    } catch (const std::bad_alloc&) {
        return SweepOutcome::OutOfMemory;
    }
    unsigned threads = options.threads > 0 ? unsigned(options.threads) : HardwareThreads();
    threads = std::max(1u, std::min(threads, unsigned(std::max(result.numFreqs, 1))));
    MonteCarloSweep sweep(model, result, *trials, options.progress);
    if (sweep.run(threads)) return SweepOutcome::Done;
    return sweep.cancelled() ? SweepOutcome::Cancelled : SweepOutcome::Failed;
}

const char* UncertaintyMethodName(UncertaintyMethod method) {
    switch (method) {
    case UncertaintyMethod::WorstCase:
        return "worst case";
    case UncertaintyMethod::Rss:
        return "rss";
    case UncertaintyMethod::MonteCarlo:
        return "monte carlo 95%";
    }
    return "";
}

int ComputeModelByMethod(ModelInfo* model, UncertaintyInfo* result, const MethodOptions& options) {
    if (ComputeModel(model, result) == 0) return 0;
    switch (options.method) {
    case UncertaintyMethod::WorstCase:
        return 1;
    case UncertaintyMethod::Rss:
        return ComputeRss(model, result);
    case UncertaintyMethod::MonteCarlo:
        return ComputeMonteCarlo(model, result, options);
    }
    return 1;
}

int ComputePointDeviation(const ModelInfo& model, const CoverageFactors& k,
                          const UncertaintyPoint& point, UncertaintyMethod method,
                          const MonteCarloOptions& monteCarlo, double* deviation) {
    if (method == UncertaintyMethod::MonteCarlo) {
        CoverageInterval interval;
        if (MonteCarloPoint(model, point, monteCarlo, &interval) == 0) return 0;
        *deviation = interval.upperDeviation;
        return 1;
    }
    UncertaintyBudget budget;
    if (ComputeUncertaintyBudget(model, k, point, &budget) == 0) return 0;
    *deviation = method == UncertaintyMethod::Rss ? budget.rssDeviation : budget.worstCaseDeviation;
    return 1;
}

int ExplainPoint(const ModelInfo& model, const CoverageFactors& k, const UncertaintyPoint& point,
                 const MonteCarloOptions& monteCarlo, PointExplanation* explanation) {
    PointExplanation e;
    e.monteCarloOptions = monteCarlo;
    if (ComputeUncertaintyBudget(model, k, point, &e.budget) == 0 ||
        MonteCarloPoint(model, point, monteCarlo, &e.monteCarlo) == 0)
        return 0;
    *explanation = e;
    return 1;
}

} // namespace tolvane
