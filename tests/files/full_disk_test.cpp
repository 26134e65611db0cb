// Saving over a user's file on a disk that is full or read-only: every writer reports (the
// preferences writer silently returns 0) and the previous file stays as it was. The disk is a tiny
// tmpfs mounted in a private mount namespace of a child process, so the test needs no privilege
// beyond what an unprivileged user namespace gives; without either it is skipped.
#include <gtest/gtest.h>

#if defined(__linux__)
#include "engine/config.h"
#include "engine/model.h"
#include "engine/uncertainty.h"
#include "files/config_file.h"
#include "files/export.h"
#include "files/model_file.h"
#include "files/startup.h"
#include "support/captured_messages.h"
#include "support/temp_dir.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

/// What a child reports when it could not make the disk; the test is then skipped.
const std::string kSkipped = "skipped: ";

bool WriteText(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

/// Puts the calling process in a mount namespace of its own, as root or through a user namespace.
bool EnterOwnMountNamespace() {
    if (::unshare(CLONE_NEWNS) != 0) {
        const std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
        if (!WriteText("/proc/self/setgroups", "deny") ||
            !WriteText("/proc/self/uid_map", "0 " + uid + " 1") ||
            !WriteText("/proc/self/gid_map", "0 " + gid + " 1"))
            return false;
    }
    return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

/// Fills the file system that holds `folder` until a write fails for want of space.
bool FillDisk(const fs::path& folder) {
    const int fd = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT, 0600);
    if (fd < 0) return false;
    const std::vector<char> block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

/// One writer saving over `path`: its result and the messages it showed.
struct Saving {
    std::string name;
    std::function<int(const char* path)> save;
    std::string routine; ///< prefix of its messages; empty for a writer that shows none
};

/// Runs `check` in a child process and returns its report: empty when every expectation held.
std::string InChild(const std::function<std::string()>& check) {
    int report[2];
    if (::pipe(report) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        const std::string text = check();
        (void)!::write(report[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(report[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) text += "child ended abnormally";
    return text;
}

/// In the child: saves with every writer over a previous file on a tiny disk, first full, then
/// read-only, and describes each expectation that failed.
std::string SaveOnBadDisk(const fs::path& mountPoint, const std::vector<Saving>& writers) {
    if (!EnterOwnMountNamespace()) return kSkipped + "no private mount namespace";
    if (::mount("tolvane-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        return kSkipped + "no tmpfs";
    const std::string previous = "previous contents\n";
    for (const Saving& writer : writers) {
        std::ofstream((mountPoint / writer.name).string()) << previous;
    }
    std::string failures;
    const auto check = [&](const char* disk, const char* message) {
        for (const Saving& writer : writers) {
            const std::string path = (mountPoint / writer.name).string();
            testing::CapturedMessages captured;
            const int result = writer.save(path.c_str());
            const std::vector<std::string> expected =
                writer.routine.empty() ? std::vector<std::string>{}
                                       : std::vector<std::string>{writer.routine + message + path};
            const std::string what = std::string(disk) + " disk, " + writer.name + ": ";
            if (result != 0) failures += what + "the save succeeded\n";
            if (captured.errors() != expected)
                failures += what + "message \"" +
                            (captured.errors().empty() ? "" : captured.errors().front()) + "\"\n";
            std::ifstream in(path);
            const std::string kept((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
            if (kept != previous) failures += what + "the previous file changed\n";
        }
        const std::size_t entries = static_cast<std::size_t>(
            std::distance(fs::directory_iterator(mountPoint), fs::directory_iterator()));
        if (entries != writers.size() + 1) failures += std::string(disk) + ": files left behind\n";
    };
    if (!FillDisk(mountPoint)) return "the disk did not fill up";
    check("full", "Error writing to the file:");
    if (::mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return failures + "cannot remount read-only";
    check("read-only", "Error creating the file:");
    return failures;
}

TEST(SavingOnABadDisk, KeepsThePreviousFileAndReportsTheWriter) {
    ConfigInfo* config = CreateConfigInfo();
    ModelInfo* model = CreateModelInfo();
    UncertaintyInfo* results = CreateUncertaintyInfo();
    ASSERT_EQ(SetUncertaintyNumFreqs(results, 2), 1);
    ASSERT_EQ(SetUncertaintyNumDUTValues(results, 1), 1);
    ASSERT_EQ(SetUncertaintyType(results, kUncertaintyReflection | kUncertaintyTransmission), 1);
    ASSERT_EQ(InitializeUncertainty(results), 1);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(SetUncertaintyFreq(results, i, 1e9 * (i + 1)), 1);
        ASSERT_EQ(SetUncertaintyRefl(results, i, 0, 0.1f, 0.11f, 1.0f), 1);
        ASSERT_EQ(SetUncertaintyTrans(results, i, 0, 0.9f, 0.95f, 2.0f), 1);
    }
    const std::vector<Saving> writers = {
        {"a.cfg", [&](const char* path) { return WriteConfigFile(config, path); },
         "WriteConfigFile: "},
        {"a.mdl", [&](const char* path) { return WriteModelFile(model, path); },
         "WriteModelFile: "},
        {"a.dat", [&](const char* path) { return ExportUncertaintyToFile(results, path); },
         "ExportUncertaintyToFile: "},
        {"pref.txt", [](const char* path) { return WritePreference(1, path); }, ""},
    };

    testing::TempDir dir;
    const fs::path mountPoint = dir.path() / "disk";
    fs::create_directory(mountPoint);
    const std::string report = InChild([&] { return SaveOnBadDisk(mountPoint, writers); });
    (void)DestroyUncertaintyInfo(results);
    (void)DestroyModelInfo(model);
    (void)DestroyConfigInfo(config);
    if (report.rfind(kSkipped, 0) == 0) GTEST_SKIP() << report;
    EXPECT_EQ(report, "");
}

} // namespace
} // namespace tolvane

#else

TEST(SavingOnABadDisk, KeepsThePreviousFileAndReportsTheWriter) {
    GTEST_SKIP() << "the full and read-only disk is a tmpfs in a Linux mount namespace";
}

#endif
