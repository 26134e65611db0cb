#include "core/vector_state.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>

namespace tolvane {
namespace {

__attribute__((target("avx"))) void ZeroUpper() noexcept {
    _mm256_zeroupper();
}

// XGETBV with ECX = 1 reports which register states are in use (bit 2: the AVX upper halves);
// CPUID leaf 0xD, sub-leaf 1, EAX bit 2 tells whether the processor offers it.
bool CanReadStateInUse() noexcept {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __builtin_cpu_supports("avx") && __get_cpuid_count(0xD, 1, &eax, &ebx, &ecx, &edx) &&
           (eax & 4u) != 0;
}

} // namespace

void ClearUpperVectorState() noexcept {
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx) ZeroUpper();
}

bool UpperVectorStateInUse() noexcept {
    static const bool canRead = CanReadStateInUse();
    if (!canRead) return false;
    unsigned eax = 0, edx = 0;
    __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(1));
    return (eax & 4u) != 0;
}

} // namespace tolvane

#else

namespace tolvane {
void ClearUpperVectorState() noexcept {}
bool UpperVectorStateInUse() noexcept {
    return false;
}
} // namespace tolvane

#endif
