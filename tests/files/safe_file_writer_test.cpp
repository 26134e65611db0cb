#include "files/safe_file_writer.h"

#include "support/scoped_environment.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#if !defined(_WIN32)
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
#endif

TEST(SafeFileWriter, CommitReplacesTheTargetAndKeepsItsPermissions) {
    testing::TempDir dir;
    const std::string target = dir.write("t.cfg", "previous\n");
#if !defined(_WIN32)
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
#endif
    {
        SafeFileWriter out(target);
        ASSERT_TRUE(out.open());
        EXPECT_EQ(dir.read("t.cfg"), "previous\n") << "nothing changes before the commit";
        EXPECT_TRUE(out.print("%s %d\n", "new", 2));
        EXPECT_FALSE(out.failed());
        EXPECT_TRUE(out.commit());
    }
    EXPECT_EQ(dir.read("t.cfg"), "new 2\n");
#if !defined(_WIN32)
    EXPECT_EQ(ModeOf(target), 0640u);
#endif
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"t.cfg"});
}

TEST(SafeFileWriter, ANewFileGetsTheUsualPermissions) {
#if defined(_WIN32)
    GTEST_SKIP() << "permissions and umask are POSIX";
#else
    testing::TempDir dir;
    const mode_t mask = ::umask(022);
    {
        SafeFileWriter out(dir.file("n.cfg"));
        ASSERT_TRUE(out.open());
        EXPECT_TRUE(out.commit());
    }
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir.file("n.cfg")), 0644u) << "not the 0600 of a temporary file";
#endif
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
#if defined(_WIN32)
    GTEST_SKIP() << "the file size limit that makes the write fail is POSIX (setrlimit)";
#else
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
#endif
}

TEST(SafeFileWriter, AFailedPrintStaysFailed) {
#if defined(_WIN32)
    GTEST_SKIP() << "the file size limit that makes the write fail is POSIX (setrlimit)";
#else
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
#endif
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

TEST(SafeFileWriter, WritesIntoAPipeRatherThanReplacingIt) {
#if defined(_WIN32)
    // The NUL device is written into; no temporary file is made beside it.
    testing::TempDir dir;
    const testing::ScopedCurrentPath inFolder(dir.path());
    SafeFileWriter out("NUL");
    ASSERT_TRUE(out.open());
    EXPECT_TRUE(out.print("into the device\n"));
    EXPECT_TRUE(out.commit());
    EXPECT_TRUE(FolderEntries(dir.path()).empty());
#else
    testing::TempDir dir;
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    // A reader is there first, so opening the pipe for writing does not wait.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    {
        SafeFileWriter out(pipe);
        ASSERT_TRUE(out.open());
        EXPECT_TRUE(out.print("through the pipe\n"));
        EXPECT_TRUE(out.commit());
    }
    char received[64] = {};
    EXPECT_EQ(::read(reader, received, sizeof received - 1), 17);
    ::close(reader);
    EXPECT_STREQ(received, "through the pipe\n");
    struct stat info {};
    ASSERT_EQ(::lstat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe is still a pipe";
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"pipe"});
#endif
}

TEST(SafeFileWriter, ReplacesTheFileALinkNamesAndKeepsTheLink) {
#if defined(_WIN32)
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
    testing::TempDir dir;
    fs::create_directory(dir.path() / "real");
    dir.write("real/t.cfg", "previous\n");
    fs::create_symlink("real/t.cfg", dir.path() / "link.cfg");
    {
        SafeFileWriter out(dir.file("link.cfg"));
        ASSERT_TRUE(out.open());
        EXPECT_TRUE(out.print("new\n"));
        EXPECT_TRUE(out.commit());
    }
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.cfg"));
    EXPECT_EQ(dir.read("real/t.cfg"), "new\n");
    EXPECT_EQ(FolderEntries(dir.path() / "real"), std::vector<std::string>{"t.cfg"});

    // A link to a file not there yet creates that file.
    fs::create_symlink("real/n.cfg", dir.path() / "ahead.cfg");
    {
        SafeFileWriter out(dir.file("ahead.cfg"));
        ASSERT_TRUE(out.open());
        EXPECT_TRUE(out.print("first\n"));
        EXPECT_TRUE(out.commit());
    }
    EXPECT_TRUE(fs::is_symlink(dir.path() / "ahead.cfg"));
    EXPECT_EQ(dir.read("real/n.cfg"), "first\n");
#endif
}

TEST(SafeFileWriter, RefusesAFolderAndLeavesNothingBehind) {
    testing::TempDir dir;
    fs::create_directory(dir.path() / "results");
    SafeFileWriter out(dir.file("results"));
    EXPECT_FALSE(out.open());
    EXPECT_TRUE(fs::is_directory(dir.path() / "results"));
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"results"});
}

TEST(SafeFileWriter, RefusesToReplaceAWriteProtectedFile) {
#if defined(_WIN32)
    testing::TempDir dir;
    const std::string target = dir.write("t.cfg", "protected\n");
    fs::permissions(target,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    SafeFileWriter out(target);
    EXPECT_FALSE(out.open());
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(dir.read("t.cfg"), "protected\n");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"t.cfg"});
#else
    testing::TempDir dir;
    const std::string target = dir.write("t.cfg", "protected\n");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    // The superuser may write any file; the check is made as an ordinary user, in a child process.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(2);
            bool folderWritable = false;
            {
                SafeFileWriter beside(target + ".new");
                folderWritable = beside.open();
            }
            SafeFileWriter out(target);
            std::_Exit(!folderWritable ? 3 : out.open() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(dir.read("t.cfg"), "protected\n");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"t.cfg"});
#endif
}

} // namespace
} // namespace tolvane
