#include "files/safe_file_writer.h"

#include "files/platform_files.h"

#include <cstdarg>
#include <utility>

namespace tolvane {

SafeFileWriter::SafeFileWriter(std::string targetPath) : targetPath_(std::move(targetPath)) {}

SafeFileWriter::~SafeFileWriter() {
    discard();
}

bool SafeFileWriter::open() {
    if (targetPath_.empty()) return false;
    std::string resolved;
    switch (platform::InspectSaveTarget(targetPath_, &resolved)) {
    case platform::SaveTarget::Refused:
        return false;
    case platform::SaveTarget::Stream:
        return openDirectly();
    case platform::SaveTarget::RegularFile:
    case platform::SaveTarget::NewFile:
        break;
    }
    targetPath_ = std::move(resolved);
    file_ = platform::CreateTemporaryBeside(targetPath_, &tempPath_);
    return file_ != nullptr;
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
    bool ok = std::fflush(file_) == 0 && (direct_ || platform::SyncToDisk(file_));
    ok = (std::fclose(std::exchange(file_, nullptr)) == 0) && ok;
    ok = ok && (direct_ || platform::ReplaceWith(tempPath_, targetPath_));
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
