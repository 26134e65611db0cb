#pragma once

#include "core/bulk_array.h"
#include "core/error_report.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>

namespace tolvane {

/// Rows a result record can hold: the length of its frequency list.
inline constexpr int kMaxUncertaintyFrequencies = 5000;

/// Bits of a result record's type: which results the consumers show. The type is the DUT type of
/// the computation (1 reflection only, 2 transmission only, 3 user defined = both).
enum UncertaintyTypeBits : int {
    kUncertaintyReflection = 1,
    kUncertaintyTransmission = 2,
};

/// The outcome of one uncertainty computation. The six result arrays hold (numFreqs x
/// numDUTValues) floats each, row-major by frequency: entry (i, j) is at i * numDUTValues + j.
/// Magnitudes are linear, phases in degrees, frequencies in Hz. A record keeps its arrays from one
/// computation to the next while their size does not change.
///
/// The arrays are dimensioned only by InitializeUncertainty. Changing a count afterwards does not
/// touch them; until the next InitializeUncertainty the element operations then find no arrays
/// for the new counts and report "NULL pointer." instead of reading or writing past them.
struct UncertaintyInfo {
    int type = 0;
    int numFreqs = 0;
    int numDUTValues = 0;
    std::array<double, kMaxUncertaintyFrequencies> frequenciesHz{};
    BulkArray<float> reflNominal;
    BulkArray<float> reflUpperBound;
    BulkArray<float> reflPhaseDeg;
    BulkArray<float> transNominal;
    BulkArray<float> transUpperBound;
    BulkArray<float> transPhaseDeg;
    /// The counts the arrays were dimensioned for (0 x 0 while there are none).
    int arrayFreqs = 0;
    int arrayDUTValues = 0;
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first; a
// failed getter or setter leaves the record and its outputs unchanged.

[[nodiscard]] UncertaintyInfo* CreateUncertaintyInfo();
int DestroyUncertaintyInfo(UncertaintyInfo* results);
/// Frees the six arrays; silent, ignores null.
void DeallocateUncertaintyArrays(UncertaintyInfo* results);
/// Dimensions the six arrays, zero-filled, for the current numbers of frequencies and DUT values.
/// On failure the record has no arrays.
[[nodiscard]] int InitializeUncertainty(UncertaintyInfo* results);
/// InitializeUncertainty for a writer that stores every entry itself (the computation): the same
/// checks, messages and dimensions, but the entries are not zeroed, and arrays whose size is
/// unchanged keep what they held. A writer that stops part way zeroes what it did not store with
/// ZeroUncertaintyFrom, which leaves the record as InitializeUncertainty and the same writes would.
[[nodiscard]] int InitializeUncertaintyForWriting(UncertaintyInfo* results);
/// Zeroes every entry of the six arrays from row-major position `first` to the end.
void ZeroUncertaintyFrom(UncertaintyInfo* results, std::size_t first);

[[nodiscard]] int GetUncertaintyType(const UncertaintyInfo* results, int* type);
[[nodiscard]] int GetUncertaintyNumFreqs(const UncertaintyInfo* results, int* n);
[[nodiscard]] int GetUncertaintyNumDUTValues(const UncertaintyInfo* results, int* n);
/// Frequency of row `index` (0..4999 whatever the number of frequencies), in Hz.
[[nodiscard]] int GetUncertaintyFreq(const UncertaintyInfo* results, int index,
                                     double* frequencyHz);
/// Reflection entry (i, j): nominal and upper-bound linear magnitudes and phase in degrees.
[[nodiscard]] int GetUncertaintyRefl(const UncertaintyInfo* results, int i, int j, float* nominal,
                                     float* upperBound, float* phaseDeg);
[[nodiscard]] int GetUncertaintyTrans(const UncertaintyInfo* results, int i, int j, float* nominal,
                                      float* upperBound, float* phaseDeg);

/// A type must contain the reflection or the transmission bit.
[[nodiscard]] int SetUncertaintyType(UncertaintyInfo* results, int type);
/// 1 to kMaxUncertaintyFrequencies rows.
[[nodiscard]] int SetUncertaintyNumFreqs(UncertaintyInfo* results, int n);
[[nodiscard]] int SetUncertaintyNumDUTValues(UncertaintyInfo* results, int n);
/// The value is checked (> 0 Hz) before the index (0..4999).
[[nodiscard]] int SetUncertaintyFreq(UncertaintyInfo* results, int index, double frequencyHz);
[[nodiscard]] int SetUncertaintyRefl(UncertaintyInfo* results, int i, int j, float nominal,
                                     float upperBound, float phaseDeg);
[[nodiscard]] int SetUncertaintyTrans(UncertaintyInfo* results, int i, int j, float nominal,
                                      float upperBound, float phaseDeg);

/// One frequency row of the six result arrays, each span numDUTValues long, written in place.
struct UncertaintyRow {
    std::span<float> reflNominal;
    std::span<float> reflUpperBound;
    std::span<float> reflPhaseDeg;
    std::span<float> transNominal;
    std::span<float> transUpperBound;
    std::span<float> transPhaseDeg;
};

/// The computation's fast way to fill a result row: checks once, under SetUncertaintyParam and
/// with the messages of SetUncertaintyRefl (null record, null `row`, row index i outside
/// 0..numFreqs - 1, arrays not dimensioned), then hands out spans over row i. Writing through the
/// spans equals SetUncertaintyRefl/SetUncertaintyTrans for every j of the row. The spans stay valid
/// until the arrays are next dimensioned or freed.
[[nodiscard]] int GetUncertaintyRow(UncertaintyInfo* results, int i, UncertaintyRow* row);

/// An entry of a result row that is not a finite number: its DUT-value index and whether it is a
/// transmission result (else a reflection result).
struct NonFiniteEntry {
    std::size_t index = 0;
    bool transmission = false;
};
/// The first entry, in DUT-value order, among the first `count` of `row` whose nominal magnitude,
/// upper bound or phase is not a finite number, looking only at the results that `type` (the
/// result record's type bits) says are shown. Nothing when all of them are finite.
[[nodiscard]] std::optional<NonFiniteEntry> FirstNonFiniteEntry(const UncertaintyRow& row,
                                                                std::size_t count, int type);

void ReportUncertaintyError(ErrorCode code);

} // namespace tolvane
