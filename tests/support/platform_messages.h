#pragma once

namespace tolvane::testing {

/// What a reader reports for a folder given as its file: POSIX opens a folder and then fails to
/// read it; Windows refuses to open it.
#if defined(_WIN32)
inline constexpr const char* kFolderAsFileMessage = "Error opening the file:";
#else
inline constexpr const char* kFolderAsFileMessage = "Error reading from the file:";
#endif

} // namespace tolvane::testing
