#pragma once

#include "engine/budget.h"
#include "engine/monte_carlo.h"
#include "engine/uncertainty_point.h"

#include <functional>

namespace tolvane {

struct UncertaintyInfo;

/// How the upper bound of a measured magnitude is formed.
enum class UncertaintyMethod {
    WorstCase,  ///< every error in its worst phase: a guaranteed limit
    Rss,        ///< root-sum-square of the terms' deviations: the terms taken as independent
    MonteCarlo, ///< the 97.5 % quantile of the measured magnitude over random phases
};

/// "worst case", "rss", "monte carlo 95%": the method as the budget's csv names it.
[[nodiscard]] const char* UncertaintyMethodName(UncertaintyMethod method);

/// Called now and then during a long computation, on the thread that runs it, with the points
/// done and the points in all; returning false cancels the computation.
using MethodProgress = std::function<bool(long long done, long long total)>;

struct MethodOptions {
    UncertaintyMethod method = UncertaintyMethod::WorstCase;
    MonteCarloOptions monteCarlo{kDefaultSweepTrials, kDefaultMonteCarloSeed};
    /// Threads of a Monte Carlo sweep (the library's workers); 0 takes every hardware thread.
    int threads = 0;
    MethodProgress progress;
};

/// ComputeModel by `options.method`. The worst case is ComputeModel itself. The other methods run
/// it first (its checks, messages and trace, the nominal magnitudes) and then replace the upper
/// bound of every measurement the result type shows by the method's: RSS from eleven more runs of
/// the worst-case computation, each with one term alone; Monte Carlo point by point from the
/// trials of the options (a one-type DUT's other measurement keeps its worst-case bound). The
/// phase of a method's bound is the arcsine of its relative deviation plus the cable phase drift,
/// as in the worst case. Returns 0 after a failure has been reported, or without a message when the
/// progress callback cancelled (the record then holds a mixture: discard it).
int ComputeModelByMethod(ModelInfo* model, UncertaintyInfo* result, const MethodOptions& options);

/// Replaces a worst-case bound (`upperBound`, `phaseDeg`) of nominal magnitude `nominal` by a
/// method's: nominal + deviation, and the arcsine of the deviation plus the worst case's cable
/// phase drift (its phase less its own arcsine part).
void ReplaceBound(float nominal, double deviation, float& upperBound, float& phaseDeg);

enum class SweepOutcome { Done, Cancelled, Failed, OutOfMemory };

/// The Monte Carlo part of ComputeModelByMethod, reporting nothing, for a caller that runs it away
/// from its window's thread and reports the outcome there: replaces the bounds of `result`, the
/// worst-case result of `model` computed just before, by the Monte Carlo bounds. The model is only
/// read. Failed means a term lookup failed, which a model whose worst case was computed does not
/// do.
[[nodiscard]] SweepOutcome ReplaceByMonteCarlo(const ModelInfo& model, UncertaintyInfo& result,
                                               const MethodOptions& options);

/// The upper deviation (upper bound minus nominal magnitude, linear) of one point by `method`,
/// with coverage factors `k`; the Monte Carlo options are used by that method only. The per-point
/// call for tools that compare the methods. 0 after a failure has been reported.
[[nodiscard]] int ComputePointDeviation(const ModelInfo& model, const CoverageFactors& k,
                                        const UncertaintyPoint& point, UncertaintyMethod method,
                                        const MonteCarloOptions& monteCarlo, double* deviation);

/// Everything the program says about one point: its budget (with the worst case and RSS) and its
/// Monte Carlo interval.
struct PointExplanation {
    UncertaintyBudget budget;
    CoverageInterval monteCarlo;
    MonteCarloOptions monteCarloOptions;
};

/// The budget and the Monte Carlo interval of `point` of `model` with coverage factors `k`.
/// 0 after a failure has been reported.
[[nodiscard]] int ExplainPoint(const ModelInfo& model, const CoverageFactors& k,
                               const UncertaintyPoint& point, const MonteCarloOptions& monteCarlo,
                               PointExplanation* explanation);

} // namespace tolvane
