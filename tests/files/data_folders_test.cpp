#include "files/data_folders.h"

#include "support/captured_messages.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::CapturedMessages;
using testing::ScopedEnvironmentVariable;

/// A start folder, a user's data folder not made yet, and an installed share/tolvane beside a
/// bin/ folder holding the shipped files, a sample file and the help file.
class DataFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(start_);
        fs::create_directories(root_.path() / "usr" / "bin");
        fs::create_directories(installed_);
        for (const char* name : {"uncdata.unc", "default.cfg", "default.mdl"})
            fs::copy_file(fs::path(TOLVANE_SHIPPED_DATA_DIR) / name, installed_ / name);
        root_.write("usr/share/tolvane/sample.s2p", "# Hz S RI R 50\n");
        root_.write("usr/share/tolvane/Tolvanev2.chm", "help");
    }
    static std::vector<std::string> Names(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing::TempDir root_;
    const fs::path start_ = root_.path() / "start";
    const fs::path user_ = root_.path() / "home" / ".local" / "share" / "tolvane";
    const fs::path installed_ = root_.path() / "usr" / "share" / "tolvane";
};

TEST_F(DataFoldersTest, TheStartFolderWithAllThreeFilesWins) {
    for (const char* name : {"uncdata.unc", "default.cfg", "default.mdl"})
        fs::copy_file(installed_ / name, start_ / name);
    EXPECT_EQ(ChooseWorkFolder(start_, user_, installed_), start_);
    EXPECT_FALSE(fs::exists(user_)) << "nothing is copied when the start folder is used";
}

TEST_F(DataFoldersTest, FirstStartFillsTheUserFolderAndLaterStartsKeepTheUsersFiles) {
    // Two of the three files are not enough to work in the start folder.
    fs::copy_file(installed_ / "uncdata.unc", start_ / "uncdata.unc");
    fs::copy_file(installed_ / "default.cfg", start_ / "default.cfg");
    EXPECT_EQ(InstalledDataFolder(root_.path() / "usr" / "bin"), installed_);

    CapturedMessages messages;
    EXPECT_EQ(ChooseWorkFolder(start_, user_, installed_), user_);
    EXPECT_EQ(Names(user_),
              (std::vector<std::string>{"default.cfg", "default.mdl", "sample.s2p", "uncdata.unc"}))
        << "every shipped file but the help file, and no temporary file";
    EXPECT_TRUE(HoldsStartFiles(user_));

    // The user edits the database and removes the default model: the next start restores the
    // model and leaves the database as edited.
    root_.write("home/.local/share/tolvane/uncdata.unc", "! edited\n");
    fs::remove(user_ / "default.mdl");
    EXPECT_EQ(ChooseWorkFolder(start_, user_, installed_), user_);
    EXPECT_EQ(root_.read((user_ / "uncdata.unc").string()), "! edited\n");
    EXPECT_TRUE(HoldsStartFiles(user_));
    EXPECT_TRUE(messages.all().empty());
}

TEST_F(DataFoldersTest, WithoutAnInstalledFolderTheUserFolderIsUsedOnlyWhenComplete) {
    EXPECT_EQ(ChooseWorkFolder(start_, user_, {}), start_)
        << "the start then names what is missing";
    ASSERT_EQ(FillUserDataFolder(user_, installed_), 1);
    EXPECT_EQ(ChooseWorkFolder(start_, user_, {}), user_);
    EXPECT_EQ(ChooseWorkFolder(start_, {}, installed_), start_) << "no home known";
    EXPECT_TRUE(InstalledDataFolder(start_).empty());
}

TEST_F(DataFoldersTest, AUserFolderThatCannotBeMadeIsReported) {
    fs::create_directories(user_.parent_path());
    root_.write("home/.local/share/tolvane", "a file in the folder's place");
    CapturedMessages messages;
    EXPECT_EQ(FillUserDataFolder(user_, installed_), 0);
    EXPECT_EQ(
        messages.errors(),
        std::vector<std::string>{"FillUserDataFolder: Error creating the file:" + user_.string()});
}

TEST_F(DataFoldersTest, FindsFilesInTheFirstFolderThatHoldsThem) {
    fs::create_directories(user_);
    EXPECT_EQ(FindFileIn("Tolvanev2.chm", {start_, {}, user_, installed_}),
              installed_ / "Tolvanev2.chm");
    EXPECT_TRUE(FindFileIn("missing.chm", {start_, installed_}).empty());

    // tolvane-cli's database: the current directory, else the user's data folder.
    const ScopedEnvironmentVariable home("HOME", (root_.path() / "home").string());
    const ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", std::nullopt);
    const ScopedEnvironmentVariable appData("APPDATA", (root_.path() / "home").string());
    const testing::ScopedCurrentPath inStart(start_);
    EXPECT_EQ(DefaultDatabasePath(), fs::path("uncdata.unc")) << "found nowhere";
#if defined(_WIN32)
    const fs::path user = root_.path() / "home" / "tolvane";
#else
    const fs::path user = user_;
#endif
    EXPECT_EQ(UserDataFolder(), user);
    ASSERT_EQ(FillUserDataFolder(user, installed_), 1);
    EXPECT_EQ(DefaultDatabasePath(), user / "uncdata.unc");
    fs::copy_file(installed_ / "uncdata.unc", start_ / "uncdata.unc");
    EXPECT_EQ(DefaultDatabasePath(), fs::path("uncdata.unc"));
}

#if !defined(_WIN32)
TEST(UserDataFolder, FollowsXdgDataHomeWhenAbsoluteAndNeedsAHome) {
    const ScopedEnvironmentVariable home("HOME", "/home/engineer");
    {
        const ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", "/data");
        EXPECT_EQ(UserDataFolder(), fs::path("/data/tolvane"));
    }
    {
        const ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", "relative");
        EXPECT_EQ(UserDataFolder(), fs::path("/home/engineer/.local/share/tolvane"));
    }
    const ScopedEnvironmentVariable noHome("HOME", std::nullopt);
    const ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", std::nullopt);
    EXPECT_TRUE(UserDataFolder().empty());
}
#endif

} // namespace
} // namespace tolvane
