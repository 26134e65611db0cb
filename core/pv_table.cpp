#include "core/pv_table.h"

#include "core/table_scan.h"
#include "core/value_table_ops.h"

#include <cmath>

namespace tolvane {
namespace {

constexpr NumberedText kRoutines[] = {
    {kRoutineCreate, "CreatePVInfo: "},
    {kRoutineDestroy, "DestroyPVInfo: "},
    {kRoutineDeallocate, "DeallocatePVArrays: "},
    {kRoutineGet, "GetPVParam: "},
    {kRoutineSet, "SetPVParam: "},
    {kRoutineGetValue, "GetPVValue: "},
    {kRoutineCopyTable, "CopyPVInfo: "},
    {kRoutineInterpolate, "PVInterpolate: "},
    {kRoutineNonInterpolate, "PVNonInterpolate: "},
};

constexpr ValueTableOps<PVInfo, float> kOps{&PVInfo::powersDbm, &ReportPVError};

/// Powers within this many dB of a table power take that pair's value.
constexpr double kPowerToleranceDb = 0.01;

enum class PVRule { Linear, Step, SmoothFit };

double Linear(const float* p, const float* v, int i, float x) {
    const double v0 = v[i - 1];
    return v0 + (double{x} - p[i - 1]) / (double{p[i]} - p[i - 1]) * (v[i] - v0);
}

/// The geometric line through the neighbours (i - 1, i), evaluated as B × A with
/// s = log10(r) / Δ (single), A = 10^(x·s) (double), B = v[i]·r^(−p[i]/Δ) (single), where
/// r = v[i] / v[i−1] and Δ = p[i] − p[i−1].
double SmoothFit(const float* p, const float* v, int i, float x) {
    const double v0 = v[i - 1];
    const double v1 = v[i];
    const double r = v1 / v0;
    if (!(r > 0.0 && std::isfinite(r))) return Linear(p, v, i, x);
    const double delta = double{p[i]} - p[i - 1];
    const float s = static_cast<float>(std::log10(r) / delta);
    const double a = std::pow(10.0, double{x} * s);
    const float b = static_cast<float>(v1 * std::pow(r, -double{p[i]} / delta));
    const double result = b * a;
    if (std::isnormal(a) && std::isnormal(b) && std::isfinite(result)) return result;
    // Far from 0 dBm one factor can leave the single range while the other makes up for it; the
    // same line taken from the lower neighbour stays in range.
    return v0 * std::pow(r, (double{x} - p[i - 1]) / delta);
}

int LookUp(const float* p, const float* v, int n, float x, float* out, PVRule rule) {
    const std::uint32_t routine =
        rule == PVRule::Step ? kRoutineNonInterpolate : kRoutineInterpolate;
    if (p == nullptr || v == nullptr || out == nullptr || n <= 0)
        return kOps.fail(kMsgNullPointer, routine);

    const TablePlace place = FindTablePlace(p, n, x, kPowerToleranceDb);
    const int i = place.index;
    switch (place.kind) {
    case TablePlace::Match:
    case TablePlace::Below: // a power below the table takes the first value
        *out = v[i];
        return 1;
    case TablePlace::Between:
        switch (rule) {
        case PVRule::Linear:
            *out = static_cast<float>(Linear(p, v, i, x));
            break;
        case PVRule::Step:
            *out = v[i]; // the upper neighbour
            break;
        case PVRule::SmoothFit:
            *out = static_cast<float>(SmoothFit(p, v, i, x));
            break;
        }
        return 1;
    case TablePlace::Above:
    case TablePlace::ScanEnded: // a NaN power has no place in the table
        break;
    }
    return kOps.fail(kTableMsgOutOfRange, routine);
}

} // namespace

void ReportPVError(ErrorCode code) {
    ReportModuleError({kRoutines, kValueTableMessages}, code);
}

PVInfo* CreatePVInfo() {
    return kOps.create();
}
int DestroyPVInfo(PVInfo* table) {
    return kOps.destroy(table);
}
void DeallocatePVArrays(PVInfo* table) {
    kOps.deallocate(table);
}

int GetPVInterpType(const PVInfo* table, int* type) {
    return kOps.getInterpType(table, type);
}
int GetPVNumPairs(const PVInfo* table, int* n) {
    return kOps.getNumPairs(table, n);
}
int GetPVPower(const PVInfo* table, int index, float* powerDbm) {
    return kOps.getAbscissa(table, index, powerDbm);
}
int GetPVValueAt(const PVInfo* table, int index, float* value) {
    return kOps.getValueAt(table, index, value);
}
int SetPVInterpType(PVInfo* table, int type) {
    return kOps.setInterpType(table, type);
}
int SetPVNumPairs(PVInfo* table, int n) {
    return kOps.setNumPairs(table, n);
}
int SetPVPower(PVInfo* table, int index, float powerDbm) {
    return kOps.setAbscissa(table, index, powerDbm);
}
int SetPVValueAt(PVInfo* table, int index, float value) {
    return kOps.setValueAt(table, index, value);
}
int CopyPVInfo(const PVInfo* source, PVInfo* destination) {
    return kOps.copy(source, destination);
}

int GetPVValue(const PVInfo* table, float powerDbm, float* value) {
    if (table == nullptr) return kOps.fail(kMsgNullInfo, kRoutineGetValue);
    if (value == nullptr) return kOps.fail(kMsgNullParameter, kRoutineGetValue);
    const auto [p, v] = kOps.arrays(table);
    switch (table->interpType) {
    case INTERP_LINEAR:
        return PVInterpolate(p, v, table->numPairs, powerDbm, value);
    case INTERP_STEP:
        return PVNonInterpolate(p, v, table->numPairs, powerDbm, value);
    case INTERP_SMOOTH_FIT:
        return PVSmoothFit(p, v, table->numPairs, powerDbm, value);
    default: // includes 0, the type of a table nobody has set
        return kOps.fail(kTableMsgInterpType, kRoutineGetValue);
    }
}

int PVInterpolate(const float* powersDbm, const float* values, int n, float powerDbm,
                  float* value) {
    return LookUp(powersDbm, values, n, powerDbm, value, PVRule::Linear);
}

int PVNonInterpolate(const float* powersDbm, const float* values, int n, float powerDbm,
                     float* value) {
    return LookUp(powersDbm, values, n, powerDbm, value, PVRule::Step);
}

int PVSmoothFit(const float* powersDbm, const float* values, int n, float powerDbm, float* value) {
    return LookUp(powersDbm, values, n, powerDbm, value, PVRule::SmoothFit);
}

} // namespace tolvane
