#include "files/safe_file_writer.h"

#include <cstdarg>
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
    bool ok = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    ok = (std::fclose(std::exchange(file_, nullptr)) == 0) && ok;
    ok = ok && std::rename(tempPath_.c_str(), targetPath_.c_str()) == 0;
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
