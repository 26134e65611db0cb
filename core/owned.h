#pragma once

#include <memory>

namespace tolvane {

/// Destroys a record with the DestroyRecord overload its module declares beside its Destroy
/// operation (found by argument-dependent lookup).
struct RecordDestroyer {
    template <typename Record> void operator()(Record* record) const { DestroyRecord(record); }
};

/// A record owned by its holder and destroyed with its module's Destroy operation when the holder
/// lets it go: a caller's record, or a sub-record owned by its parent (a model's components, a
/// component's tables).
///
/// It reads as the plain pointer wherever a record operation takes one, so a parent's field is
/// passed on as `GetDUTSParams(model->dut, ...)`; the pointer is lent, never given away. To take a
/// record out of its holder use release(); to drop it, reset() or assign nullptr, never its
/// Destroy operation (the holder would destroy it again).
template <typename Record> class Owned : public std::unique_ptr<Record, RecordDestroyer> {
    using Base = std::unique_ptr<Record, RecordDestroyer>;

public:
    using Base::Base;
    using Base::operator=;
    Owned() noexcept = default;
    Owned(Base&& other) noexcept : Base(std::move(other)) {}

    operator Record*() const noexcept { return this->get(); }
};

} // namespace tolvane
