#pragma once

class QWidget;

namespace tolvane {

/// Makes every message the library shows a modal box owned by `owner`: "Error" boxes with the
/// warning icon, "Help" boxes with the information icon, each with an OK button. The texts are
/// shown as plain text.
void InstallMessageBoxes(QWidget* owner);

} // namespace tolvane
