#include "files/database_file.h"

#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dielectric.h"
#include "components/vna.h"
#include "core/interpolation.h"
#include "support/captured_messages.h"
#include "support/platform_messages.h"
#include "support/scoped_component_lists.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

std::string ParseError(const std::string& path, const std::string& line) {
    return "ReadUncertaintyFile: File:" + path + "\nError parsing the line:\n" + line;
}
std::string UnknownKeyword(const std::string& path, const std::string& line) {
    return "ReadUncertaintyFile: File:" + path + "\nUnknown keyword in the line:\n" + line;
}

/// Names of the records of one list, in list order.
template <typename Record, int (*GetName)(const Record*, char*, int)>
Texts Names(const InfoList* list) {
    Texts names;
    for (int i = 0; i < GetInfoListCount(list); ++i) {
        char name[128] = {};
        EXPECT_TRUE(GetName(GetInfoListRecord<Record>(list, i), name, sizeof name));
        names.emplace_back(name);
    }
    return names;
}
Texts ConnectorNames(const ComponentLists& l) {
    return Names<ConnInfo, GetConnName>(l.connectors);
}
Texts DielectricNames(const ComponentLists& l) {
    return Names<DielInfo, GetDielName>(l.dielectrics);
}
Texts VNANames(const ComponentLists& l) {
    return Names<VNAInfo, GetVNAName>(l.vnas);
}
Texts CalKitNames(const ComponentLists& l) {
    return Names<CalInfo, GetCalName>(l.calKits);
}

struct DatabaseFixture : ::testing::Test {
    testing::ScopedComponentLists scoped;
    const ComponentLists& lists = scoped.lists();
    testing::TempDir dir;

    /// Reads `text` as a database and returns what ReadUncertaintyFile returned.
    int read(const std::string& text) {
        path = dir.write("uncdata.unc", text);
        return ReadUncertaintyFile(path.c_str());
    }
    std::string path;
};

TEST_F(DatabaseFixture, OneBlockOfEachKindFillsTheFourLists) {
    testing::CapturedMessages captured;
    const std::string fixture = std::string(TOLVANE_TEST_DATA_DIR) + "/database/one_of_each.unc";
    ASSERT_EQ(ReadUncertaintyFile(fixture.c_str()), 1);
    EXPECT_TRUE(captured.all().empty()) << captured.errors().front();

    ASSERT_EQ(ConnectorNames(lists), Texts{"3.5mm"});
    const ConnInfo* conn = GetInfoListRecord<ConnInfo>(lists.connectors, 0);
    int n = 0, type = 0;
    double frequencyHz = 0.0;
    float value = 0.0f;
    for (int code : {kConnRCnTm, kConnRCnRm}) {
        ASSERT_TRUE(GetConnFVNumPairs(conn, code, &n) && GetConnFVInterpType(conn, code, &type));
        EXPECT_EQ(n, 2);
        EXPECT_EQ(type, INTERP_LINEAR);
        ASSERT_TRUE(GetConnFVFreq(conn, code, 1, &frequencyHz));
        EXPECT_EQ(frequencyHz, 4e10) << "connector frequencies are in Hz, not scaled";
    }
    // The second number is the reflection repeatability, the third the transmission one.
    ASSERT_TRUE(GetConnFVValueAt(conn, kConnRCnRm, 1, &value));
    EXPECT_EQ(value, 0.04f);
    ASSERT_TRUE(GetConnFVValueAt(conn, kConnRCnTm, 1, &value));
    EXPECT_EQ(value, 0.07f);

    ASSERT_EQ(DielectricNames(lists), Texts{"   PTFE solid"}) << "leading white space is kept";
    const DielInfo* diel = GetInfoListRecord<DielInfo>(lists.dielectrics, 0);
    ASSERT_TRUE(GetDielMagCoef(diel, &value));
    EXPECT_EQ(value, 0.002f);
    ASSERT_TRUE(GetDielPhaseCoef(diel, &value));
    EXPECT_EQ(value, 0.05f);

    ASSERT_EQ(VNANames(lists), Texts{"Bench VNA 40"});
    const VNAInfo* vna = GetInfoListRecord<VNAInfo>(lists.vnas, 0);
    float minDbm = 0, maxDbm = 0, defaultDbm = 0, nrcIfbw = 0;
    int nrcAverages = 0;
    ASSERT_TRUE(GetVNAMinPower(vna, &minDbm) && GetVNAMaxPower(vna, &maxDbm) &&
                GetVNADefaultPower(vna, &defaultDbm) && GetVNANRcAverages(vna, &nrcAverages) &&
                GetVNANRcIFBW(vna, &nrcIfbw));
    EXPECT_EQ(minDbm, -30.0f);
    EXPECT_EQ(maxDbm, 10.0f);
    EXPECT_EQ(defaultDbm, -5.0f);
    EXPECT_EQ(nrcAverages, 10);
    EXPECT_EQ(nrcIfbw, 100.0f);

    ASSERT_TRUE(GetVNAFVNumPairs(vna, kVNATableSSr, &n) &&
                GetVNAFVInterpType(vna, kVNATableSSr, &type));
    EXPECT_EQ(n, 2);
    EXPECT_EQ(type, INTERP_LINEAR) << "SMOOTH-FIT in the SSR section sets nothing";
    ASSERT_TRUE(GetVNAFVFreq(vna, kVNATableSSr, 1, &frequencyHz) &&
                GetVNAFVValueAt(vna, kVNATableSSr, 1, &value));
    EXPECT_EQ(frequencyHz, 4e10) << "SSR frequencies are GHz";
    EXPECT_EQ(value, -30.0f);

    ASSERT_TRUE(GetVNAPVNumPairs(vna, kVNATableSRc, &n) &&
                GetVNAPVInterpType(vna, kVNATableSRc, &type));
    EXPECT_EQ(n, 3);
    EXPECT_EQ(type, INTERP_SMOOTH_FIT);
    float powerDbm = 0.0f;
    ASSERT_TRUE(GetVNAPVPower(vna, kVNATableSRc, 2, &powerDbm) &&
                GetVNAPVValueAt(vna, kVNATableSRc, 2, &value));
    EXPECT_EQ(powerDbm, 10.0f);
    EXPECT_EQ(value, 0.2f);

    ASSERT_TRUE(GetVNAFVNumPairs(vna, kVNATableNRc, &n) &&
                GetVNAFVInterpType(vna, kVNATableNRc, &type));
    EXPECT_EQ(n, 2);
    EXPECT_EQ(type, INTERP_STEP);
    ASSERT_TRUE(GetVNAFVFreq(vna, kVNATableNRc, 0, &frequencyHz) &&
                GetVNAFVValueAt(vna, kVNATableNRc, 0, &value));
    EXPECT_EQ(frequencyHz, 1e9) << "NRc frequencies are GHz";
    EXPECT_EQ(value, -110.0f);

    int count = 0;
    ASSERT_TRUE(GetVNANumIFBWs(vna, &count));
    ASSERT_EQ(count, 3);
    std::vector<float> bandwidths(3);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(GetVNAIFBW(vna, i, &bandwidths[i]));
    EXPECT_EQ(bandwidths, (std::vector<float>{10.0f, 100.0f, 1000.0f}));

    ASSERT_EQ(CalKitNames(lists), Texts{"Kit 3.5mm"});
    const CalInfo* cal = GetInfoListRecord<CalInfo>(lists.calKits, 0);
    char connName[128] = {};
    ASSERT_TRUE(GetCalConnName(cal, connName, sizeof connName));
    EXPECT_STREQ(connName, "3.5mm");
    const float second[] = {-38, -33, 0.1f, -80, -36, 0.12f};
    for (int code = kCalCDr; code <= kCalCTt; ++code) {
        ASSERT_TRUE(GetCalFVNumPairs(cal, code, &n) && GetCalFVInterpType(cal, code, &type) &&
                    GetCalFVFreq(cal, code, 1, &frequencyHz) &&
                    GetCalFVValueAt(cal, code, 1, &value));
        EXPECT_EQ(n, 2);
        EXPECT_EQ(type, INTERP_STEP);
        EXPECT_EQ(frequencyHz, 4e10);
        EXPECT_EQ(value, second[code - kCalCDr]) << "table code " << code;
    }
}

TEST_F(DatabaseFixture, RecordsKeepFileOrderAndDuplicateNames) {
    testing::CapturedMessages captured;
    const std::string longName(200, 'd');
    ASSERT_EQ(read("DIELECTRIC\nAir\n0 0\nDIELECTRIC\n" + longName +
                   "\n1 1\nDIELECTRIC\nAir\n2 2 extra text\n"),
              1);
    EXPECT_TRUE(captured.all().empty());
    EXPECT_EQ(DielectricNames(lists), (Texts{"Air", longName.substr(0, 127), "Air"}));
    float coef = 0.0f;
    ASSERT_TRUE(GetDielMagCoef(GetInfoListRecord<DielInfo>(lists.dielectrics, 2), &coef));
    EXPECT_EQ(coef, 2.0f);
}

TEST_F(DatabaseFixture, UnknownBlockKeywordsAreReportedAndReadingGoesOn) {
    testing::CapturedMessages captured;
    ASSERT_EQ(read("CABLE\nDIELECTRIC\nAir\n0 0\nconnectors\nDIELECTRIC\nFoam\n1 1\n"), 1);
    EXPECT_EQ(captured.errors(),
              (Texts{UnknownKeyword(path, "CABLE"), UnknownKeyword(path, "connectors")}));
    EXPECT_EQ(DielectricNames(lists), (Texts{"Air", "Foam"}));
}

TEST_F(DatabaseFixture, ABadDielectricLineDropsOnlyThatDielectric) {
    testing::CapturedMessages captured;
    ASSERT_EQ(read("DIELECTRIC\nAir\n0.5\nDIELECTRIC\nFoam\n1 1\n"), 1);
    EXPECT_EQ(captured.errors(), (Texts{ParseError(path, "0.5")}));
    EXPECT_EQ(DielectricNames(lists), Texts{"Foam"});
}

const std::string kConnector = "CONNECTOR\nN\n1\nLINEAR\n1e9 0.1 0.2\n";
const std::string kDielectric = "DIELECTRIC\nAir\n0 0\n";

TEST_F(DatabaseFixture, AParseErrorDropsTheRecordAndSkipsTheRestOfTheFile) {
    struct Case {
        std::string block;
        const char* badLine;
    };
    const std::vector<Case> cases = {
        {"CONNECTOR\nSMA\n2\nLINEAR\n1e9 0.1\n", "1e9 0.1"},
        {"CONNECTOR\nSMA\nmany\n", "many"},
        {"CONNECTOR\nSMA\n1\nSPLINE\n", "SPLINE"},
        {"VNA\nV\nPOWER\n-30 10 0\n", "-30 10 0"},
        {"VNA\nV\nSSR\n1\nCUBIC\n", "CUBIC"},
        {"VNA\nV\nNRC\n2 10\n", "2 10"},
        {"VNA\nV\nSRC\n1\nLINEAR\n-10\n", "-10"},
        {"VNA\nV\nIFBW\n2\n10\nwide\n", "wide"},
        {"CALIBRATION\nK\nN\n1\nLINEAR\n1e9 -40 -35 0.1 -90 -35\n", "1e9 -40 -35 0.1 -90 -35"},
        // A block keyword inside an unfinished block is one of its data lines.
        {"CONNECTOR\nSMA\n1\nLINEAR\nDIELECTRIC\n", "DIELECTRIC"},
    };
    for (const Case& c : cases) {
        testing::ScopedComponentLists fresh;
        testing::CapturedMessages captured;
        ASSERT_EQ(read(kConnector + c.block + kDielectric + kConnector), 1) << c.block;
        EXPECT_EQ(captured.errors(), Texts{ParseError(path, c.badLine)}) << c.block;
        EXPECT_EQ(ConnectorNames(lists), Texts{"N"}) << "records completed before stay";
        EXPECT_TRUE(DielectricNames(lists).empty()) << c.block;
        EXPECT_TRUE(VNANames(lists).empty()) << c.block;
        EXPECT_TRUE(CalKitNames(lists).empty()) << c.block;
    }
}

const std::string kVNAHead = "VNA\nV\nPOWER\n-30 10 0 0\nSSR\n1\nLINEAR\n1 -30\n"
                             "SRC\n1\nLINEAR\n0 0.1\nNRC\n1 10 100\nLINEAR\n1 -100\n";

TEST_F(DatabaseFixture, AVNAIsCompleteWhenItsSectionsAddUpTo45) {
    testing::CapturedMessages captured;
    // Sections in any order, section keywords in any case.
    ASSERT_EQ(read("VNA\nA\nifbw\n1\n10\n" + kVNAHead.substr(6) + kDielectric), 1);
    EXPECT_TRUE(captured.all().empty());
    EXPECT_EQ(VNANames(lists), Texts{"A"});
    EXPECT_EQ(DielectricNames(lists), Texts{"Air"});

    // The sum alone decides: POWER and NRC twice with IFBW make 45 too.
    ASSERT_EQ(read("VNA\nB\nPOWER\n-20 5 0 0\nNRC\n1 10 100\nLINEAR\n1 -100\n"
                   "POWER\n-25 5 0 0\nNRC\n1 1 10\nSTEP\n2 -90\nIFBW\n1\n100\n"),
              1);
    EXPECT_TRUE(captured.all().empty());
    ASSERT_EQ(VNANames(lists), (Texts{"A", "B"}));
    float minDbm = 0.0f;
    ASSERT_TRUE(GetVNAMinPower(GetInfoListRecord<VNAInfo>(lists.vnas, 1), &minDbm));
    EXPECT_EQ(minDbm, -25.0f) << "a section given twice is read twice";
}

/// A VNA block whose POWER line is `powerLine`.
std::string VNAWithPowerLine(const std::string& name, const std::string& powerLine) {
    return "VNA\n" + name + "\nPOWER\n" + powerLine + "\n" + kVNAHead.substr(23) + "IFBW\n1\n10\n";
}

/// Every field of a VNA the sweep-time columns could disturb, the two constants last.
std::vector<float> VNAFields(const VNAInfo* vna) {
    std::vector<float> f(7);
    int averages = 0;
    EXPECT_TRUE(GetVNAMinPower(vna, &f[0]) && GetVNAMaxPower(vna, &f[1]) &&
                GetVNADefaultPower(vna, &f[2]) && GetVNANRcIFBW(vna, &f[3]) &&
                GetVNANRcAverages(vna, &averages) && GetVNASweepSettlingFactor(vna, &f[5]) &&
                GetVNASweepPointOverhead(vna, &f[6]));
    f[4] = float(averages);
    return f;
}

TEST_F(DatabaseFixture, SweepTimeColumnsFollowThePowerNumbersAndAreOptional) {
    testing::CapturedMessages captured;
    // Without them the line reads as it always has, with the documented defaults 1 and 0 us;
    // with them (written "%.9g", as a tool would) every other field reads the same.
    ASSERT_EQ(read(VNAWithPowerLine("Old", "-30 10 0 0") +
                   VNAWithPowerLine("New", "-30 10 0 0 1.14999998 37.5") +
                   VNAWithPowerLine("Factor only", "-30 10 0 0 2") +
                   VNAWithPowerLine("Comment", "-30 10 0 0 (resolution)")),
              1);
    EXPECT_TRUE(captured.all().empty());
    ASSERT_EQ(VNANames(lists), (Texts{"Old", "New", "Factor only", "Comment"}));
    const auto fields = [&](int i) { return VNAFields(GetInfoListRecord<VNAInfo>(lists.vnas, i)); };
    EXPECT_EQ(fields(0), (std::vector<float>{-30, 10, 0, 100, 10, 1.0f, 0.0f}));
    EXPECT_EQ(fields(1), (std::vector<float>{-30, 10, 0, 100, 10, 1.15f, 37.5f}));
    EXPECT_EQ(fields(2), (std::vector<float>{-30, 10, 0, 100, 10, 2.0f, 0.0f}));
    EXPECT_EQ(fields(3), fields(0));

    // A factor not above 0 or a negative time is a damaged line.
    ASSERT_EQ(read(VNAWithPowerLine("Zero", "-30 10 0 0 0 5")), 1);
    ASSERT_EQ(read(VNAWithPowerLine("Negative", "-30 10 0 0 1 -5")), 1);
    EXPECT_EQ(captured.errors(),
              (Texts{ParseError(path, "-30 10 0 0 0 5"), ParseError(path, "-30 10 0 0 1 -5")}));
    EXPECT_EQ(VNANames(lists).size(), 4u);
}

TEST_F(DatabaseFixture, AVNAWithoutItsIFBWSectionIsDroppedAtTheNextBlock) {
    testing::CapturedMessages captured;
    ASSERT_EQ(read(kDielectric + kVNAHead + "CALIBRATION\nK\nN\n1\nLINEAR\n1e9 0 0 0 0 0 0\n" +
                   kConnector),
              1);
    EXPECT_EQ(captured.errors(), Texts{UnknownKeyword(path, "CALIBRATION")});
    EXPECT_TRUE(VNANames(lists).empty());
    EXPECT_TRUE(CalKitNames(lists).empty());
    EXPECT_TRUE(ConnectorNames(lists).empty()) << "the rest of the file is skipped";
    EXPECT_EQ(DielectricNames(lists), Texts{"Air"});
}

TEST_F(DatabaseFixture, ABlockCutOffByTheEndOfTheFileLeavesNoRecord) {
    testing::CapturedMessages captured;
    ASSERT_EQ(read(kDielectric + "CONNECTOR\nSMA\n2\nLINEAR\n1e9 0.1 0.2\n"), 1);
    ASSERT_EQ(read(kVNAHead), 1);
    ASSERT_EQ(read("CALIBRATION\nK\n"), 1);
    ASSERT_EQ(read("DIELECTRIC\nFoam\n"), 1);
    EXPECT_TRUE(captured.all().empty());
    EXPECT_EQ(DielectricNames(lists), Texts{"Air"});
    EXPECT_TRUE(ConnectorNames(lists).empty());
    EXPECT_TRUE(VNANames(lists).empty());
    EXPECT_TRUE(CalKitNames(lists).empty());
}

TEST_F(DatabaseFixture, FailuresThatReturnZeroAndTheEmptyFile) {
    testing::CapturedMessages captured;
    const std::string missing = dir.file("uncdata.unc");
    EXPECT_EQ(ReadUncertaintyFile(missing.c_str()), 0);
    EXPECT_EQ(ReadUncertaintyFile(dir.path().string().c_str()), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"ReadUncertaintyFile: Error opening the file:" + missing,
                     "ReadUncertaintyFile: " + std::string(testing::kFolderAsFileMessage) +
                         dir.path().string()}));

    captured.clear();
    EXPECT_EQ(read("\n! nothing but a comment\n"), 1);
    EXPECT_EQ(read(""), 1);
    EXPECT_TRUE(captured.all().empty());
    EXPECT_EQ(GetInfoListCount(lists.connectors) + GetInfoListCount(lists.dielectrics) +
                  GetInfoListCount(lists.vnas) + GetInfoListCount(lists.calKits),
              0);
}

TEST(ReadUncertaintyFile, RefusesToReadWithoutTheLists) {
    testing::ScopedComponentLists scoped;
    InfoList* vnas = std::exchange(GlobalComponentLists().vnas, nullptr);
    testing::TempDir dir;
    testing::CapturedMessages captured;
    EXPECT_EQ(ReadUncertaintyFile(dir.write("u.unc", kDielectric).c_str()), 0);
    GlobalComponentLists().vnas = vnas;
    EXPECT_EQ(captured.errors(), Texts{"ReadUncertaintyFile: NULL pointer."});
    EXPECT_EQ(GetInfoListCount(GlobalComponentLists().dielectrics), 0);
}

} // namespace
} // namespace tolvane
