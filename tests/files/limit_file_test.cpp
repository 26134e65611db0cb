#include "files/limit_file.h"

#include "support/captured_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(LimitFile, ReadsOneLimitALineInAnyLetterCase) {
    testing::TempDir dir;
    testing::CapturedMessages captured;
    std::vector<Limit> limits;
    const std::string path = dir.write("device.lim", "! return loss and insertion loss\n\n"
                                                     "S11 max -15 1.0 6.0\n"
                                                     "  s21 MIN -1.0 0.5 3.0 ! passband\n");
    ASSERT_EQ(ReadLimitFile(path.c_str(), &limits), 1);
    EXPECT_TRUE(captured.all().empty());
    ASSERT_EQ(limits.size(), 2u);
    EXPECT_EQ(limits[0].parameter, SParameter::S11);
    EXPECT_EQ(limits[0].kind, Limit::Kind::Max);
    EXPECT_EQ(limits[0].limitDb, -15.0);
    EXPECT_EQ(limits[0].startHz, 1e9);
    EXPECT_EQ(limits[0].stopHz, 6e9);
    EXPECT_EQ(limits[1].parameter, SParameter::S21);
    EXPECT_EQ(limits[1].kind, Limit::Kind::Min);
    EXPECT_EQ(limits[1].startHz, 0.5e9);
}

TEST(LimitFile, BadLinesAreRefusedWithThePathAndTheLine) {
    testing::TempDir dir;
    std::vector<Limit> limits{Limit{}};
    const std::pair<std::string, std::string> cases[] = {
        {"S11 max -15 1.0", "Line 2: five words expected: a limit is \"<S11|S21|S12|S22> "
                            "<max|min> <limit dB> <start GHz> <stop GHz>\".\nS11 max -15 1.0"},
        {"S33 max -15 1 2", "Line 2: \"S33\" is not S11, S21, S12 or S22.\nS33 max -15 1 2"},
        {"S11 below -15 1 2", "Line 2: \"below\" is neither max nor min.\nS11 below -15 1 2"},
        {"S11 max nan 1 2", "Line 2: \"nan\" is not a finite number: a limit is "
                            "\"<S11|S21|S12|S22> <max|min> <limit dB> <start GHz> <stop "
                            "GHz>\".\nS11 max nan 1 2"},
        {"S11 max -15 3 2",
         "Line 2: the stop frequency is below the start frequency.\nS11 max -15 3 2"},
        {"S11 max -15 -1 2", "Line 2: the start frequency is below 0 GHz.\nS11 max -15 -1 2"},
    };
    for (const auto& [line, message] : cases) {
        SCOPED_TRACE(line);
        testing::CapturedMessages captured;
        const std::string path = dir.write("bad.lim", "S21 min -1 1 2\n" + line + "\n");
        EXPECT_EQ(ReadLimitFile(path.c_str(), &limits), 0);
        EXPECT_EQ(captured.errors(),
                  std::vector<std::string>{"ReadLimitFile: File:" + path + "\n" + message});
        EXPECT_EQ(limits.size(), 1u);
    }
    testing::CapturedMessages captured;
    const std::string empty = dir.write("empty.lim", "! no limits yet\n");
    EXPECT_EQ(ReadLimitFile(empty.c_str(), &limits), 0);
    EXPECT_EQ(captured.errors(), std::vector<std::string>{"ReadLimitFile: File:" + empty +
                                                          "\nthe file holds no limits."});
}

} // namespace
} // namespace tolvane
