#pragma once

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;
class QString;
class QWidget;

namespace tolvane {

/// The "Accept" (default), "Cancel" and "Help" buttons of a modal editor: "Accept" calls the
/// dialog's accept(), which writes the controls and closes only when every value was taken;
/// "Cancel" closes without writing; "Help" opens the help at `helpContext`.
[[nodiscard]] QDialogButtonBox* CreateEditorButtons(QDialog* dialog, int helpContext);

/// Runs `write` on a copy of the record's settings and puts the copy in their place only when
/// `write` returns true: an editor writes its fields one by one through the record's setters, and
/// a value refused part way leaves the record exactly as it was, so that "Cancel" then cancels
/// everything. The copy has none of the records the record owns (a configuration's DUT, a model's
/// component records); `write` writes settings only.
template <typename Record, typename Write> bool WriteAllOrNothing(Record* record, Write write) {
    using Settings = typename Record::Settings;
    // On the heap: a configuration or a model holds 5000 frequencies.
    auto edited = std::make_unique<Record>();
    static_cast<Settings&>(*edited) = *record;
    if (!write(edited.get())) return false;
    static_cast<Settings&>(*record) = *edited;
    return true;
}

/// Makes Return and Enter in `field` call `add` (what the "Add" button beside it does) instead of
/// pressing the dialog's default button: a value typed into a field that feeds a list is added,
/// never dropped by a dialog that closes.
void AddOnEnter(QLineEdit* field, std::function<void()> add);

/// Gives `field` the keyboard focus after the value in it was refused, with its text selected, so
/// that what the user types next replaces the refused value. Returns false, the result of the
/// refused write, for the caller to pass on.
bool RefuseField(QWidget* field);

/// Makes line `row` of `list` the selected one and gives the list the focus, after the value of
/// that line was refused. Returns false, as RefuseField does.
bool RefuseListLine(QListWidget* list, int row);

/// A line edit for a number: right-aligned, wide enough for `digits` characters.
[[nodiscard]] QLineEdit* CreateNumberEdit(const QString& objectName, int digits = 12);

/// Shows `value` in `edit` with `decimals` digits after the point, as "%.<decimals>f" does, and
/// keeps the value itself beside the text, so that a field left as shown is read back with every
/// digit it had (1.732 shown as "1.7" stays 1.732).
void ShowNumber(QLineEdit* edit, float value, int decimals);
/// The number in `edit`: the value ShowNumber kept while the field shows its text and the user
/// has not typed into it, else the number the text starts with (ReadLeadingFloat).
[[nodiscard]] std::optional<float> ReadNumberEdit(const QLineEdit* edit);

} // namespace tolvane
