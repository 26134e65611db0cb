#pragma once

#include "core/error_report.h"
#include "core/interpolation.h"

#include <vector>

namespace tolvane {

/// A table of (frequency in Hz, value) pairs looked up by frequency with a 1 Hz matching
/// tolerance. Values are in the unit of their term (dB, degrees or dBm). Frequencies are expected
/// in ascending order; nothing here sorts them.
struct FVInfo {
    int interpType = INTERP_LINEAR;
    int numPairs = 0;
    /// Both arrays have numPairs entries, except after a failed resize, when both are absent.
    bool arraysPresent = false;
    std::vector<double> frequenciesHz;
    std::vector<float> values;
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first.
[[nodiscard]] FVInfo* CreateFVInfo();
int DestroyFVInfo(FVInfo* table);
inline void DestroyRecord(FVInfo* table) {
    (void)DestroyFVInfo(table);
}
void DeallocateFVArrays(FVInfo* table);

[[nodiscard]] int GetFVInterpType(const FVInfo* table, int* type);
[[nodiscard]] int GetFVNumPairs(const FVInfo* table, int* n);
[[nodiscard]] int GetFVFreq(const FVInfo* table, int index, double* frequencyHz);
[[nodiscard]] int GetFVValueAt(const FVInfo* table, int index, float* value);
[[nodiscard]] int SetFVInterpType(FVInfo* table, int type);
/// Resizes the table to n zero pairs, discarding the old ones.
[[nodiscard]] int SetFVNumPairs(FVInfo* table, int n);
[[nodiscard]] int SetFVFreq(FVInfo* table, int index, double frequencyHz);
[[nodiscard]] int SetFVValueAt(FVInfo* table, int index, float value);
[[nodiscard]] int CopyFVInfo(const FVInfo* source, FVInfo* destination);

/// The table's value at `frequencyHz` by its interpolation type; `value` is unchanged on failure.
/// Linear and step only: a table of type smooth fit fails every lookup. A frequency outside the
/// table's span (beyond 1 Hz) or a NaN frequency fails with "abscissa out of range.".
[[nodiscard]] int GetFVValue(const FVInfo* table, double frequencyHz, float* value);
[[nodiscard]] int FVInterpolate(const double* frequenciesHz, const float* values, int n,
                                double frequencyHz, float* value);
[[nodiscard]] int FVNonInterpolate(const double* frequenciesHz, const float* values, int n,
                                   double frequencyHz, float* value);

void ReportFVError(ErrorCode code);

} // namespace tolvane
