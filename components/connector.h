#pragma once

#include "core/error_report.h"
#include "core/fv_table.h"
#include "core/owned.h"
#include "core/record_name.h"

namespace tolvane {

/// Table codes of a connector's two repeatability tables.
enum ConnTableCode : int {
    kConnRCnTm = 1, ///< repeatability, transmission magnitude, dB
    kConnRCnRm = 2, ///< repeatability, reflection magnitude, dB
};

/// A connector type of the component database. The record owns both tables.
struct ConnInfo {
    ConnInfo() = default;
    ConnInfo(const ConnInfo&) = delete;
    ConnInfo& operator=(const ConnInfo&) = delete;

    Owned<FVInfo> RCnTm; ///< table code 1
    Owned<FVInfo> RCnRm; ///< table code 2
    RecordName name{};   ///< the key of FindConnInfo
};

/// Routine numbers of the connector module's reporter.
enum ConnRoutine : std::uint32_t {
    kRoutineCreateConnInfo = kRoutineCreate,
    kRoutineDestroyConnInfo = kRoutineDestroy,
    kRoutineGetConnParam = kRoutineGet,
    kRoutineSetConnParam = kRoutineSet,
    kRoutineCopyConnInfo = 6,
    kRoutineFindConnInfo = 7,
};

/// Message numbers of the connector module beyond the common ones.
enum ConnMessage : std::uint32_t {
    kConnMsgCalledRoutine = 0x06, ///< "Error in a called routine."
    kConnMsgNotFound = 0x07,      ///< "a connector of the chosen type does not exist."
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first.
/// A record with both tables created (empty, linear) in code order and an empty name; null after
/// reporting when the record itself cannot be allocated. A table that cannot be created is null.
[[nodiscard]] ConnInfo* CreateConnInfo();
int DestroyConnInfo(ConnInfo* conn);
inline void DestroyRecord(ConnInfo* conn) {
    (void)DestroyConnInfo(conn);
}
/// Destroys both tables and nulls them; silent, a null record is ignored.
void DeallocateConnArrays(ConnInfo* conn);

/// Copies the name into `buffer` of `length` characters, always terminated.
[[nodiscard]] int GetConnName(const ConnInfo* conn, char* buffer, int length);
/// Keeps at most 127 characters of `name`.
[[nodiscard]] int SetConnName(ConnInfo* conn, const char* name);

/// Copies both tables, then the name; stops at the first failure, leaving `destination` partly
/// copied.
[[nodiscard]] int CopyConnInfo(const ConnInfo* source, ConnInfo* destination);
/// The first record of GlobalComponentLists().connectors whose name equals `name` exactly (case
/// counts); null after reporting when there is none. The record stays the list's.
[[nodiscard]] ConnInfo* FindConnInfo(const char* name);

// The tables by table code (kConnRCnTm, kConnRCnRm). These report only a null record and an
// unknown code; every other check is the table's own.
[[nodiscard]] int GetConnFVInterpType(const ConnInfo* conn, int code, int* type);
[[nodiscard]] int GetConnFVNumPairs(const ConnInfo* conn, int code, int* n);
[[nodiscard]] int GetConnFVFreq(const ConnInfo* conn, int code, int index, double* frequencyHz);
[[nodiscard]] int GetConnFVValueAt(const ConnInfo* conn, int code, int index, float* value);
[[nodiscard]] int GetConnFVValue(const ConnInfo* conn, int code, double frequencyHz, float* value);
[[nodiscard]] int SetConnFVInterpType(ConnInfo* conn, int code, int type);
[[nodiscard]] int SetConnFVNumPairs(ConnInfo* conn, int code, int n);
[[nodiscard]] int SetConnFVFreq(ConnInfo* conn, int code, int index, double frequencyHz);
[[nodiscard]] int SetConnFVValueAt(ConnInfo* conn, int code, int index, float value);

void ReportConnError(ErrorCode code);

} // namespace tolvane
