// Cost of explaining a point (its budget) and of the statistical methods: Monte Carlo of one point
// and of a whole sweep on every core.

#include "bench_model.h"
#include "engine/budget.h"
#include "engine/compute_model.h"
#include "engine/monte_carlo.h"
#include "engine/uncertainty.h"
#include "engine/uncertainty_methods.h"

#include <benchmark/benchmark.h>

namespace tolvane {
namespace {

CoverageFactors Factors(const ModelInfo& model) {
    CoverageFactors k{};
    Require(GetDUTCoverageFactors(model.dut, &k[0], &k[1], &k[2], &k[3], &k[4], &k[5], &k[6], &k[7],
                                  &k[8], &k[9], &k[10], &k[11]));
    return k;
}

// The budget of one transmission point: 23 worst-case computations of a single point.
void BM_BudgetOfOnePoint(benchmark::State& state) {
    ModelInfo* model = BenchModel(201, 91);
    UncertaintyPoint point;
    Require(ModelPoint(model, 100, 45, MeasuredParameter::S21, &point));
    const CoverageFactors k = Factors(*model);
    for (auto _ : state) {
        UncertaintyBudget budget;
        Require(ComputeUncertaintyBudget(*model, k, point, &budget));
        benchmark::DoNotOptimize(budget.rssDeviation);
    }
    (void)DestroyModelInfo(model);
}

// Monte Carlo of one point with the default 100,000 trials, drawing them included.
void BM_MonteCarloOfOnePoint(benchmark::State& state) {
    ModelInfo* model = BenchModel(201, 91);
    UncertaintyPoint point;
    Require(ModelPoint(model, 100, 45, MeasuredParameter::S21, &point));
    for (auto _ : state) {
        CoverageInterval interval;
        Require(MonteCarloPoint(*model, point, {kDefaultPointTrials, kDefaultMonteCarloSeed},
                                &interval));
        benchmark::DoNotOptimize(interval.upperDeviation);
    }
    (void)DestroyModelInfo(model);
}

// A Monte Carlo sweep of 201 frequencies by 91 transmission values, 10,000 trials a point, on
// every processor; the worst-case computation it starts with included.
void BM_MonteCarloSweep(benchmark::State& state) {
    SetCoverageTraceStream(nullptr);
    ModelInfo* model = BenchModel(201, 91);
    UncertaintyInfo* result = CreateUncertaintyInfo();
    MethodOptions options;
    options.method = UncertaintyMethod::MonteCarlo;
    for (auto _ : state) {
        if (ComputeModelByMethod(model, result, options) != 1)
            state.SkipWithError("ComputeModelByMethod failed");
        benchmark::DoNotOptimize(result->transUpperBound.data());
    }
    (void)DestroyUncertaintyInfo(result);
    (void)DestroyModelInfo(model);
}

BENCHMARK(BM_BudgetOfOnePoint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MonteCarloOfOnePoint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonteCarloSweep)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
} // namespace tolvane

BENCHMARK_MAIN();
