#pragma once

#include "core/error_report.h"
#include "core/fv_table.h"
#include "core/info_list.h"
#include "core/owned.h"
#include "core/record_name.h"

#include <array>
#include <cstddef>

namespace tolvane {

/// The frequency tables a component record owns, selected by table code 1 to N (code c is
/// tables[c - 1]). Creates, destroys and copies them in code order and forwards the table
/// operations by code: the forwarding reports only a null record (message 1) and an unknown code
/// (message 3) through the record module's reporter, under its getter or setter routine; every
/// other check is the table's own.
template <typename Record, std::size_t N> struct FVTableSet {
    std::array<Owned<FVInfo> Record::*, N> tables;
    void (*report)(ErrorCode);

    /// Each table that cannot be created has reported itself and stays null.
    void create(Record* record) const {
        for (Owned<FVInfo> Record::*table : tables)
            (record->*table).reset(CreateFVInfo());
    }

    void destroy(Record* record) const {
        for (Owned<FVInfo> Record::*table : tables)
            (record->*table).reset();
    }

    /// Stops at the first table that fails to copy.
    [[nodiscard]] bool copy(const Record* source, Record* destination) const {
        for (Owned<FVInfo> Record::*table : tables)
            if (!CopyFVInfo(source->*table, destination->*table)) return false;
        return true;
    }

    int getInterpType(const Record* record, int code, int* type) const {
        const FVInfo* table = nullptr;
        return select(record, code, kRoutineGet, &table) ? GetFVInterpType(table, type) : 0;
    }
    int getNumPairs(const Record* record, int code, int* n) const {
        const FVInfo* table = nullptr;
        return select(record, code, kRoutineGet, &table) ? GetFVNumPairs(table, n) : 0;
    }
    int getFreq(const Record* record, int code, int index, double* frequencyHz) const {
        const FVInfo* table = nullptr;
        return select(record, code, kRoutineGet, &table) ? GetFVFreq(table, index, frequencyHz) : 0;
    }
    int getValueAt(const Record* record, int code, int index, float* value) const {
        const FVInfo* table = nullptr;
        return select(record, code, kRoutineGet, &table) ? GetFVValueAt(table, index, value) : 0;
    }
    int getValue(const Record* record, int code, double frequencyHz, float* value) const {
        const FVInfo* table = nullptr;
        return select(record, code, kRoutineGet, &table) ? GetFVValue(table, frequencyHz, value)
                                                         : 0;
    }
    int setInterpType(Record* record, int code, int type) const {
        FVInfo* table = nullptr;
        return select(record, code, kRoutineSet, &table) ? SetFVInterpType(table, type) : 0;
    }
    int setNumPairs(Record* record, int code, int n) const {
        FVInfo* table = nullptr;
        return select(record, code, kRoutineSet, &table) ? SetFVNumPairs(table, n) : 0;
    }
    int setFreq(Record* record, int code, int index, double frequencyHz) const {
        FVInfo* table = nullptr;
        return select(record, code, kRoutineSet, &table) ? SetFVFreq(table, index, frequencyHz) : 0;
    }
    int setValueAt(Record* record, int code, int index, float value) const {
        FVInfo* table = nullptr;
        return select(record, code, kRoutineSet, &table) ? SetFVValueAt(table, index, value) : 0;
    }

private:
    template <typename RecordPointer, typename TablePointer>
    bool select(RecordPointer record, int code, std::uint32_t routine, TablePointer* table) const {
        if (record == nullptr) {
            report(MakeErrorCode(kMsgNullInfo, routine));
            return false;
        }
        if (code < 1 || code > static_cast<int>(N)) {
            report(MakeErrorCode(kMsgUnknownParameter, routine));
            return false;
        }
        *table = record->*tables[static_cast<std::size_t>(code - 1)];
        return true;
    }
};

/// The first record in `list` whose name field equals `name` exactly (case counts), or null. A
/// null or empty list has none.
template <typename Record>
[[nodiscard]] Record* FindRecordByName(const InfoList* list, const char* name) {
    const int count = GetInfoListCount(list);
    for (int i = 0; i < count; ++i) {
        Record* record = GetInfoListRecord<Record>(list, i);
        if (record != nullptr && RecordNameEquals(record->name, name)) return record;
    }
    return nullptr;
}

} // namespace tolvane
