#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvane::fuzzing {

/// Makes `data` the whole contents of the one input file of this process and returns its path.
/// The file lives in memory (a memfd opened through /proc/self/fd), so the readers take it by path
/// as they take a user's file, without touching the disk.
[[nodiscard]] const char* WriteInputFile(const std::uint8_t* data, std::size_t size);

/// Installs, once, a message sink that drops every message box after checking that it has a text:
/// an empty box would be a reporter fault, and aborts the run.
void InstallCheckingSink();

} // namespace tolvane::fuzzing
