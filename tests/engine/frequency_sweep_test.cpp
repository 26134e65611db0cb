#include "engine/frequency_sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tolvane {
namespace {

TEST(SweepFrequencies, LinearStepsAreEqualAndEndAtTheStop) {
    EXPECT_EQ(SweepFrequenciesHz(1e9, 3e9, 5, SweepSpacing::Linear),
              (std::vector<double>{1e9, 1.5e9, 2e9, 2.5e9, 3e9}));
    // 0.1 to 0.7 GHz in 7 points: no step error builds up to the last point.
    const std::vector<double> f = SweepFrequenciesHz(0.1e9, 0.7e9, 7, SweepSpacing::Linear);
    ASSERT_EQ(f.size(), 7u);
    EXPECT_EQ(f.back(), 0.7e9);
    EXPECT_DOUBLE_EQ(f[3], 0.4e9);
    EXPECT_EQ(SweepFrequenciesHz(2e9, 9e9, 1, SweepSpacing::Linear), std::vector<double>{2e9});
    EXPECT_TRUE(SweepFrequenciesHz(1e9, 2e9, 0, SweepSpacing::Linear).empty());
}

TEST(SweepFrequencies, LogarithmicPointsKeepOneRatio) {
    // 10 MHz to 10 GHz in 7 points: two per decade, ratio sqrt(10).
    const std::vector<double> f = SweepFrequenciesHz(1e7, 1e10, 7, SweepSpacing::Logarithmic);
    ASSERT_EQ(f.size(), 7u);
    EXPECT_EQ(f.front(), 1e7);
    EXPECT_EQ(f.back(), 1e10);
    for (std::size_t i = 1; i < f.size(); ++i)
        EXPECT_NEAR(f[i] / f[i - 1], std::sqrt(10.0), 1e-12) << i;
    EXPECT_NEAR(f[2], 1e8, 1e-4);
    // No logarithm of zero: such a sweep has no points.
    EXPECT_TRUE(SweepFrequenciesHz(0.0, 1e9, 3, SweepSpacing::Logarithmic).empty());
}

} // namespace
} // namespace tolvane
