#include "engine/term_lookup.h"

#include <cmath>
#include <cstddef>

namespace tolvane {
namespace {

// The frequency tables match within 1 Hz (strictly less).
constexpr double kMatchToleranceHz = 1.0;

bool WithinTolerance(double x, double frequencyHz) {
    return std::fabs(x - frequencyHz) < kMatchToleranceHz;
}

// True when the scan of a table lookup can be replaced by bisection: both arrays present and as
// long as the table says, a type the lookup accepts, frequencies ascending (equal neighbours
// allowed; a NaN makes the table unsorted).
bool IsBisectable(const FVInfo* table) {
    if (table == nullptr || !table->arraysPresent || table->numPairs < 1) return false;
    if (table->interpType != INTERP_LINEAR && table->interpType != INTERP_STEP) return false;
    const auto n = static_cast<std::size_t>(table->numPairs);
    if (table->frequenciesHz.size() < n || table->values.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::isnan(table->frequenciesHz[i])) return false;
    for (std::size_t i = 1; i < n; ++i)
        if (!(table->frequenciesHz[i - 1] <= table->frequenciesHz[i])) return false;
    return true;
}

} // namespace

FrequencyTermLookup::FrequencyTermLookup(const ModelInfo& model, ModelTerm term)
    : record_(TermRecord(&model, DescribeModelTerm(term))),
      code_(DescribeModelTerm(term).tableCode),
      recordLookup_(TableOpsOf(DescribeModelTerm(term)).lookUp) {
    const FVInfo* table = TermFrequencyTable(&model, DescribeModelTerm(term));
    bisectable_ = IsBisectable(table) ? table : nullptr;
}

int FrequencyTermLookup::lookup(double x, float* value) const {
    if (bisectable_ == nullptr) return recordLookup_(record_, code_, x, value);
    const double* f = bisectable_->frequenciesHz.data();
    const int last = bisectable_->numPairs - 1;
    // At either end, and outside the table, the record's lookup decides without a scan.
    if (WithinTolerance(x, f[0]) || WithinTolerance(x, f[last]) || !(x >= f[0]) || !(x <= f[last]))
        return recordLookup_(record_, code_, x, value);

    // The scan stops at the first entry within tolerance of x or above x. That predicate is false
    // at entry 0 and true at the last entry here, and it never turns false again on ascending
    // frequencies, so bisection finds the same entry.
    int below = 0;
    int stop = last;
    while (stop - below > 1) {
        const int middle = below + (stop - below) / 2;
        if (WithinTolerance(x, f[middle]) || f[middle] > x)
            stop = middle;
        else
            below = middle;
    }
    // The table's own rule on the two neighbours gives what the scan gives at this stop.
    const float* v = bisectable_->values.data();
    const auto pair = static_cast<std::size_t>(stop - 1);
    if (bisectable_->interpType == INTERP_LINEAR)
        return FVInterpolate(f + pair, v + pair, 2, x, value);
    return FVNonInterpolate(f + pair, v + pair, 2, x, value);
}

} // namespace tolvane
