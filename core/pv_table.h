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

[[nodiscard]] int GetPVValue(const PVInfo* table, float powerDbm, float* value);
[[nodiscard]] int PVInterpolate(const float* powersDbm, const float* values, int n, float powerDbm,
                                float* value);
[[nodiscard]] int PVNonInterpolate(const float* powersDbm, const float* values, int n,
                                   float powerDbm, float* value);
[[nodiscard]] int PVSmoothFit(const float* powersDbm, const float* values, int n, float powerDbm,
                              float* value);

void ReportPVError(ErrorCode code);

} // namespace tolvane
