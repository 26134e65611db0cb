#pragma once

#include "core/fv_table.h"

namespace tolvane {

struct CableInfo;
struct CalInfo;
struct ConnInfo;
struct VNAInfo;

/// One frequency term of a component record, looked up many times in one computation. The result
/// and every message are those of the record's own value lookup (GetCalFVValue, ...): on an
/// ascending, well-formed table of type linear or step the place is found by bisection and the
/// table's own interpolation runs on the two neighbours; every other case (an unsorted table, a
/// frequency at or beyond a table end, a missing table, a failure) goes to the record's lookup.
class FrequencyTermLookup {
public:
    FrequencyTermLookup(const CalInfo* cal, int code);
    FrequencyTermLookup(const ConnInfo* connector, int code);
    FrequencyTermLookup(const CableInfo* cable, int code);
    FrequencyTermLookup(const VNAInfo* vna, int code);

    /// The term's value at `frequencyHz`; 0 after the record or its table has reported.
    [[nodiscard]] int lookup(double frequencyHz, float* value) const;

private:
    using RecordLookup = int (*)(const void* record, int code, double frequencyHz, float* value);
    FrequencyTermLookup(const void* record, int code, const FVInfo* table, RecordLookup lookup);

    const void* record_;
    int code_;
    RecordLookup recordLookup_;
    /// The table when bisection gives the record lookup's result, else null.
    const FVInfo* bisectable_ = nullptr;
};

} // namespace tolvane
