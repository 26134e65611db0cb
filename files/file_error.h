#pragma once

#include "core/error_report.h"

#include <string>

namespace tolvane {

/// Routine numbers of the File module's reporter.
enum FileRoutine : std::uint32_t {
    kRoutineReadUncertaintyFile = 1,
    kRoutineReadConfigFile = 2,
    kRoutineWriteConfigFile = 3,
    kRoutineReadModelFile = 4,
    kRoutineWriteModelFile = 5,
    kRoutineExportUncertaintyToFile = 6,
    kRoutineReadTouchstoneFile = 7,
    kRoutineReadLimitFile = 8,
    kRoutineFillUserDataFolder = 9,
};

/// Message numbers of the File module (1 to 5 are the common ones).
enum FileMessage : std::uint32_t {
    kFileMsgOpening = 0x06,         ///< "Error opening the file:" + path
    kFileMsgReading = 0x07,         ///< "Error reading from the file:" + path
    kFileMsgWriting = 0x08,         ///< "Error writing to the file:" + path
    kFileMsgUnknownKeyword = 0x09,  ///< "File:" + path + "\nUnknown keyword in the line:\n" + line
    kFileMsgParsing = 0x10,         ///< "File:" + path + "\nError parsing the line:\n" + line
    kFileMsgCreating = 0x11,        ///< "Error creating the file:" + path
    kFileMsgCalledRoutine = 0x12,   ///< "Error in a called routine."
    kFileMsgNumFrequencies = 0x13,  ///< "Invalid number of frequencies."
    kFileMsgNumDUTValues = 0x14,    ///< "Invalid number of DUT values."
    kFileMsgUncertaintyType = 0x15, ///< "Invalid uncertainty type."
};

/// The text the File module shows for `code`; `path` and `line` are used by the messages that
/// name them (either may be null). The line's line feed, if any, is left out. The text is not
/// truncated: long paths and 254-character lines are shown whole.
[[nodiscard]] std::string ComposeFileErrorText(ErrorCode code, const char* path, const char* line);

/// Shows ComposeFileErrorText through the common error box.
void ReportFileError(ErrorCode code, const char* path, const char* line = nullptr);

/// The text of a refused file: the routine, "File:" and the path, then "Line <n>: " and the
/// reason followed by the line itself, or the reason alone when no line is to blame (`lineNumber`
/// 0).
[[nodiscard]] std::string ComposeRefusalText(FileRoutine routine, const std::string& path,
                                             int lineNumber, const std::string& reason,
                                             const std::string& line);

/// Shows ComposeRefusalText through the common error box.
void ReportFileRefusal(FileRoutine routine, const std::string& path, int lineNumber,
                       const std::string& reason, const std::string& line = {});

} // namespace tolvane
