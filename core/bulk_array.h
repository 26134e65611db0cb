#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace tolvane {

/// Raw storage for large arrays of numbers. Blocks of kBulkPageBytes and more are aligned to that
/// size and, where the system offers it, backed by transparent huge pages as far as they fill
/// whole ones, so that the first writes to a result array of 20 MB take about 300 page faults
/// instead of 4 900. Throws std::bad_alloc like operator new.
[[nodiscard]] void* AllocateBulk(std::size_t bytes);
/// Frees a block of AllocateBulk; `bytes` is the size it was allocated with.
void FreeBulk(void* block, std::size_t bytes) noexcept;

/// The machine's physical memory in bytes (the largest size_t where it cannot be known). A set of
/// arrays larger than this cannot be written without the system swapping or ending the process,
/// so it is refused as an allocation failure before anything is allocated.
[[nodiscard]] std::size_t PhysicalMemoryBytes() noexcept;
/// The memory the system can still give without swapping, in bytes (Linux: MemAvailable of
/// /proc/meminfo); the physical memory where it cannot be known.
[[nodiscard]] std::size_t AvailableMemoryBytes() noexcept;

/// The size of a transparent huge page on x86-64 and most 64-bit ARM systems.
inline constexpr std::size_t kBulkPageBytes = std::size_t{2} << 20;

/// An allocator for std::vector that takes its storage from AllocateBulk and leaves elements
/// that are added without a value uninitialised (resize(n) does not write n zeros): the owner
/// writes every element itself, or fills them, so the memory is written once, not twice.
template <typename T> struct BulkAllocator {
    using value_type = T;

    BulkAllocator() = default;
    template <typename U> BulkAllocator(const BulkAllocator<U>&) noexcept {}

    [[nodiscard]] T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(AllocateBulk(n * sizeof(T)));
    }
    void deallocate(T* block, std::size_t n) noexcept { FreeBulk(block, n * sizeof(T)); }

    /// Default-initialisation: for numbers, nothing is written.
    template <typename U>
    void construct(U* place) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Args> void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const BulkAllocator&, const BulkAllocator&) { return true; }
};

/// A std::vector on BulkAllocator.
template <typename T> using BulkArray = std::vector<T, BulkAllocator<T>>;

} // namespace tolvane
