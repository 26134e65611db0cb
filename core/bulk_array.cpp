#include "core/bulk_array.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tolvane {

void* AllocateBulk(std::size_t bytes) {
    if (bytes < kBulkPageBytes) return ::operator new(bytes);
    // Whole huge pages, so that the last one is not shared with other data.
    if (bytes > std::size_t(-1) - (kBulkPageBytes - 1)) throw std::bad_alloc();
    const std::size_t rounded = (bytes + kBulkPageBytes - 1) & ~(kBulkPageBytes - 1);
    void* block = ::operator new (rounded, std::align_val_t{kBulkPageBytes});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Advice only: where huge pages are disabled or unavailable the block works with small ones.
    (void)madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return block;
}

void FreeBulk(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) return;
    if (bytes < kBulkPageBytes)
        ::operator delete(block);
    else
        ::operator delete (block, std::align_val_t{kBulkPageBytes});
}

} // namespace tolvane
