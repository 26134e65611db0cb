#include "files/file_error.h"

#include "core/message_sink.h"

#include <string>

namespace tolvane {
namespace {

const char* RoutinePrefix(std::uint32_t routine) {
    switch (routine) {
    case kRoutineReadUncertaintyFile:
        return "ReadUncertaintyFile: ";
    case kRoutineReadConfigFile:
        return "ReadConfigFile: ";
    case kRoutineWriteConfigFile:
        return "WriteConfigFile: ";
    case kRoutineReadModelFile:
        return "ReadModelFile: ";
    case kRoutineWriteModelFile:
        return "WriteModelFile: ";
    case kRoutineExportUncertaintyToFile:
        return "ExportUncertaintyToFile: ";
    case kRoutineReadTouchstoneFile:
        return "ReadTouchstoneFile: ";
    case kRoutineReadLimitFile:
        return "ReadLimitFile: ";
    case kRoutineFillUserDataFolder:
        return "FillUserDataFolder: ";
    default:
        return "";
    }
}

std::string WithoutLineFeed(const char* line) {
    std::string text = line == nullptr ? "" : line;
    if (auto feed = text.find('\n'); feed != std::string::npos) text.resize(feed);
    return text;
}

std::string MessageText(std::uint32_t message, const std::string& path, const char* line) {
    switch (message) {
    case kMsgNullInfo:
        return "NULL info pointer.";
    case kMsgAllocation:
        return "error allocating memory.";
    case kMsgUnknownParameter:
        return "unknown parameter.";
    case kMsgNullParameter:
        return "NULL parameter pointer.";
    case kMsgNullPointer:
        return "NULL pointer.";
    case kFileMsgOpening:
        return "Error opening the file:" + path;
    case kFileMsgReading:
        return "Error reading from the file:" + path;
    case kFileMsgWriting:
        return "Error writing to the file:" + path;
    case kFileMsgUnknownKeyword:
        return "File:" + path + "\nUnknown keyword in the line:\n" + WithoutLineFeed(line);
    case kFileMsgParsing:
        return "File:" + path + "\nError parsing the line:\n" + WithoutLineFeed(line);
    case kFileMsgCreating:
        return "Error creating the file:" + path;
    case kFileMsgCalledRoutine:
        return "Error in a called routine.";
    case kFileMsgNumFrequencies:
        return "Invalid number of frequencies.";
    case kFileMsgNumDUTValues:
        return "Invalid number of DUT values.";
    case kFileMsgUncertaintyType:
        return "Invalid uncertainty type.";
    default:
        return "";
    }
}

} // namespace

std::string ComposeFileErrorText(ErrorCode code, const char* path, const char* line) {
    return RoutinePrefix(ErrorRoutine(code)) +
           MessageText(ErrorMessage(code), path == nullptr ? "" : path, line);
}

void ReportFileError(ErrorCode code, const char* path, const char* line) {
    ShowErrorMessage(ComposeFileErrorText(code, path, line).c_str());
}

std::string ComposeRefusalText(FileRoutine routine, const std::string& path, int lineNumber,
                               const std::string& reason, const std::string& line) {
    std::string text = std::string(RoutinePrefix(routine)) + "File:" + path + "\n";
    if (lineNumber <= 0) return text + reason;
    return text + "Line " + std::to_string(lineNumber) + ": " + reason + "\n" +
           WithoutLineFeed(line.c_str());
}

void ReportFileRefusal(FileRoutine routine, const std::string& path, int lineNumber,
                       const std::string& reason, const std::string& line) {
    ShowErrorMessage(ComposeRefusalText(routine, path, lineNumber, reason, line).c_str());
}

} // namespace tolvane
