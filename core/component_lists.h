#pragma once

#include "core/info_list.h"

namespace tolvane {

/// The four program-wide lists of the component database. Start-up creates them and the
/// database reader fills them; the Find operations of the component modules search them. A null
/// list behaves as an empty one.
struct ComponentLists {
    InfoList* connectors = nullptr;  ///< ConnInfo records
    InfoList* vnas = nullptr;        ///< VNAInfo records
    InfoList* calKits = nullptr;     ///< CalInfo records
    InfoList* dielectrics = nullptr; ///< DielInfo records
};

/// The one set of component lists of the program.
[[nodiscard]] ComponentLists& GlobalComponentLists();

} // namespace tolvane
