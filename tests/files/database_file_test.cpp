#include "files/database_file.h"

#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dielectric.h"
#include "components/vna.h"
#include "core/fv_table.h"
#include "core/interpolation.h"
#include "core/pv_table.h"
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

/// A table read from the file: its size, interpolation, and the pair at `index`.
void ExpectTable(const FVInfo* table, int numPairs, int interpType, int index, double frequencyHz,
                 float value) {
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->numPairs, numPairs);
    EXPECT_EQ(table->interpType, interpType);
    EXPECT_EQ(table->frequenciesHz[index], frequencyHz);
    EXPECT_EQ(table->values[index], value);
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
    // The second number is the reflection repeatability, the third the transmission one;
    // connector frequencies are in Hz, not scaled.
    ExpectTable(conn->RCnRm, 2, INTERP_LINEAR, 1, 4e10, 0.04f);
    ExpectTable(conn->RCnTm, 2, INTERP_LINEAR, 1, 4e10, 0.07f);

    ASSERT_EQ(DielectricNames(lists), Texts{"   PTFE solid"}) << "leading white space is kept";
    const DielInfo* diel = GetInfoListRecord<DielInfo>(lists.dielectrics, 0);
    EXPECT_EQ(diel->magCoef, 0.002f);
    EXPECT_EQ(diel->phaseCoef, 0.05f);

    ASSERT_EQ(VNANames(lists), Texts{"Bench VNA 40"});
    const VNAInfo* vna = GetInfoListRecord<VNAInfo>(lists.vnas, 0);
    EXPECT_EQ(vna->minPowerDbm, -30.0f);
    EXPECT_EQ(vna->maxPowerDbm, 10.0f);
    EXPECT_EQ(vna->defaultPowerDbm, -5.0f);
    EXPECT_EQ(vna->nrcAverages, 10);
    EXPECT_EQ(vna->nrcIfBandwidthHz, 100.0f);
    // SMOOTH-FIT in the SSR section sets nothing; SSR and NRc frequencies are GHz.
    ExpectTable(vna->ssr, 2, INTERP_LINEAR, 1, 4e10, -30.0f);
    ExpectTable(vna->nrc, 2, INTERP_STEP, 0, 1e9, -110.0f);
    ASSERT_EQ(vna->src->numPairs, 3);
    EXPECT_EQ(vna->src->interpType, INTERP_SMOOTH_FIT);
    EXPECT_EQ(vna->src->powersDbm[2], 10.0f);
    EXPECT_EQ(vna->src->values[2], 0.2f);

    int count = 0;
    ASSERT_TRUE(GetVNANumIFBWs(vna, &count));
    ASSERT_EQ(count, 3);
    std::vector<float> bandwidths(3);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(GetVNAIFBW(vna, i, &bandwidths[i]));
    EXPECT_EQ(bandwidths, (std::vector<float>{10.0f, 100.0f, 1000.0f}));

    ASSERT_EQ(CalKitNames(lists), Texts{"Kit 3.5mm"});
    const CalInfo* cal = GetInfoListRecord<CalInfo>(lists.calKits, 0);
    EXPECT_STREQ(cal->connName.data(), "3.5mm");
    const FVInfo* tables[] = {cal->CDr, cal->CSm, cal->CRt, cal->CXt, cal->CLm, cal->CTt};
    const float second[] = {-38, -33, 0.1f, -80, -36, 0.12f};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i + kCalCDr);
        ExpectTable(tables[i], 2, INTERP_STEP, 1, 4e10, second[i]);
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
