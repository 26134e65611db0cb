#if !defined(_WIN32)

#include "files/platform_files.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvane::platform {

SaveTarget InspectSaveTarget(const std::string& path, std::string* resolvedPath) {
    *resolvedPath = path;
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0) {
        // A folder is no file to write, and a file the user has made read-only stays as it is,
        // as it would for a plain fopen().
        if (S_ISDIR(target.st_mode) || ::access(path.c_str(), W_OK) != 0)
            return SaveTarget::Refused;
        // A device or a pipe has no previous contents to keep.
        if (!S_ISREG(target.st_mode)) return SaveTarget::Stream;
        // Through a link, the file it names is replaced and the link stays.
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            *resolvedPath = resolved;
            std::free(resolved);
        }
        return SaveTarget::RegularFile;
    }
    // A link to a file not there yet: that file is created through the link.
    if (::lstat(path.c_str(), &target) == 0) return SaveTarget::Stream;
    return SaveTarget::NewFile;
}

std::FILE* CreateTemporaryBeside(const std::string& targetPath, std::string* temporaryPath) {
    std::string pattern = targetPath + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return nullptr;

    // Keep the permissions of the file we replace; a new file gets the usual 0666 less umask.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(targetPath.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    (void)::fchmod(fd, mode);

    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        ::unlink(name.data());
        return nullptr;
    }
    *temporaryPath = name.data();
    return file;
}

bool SyncToDisk(std::FILE* file) {
    return ::fsync(::fileno(file)) == 0;
}

bool ReplaceWith(const std::string& temporaryPath, const std::string& targetPath) {
    return std::rename(temporaryPath.c_str(), targetPath.c_str()) == 0;
}

bool MoveUnlessPresent(const std::filesystem::path& from, const std::filesystem::path& to) {
    // A hard link is made only where nothing is; the name `from` then goes.
    if (::link(from.c_str(), to.c_str()) == 0) {
        (void)::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) return false;
    // File systems without hard links: look first, then rename.
    std::error_code error;
    if (std::filesystem::symlink_status(to, error).type() != std::filesystem::file_type::not_found)
        return false;
    std::filesystem::rename(from, to, error);
    return !error;
}

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

} // namespace tolvane::platform

#endif
