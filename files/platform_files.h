#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// The few file operations whose means differ between POSIX and Windows: what a save finds at its
// target, the temporary file beside it, making it durable and putting it in place, and where the
// running program is. platform_files_posix.cpp and platform_files_windows.cpp implement them;
// each compiles to nothing on the other system. Paths are the library's narrow paths (UTF-8 on
// Linux, the ANSI code page on Windows, as fopen takes them).
namespace tolvane::platform {

/// What a save finds at the path it is to write.
enum class SaveTarget {
    NewFile,     ///< nothing there yet: a new file is made
    RegularFile, ///< a file to replace (reached through a link: the file the link names)
    Stream,      ///< a device, a pipe, or a link to a file not there yet: written into directly
    Refused,     ///< a folder, or a file the user may not write
};

/// Looks at `path` for a save. For a RegularFile, `resolvedPath` receives the path of the file
/// to replace (the one a link names), otherwise `path` itself.
[[nodiscard]] SaveTarget InspectSaveTarget(const std::string& path, std::string* resolvedPath);

/// Creates a new file with a unique name beside `targetPath`, opened for binary writing, with
/// the permissions of the target when it exists and the default ones otherwise. Null when it
/// cannot be made.
[[nodiscard]] std::FILE* CreateTemporaryBeside(const std::string& targetPath,
                                               std::string* temporaryPath);

/// Makes what was written (and flushed) to `file` durable on the disk.
[[nodiscard]] bool SyncToDisk(std::FILE* file);

/// Puts the file `temporaryPath` in the place of `targetPath` in one step, replacing the target
/// when it exists; on failure both files stay as they were.
[[nodiscard]] bool ReplaceWith(const std::string& temporaryPath, const std::string& targetPath);

/// Moves the file `from` to `to` only when nothing is at `to`; false (and `from` stays) otherwise.
[[nodiscard]] bool MoveUnlessPresent(const std::filesystem::path& from,
                                     const std::filesystem::path& to);

/// The folder of the running program's executable; empty when it cannot be told.
[[nodiscard]] std::filesystem::path ProgramFolder();

/// The value of the environment variable `name`, empty when it is not set.
[[nodiscard]] std::string EnvironmentValue(const char* name);

} // namespace tolvane::platform
