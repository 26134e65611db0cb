#include "components/connector.h"

#include "components/fv_table_set.h"
#include "core/component_lists.h"

#include <new>

namespace tolvane {
namespace {

constexpr NumberedText kRoutines[] = {
    {kRoutineCreateConnInfo, "CreateConnInfo: "}, {kRoutineDestroyConnInfo, "DestroyConnInfo: "},
    {kRoutineGetConnParam, "GetConnParam: "},     {kRoutineSetConnParam, "SetConnParam: "},
    {kRoutineCopyConnInfo, "CopyConnInfo: "},     {kRoutineFindConnInfo, "FindConnInfo: "},
};

constexpr NumberedText kMessages[] = {
    {kMsgNullInfo, "NULL info pointer."},
    {kMsgAllocation, "error allocating memory."},
    {kMsgUnknownParameter, "unknown parameter."},
    {kMsgNullParameter, "NULL parameter pointer."},
    {kMsgNullPointer, "NULL pointer."},
    {kConnMsgCalledRoutine, "Error in a called routine."},
    {kConnMsgNotFound, "a connector of the chosen type does not exist."},
};

constexpr FVTableSet<ConnInfo, 2> kTables{{&ConnInfo::RCnTm, &ConnInfo::RCnRm}, &ReportConnError};

int Fail(std::uint32_t message, std::uint32_t routine) {
    ReportConnError(MakeErrorCode(message, routine));
    return 0;
}

} // namespace

void ReportConnError(ErrorCode code) {
    ReportModuleError({kRoutines, kMessages}, code);
}

ConnInfo* CreateConnInfo() {
    auto* conn = new (std::nothrow) ConnInfo;
    if (conn == nullptr) {
        Fail(kMsgAllocation, kRoutineCreateConnInfo);
        return nullptr;
    }
    kTables.create(conn);
    return conn;
}

int DestroyConnInfo(ConnInfo* conn) {
    if (conn == nullptr) return Fail(kMsgNullInfo, kRoutineDestroyConnInfo);
    delete conn; // its tables go with it
    return 1;
}

void DeallocateConnArrays(ConnInfo* conn) {
    if (conn != nullptr) kTables.destroy(conn);
}

int GetConnName(const ConnInfo* conn, char* buffer, int length) {
    if (conn == nullptr) return Fail(kMsgNullInfo, kRoutineGetConnParam);
    if (buffer == nullptr) return Fail(kMsgNullParameter, kRoutineGetConnParam);
    CopyRecordName(conn->name, buffer, length);
    return 1;
}

int SetConnName(ConnInfo* conn, const char* name) {
    if (conn == nullptr) return Fail(kMsgNullInfo, kRoutineSetConnParam);
    if (name == nullptr) return Fail(kMsgNullParameter, kRoutineSetConnParam);
    StoreRecordName(conn->name, name);
    return 1;
}

int CopyConnInfo(const ConnInfo* source, ConnInfo* destination) {
    if (source == nullptr || destination == nullptr)
        return Fail(kMsgNullInfo, kRoutineCopyConnInfo);
    RecordName name{};
    const bool copied = kTables.copy(source, destination) &&
                        GetConnName(source, name.data(), static_cast<int>(name.size())) &&
                        SetConnName(destination, name.data());
    return copied ? 1 : Fail(kConnMsgCalledRoutine, kRoutineCopyConnInfo);
}

ConnInfo* FindConnInfo(const char* name) {
    if (name == nullptr) {
        Fail(kMsgNullPointer, kRoutineFindConnInfo);
        return nullptr;
    }
    ConnInfo* conn = FindRecordByName<ConnInfo>(GlobalComponentLists().connectors, name);
    if (conn == nullptr) Fail(kConnMsgNotFound, kRoutineFindConnInfo);
    return conn;
}

int GetConnFVInterpType(const ConnInfo* conn, int code, int* type) {
    return kTables.getInterpType(conn, code, type);
}
int GetConnFVNumPairs(const ConnInfo* conn, int code, int* n) {
    return kTables.getNumPairs(conn, code, n);
}
int GetConnFVFreq(const ConnInfo* conn, int code, int index, double* frequencyHz) {
    return kTables.getFreq(conn, code, index, frequencyHz);
}
int GetConnFVValueAt(const ConnInfo* conn, int code, int index, float* value) {
    return kTables.getValueAt(conn, code, index, value);
}
int GetConnFVValue(const ConnInfo* conn, int code, double frequencyHz, float* value) {
    return kTables.getValue(conn, code, frequencyHz, value);
}
int SetConnFVInterpType(ConnInfo* conn, int code, int type) {
    return kTables.setInterpType(conn, code, type);
}
int SetConnFVNumPairs(ConnInfo* conn, int code, int n) {
    return kTables.setNumPairs(conn, code, n);
}
int SetConnFVFreq(ConnInfo* conn, int code, int index, double frequencyHz) {
    return kTables.setFreq(conn, code, index, frequencyHz);
}
int SetConnFVValueAt(ConnInfo* conn, int code, int index, float value) {
    return kTables.setValueAt(conn, code, index, value);
}

} // namespace tolvane
