#include "cli/plan_output.h"

#include "engine/plan_values.h"

#include <cmath>

namespace tolvane::cli {

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

bool WritePlanCsv(const Plan& plan, const PlanResult& result,
                  const std::vector<std::string>& pointTexts, std::FILE* out) {
    std::fprintf(out, "value,point,uncertainty_db,sweep_time_s\n");
    for (std::size_t v = 0; v < result.values.size() && v < plan.values.size(); ++v) {
        const PlanValueResult& value = result.values[v];
        const std::string valueText = CsvField(PlanValueText(plan.quantity, plan.values[v]));
        char sweepTime[32] = "";
        if (std::isfinite(value.sweepTimeS))
            std::snprintf(sweepTime, sizeof sweepTime, "%.6g", value.sweepTimeS);
        for (std::size_t p = 0; p < value.points.size() && p < pointTexts.size(); ++p) {
            char uncertainty[32] = "";
            if (value.points[p].computed)
                std::snprintf(uncertainty, sizeof uncertainty, "%.9g",
                              static_cast<double>(value.points[p].worstCase.uncertaintyDb));
            std::fprintf(out, "%s,%s,%s,%s\n", valueText.c_str(), CsvField(pointTexts[p]).c_str(),
                         uncertainty, sweepTime);
        }
    }
    return std::ferror(out) == 0;
}

} // namespace tolvane::cli
