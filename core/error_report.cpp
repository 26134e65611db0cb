#include "core/error_report.h"

#include "core/message_sink.h"

namespace tolvane {
namespace {

const char* FindText(std::span<const NumberedText> table, std::uint32_t number) {
    for (const NumberedText& entry : table)
        if (entry.number == number) return entry.text;
    return nullptr;
}

// The reporters work in a buffer of 128 characters, terminator included.
constexpr std::size_t kReportBufferLength = 128;

} // namespace

std::string ComposeErrorText(const ModuleErrorTexts& texts, ErrorCode code) {
    std::string text;
    if (const char* routine = FindText(texts.routines, ErrorRoutine(code))) text += routine;
    if (const char* message = FindText(texts.messages, ErrorMessage(code))) text += message;
    if (text.size() > kReportBufferLength - 1) text.resize(kReportBufferLength - 1);
    return text;
}

void ReportModuleError(const ModuleErrorTexts& texts, ErrorCode code) {
    ShowErrorMessage(ComposeErrorText(texts, code).c_str());
}

} // namespace tolvane
