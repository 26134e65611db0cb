#include "files/safe_file_writer.h"

#include <cstdarg>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tolvane {

SafeFileWriter::SafeFileWriter(std::string targetPath) : targetPath_(std::move(targetPath)) {}

SafeFileWriter::~SafeFileWriter() {
    discard();
}

bool SafeFileWriter::open() {
    if (targetPath_.empty()) return false;
    struct stat target {};
    if (::stat(targetPath_.c_str(), &target) == 0) {
        // A folder is no file to write, and a file the user has made read-only stays as it is,
        // as it would for a plain fopen().
        if (S_ISDIR(target.st_mode) || ::access(targetPath_.c_str(), W_OK) != 0) return false;
        // A device or a pipe has no previous contents to keep: write into it rather than
        // replacing it with a file.
        if (!S_ISREG(target.st_mode)) return openDirectly();
        // Through a link, the file it names is replaced and the link stays.
        if (char* resolved = ::realpath(targetPath_.c_str(), nullptr)) {
            targetPath_ = resolved;
            std::free(resolved);
        }
    } else if (::lstat(targetPath_.c_str(), &target) == 0) {
        return openDirectly(); // a link to a file not there yet: create that file
    }
    std::string pattern = targetPath_ + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    tempPath_ = name.data();

    // Keep the permissions of the file we replace; a new file gets the usual 0666 less umask.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(targetPath_.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    (void)::fchmod(fd, mode);

    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        ::close(fd);
        discard();
        return false;
    }
    return true;
}

bool SafeFileWriter::openDirectly() {
    file_ = std::fopen(targetPath_.c_str(), "wb");
    direct_ = file_ != nullptr;
    return direct_;
}

bool SafeFileWriter::print(const char* format, ...) {
    if (file_ == nullptr || failed_) return false;
    va_list args;
    va_start(args, format);
    const int written = std::vfprintf(file_, format, args);
    va_end(args);
    if (written < 0) failed_ = true;
    return !failed_;
}

bool SafeFileWriter::commit() {
    if (file_ == nullptr) return false;
    if (failed_) {
        discard();
        return false;
    }
    bool ok = std::fflush(file_) == 0 && (direct_ || ::fsync(::fileno(file_)) == 0);
    ok = (std::fclose(std::exchange(file_, nullptr)) == 0) && ok;
    ok = ok && (direct_ || std::rename(tempPath_.c_str(), targetPath_.c_str()) == 0);
    if (ok)
        tempPath_.clear();
    else
        discard();
    return ok;
}

void SafeFileWriter::discard() {
    if (file_ != nullptr) std::fclose(std::exchange(file_, nullptr));
    if (!tempPath_.empty()) std::remove(std::exchange(tempPath_, {}).c_str());
}

} // namespace tolvane
