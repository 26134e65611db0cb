#include "support/allocation_failure.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace tolvane::testing {
namespace {

std::atomic<bool> armed{false};
std::atomic<int> toLet{0};
std::atomic<int> toFail{0};
std::atomic<int> failedCount{0};

bool ShouldFail() {
    if (!armed.load(std::memory_order_relaxed)) return false;
    if (toLet.load() > 0) {
        --toLet;
        return false;
    }
    if (toFail.load() > 0) {
        --toFail;
        ++failedCount;
        return true;
    }
    return false;
}

void* Allocate(std::size_t size) {
    if (ShouldFail()) throw std::bad_alloc();
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

void* AllocateOrNull(std::size_t size) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

ScopedAllocationFailure::ScopedAllocationFailure(int allocationsToLet, int failures) {
    toLet = allocationsToLet;
    toFail = failures;
    failedCount = 0;
    armed = true;
}

ScopedAllocationFailure::~ScopedAllocationFailure() {
    armed = false;
}

int ScopedAllocationFailure::failed() const {
    return failedCount.load();
}

} // namespace tolvane::testing

// The replaceable global allocation functions of the test programs.
void* operator new(std::size_t size) {
    return tolvane::testing::Allocate(size);
}
void* operator new[](std::size_t size) {
    return tolvane::testing::Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return tolvane::testing::AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return tolvane::testing::AllocateOrNull(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
