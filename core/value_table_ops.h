#pragma once

#include "core/error_report.h"
#include "core/interpolation.h"

#include <new>
#include <utility>
#include <vector>

namespace tolvane {

/// The record operations the frequency-value and power-value tables share: the same checks in
/// the same order, reported through the module's own reporter. `Table` has interpType, numPairs,
/// arraysPresent, values and the abscissa array this object names.
template <typename Table, typename Abscissa> struct ValueTableOps {
    std::vector<Abscissa> Table::*abscissas;
    void (*report)(ErrorCode);

    int fail(std::uint32_t message, std::uint32_t routine) const {
        report(MakeErrorCode(message, routine));
        return 0;
    }

    Table* create() const {
        auto* table = new (std::nothrow) Table;
        if (table == nullptr) fail(kMsgAllocation, kRoutineCreate);
        return table;
    }

    int destroy(Table* table) const {
        if (table == nullptr) return fail(kMsgNullInfo, kRoutineDestroy);
        deallocate(table);
        delete table;
        return 1;
    }

    /// Frees both arrays; the number of pairs is kept. Silent; a null table is ignored.
    void deallocate(Table* table) const {
        if (table == nullptr) return;
        std::vector<Abscissa>().swap(table->*abscissas);
        std::vector<float>().swap(table->values);
        table->arraysPresent = false;
    }

    int getInterpType(const Table* table, int* type) const {
        if (table == nullptr) return fail(kMsgNullInfo, kRoutineGet);
        if (type == nullptr) return fail(kMsgNullParameter, kRoutineGet);
        *type = table->interpType;
        return 1;
    }

    int getNumPairs(const Table* table, int* n) const {
        if (table == nullptr) return fail(kMsgNullInfo, kRoutineGet);
        if (n == nullptr) return fail(kMsgNullParameter, kRoutineGet);
        *n = table->numPairs;
        return 1;
    }

    int getAbscissa(const Table* table, int index, Abscissa* x) const {
        if (table == nullptr) return fail(kMsgNullInfo, kRoutineGet);
        if (x == nullptr) return fail(kMsgNullParameter, kRoutineGet);
        if (!checkIndex(table, index, kRoutineGet)) return 0;
        *x = (table->*abscissas)[static_cast<std::size_t>(index)];
        return 1;
    }

    /// The value getter reports under the lookup's routine.
    int getValueAt(const Table* table, int index, float* value) const {
        if (table == nullptr) return fail(kMsgNullInfo, kRoutineGetValue);
        if (value == nullptr) return fail(kMsgNullParameter, kRoutineGetValue);
        if (!checkIndex(table, index, kRoutineGetValue)) return 0;
        *value = table->values[static_cast<std::size_t>(index)];
        return 1;
    }

    int setInterpType(Table* table, int type) const {
        if (table == nullptr) return fail(kMsgNullInfo, kRoutineSet);
        if (type != INTERP_LINEAR && type != INTERP_STEP && type != INTERP_SMOOTH_FIT)
            return fail(kTableMsgInterpType, kRoutineSet);
        table->interpType = type;
        return 1;
    }

    /// n zero pairs in place of the old ones. When the arrays cannot be allocated the table keeps
    /// n as its number of pairs, without arrays, until it is resized again.
    int setNumPairs(Table* table, int n) const {
        if (table == nullptr) return fail(kMsgNullInfo, kRoutineSet);
        if (n < 0) return fail(kTableMsgInvalidNumPairs, kRoutineSet);
        table->numPairs = n;
        deallocate(table);
        try {
            std::vector<Abscissa> xs(static_cast<std::size_t>(n), Abscissa{});
            std::vector<float> values(static_cast<std::size_t>(n), 0.0f);
            table->*abscissas = std::move(xs);
            table->values = std::move(values);
        } catch (const std::bad_alloc&) {
            return fail(kMsgAllocation, kRoutineSet);
        }
        table->arraysPresent = true;
        return 1;
    }

    int setAbscissa(Table* table, int index, Abscissa x) const {
        if (table == nullptr) return fail(kMsgNullInfo, kRoutineSet);
        if (!checkIndex(table, index, kRoutineSet)) return 0;
        (table->*abscissas)[static_cast<std::size_t>(index)] = x;
        return 1;
    }

    int setValueAt(Table* table, int index, float value) const {
        if (table == nullptr) return fail(kMsgNullInfo, kRoutineSet);
        if (!checkIndex(table, index, kRoutineSet)) return 0;
        table->values[static_cast<std::size_t>(index)] = value;
        return 1;
    }

    /// Type, number of pairs, then pair by pair (abscissa, value) through the getters and
    /// setters; the first failing step stops the copy and leaves the destination partly copied.
    int copy(const Table* source, Table* destination) const {
        if (source == nullptr || destination == nullptr)
            return fail(kMsgNullInfo, kRoutineCopyTable);
        // Resizing the destination would discard the source's pairs.
        if (source == destination) return 1;
        int type = 0;
        int n = 0;
        bool copied = getInterpType(source, &type) && setInterpType(destination, type) &&
                      getNumPairs(source, &n) && setNumPairs(destination, n);
        for (int i = 0; copied && i < n; ++i) {
            Abscissa x{};
            float value = 0.0f;
            copied = getAbscissa(source, i, &x) && setAbscissa(destination, i, x) &&
                     getValueAt(source, i, &value) && setValueAt(destination, i, value);
        }
        return copied ? 1 : fail(kTableMsgCalledRoutine, kRoutineCopyTable);
    }

    /// The table's arrays for a lookup: null when absent, so that the lookup reports them.
    [[nodiscard]] std::pair<const Abscissa*, const float*> arrays(const Table* table) const {
        if (!table->arraysPresent) return {nullptr, nullptr};
        return {(table->*abscissas).data(), table->values.data()};
    }

private:
    int checkIndex(const Table* table, int index, std::uint32_t routine) const {
        if (index < 0 || index >= table->numPairs) return fail(kTableMsgInvalidIndex, routine);
        if (!table->arraysPresent) return fail(kMsgNullPointer, routine);
        return 1;
    }
};

/// The texts both tables' reporters show for the messages.
inline constexpr NumberedText kValueTableMessages[] = {
    {kMsgNullInfo, "NULL info pointer."},
    {kMsgAllocation, "error allocating memory."},
    {kMsgUnknownParameter, "unknown parameter."},
    {kMsgNullParameter, "NULL parameter pointer."},
    {kMsgNullPointer, "NULL pointer."},
    {kTableMsgInvalidIndex, "invalid array index."},
    {kTableMsgInvalidNumPairs, "invalid number of pairs."},
    {kTableMsgOutOfRange, "abscissa out of range."},
    {kTableMsgInterpType, "invalid interpolation type."},
    {kTableMsgCalledRoutine, "Error in a called routine."},
};

} // namespace tolvane
