#pragma once

#include <vector>

namespace tolvane {

/// An ordered list of record pointers: the component lists filled from the database and the list
/// of open plot windows. The list never owns its items; whoever fills it empties it and destroys
/// the items.
struct InfoList {
    std::vector<void*> items;
};

/// A new empty list, or null when it cannot be allocated.
[[nodiscard]] InfoList* CreateInfoList();
/// Frees the list itself (not its items). A null list is ignored.
void DestroyInfoList(InfoList* list);
/// Appends `item` at the tail (the same item may be added more than once). 0 on a null list.
[[nodiscard]] int AddInfoListItem(InfoList* list, void* item);
/// Removes the first entry, from the head, equal to `item`. 0 on a null or empty list, or when no
/// entry holds `item`.
[[nodiscard]] int RemoveInfoListItem(InfoList* list, void* item);
/// Number of entries; 0 for a null list.
[[nodiscard]] int GetInfoListCount(const InfoList* list);
/// The item at 0-based `index`, or null when the list is null or the index is out of range.
[[nodiscard]] void* GetInfoListItem(const InfoList* list, int index);

/// Typed access for callers that know what the list holds.
template <typename Record>
[[nodiscard]] Record* GetInfoListRecord(const InfoList* list, int index) {
    return static_cast<Record*>(GetInfoListItem(list, index));
}

/// Empties `list`, destroying each item with `destroy`, then frees the list (owner's clean-up).
template <typename Record, typename Destroy>
void DestroyInfoListAndItems(InfoList* list, Destroy destroy) {
    if (list == nullptr) return;
    const int count = GetInfoListCount(list);
    for (int i = 0; i < count; ++i) {
        auto* item = GetInfoListRecord<Record>(list, 0);
        (void)RemoveInfoListItem(list, item);
        (void)destroy(item);
    }
    DestroyInfoList(list);
}

} // namespace tolvane
