#pragma once

#include "files/file_error.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

/// One content line of a text file: its number (1 for the file's first line) and its text with
/// the comment ("!" to the end of the line), the line end and surrounding white space removed.
struct TextLine {
    int number = 0;
    std::string text;
};

/// The reading loop of the line-oriented readers (Touchstone and limit files): opens `path`, hands
/// every line that is not blank once its comment is removed to `takeLine` in file order, and stops
/// when `takeLine` returns false. A UTF-8 byte order mark at the start is passed over. Returns 1
/// when the end of the file was reached, 0 when `takeLine` refused a line (it has reported) or
/// after reporting, under `routine`, a file that cannot be opened or read.
[[nodiscard]] int ReadTextLines(const char* path, FileRoutine routine,
                                const std::function<bool(const TextLine& line)>& takeLine);

/// `text` without leading and trailing spaces and tabs.
[[nodiscard]] std::string_view Trimmed(std::string_view text);
/// The words of `text`, separated by spaces and tabs.
[[nodiscard]] std::vector<std::string_view> SplitWords(std::string_view text);
/// `text` with ASCII letters upper-cased.
[[nodiscard]] std::string UpperCase(std::string_view text);
/// True when `text` begins with `upperPrefix` in any letter case.
[[nodiscard]] bool StartsWithUpper(std::string_view text, std::string_view upperPrefix);
/// The whole of `text` as a decimal integer within the range of int.
[[nodiscard]] bool ParseInt(std::string_view text, int* value);
/// The whole of `text` as a finite decimal number (a leading "+" allowed; "nan", "inf" and
/// numbers beyond the range of a double refused).
[[nodiscard]] bool ParseFiniteNumber(std::string_view text, double* value);

} // namespace tolvane
