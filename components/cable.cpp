#include "components/cable.h"

#include "components/dielectric.h"
#include "components/fv_table_set.h"
#include "core/component_lists.h"
#include "core/units.h"

#include <new>

namespace tolvane {
namespace {

constexpr NumberedText kRoutines[] = {
    {kRoutineCreateCableInfo, "CreateCableInfo: "},
    {kRoutineDestroyCableInfo, "DestroyCableInfo: "},
    {kRoutineGetCableParam, "GetCableParam: "},
    {kRoutineSetCableParam, "SetCableParam: "},
    {kRoutineMakeCableFVs, "MakeCableFVs: "},
};

constexpr NumberedText kMessages[] = {
    {kMsgNullInfo, "NULL info pointer."},
    {kMsgAllocation, "error allocating memory."},
    {kMsgUnknownParameter, "unknown parameter."},
    {kMsgNullParameter, "NULL parameter pointer."},
    {kCableMsgCalledRoutine, "Error in a called routine."},
    {kCableMsgInvalidLength, "invalid length."},
    {kCableMsgInvalidTempVar, "invalid temperature variation."},
    {kCableMsgInvalidNumFreqs, "invalid number of frequencies."},
    {kCableMsgInvalidStartFreq, "invalid start frequency."},
    {kCableMsgInvalidStopFreq, "invalid stop frequency."},
    {kCableMsgUnknownDielectric, "unknown dielectric."},
};

constexpr FVTableSet<CableInfo, 2> kTables{{&CableInfo::DCbTm, &CableInfo::DCbTp},
                                           &ReportCableError};

int Fail(std::uint32_t message, std::uint32_t routine) {
    ReportCableError(MakeErrorCode(message, routine));
    return 0;
}

/// Lengths, temperature variations and frequencies are refused when negative, and so is NaN.
bool IsNonNegative(double value) {
    return value >= 0.0;
}

/// Both tables present (created now if missing), linear, with n zero pairs.
bool PrepareDriftTables(CableInfo* cable, int n) {
    for (Owned<FVInfo> CableInfo::*table : kTables.tables) {
        if (cable->*table == nullptr) (cable->*table).reset(CreateFVInfo());
        if (cable->*table == nullptr) return false;
    }
    return SetFVInterpType(cable->DCbTm, INTERP_LINEAR) &&
           SetFVInterpType(cable->DCbTp, INTERP_LINEAR) && SetFVNumPairs(cable->DCbTm, n) &&
           SetFVNumPairs(cable->DCbTp, n);
}

/// Pair j of a drift table: the frequency and its drift.
bool SetDriftPair(FVInfo* table, int j, double frequencyHz, double lengthM, float coef,
                  double tempVarC) {
    return SetFVFreq(table, j, frequencyHz) &&
           SetFVValueAt(table, j, CableDriftAt(lengthM, coef, tempVarC, frequencyHz));
}

} // namespace

void ReportCableError(ErrorCode code) {
    ReportModuleError({kRoutines, kMessages}, code);
}

CableInfo* CreateCableInfo() {
    auto* cable = new (std::nothrow) CableInfo;
    if (cable == nullptr) {
        Fail(kMsgAllocation, kRoutineCreateCableInfo);
        return nullptr;
    }
    kTables.create(cable);
    return cable;
}

int DestroyCableInfo(CableInfo* cable) {
    if (cable == nullptr) return Fail(kMsgNullInfo, kRoutineDestroyCableInfo);
    delete cable; // its tables go with it
    return 1;
}

void DeallocateCableArrays(CableInfo* cable) {
    if (cable != nullptr) kTables.destroy(cable);
}

int SetCableDielName(CableInfo* cable, const char* name) {
    if (cable == nullptr) return Fail(kMsgNullInfo, kRoutineSetCableParam);
    if (name == nullptr) return Fail(kMsgNullParameter, kRoutineSetCableParam);
    StoreRecordName(cable->dielName, name);
    return 1;
}

int SetCableLength(CableInfo* cable, float lengthM) {
    if (cable == nullptr) return Fail(kMsgNullInfo, kRoutineSetCableParam);
    if (!IsNonNegative(lengthM)) return Fail(kCableMsgInvalidLength, kRoutineSetCableParam);
    cable->lengthM = lengthM;
    return 1;
}

int SetCableTempVar(CableInfo* cable, float tempVarC) {
    if (cable == nullptr) return Fail(kMsgNullInfo, kRoutineSetCableParam);
    if (!IsNonNegative(tempVarC)) return Fail(kCableMsgInvalidTempVar, kRoutineSetCableParam);
    cable->tempVarC = tempVarC;
    return 1;
}

int MakeCableFVs(CableInfo* cable, int numFreqs, const double* frequenciesHz) {
    constexpr std::uint32_t kRoutine = kRoutineMakeCableFVs;
    if (cable == nullptr) return Fail(kMsgNullInfo, kRoutine);
    if (numFreqs <= 0) return Fail(kCableMsgInvalidNumFreqs, kRoutine);
    if (frequenciesHz == nullptr) return Fail(kMsgNullParameter, kRoutine);
    const double firstHz = frequenciesHz[0];
    const double lastHz = frequenciesHz[numFreqs - 1];
    if (!IsNonNegative(firstHz)) return Fail(kCableMsgInvalidStartFreq, kRoutine);
    // The frequencies in between are taken as they come.
    if (!IsNonNegative(lastHz) || firstHz > lastHz) return Fail(kCableMsgInvalidStopFreq, kRoutine);
    if (!IsNonNegative(cable->lengthM)) return Fail(kCableMsgInvalidLength, kRoutine);
    if (!IsNonNegative(cable->tempVarC)) return Fail(kCableMsgInvalidTempVar, kRoutine);

    if (!PrepareDriftTables(cable, numFreqs)) return Fail(kCableMsgCalledRoutine, kRoutine);

    const DielInfo* diel =
        FindRecordByName<DielInfo>(GlobalComponentLists().dielectrics, cable->dielName.data());
    if (diel == nullptr) return Fail(kCableMsgUnknownDielectric, kRoutine);
    float magCoef = 0.0f;
    float phaseCoef = 0.0f;
    if (!GetDielMagCoef(diel, &magCoef) || !GetDielPhaseCoef(diel, &phaseCoef))
        return Fail(kCableMsgCalledRoutine, kRoutine);

    for (int j = 0; j < numFreqs; ++j) {
        const double frequencyHz = frequenciesHz[j];
        if (!SetDriftPair(cable->DCbTm, j, frequencyHz, cable->lengthM, magCoef, cable->tempVarC) ||
            !SetDriftPair(cable->DCbTp, j, frequencyHz, cable->lengthM, phaseCoef, cable->tempVarC))
            return Fail(kCableMsgCalledRoutine, kRoutine);
    }
    return 1;
}

float CableDriftAt(double lengthM, float coefficient, double tempVarC, double frequencyHz) {
    return static_cast<float>(lengthM * coefficient * tempVarC * frequencyHz / kHzPerGHz);
}

int GetCableFVInterpType(const CableInfo* cable, int code, int* type) {
    return kTables.getInterpType(cable, code, type);
}
int GetCableFVNumPairs(const CableInfo* cable, int code, int* n) {
    return kTables.getNumPairs(cable, code, n);
}
int GetCableFVFreq(const CableInfo* cable, int code, int index, double* frequencyHz) {
    return kTables.getFreq(cable, code, index, frequencyHz);
}
int GetCableFVValueAt(const CableInfo* cable, int code, int index, float* value) {
    return kTables.getValueAt(cable, code, index, value);
}
int GetCableFVValue(const CableInfo* cable, int code, double frequencyHz, float* value) {
    return kTables.getValue(cable, code, frequencyHz, value);
}
int SetCableFVInterpType(CableInfo* cable, int code, int type) {
    return kTables.setInterpType(cable, code, type);
}
int SetCableFVNumPairs(CableInfo* cable, int code, int n) {
    return kTables.setNumPairs(cable, code, n);
}
int SetCableFVFreq(CableInfo* cable, int code, int index, double frequencyHz) {
    return kTables.setFreq(cable, code, index, frequencyHz);
}
int SetCableFVValueAt(CableInfo* cable, int code, int index, float value) {
    return kTables.setValueAt(cable, code, index, value);
}

} // namespace tolvane
