#pragma once

#include <cstdio>
#include <string>

namespace tolvane {

struct MeasuredResults;

enum class MeasuredFormat { Table, Csv };

/// Writes the results of a measured DUT as comma-separated values: the header
/// "frequency_hz,parameter,measured_db,measured_deg,lower_db,upper_db,phase_unc_deg,verdict",
/// then one row per frequency and parameter (S11, S21, S12, S22, those measured), the frequency in
/// Hz with "%.17g", the values with "%.9g", "-inf" for a lower bound of 0 and an empty verdict
/// where no limit applies. False when the stream reported an error.
[[nodiscard]] bool WriteMeasuredCsv(const MeasuredResults& results, std::FILE* out);

/// Writes the results as a tab-separated table for a spreadsheet: a title block naming the
/// measurement, the set-up and the limits, one line per frequency with a column group per
/// parameter (measured dB and degrees, lower and upper bound in dB, phase uncertainty, verdict),
/// then the overall verdict and the worst margin. False when the stream reported an error.
[[nodiscard]] bool WriteMeasuredTable(const MeasuredResults& results, std::FILE* out);

/// Writes the results in `format` to `path`, through a temporary file that replaces it only when
/// everything was written. Reports under "ExportUncertaintyToFile: " as the tabular export does;
/// 1 when the file was written, 0 otherwise.
[[nodiscard]] int ExportMeasuredToFile(const MeasuredResults& results, MeasuredFormat format,
                                       const char* path);

/// The same to an open stream; messages name `name`.
[[nodiscard]] int ExportMeasuredToStream(const MeasuredResults& results, MeasuredFormat format,
                                         std::FILE* stream, const char* name);

/// The overall verdict with the acceptance under the rule ("Overall verdict: conditional pass; not
/// accepted under the guarded decision rule."), or that no limit applies.
[[nodiscard]] std::string OverallVerdictText(const MeasuredResults& results);

/// Where the bound nearest a limit comes closest to it or misses it by most ("Worst margin: -0.512
/// dB at 2.500000 GHz (S11 max -15.000 dB)"); empty when no limit applies.
[[nodiscard]] std::string WorstMarginText(const MeasuredResults& results);

} // namespace tolvane
