#pragma once

// Four-lane arithmetic with AVX, and eight-lane with AVX-512, where the compiler can target it
// function by function (GCC on x86-64); elsewhere the computations keep to their portable lanes.
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

/// Whether the processor running the program has AVX-512 (its foundation) enabled, asked once.
[[nodiscard]] inline bool ProcessorHasAvx512() {
    static const bool hasAvx512 = __builtin_cpu_supports("avx512f") != 0;
    return hasAvx512;
}
#endif

} // namespace tolvane
