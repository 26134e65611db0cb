// tolvane-cli end to end, as a user runs it: a transmission sweep of 5000 frequencies x 1001 DUT
// values of the shipped database, read, computed and written as csv into a file in a temporary
// folder (flushed to disk before the program ends), as csv into /dev/null and as the table. The
// first argument is the number of cores the program may use (taskset), 0 for all of them. Beside
// the wall time, the program's own CPU time (user and system, counter child_cpu_s) and peak
// resident size (child_peak_mb) are reported: the benchmark's CPU time is that of std::system.

#include "components/dut.h"
#include "engine/config.h"
#include "files/config_file.h"
#include "files/database_file.h"
#include "files/startup.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tolvane {
namespace {

constexpr int kFrequencies = 5000;
constexpr int kDUTValues = 1001;

/// A folder under the system's temporary folder with the sweep's configuration file, removed at
/// the end.
class SweepFolder {
public:
    SweepFolder() {
        path_ = std::filesystem::temp_directory_path() / "tolvane-end-to-end";
        std::filesystem::create_directories(path_);
        ok_ = writeConfiguration();
    }
    ~SweepFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    SweepFolder(const SweepFolder&) = delete;
    SweepFolder& operator=(const SweepFolder&) = delete;

    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] std::string file(const char* name) const { return (path_ / name).string(); }

private:
    // The shipped default configuration with 5000 frequencies from 50 MHz to 26.5 GHz and a
    // transmission-only DUT of 1001 values from -80 to 10 dB.
    bool writeConfiguration() const {
        const std::string data = TOLVANE_SHIPPED_DATA_DIR;
        if (CreateProgramState() == 0 || ReadUncertaintyFile((data + "/uncdata.unc").c_str()) == 0)
            return false;
        ConfigInfo* config = CreateConfigInfo();
        DUTInfo* dut = nullptr;
        bool ok = config != nullptr && ReadConfigFile(config, (data + "/default.cfg").c_str()) &&
                  SetConfigNumFreqs(config, kFrequencies) && GetConfigDUT(config, &dut) &&
                  SetDUTType(dut, DUT_TRANSMISSION_ONLY) && SetDUTTransNumValues(dut, kDUTValues) &&
                  SetDUTTransMin(dut, -80.0f) && SetDUTTransMax(dut, 10.0f);
        for (int i = 0; ok && i < kFrequencies; ++i)
            ok = SetConfigFreq(config, i, 50e6 + (26.5e9 - 50e6) * i / (kFrequencies - 1)) != 0;
        ok = ok && WriteConfigFile(config, file("sweep.cfg").c_str()) != 0;
        if (config != nullptr) (void)DestroyConfigInfo(config);
        ShutDown();
        return ok;
    }

    std::filesystem::path path_;
    bool ok_ = false;
};

/// The CPU seconds, user and system, of the children waited for so far.
double ChildCpuSeconds() {
    rusage usage{};
    (void)getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + 1e-6 * double(t.tv_usec);
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

/// The largest peak resident size of the children waited for so far, in MB.
double ChildPeakMegabytes() {
    rusage usage{};
    (void)getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void RunCli(benchmark::State& state, const char* format, const char* output) {
    static const SweepFolder folder;
    if (!folder.ok()) {
        state.SkipWithError("the sweep's configuration could not be written");
        return;
    }
    const std::string target = output != nullptr ? output : folder.file("results.dat");
    const auto cores = state.range(0);
    const std::string command =
        (cores > 0 ? "taskset -c 0-" + std::to_string(cores - 1) + " " : std::string()) +
        TOLVANE_CLI + " compute-config " + folder.file("sweep.cfg") + " --database " +
        TOLVANE_SHIPPED_DATA_DIR + "/uncdata.unc --format " + format + " --output " + target +
        " 2>/dev/null";
    const double cpuBefore = ChildCpuSeconds();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("tolvane-cli failed");
    state.counters["child_cpu_s"] =
        benchmark::Counter(ChildCpuSeconds() - cpuBefore, benchmark::Counter::kAvgIterations);
    state.counters["child_peak_mb"] = ChildPeakMegabytes();
    state.SetLabel(cores > 0 ? std::to_string(cores) + " core(s)" : "all cores");
}

void BM_CsvToFile(benchmark::State& state) {
    RunCli(state, "csv", nullptr);
}
void BM_CsvToDevNull(benchmark::State& state) {
    RunCli(state, "csv", "/dev/null");
}
void BM_TableToFile(benchmark::State& state) {
    RunCli(state, "table", nullptr);
}

void Cores(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}
BENCHMARK(BM_CsvToFile)->Apply(Cores);
BENCHMARK(BM_CsvToDevNull)->Apply(Cores);
BENCHMARK(BM_TableToFile)->Apply(Cores);

} // namespace
} // namespace tolvane

BENCHMARK_MAIN();
