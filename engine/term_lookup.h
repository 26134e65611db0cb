#pragma once

#include "core/fv_table.h"
#include "engine/model_terms.h"

namespace tolvane {

/// One frequency term of a component record, looked up many times in one computation. The result
/// and every message are those of the record's own value lookup (GetCalFVValue, ...): on an
/// ascending, well-formed table of type linear or step the place is found by bisection and the
/// table's own interpolation runs on the two neighbours; every other case (an unsorted table, a
/// frequency at or beyond a table end, a missing table, a failure) goes to the record's lookup.
class FrequencyTermLookup {
public:
    /// A frequency term of `model` (any term but SRc).
    FrequencyTermLookup(const ModelInfo& model, ModelTerm term);

    /// The term's value at `frequencyHz`; 0 after the record or its table has reported.
    [[nodiscard]] int lookup(double frequencyHz, float* value) const;

private:
    using RecordLookup = int (*)(const void* record, int code, double frequencyHz, float* value);

    const void* record_;
    int code_;
    RecordLookup recordLookup_;
    /// The table when bisection gives the record lookup's result, else null.
    const FVInfo* bisectable_ = nullptr;
};

} // namespace tolvane
