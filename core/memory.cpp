#include "core/memory.h"

#include <cstdlib>

namespace tolvane {

void* AllocateMemory(std::size_t count, std::size_t size) {
    return count == 0 || size == 0 ? nullptr : std::calloc(count, size);
}

void FreeMemory(void* block) {
    std::free(block);
}

} // namespace tolvane
