#include "files/limit_file.h"

#include "core/units.h"
#include "files/text_lines.h"

#include <array>
#include <string>

namespace tolvane {
namespace {

/// Every limit is tested at every measured point: a device's limit file has a handful.
constexpr std::size_t kMaxLimits = 1000;
constexpr const char* kLimitForm =
    "a limit is \"<S11|S21|S12|S22> <max|min> <limit dB> <start GHz> <stop GHz>\".";

/// The limit a line states, or false after reporting why it is none.
bool ParseLimit(const std::string& path, const TextLine& line, Limit* limit) {
    const auto refuse = [&](const std::string& reason) {
        ReportFileRefusal(kRoutineReadLimitFile, path, line.number, reason, line.text);
        return false;
    };
    const std::vector<std::string_view> words = SplitWords(line.text);
    if (words.size() != 5) return refuse(std::string("five words expected: ") + kLimitForm);

    const std::string parameter = UpperCase(words[0]);
    bool known = false;
    for (SParameter p : kAllSParameters) {
        if (parameter == SParameterName(p)) {
            limit->parameter = p;
            known = true;
        }
    }
    if (!known) return refuse("\"" + std::string(words[0]) + "\" is not S11, S21, S12 or S22.");

    const std::string kind = UpperCase(words[1]);
    if (kind != "MAX" && kind != "MIN")
        return refuse("\"" + std::string(words[1]) + "\" is neither max nor min.");
    limit->kind = kind == "MAX" ? Limit::Kind::Max : Limit::Kind::Min;

    std::array<double, 3> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i)
        if (!ParseFiniteNumber(words[2 + i], &numbers[i]))
            return refuse("\"" + std::string(words[2 + i]) +
                          "\" is not a finite number: " + kLimitForm);
    const auto [limitDb, startGHz, stopGHz] = numbers;
    if (startGHz < 0.0) return refuse("the start frequency is below 0 GHz.");
    if (stopGHz < startGHz) return refuse("the stop frequency is below the start frequency.");
    limit->limitDb = limitDb;
    limit->startHz = startGHz * kHzPerGHz;
    limit->stopHz = stopGHz * kHzPerGHz;
    return true;
}

} // namespace

int ReadLimitFile(const char* path, std::vector<Limit>* limits) {
    if (path == nullptr || limits == nullptr) {
        ReportFileError(MakeErrorCode(kMsgNullParameter, kRoutineReadLimitFile), path);
        return 0;
    }
    std::vector<Limit> read;
    const std::string pathText = path;
    if (ReadTextLines(path, kRoutineReadLimitFile, [&](const TextLine& line) {
            Limit limit;
            if (read.size() == kMaxLimits) {
                ReportFileRefusal(kRoutineReadLimitFile, pathText, line.number,
                                  "more than 1000 limits.", line.text);
                return false;
            }
            if (!ParseLimit(pathText, line, &limit)) return false;
            read.push_back(limit);
            return true;
        }) == 0)
        return 0;
    if (read.empty()) {
        ReportFileRefusal(kRoutineReadLimitFile, pathText, 0, "the file holds no limits.");
        return 0;
    }
    *limits = std::move(read);
    return 1;
}

} // namespace tolvane
