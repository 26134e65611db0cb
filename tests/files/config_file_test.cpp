#include "files/config_file.h"

#include "components/dut.h"
#include "core/owned.h"
#include "engine/config.h"
#include "support/captured_messages.h"
#include "support/config_builder.h"
#include "support/platform_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

const std::string kDataDir = std::string(TOLVANE_TEST_DATA_DIR) + "/config/";

std::string Name(const RecordName& name) {
    return name.data();
}

std::string ParseError(const std::string& path, const std::string& line) {
    return "ReadConfigFile: File:" + path + "\nError parsing the line:\n" + line;
}
std::string UnknownKeyword(const std::string& path, const std::string& line) {
    return "ReadConfigFile: File:" + path + "\nUnknown keyword in the line:\n" + line;
}

/// The configuration of the written.cfg fixture: every field set, the DUT as created.
void FillBenchConfig(ConfigInfo* config) {
    ASSERT_TRUE(testing::SetUpConfig(config, {.vnaName = "Bench VNA 40",
                                              .calName = "Kit 3.5mm",
                                              .dielectricNames = {"PTFE solid", "PE foam"},
                                              .cableLengthsM = {{1.5f, 0.75f}},
                                              .tempVarC = 2.0f,
                                              .powerDbm = -10.0f,
                                              .ifBandwidthHz = 1000.0f,
                                              .averages = 16,
                                              .frequenciesHz = {45.0e6, 1.5e9, 26.5e9}}));
    ASSERT_TRUE(SetConfigFreq(config, 3, 50.0e9)); // beyond the count: not written
}

TEST(WriteConfigFile, WritesEveryLineInItsFormat) {
    Owned<ConfigInfo> config(CreateConfigInfo());
    FillBenchConfig(config.get());
    testing::TempDir dir;
    testing::CapturedMessages captured;
    ASSERT_EQ(WriteConfigFile(config.get(), dir.file("out.cfg").c_str()), 1);
    EXPECT_EQ(dir.read("out.cfg"), dir.read(kDataDir + "written.cfg"));
    EXPECT_TRUE(captured.all().empty());
}

TEST(ReadConfigFile, ReadsAHandWrittenFileInAnyOrderAndCase) {
    Owned<ConfigInfo> config(CreateConfigInfo());
    testing::CapturedMessages captured;
    ASSERT_EQ(ReadConfigFile(config.get(), (kDataDir + "handwritten.cfg").c_str()), 1);
    EXPECT_TRUE(captured.all().empty()) << captured.errors().front();

    const ConfigInfo& c = *config.get();
    EXPECT_EQ(c.ifBandwidthHz, 100.0f);
    EXPECT_EQ(Name(c.calName), "  Kit 2.4mm  ") << "a name is the whole line";
    EXPECT_EQ(Name(c.vnaName), "Bench VNA 67");
    ASSERT_EQ(c.numFreqs, 4);
    EXPECT_DOUBLE_EQ(c.frequenciesHz[0], 1.0e7);
    EXPECT_DOUBLE_EQ(c.frequenciesHz[1], 2.5e9);
    EXPECT_DOUBLE_EQ(c.frequenciesHz[2], 40.0e9);
    EXPECT_DOUBLE_EQ(c.frequenciesHz[3], 67.0e9);
    EXPECT_EQ(Name(c.dielNames[0]), "PTFE solid");
    EXPECT_EQ(Name(c.dielNames[1]), "PE foam");
    EXPECT_EQ(c.cableLengthM[0], 1.0f);
    EXPECT_EQ(c.cableLengthM[1], 2.25f);
    EXPECT_EQ(c.tempVarC, 1.5f) << "the cable block read last sets the temperature variation";
    EXPECT_EQ(c.numAverages, 10);
    EXPECT_EQ(c.powerDbm, -7.5f);

    const DUTInfo& d = *c.dut;
    EXPECT_EQ(d.type, DUT_REFLECTION_ONLY);
    EXPECT_EQ(d.reflNumValues, 21);
    EXPECT_EQ(d.reflMinDb, -35.0f);
    EXPECT_EQ(d.reflMaxDb, -2.0f);
    EXPECT_EQ(d.reciprocal, 0);
    EXPECT_EQ(d.reverseTransDb, -55.5f);
    EXPECT_EQ(d.reverseTransSavedDb, -55.5f);
    EXPECT_EQ(d.sweepPoints, 51);
    EXPECT_EQ(d.sweepStartGHz, 1.0f);
    EXPECT_EQ(d.sweepStopGHz, 18.0f);
    EXPECT_EQ(d.freqSweep, 1);
    const std::array<float, 12> factors{3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 2};
    EXPECT_EQ(d.coverageFactors, factors);
}

TEST(ConfigFile, AWrittenConfigurationReadsBackWithinThePrintedPrecision) {
    Owned<ConfigInfo> written(CreateConfigInfo());
    ConfigInfo* w = written.get();
    const int n = 300;
    std::vector<double> frequenciesHz;
    for (int i = 0; i < n; ++i)
        frequenciesHz.push_back(10.0e6 + i * 123456789.0);
    ASSERT_TRUE(testing::SetUpConfig(w, {.vnaName = " leading blank and a ! in the name",
                                         .calName = "Kit",
                                         .dielectricNames = {"PTFE", "Air line"},
                                         .cableLengthsM = {{1.23456f, 0.0f}},
                                         .tempVarC = 3.14159f,
                                         .powerDbm = -12.34567f,
                                         .ifBandwidthHz = 12.345f,
                                         .averages = 1024,
                                         .frequenciesHz = frequenciesHz}));
    DUTInfo* dut = w->dut;
    ASSERT_TRUE(SetDUTType(dut, DUT_USER_DEFINED));
    ASSERT_TRUE(SetDUTReflNumValues(dut, 11) && SetDUTReflMin(dut, -30.44f) &&
                SetDUTReflMax(dut, -1.26f));
    ASSERT_TRUE(SetDUTTransNumValues(dut, 5) && SetDUTTransMin(dut, -60.254f) &&
                SetDUTTransMax(dut, 3.756f) && SetDUTReciprocal(dut, 0) &&
                SetDUTReverseTrans(dut, -70.5f) && SetDUTReverseTransSaved(dut, -70.126f));
    ASSERT_TRUE(SetDUTUserValues(dut, -15.1234f, -33.5f, 2.2501f, -18.75f, 0.0456f, 20.12345f, 7));
    ASSERT_TRUE(SetDUTFreqSweep(dut, 1));
    ASSERT_TRUE(SetDUTCoverageFactors(dut, 1.0004f, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 1.9996f));

    testing::TempDir dir;
    const std::string path = dir.file("round.cfg");
    testing::CapturedMessages captured;
    ASSERT_EQ(WriteConfigFile(w, path.c_str()), 1);
    Owned<ConfigInfo> read(CreateConfigInfo());
    ASSERT_EQ(ReadConfigFile(read.get(), path.c_str()), 1);
    EXPECT_TRUE(captured.all().empty());

    const ConfigInfo& r = *read.get();
    EXPECT_EQ(Name(r.vnaName), Name(w->vnaName));
    EXPECT_EQ(Name(r.dielNames[0]), "PTFE");
    EXPECT_EQ(Name(r.dielNames[1]), "Air line");
    EXPECT_EQ(Name(r.calName), "Kit");
    // Lengths, temperature variation and power keep three decimals, the IF bandwidth one.
    EXPECT_NEAR(r.cableLengthM[0], 1.23456f, 0.0005);
    EXPECT_EQ(r.cableLengthM[1], 0.0f);
    EXPECT_NEAR(r.tempVarC, 3.14159f, 0.0005);
    EXPECT_NEAR(r.powerDbm, -12.34567f, 0.0005);
    EXPECT_NEAR(r.ifBandwidthHz, 12.345f, 0.05);
    EXPECT_EQ(r.numAverages, 1024);
    ASSERT_EQ(r.numFreqs, n);
    for (int i = 0; i < n; ++i) // three decimals of GHz: 1 MHz
        EXPECT_NEAR(r.frequenciesHz[i], w->frequenciesHz[i], 0.5e6) << i;

    const DUTInfo& d = *r.dut;
    EXPECT_EQ(d.type, DUT_USER_DEFINED);
    EXPECT_EQ(d.reflNumValues, 11);
    EXPECT_NEAR(d.reflMinDb, -30.44f, 0.05);
    EXPECT_NEAR(d.reflMaxDb, -1.26f, 0.05);
    EXPECT_EQ(d.transNumValues, 5);
    EXPECT_NEAR(d.transMinDb, -60.254f, 0.005);
    EXPECT_NEAR(d.transMaxDb, 3.756f, 0.005);
    EXPECT_EQ(d.reciprocal, 0);
    // The saved reverse transmission is written; reading sets both fields to it.
    EXPECT_NEAR(d.reverseTransDb, -70.126f, 0.005);
    EXPECT_NEAR(d.reverseTransSavedDb, -70.126f, 0.005);
    EXPECT_NEAR(d.userS11Db, -15.1234f, 0.0005);
    EXPECT_NEAR(d.userS21Db, 2.2501f, 0.0005);
    EXPECT_EQ(d.sweepPoints, 7);
    EXPECT_NEAR(d.sweepStartGHz, 0.0456f, 0.0005);
    EXPECT_NEAR(d.sweepStopGHz, 20.12345f, 0.0005);
    EXPECT_EQ(d.freqSweep, 1);
    EXPECT_NEAR(d.coverageFactors[0], 1.0004f, 0.0005);
    EXPECT_NEAR(d.coverageFactors[11], 1.9996f, 0.0005);
    EXPECT_EQ(d.coverageFactors[8], 9.0f);
}

TEST(ReadConfigFile, AnEmptyNameShiftsTheLinesThatFollow) {
    Owned<ConfigInfo> written(CreateConfigInfo());
    FillBenchConfig(written.get());
    ASSERT_TRUE(SetConfigVNAName(written.get(), ""));
    testing::TempDir dir;
    const std::string path = dir.file("empty-name.cfg");
    ASSERT_EQ(WriteConfigFile(written.get(), path.c_str()), 1);

    Owned<ConfigInfo> read(CreateConfigInfo());
    testing::CapturedMessages captured;
    ASSERT_EQ(ReadConfigFile(read.get(), path.c_str()), 1);
    // The empty line is skipped, so "CABLE 1" becomes the VNA name and cable 1's lines are
    // unknown keywords; reading goes on at "CABLE 2".
    EXPECT_EQ(Name(read->vnaName), "CABLE 1");
    EXPECT_EQ(captured.errors(),
              (Texts{UnknownKeyword(path, "PTFE solid"), UnknownKeyword(path, "1.500   2.000")}));
    EXPECT_EQ(Name(read->dielNames[0]), "");
    EXPECT_EQ(Name(read->dielNames[1]), "PE foam");
    EXPECT_EQ(read->numAverages, 16);
}

TEST(ReadConfigFile, AStrayWordIsReportedAndTheNextBlocksAreRead) {
    testing::TempDir dir;
    const std::string path = dir.write("stray.cfg", "POWER\n-3\nstray words here\nAVERAGES\n8\n");
    Owned<ConfigInfo> config(CreateConfigInfo());
    testing::CapturedMessages captured;
    ASSERT_EQ(ReadConfigFile(config.get(), path.c_str()), 1);
    EXPECT_EQ(captured.errors(), (Texts{UnknownKeyword(path, "stray words here")}));
    EXPECT_EQ(config->powerDbm, -3.0f);
    EXPECT_EQ(config->numAverages, 8);
}

TEST(ReadConfigFile, AParseErrorIsReportedOnceAndTheRestIsIgnored) {
    struct Case {
        const char* text;
        const char* badLine;
        Texts recordMessages; ///< what the record reports before the parse error
    };
    const std::vector<Case> cases = {
        {"CABLE 3\nPTFE\n1 1\n", "CABLE 3", {}},
        {"CABLE\nPTFE\n1 1\n", "CABLE", {}},
        {"CABLE x\nPTFE\n1 1\n", "CABLE x", {}},
        {"CABLE 1\nPTFE\n1.5\n", "1.5", {}},
        {"CABLE 1\nPTFE\n-1 2\n", "-1 2", {"SetConfigParam: Invalid cable length."}},
        {"CABLE 1\nPTFE\n1 -2\n", "1 -2", {"SetConfigParam: Invalid temperature variation."}},
        {"FREQUENCY\n5001\n1\n",
         "5001",
         {"SetConfigParam: Too many frequencies, maximum is 5000."}},
        {"FREQUENCY\n0\n", "0", {"SetConfigParam: Invalid number of frequencies."}},
        {"FREQUENCY\n2\n1\n-2\n", "-2", {"SetConfigParam: Invalid frequency value."}},
        {"FREQUENCY\n2\n1\nPOWER\n", "POWER", {}},
        {"AVERAGES\n0\n", "0", {"SetConfigParam: Invalid number of averages."}},
        {"POWER\nhigh\n", "high", {}},
        {"IFBW\n\n! comment\n  \n", nullptr, {}},
        {"DUT\n7\n", "7", {"SetDUTParam: invalid DUT type."}},
    };
    for (const Case& c : cases) {
        testing::TempDir dir;
        // Every case ends with blocks that must not be read after the error.
        const std::string path = dir.write("bad.cfg", std::string(c.text) + "AVERAGES\n99\n");
        Owned<ConfigInfo> config(CreateConfigInfo());
        testing::CapturedMessages captured;
        ASSERT_EQ(ReadConfigFile(config.get(), path.c_str()), 1) << c.text;
        Texts expected = c.recordMessages;
        if (c.badLine == nullptr) {
            // An IFBW block whose line is missing takes "AVERAGES" as its number.
            expected.push_back(ParseError(path, "AVERAGES"));
        } else {
            expected.push_back(ParseError(path, c.badLine));
        }
        EXPECT_EQ(captured.errors(), expected) << c.text;
        EXPECT_EQ(config->numAverages, 512) << c.text;
    }
}

TEST(ReadConfigFile, ARefusedLineStoresNothingOfIt) {
    testing::TempDir dir;
    const std::string path = dir.write("cable.cfg", "CABLE 2\nPE\n5 -1\n");
    Owned<ConfigInfo> config(CreateConfigInfo());
    testing::CapturedMessages captured;
    ASSERT_EQ(ReadConfigFile(config.get(), path.c_str()), 1);
    EXPECT_EQ(Name(config->dielNames[1]), "PE") << "the name line before it was stored";
    EXPECT_EQ(config->cableLengthM[1], 1000.0f);
    EXPECT_EQ(config->tempVarC, 1000.0f);
}

TEST(ReadConfigFile, AConfigurationWithoutFrequenciesDoesNotReadBack) {
    Owned<ConfigInfo> written(CreateConfigInfo());
    ASSERT_TRUE(SetConfigVNAName(written.get(), "VNA") && SetConfigCalName(written.get(), "Kit") &&
                SetConfigDielName(written.get(), 1, "PTFE") &&
                SetConfigDielName(written.get(), 2, "PTFE"));
    ASSERT_TRUE(SetConfigPower(written.get(), 5.0f));
    testing::TempDir dir;
    const std::string path = dir.file("nofreq.cfg");
    ASSERT_EQ(WriteConfigFile(written.get(), path.c_str()), 1);
    EXPECT_NE(dir.read("nofreq.cfg")
                  .find("FREQUENCY\n!number of frequencies\n0\n"
                        "!frequencies (GHz)\n\nPOWER\n"),
              std::string::npos);

    Owned<ConfigInfo> read(CreateConfigInfo());
    testing::CapturedMessages captured;
    ASSERT_EQ(ReadConfigFile(read.get(), path.c_str()), 1);
    EXPECT_EQ(captured.errors(),
              (Texts{"SetConfigParam: Invalid number of frequencies.", ParseError(path, "0")}));
    // POWER, DUT, AVERAGES and IFBW come after the count and are skipped.
    EXPECT_EQ(read->powerDbm, 1000.0f);
    EXPECT_EQ(read->numAverages, 512);
}

TEST(ReadConfigFile, FailuresThatReturnZero) {
    testing::TempDir dir;
    Owned<ConfigInfo> config(CreateConfigInfo());
    testing::CapturedMessages captured;
    const std::string missing = dir.file("missing.cfg");
    EXPECT_EQ(ReadConfigFile(config.get(), missing.c_str()), 0);
    EXPECT_EQ(ReadConfigFile(nullptr, missing.c_str()), 0);
    EXPECT_EQ(ReadConfigFile(config.get(), dir.path().string().c_str()), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"ReadConfigFile: Error opening the file:" + missing,
                     "ReadConfigFile: NULL info pointer.",
                     "ReadConfigFile: " + std::string(testing::kFolderAsFileMessage) +
                         dir.path().string()}));

    captured.clear();
    EXPECT_EQ(ReadConfigFile(config.get(), dir.write("empty.cfg", "").c_str()), 1);
    EXPECT_TRUE(captured.all().empty());
    EXPECT_EQ(config->numAverages, 512);
}

TEST(WriteConfigFile, FailuresReportAndKeepThePreviousFile) {
    testing::TempDir dir;
    Owned<ConfigInfo> config(CreateConfigInfo());
    FillBenchConfig(config.get());
    testing::CapturedMessages captured;

    const std::string noFolder = dir.file("no/such/folder/x.cfg");
    EXPECT_EQ(WriteConfigFile(config.get(), noFolder.c_str()), 0);
    EXPECT_EQ(WriteConfigFile(nullptr, noFolder.c_str()), 0);

    // A record whose DUT is gone fails its query at the DUT block.
    const std::string previous = dir.write("previous.cfg", "previous contents\n");
    const Owned<DUTInfo> dut(config->dut.release());
    EXPECT_EQ(WriteConfigFile(config.get(), previous.c_str()), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"WriteConfigFile: Error creating the file:" + noFolder,
                     "WriteConfigFile: NULL info pointer.", "GetDUTParam: NULL info pointer."}));
    EXPECT_EQ(dir.read("previous.cfg"), "previous contents\n");
}

TEST(WriteConfigFile, AFailedWriteReportsAndLeavesThePreviousFileIntact) {
    testing::TempDir dir;
    const std::string previous(6000, 'p');
    const std::string path = dir.write("big.cfg", previous);
    Owned<ConfigInfo> config(CreateConfigInfo());
    FillBenchConfig(config.get());
    ASSERT_TRUE(SetConfigNumFreqs(config.get(), 5000));
    for (int i = 0; i < 5000; ++i)
        ASSERT_TRUE(SetConfigFreq(config.get(), i, 1.0e9 + i * 1.0e6));

#if defined(_WIN32)
    GTEST_SKIP() << "the file size limit that makes the write fail is POSIX (setrlimit)";
#else
    testing::CapturedMessages captured;
    {
        // The file may not grow past 4 KiB; a write beyond fails instead of ending the process.
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit limit = saved;
        limit.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        EXPECT_EQ(WriteConfigFile(config.get(), path.c_str()), 0);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }
    EXPECT_EQ(captured.errors(), (Texts{"WriteConfigFile: Error writing to the file:" + path}));
    EXPECT_EQ(dir.read("big.cfg"), previous);
#endif
}

TEST(ReplaceConfigFromFile, InstallsTheNewRecordOnlyWhenReadingSucceeds) {
    testing::TempDir dir;
    ConfigInfo* current = CreateConfigInfo();
    ASSERT_NE(current, nullptr);
    ASSERT_TRUE(SetConfigAverages(current, 7));
    ConfigInfo* const original = current;

    testing::CapturedMessages captured;
    EXPECT_EQ(ReplaceConfigFromFile(&current, dir.file("missing.cfg").c_str()), 0);
    EXPECT_EQ(current, original);
    EXPECT_EQ(current->numAverages, 7);

    // A file with a parse error still counts as read: the new record holds its defaults apart
    // from what came before the error.
    const std::string path = dir.write("partial.cfg", "POWER\n-20\nAVERAGES\nmany\nIFBW\n10\n");
    EXPECT_EQ(ReplaceConfigFromFile(&current, path.c_str()), 1);
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->powerDbm, -20.0f);
    EXPECT_EQ(current->numAverages, 512);
    EXPECT_EQ(current->ifBandwidthHz, 1000.0f);
    EXPECT_EQ(DestroyConfigInfo(current), 1);
}

} // namespace
} // namespace tolvane
