#include "components/dielectric.h"

#include <new>

namespace tolvane {
namespace {

constexpr NumberedText kRoutines[] = {
    {kRoutineCreateDielInfo, "CreateDielInfo: "},
    {kRoutineDestroyDielInfo, "DestroyDielInfo: "},
    {kRoutineGetDielParam, "GetDielParam: "},
    {kRoutineSetDielParam, "SetDielParam: "},
};

constexpr NumberedText kMessages[] = {
    {kMsgNullInfo, "NULL info pointer."},         {kMsgAllocation, "error allocating memory."},
    {kMsgUnknownParameter, "unknown parameter."}, {kMsgNullParameter, "NULL parameter pointer."},
    {kMsgNullPointer, "NULL pointer."},
};

int Fail(std::uint32_t message, std::uint32_t routine) {
    ReportDielError(MakeErrorCode(message, routine));
    return 0;
}

int GetCoef(const DielInfo* diel, float DielInfo::*field, float* coef) {
    if (diel == nullptr) return Fail(kMsgNullInfo, kRoutineGetDielParam);
    if (coef == nullptr) return Fail(kMsgNullParameter, kRoutineGetDielParam);
    *coef = diel->*field;
    return 1;
}

int SetCoef(DielInfo* diel, float DielInfo::*field, float coef) {
    if (diel == nullptr) return Fail(kMsgNullInfo, kRoutineSetDielParam);
    diel->*field = coef;
    return 1;
}

} // namespace

void ReportDielError(ErrorCode code) {
    ReportModuleError({kRoutines, kMessages}, code);
}

DielInfo* CreateDielInfo() {
    auto* diel = new (std::nothrow) DielInfo;
    if (diel == nullptr) Fail(kMsgAllocation, kRoutineCreateDielInfo);
    return diel;
}

int DestroyDielInfo(DielInfo* diel) {
    if (diel == nullptr) return Fail(kMsgNullInfo, kRoutineDestroyDielInfo);
    delete diel;
    return 1;
}

int GetDielName(const DielInfo* diel, char* buffer, int length) {
    if (diel == nullptr) return Fail(kMsgNullInfo, kRoutineGetDielParam);
    if (buffer == nullptr) return Fail(kMsgNullParameter, kRoutineGetDielParam);
    CopyRecordName(diel->name, buffer, length);
    return 1;
}

int GetDielMagCoef(const DielInfo* diel, float* coef) {
    return GetCoef(diel, &DielInfo::magCoef, coef);
}

int GetDielPhaseCoef(const DielInfo* diel, float* coef) {
    return GetCoef(diel, &DielInfo::phaseCoef, coef);
}

int SetDielName(DielInfo* diel, const char* name) {
    if (diel == nullptr) return Fail(kMsgNullInfo, kRoutineSetDielParam);
    if (name == nullptr) return Fail(kMsgNullParameter, kRoutineSetDielParam);
    StoreRecordName(diel->name, name);
    return 1;
}

int SetDielMagCoef(DielInfo* diel, float coef) {
    return SetCoef(diel, &DielInfo::magCoef, coef);
}

int SetDielPhaseCoef(DielInfo* diel, float coef) {
    return SetCoef(diel, &DielInfo::phaseCoef, coef);
}

} // namespace tolvane
