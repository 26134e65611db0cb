#include "files/line_reader.h"

#include "core/interpolation.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sys/stat.h>

namespace tolvane {

KeywordLineReader::KeywordLineReader(const char* path)
    : file_(path == nullptr ? nullptr : std::fopen(path, "rb")),
      fileBytes_(std::numeric_limits<std::uintmax_t>::max()) {
    struct stat info {};
    if (file_ != nullptr && ::fstat(::fileno(file_), &info) == 0 && S_ISREG(info.st_mode))
        fileBytes_ = static_cast<std::uintmax_t>(info.st_size);
}

KeywordLineReader::~KeywordLineReader() {
    if (file_ != nullptr) std::fclose(file_);
}

KeywordLineReader::Result KeywordLineReader::readRawLine(std::string& line) {
    line.clear();
    while (line.size() < kMaxLineLength) {
        int c = std::getc(file_);
        if (c == '\r') {
            // Text mode: "\r\n" reads as "\n"; a lone carriage return stays.
            const int next = std::getc(file_);
            if (next == '\n') {
                c = '\n';
                ++bytesRead_;
            } else if (next != EOF) {
                std::ungetc(next, file_);
            }
        }
        if (c == EOF) break;
        ++bytesRead_;
        line.push_back(static_cast<char>(c));
        if (c == '\n') break;
        // The byte order mark some editors put at the start of a UTF-8 file is not text.
        if (bytesRead_ == 3 && line == "\xEF\xBB\xBF") line.clear();
    }
    if (!line.empty()) return Result::Line;
    return std::ferror(file_) ? Result::ReadError : Result::EndOfFile;
}

KeywordLineReader::Result KeywordLineReader::nextContentLine(std::string& line) {
    for (;;) {
        const Result result = readRawLine(line);
        if (result != Result::Line) return result;
        if (IsBlankLine(line)) continue;
        if (auto feed = line.find('\n'); feed != std::string::npos) line.resize(feed);
        if (IsCommentLine(line)) continue;
        return Result::Line;
    }
}

std::uintmax_t KeywordLineReader::maxLinesLeft() const {
    if (fileBytes_ == std::numeric_limits<std::uintmax_t>::max()) return fileBytes_;
    const std::uintmax_t bytesLeft = fileBytes_ > bytesRead_ ? fileBytes_ - bytesRead_ : 0;
    return bytesLeft / 2 + bytesLeft % 2;
}

bool IsBlankLine(const std::string& line) {
    for (char c : line)
        if (!std::isspace(static_cast<unsigned char>(c))) return false;
    return true;
}

bool IsCommentLine(const std::string& line) {
    for (char c : line) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        return c == '!';
    }
    return false;
}

std::string GetUpperToken(const std::string& line, std::string* argument) {
    std::size_t begin = 0;
    while (begin < line.size() && std::isspace(static_cast<unsigned char>(line[begin])))
        ++begin;
    std::size_t end = begin;
    std::string token;
    while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) {
        const char c = line[end++];
        token.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    if (argument != nullptr) *argument = line.substr(end);
    return token;
}

bool ScanNumber(const char*& text, int* value) {
    // "%d" reads what strtol reads in base 10; strtol also tells when the number is out of range.
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || number < INT_MIN || number > INT_MAX) return false;
    *value = static_cast<int>(number);
    text = end;
    return true;
}

namespace {

/// "%f" or "%lf" through sscanf, which also settles where the number ends; a number that is not
/// finite ("nan", "inf", or too large for its type) is refused.
template <typename Real> bool ScanReal(const char*& text, Real* value, const char* format) {
    Real number = 0;
    int used = 0;
    if (std::sscanf(text, format, &number, &used) != 1 || !std::isfinite(number)) return false;
    *value = number;
    text += used;
    return true;
}

} // namespace

bool ScanNumber(const char*& text, float* value) {
    return ScanReal(text, value, "%f%n");
}

bool ScanNumber(const char*& text, double* value) {
    return ScanReal(text, value, "%lf%n");
}

int InterpolationTypeOfLine(const std::string& line) {
    const std::string token = GetUpperToken(line);
    if (token == "LINEAR") return INTERP_LINEAR;
    if (token == "STEP") return INTERP_STEP;
    if (token == "SMOOTH-FIT") return INTERP_SMOOTH_FIT;
    return 0;
}

int ReadKeywordFile(
    const char* path, FileRoutine routine,
    const std::function<void(const std::string& line, std::uintmax_t maxLinesLeft)>& takeLine) {
    KeywordLineReader lines(path);
    if (!lines.isOpen()) {
        ReportFileError(MakeErrorCode(kFileMsgOpening, routine), path);
        return 0;
    }
    std::string line;
    for (;;) {
        switch (lines.nextContentLine(line)) {
        case KeywordLineReader::Result::Line:
            takeLine(line, lines.maxLinesLeft());
            break;
        case KeywordLineReader::Result::EndOfFile:
            return 1;
        case KeywordLineReader::Result::ReadError:
            ReportFileError(MakeErrorCode(kFileMsgReading, routine), path);
            return 0;
        }
    }
}

} // namespace tolvane
