#pragma once

#include <memory>

namespace tolvane {

/// Destroys a record with the DestroyRecord overload its module declares beside its Destroy
/// operation (found by argument-dependent lookup).
struct RecordDestroyer {
    template <typename Record> void operator()(Record* record) const { DestroyRecord(record); }
};

/// A record owned by its holder and destroyed with its module's Destroy operation when the holder
/// lets it go: a caller's record, or a sub-record owned by its parent.
template <typename Record> using Owned = std::unique_ptr<Record, RecordDestroyer>;

} // namespace tolvane
