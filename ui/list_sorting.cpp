#include "ui/list_sorting.h"

#include "ui/number_text.h"

#include <QListWidget>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace tolvane {

void SortListByLeadingNumber(QListWidget* list, std::optional<int> exactRole) {
    if (list == nullptr) return;
    std::vector<std::pair<double, QListWidgetItem*>> lines;
    lines.reserve(static_cast<std::size_t>(list->count()));
    while (list->count() > 0) {
        QListWidgetItem* item = list->takeItem(0);
        const QVariant exact = exactRole ? item->data(*exactRole) : QVariant();
        const double key =
            exact.isValid()
                ? exact.toDouble()
                : ReadLeadingDouble(item->text()).value_or(std::numeric_limits<double>::infinity());
        lines.emplace_back(key, item);
    }
    // A line whose number is +inf or NaN sorts with the lines that have none: after all others.
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
        const bool aOrdered = a.first < std::numeric_limits<double>::infinity();
        const bool bOrdered = b.first < std::numeric_limits<double>::infinity();
        if (aOrdered != bOrdered) return aOrdered;
        return aOrdered && a.first < b.first;
    });
    for (const auto& line : lines)
        list->addItem(line.second);
}

} // namespace tolvane
