#include "files/export.h"

#include "engine/program_state.h"
#include "engine/uncertainty.h"
#include "files/startup.h"

#include "support/captured_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace tolvane {
namespace {

struct Triple {
    float nominal, upper, phase;
};

/// A dimensioned result record whose every entry (i, j) holds the triples of column j.
UncertaintyInfo* MakeResults(int type, const std::vector<double>& frequenciesGHz,
                             const std::vector<Triple>& refl, const std::vector<Triple>& trans) {
    UncertaintyInfo* results = CreateUncertaintyInfo();
    const int nF = static_cast<int>(frequenciesGHz.size());
    const int nD = static_cast<int>(refl.size());
    EXPECT_TRUE(SetUncertaintyNumFreqs(results, nF) && SetUncertaintyNumDUTValues(results, nD) &&
                SetUncertaintyType(results, type));
    for (int i = 0; i < nF; ++i)
        EXPECT_EQ(SetUncertaintyFreq(results, i, frequenciesGHz[static_cast<std::size_t>(i)] * 1e9),
                  1);
    EXPECT_EQ(InitializeUncertainty(results), 1);
    for (int i = 0; i < nF; ++i)
        for (int j = 0; j < nD; ++j) {
            const Triple& r = refl[static_cast<std::size_t>(j)];
            const Triple& t = trans[static_cast<std::size_t>(j)];
            EXPECT_EQ(SetUncertaintyRefl(results, i, j, r.nominal, r.upper, r.phase), 1);
            EXPECT_EQ(SetUncertaintyTrans(results, i, j, t.nominal, t.upper, t.phase), 1);
        }
    return results;
}

class ExportTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (UncertaintyInfo* results : made_)
            DestroyUncertaintyInfo(results);
    }
    UncertaintyInfo* make(int type, const std::vector<double>& frequenciesGHz,
                          const std::vector<Triple>& refl, const std::vector<Triple>& trans) {
        made_.push_back(MakeResults(type, frequenciesGHz, refl, trans));
        return made_.back();
    }
    std::string exported(const UncertaintyInfo* results) {
        const std::string path = dir_.file("out.dat");
        EXPECT_EQ(ExportUncertaintyToFile(results, path.c_str()), 1);
        return dir_.read(path);
    }

    testing::TempDir dir_;
    std::vector<UncertaintyInfo*> made_;
};

// S11 of -20 dB measured up to 0.11 (0.828 dB above), S21 of 0 dB up to 1.2 (1.584 dB).
constexpr Triple kRefl{0.1f, 0.11f, 5.739f};
constexpr Triple kTrans{1.0f, 1.2f, 2.5f};

TEST_F(ExportTest, UserDefinedResultGivesTheSweptFrequencyTable) {
    const std::string text = exported(make(3, {1.0, 2.0, 3.5}, {kRefl}, {kTrans}));
    EXPECT_EQ(text, "Swept Frequency Uncertainty Data\n"
                    "\n"
                    "User Defined S-Parameters: S11 = -20.00 dB  S21 = 0.00 dB \n"
                    "\n"
                    "\tS11\t\tS21\n"
                    "Freq (GHz)\tMag.(dB)\tPhase(deg.)\tMag.(dB)\tPhase(deg.)\n"
                    "1.000000\t       0.828\t    5.739\t       1.584\t    2.500\n"
                    "2.000000\t       0.828\t    5.739\t       1.584\t    2.500\n"
                    "3.500000\t       0.828\t    5.739\t       1.584\t    2.500\n");
}

TEST_F(ExportTest, SweptTableLeavesTheColumnsOfAMissingQuantityBlank) {
    const std::string text = exported(make(1, {1.0}, {kRefl}, {kTrans}));
    EXPECT_NE(text.find("S11 = -20.00 dB  S21 = 0.00 dB \n"), std::string::npos);
    EXPECT_NE(text.find("\n1.000000\t       0.828\t    5.739\t            \t         \n"),
              std::string::npos);
}

TEST_F(ExportTest, SweepOfDUTValuesGivesOneColumnGroupPerFrequency) {
    // A magnitude of 0 is shown as -200 dB.
    const Triple zero{0.0f, 0.0f, 0.0f};
    EXPECT_EQ(
        exported(make(1, {1.0, 2.0}, {kRefl, zero}, {kTrans, kTrans})),
        "Uncertainty at 1.000000 GHz\t\t\t\tUncertainty at 2.000000 GHz\t\t\t\t\n"
        "DUT S11 (dB)\tRefl (dB)\tRefl (deg)\t\tDUT S11 (dB)\tRefl (dB)\tRefl (deg)\t\t\n"
        "     -20.000\t       0.828\t    5.739\t\t     -20.000\t       0.828\t    5.739\t\t\n"
        "    -200.000\t       0.000\t    0.000\t\t    -200.000\t       0.000\t    0.000\t\t\n");

    EXPECT_EQ(exported(make(2, {1.0}, {kRefl, kRefl}, {kTrans, zero})),
              "Uncertainty at 1.000000 GHz\t\t\t\t\n"
              "DUT S21 (dB)\tTrans (dB)\tTrans (deg)\t\t\n"
              "       0.000\t   1.584\t    2.500\t\t\n"
              "    -200.000\t   0.000\t    0.000\t\t\n");

    // 41 reflection values at 2 frequencies: 2 header lines and 41 data lines.
    const std::string many = exported(
        make(1, {1.0, 2.0}, std::vector<Triple>(41, kRefl), std::vector<Triple>(41, kTrans)));
    EXPECT_EQ(std::count(many.begin(), many.end(), '\n'), 43);
}

TEST_F(ExportTest, RefusesRecordsItCannotShowBeforeCreatingAFile) {
    const std::string path = dir_.file("out.dat");
    UncertaintyInfo* empty = CreateUncertaintyInfo();
    UncertaintyInfo* noValues = CreateUncertaintyInfo();
    UncertaintyInfo* noType = CreateUncertaintyInfo();
    made_.insert(made_.end(), {empty, noValues, noType});
    ASSERT_EQ(SetUncertaintyNumFreqs(noValues, 1), 1);
    ASSERT_TRUE(SetUncertaintyNumFreqs(noType, 1) && SetUncertaintyNumDUTValues(noType, 1));

    testing::CapturedMessages captured;
    EXPECT_EQ(ExportUncertaintyToFile(nullptr, path.c_str()), 0);
    EXPECT_EQ(ExportUncertaintyToFile(empty, path.c_str()), 0);
    EXPECT_EQ(ExportUncertaintyToFile(noValues, path.c_str()), 0);
    EXPECT_EQ(ExportUncertaintyToFile(noType, path.c_str()), 0);
    EXPECT_EQ(captured.errors(),
              (std::vector<std::string>{"ExportUncertaintyToFile: NULL pointer.",
                                        "ExportUncertaintyToFile: Invalid number of frequencies.",
                                        "ExportUncertaintyToFile: Invalid number of DUT values.",
                                        "ExportUncertaintyToFile: Invalid uncertainty type."}));
    EXPECT_FALSE(std::filesystem::exists(path));

    captured.clear();
    const std::string unreachable = dir_.file("missing/out.dat");
    EXPECT_EQ(ExportUncertaintyToFile(make(3, {1.0}, {kRefl}, {kTrans}), unreachable.c_str()), 0);
    EXPECT_EQ(captured.errors(),
              std::vector<std::string>{"ExportUncertaintyToFile: Error creating the file:" +
                                       unreachable});
}

TEST_F(ExportTest, FailureWhileWritingKeepsThePreviousFile) {
    const std::string path = dir_.write("out.dat", "previous results\n");
    // Counts and type but no arrays: the first entry cannot be read.
    UncertaintyInfo* undimensioned = CreateUncertaintyInfo();
    made_.push_back(undimensioned);
    ASSERT_TRUE(SetUncertaintyNumFreqs(undimensioned, 2) &&
                SetUncertaintyNumDUTValues(undimensioned, 1) &&
                SetUncertaintyType(undimensioned, 3));

    testing::CapturedMessages captured;
    EXPECT_EQ(ExportUncertaintyToFile(undimensioned, path.c_str()), 0);
    EXPECT_EQ(captured.errors(),
              (std::vector<std::string>{"GetUncertaintyParam: NULL pointer.",
                                        "ExportUncertaintyToFile: Error in a called routine."}));
    EXPECT_EQ(dir_.read(path), "previous results\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(NumberedExportPath, SuffixGoesBeforeTheFileNamesExtensionOnly) {
    EXPECT_EQ(NumberedExportPath("out.txt", 0, 1), "out.txt");
    EXPECT_EQ(NumberedExportPath("out.txt", 0, 3), "out_01.txt");
    EXPECT_EQ(NumberedExportPath("out.txt", 9, 20), "out_10.txt");
    EXPECT_EQ(NumberedExportPath("out.txt", 19, 20), "out_20.txt");
    EXPECT_EQ(NumberedExportPath("/data/run.2/out.tar.gz", 1, 2), "/data/run.2/out.tar_02.gz");
    EXPECT_EQ(NumberedExportPath("/data/run.2/results", 1, 2), "/data/run.2/results_02");
    EXPECT_EQ(NumberedExportPath("/data/.results", 0, 2), "/data/.results_01");
}

TEST(ExportResultSlots, WritesOneNumberedFilePerFilledSlot) {
    testing::TempDir dir;
    ASSERT_EQ(CreateProgramState(), 1);
    ProgramState& state = GlobalProgramState();
    for (int slot = 0; slot < 3; ++slot) {
        DestroyUncertaintyInfo(state.results[static_cast<std::size_t>(slot)]);
        state.results[static_cast<std::size_t>(slot)] =
            MakeResults(3, {1.0 + slot}, {kRefl}, {kTrans});
    }
    const std::string chosen = dir.file("out.txt");

    EXPECT_EQ(ExportResultSlots(chosen.c_str()), 1); // result count 0: nothing
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    state.resultCount = 3;
    EXPECT_EQ(ExportResultSlots(chosen.c_str()), 1);
    EXPECT_NE(dir.read("out_01.txt").find("\n1.000000\t"), std::string::npos);
    EXPECT_NE(dir.read("out_02.txt").find("\n2.000000\t"), std::string::npos);
    EXPECT_NE(dir.read("out_03.txt").find("\n3.000000\t"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(chosen));

    // A failed slot stops the rest; the files written before it stay.
    state.resultCount = 5; // slot 3 is empty
    std::filesystem::remove(dir.file("out_01.txt"));
    testing::CapturedMessages captured;
    EXPECT_EQ(ExportResultSlots(chosen.c_str()), 0);
    EXPECT_EQ(captured.errors(),
              std::vector<std::string>{"ExportUncertaintyToFile: Invalid number of frequencies."});
    EXPECT_TRUE(std::filesystem::exists(dir.file("out_01.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out_05.txt")));
    ShutDown();
}

} // namespace
} // namespace tolvane
