#include "core/streaming_store.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace tolvane {

#if defined(__SSE2__)

namespace {

// One float stored past the caches, for the ends that do not fill 16 bytes.
void StreamOne(float value, float* to) {
    _mm_stream_si32(reinterpret_cast<int*>(to), std::bit_cast<int>(value));
}

} // namespace

void StreamFloats(std::span<const float> from, float* to) {
    const std::size_t count = from.size();
    std::size_t j = 0;
    // Floats up to the first 16-byte boundary of the destination one at a time, then four at a
    // time, then the rest one at a time.
    for (; j < count && reinterpret_cast<std::uintptr_t>(to + j) % 16 != 0; ++j)
        StreamOne(from[j], to + j);
    for (; j + 4 <= count; j += 4)
        _mm_stream_ps(to + j, _mm_loadu_ps(from.data() + j));
    for (; j < count; ++j)
        StreamOne(from[j], to + j);
}

void FinishStreamingStores() {
    _mm_sfence();
}

#else

void StreamFloats(std::span<const float> from, float* to) {
    std::copy(from.begin(), from.end(), to);
}

void FinishStreamingStores() {}

#endif

} // namespace tolvane
