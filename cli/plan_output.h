#pragma once

#include "engine/plan.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tolvane::cli {

/// Writes the plan's figures as comma-separated values: the header
/// "value,point,uncertainty_db,sweep_time_s", then one row per value (outer) and point (inner):
/// the value as its editor shows it, the point as `pointTexts` gives it, the worst-case magnitude
/// uncertainty in dB ("%.9g", empty when the point was not computed) and the estimated sweep time
/// in seconds ("%.6g", empty when unknown). Fields holding a comma, a quote or a line end are
/// quoted. False when the stream reported an error.
[[nodiscard]] bool WritePlanCsv(const Plan& plan, const PlanResult& result,
                                const std::vector<std::string>& pointTexts, std::FILE* out);

/// `text` as one csv field: as it is, or in double quotes with its quotes doubled.
[[nodiscard]] std::string CsvField(const std::string& text);

} // namespace tolvane::cli
