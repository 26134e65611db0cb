#include "core/fv_table.h"

#include "core/table_scan.h"
#include "core/value_table_ops.h"

namespace tolvane {
namespace {

constexpr NumberedText kRoutines[] = {
    {kRoutineCreate, "CreateFVInfo: "},
    {kRoutineDestroy, "DestroyFVInfo: "},
    {kRoutineDeallocate, "DeallocateFVArrays: "},
    {kRoutineGet, "GetFVParam: "},
    {kRoutineSet, "SetFVParam: "},
    {kRoutineGetValue, "GetFVValue: "},
    {kRoutineCopyTable, "CopyFVInfo: "},
    {kRoutineInterpolate, "FVInterpolate: "},
    {kRoutineNonInterpolate, "FVNonInterpolate: "},
};

constexpr ValueTableOps<FVInfo, double> kOps{&FVInfo::frequenciesHz, &ReportFVError};

/// Frequencies within this many Hz of a table frequency take that pair's value.
constexpr double kFrequencyToleranceHz = 1.0;

enum class FVRule { Linear, Step };

int LookUp(const double* f, const float* v, int n, double x, float* out, FVRule rule) {
    const std::uint32_t routine =
        rule == FVRule::Linear ? kRoutineInterpolate : kRoutineNonInterpolate;
    if (f == nullptr || v == nullptr || out == nullptr || n <= 0)
        return kOps.fail(kMsgNullPointer, routine);

    const TablePlace place = FindTablePlace(f, n, x, kFrequencyToleranceHz);
    const int i = place.index;
    switch (place.kind) {
    case TablePlace::Match:
        *out = v[i];
        return 1;
    case TablePlace::Between:
        if (rule == FVRule::Step) {
            *out = v[i]; // the upper neighbour
        } else {
            const double v0 = v[i - 1];
            *out = static_cast<float>(v0 + (x - f[i - 1]) / (f[i] - f[i - 1]) * (v[i] - v0));
        }
        return 1;
    case TablePlace::Below:
    case TablePlace::Above:
    case TablePlace::ScanEnded: // a NaN frequency has no place in the table
        break;
    }
    return kOps.fail(kTableMsgOutOfRange, routine);
}

} // namespace

void ReportFVError(ErrorCode code) {
    ReportModuleError({kRoutines, kValueTableMessages}, code);
}

FVInfo* CreateFVInfo() {
    return kOps.create();
}
int DestroyFVInfo(FVInfo* table) {
    return kOps.destroy(table);
}
void DeallocateFVArrays(FVInfo* table) {
    kOps.deallocate(table);
}

int GetFVInterpType(const FVInfo* table, int* type) {
    return kOps.getInterpType(table, type);
}
int GetFVNumPairs(const FVInfo* table, int* n) {
    return kOps.getNumPairs(table, n);
}
int GetFVFreq(const FVInfo* table, int index, double* frequencyHz) {
    return kOps.getAbscissa(table, index, frequencyHz);
}
int GetFVValueAt(const FVInfo* table, int index, float* value) {
    return kOps.getValueAt(table, index, value);
}
int SetFVInterpType(FVInfo* table, int type) {
    return kOps.setInterpType(table, type);
}
int SetFVNumPairs(FVInfo* table, int n) {
    return kOps.setNumPairs(table, n);
}
int SetFVFreq(FVInfo* table, int index, double frequencyHz) {
    return kOps.setAbscissa(table, index, frequencyHz);
}
int SetFVValueAt(FVInfo* table, int index, float value) {
    return kOps.setValueAt(table, index, value);
}
int CopyFVInfo(const FVInfo* source, FVInfo* destination) {
    return kOps.copy(source, destination);
}

int GetFVValue(const FVInfo* table, double frequencyHz, float* value) {
    if (table == nullptr) return kOps.fail(kMsgNullInfo, kRoutineGetValue);
    if (value == nullptr) return kOps.fail(kMsgNullParameter, kRoutineGetValue);
    const auto [f, v] = kOps.arrays(table);
    switch (table->interpType) {
    case INTERP_LINEAR:
        return FVInterpolate(f, v, table->numPairs, frequencyHz, value);
    case INTERP_STEP:
        return FVNonInterpolate(f, v, table->numPairs, frequencyHz, value);
    default:
        // Smooth fit is kept for the files, but frequency tables have no smooth-fit rule.
        return kOps.fail(kTableMsgInterpType, kRoutineGetValue);
    }
}

int FVInterpolate(const double* frequenciesHz, const float* values, int n, double frequencyHz,
                  float* value) {
    return LookUp(frequenciesHz, values, n, frequencyHz, value, FVRule::Linear);
}

int FVNonInterpolate(const double* frequenciesHz, const float* values, int n, double frequencyHz,
                     float* value) {
    return LookUp(frequenciesHz, values, n, frequencyHz, value, FVRule::Step);
}

} // namespace tolvane
