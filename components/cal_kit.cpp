#include "components/cal_kit.h"

#include "components/fv_table_set.h"
#include "core/component_lists.h"

#include <new>

namespace tolvane {
namespace {

constexpr NumberedText kRoutines[] = {
    {kRoutineCreateCalInfo, "CreateCalInfo: "}, {kRoutineDestroyCalInfo, "DestroyCalInfo: "},
    {kRoutineGetCalParam, "GetCalParam: "},     {kRoutineSetCalParam, "SetCalParam: "},
    {kRoutineCopyCalInfo, "CopyCalInfo: "},     {kRoutineFindCalInfo, "FindCalInfo: "},
};

constexpr NumberedText kMessages[] = {
    {kMsgNullInfo, "NULL info pointer."},
    {kMsgAllocation, "error allocating memory."},
    {kMsgUnknownParameter, "unknown parameter."},
    {kMsgNullParameter, "NULL parameter pointer."},
    {kMsgNullPointer, "NULL pointer."},
    {kCalMsgCalledRoutine, "Error in a called routine."},
    {kCalMsgNotFound, "a calibration of the chosen type does not exist."},
};

int Fail(std::uint32_t message, std::uint32_t routine) {
    ReportCalError(MakeErrorCode(message, routine));
    return 0;
}

constexpr FVTableSet<CalInfo, 6> kTables{
    {&CalInfo::CDr, &CalInfo::CSm, &CalInfo::CRt, &CalInfo::CXt, &CalInfo::CLm, &CalInfo::CTt},
    &ReportCalError};

int GetName(const CalInfo* cal, RecordName CalInfo::*field, char* buffer, int length) {
    if (cal == nullptr) return Fail(kMsgNullInfo, kRoutineGetCalParam);
    if (buffer == nullptr) return Fail(kMsgNullParameter, kRoutineGetCalParam);
    CopyRecordName(cal->*field, buffer, length);
    return 1;
}

int SetName(CalInfo* cal, RecordName CalInfo::*field, const char* name) {
    if (cal == nullptr) return Fail(kMsgNullInfo, kRoutineSetCalParam);
    if (name == nullptr) return Fail(kMsgNullParameter, kRoutineSetCalParam);
    StoreRecordName(cal->*field, name);
    return 1;
}

} // namespace

void ReportCalError(ErrorCode code) {
    ReportModuleError({kRoutines, kMessages}, code);
}

CalInfo* CreateCalInfo() {
    auto* cal = new (std::nothrow) CalInfo;
    if (cal == nullptr) {
        Fail(kMsgAllocation, kRoutineCreateCalInfo);
        return nullptr;
    }
    kTables.create(cal);
    return cal;
}

int DestroyCalInfo(CalInfo* cal) {
    if (cal == nullptr) return Fail(kMsgNullInfo, kRoutineDestroyCalInfo);
    delete cal; // its tables go with it
    return 1;
}

void DeallocateCalArrays(CalInfo* cal) {
    if (cal != nullptr) kTables.destroy(cal);
}

int GetCalName(const CalInfo* cal, char* buffer, int length) {
    return GetName(cal, &CalInfo::name, buffer, length);
}

int GetCalConnName(const CalInfo* cal, char* buffer, int length) {
    return GetName(cal, &CalInfo::connName, buffer, length);
}

int SetCalName(CalInfo* cal, const char* name) {
    return SetName(cal, &CalInfo::name, name);
}

int SetCalConnName(CalInfo* cal, const char* connName) {
    return SetName(cal, &CalInfo::connName, connName);
}

int CopyCalInfo(const CalInfo* source, CalInfo* destination) {
    if (source == nullptr || destination == nullptr) return Fail(kMsgNullInfo, kRoutineCopyCalInfo);
    RecordName name{};
    RecordName connName{};
    const int length = static_cast<int>(name.size());
    const bool copied =
        kTables.copy(source, destination) && GetCalName(source, name.data(), length) &&
        SetCalName(destination, name.data()) && GetCalConnName(source, connName.data(), length) &&
        SetCalConnName(destination, connName.data());
    return copied ? 1 : Fail(kCalMsgCalledRoutine, kRoutineCopyCalInfo);
}

CalInfo* FindCalInfo(const char* name) {
    if (name == nullptr) {
        Fail(kMsgNullPointer, kRoutineFindCalInfo);
        return nullptr;
    }
    CalInfo* cal = FindRecordByName<CalInfo>(GlobalComponentLists().calKits, name);
    if (cal == nullptr) Fail(kCalMsgNotFound, kRoutineFindCalInfo);
    return cal;
}

int GetCalFVInterpType(const CalInfo* cal, int code, int* type) {
    return kTables.getInterpType(cal, code, type);
}
int GetCalFVNumPairs(const CalInfo* cal, int code, int* n) {
    return kTables.getNumPairs(cal, code, n);
}
int GetCalFVFreq(const CalInfo* cal, int code, int index, double* frequencyHz) {
    return kTables.getFreq(cal, code, index, frequencyHz);
}
int GetCalFVValueAt(const CalInfo* cal, int code, int index, float* value) {
    return kTables.getValueAt(cal, code, index, value);
}
int GetCalFVValue(const CalInfo* cal, int code, double frequencyHz, float* value) {
    return kTables.getValue(cal, code, frequencyHz, value);
}
int SetCalFVInterpType(CalInfo* cal, int code, int type) {
    return kTables.setInterpType(cal, code, type);
}
int SetCalFVNumPairs(CalInfo* cal, int code, int n) {
    return kTables.setNumPairs(cal, code, n);
}
int SetCalFVFreq(CalInfo* cal, int code, int index, double frequencyHz) {
    return kTables.setFreq(cal, code, index, frequencyHz);
}
int SetCalFVValueAt(CalInfo* cal, int code, int index, float value) {
    return kTables.setValueAt(cal, code, index, value);
}

} // namespace tolvane
