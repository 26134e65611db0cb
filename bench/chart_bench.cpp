// Cost of making a chart window from a result and drawing it once, offscreen: what the user waits
// for between "Compute" and seeing the charts. One DUT-value chart (one curve per frequency).

#include "engine/plot_info.h"
#include "engine/uncertainty.h"
#include "ui/charts/chart_content.h"
#include "ui/charts/plot_window.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace tolvane {
namespace {

void Require(int result) {
    if (result != 1) std::abort();
}

struct ResultDeleter {
    void operator()(UncertaintyInfo* result) const { (void)DestroyUncertaintyInfo(result); }
};

// A reflection result of numFreqs frequencies from 1 GHz and numValues DUT values from 0 to
// -100 dB, with bounds that grow with both, as a computation gives them.
std::unique_ptr<UncertaintyInfo, ResultDeleter> MakeResult(int numFreqs, int numValues) {
    std::unique_ptr<UncertaintyInfo, ResultDeleter> result(CreateUncertaintyInfo());
    Require(SetUncertaintyNumFreqs(result.get(), numFreqs));
    for (int i = 0; i < numFreqs; ++i)
        Require(SetUncertaintyFreq(result.get(), i, 1e9 + i * 1e7));
    Require(SetUncertaintyNumDUTValues(result.get(), numValues));
    Require(SetUncertaintyType(result.get(), kUncertaintyReflection));
    Require(InitializeUncertainty(result.get()));
    for (int i = 0; i < numFreqs; ++i)
        for (int j = 0; j < numValues; ++j) {
            const double dutDb = -100.0 * j / std::max(1, numValues - 1);
            const auto nominal = float(std::pow(10.0, dutDb / 20.0));
            const auto upper = nominal * (1.0f + 0.001f * float(i + 1) * float(j + 1));
            Require(SetUncertaintyRefl(result.get(), i, j, nominal, upper, 0.1f * float(j + 1)));
        }
    return result;
}

void BM_ChartFromResult(benchmark::State& state) {
    const int numFreqs = int(state.range(0));
    const int numValues = int(state.range(1));
    const auto result = MakeResult(numFreqs, numValues);
    for (auto _ : state) {
        ChartContent content;
        if (!ReadDutValueChart(result.get(), kPlotReflectionMagnitude, QString(), &content))
            std::abort();
        PlotWindow window(content, nullptr);
        benchmark::DoNotOptimize(window.grab());
    }
    state.counters["frequencies"] = numFreqs;
}
BENCHMARK(BM_ChartFromResult)
    ->Args({201, 91})
    ->Args({5000, 91})
    ->Args({5000, 1001})
    ->Args({6, 100000})
    ->Unit(benchmark::kMillisecond);

// The part of it that reads the result (axis ranges over every frequency, the curves drawn).
void BM_ChartContentOnly(benchmark::State& state) {
    const auto result = MakeResult(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        ChartContent content;
        if (!ReadDutValueChart(result.get(), kPlotReflectionMagnitude, QString(), &content))
            std::abort();
        benchmark::DoNotOptimize(content);
    }
}
BENCHMARK(BM_ChartContentOnly)->Args({5000, 1001})->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tolvane

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
