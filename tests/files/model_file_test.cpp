#include "files/model_file.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "core/owned.h"
#include "engine/model.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

const std::string kDataDir = std::string(TOLVANE_TEST_DATA_DIR) + "/model/";

std::string ParseError(const std::string& path, const std::string& line) {
    return "ReadModelFile: File:" + path + "\nError parsing the line:\n" + line;
}
std::string UnknownKeyword(const std::string& path, const std::string& line) {
    return "ReadModelFile: File:" + path + "\nUnknown keyword in the line:\n" + line;
}

testing::Pairs GHz(std::initializer_list<std::pair<double, float>> pairs) {
    testing::Pairs hz;
    for (const auto& [ghz, value] : pairs)
        hz.emplace_back(ghz * 1e9, value);
    return hz;
}

/// The model of the written.mdl fixture; its DUT is as created.
void FillBenchModel(ModelInfo* model) {
    using testing::FillTable;
    using testing::TermTable;
    FillTable(TermTable(model, kTermSourceUncertainty), GHz({{0.045, 0.0125f}, {26.5, 0.05f}}));
    FillTable(model->vna->src, {{-60.0, 0.1f}, {10.0, 0.02f}}, INTERP_SMOOTH_FIT);
    FillTable(TermTable(model, kTermReceiverNoise), GHz({{0.045, 110.0f}, {26.5, 95.0f}}),
              INTERP_STEP);
    FillTable(TermTable(model, kTermConnector1Reflection), GHz({{0.045, 60.0f}, {26.5, 45.0f}}));
    FillTable(TermTable(model, kTermConnector1Transmission), GHz({{0.045, 70.0f}, {26.5, 55.0f}}));
    FillTable(TermTable(model, kTermConnector2Reflection), GHz({{1.5, 50.0f}}));
    FillTable(TermTable(model, kTermConnector2Transmission), GHz({{0.045, 70.0f}, {26.5, 55.0f}}));
    FillTable(TermTable(model, kTermCable1MagnitudeDrift), GHz({{0.045, 0.001f}, {26.5, 0.5f}}));
    FillTable(TermTable(model, kTermCable1PhaseDrift), GHz({{0.045, 0.1f}, {26.5, 12.5f}}));
    FillTable(TermTable(model, kTermCable2MagnitudeDrift), GHz({{0.045, 0.002f}, {26.5, 1.0f}}));
    FillTable(TermTable(model, kTermCable2PhaseDrift), GHz({{0.045, 0.2f}, {26.5, 25.0f}}));
    FillTable(TermTable(model, kTermDirectivity), GHz({{0.045, 46.0f}, {26.5, 38.0f}}));
    FillTable(TermTable(model, kTermSourceMatch), GHz({{0.045, 44.0f}, {26.5, 33.0f}}));
    FillTable(TermTable(model, kTermReflectionTracking), GHz({{0.045, 0.003f}, {26.5, 0.045f}}));
    FillTable(TermTable(model, kTermCrosstalk), GHz({{0.045, 120.0f}, {26.5, 100.0f}}));
    FillTable(TermTable(model, kTermLoadMatch), GHz({{0.045, 46.0f}, {26.5, 38.0f}}));
    FillTable(TermTable(model, kTermTransmissionTracking), GHz({{0.045, 0.004f}, {26.5, 0.06f}}));
    testing::SetFrequencies(model, {45e6, 1.5e9, 26.5e9});
    // An entry beyond the count is not written.
    ASSERT_EQ(SetModelFreq(model, 3, 50e9), 1);
    ASSERT_EQ(SetModelPower(model, -10.0f), 1);
    ASSERT_EQ(SetModelAverages(model, 16), 1);
    ASSERT_EQ(SetModelNRcAverages(model, 10), 1);
    ASSERT_EQ(SetModelIFBW(model, 1000.0f), 1);
    ASSERT_EQ(SetModelNRcIFBW(model, 10.0f), 1);
}

TEST(WriteModelFile, WritesEveryLineInItsFormat) {
    Owned<ModelInfo> model(CreateModelInfo());
    FillBenchModel(model.get());
    testing::TempDir dir;
    testing::CapturedMessages captured;
    ASSERT_EQ(WriteModelFile(model.get(), dir.file("out.mdl").c_str()), 1);
    EXPECT_EQ(dir.read("out.mdl"), dir.read(kDataDir + "written.mdl"));
    EXPECT_TRUE(captured.all().empty());
}

// Asserts that `b` holds `a`'s table within half a unit of the printed decimals.
void ExpectSameTable(const FVInfo* a, const FVInfo* b, double valueStep, const std::string& name) {
    ASSERT_EQ(a->numPairs, b->numPairs) << name;
    EXPECT_EQ(a->interpType, b->interpType) << name;
    for (std::size_t i = 0; i < std::size_t(a->numPairs); ++i) {
        EXPECT_NEAR(a->frequenciesHz[i], b->frequenciesHz[i], 500.01) << name << i;
        EXPECT_NEAR(a->values[i], b->values[i], valueStep / 2 * 1.0001) << name << i;
    }
}

TEST(ModelFile, AWrittenModelReadsBackWithinThePrintedPrecisions) {
    std::mt19937 random(42);
    const auto real = [&random](double low, double high) {
        return std::uniform_real_distribution(low, high)(random);
    };
    Owned<ModelInfo> written(CreateModelInfo());
    const double steps[] = {0.1,  0.1, 1e-4, 0.1, 0.1, 1e-4, 1e-4, 0.1,
                            1e-3, 0.1, 1e-3, 0.1, 0.1, 0.1,  0.1,  0.1};
    for (ModelTerm term : kRangeCheckedTerms) {
        testing::Pairs pairs;
        double hz = real(1e7, 1e9);
        for (int i = 0; i < 7; ++i, hz += real(1e6, 5e9))
            pairs.emplace_back(hz, static_cast<float>(real(-120.0, 120.0)));
        testing::FillTable(testing::TermTable(written.get(), term), pairs,
                           term == kTermSourceMatch ? INTERP_STEP : INTERP_LINEAR);
    }
    testing::FillTable(written->vna->src, {{-60.04, 0.12345f}, {-5.0, 0.5f}, {12.3, 1.0f}},
                       INTERP_SMOOTH_FIT);
    testing::SetFrequencies(written.get(), {1.0000004e9, 2.5e9, 40.123456789e9});
    ASSERT_EQ(SetModelPower(written.get(), -7.25f), 1);
    ASSERT_EQ(SetModelAverages(written.get(), 3), 1);
    ASSERT_EQ(SetModelNRcAverages(written.get(), 100), 1);
    ASSERT_EQ(SetModelIFBW(written.get(), 33.33f), 1);
    ASSERT_EQ(SetModelNRcIFBW(written.get(), 10.0f), 1);
    DUTInfo* dut = written->dut;
    ASSERT_EQ(SetDUTType(dut, DUT_USER_DEFINED), 1);
    ASSERT_EQ(SetDUTReflNumValues(dut, 7), 1);
    ASSERT_EQ(SetDUTReflMin(dut, -33.3f), 1);
    ASSERT_EQ(SetDUTTransMax(dut, 5.555f), 1);
    ASSERT_EQ(SetDUTReciprocal(dut, 0), 1);
    ASSERT_EQ(SetDUTReverseTransSaved(dut, -61.25f), 1);
    ASSERT_EQ(SetDUTUserValues(dut, -1.2344f, -2.0f, 3.0f, -4.0f, 0.12345f, 33.0f, 17), 1);
    ASSERT_EQ(SetDUTFreqSweep(dut, 1), 1);
    ASSERT_EQ(SetDUTCoverageFactors(dut, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 2.0005f), 1);

    testing::TempDir dir;
    testing::CapturedMessages captured;
    ASSERT_EQ(WriteModelFile(written.get(), dir.file("m.mdl").c_str()), 1);
    Owned<ModelInfo> read(CreateModelInfo());
    ASSERT_EQ(ReadModelFile(read.get(), dir.file("m.mdl").c_str()), 1);
    EXPECT_TRUE(captured.all().empty()) << captured.errors().front();

    int index = 0;
    for (ModelTerm term : kRangeCheckedTerms) {
        ExpectSameTable(testing::TermTable(written.get(), term),
                        testing::TermTable(read.get(), term), steps[index],
                        "term " + std::to_string(index));
        ++index;
    }
    const PVInfo& src = *read->vna->src;
    ASSERT_EQ(src.numPairs, 3);
    EXPECT_EQ(src.interpType, INTERP_SMOOTH_FIT);
    EXPECT_FLOAT_EQ(src.powersDbm[0], -60.0f);
    EXPECT_FLOAT_EQ(src.values[0], 0.1235f);
    EXPECT_FLOAT_EQ(src.powersDbm[2], 12.3f);

    ASSERT_EQ(read->numFreqs, 3);
    EXPECT_EQ(read->frequenciesHz[0], 1e9);
    EXPECT_DOUBLE_EQ(read->frequenciesHz[2], 40.123457e9);
    EXPECT_EQ(read->powerDbm, -7.2f); // "%.1f" of -7.25
    EXPECT_EQ(read->averages, 3);
    EXPECT_EQ(read->nrcAverages, 100);
    EXPECT_FLOAT_EQ(read->ifBandwidthHz, 33.3f);
    EXPECT_EQ(read->nrcIfBandwidthHz, 10.0f);

    const DUTInfo& d = *read->dut;
    EXPECT_EQ(d.type, DUT_USER_DEFINED);
    EXPECT_EQ(d.reflNumValues, 7);
    EXPECT_FLOAT_EQ(d.reflMinDb, -33.3f);
    EXPECT_FLOAT_EQ(d.transMaxDb, 5.55f); // 5.555f lies just below 5.555
    EXPECT_EQ(d.reciprocal, 0);
    EXPECT_EQ(d.reverseTransDb, -61.25f);
    EXPECT_EQ(d.reverseTransSavedDb, -61.25f);
    EXPECT_FLOAT_EQ(d.userS11Db, -1.234f);
    EXPECT_FLOAT_EQ(d.sweepStartGHz, 0.1235f); // "%.4f", and never scaled to Hz
    EXPECT_EQ(d.sweepPoints, 17);
    EXPECT_EQ(d.freqSweep, 1);
    EXPECT_EQ(d.coverageFactors[10], 11.0f);
    EXPECT_FLOAT_EQ(d.coverageFactors[11], 2.0f);
}

TEST(ReadModelFile, ReadsAHandWrittenFileInAnyOrderAndCase) {
    Owned<ModelInfo> model(CreateModelInfo());
    testing::CapturedMessages captured;
    ASSERT_EQ(ReadModelFile(model.get(), (kDataDir + "handwritten.mdl").c_str()), 1);
    EXPECT_TRUE(captured.all().empty()) << captured.errors().front();

    EXPECT_EQ(model->ifBandwidthHz, 100.0f);
    EXPECT_EQ(model->nrcIfBandwidthHz, 10.0f);
    const DUTInfo& d = *model->dut;
    EXPECT_EQ(d.type, DUT_REFLECTION_ONLY);
    EXPECT_EQ(d.reflNumValues, 11);
    EXPECT_EQ(d.reflMinDb, -30.0f);
    EXPECT_EQ(d.reflMaxDb, -10.0f);
    EXPECT_EQ(d.transNumValues, 5);
    EXPECT_EQ(d.reciprocal, 0);
    EXPECT_EQ(d.reverseTransDb, -70.0f);
    EXPECT_EQ(d.userS12Db, -26.0f);
    EXPECT_EQ(d.sweepPoints, 21);
    EXPECT_EQ(d.sweepStartGHz, 1.5f);
    EXPECT_EQ(d.sweepStopGHz, 2.5f);
    EXPECT_EQ(d.freqSweep, 1);
    EXPECT_EQ(d.coverageFactors[0], 1.0f);
    EXPECT_EQ(d.coverageFactors[11], 2.0f);

    const FVInfo& tm = *model->connector2->RCnTm;
    ASSERT_EQ(tm.numPairs, 1);
    EXPECT_EQ(tm.interpType, INTERP_STEP);
    EXPECT_EQ(tm.frequenciesHz[0], 1e9);
    EXPECT_EQ(tm.values[0], 33.0f);
    const FVInfo& rm = *model->connector2->RCnRm;
    ASSERT_EQ(rm.numPairs, 2);
    EXPECT_EQ(rm.interpType, INTERP_SMOOTH_FIT);
    EXPECT_EQ(rm.frequenciesHz[1], 2e9);
    EXPECT_EQ(rm.values[1], 41.0f);
    // What the file does not mention keeps its value.
    EXPECT_EQ(model->connector1->RCnRm->numPairs, 0);

    ASSERT_EQ(model->numFreqs, 2);
    EXPECT_EQ(model->frequenciesHz[0], 1.25e9);
    EXPECT_EQ(model->frequenciesHz[1], 1.75e9);
    EXPECT_EQ(model->powerDbm, -5.5f);
    EXPECT_EQ(model->averages, 4);
    EXPECT_EQ(model->nrcAverages, 8);
}

// Reads `text` from a file into a new model; returns the model, the messages and the path.
struct ReadOutcome {
    Owned<ModelInfo> model{CreateModelInfo()};
    int returned = -1;
    Texts errors;
    std::string path;
};

ReadOutcome Read(const testing::TempDir& dir, const std::string& text) {
    ReadOutcome outcome;
    outcome.path = dir.write("in.mdl", text);
    testing::CapturedMessages captured;
    outcome.returned = ReadModelFile(outcome.model.get(), outcome.path.c_str());
    outcome.errors = captured.errors();
    return outcome;
}

const char* kTail = "POWER\n3.0 0.0\n";

TEST(ReadModelFile, ALineErrorIsReportedOnceAndTheRestOfTheFileIsSkipped) {
    testing::TempDir dir;
    struct Case {
        std::string text;
        std::string badLine;
        bool unknownKeyword;
        Texts before; // the record's own messages, before the File module's
    };
    const Case cases[] = {
        {"FOO bar\n", "FOO bar", true, {}},
        {"CONNECTOR1\n", "CONNECTOR1", true, {}},
        {"CONNECTOR 3\n", "CONNECTOR 3", false, {}},
        {"CABLE\n", "CABLE", false, {}},
        // A table of 0 entries takes the next line as an entry; a keyword does not parse.
        {"CABLE 2\nDCbTm\n0\nLINEAR\nDCbTp\n", "DCbTp", false, {}},
        {"VNA\nSSr\n1\nCUBIC\n", "CUBIC", false, {}},
        {"VNA\nSSr\n1\nLINEAR\n1.0\n", "1.0", false, {}},
        // A VNA block without SRc never completes.
        {"VNA\nSSr\n1\nLINEAR\n1 0\nNRc\n1\nLINEAR\n1 0\nCALIBRATION\n", "CALIBRATION", true, {}},
        {"FREQUENCY\n0\n", "0", false, {"SetModelParam: Invalid number of frequencies."}},
        {"FREQUENCY\n5001\n",
         "5001",
         false,
         {"SetModelParam: Too many frequencies, maximum is 5000."}},
        {"FREQUENCY\n2\n1.0\n-1\n", "-1", false, {"SetModelParam: Invalid frequency value."}},
        {"POWER\n-10\n", "-10", false, {}},
        {"AVERAGES\n4\n", "4", false, {}},
        {"IFBW\n100 x\n", "100 x", false, {}},
        {"DUT\n5\n", "5", false, {"SetDUTParam: invalid DUT type."}},
        {"DUT\n1\n0 -30 0\n", "0 -30 0", false, {"SetDUTParam: invalid number of values."}},
    };
    for (const Case& c : cases) {
        const ReadOutcome outcome = Read(dir, c.text + kTail);
        EXPECT_EQ(outcome.returned, 1) << c.text;
        Texts expected = c.before;
        expected.push_back(c.unknownKeyword ? UnknownKeyword(outcome.path, c.badLine)
                                            : ParseError(outcome.path, c.badLine));
        EXPECT_EQ(outcome.errors, expected) << c.text;
        EXPECT_EQ(outcome.model->powerDbm, 0.0f) << "the POWER block after the error was read";
    }
}

TEST(ReadModelFile, BlocksCompleteWhenTheirTermIdentifiersAddUp) {
    testing::TempDir dir;
    // Three SRc tables make the VNA block's 48 as well; the POWER keyword is then recognised.
    const std::string srcTable = "SRc\n1\nSTEP\n0 0.5\n";
    ReadOutcome outcome = Read(dir, "vna\n" + srcTable + srcTable + srcTable + kTail);
    EXPECT_TRUE(outcome.errors.empty());
    EXPECT_EQ(outcome.model->powerDbm, 3.0f);
    EXPECT_EQ(outcome.model->vna->src->interpType, INTERP_STEP);

    // A table given twice is read twice; the block completes on its second table.
    outcome = Read(dir, "CABLE 1\nDCbTp\n1\nLINEAR\n1 5\nDCBTM\n2\nLINEAR\n1 1\n2 2\n" +
                            std::string(kTail));
    EXPECT_TRUE(outcome.errors.empty());
    EXPECT_EQ(outcome.model->cable1->DCbTm->numPairs, 2);
    EXPECT_EQ(outcome.model->cable1->DCbTp->values[0], 5.0f);
    EXPECT_EQ(outcome.model->powerDbm, 3.0f);

    // A count the table refuses is reported by the table, and reading goes on.
    outcome = Read(dir, "CONNECTOR 1\nRCnTm\n-1\nLINEAR\n1 2\n");
    EXPECT_EQ(outcome.returned, 1);
    ASSERT_FALSE(outcome.errors.empty());
    EXPECT_EQ(outcome.errors.front(), "SetFVParam: invalid number of pairs.");
}

TEST(ReadModelFile, ALineOfMoreThan254CharactersIsReadAsTwoLines) {
    testing::TempDir dir;
    const std::string longLine = "1.5" + std::string(251, ' ') + "  2.5";
    const ReadOutcome outcome = Read(dir, "FREQUENCY\n2\n" + longLine + "\n");
    EXPECT_TRUE(outcome.errors.empty());
    ASSERT_EQ(outcome.model->numFreqs, 2);
    EXPECT_EQ(outcome.model->frequenciesHz[0], 1.5e9);
    EXPECT_EQ(outcome.model->frequenciesHz[1], 2.5e9);
}

TEST(ReadModelFile, AnEmptyFileChangesNothingAndMissingFilesAreReported) {
    testing::TempDir dir;
    ReadOutcome outcome = Read(dir, "");
    EXPECT_EQ(outcome.returned, 1);
    EXPECT_TRUE(outcome.errors.empty());
    EXPECT_EQ(outcome.model->ifBandwidthHz, 1000.0f);

    testing::CapturedMessages captured;
    const std::string missing = dir.file("missing.mdl");
    EXPECT_EQ(ReadModelFile(outcome.model.get(), missing.c_str()), 0);
    EXPECT_EQ(ReadModelFile(nullptr, missing.c_str()), 0);
    EXPECT_EQ(WriteModelFile(nullptr, missing.c_str()), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"ReadModelFile: Error opening the file:" + missing,
                     "ReadModelFile: NULL info pointer.", "WriteModelFile: NULL info pointer."}));
}

TEST(ModelFile, ATableWithoutInterpolationLineDoesNotReadBack) {
    // A receiver table that was never given a type is written without its interpolation line.
    Owned<ModelInfo> model(CreateModelInfo());
    for (ModelTerm term : kRangeCheckedTerms)
        testing::FillTable(testing::TermTable(model.get(), term), {{1e9, 1.0f}});
    testing::FillTable(model->vna->src, {{-10.0, 0.5f}}, INTERP_LINEAR);
    model->vna->src->interpType = 0;
    testing::TempDir dir;
    testing::CapturedMessages captured;
    ASSERT_EQ(WriteModelFile(model.get(), dir.file("m.mdl").c_str()), 1);
    Owned<ModelInfo> read(CreateModelInfo());
    EXPECT_EQ(ReadModelFile(read.get(), dir.file("m.mdl").c_str()), 1);
    EXPECT_EQ(captured.errors(), Texts{ParseError(dir.file("m.mdl"), "-10.0 0.5000")});
}

TEST(ModelFile, AModelWithoutFrequenciesDoesNotReadBackItsDUT) {
    Owned<ModelInfo> model(CreateModelInfo());
    for (ModelTerm term : kRangeCheckedTerms)
        testing::FillTable(testing::TermTable(model.get(), term), {{1e9, 1.0f}});
    testing::FillTable(model->vna->src, {{0.0, 1.0f}});
    ASSERT_EQ(SetDUTType(model->dut, DUT_REFLECTION_ONLY), 1);
    testing::TempDir dir;
    testing::CapturedMessages captured;
    ASSERT_EQ(WriteModelFile(model.get(), dir.file("m.mdl").c_str()), 1);
    Owned<ModelInfo> read(CreateModelInfo());
    EXPECT_EQ(ReadModelFile(read.get(), dir.file("m.mdl").c_str()), 1);
    EXPECT_EQ(captured.errors(), (Texts{"SetModelParam: Invalid number of frequencies.",
                                        ParseError(dir.file("m.mdl"), "0")}));
    EXPECT_EQ(read->calKit->CTt->numPairs, 1); // the tables before it were read
    EXPECT_EQ(read->dut->type, DUT_TRANSMISSION_ONLY);
}

TEST(WriteModelFile, AFailureLeavesThePreviousFileInPlace) {
    testing::TempDir dir;
    const std::string path = dir.write("kept.mdl", "the user's previous model\n");
    Owned<ModelInfo> model(CreateModelInfo());
    FillBenchModel(model.get());
    // A query that fails part way: the calibration kit's last table is missing.
    model->calKit->CTt.reset();
    testing::CapturedMessages captured;
    EXPECT_EQ(WriteModelFile(model.get(), path.c_str()), 0);
    EXPECT_EQ(captured.errors(), Texts{"GetFVParam: NULL info pointer."});
    EXPECT_EQ(dir.read("kept.mdl"), "the user's previous model\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator{}),
              1)
        << "the temporary file was removed";

    captured.clear();
    const std::string noFolder = dir.file("no/such/folder/m.mdl");
    EXPECT_EQ(WriteModelFile(model.get(), noFolder.c_str()), 0);
    EXPECT_EQ(captured.errors(), Texts{"WriteModelFile: Error creating the file:" + noFolder});
}

TEST(ReplaceModelFromFile, InstallsTheNewModelOnlyWhenReadingSucceeded) {
    testing::TempDir dir;
    ModelInfo* current = CreateModelInfo();
    ModelInfo* const original = current;
    testing::CapturedMessages captured;
    EXPECT_EQ(ReplaceModelFromFile(&current, dir.file("missing.mdl").c_str()), 0);
    EXPECT_EQ(current, original);

    // Line errors still count as success: the new model holds what came before the error.
    const std::string path = dir.write("bad.mdl", "POWER\n-3 0\nBAD\nAVERAGES\n5 5\n");
    EXPECT_EQ(ReplaceModelFromFile(&current, path.c_str()), 1);
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->powerDbm, -3.0f);
    EXPECT_EQ(current->averages, 0);
    EXPECT_EQ(DestroyModelInfo(current), 1);
    EXPECT_EQ(ReplaceModelFromFile(nullptr, path.c_str()), 0);
}

} // namespace
} // namespace tolvane
