#pragma once

#include "files/file_error.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace tolvane {

/// Reads the lines of a keyword file as the three keyword readers share them: at most 254
/// characters at a time (the rest of a longer line comes as the next line), a carriage return
/// before a line feed dropped, blank lines and comment lines ("!" as the first character after
/// leading white space) skipped, the line feed removed. A UTF-8 byte order mark at the start of
/// the file is passed over.
class KeywordLineReader {
public:
    enum class Result {
        Line,      ///< a content line was read
        EndOfFile, ///< no more lines
        ReadError, ///< the stream reported an I/O error
    };

    /// Opens `path` for reading; check isOpen() before use.
    explicit KeywordLineReader(const char* path);
    ~KeywordLineReader();
    KeywordLineReader(const KeywordLineReader&) = delete;
    KeywordLineReader& operator=(const KeywordLineReader&) = delete;

    [[nodiscard]] bool isOpen() const { return file_ != nullptr; }

    /// The next line that is neither blank nor a comment, without its line feed.
    [[nodiscard]] Result nextContentLine(std::string& line);

    /// The most content lines that can still follow the last line read: each holds at least one
    /// character and a line end (only the file's last line may lack it). A count of entries above
    /// this can never be completed by the file. Unbounded when the file's size is not known.
    [[nodiscard]] std::uintmax_t maxLinesLeft() const;

    /// Maximum number of characters taken as one line.
    static constexpr std::size_t kMaxLineLength = 254;

private:
    [[nodiscard]] Result readRawLine(std::string& line);
    std::FILE* file_ = nullptr;
    std::uintmax_t fileBytes_ = 0; ///< size of a regular file, or the largest value
    std::uintmax_t bytesRead_ = 0;
};

/// True when the line is empty or holds only white space.
[[nodiscard]] bool IsBlankLine(const std::string& line);

/// True when the first character after leading white space is "!".
[[nodiscard]] bool IsCommentLine(const std::string& line);

/// The first white-space separated token of `line`, with ASCII letters upper-cased. `argument`,
/// when not null, receives the text after the token (the keyword's argument text).
[[nodiscard]] std::string GetUpperToken(const std::string& line, std::string* argument = nullptr);

/// The reading loop of the keyword readers: opens `path`, hands every content line to `takeLine`
/// in file order, with the most content lines that can still follow it (maxLinesLeft), and returns
/// 1 at the end of the file (an empty file included). Returns 0 after reporting, under `routine`,
/// a file that cannot be opened ("Error opening the file:") or a read error ("Error reading from
/// the file:").
[[nodiscard]] int ReadKeywordFile(
    const char* path, FileRoutine routine,
    const std::function<void(const std::string& line, std::uintmax_t maxLinesLeft)>& takeLine);

/// True when a count line announcing `count` entry lines can be completed by a file that has at
/// most `maxLinesLeft` content lines after it. The readers refuse a count that cannot, rather than
/// size a table for entries the file does not hold. A count of 0 or less is not refused here.
[[nodiscard]] constexpr bool CountFitsInFile(int count, std::uintmax_t maxLinesLeft) {
    return count <= 0 || static_cast<std::uintmax_t>(count) <= maxLinesLeft;
}

/// Reads the number at the start of `text` (white space before it skipped) and moves `text` past
/// it: an int as "%d" reads it, a float as "%f", a double as "%lf". False when there is none, for
/// an integer outside the range of int and for a real number that is not finite ("nan", "inf",
/// "1e39" for a float): "%d" and "%f" would leave the first undefined, and no quantity of a file
/// is infinite. `*value` is then unchanged.
[[nodiscard]] bool ScanNumber(const char*& text, int* value);
[[nodiscard]] bool ScanNumber(const char*& text, float* value);
[[nodiscard]] bool ScanNumber(const char*& text, double* value);

/// The numbers a line must begin with, one after the other, each read by ScanNumber as its type
/// says; text after the last one is ignored. True when all were found. ScanNumbers(line, &n, &x)
/// reads what sscanf(line, "%d%f", &n, &x) == 2 reads, and refuses the numbers ScanNumber refuses.
template <typename... Numbers>
[[nodiscard]] bool ScanNumbers(const std::string& line, Numbers*... numbers) {
    const char* text = line.c_str();
    return (ScanNumber(text, numbers) && ...);
}

/// The interpolation type named by the line's first word ("LINEAR" 1, "STEP" 2, "SMOOTH-FIT" 3,
/// in any letter case), or 0 when the word is none of them.
[[nodiscard]] int InterpolationTypeOfLine(const std::string& line);

} // namespace tolvane
