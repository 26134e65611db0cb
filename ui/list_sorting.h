#pragma once

class QListWidget;

namespace tolvane {

/// Orders the lines of a frequency or value list by the number each line starts with (read as
/// "%lf" reads it), ascending. Lines with equal numbers keep their order and duplicates stay;
/// lines that do not start with a number go last, in their order. The items themselves are moved,
/// so whatever they carry besides their text goes with them; the selection is cleared.
void SortListByLeadingNumber(QListWidget* list);

} // namespace tolvane
