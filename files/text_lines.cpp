#include "files/text_lines.h"

#include <charconv>
#include <cmath>
#include <fstream>

namespace tolvane {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char ToUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

int ReadTextLines(const char* path, FileRoutine routine,
                  const std::function<bool(const TextLine& line)>& takeLine) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        ReportFileError(MakeErrorCode(kFileMsgOpening, routine), path);
        return 0;
    }
    std::string raw;
    TextLine line;
    while (std::getline(file, raw)) {
        ++line.number;
        std::string_view text = raw;
        if (line.number == 1 && text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
            text.remove_prefix(kByteOrderMark.size());
        if (const std::size_t comment = text.find('!'); comment != std::string_view::npos)
            text = text.substr(0, comment);
        text = Trimmed(text);
        if (text.empty()) continue;
        line.text.assign(text);
        if (!takeLine(line)) return 0;
    }
    if (file.bad()) {
        ReportFileError(MakeErrorCode(kFileMsgReading, routine), path);
        return 0;
    }
    return 1;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSpace(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !IsSpace(text[i]))
            ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = ToUpper(c);
    return upper;
}

bool StartsWithUpper(std::string_view text, std::string_view upperPrefix) {
    return text.size() >= upperPrefix.size() &&
           UpperCase(text.substr(0, upperPrefix.size())) == upperPrefix;
}

bool ParseInt(std::string_view text, int* value) {
    int parsed = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || ec != std::errc() || ptr != end) return false;
    *value = parsed;
    return true;
}

bool ParseFiniteNumber(std::string_view text, double* value) {
    // from_chars takes no "+", which numbers in these files may carry.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    double parsed = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

} // namespace tolvane
