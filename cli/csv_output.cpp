#include "cli/csv_output.h"

#include "engine/uncertainty.h"
#include "engine/uncertainty_methods.h"
#include "files/text_output.h"

#include <string>
#include <string_view>
#include <utility>

namespace tolvane::cli {
namespace {

/// After a failed getter the lines before it still go out, as they did line by line; false.
bool WrittenSoFar(TextOutput& text) {
    (void)text.flush();
    return false;
}

} // namespace

bool WriteResultsCsv(const UncertaintyInfo* results, std::FILE* out) {
    int numFreqs = 0;
    int numDUTValues = 0;
    if (GetUncertaintyNumFreqs(results, &numFreqs) == 0 ||
        GetUncertaintyNumDUTValues(results, &numDUTValues) == 0)
        return false;
    TextOutput text(out);
    text.text("frequency_hz,dut_index,refl_nominal,refl_upper,refl_phase_deg,"
              "trans_nominal,trans_upper,trans_phase_deg\n");
    for (int i = 0; i < numFreqs; ++i) {
        double frequencyHz = 0.0;
        if (GetUncertaintyFreq(results, i, &frequencyHz) == 0) return WrittenSoFar(text);
        // The frequency starts each of the row's lines: formatted once.
        char frequency[kMaxNumberText + 1];
        char* end = FormatGeneral(frequency, frequencyHz, 17);
        *end++ = ',';
        const std::string_view frequencyText(frequency, std::size_t(end - frequency));
        for (int j = 0; j < numDUTValues; ++j) {
            float r[3] = {};
            float t[3] = {};
            if (GetUncertaintyRefl(results, i, j, &r[0], &r[1], &r[2]) == 0 ||
                GetUncertaintyTrans(results, i, j, &t[0], &t[1], &t[2]) == 0)
                return WrittenSoFar(text);
            text.text(frequencyText);
            text.integer(j);
            for (const float value : {r[0], r[1], r[2], t[0], t[1], t[2]}) {
                text.text(",");
                text.general(value, 9);
            }
            text.text("\n");
        }
        if (text.failed()) return false;
    }
    return text.flush();
}

bool WriteBudgetCsv(const PointExplanation& explanation, std::FILE* out) {
    const UncertaintyBudget& budget = explanation.budget;
    std::fprintf(out, "term,alone_deviation,without_deviation,share_percent\n");
    for (int term = 0; term < kNumBudgetTerms; ++term) {
        const BudgetLine& line = budget.terms[static_cast<std::size_t>(term)];
        std::fprintf(out, "%s,%.9g,%.9g,%.9g\n", BudgetTermName(term), line.aloneDeviation,
                     line.withoutDeviation, line.sharePercent);
    }
    const std::pair<UncertaintyMethod, double> methods[] = {
        {UncertaintyMethod::WorstCase, budget.worstCaseDeviation},
        {UncertaintyMethod::Rss, budget.rssDeviation},
        {UncertaintyMethod::MonteCarlo, explanation.monteCarlo.upperDeviation}};
    for (const auto& [method, deviation] : methods)
        std::fprintf(out, "%s,%.9g,,\n", UncertaintyMethodName(method), deviation);
    return std::ferror(out) == 0;
}

} // namespace tolvane::cli
