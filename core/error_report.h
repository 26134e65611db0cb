#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tolvane {

/// A failure code: routine number (which operation failed) in bits 0-15, message number (why) in
/// bits 16-31. Message numbers read like decimal but are hexadecimal: after 0x09 comes 0x10.
using ErrorCode = std::uint32_t;

[[nodiscard]] constexpr ErrorCode MakeErrorCode(std::uint32_t message, std::uint32_t routine) {
    return (message << 16) | (routine & 0xFFFFu);
}
[[nodiscard]] constexpr std::uint32_t ErrorRoutine(ErrorCode code) {
    return code & 0xFFFFu;
}
[[nodiscard]] constexpr std::uint32_t ErrorMessage(ErrorCode code) {
    return code >> 16;
}

/// Message numbers shared by every module unless its own table says otherwise.
enum CommonMessage : std::uint32_t {
    kMsgNullInfo = 1,         ///< "NULL info pointer."
    kMsgAllocation = 2,       ///< "error allocating memory."
    kMsgUnknownParameter = 3, ///< "unknown parameter."
    kMsgNullParameter = 4,    ///< "NULL parameter pointer."
    kMsgNullPointer = 5,      ///< "NULL pointer."
};

/// Routine numbers shared by every record module.
enum CommonRoutine : std::uint32_t {
    kRoutineCreate = 1,
    kRoutineDestroy = 2,
    kRoutineDeallocate = 3,
    kRoutineGet = 4,
    kRoutineSet = 5,
};

/// One numbered text of a module's routine or message table.
struct NumberedText {
    std::uint32_t number;
    const char* text;
};

/// A module's two tables: routine texts ("GetFVValue: ") and message texts ("abscissa out of
/// range.").
struct ModuleErrorTexts {
    std::span<const NumberedText> routines;
    std::span<const NumberedText> messages;
};

/// The text a module's reporter shows for `code`: the routine text if the routine is known, then
/// the message text if the message is known (either may be missing). At most 127 characters.
[[nodiscard]] std::string ComposeErrorText(const ModuleErrorTexts& texts, ErrorCode code);

/// Shows ComposeErrorText(texts, code) through ShowErrorMessage. Every Report<Module>Error uses it.
void ReportModuleError(const ModuleErrorTexts& texts, ErrorCode code);

} // namespace tolvane
