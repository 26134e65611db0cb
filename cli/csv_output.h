#pragma once

#include <cstdio>

namespace tolvane {
struct PointExplanation;
struct UncertaintyInfo;
} // namespace tolvane

namespace tolvane::cli {

/// Writes every entry of the result record as comma-separated values: a header line, then one
/// row per frequency (outer) and DUT value (inner) with the frequency in Hz ("%.17g") and the six
/// result values as stored ("%.9g": linear magnitudes, phases in degrees). False when a getter
/// of the record failed (it has reported) or the stream reported an error. The text is written
/// through a large buffer, a frequency row at a time, and the stream flushed at the end.
[[nodiscard]] bool WriteResultsCsv(const UncertaintyInfo* results, std::FILE* out);

/// Writes the budget of a point as comma-separated values: the header
/// "term,alone_deviation,without_deviation,share_percent", one row per error term in coverage-
/// factor order, then the rows "worst case", "rss" and "monte carlo 95%" with the method's upper
/// deviation in the second column and the others empty; numbers "%.9g", linear. False when the
/// stream reported an error.
[[nodiscard]] bool WriteBudgetCsv(const PointExplanation& explanation, std::FILE* out);

} // namespace tolvane::cli
