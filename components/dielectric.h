#pragma once

#include "core/error_report.h"
#include "core/record_name.h"

namespace tolvane {

/// A cable dielectric of the component database. A cable refers to it by name; its two
/// coefficients give the cable's drift per metre of length, per °C of temperature variation and
/// per GHz of frequency.
struct DielInfo {
    float magCoef = 0.0f;   ///< transmission magnitude drift, dB per metre, per °C, per GHz
    float phaseCoef = 0.0f; ///< transmission phase drift, degrees per metre, per °C, per GHz
    RecordName name{};      ///< the key by which cables refer to it
};

/// Routine numbers of the dielectric module's reporter.
enum DielRoutine : std::uint32_t {
    kRoutineCreateDielInfo = kRoutineCreate,
    kRoutineDestroyDielInfo = kRoutineDestroy,
    kRoutineGetDielParam = kRoutineGet,
    kRoutineSetDielParam = kRoutineSet,
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first.
/// A zero-filled record, or null after reporting "error allocating memory.".
[[nodiscard]] DielInfo* CreateDielInfo();
int DestroyDielInfo(DielInfo* diel);
inline void DestroyRecord(DielInfo* diel) {
    (void)DestroyDielInfo(diel);
}

/// Copies the name into `buffer` of `length` characters, always terminated.
[[nodiscard]] int GetDielName(const DielInfo* diel, char* buffer, int length);
[[nodiscard]] int GetDielMagCoef(const DielInfo* diel, float* coef);
[[nodiscard]] int GetDielPhaseCoef(const DielInfo* diel, float* coef);
/// Keeps at most 127 characters of `name`.
[[nodiscard]] int SetDielName(DielInfo* diel, const char* name);
[[nodiscard]] int SetDielMagCoef(DielInfo* diel, float coef);
[[nodiscard]] int SetDielPhaseCoef(DielInfo* diel, float coef);

void ReportDielError(ErrorCode code);

} // namespace tolvane
