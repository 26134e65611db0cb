#include "core/vector_state.h"
#include "core/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>

namespace tolvane {
namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// Leaves the upper half of an AVX register in use, as some libraries do (a function the compiler
// builds for AVX would clear it on return).
void DirtyUpperState() {
    __asm__ volatile("vxorpd %%ymm0, %%ymm0, %%ymm0\n\tvaddpd %%ymm0, %%ymm0, %%ymm8" ::
                         : "xmm0", "xmm8");
}

class UpperVectorState : public testing::Test {
protected:
    void SetUp() override {
        if (!__builtin_cpu_supports("avx")) GTEST_SKIP() << "no AVX";
        DirtyUpperState();
        if (!UpperVectorStateInUse()) GTEST_SKIP() << "the processor does not report it";
    }
};

TEST_F(UpperVectorState, IsClearedOnRequest) {
    ClearUpperVectorState();
    EXPECT_FALSE(UpperVectorStateInUse());
}

// Threads inherit the state of the thread that starts them, and the calling thread works too:
// every chunk, on every worker, must start cleared.
TEST_F(UpperVectorState, WorkersRunChunksCleared) {
    for (const unsigned threads : {1u, 2u, 3u}) {
        DirtyUpperState();
        std::atomic<int> chunksInUse{0};
        RunOnWorkers(12, threads, [&](std::size_t, unsigned) {
            if (UpperVectorStateInUse()) ++chunksInUse;
        });
        EXPECT_EQ(chunksInUse.load(), 0) << threads << " threads";
    }
}
#endif

} // namespace
} // namespace tolvane
