#pragma once

#include "files/file_error.h"

#include <cstdio>
#include <functional>
#include <string>

namespace tolvane {

/// Reads the lines of a keyword file as the three keyword readers share them: at most 254
/// characters at a time (the rest of a longer line comes as the next line), a carriage return
/// before a line feed dropped, blank lines and comment lines ("!" as the first character after
/// leading white space) skipped, the line feed removed.
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

    /// Maximum number of characters taken as one line.
    static constexpr std::size_t kMaxLineLength = 254;

private:
    [[nodiscard]] Result readRawLine(std::string& line);
    std::FILE* file_ = nullptr;
};

/// True when the line is empty or holds only white space.
[[nodiscard]] bool IsBlankLine(const std::string& line);

/// True when the first character after leading white space is "!".
[[nodiscard]] bool IsCommentLine(const std::string& line);

/// The first white-space separated token of `line`, with ASCII letters upper-cased. `argument`,
/// when not null, receives the text after the token (the keyword's argument text).
[[nodiscard]] std::string GetUpperToken(const std::string& line, std::string* argument = nullptr);

/// The reading loop of the keyword readers: opens `path`, hands every content line to `takeLine`
/// in file order and returns 1 at the end of the file (an empty file included). Returns 0 after
/// reporting, under `routine`, a file that cannot be opened ("Error opening the file:") or a read
/// error ("Error reading from the file:").
[[nodiscard]] int ReadKeywordFile(const char* path, FileRoutine routine,
                                  const std::function<void(const std::string&)>& takeLine);

/// The interpolation type named by the line's first word ("LINEAR" 1, "STEP" 2, "SMOOTH-FIT" 3,
/// in any letter case), or 0 when the word is none of them.
[[nodiscard]] int InterpolationTypeOfLine(const std::string& line);

} // namespace tolvane
