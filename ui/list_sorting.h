#pragma once

#include <optional>

class QListWidget;

namespace tolvane {

/// Orders the lines of a frequency or value list by the number each line starts with (read as
/// "%lf" reads it), ascending. Lines with equal numbers keep their order and duplicates stay;
/// lines that do not start with a number go last, in their order. The items themselves are moved,
/// so whatever they carry besides their text goes with them; the selection is cleared.
/// With `exactRole`, a line that carries a number under that item data role is ordered by that
/// number instead: the exact frequency or power behind a line, of which the text shows only a
/// few decimals.
void SortListByLeadingNumber(QListWidget* list, std::optional<int> exactRole = std::nullopt);

} // namespace tolvane
