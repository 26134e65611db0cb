// Cost of a set-up plan at the size the planner is meant for: 20 values x 5 points of interest
// over a configuration of 201 frequencies, on the shipped database.

#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/plan.h"
#include "engine/program_state.h"
#include "files/config_file.h"
#include "files/database_file.h"
#include "files/startup.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace tolvane {
namespace {

constexpr int kValues = 20;
constexpr int kFrequencies = 201;

void Require(int result) {
    if (result != 1) std::abort();
}

/// The shipped configuration with 201 frequencies from 50 MHz to 26.5 GHz.
ConfigInfo* BenchConfiguration() {
    const std::string data = TOLVANE_SHIPPED_DATA_DIR;
    SetCoverageTraceStream(nullptr);
    Require(CreateProgramState());
    Require(ReadUncertaintyFile((data + "/uncdata.unc").c_str()));
    ConfigInfo* config = CreateConfigInfo();
    GlobalProgramState().currentConfig = config;
    Require(ReadConfigFile(config, (data + "/default.cfg").c_str()));
    Require(SetConfigNumFreqs(config, kFrequencies));
    for (int i = 0; i < kFrequencies; ++i)
        Require(SetConfigFreq(config, i, 50e6 + i * (26.5e9 - 50e6) / (kFrequencies - 1)));
    return config;
}

/// 20 values of `quantity` spread over a range the analyzer accepts.
Plan BenchPlan(PlanQuantity quantity) {
    Plan plan;
    plan.quantity = quantity;
    for (int i = 0; i < kValues; ++i) {
        switch (quantity) {
        case PlanQuantity::PortPower:
            plan.values.push_back({-30.0 + 2.0 * i, {}});
            break;
        case PlanQuantity::CableLength:
            plan.values.push_back({0.25 * (i + 1), {}});
            break;
        default:
            plan.values.push_back({10.0 * (i + 1), {}});
            break;
        }
    }
    plan.points = {{1e9, -30.0f, PlanPort::Reflection},
                   {5e9, -20.0f, PlanPort::Reflection},
                   {10e9, -10.0f, PlanPort::Reflection},
                   {18e9, -3.0f, PlanPort::Transmission},
                   {26.5e9, -40.0f, PlanPort::Reflection}};
    return plan;
}

void BM_Plan(benchmark::State& state) {
    const ConfigInfo* config = BenchConfiguration();
    const Plan plan = BenchPlan(static_cast<PlanQuantity>(state.range(0)));
    for (auto _ : state) {
        PlanResult result;
        Require(ComputePlan(config, plan, &result));
        if (!result.values.back().allComputed()) std::abort();
        benchmark::DoNotOptimize(result);
    }
    ShutDown();
}
BENCHMARK(BM_Plan)
    ->ArgName("quantity")
    ->Arg(static_cast<int>(PlanQuantity::IFBandwidth))
    ->Arg(static_cast<int>(PlanQuantity::PortPower))
    ->Arg(static_cast<int>(PlanQuantity::CableLength))
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tolvane

BENCHMARK_MAIN();
