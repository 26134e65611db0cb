#pragma once

#include <QByteArray>
#include <QString>

class QComboBox;

namespace tolvane {

// Drop-down lists of record names. A name is kept as the exact bytes of the record, so that what
// "Accept" writes back matches the database byte for byte; it is shown as UTF-8, or as Latin-1
// when it is not valid UTF-8.

/// How a record name is shown.
[[nodiscard]] QString RecordNameText(const char* name);
/// Appends `name` (terminated bytes) as the last entry of `combo`.
void AddRecordNameItem(QComboBox* combo, const char* name);
/// The index of the last entry whose name equals `name` exactly, or -1.
[[nodiscard]] int FindLastRecordNameItem(const QComboBox* combo, const char* name);
/// The index of the first entry whose name equals `name` exactly, or -1.
[[nodiscard]] int FindFirstRecordNameItem(const QComboBox* combo, const char* name);
/// The name of the selected entry; empty when none is selected.
[[nodiscard]] QByteArray SelectedRecordName(const QComboBox* combo);

} // namespace tolvane
