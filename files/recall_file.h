#pragma once

#include "core/owned.h"

namespace tolvane {

/// The recall rule of "Recall Configuration..." and "Recall Model...": reads `path` into a new
/// record made by `create` and, when `read` returns 1, destroys `*current` and installs the new
/// record in its place. Otherwise `*current` stays and the new record is destroyed. Returns what
/// the reading returned (0 also when the new record cannot be created or `current` is null).
template <typename Record>
[[nodiscard]] int RecallFromFile(Record** current, const char* path, Record* (*create)(),
                                 int (*read)(Record*, const char*)) {
    if (current == nullptr) return 0;
    Owned<Record> recalled(create());
    if (recalled == nullptr || read(recalled.get(), path) == 0) return 0;
    const Owned<Record> replaced(*current);
    *current = recalled.release();
    return 1;
}

} // namespace tolvane
