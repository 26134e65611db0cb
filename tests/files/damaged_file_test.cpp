// How the readers treat damaged files: the inputs the fuzz targets found, and every line of the
// shipped files replaced in turn by one that does not parse.
#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dielectric.h"
#include "components/vna.h"
#include "core/owned.h"
#include "engine/config.h"
#include "engine/model.h"
#include "files/config_file.h"
#include "files/database_file.h"
#include "files/line_reader.h"
#include "files/model_file.h"
#include "files/startup.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"
#include "support/scoped_component_lists.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

const std::string kRegressionDir = std::string(TOLVANE_TEST_DATA_DIR) + "/fuzz-regressions/";
const std::string kShippedDir = std::string(TOLVANE_SHIPPED_DATA_DIR) + "/";

std::string ParseError(const char* routine, const std::string& path, const std::string& line) {
    return std::string(routine) + "File:" + path + "\nError parsing the line:\n" + line;
}
std::string UnknownKeyword(const char* routine, const std::string& path, const std::string& line) {
    return std::string(routine) + "File:" + path + "\nUnknown keyword in the line:\n" + line;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FuzzRegression, ModelTableCountBeyondTheFileIsRefusedAtItsLine) {
    // A count that wraps to 672647168 once sized a table of that many pairs (8 GB).
    const std::string path = kRegressionDir + "model/oom-table-count.mdl";
    Owned<ModelInfo> model(CreateModelInfo());
    testing::CapturedMessages captured;
    EXPECT_EQ(ReadModelFile(model.get(), path.c_str()), 1);
    EXPECT_EQ(captured.errors(),
              (Texts{ParseError("ReadModelFile: ", path, "22147483648interpolation")}));

    // The table before it in the block is kept; the refused table keeps its creation state.
    int n = -1;
    double frequencyHz = 0.0;
    float value = 0.0f;
    ASSERT_EQ(GetCableFVNumPairs(model->cable2, kCableDCbTm, &n), 1);
    EXPECT_EQ(n, 2);
    ASSERT_EQ(GetCableFVFreq(model->cable2, kCableDCbTm, 1, &frequencyHz), 1);
    ASSERT_EQ(GetCableFVValueAt(model->cable2, kCableDCbTm, 1, &value), 1);
    EXPECT_DOUBLE_EQ(frequencyHz, 26.5e9);
    EXPECT_FLOAT_EQ(value, 1.0f);
    ASSERT_EQ(GetCableFVNumPairs(model->cable2, kCableDCbTp, &n), 1);
    EXPECT_EQ(n, 0);
}

TEST(FuzzRegression, DatabaseSectionCountBeyondTheFileDropsTheVNA) {
    // An SRC count that wraps to 2017941504 once sized a power table of 16 GB.
    const std::string path = kRegressionDir + "database/oom-src-count.unc";
    testing::ScopedComponentLists scoped;
    testing::CapturedMessages captured;
    EXPECT_EQ(ReadUncertaintyFile(path.c_str()), 1);
    EXPECT_EQ(captured.errors(), (Texts{ParseError("ReadUncertaintyFile: ", path, "62147483648")}));
    const ComponentLists& lists = scoped.lists();
    EXPECT_EQ(GetInfoListCount(lists.vnas), 0);
    EXPECT_EQ(GetInfoListCount(lists.connectors), 0);
    EXPECT_EQ(GetInfoListCount(lists.calKits), 0);
    EXPECT_EQ(GetInfoListCount(lists.dielectrics), 0);
}

TEST(DamagedFile, ACountTheRestOfTheFileCannotHoldIsRefusedBeforeAnythingIsSized) {
    testing::TempDir dir;
    // After the count line come 15 bytes, at most 8 lines: a count of 9 cannot complete.
    const std::string fits = "CONNECTOR 1\nRCnRm\n4\nLINEAR\n1 2\n3 4\n";
    const std::string tooMany = "CONNECTOR 1\nRCnRm\n9\nLINEAR\n1 2\n3 4\n";
    Owned<ModelInfo> model(CreateModelInfo());
    testing::CapturedMessages captured;
    ASSERT_EQ(ReadModelFile(model.get(), dir.write("fits.mdl", fits).c_str()), 1);
    EXPECT_TRUE(captured.errors().empty()) << "a file cut short is read as far as it goes";
    int n = 0;
    ASSERT_EQ(GetConnFVNumPairs(model->connector1, kConnRCnRm, &n), 1);
    EXPECT_EQ(n, 4);

    const std::string path = dir.write("many.mdl", tooMany);
    ASSERT_EQ(ReadModelFile(model.get(), path.c_str()), 1);
    EXPECT_EQ(captured.errors(), (Texts{ParseError("ReadModelFile: ", path, "9")}));
    ASSERT_EQ(GetConnFVNumPairs(model->connector1, kConnRCnRm, &n), 1);
    EXPECT_EQ(n, 4) << "the refused count sized nothing";
}

TEST(DamagedFile, AnIntegerBeyondIntOrANumberNotFiniteIsAParseError) {
    // 4294967297 would wrap to 1: connector 1, an averaging factor of 1, the background on.
    testing::TempDir dir;
    testing::CapturedMessages captured;
    Owned<ModelInfo> model(CreateModelInfo());
    const std::string model1 = dir.write("c.mdl", "CONNECTOR 4294967297\nRCnRm\n1\n");
    EXPECT_EQ(ReadModelFile(model.get(), model1.c_str()), 1);
    const std::string model2 = dir.write("d.mdl", "DUT\n4294967299\n");
    EXPECT_EQ(ReadModelFile(model.get(), model2.c_str()), 1);
    const std::string model3 = dir.write("i.mdl", "IFBW\ninf 10\nPOWER\n-10 nan\n");
    EXPECT_EQ(ReadModelFile(model.get(), model3.c_str()), 1);
    const std::string model4 = dir.write("p.mdl", "POWER\n-10 nan\n");
    EXPECT_EQ(ReadModelFile(model.get(), model4.c_str()), 1);
    EXPECT_EQ(model->ifBandwidthHz, 1000.0f);
    EXPECT_EQ(model->powerDbm, 0.0f);

    Owned<ConfigInfo> config(CreateConfigInfo());
    ASSERT_EQ(SetConfigAverages(config.get(), 16), 1);
    const std::string config1 = dir.write("a.cfg", "AVERAGES\n4294967297\n");
    EXPECT_EQ(ReadConfigFile(config.get(), config1.c_str()), 1);
    int averages = 0;
    ASSERT_EQ(GetConfigAverages(config.get(), &averages), 1);
    EXPECT_EQ(averages, 16);

    testing::ScopedComponentLists scoped;
    const std::string database = dir.write("x.unc", "CONNECTOR\nN\n-4294967295\nLINEAR\n1 2 3\n");
    EXPECT_EQ(ReadUncertaintyFile(database.c_str()), 1);
    EXPECT_EQ(GetInfoListCount(scoped.lists().connectors), 0);

    EXPECT_EQ(captured.errors(),
              (Texts{ParseError("ReadModelFile: ", model1, "CONNECTOR 4294967297"),
                     ParseError("ReadModelFile: ", model2, "4294967299"),
                     ParseError("ReadModelFile: ", model3, "inf 10"),
                     ParseError("ReadModelFile: ", model4, "-10 nan"),
                     ParseError("ReadConfigFile: ", config1, "4294967297"),
                     ParseError("ReadUncertaintyFile: ", database, "-4294967295")}));

    int background = 0;
    EXPECT_EQ(ReadPreference(&background, dir.write("pref.txt", "4294967297").c_str()), 0);
    EXPECT_EQ(background, 0);
}

/// The lines of `text` split at line feeds, and which of them reach a reader.
struct FileLines {
    explicit FileLines(const std::string& text) {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
    }
    [[nodiscard]] bool isContent(std::size_t i) const {
        return !IsBlankLine(lines[i]) && !IsCommentLine(lines[i]);
    }
    /// The first `count` lines.
    [[nodiscard]] std::string prefix(std::size_t count) const {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += lines[i] + "\n";
        return text;
    }
    /// The whole file with the line `extra` in front of line `at`, which is left out if `replace`.
    [[nodiscard]] std::string edited(std::size_t at, const std::string& extra, bool replace) const {
        std::string text = prefix(at) + extra + "\n";
        for (std::size_t i = replace ? at + 1 : at; i < lines.size(); ++i)
            text += lines[i] + "\n";
        return text;
    }
    Texts lines;
};

const std::string kGarbage = "#garbage";

/// Reads `text` as a model file into a new model and returns the model as written back.
std::string ModelAsRead(const testing::TempDir& dir, const std::string& text,
                        const std::string& name) {
    Owned<ModelInfo> model(CreateModelInfo());
    EXPECT_EQ(ReadModelFile(model.get(), dir.write(name, text).c_str()), 1);
    EXPECT_EQ(WriteModelFile(model.get(), dir.file("written.mdl").c_str()), 1);
    return dir.read("written.mdl");
}

TEST(DamagedFile, EveryModelLineThatFailsIsNamedAndKeepsWhatCameBefore) {
    const FileLines file(ReadWhole(kShippedDir + "default.mdl"));
    testing::TempDir dir;
    int damagedLines = 0;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        if (!file.isContent(i)) continue;
        ++damagedLines;
        SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + file.lines[i]);
        const std::string before = ModelAsRead(dir, file.prefix(i), "prefix.mdl");

        testing::CapturedMessages captured;
        const std::string path = dir.file("damaged.mdl");
        const std::string after = ModelAsRead(dir, file.edited(i, kGarbage, true), "damaged.mdl");
        const Texts errors = captured.errors();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_TRUE(errors[0] == ParseError("ReadModelFile: ", path, kGarbage) ||
                    errors[0] == UnknownKeyword("ReadModelFile: ", path, kGarbage))
            << errors[0];
        EXPECT_EQ(after, before) << "what the lines before stored is all there, and no more";
    }
    EXPECT_GT(damagedLines, 100);
}

/// Reads `text` as a configuration into a new record and returns it as written back.
std::string ConfigAsRead(const testing::TempDir& dir, const std::string& text,
                         const std::string& name) {
    Owned<ConfigInfo> config(CreateConfigInfo());
    EXPECT_EQ(ReadConfigFile(config.get(), dir.write(name, text).c_str()), 1);
    EXPECT_EQ(WriteConfigFile(config.get(), dir.file("written.cfg").c_str()), 1);
    return dir.read("written.cfg");
}

TEST(DamagedFile, EveryConfigurationLineThatFailsIsNamedAndKeepsWhatCameBefore) {
    const FileLines file(ReadWhole(kShippedDir + "default.cfg"));
    const std::string original = file.prefix(file.lines.size());
    const Texts keywords = {"VNA",   "CABLE", "CALIBRATION", "FREQUENCY",
                            "POWER", "DUT",   "AVERAGES",    "IFBW"};
    testing::TempDir dir;
    const std::string path = dir.file("damaged.cfg");
    std::string previousToken;
    int damagedLines = 0;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        if (!file.isContent(i)) continue;
        SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + file.lines[i]);
        // Any text is a name: a name line would take the replacement as the name.
        const bool nameLine =
            previousToken == "VNA" || previousToken == "CALIBRATION" || previousToken == "CABLE";
        previousToken = GetUpperToken(file.lines[i]);
        if (nameLine) continue;
        ++damagedLines;
        testing::CapturedMessages captured;
        if (std::find(keywords.begin(), keywords.end(), previousToken) != keywords.end()) {
            // A stray word before a block is reported, and the block is still read.
            EXPECT_EQ(ConfigAsRead(dir, file.edited(i, kGarbage, false), "damaged.cfg"),
                      ConfigAsRead(dir, original, "original.cfg"));
            EXPECT_EQ(captured.errors(),
                      (Texts{UnknownKeyword("ReadConfigFile: ", path, kGarbage)}));
            continue;
        }
        const std::string before = ConfigAsRead(dir, file.prefix(i), "prefix.cfg");
        const std::string after = ConfigAsRead(dir, file.edited(i, kGarbage, true), "damaged.cfg");
        EXPECT_EQ(captured.errors(), (Texts{ParseError("ReadConfigFile: ", path, kGarbage)}));
        EXPECT_EQ(after, before) << "what the lines before stored is all there, and no more";
    }
    EXPECT_GT(damagedLines, 20);
}

/// The names of the records in the four component lists, list by list.
std::vector<Texts> ListedNames(const ComponentLists& lists) {
    std::vector<Texts> names(4);
    char name[128] = {};
    for (int i = 0; i < GetInfoListCount(lists.connectors); ++i)
        if (GetConnName(GetInfoListRecord<ConnInfo>(lists.connectors, i), name, sizeof name))
            names[0].emplace_back(name);
    for (int i = 0; i < GetInfoListCount(lists.dielectrics); ++i)
        if (GetDielName(GetInfoListRecord<DielInfo>(lists.dielectrics, i), name, sizeof name))
            names[1].emplace_back(name);
    for (int i = 0; i < GetInfoListCount(lists.vnas); ++i)
        if (GetVNAName(GetInfoListRecord<VNAInfo>(lists.vnas, i), name, sizeof name))
            names[2].emplace_back(name);
    for (int i = 0; i < GetInfoListCount(lists.calKits); ++i)
        if (GetCalName(GetInfoListRecord<CalInfo>(lists.calKits, i), name, sizeof name))
            names[3].emplace_back(name);
    return names;
}

/// Reads `text` as a component database into fresh lists and returns what they hold.
std::vector<Texts> DatabaseAsRead(const testing::TempDir& dir, const std::string& text,
                                  const std::string& name) {
    testing::ScopedComponentLists scoped;
    EXPECT_EQ(ReadUncertaintyFile(dir.write(name, text).c_str()), 1);
    return ListedNames(scoped.lists());
}

TEST(DamagedFile, EveryDatabaseLineThatFailsIsNamedAndKeepsTheRecordsBeforeIt) {
    const FileLines file(ReadWhole(kShippedDir + "uncdata.unc"));
    testing::TempDir dir;
    const std::string path = dir.file("damaged.unc");
    // Name lines take any text: the line after a block keyword, and the kit's connector name.
    int nameLinesAhead = 0;
    int damagedLines = 0;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        if (!file.isContent(i)) continue;
        const std::string token = GetUpperToken(file.lines[i]);
        const bool nameLine = nameLinesAhead > 0;
        nameLinesAhead = nameLine                 ? nameLinesAhead - 1
                         : token == "CALIBRATION" ? 2
                         : token == "CONNECTOR" || token == "DIELECTRIC" || token == "VNA" ? 1
                                                                                           : 0;
        if (nameLine) continue;
        ++damagedLines;
        SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + file.lines[i]);
        const std::vector<Texts> before = DatabaseAsRead(dir, file.prefix(i), "prefix.unc");
        testing::CapturedMessages captured;
        const std::vector<Texts> after =
            DatabaseAsRead(dir, file.edited(i, kGarbage, true), "damaged.unc");
        const Texts errors = captured.errors();
        ASSERT_FALSE(errors.empty());
        EXPECT_TRUE(errors[0] == ParseError("ReadUncertaintyFile: ", path, kGarbage) ||
                    errors[0] == UnknownKeyword("ReadUncertaintyFile: ", path, kGarbage))
            << errors[0];
        // Every record completed before the line is there, in its place; a bad dielectric line or
        // a stray word lets reading go on, so records may follow.
        for (std::size_t list = 0; list < 4; ++list) {
            ASSERT_GE(after[list].size(), before[list].size()) << "list " << list;
            EXPECT_TRUE(std::equal(before[list].begin(), before[list].end(), after[list].begin()))
                << "list " << list;
        }
    }
    EXPECT_GT(damagedLines, 150);
}

} // namespace
} // namespace tolvane
