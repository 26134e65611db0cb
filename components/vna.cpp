#include "components/vna.h"

#include "core/component_lists.h"

#include <cstddef>
#include <new>

namespace tolvane {
namespace {

enum VNARoutine : std::uint32_t {
    kRoutineCopyVNA = 6,
    kRoutineFindVNA = 7,
};

enum VNAMessage : std::uint32_t {
    kVNAMsgCalledRoutine = 6,
    kVNAMsgNotFound = 7,
    kVNAMsgIFBWIndex = 8,
    kVNAMsgSweepTimeConstant = 9,
};

constexpr NumberedText kRoutineTexts[] = {
    {kRoutineCreate, "CreateVNAInfo: "},
    {kRoutineDestroy, "DestroyVNAInfo: "},
    {kRoutineDeallocate, "DeallocateVNAArrays: "},
    {kRoutineGet, "GetVNAParam: "},
    {kRoutineSet, "SetVNAParam: "},
    {kRoutineCopyVNA, "CopyVNAInfo: "},
    {kRoutineFindVNA, "FindVNAInfo: "},
};

constexpr NumberedText kMessageTexts[] = {
    {kMsgNullInfo, "NULL info pointer."},
    {kMsgAllocation, "error allocating memory."},
    {kMsgUnknownParameter, "unknown parameter."},
    {kMsgNullParameter, "NULL parameter pointer."},
    {kMsgNullPointer, "NULL pointer."},
    {kVNAMsgCalledRoutine, "Error in a called routine."},
    {kVNAMsgNotFound, "a VNA of the chosen type does not exist."},
    {kVNAMsgIFBWIndex, "invalid IF bandwidth list index."},
    {kVNAMsgSweepTimeConstant, "invalid sweep time constant."},
};

int Fail(std::uint32_t message, std::uint32_t routine) {
    ReportVNAError(MakeErrorCode(message, routine));
    return 0;
}

template <typename Value> int GetField(const VNAInfo* vna, Value VNAInfo::*field, Value* out) {
    if (vna == nullptr) return Fail(kMsgNullInfo, kRoutineGet);
    if (out == nullptr) return Fail(kMsgNullParameter, kRoutineGet);
    *out = vna->*field;
    return 1;
}

template <typename Value> int SetField(VNAInfo* vna, Value VNAInfo::*field, Value value) {
    if (vna == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    vna->*field = value;
    return 1;
}

// Forwards `operation` to the selected table; the table reports its own failures.
template <typename Record, typename Operation>
int ForwardFV(Record* vna, int code, std::uint32_t routine, Operation operation) {
    if (vna == nullptr) return Fail(kMsgNullInfo, routine);
    if (code != kVNATableSSr && code != kVNATableNRc) return Fail(kMsgUnknownParameter, routine);
    return operation(code == kVNATableSSr ? vna->ssr : vna->nrc);
}

template <typename Record, typename Operation>
int ForwardPV(Record* vna, int code, std::uint32_t routine, Operation operation) {
    if (vna == nullptr) return Fail(kMsgNullInfo, routine);
    if (code != kVNATableSRc) return Fail(kMsgUnknownParameter, routine);
    return operation(vna->src);
}

// Appends to the record's list; false when the list cannot grow.
bool AppendIFBandwidth(VNAInfo* vna, float ifBandwidthHz) {
    try {
        vna->ifBandwidthsHz.push_back(ifBandwidthHz);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace

void ReportVNAError(ErrorCode code) {
    ReportModuleError({kRoutineTexts, kMessageTexts}, code);
}

VNAInfo* CreateVNAInfo() {
    auto* vna = new (std::nothrow) VNAInfo;
    if (vna == nullptr) {
        Fail(kMsgAllocation, kRoutineCreate);
        return nullptr;
    }
    // A table that cannot be created has reported itself and stays null.
    vna->ssr.reset(CreateFVInfo());
    vna->src.reset(CreatePVInfo());
    vna->nrc.reset(CreateFVInfo());
    return vna;
}

int DestroyVNAInfo(VNAInfo* vna) {
    if (vna == nullptr) return Fail(kMsgNullInfo, kRoutineDestroy);
    delete vna; // its tables go with it
    return 1;
}

void DeallocateVNAArrays(VNAInfo* vna) {
    if (vna == nullptr) return;
    std::vector<float>().swap(vna->ifBandwidthsHz);
    vna->ssr.reset();
    vna->src.reset();
    vna->nrc.reset();
}

int CopyVNAInfo(const VNAInfo* source, VNAInfo* destination) {
    if (source == nullptr || destination == nullptr) return Fail(kMsgNullInfo, kRoutineCopyVNA);
    // Copying a record onto itself would first empty its tables; there is nothing to copy.
    if (source == destination) return 1;

    if (CopyFVInfo(source->ssr, destination->ssr) == 0 ||
        CopyPVInfo(source->src, destination->src) == 0 ||
        CopyFVInfo(source->nrc, destination->nrc) == 0)
        return Fail(kVNAMsgCalledRoutine, kRoutineCopyVNA);
    destination->name = source->name;
    destination->nrcAverages = source->nrcAverages;
    destination->nrcIfBandwidthHz = source->nrcIfBandwidthHz;
    destination->minPowerDbm = source->minPowerDbm;
    destination->maxPowerDbm = source->maxPowerDbm;

    // Entries the destination already lists stay in front; one that cannot be allocated is
    // skipped.
    for (const float ifBandwidthHz : source->ifBandwidthsHz)
        (void)AppendIFBandwidth(destination, ifBandwidthHz);
    return 1;
}

VNAInfo* FindVNAInfo(const char* name) {
    if (name == nullptr) {
        Fail(kMsgNullPointer, kRoutineFindVNA);
        return nullptr;
    }
    const InfoList* list = GlobalComponentLists().vnas;
    const int count = GetInfoListCount(list);
    for (int i = 0; i < count; ++i) {
        auto* vna = GetInfoListRecord<VNAInfo>(list, i);
        if (vna != nullptr && RecordNameEquals(vna->name, name)) return vna;
    }
    Fail(kVNAMsgNotFound, kRoutineFindVNA);
    return nullptr;
}

int GetVNAName(const VNAInfo* vna, char* buffer, int length) {
    if (vna == nullptr) return Fail(kMsgNullInfo, kRoutineGet);
    if (buffer == nullptr) return Fail(kMsgNullParameter, kRoutineGet);
    CopyRecordName(vna->name, buffer, length);
    return 1;
}

int SetVNAName(VNAInfo* vna, const char* name) {
    if (vna == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    if (name == nullptr) return Fail(kMsgNullParameter, kRoutineSet);
    StoreRecordName(vna->name, name);
    return 1;
}

int GetVNANRcAverages(const VNAInfo* vna, int* averages) {
    return GetField(vna, &VNAInfo::nrcAverages, averages);
}
int SetVNANRcAverages(VNAInfo* vna, int averages) {
    return SetField(vna, &VNAInfo::nrcAverages, averages);
}
int GetVNANRcIFBW(const VNAInfo* vna, float* ifBandwidthHz) {
    return GetField(vna, &VNAInfo::nrcIfBandwidthHz, ifBandwidthHz);
}
int SetVNANRcIFBW(VNAInfo* vna, float ifBandwidthHz) {
    return SetField(vna, &VNAInfo::nrcIfBandwidthHz, ifBandwidthHz);
}
int GetVNAMinPower(const VNAInfo* vna, float* powerDbm) {
    return GetField(vna, &VNAInfo::minPowerDbm, powerDbm);
}
int SetVNAMinPower(VNAInfo* vna, float powerDbm) {
    return SetField(vna, &VNAInfo::minPowerDbm, powerDbm);
}
int GetVNAMaxPower(const VNAInfo* vna, float* powerDbm) {
    return GetField(vna, &VNAInfo::maxPowerDbm, powerDbm);
}
int SetVNAMaxPower(VNAInfo* vna, float powerDbm) {
    return SetField(vna, &VNAInfo::maxPowerDbm, powerDbm);
}
int GetVNADefaultPower(const VNAInfo* vna, float* powerDbm) {
    return GetField(vna, &VNAInfo::defaultPowerDbm, powerDbm);
}
int SetVNADefaultPower(VNAInfo* vna, float powerDbm) {
    return SetField(vna, &VNAInfo::defaultPowerDbm, powerDbm);
}

int GetVNASweepSettlingFactor(const VNAInfo* vna, float* factor) {
    return GetField(vna, &VNAInfo::sweepSettlingFactor, factor);
}
int SetVNASweepSettlingFactor(VNAInfo* vna, float factor) {
    if (vna != nullptr && !(factor > 0.0f)) return Fail(kVNAMsgSweepTimeConstant, kRoutineSet);
    return SetField(vna, &VNAInfo::sweepSettlingFactor, factor);
}
int GetVNASweepPointOverhead(const VNAInfo* vna, float* overheadUs) {
    return GetField(vna, &VNAInfo::sweepPointOverheadUs, overheadUs);
}
int SetVNASweepPointOverhead(VNAInfo* vna, float overheadUs) {
    if (vna != nullptr && !(overheadUs >= 0.0f)) return Fail(kVNAMsgSweepTimeConstant, kRoutineSet);
    return SetField(vna, &VNAInfo::sweepPointOverheadUs, overheadUs);
}

int GetVNANumIFBWs(const VNAInfo* vna, int* count) {
    if (vna == nullptr) return Fail(kMsgNullInfo, kRoutineGet);
    if (count == nullptr) return Fail(kMsgNullParameter, kRoutineGet);
    *count = static_cast<int>(vna->ifBandwidthsHz.size());
    return 1;
}

int GetVNAIFBW(const VNAInfo* vna, int index, float* ifBandwidthHz) {
    if (vna == nullptr) return Fail(kMsgNullInfo, kRoutineGet);
    if (ifBandwidthHz == nullptr) return Fail(kMsgNullParameter, kRoutineGet);
    if (index < 0 || static_cast<std::size_t>(index) >= vna->ifBandwidthsHz.size())
        return Fail(kVNAMsgIFBWIndex, kRoutineGet);
    *ifBandwidthHz = vna->ifBandwidthsHz[static_cast<std::size_t>(index)];
    return 1;
}

int AddVNAIFBW(VNAInfo* vna, float ifBandwidthHz) {
    if (vna == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    if (!AppendIFBandwidth(vna, ifBandwidthHz)) return Fail(kMsgAllocation, kRoutineSet);
    return 1;
}

int ClearVNAIFBWs(VNAInfo* vna) {
    if (vna == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    vna->ifBandwidthsHz.clear();
    return 1;
}

int GetVNAFVInterpType(const VNAInfo* vna, int code, int* type) {
    return ForwardFV(vna, code, kRoutineGet,
                     [&](const FVInfo* table) { return GetFVInterpType(table, type); });
}
int GetVNAFVNumPairs(const VNAInfo* vna, int code, int* n) {
    return ForwardFV(vna, code, kRoutineGet,
                     [&](const FVInfo* table) { return GetFVNumPairs(table, n); });
}
int GetVNAFVFreq(const VNAInfo* vna, int code, int index, double* frequencyHz) {
    return ForwardFV(vna, code, kRoutineGet,
                     [&](const FVInfo* table) { return GetFVFreq(table, index, frequencyHz); });
}
int GetVNAFVValueAt(const VNAInfo* vna, int code, int index, float* value) {
    return ForwardFV(vna, code, kRoutineGet,
                     [&](const FVInfo* table) { return GetFVValueAt(table, index, value); });
}
int GetVNAFVValue(const VNAInfo* vna, int code, double frequencyHz, float* value) {
    return ForwardFV(vna, code, kRoutineGet,
                     [&](const FVInfo* table) { return GetFVValue(table, frequencyHz, value); });
}
int SetVNAFVInterpType(VNAInfo* vna, int code, int type) {
    return ForwardFV(vna, code, kRoutineSet,
                     [&](FVInfo* table) { return SetFVInterpType(table, type); });
}
int SetVNAFVNumPairs(VNAInfo* vna, int code, int n) {
    return ForwardFV(vna, code, kRoutineSet,
                     [&](FVInfo* table) { return SetFVNumPairs(table, n); });
}
int SetVNAFVFreq(VNAInfo* vna, int code, int index, double frequencyHz) {
    return ForwardFV(vna, code, kRoutineSet,
                     [&](FVInfo* table) { return SetFVFreq(table, index, frequencyHz); });
}
int SetVNAFVValueAt(VNAInfo* vna, int code, int index, float value) {
    return ForwardFV(vna, code, kRoutineSet,
                     [&](FVInfo* table) { return SetFVValueAt(table, index, value); });
}

int GetVNAPVInterpType(const VNAInfo* vna, int code, int* type) {
    return ForwardPV(vna, code, kRoutineGet,
                     [&](const PVInfo* table) { return GetPVInterpType(table, type); });
}
int GetVNAPVNumPairs(const VNAInfo* vna, int code, int* n) {
    return ForwardPV(vna, code, kRoutineGet,
                     [&](const PVInfo* table) { return GetPVNumPairs(table, n); });
}
int GetVNAPVPower(const VNAInfo* vna, int code, int index, float* powerDbm) {
    return ForwardPV(vna, code, kRoutineGet,
                     [&](const PVInfo* table) { return GetPVPower(table, index, powerDbm); });
}
int GetVNAPVValueAt(const VNAInfo* vna, int code, int index, float* value) {
    return ForwardPV(vna, code, kRoutineGet,
                     [&](const PVInfo* table) { return GetPVValueAt(table, index, value); });
}
int GetVNAPVValue(const VNAInfo* vna, int code, float powerDbm, float* value) {
    return ForwardPV(vna, code, kRoutineGet,
                     [&](const PVInfo* table) { return GetPVValue(table, powerDbm, value); });
}
int SetVNAPVInterpType(VNAInfo* vna, int code, int type) {
    return ForwardPV(vna, code, kRoutineSet,
                     [&](PVInfo* table) { return SetPVInterpType(table, type); });
}
int SetVNAPVNumPairs(VNAInfo* vna, int code, int n) {
    return ForwardPV(vna, code, kRoutineSet,
                     [&](PVInfo* table) { return SetPVNumPairs(table, n); });
}
int SetVNAPVPower(VNAInfo* vna, int code, int index, float powerDbm) {
    return ForwardPV(vna, code, kRoutineSet,
                     [&](PVInfo* table) { return SetPVPower(table, index, powerDbm); });
}
int SetVNAPVValueAt(VNAInfo* vna, int code, int index, float value) {
    return ForwardPV(vna, code, kRoutineSet,
                     [&](PVInfo* table) { return SetPVValueAt(table, index, value); });
}

} // namespace tolvane
