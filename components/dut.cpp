#include "components/dut.h"

#include <new>

namespace tolvane {
namespace {

// This module owns no arrays, so its routine numbers run on without a Deallocate routine.
enum DUTRoutine : std::uint32_t {
    kRoutineCreateDUT = 1,
    kRoutineDestroyDUT = 2,
    kRoutineGetDUT = 3,
    kRoutineSetDUT = 4,
    kRoutineCopyDUT = 5,
};

enum DUTMessage : std::uint32_t {
    kDUTMsgType = 6,
    kDUTMsgIndex = 7,
    kDUTMsgNumValues = 8,
};

constexpr NumberedText kRoutineTexts[] = {
    {kRoutineCreateDUT, "CreateDUTInfo: "}, {kRoutineDestroyDUT, "DestroyDUTInfo: "},
    {kRoutineGetDUT, "GetDUTParam: "},      {kRoutineSetDUT, "SetDUTParam: "},
    {kRoutineCopyDUT, "CopyDUTInfo: "},
};

constexpr NumberedText kMessageTexts[] = {
    {kMsgNullInfo, "NULL info pointer."},
    {kMsgAllocation, "error allocating memory."},
    {kMsgNullParameter, "NULL parameter pointer."},
    {kDUTMsgType, "invalid DUT type."},
    {kDUTMsgIndex, "invalid index."},
    {kDUTMsgNumValues, "invalid number of values."},
};

int Fail(std::uint32_t message, std::uint32_t routine) {
    ReportDUTError(MakeErrorCode(message, routine));
    return 0;
}

bool IsDUTType(int type) {
    return type == DUT_REFLECTION_ONLY || type == DUT_TRANSMISSION_ONLY || type == DUT_USER_DEFINED;
}

template <typename Value> int GetField(const DUTInfo* dut, Value DUTInfo::*field, Value* out) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineGetDUT);
    if (out == nullptr) return Fail(kMsgNullParameter, kRoutineGetDUT);
    *out = dut->*field;
    return 1;
}

template <typename Value> int SetField(DUTInfo* dut, Value DUTInfo::*field, Value value) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineSetDUT);
    dut->*field = value;
    return 1;
}

// A level below the floor stands for no signal and is stored as the floor.
int SetFlooredLevel(DUTInfo* dut, float DUTInfo::*field, float valueDb) {
    return SetField(dut, field, valueDb < kDUTFloorDb ? kDUTFloorDb : valueDb);
}

int SetNumValues(DUTInfo* dut, int DUTInfo::*field, int n) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineSetDUT);
    if (n <= 0) return Fail(kDUTMsgNumValues, kRoutineSetDUT);
    dut->*field = n;
    return 1;
}

// Value k of a sweep of n values from minDb to maxDb. The step and the value are each evaluated in
// double precision and rounded once to single precision.
float SweepValue(float minDb, float maxDb, int n, int k) {
    const float step =
        n == 1 ? 0.0f : static_cast<float>((double{maxDb} - double{minDb}) / (n - 1.0));
    return static_cast<float>(double{minDb} + static_cast<double>(k) * double{step});
}

} // namespace

void ReportDUTError(ErrorCode code) {
    ReportModuleError({kRoutineTexts, kMessageTexts}, code);
}

DUTInfo* CreateDUTInfo() {
    auto* dut = new (std::nothrow) DUTInfo;
    if (dut == nullptr) Fail(kMsgAllocation, kRoutineCreateDUT);
    return dut;
}

int DestroyDUTInfo(DUTInfo* dut) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineDestroyDUT);
    delete dut;
    return 1;
}

int CopyDUTInfo(const DUTInfo* source, DUTInfo* destination) {
    if (source == nullptr || destination == nullptr) return Fail(kMsgNullInfo, kRoutineCopyDUT);
    *destination = *source;
    return 1;
}

int GetDUTType(const DUTInfo* dut, int* type) {
    return GetField(dut, &DUTInfo::type, type);
}
int GetDUTReflNumValues(const DUTInfo* dut, int* n) {
    return GetField(dut, &DUTInfo::reflNumValues, n);
}
int GetDUTTransNumValues(const DUTInfo* dut, int* n) {
    return GetField(dut, &DUTInfo::transNumValues, n);
}
int GetDUTReflMin(const DUTInfo* dut, float* valueDb) {
    return GetField(dut, &DUTInfo::reflMinDb, valueDb);
}
int GetDUTReflMax(const DUTInfo* dut, float* valueDb) {
    return GetField(dut, &DUTInfo::reflMaxDb, valueDb);
}
int GetDUTTransMin(const DUTInfo* dut, float* valueDb) {
    return GetField(dut, &DUTInfo::transMinDb, valueDb);
}
int GetDUTTransMax(const DUTInfo* dut, float* valueDb) {
    return GetField(dut, &DUTInfo::transMaxDb, valueDb);
}
int GetDUTReverseTrans(const DUTInfo* dut, float* valueDb) {
    return GetField(dut, &DUTInfo::reverseTransDb, valueDb);
}
int GetDUTReverseTransSaved(const DUTInfo* dut, float* valueDb) {
    return GetField(dut, &DUTInfo::reverseTransSavedDb, valueDb);
}
int GetDUTReciprocal(const DUTInfo* dut, int* reciprocal) {
    return GetField(dut, &DUTInfo::reciprocal, reciprocal);
}
int GetDUTFreqSweep(const DUTInfo* dut, int* sweep) {
    return GetField(dut, &DUTInfo::freqSweep, sweep);
}

int GetDUTUserValues(const DUTInfo* dut, float* s11Db, float* s12Db, float* s21Db, float* s22Db,
                     float* startGHz, float* stopGHz, int* points) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineGetDUT);
    if (s11Db == nullptr || s12Db == nullptr || s21Db == nullptr || s22Db == nullptr ||
        startGHz == nullptr || stopGHz == nullptr || points == nullptr)
        return Fail(kMsgNullParameter, kRoutineGetDUT);
    if (!IsDUTType(dut->type)) return Fail(kDUTMsgType, kRoutineGetDUT);
    *s11Db = dut->userS11Db;
    *s12Db = dut->userS12Db;
    *s21Db = dut->userS21Db;
    *s22Db = dut->userS22Db;
    *startGHz = dut->sweepStartGHz;
    *stopGHz = dut->sweepStopGHz;
    *points = dut->sweepPoints;
    return 1;
}

int GetDUTCoverageFactorArray(const DUTInfo* dut, CoverageFactors* factors) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineGetDUT);
    if (factors == nullptr) return Fail(kMsgNullParameter, kRoutineGetDUT);
    *factors = dut->coverageFactors;
    return 1;
}

int SetDUTCoverageFactorArray(DUTInfo* dut, const CoverageFactors& factors) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineSetDUT);
    dut->coverageFactors = factors;
    return 1;
}

int GetDUTCoverageFactors(const DUTInfo* dut, float* directivity, float* sourceMatch,
                          float* loadMatch, float* reflectionTracking, float* transmissionTracking,
                          float* crosstalk, float* noiseFloor, float* drift,
                          float* connectorRepeatability, float* sourceUncertainty,
                          float* receiverUncertainty, float* kFactor) {
    float* const outs[kNumCoverageFactors] = {
        directivity,         sourceMatch, loadMatch, reflectionTracking,     transmissionTracking,
        crosstalk,           noiseFloor,  drift,     connectorRepeatability, sourceUncertainty,
        receiverUncertainty, kFactor};
    CoverageFactors factors{};
    if (!GetDUTCoverageFactorArray(dut, &factors)) return 0;
    for (float* out : outs)
        if (out == nullptr) return Fail(kMsgNullParameter, kRoutineGetDUT);
    for (std::size_t i = 0; i < factors.size(); ++i)
        *outs[i] = factors[i];
    return 1;
}

int GetDUTSParams(const DUTInfo* dut, int k, float* s11Db, float* s12Db, float* s21Db,
                  float* s22Db) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineGetDUT);
    if (s11Db == nullptr || s12Db == nullptr || s21Db == nullptr || s22Db == nullptr)
        return Fail(kMsgNullParameter, kRoutineGetDUT);
    switch (dut->type) {
    case DUT_REFLECTION_ONLY: {
        if (k < 0 || k >= dut->reflNumValues) return Fail(kDUTMsgIndex, kRoutineGetDUT);
        const float value = SweepValue(dut->reflMinDb, dut->reflMaxDb, dut->reflNumValues, k);
        *s11Db = *s22Db = value;
        *s12Db = *s21Db = kDUTFloorDb;
        return 1;
    }
    case DUT_TRANSMISSION_ONLY: {
        if (k < 0 || k >= dut->transNumValues) return Fail(kDUTMsgIndex, kRoutineGetDUT);
        const float value = SweepValue(dut->transMinDb, dut->transMaxDb, dut->transNumValues, k);
        *s21Db = value;
        *s12Db = dut->reciprocal == 1 ? value : dut->reverseTransDb;
        *s11Db = *s22Db = kDUTFloorDb;
        return 1;
    }
    case DUT_USER_DEFINED:
        *s11Db = dut->userS11Db;
        *s12Db = dut->userS12Db;
        *s21Db = dut->userS21Db;
        *s22Db = dut->userS22Db;
        return 1;
    default:
        return Fail(kDUTMsgType, kRoutineGetDUT);
    }
}

int SetDUTType(DUTInfo* dut, int type) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineSetDUT);
    if (!IsDUTType(type)) return Fail(kDUTMsgType, kRoutineSetDUT);
    dut->type = type;
    return 1;
}

int SetDUTReflNumValues(DUTInfo* dut, int n) {
    return SetNumValues(dut, &DUTInfo::reflNumValues, n);
}
int SetDUTTransNumValues(DUTInfo* dut, int n) {
    return SetNumValues(dut, &DUTInfo::transNumValues, n);
}
int SetDUTReflMin(DUTInfo* dut, float valueDb) {
    return SetFlooredLevel(dut, &DUTInfo::reflMinDb, valueDb);
}
int SetDUTReflMax(DUTInfo* dut, float valueDb) {
    return SetFlooredLevel(dut, &DUTInfo::reflMaxDb, valueDb);
}
int SetDUTTransMin(DUTInfo* dut, float valueDb) {
    return SetFlooredLevel(dut, &DUTInfo::transMinDb, valueDb);
}
int SetDUTTransMax(DUTInfo* dut, float valueDb) {
    return SetFlooredLevel(dut, &DUTInfo::transMaxDb, valueDb);
}
int SetDUTReverseTrans(DUTInfo* dut, float valueDb) {
    return SetFlooredLevel(dut, &DUTInfo::reverseTransDb, valueDb);
}
int SetDUTReverseTransSaved(DUTInfo* dut, float valueDb) {
    return SetFlooredLevel(dut, &DUTInfo::reverseTransSavedDb, valueDb);
}
int SetDUTReciprocal(DUTInfo* dut, int reciprocal) {
    return SetField(dut, &DUTInfo::reciprocal, reciprocal);
}
int SetDUTFreqSweep(DUTInfo* dut, int sweep) {
    return SetField(dut, &DUTInfo::freqSweep, sweep);
}

int SetDUTUserSParams(DUTInfo* dut, float s11Db, float s12Db, float s21Db, float s22Db) {
    if (dut == nullptr) return Fail(kMsgNullInfo, kRoutineSetDUT);
    dut->userS11Db = s11Db;
    dut->userS12Db = s12Db;
    dut->userS21Db = s21Db;
    dut->userS22Db = s22Db;
    return 1;
}

int SetDUTUserValues(DUTInfo* dut, float s11Db, float s12Db, float s21Db, float s22Db,
                     float startGHz, float stopGHz, int points) {
    if (SetDUTUserSParams(dut, s11Db, s12Db, s21Db, s22Db) == 0) return 0;
    dut->sweepStartGHz = startGHz;
    dut->sweepStopGHz = stopGHz;
    dut->sweepPoints = points;
    return 1;
}

int SetDUTCoverageFactors(DUTInfo* dut, float directivity, float sourceMatch, float loadMatch,
                          float reflectionTracking, float transmissionTracking, float crosstalk,
                          float noiseFloor, float drift, float connectorRepeatability,
                          float sourceUncertainty, float receiverUncertainty, float kFactor) {
    return SetDUTCoverageFactorArray(dut, {directivity, sourceMatch, loadMatch, reflectionTracking,
                                           transmissionTracking, crosstalk, noiseFloor, drift,
                                           connectorRepeatability, sourceUncertainty,
                                           receiverUncertainty, kFactor});
}

} // namespace tolvane
