#include "cli/csv_output.h"

#include "core/worker_pool.h"
#include "engine/uncertainty.h"
#include "engine/uncertainty_methods.h"
#include "files/text_output.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane::cli {
namespace {

/// After a failed getter the lines before it still go out, as they did line by line; false.
bool WrittenSoFar(TextOutput& text) {
    (void)text.flush();
    return false;
}

/// The longest line: a frequency, an index and six values in "%.9g" ("-1.23456789e-38").
constexpr std::size_t kMaxLine = 32 + 12 + 6 * 16 + 1;

/// The lines of frequency row i, read straight from the arrays, which hold every entry.
char* FormatRow(const UncertaintyInfo& results, std::size_t i, char* at) {
    const auto count = static_cast<std::size_t>(results.numDUTValues);
    char frequency[kMaxNumberText + 1];
    char* end = FormatGeneral(frequency, results.frequenciesHz[i], 17);
    *end++ = ',';
    const auto frequencyLength = static_cast<std::size_t>(end - frequency);
    const float* columns[6] = {results.reflNominal.data(),     results.reflUpperBound.data(),
                               results.reflPhaseDeg.data(),    results.transNominal.data(),
                               results.transUpperBound.data(), results.transPhaseDeg.data()};
    for (std::size_t j = 0; j < count; ++j) {
        std::memcpy(at, frequency, frequencyLength);
        at = std::to_chars(at + frequencyLength, at + 16 + frequencyLength, j).ptr;
        for (const float* column : columns) {
            *at++ = ',';
            at = FormatGeneral(at, column[i * count + j], 9);
        }
        *at++ = '\n';
    }
    return at;
}

/// Writes the rows of a record whose arrays hold every entry (no getter can fail): a batch of
/// rows at a time, the rows of a batch formatted on every core, written in order.
bool WriteRowsOnWorkers(const UncertaintyInfo& results, TextOutput& text) {
    const auto numFreqs = static_cast<std::size_t>(results.numFreqs);
    const auto count = static_cast<std::size_t>(results.numDUTValues);
    const unsigned threads = count * numFreqs >= 100000 ? HardwareThreads() : 1;
    const std::size_t batch = std::size_t{4} * threads;
    std::vector<std::vector<char>> texts(batch);
    for (auto& rowText : texts)
        rowText.resize(count * kMaxLine);
    std::vector<std::size_t> lengths(batch);
    for (std::size_t first = 0; first < numFreqs; first += batch) {
        const std::size_t rows = std::min(batch, numFreqs - first);
        RunOnWorkers(rows, threads, [&](std::size_t row, unsigned) {
            char* start = texts[row].data();
            lengths[row] = static_cast<std::size_t>(FormatRow(results, first + row, start) - start);
        });
        for (std::size_t row = 0; row < rows; ++row)
            text.text(std::string_view(texts[row].data(), lengths[row]));
        if (text.failed()) return false;
    }
    return text.flush();
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
    // Arrays dimensioned for the counts hold every entry; otherwise the getters report what is
    // wrong, line by line, as they meet it.
    if (numFreqs >= 1 && results->arrayFreqs == numFreqs && results->arrayDUTValues == numDUTValues)
        return WriteRowsOnWorkers(*results, text);
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
