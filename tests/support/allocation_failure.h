#pragma once

namespace tolvane::testing {

/// Makes heap allocations fail on purpose, to test the paths that handle an allocation failure.
/// The test programs replace the global operator new (scalar and array, throwing and nothrow);
/// while an object of this class lives, the allocation after the first `allocationsToLet` ones
/// fails (bad_alloc, or null from the nothrow forms), and so do the `failures` - 1 after it.
/// Every other allocation succeeds; nothing of this is part of the library.
class ScopedAllocationFailure {
public:
    explicit ScopedAllocationFailure(int allocationsToLet = 0, int failures = 1);
    ~ScopedAllocationFailure();
    ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
    ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;

    /// How many allocations were made to fail so far.
    [[nodiscard]] int failed() const;
};

} // namespace tolvane::testing
