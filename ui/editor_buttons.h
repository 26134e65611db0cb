#pragma once

class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QString;

namespace tolvane {

/// The "Accept" (default), "Cancel" and "Help" buttons of a modal editor: "Accept" calls the
/// dialog's accept(), which writes the controls and closes only when every value was taken;
/// "Cancel" closes without writing; "Help" opens the help at `helpContext`.
[[nodiscard]] QDialogButtonBox* CreateEditorButtons(QDialog* dialog, int helpContext);

/// A line edit for a number: right-aligned, wide enough for `digits` characters.
[[nodiscard]] QLineEdit* CreateNumberEdit(const QString& objectName, int digits = 12);

} // namespace tolvane
