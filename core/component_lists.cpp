#include "core/component_lists.h"

namespace tolvane {

ComponentLists& GlobalComponentLists() {
    static ComponentLists lists;
    return lists;
}

} // namespace tolvane
