#pragma once

#include "core/error_report.h"
#include "core/fv_table.h"
#include "core/owned.h"
#include "core/record_name.h"

namespace tolvane {

/// Table codes of a cable's two drift tables.
enum CableTableCode : int {
    kCableDCbTm = 1, ///< transmission magnitude drift against frequency, dB
    kCableDCbTp = 2, ///< transmission phase drift against frequency, degrees
};

/// The test-port cable of one port: its dielectric, length and temperature variation, and the two
/// drift tables MakeCableFVs builds from them. The record owns both tables.
struct CableInfo {
    CableInfo() = default;
    CableInfo(const CableInfo&) = delete;
    CableInfo& operator=(const CableInfo&) = delete;

    float lengthM = 0.0f;  ///< cable length in metres, >= 0
    float tempVarC = 0.0f; ///< temperature variation during the measurement in °C, >= 0
    Owned<FVInfo> DCbTm;   ///< table code 1
    Owned<FVInfo> DCbTp;   ///< table code 2
    RecordName dielName{}; ///< name of a record in the dielectric list
};

/// Routine numbers of the cable module's reporter.
enum CableRoutine : std::uint32_t {
    kRoutineCreateCableInfo = kRoutineCreate,
    kRoutineDestroyCableInfo = kRoutineDestroy,
    kRoutineGetCableParam = kRoutineGet,
    kRoutineSetCableParam = kRoutineSet,
    kRoutineMakeCableFVs = 7,
};

/// Message numbers of the cable module beyond the common ones.
enum CableMessage : std::uint32_t {
    kCableMsgCalledRoutine = 0x06,     ///< "Error in a called routine."
    kCableMsgInvalidLength = 0x07,     ///< "invalid length."
    kCableMsgInvalidTempVar = 0x08,    ///< "invalid temperature variation."
    kCableMsgInvalidNumFreqs = 0x09,   ///< "invalid number of frequencies."
    kCableMsgInvalidStartFreq = 0x10,  ///< "invalid start frequency."
    kCableMsgInvalidStopFreq = 0x11,   ///< "invalid stop frequency."
    kCableMsgUnknownDielectric = 0x12, ///< "unknown dielectric."
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first.
/// A record with both tables created (empty, linear); null after reporting when the record itself
/// cannot be allocated. A table that cannot be created is left null.
[[nodiscard]] CableInfo* CreateCableInfo();
int DestroyCableInfo(CableInfo* cable);
inline void DestroyRecord(CableInfo* cable) {
    (void)DestroyCableInfo(cable);
}
/// Destroys both tables and nulls them; silent, a null record is ignored.
void DeallocateCableArrays(CableInfo* cable);

/// Keeps at most 127 characters of `name`.
[[nodiscard]] int SetCableDielName(CableInfo* cable, const char* name);
/// Refuses a negative length and keeps the old one.
[[nodiscard]] int SetCableLength(CableInfo* cable, float lengthM);
/// Refuses a negative temperature variation and keeps the old one.
[[nodiscard]] int SetCableTempVar(CableInfo* cable, float tempVarC);

/// Rebuilds both drift tables on the n frequencies (Hz, ascending) from the cable's dielectric
/// (searched in GlobalComponentLists().dielectrics), length and temperature variation:
/// value_j = length × coefficient × ΔT × f_j / 1e9. On a failure in the argument checks the tables
/// are unchanged; a later failure leaves them resized and partly filled.
[[nodiscard]] int MakeCableFVs(CableInfo* cable, int numFreqs, const double* frequenciesHz);

/// The drift MakeCableFVs stores at one frequency: length × coefficient × ΔT × f / 1e9, multiplied
/// in that order in double precision and rounded to a float.
[[nodiscard]] float CableDriftAt(double lengthM, float coefficient, double tempVarC,
                                 double frequencyHz);

// The drift tables by table code (kCableDCbTm, kCableDCbTp). These report only a null record and
// an unknown code; every other check is the table's own.
[[nodiscard]] int GetCableFVInterpType(const CableInfo* cable, int code, int* type);
[[nodiscard]] int GetCableFVNumPairs(const CableInfo* cable, int code, int* n);
[[nodiscard]] int GetCableFVFreq(const CableInfo* cable, int code, int index, double* frequencyHz);
[[nodiscard]] int GetCableFVValueAt(const CableInfo* cable, int code, int index, float* value);
[[nodiscard]] int GetCableFVValue(const CableInfo* cable, int code, double frequencyHz,
                                  float* value);
[[nodiscard]] int SetCableFVInterpType(CableInfo* cable, int code, int type);
[[nodiscard]] int SetCableFVNumPairs(CableInfo* cable, int code, int n);
[[nodiscard]] int SetCableFVFreq(CableInfo* cable, int code, int index, double frequencyHz);
[[nodiscard]] int SetCableFVValueAt(CableInfo* cable, int code, int index, float value);

void ReportCableError(ErrorCode code);

} // namespace tolvane
