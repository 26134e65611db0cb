#pragma once

#include <cstdio>
#include <string>

namespace tolvane {

/// Writes a file so that a failure never leaves a half-written file in place of the previous
/// one: the text goes to a temporary file in the same folder, which replaces the target only when
/// commit() succeeds. Without a successful commit the temporary file is removed and the target is
/// untouched. A target reached through a link is the file the link names; a device or a pipe
/// (/dev/null, a named pipe) is written into directly, as it holds no file to keep.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string targetPath);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    /// Creates the temporary file; false when it cannot be created, or when the target is a
    /// folder or a file that may not be written (report "Error creating the file:").
    [[nodiscard]] bool open();
    /// The stream to print to; valid after a successful open().
    [[nodiscard]] std::FILE* stream() const { return file_; }
    /// printf into the stream; false when the print failed (report "Error writing to the file:").
    /// After a failed print every further print is skipped and fails, so a writer may print a
    /// run of lines and look at failed() once.
    bool print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    /// True once a print has failed.
    [[nodiscard]] bool failed() const { return failed_; }
    /// Flushes, closes and renames the temporary file over the target; false when a print failed
    /// before or any of it failed (report "Error writing to the file:"), the target then being
    /// unchanged.
    [[nodiscard]] bool commit();

private:
    bool openDirectly();
    void discard();
    std::string targetPath_;
    std::string tempPath_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    bool direct_ = false; ///< writing straight into the target, without a temporary file
};

} // namespace tolvane
