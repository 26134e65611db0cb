#include "files/dut_block.h"

#include "components/dut.h"
#include "core/owned.h"
#include "files/safe_file_writer.h"
#include "support/captured_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

std::string WrittenBlock(const DUTInfo* dut, int sweepDecimals) {
    testing::TempDir dir;
    SafeFileWriter out(dir.file("block.txt"));
    EXPECT_TRUE(out.open());
    EXPECT_EQ(WriteDUTBlock(out, dut, sweepDecimals), 1);
    EXPECT_TRUE(out.commit());
    return dir.read("block.txt");
}

TEST(DUTBlockWriter, WritesTheNewRecordLineByLine) {
    Owned<DUTInfo> dut(CreateDUTInfo());
    ASSERT_NE(dut, nullptr);
    EXPECT_EQ(WrittenBlock(dut.get(), kModelSweepDecimals),
              "DUT\n"
              "!type: 1=Refl only, 2=Trans only, 3=User defined\n"
              "2\n"
              "!Refl Only: number of values   minimum value(dB)   maximum value(dB)\n"
              "41   -40.0   0.0\n"
              "!Trans Only: number of values   minimum value(dB)   maximum value(dB)   "
              "Reciprocal(1=on 0=off)   Reverse Trans(dB)\n"
              "91   -80.00   10.00   1   10.00\n"
              "!User Defined: s11   s12   s21   s22\n"
              "-20.000   -20.000   10.000   -20.000\n\n"
              "!User Defined: points   startFreq   stopFreq   freq analysis(1=on 0=off)\n"
              "101   0.0400   65.0000   0\n\n"
              "!Coverage Factors 1: directivity   source_match   load_match   "
              "reflection_tracking\n"
              "4.000   4.000   4.000   4.000\n\n"
              "!Coverage Factors 2: transmission_tracking   crosstalk   noise_floor   drift\n"
              "4.000   4.000   4.000   4.000\n\n"
              "!Coverage Factors 3: connector_repeatability   source_uncertainty   "
              "receiver_uncertainty   k_factor\n"
              "4.000   4.000   4.000   4.000\n\n");
}

TEST(DUTBlockWriter, SweepDecimalsAffectOnlyTheSweepLine) {
    Owned<DUTInfo> dut(CreateDUTInfo());
    ASSERT_TRUE(SetDUTUserValues(dut.get(), -20, -20, 10, -20, 0.0456f, 18.12345f, 7));
    // The saved reverse transmission is written, not the one the computation reads.
    ASSERT_TRUE(SetDUTReverseTrans(dut.get(), -33.0f));
    const std::string config = WrittenBlock(dut.get(), kConfigSweepDecimals);
    const std::string model = WrittenBlock(dut.get(), kModelSweepDecimals);
    EXPECT_NE(config.find("\n7   0.046   18.123   0\n\n"), std::string::npos) << config;
    EXPECT_NE(model.find("\n7   0.0456   18.1234   0\n\n"), std::string::npos) << model;
    EXPECT_NE(config.find("91   -80.00   10.00   1   10.00\n"), std::string::npos);
    EXPECT_EQ(config.size() + 2, model.size());
}

TEST(DUTBlockWriter, AFailedQueryStopsWithTheDUTMessageOnly) {
    testing::TempDir dir;
    SafeFileWriter out(dir.file("block.txt"));
    ASSERT_TRUE(out.open());
    testing::CapturedMessages captured;
    EXPECT_EQ(WriteDUTBlock(out, nullptr, kConfigSweepDecimals), 0);
    EXPECT_FALSE(out.failed());
    EXPECT_EQ(captured.errors(), (Texts{"GetDUTParam: NULL info pointer."}));
}

/// Feeds the lines to a new block reader and returns the step of each.
std::vector<DUTBlockReader::Step> Feed(DUTInfo* dut, const Texts& lines) {
    DUTBlockReader reader;
    std::vector<DUTBlockReader::Step> steps;
    for (const std::string& line : lines)
        steps.push_back(reader.takeLine(dut, line));
    return steps;
}

const Texts kBlockLines = {
    "3",
    "11   -30.5   -1.5",
    "5   -60.25   3.75   0   -70.5",
    "-15.125   -33.5   2.25   -18.75",
    "201   0.05   20.125   1 trailing text is ignored",
    "1 2 3 4",
    "5 6 7 8",
    "9 10 11 2.5",
};

TEST(DUTBlockReader, StoresTheEightLinesByPosition) {
    Owned<DUTInfo> dut(CreateDUTInfo());
    testing::CapturedMessages captured;
    using Step = DUTBlockReader::Step;
    const auto steps = Feed(dut.get(), kBlockLines);
    EXPECT_EQ(steps,
              (std::vector<Step>{Step::NeedMore, Step::NeedMore, Step::NeedMore, Step::NeedMore,
                                 Step::NeedMore, Step::NeedMore, Step::NeedMore, Step::Complete}));
    EXPECT_TRUE(captured.all().empty());

    const DUTInfo& d = *dut;
    EXPECT_EQ(d.type, DUT_USER_DEFINED);
    EXPECT_EQ(d.reflNumValues, 11);
    EXPECT_EQ(d.reflMinDb, -30.5f);
    EXPECT_EQ(d.reflMaxDb, -1.5f);
    EXPECT_EQ(d.transNumValues, 5);
    EXPECT_EQ(d.transMinDb, -60.25f);
    EXPECT_EQ(d.transMaxDb, 3.75f);
    EXPECT_EQ(d.reciprocal, 0);
    EXPECT_EQ(d.reverseTransDb, -70.5f);
    EXPECT_EQ(d.reverseTransSavedDb, -70.5f);
    EXPECT_EQ(d.userS11Db, -15.125f);
    EXPECT_EQ(d.userS12Db, -33.5f);
    EXPECT_EQ(d.userS21Db, 2.25f);
    EXPECT_EQ(d.userS22Db, -18.75f);
    EXPECT_EQ(d.sweepPoints, 201);
    EXPECT_EQ(d.sweepStartGHz, 0.05f) << "sweep limits stay in GHz";
    EXPECT_EQ(d.sweepStopGHz, 20.125f);
    EXPECT_EQ(d.freqSweep, 1);
    const std::array<float, 12> factors{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 2.5f};
    EXPECT_EQ(d.coverageFactors, factors);
}

TEST(DUTBlockReader, CoverageFactorsAreStoredOnlyWithTheEighthLine) {
    Owned<DUTInfo> dut(CreateDUTInfo());
    const Texts firstSeven(kBlockLines.begin(), kBlockLines.begin() + 7);
    (void)Feed(dut.get(), firstSeven);
    for (float factor : dut->coverageFactors)
        EXPECT_EQ(factor, 4.0f);
}

TEST(DUTBlockReader, MissingNumbersAndRefusedValuesAreErrors) {
    using Step = DUTBlockReader::Step;
    struct Case {
        Texts lines;
        Texts messages; ///< what the DUT module reports before the caller's parse message
    };
    const std::vector<Case> cases = {
        {{"4"}, {"SetDUTParam: invalid DUT type."}},
        {{"x"}, {}},
        {{"1", "0   -30   0"}, {"SetDUTParam: invalid number of values."}},
        {{"1", "11   -30"}, {}},
        {{"1", "11 -30 0", "91 -80 10 1"}, {}},
        {{"1", "11 -30 0", "91 -80 10 1 -20", "-20 -20 10"}, {}},
    };
    for (const Case& c : cases) {
        Owned<DUTInfo> dut(CreateDUTInfo());
        testing::CapturedMessages captured;
        const auto steps = Feed(dut.get(), c.lines);
        EXPECT_EQ(steps.back(), Step::Error) << c.lines.back();
        EXPECT_EQ(captured.errors(), c.messages) << c.lines.back();
    }

    // A refused number of values stores nothing of its line.
    Owned<DUTInfo> dut(CreateDUTInfo());
    testing::CapturedMessages captured;
    (void)Feed(dut.get(), {"1", "-3   -10   -5"});
    EXPECT_EQ(dut->reflNumValues, 41);
    EXPECT_EQ(dut->reflMinDb, -40.0f);

    DUTBlockReader reader;
    EXPECT_EQ(reader.takeLine(nullptr, "1"), Step::Error);
}

TEST(DUTBlockReader, LimitsBelowTheFloorAreRaised) {
    Owned<DUTInfo> dut(CreateDUTInfo());
    (void)Feed(dut.get(), {"2", "41 -200 0", "91 -150 10 0 -300"});
    EXPECT_EQ(dut->reflMinDb, -140.0f);
    EXPECT_EQ(dut->transMinDb, -140.0f);
    EXPECT_EQ(dut->reverseTransDb, -140.0f);
    EXPECT_EQ(dut->reverseTransSavedDb, -140.0f);
}

} // namespace
} // namespace tolvane
