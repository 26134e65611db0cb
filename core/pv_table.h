#pragma once

#include "core/error_report.h"
#include "core/interpolation.h"

#include <vector>

namespace tolvane {

/// A table of (port power in dBm, value in dB) pairs looked up by power with a 0.01 dBm matching
/// tolerance. A power below the table takes the first value. Created with no interpolation type
/// (0): whoever fills a table sets it.
struct PVInfo {
    int interpType = 0;
    int numPairs = 0;
    bool arraysPresent = false;
    std::vector<float> powersDbm;
    std::vector<float> values;
};

[[nodiscard]] PVInfo* CreatePVInfo();
int DestroyPVInfo(PVInfo* table);
inline void DestroyRecord(PVInfo* table) {
    (void)DestroyPVInfo(table);
}
void DeallocatePVArrays(PVInfo* table);

[[nodiscard]] int GetPVInterpType(const PVInfo* table, int* type);
[[nodiscard]] int GetPVNumPairs(const PVInfo* table, int* n);
[[nodiscard]] int GetPVPower(const PVInfo* table, int index, float* powerDbm);
[[nodiscard]] int GetPVValueAt(const PVInfo* table, int index, float* value);
[[nodiscard]] int SetPVInterpType(PVInfo* table, int type);
[[nodiscard]] int SetPVNumPairs(PVInfo* table, int n);
[[nodiscard]] int SetPVPower(PVInfo* table, int index, float powerDbm);
[[nodiscard]] int SetPVValueAt(PVInfo* table, int index, float value);
[[nodiscard]] int CopyPVInfo(const PVInfo* source, PVInfo* destination);

/// The table's value at `powerDbm` by its interpolation type; `value` is unchanged on failure.
/// A power below the first one takes the first value; above the last (beyond 0.01 dB) it fails.
[[nodiscard]] int GetPVValue(const PVInfo* table, float powerDbm, float* value);
[[nodiscard]] int PVInterpolate(const float* powersDbm, const float* values, int n, float powerDbm,
                                float* value);
[[nodiscard]] int PVNonInterpolate(const float* powersDbm, const float* values, int n,
                                   float powerDbm, float* value);
/// The straight line through the two neighbouring pairs in log10(value) against power. Where it
/// has no real value, because a neighbour's value is zero or the two are of opposite sign, the
/// result is the linear interpolation between the two neighbours instead (still a success).
[[nodiscard]] int PVSmoothFit(const float* powersDbm, const float* values, int n, float powerDbm,
                              float* value);

void ReportPVError(ErrorCode code);

} // namespace tolvane
