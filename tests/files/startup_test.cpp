#include "files/startup.h"

#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "core/component_lists.h"
#include "engine/compute_commands.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/program_state.h"

#include "support/allocation_failure.h"
#include "support/captured_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

/// Runs a test in a folder of its own, as the program runs in the folder of its files.
class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(dir_.path());
        SetCoverageTraceStream(nullptr);
    }
    void TearDown() override {
        ShutDown();
        SetCoverageTraceStream(stdout);
        fs::current_path(previous_);
    }
    void copyShippedFiles() {
        for (const char* name : {kDatabaseFileName, kDefaultConfigFileName, kDefaultModelFileName})
            fs::copy_file(fs::path(TOLVANE_SHIPPED_DATA_DIR) / name, dir_.path() / name);
    }
    static void expectNothingLeft() {
        const ComponentLists& lists = GlobalComponentLists();
        const ProgramState& state = GlobalProgramState();
        EXPECT_EQ(lists.connectors, nullptr);
        EXPECT_EQ(lists.vnas, nullptr);
        EXPECT_EQ(lists.calKits, nullptr);
        EXPECT_EQ(lists.dielectrics, nullptr);
        EXPECT_EQ(state.plots, nullptr);
        EXPECT_EQ(state.currentConfig, nullptr);
        EXPECT_EQ(state.currentModel, nullptr);
        EXPECT_TRUE(std::all_of(state.results.begin(), state.results.end(),
                                [](const UncertaintyInfo* slot) { return slot == nullptr; }));
    }

    testing::TempDir dir_;
    fs::path previous_;
};

TEST_F(StartUpTest, ShippedFilesStartAndComputeWithoutAnyMessage) {
    copyShippedFiles();
    testing::CapturedMessages captured;
    ASSERT_EQ(CreateProgramState(), 1); // a second start destroys what the first made
    ASSERT_EQ(StartUp(), 1);

    const ComponentLists& lists = GlobalComponentLists();
    ProgramState& state = GlobalProgramState();
    EXPECT_GE(GetInfoListCount(lists.vnas), 3);
    EXPECT_GE(GetInfoListCount(lists.calKits), 4);
    EXPECT_GE(GetInfoListCount(lists.connectors), 4);
    EXPECT_GE(GetInfoListCount(lists.dielectrics), 3);
    EXPECT_EQ(GetInfoListCount(state.plots), 0);
    EXPECT_TRUE(std::none_of(state.results.begin(), state.results.end(),
                             [](const UncertaintyInfo* slot) { return slot == nullptr; }));
    EXPECT_EQ(state.currentResultSlot, 0);
    EXPECT_EQ(state.resultCount, 0);

    EXPECT_EQ(ComputeConfigurationCommand(state.currentConfig), 1);
    EXPECT_EQ(ComputeModelCommand(state.currentModel, state.currentConfig), 1);
    EXPECT_TRUE(captured.all().empty());

    ShutDown();
    expectNothingLeft();
}

/// [first, last] frequency of a table reached through `get`, in Hz.
template <typename Record, typename GetNum, typename GetFreq>
std::pair<double, double> Span(const Record* record, int code, GetNum getNum, GetFreq getFreq) {
    int n = 0;
    double first = 0, last = 0;
    EXPECT_TRUE(getNum(record, code, &n) && getFreq(record, code, 0, &first) &&
                getFreq(record, code, n - 1, &last));
    return {first, last};
}

TEST_F(StartUpTest, EveryShippedKitComputesWithEveryAnalyzerOverTheirCommonRange) {
    copyShippedFiles();
    ASSERT_EQ(StartUp(), 1);
    const ComponentLists& lists = GlobalComponentLists();
    ConfigInfo* config = GlobalProgramState().currentConfig;
    int computed = 0;
    for (int k = 0; k < GetInfoListCount(lists.calKits); ++k) {
        const auto* kit = GetInfoListRecord<CalInfo>(lists.calKits, k);
        char kitName[128], connectorName[128];
        ASSERT_TRUE(GetCalName(kit, kitName, 128) && GetCalConnName(kit, connectorName, 128));
        const ConnInfo* connector = FindConnInfo(connectorName);
        ASSERT_NE(connector, nullptr) << kitName;
        for (int v = 0; v < GetInfoListCount(lists.vnas); ++v) {
            const auto* vna = GetInfoListRecord<VNAInfo>(lists.vnas, v);
            char vnaName[128];
            ASSERT_EQ(GetVNAName(vna, vnaName, 128), 1);
            double low = 0, high = 1e300;
            for (auto span : {Span(kit, 1, GetCalFVNumPairs, GetCalFVFreq),
                              Span(connector, 1, GetConnFVNumPairs, GetConnFVFreq),
                              Span(vna, 1, GetVNAFVNumPairs, GetVNAFVFreq),
                              Span(vna, 3, GetVNAFVNumPairs, GetVNAFVFreq)}) {
                low = std::max(low, span.first);
                high = std::min(high, span.second);
            }
            if (low >= high) continue;
            testing::CapturedMessages captured;
            ASSERT_TRUE(SetConfigCalName(config, kitName) && SetConfigVNAName(config, vnaName) &&
                        SetConfigNumFreqs(config, 2) && SetConfigFreq(config, 0, low) &&
                        SetConfigFreq(config, 1, high));
            EXPECT_EQ(ComputeConfigurationCommand(config), 1) << kitName << " with " << vnaName;
            EXPECT_TRUE(captured.all().empty()) << kitName << " with " << vnaName;
            ++computed;
        }
    }
    EXPECT_GE(computed, 8);
}

TEST_F(StartUpTest, MissingDatabaseFailsWithTheReadersMessageAndShutDownLeavesNothing) {
    testing::CapturedMessages captured;
    EXPECT_EQ(StartUp(), 0);
    EXPECT_EQ(captured.errors(),
              std::vector<std::string>{"ReadUncertaintyFile: Error opening the file:uncdata.unc"});
    ShutDown();
    expectNothingLeft();
    ShutDown(); // twice is harmless
}

TEST_F(StartUpTest, MissingDefaultModelFailsAfterTheConfigurationWasRead) {
    copyShippedFiles();
    fs::remove(kDefaultModelFileName);
    testing::CapturedMessages captured;
    EXPECT_EQ(StartUp(), 0);
    EXPECT_EQ(captured.errors(),
              std::vector<std::string>{"ReadModelFile: Error opening the file:default.mdl"});
    EXPECT_NE(GlobalProgramState().currentConfig, nullptr);
}

TEST_F(StartUpTest, ConfigurationWithAStrayKeywordStillStarts) {
    copyShippedFiles();
    const std::string config = dir_.read(kDefaultConfigFileName);
    dir_.write(kDefaultConfigFileName, "BOGUS line\n" + config);
    testing::CapturedMessages captured;
    EXPECT_EQ(StartUp(), 1);
    EXPECT_EQ(captured.errors(),
              std::vector<std::string>{
                  "ReadConfigFile: File:default.cfg\nUnknown keyword in the line:\nBOGUS line"});
}

TEST_F(StartUpTest, ShutDownCleansUpAfterAnAllocationFailureAtAnyStep) {
    copyShippedFiles();
    // The lists and the result records come first; fail each of the early allocations in turn.
    for (int let = 0; let < 40; ++let) {
        {
            testing::CapturedMessages captured;
            testing::ScopedAllocationFailure failure(let);
            (void)CreateProgramState();
        }
        ShutDown();
        expectNothingLeft();
    }
}

TEST_F(StartUpTest, PreferenceFileKeepsTheLastIntegerLine) {
    auto read = [&](const std::string& text, int start, int* value) {
        *value = start;
        return ReadPreference(value, dir_.write("pref.txt", text).c_str());
    };
    int value = 0;
    EXPECT_EQ(read("0", 1, &value), 1);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(read("1", 0, &value), 1);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(read("1\n! comment\n\n  0\n", 7, &value), 1);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(read("word", 7, &value), 0);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(read("3\nword\n4\n", 7, &value), 0);
    EXPECT_EQ(value, 3);
    value = 5;
    EXPECT_EQ(ReadPreference(&value, dir_.file("absent.txt").c_str()), 0);
    EXPECT_EQ(value, 5);

    EXPECT_EQ(WritePreference(1, kPreferenceFileName), 1);
    EXPECT_EQ(dir_.read(kPreferenceFileName), "1");
    EXPECT_EQ(WritePreference(0, dir_.file("missing/pref.txt").c_str()), 0);
}

} // namespace
} // namespace tolvane
