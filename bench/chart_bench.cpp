// Cost of making a chart window from a result and drawing it once, offscreen: what the user waits
// for between "Compute" and seeing the charts. One DUT-value chart (one curve per frequency). The
// program reads the result and thins the curves off the window's thread (BM_ChartPrepare), then
// makes and draws the window on it (BM_ChartWindow).

#include "core/owned.h"
#include "engine/plot_info.h"
#include "engine/uncertainty.h"
#include "ui/charts/chart_content.h"
#include "ui/charts/chart_drawing.h"
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

// A reflection result of numFreqs frequencies from 1 GHz and numValues DUT values from 0 to
// -100 dB, with bounds that grow with both, as a computation gives them.
Owned<UncertaintyInfo> MakeResult(int numFreqs, int numValues) {
    Owned<UncertaintyInfo> result(CreateUncertaintyInfo());
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

// One DUT-value chart of the result, read as the program reads it.
ChartContent ReadContent(const UncertaintyInfo* result) {
    ChartContent content;
    if (!ReadDutValueChart(result, kPlotReflectionMagnitude, QString(), &content)) std::abort();
    return content;
}

void BM_ChartFromResult(benchmark::State& state) {
    const int numFreqs = int(state.range(0));
    const int numValues = int(state.range(1));
    const auto result = MakeResult(numFreqs, numValues);
    for (auto _ : state) {
        PlotWindow window(ReadContent(result.get()), nullptr);
        benchmark::DoNotOptimize(window.grab());
    }
    state.counters["frequencies"] = numFreqs;
}
BENCHMARK(BM_ChartFromResult)
    ->Args({201, 91})
    ->Args({5000, 91})
    ->Args({5000, 1001})
    ->Args({6, 100000})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// The part of it that reads the result (axis ranges over every frequency, the curves drawn).
void BM_ChartContentOnly(benchmark::State& state) {
    const auto result = MakeResult(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadContent(result.get()));
}
// Reading and thinning run on every core: CPU time of the whole process.
BENCHMARK(BM_ChartContentOnly)
    ->Args({5000, 1001})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// Off the window's thread: reading the result and thinning the drawn curves.
void BM_ChartPrepare(benchmark::State& state) {
    const auto result = MakeResult(int(state.range(0)), int(state.range(1)));
    std::size_t drawnPoints = 0;
    for (auto _ : state) {
        const PreparedChart prepared = PrepareChart(ReadContent(result.get()));
        drawnPoints = 0;
        for (const QList<QPointF>& points : prepared.drawing.points)
            drawnPoints += std::size_t(points.size());
        benchmark::DoNotOptimize(prepared);
    }
    state.counters["drawnPoints"] = double(drawnPoints);
}
BENCHMARK(BM_ChartPrepare)
    ->Args({5000, 1001})
    ->Args({6, 100000})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// On the window's thread: making the window from the prepared chart and drawing it.
void BM_ChartWindow(benchmark::State& state) {
    const auto result = MakeResult(int(state.range(0)), int(state.range(1)));
    const PreparedChart prepared = PrepareChart(ReadContent(result.get()));
    for (auto _ : state) {
        PlotWindow window(prepared, nullptr);
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(BM_ChartWindow)->Args({5000, 1001})->Args({6, 100000})->Unit(benchmark::kMillisecond);

// A zoom or the switch to linear magnitude thins the drawn curves anew, on the window's thread.
void BM_ChartRethin(benchmark::State& state) {
    const auto result = MakeResult(int(state.range(0)), int(state.range(1)));
    const ChartContent content = ReadContent(result.get());
    const ChartRanges ranges = InitialRanges(content, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(PrepareDrawing(content, ranges, true));
}
BENCHMARK(BM_ChartRethin)->Args({5000, 1001})->Unit(benchmark::kMillisecond);

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
