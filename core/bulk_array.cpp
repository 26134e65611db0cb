#include "core/bulk_array.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#elif defined(_WIN32)
#include <windows.h>
#endif

#include <cstdio>

namespace tolvane {

void* AllocateBulk(std::size_t bytes) {
    if (bytes < kBulkPageBytes) return ::operator new(bytes);
    // The aligned operator new of GCC 12 rounds the size up to the alignment without checking for
    // overflow: a size within one alignment of the maximum would wrap to 0 and "succeed".
    if (bytes > std::size_t(-1) - kBulkPageBytes) throw std::bad_alloc();
    void* block = ::operator new (bytes, std::align_val_t{kBulkPageBytes});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // The whole huge pages of the block; the rest of the last one stays in small pages, so that
    // no memory is taken beyond the block. Advice only: where huge pages are disabled or none is
    // free, the block works with small pages.
    (void)madvise(block, bytes & ~(kBulkPageBytes - 1), MADV_HUGEPAGE);
#endif
    return block;
}

std::size_t PhysicalMemoryBytes() noexcept {
#if defined(__linux__)
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageBytes = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageBytes > 0 &&
        static_cast<std::size_t>(pages) <= std::size_t(-1) / static_cast<std::size_t>(pageBytes))
        return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageBytes);
#elif defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (::GlobalMemoryStatusEx(&status) != 0 && status.ullTotalPhys > 0)
        return static_cast<std::size_t>(status.ullTotalPhys);
#endif
    return std::size_t(-1);
}

std::size_t AvailableMemoryBytes() noexcept {
#if defined(__linux__)
    // "MemAvailable:   123456 kB"
    if (std::FILE* meminfo = std::fopen("/proc/meminfo", "r")) {
        char line[128];
        unsigned long long kibibytes = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, meminfo) != nullptr)
            found = std::sscanf(line, "MemAvailable: %llu kB", &kibibytes) == 1;
        std::fclose(meminfo);
        if (found && kibibytes <= std::size_t(-1) / 1024) return std::size_t(kibibytes) * 1024;
    }
#endif
    return PhysicalMemoryBytes();
}

void FreeBulk(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) return;
    if (bytes < kBulkPageBytes)
        ::operator delete(block);
    else
        ::operator delete (block, std::align_val_t{kBulkPageBytes});
}

} // namespace tolvane
