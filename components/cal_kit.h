#pragma once

#include "core/error_report.h"
#include "core/fv_table.h"
#include "core/owned.h"
#include "core/record_name.h"

namespace tolvane {

/// Table codes of a calibration kit's six residual terms, in the order the model file lists them.
enum CalTableCode : int {
    kCalCDr = 1, ///< residual directivity, dB
    kCalCSm = 2, ///< residual source match, dB
    kCalCRt = 3, ///< residual reflection tracking, dB
    kCalCXt = 4, ///< residual crosstalk, dB
    kCalCLm = 5, ///< residual load match, dB
    kCalCTt = 6, ///< residual transmission tracking, dB
};

/// A calibration kit of the component database: its residual error terms after calibration and
/// the connector type it is built for. The record owns its six tables.
struct CalInfo {
    CalInfo() = default;
    CalInfo(const CalInfo&) = delete;
    CalInfo& operator=(const CalInfo&) = delete;

    Owned<FVInfo> CDr;     ///< table code 1
    Owned<FVInfo> CSm;     ///< table code 2
    Owned<FVInfo> CRt;     ///< table code 3
    Owned<FVInfo> CXt;     ///< table code 4
    Owned<FVInfo> CLm;     ///< table code 5
    Owned<FVInfo> CTt;     ///< table code 6
    RecordName name{};     ///< the key of FindCalInfo
    RecordName connName{}; ///< name of the connector type in the connector list
};

/// Routine numbers of the calibration-kit module's reporter.
enum CalRoutine : std::uint32_t {
    kRoutineCreateCalInfo = kRoutineCreate,
    kRoutineDestroyCalInfo = kRoutineDestroy,
    kRoutineGetCalParam = kRoutineGet,
    kRoutineSetCalParam = kRoutineSet,
    kRoutineCopyCalInfo = 6,
    kRoutineFindCalInfo = 7,
};

/// Message numbers of the calibration-kit module beyond the common ones.
enum CalMessage : std::uint32_t {
    kCalMsgCalledRoutine = 0x06, ///< "Error in a called routine."
    kCalMsgNotFound = 0x07,      ///< "a calibration of the chosen type does not exist."
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first.
/// A record with its six tables created (empty, linear) in code order and empty names; null after
/// reporting when the record itself cannot be allocated. A table that cannot be created is null.
[[nodiscard]] CalInfo* CreateCalInfo();
int DestroyCalInfo(CalInfo* cal);
inline void DestroyRecord(CalInfo* cal) {
    (void)DestroyCalInfo(cal);
}
/// Destroys the six tables and nulls them; silent, a null record is ignored.
void DeallocateCalArrays(CalInfo* cal);

/// Copy the names into `buffer` of `length` characters, always terminated.
[[nodiscard]] int GetCalName(const CalInfo* cal, char* buffer, int length);
[[nodiscard]] int GetCalConnName(const CalInfo* cal, char* buffer, int length);
/// Keep at most 127 characters of the text.
[[nodiscard]] int SetCalName(CalInfo* cal, const char* name);
[[nodiscard]] int SetCalConnName(CalInfo* cal, const char* connName);

/// Copies the six tables in code order, then the kit name, then the connector name; stops at the
/// first failure, leaving `destination` partly copied.
[[nodiscard]] int CopyCalInfo(const CalInfo* source, CalInfo* destination);
/// The first record of GlobalComponentLists().calKits whose name equals `name` exactly (case
/// counts); null after reporting when there is none. The record stays the list's.
[[nodiscard]] CalInfo* FindCalInfo(const char* name);

// The tables by table code (kCalCDr ... kCalCTt). These report only a null record and an unknown
// code; every other check is the table's own.
[[nodiscard]] int GetCalFVInterpType(const CalInfo* cal, int code, int* type);
[[nodiscard]] int GetCalFVNumPairs(const CalInfo* cal, int code, int* n);
[[nodiscard]] int GetCalFVFreq(const CalInfo* cal, int code, int index, double* frequencyHz);
[[nodiscard]] int GetCalFVValueAt(const CalInfo* cal, int code, int index, float* value);
[[nodiscard]] int GetCalFVValue(const CalInfo* cal, int code, double frequencyHz, float* value);
[[nodiscard]] int SetCalFVInterpType(CalInfo* cal, int code, int type);
[[nodiscard]] int SetCalFVNumPairs(CalInfo* cal, int code, int n);
[[nodiscard]] int SetCalFVFreq(CalInfo* cal, int code, int index, double frequencyHz);
[[nodiscard]] int SetCalFVValueAt(CalInfo* cal, int code, int index, float value);

void ReportCalError(ErrorCode code);

} // namespace tolvane
