#include "core/bulk_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

namespace tolvane {
namespace {

bool OnBulkPageBoundary(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p) % kBulkPageBytes == 0;
}

TEST(BulkArray, LargeArraysStartOnAPageBoundaryAndKeepTheirValuesWhenTheyGrow) {
    const std::size_t large = kBulkPageBytes / sizeof(float) + 3; // just over one page
    BulkArray<float> values(large, 1.5f);
    EXPECT_TRUE(OnBulkPageBoundary(values.data()));
    values.back() = 2.5f;
    values.resize(3 * large);
    EXPECT_TRUE(OnBulkPageBoundary(values.data()));
    EXPECT_EQ(values[0], 1.5f);
    EXPECT_EQ(values[large - 2], 1.5f);
    EXPECT_EQ(values[large - 1], 2.5f);
    for (std::size_t i = large; i < values.size(); ++i)
        values[i] = float(i); // the added entries are writable to the end
    EXPECT_EQ(values.back(), float(3 * large - 1));

    BulkArray<float> small(10, 0.25f);
    small.resize(5);
    EXPECT_EQ(small, BulkArray<float>(5, 0.25f));
}

TEST(BulkArray, AnImpossibleSizeThrowsBadAlloc) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer aborts on a failed allocation instead of throwing";
#else
    BulkAllocator<float> allocator;
    EXPECT_THROW((void)allocator.allocate(std::size_t(-1) / 2), std::bad_alloc);
    EXPECT_THROW((void)AllocateBulk(std::size_t(-1) - 10), std::bad_alloc);
#endif
}

} // namespace
} // namespace tolvane
