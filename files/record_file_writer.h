#pragma once

#include "files/file_error.h"
#include "files/safe_file_writer.h"

namespace tolvane {

/// Writes a configuration or model file. `print(SafeFileWriter&)` prints the record and returns
/// false when a print or one of the record's queries failed; a failed query has been reported by
/// the record itself. Reports "Error creating the file:" or "Error writing to the file:" under
/// `routine`. On any failure the previous file at `path` stays as it was.
template <class Print>
[[nodiscard]] int WriteRecordFile(const char* path, FileRoutine routine, Print&& print) {
    SafeFileWriter out(path == nullptr ? "" : path);
    if (!out.open()) {
        ReportFileError(MakeErrorCode(kFileMsgCreating, routine), path);
        return 0;
    }
    if (!print(out)) {
        if (out.failed()) ReportFileError(MakeErrorCode(kFileMsgWriting, routine), path);
        return 0;
    }
    if (!out.commit()) {
        ReportFileError(MakeErrorCode(kFileMsgWriting, routine), path);
        return 0;
    }
    return 1;
}

} // namespace tolvane
