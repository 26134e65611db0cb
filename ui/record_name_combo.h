#pragma once

#include "core/info_list.h"
#include "core/record_name.h"

#include <QByteArray>
#include <QString>

class QComboBox;

namespace tolvane {

// Drop-down lists of the records of a component list, by name. A name is kept as the exact bytes
// of the record, so that what "Accept" writes back matches the database byte for byte; it is
// shown as UTF-8, or as Latin-1 when it is not valid UTF-8.

/// How a record name is shown.
[[nodiscard]] QString RecordNameText(const char* name);

/// Appends `name` (terminated bytes) as the last entry of `combo`; with `onlyNew`, only when no
/// entry has that name yet.
void AddRecordNameItem(QComboBox* combo, const char* name, bool onlyNew = false);

/// Appends the names of the records of `list` in list order, read with the module's name getter
/// (`int getName(const Record*, char* buffer, int length)`); with `eachNameOnce`, a name that is
/// already there is not added again.
template <typename Record, typename GetName>
void AddRecordNameItems(QComboBox* combo, const InfoList* list, GetName getName,
                        bool eachNameOnce = false) {
    for (int i = 0; i < GetInfoListCount(list); ++i) {
        RecordName name{};
        if (getName(GetInfoListRecord<Record>(list, i), name.data(), int(name.size())) != 0)
            AddRecordNameItem(combo, name.data(), eachNameOnce);
    }
}

/// Selects the last entry named `name` exactly and returns true; when there is none, selects the
/// first entry (none in an empty list) and returns false.
bool SelectRecordName(QComboBox* combo, const char* name);

/// The name of the selected entry; empty when none is selected.
[[nodiscard]] QByteArray SelectedRecordName(const QComboBox* combo);

} // namespace tolvane
