#include "files/safe_file_writer.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

/// Names of the files in the folder (to see that no temporary file is left behind).
std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

/// Lets files grow to at most `bytes` while it lives; writes past it fail instead of killing the
/// process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(SafeFileWriter, CommitReplacesTheTargetAndKeepsItsPermissions) {
    testing::TempDir dir;
    const std::string target = dir.write("t.cfg", "previous\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    {
        SafeFileWriter out(target);
        ASSERT_TRUE(out.open());
        EXPECT_EQ(dir.read("t.cfg"), "previous\n") << "nothing changes before the commit";
        EXPECT_TRUE(out.print("%s %d\n", "new", 2));
        EXPECT_FALSE(out.failed());
        EXPECT_TRUE(out.commit());
    }
    EXPECT_EQ(dir.read("t.cfg"), "new 2\n");
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"t.cfg"});
}

TEST(SafeFileWriter, ANewFileGetsTheUsualPermissions) {
    testing::TempDir dir;
    const mode_t mask = ::umask(022);
    {
        SafeFileWriter out(dir.file("n.cfg"));
        ASSERT_TRUE(out.open());
        EXPECT_TRUE(out.commit());
    }
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir.file("n.cfg")), 0644u) << "not the 0600 of a temporary file";
}

TEST(SafeFileWriter, WithoutACommitTheTargetStaysAndTheTemporaryFileGoes) {
    testing::TempDir dir;
    dir.write("t.cfg", "previous\n");
    {
        SafeFileWriter out(dir.file("t.cfg"));
        ASSERT_TRUE(out.open());
        EXPECT_TRUE(out.print("half a file"));
        EXPECT_EQ(FolderEntries(dir.path()).size(), 2u);
    }
    EXPECT_EQ(dir.read("t.cfg"), "previous\n");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"t.cfg"});
}

TEST(SafeFileWriter, AFailedWriteLeavesThePreviousFileIntact) {
    testing::TempDir dir;
    const std::string previous(8000, 'p');
    dir.write("t.cfg", previous);
    const std::string chunk(1000, 'n');
    {
        FileSizeLimit limit(4096);
        SafeFileWriter out(dir.file("t.cfg"));
        ASSERT_TRUE(out.open());
        // Buffered prints succeed until the buffer is flushed; the commit then fails.
        for (int i = 0; i < 10; ++i)
            (void)out.print("%s", chunk.c_str());
        EXPECT_FALSE(out.commit());
    }
    EXPECT_EQ(dir.read("t.cfg"), previous);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"t.cfg"});
}

TEST(SafeFileWriter, AFailedPrintStaysFailed) {
    testing::TempDir dir;
    dir.write("t.cfg", "previous\n");
    const std::string chunk(3000, 'n');
    {
        FileSizeLimit limit(4096);
        SafeFileWriter out(dir.file("t.cfg"));
        ASSERT_TRUE(out.open());
        ASSERT_EQ(std::setvbuf(out.stream(), nullptr, _IONBF, 0), 0);
        EXPECT_TRUE(out.print("%s", chunk.c_str()));
        EXPECT_FALSE(out.print("%s", chunk.c_str()));
        EXPECT_TRUE(out.failed());
        EXPECT_FALSE(out.print("x")) << "later prints are skipped";
        EXPECT_FALSE(out.commit());
    }
    EXPECT_EQ(dir.read("t.cfg"), "previous\n");
}

TEST(SafeFileWriter, CannotOpenInAMissingFolderOrWithoutAName) {
    testing::TempDir dir;
    SafeFileWriter missing(dir.file("no/such/folder/t.cfg"));
    EXPECT_FALSE(missing.open());
    EXPECT_FALSE(missing.print("x"));
    EXPECT_FALSE(missing.commit());
    SafeFileWriter unnamed("");
    EXPECT_FALSE(unnamed.open());
}

} // namespace
} // namespace tolvane
