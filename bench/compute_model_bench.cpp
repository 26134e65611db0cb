// Cost of the uncertainty computation per (frequency, DUT value) point, at the sizes users
// compute: cable drift tables as long as the frequency list, the other tables of 200 entries.

#include "bench_model.h"
#include "core/worker_pool.h"
#include "engine/compute_model.h"
#include "engine/model.h"
#include "engine/uncertainty.h"

#include <benchmark/benchmark.h>

#include <string>

namespace tolvane {
namespace {

// Seconds per point, shown with its SI prefix ("15n" is 15 ns).
benchmark::Counter PerPoint(int numFreqs, int numValues) {
    return benchmark::Counter(double(numFreqs) * numValues,
                              benchmark::Counter::kIsIterationInvariantRate |
                                  benchmark::Counter::kInvert);
}

// The thread count of the third argument: 0 for every hardware thread.
void UseThreads(benchmark::State& state) {
    const auto threads = static_cast<unsigned>(state.range(2));
    SetComputeModelThreads(threads);
    state.SetLabel(threads == 1 ? "1 thread"
                                : "all threads (" + std::to_string(HardwareThreads()) + ")");
}

// The same set-up computed again into the same result slot, whose arrays then keep their size.
void BM_ComputeModel(benchmark::State& state) {
    const int numFreqs = static_cast<int>(state.range(0));
    const int numValues = static_cast<int>(state.range(1));
    SetCoverageTraceStream(nullptr);
    UseThreads(state);
    ModelInfo* model = BenchModel(numFreqs, numValues);
    UncertaintyInfo* result = CreateUncertaintyInfo();
    Require(ComputeModel(model, result)); // the slot's first computation, not timed
    for (auto _ : state) {
        if (ComputeModel(model, result) != 1) state.SkipWithError("ComputeModel failed");
        benchmark::DoNotOptimize(result->transUpperBound.data());
    }
    state.counters["per_point"] = PerPoint(numFreqs, numValues);
    (void)DestroyUncertaintyInfo(result);
    (void)DestroyModelInfo(model);
}

// A computation into a new result record: allocating its arrays and the first writes to their
// pages, then freeing them.
void BM_ComputeModelNewRecord(benchmark::State& state) {
    const int numFreqs = static_cast<int>(state.range(0));
    const int numValues = static_cast<int>(state.range(1));
    SetCoverageTraceStream(nullptr);
    UseThreads(state);
    ModelInfo* model = BenchModel(numFreqs, numValues);
    for (auto _ : state) {
        UncertaintyInfo* result = CreateUncertaintyInfo();
        if (ComputeModel(model, result) != 1) state.SkipWithError("ComputeModel failed");
        benchmark::DoNotOptimize(result->transUpperBound.data());
        (void)DestroyUncertaintyInfo(result);
    }
    state.counters["per_point"] = PerPoint(numFreqs, numValues);
    (void)DestroyModelInfo(model);
}

// Frequencies, DUT values, threads (1, or 0 for all). The small case stays on one thread either
// way.
void Sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgsProduct({{201}, {91}, {1, 0}})
        ->ArgsProduct({{5000}, {1001}, {1, 0}})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
BENCHMARK(BM_ComputeModel)->Apply(Sizes);
BENCHMARK(BM_ComputeModelNewRecord)->Apply(Sizes);

} // namespace
} // namespace tolvane

BENCHMARK_MAIN();
