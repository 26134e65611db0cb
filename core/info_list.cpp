#include "core/info_list.h"

#include <algorithm>
#include <new>

namespace tolvane {

InfoList* CreateInfoList() {
    return new (std::nothrow) InfoList;
}

void DestroyInfoList(InfoList* list) {
    delete list;
}

int AddInfoListItem(InfoList* list, void* item) {
    if (list == nullptr) return 0;
    try {
        list->items.push_back(item);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

int RemoveInfoListItem(InfoList* list, void* item) {
    if (list == nullptr) return 0;
    auto found = std::find(list->items.begin(), list->items.end(), item);
    if (found == list->items.end()) return 0;
    list->items.erase(found);
    return 1;
}

int GetInfoListCount(const InfoList* list) {
    return list == nullptr ? 0 : static_cast<int>(list->items.size());
}

void* GetInfoListItem(const InfoList* list, int index) {
    if (list == nullptr || index < 0 || index >= GetInfoListCount(list)) return nullptr;
    return list->items[static_cast<std::size_t>(index)];
}

} // namespace tolvane
