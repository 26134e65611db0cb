// Cost of the uncertainty of a measured two-port: a 10,001-frequency .s2p from 0.05 to 26.5 GHz
// computed in both directions with the shipped database and default configuration, and the
// reading of that file.

#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/measured_dut.h"
#include "engine/measured_methods.h"
#include "engine/program_state.h"
#include "files/config_file.h"
#include "files/database_file.h"
#include "files/startup.h"
#include "files/touchstone_file.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tolvane {
namespace {

constexpr int kFrequencies = 10001;
const std::string kDataDir = TOLVANE_SHIPPED_DATA_DIR;

void Require(int result) {
    if (result != 1) std::abort();
}

/// The program's state with the shipped database and default configuration, read once.
ConfigInfo* ShippedConfiguration() {
    static ConfigInfo* config = [] {
        SetCoverageTraceStream(nullptr);
        Require(CreateProgramState());
        Require(ReadUncertaintyFile((kDataDir + "/uncdata.unc").c_str()));
        ConfigInfo* read = CreateConfigInfo();
        Require(ReadConfigFile(read, (kDataDir + "/default.cfg").c_str()));
        GlobalProgramState().currentConfig = read;
        return read;
    }();
    return config;
}

/// A filter-like two-port over the shipped set-up's span, written as a Touchstone file once.
const std::string& MeasurementFile() {
    static const std::string path = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / "tolvane-bench-measured.s2p").string();
        std::FILE* out = std::fopen(file.c_str(), "w");
        if (out == nullptr) std::abort();
        std::fprintf(out, "# GHz S DB R 50\n");
        for (int i = 0; i < kFrequencies; ++i) {
            const double f = 0.05 + i * (26.5 - 0.05) / (kFrequencies - 1);
            const double s21 = -0.5 - 60.0 * std::fabs(std::sin(f / 4.0));
            std::fprintf(out, "%.6f %.4f %.3f %.4f %.3f %.4f %.3f %.4f %.3f\n", f,
                         -20.0 + 5.0 * std::sin(f), f * 7.0, s21, -f * 30.0, s21, -f * 30.0,
                         -18.0 + 4.0 * std::cos(f), f * 5.0);
        }
        std::fclose(out);
        return file;
    }();
    return path;
}

void BM_ComputeMeasuredTwoPort(benchmark::State& state) {
    ConfigInfo* config = ShippedConfiguration();
    Measurement measurement;
    Require(ReadTouchstoneFile(MeasurementFile().c_str(), &measurement));
    MeasuredResults results;
    for (auto _ : state) {
        Require(ComputeMeasuredDUT(config, measurement, &results));
        benchmark::DoNotOptimize(results.bounds[3].data());
    }
    state.counters["points"] =
        benchmark::Counter(4.0 * kFrequencies * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ComputeMeasuredTwoPort)->Unit(benchmark::kMillisecond);

// The same measurement by RSS (argument 1) or Monte Carlo at 10,000 trials a bound (2), on every
// processor; the worst case it starts from included.
void BM_ComputeMeasuredTwoPortByMethod(benchmark::State& state) {
    ConfigInfo* config = ShippedConfiguration();
    Measurement measurement;
    Require(ReadTouchstoneFile(MeasurementFile().c_str(), &measurement));
    MethodOptions options;
    options.method = state.range(0) == 1 ? UncertaintyMethod::Rss : UncertaintyMethod::MonteCarlo;
    MeasuredResults results;
    for (auto _ : state) {
        Require(ComputeMeasuredByMethod(config, measurement, options, &results));
        benchmark::DoNotOptimize(results.bounds[3].data());
    }
}
BENCHMARK(BM_ComputeMeasuredTwoPortByMethod)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_ReadTouchstoneFile(benchmark::State& state) {
    const std::string& path = MeasurementFile();
    Measurement measurement;
    for (auto _ : state)
        Require(ReadTouchstoneFile(path.c_str(), &measurement));
}
BENCHMARK(BM_ReadTouchstoneFile)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tolvane

BENCHMARK_MAIN();
