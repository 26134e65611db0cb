#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace tolvane {

struct UncertaintyInfo;

/// Asked while a long export runs: true stops it (the user cancelled).
using ExportCancelled = std::function<bool()>;

/// Writes one result record as tab-separated text. A record with one DUT value (a user-defined
/// DUT) gives the swept-frequency table, one line per frequency; more DUT values give one column
/// group per frequency and one line per DUT value. Magnitude uncertainties are in dB above the
/// nominal magnitude, phases in degrees, frequencies in GHz.
///
/// The text goes to a temporary file beside `path` that replaces it only when everything was
/// written, so a failure never leaves a half-written file in place of a previous one.
/// Reports under "ExportUncertaintyToFile: "; 1 when the file was written, 0 otherwise.
///
/// `cancelled`, when given, is asked once a line; when it answers true the export stops, reports
/// nothing and returns 0, the file being left as it was.
int ExportUncertaintyToFile(const UncertaintyInfo* results, const char* path,
                            const ExportCancelled& cancelled = {});

/// The same table written to an open stream (standard output of the command-line program).
/// Messages name `name` where ExportUncertaintyToFile would name the path.
int ExportUncertaintyToStream(const UncertaintyInfo* results, std::FILE* stream, const char* name);

/// The file name of result slot `slotIndex` (0-based) when `resultCount` results are exported
/// under `chosenPath`: the path itself for a single result; otherwise "_01" to "_20" (slot 0 to
/// 19) in front of the file name's extension, or at its end when the name has none. Folder names
/// are never changed.
[[nodiscard]] std::string NumberedExportPath(const std::string& chosenPath, int slotIndex,
                                             int resultCount);

/// Exports the result slots 0 to (result count - 1) of the program's result table, in slot order,
/// under their numbered names (a slot holding a measured DUT's results writes its table); stops at
/// the first export that fails. With a result count of 0 nothing is written. 1 when every slot was
/// written. `cancelled` as for ExportUncertaintyToFile: the files written before stay.
int ExportResultSlots(const char* chosenPath, const ExportCancelled& cancelled = {});

} // namespace tolvane
