#pragma once

#include <cstddef>

namespace tolvane {

/// One zero-filled block of count x size bytes, or null on failure. Records and tables are C++
/// objects created with `new (std::nothrow)`; these two remain for raw buffers only.
[[nodiscard]] void* AllocateMemory(std::size_t count, std::size_t size);
/// Frees a block from AllocateMemory; null is ignored.
void FreeMemory(void* block);

} // namespace tolvane
