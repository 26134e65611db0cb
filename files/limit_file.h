#pragma once

#include "engine/verdict.h"

#include <vector>

namespace tolvane {

/// Reads a limit file: one limit a line, "<S11|S21|S12|S22> <max|min> <limit dB> <start GHz>
/// <stop GHz>" (words in any letter case), with "!" comments and blank lines. Refuses, naming the
/// path and the line, a line that is not such a limit, a start frequency below 0 or above the
/// stop frequency, a file without limits and one of more than 1000. `limits` is replaced only when
/// the whole file was read. Reports under "ReadLimitFile: "; 1 on success, 0 on failure.
[[nodiscard]] int ReadLimitFile(const char* path, std::vector<Limit>* limits);

} // namespace tolvane
