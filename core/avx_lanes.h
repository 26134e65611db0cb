#pragma once

// Four-lane arithmetic with AVX where the compiler can target it function by function (GCC on
// x86-64); elsewhere the computations keep to their portable lanes.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define TOLVANE_AVX_LANES 1
#else
#define TOLVANE_AVX_LANES 0
#endif

namespace tolvane {

#if TOLVANE_AVX_LANES
/// Whether the processor running the program has AVX, asked once.
[[nodiscard]] inline bool ProcessorHasAvx() {
    static const bool hasAvx = __builtin_cpu_supports("avx") != 0;
    return hasAvx;
}
#endif

} // namespace tolvane
