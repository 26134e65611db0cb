#include "core/polyline_thinning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace tolvane {
namespace {

constexpr double kTolerance = 0.5;

double DistanceToSegment(PlanePoint p, PlanePoint a, PlanePoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double t =
        std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// Both ends kept, ascending, and every point left out within the tolerance of the segment that
// is drawn in its place.
void ExpectFaithful(const std::vector<PlanePoint>& points, const std::vector<std::size_t>& kept) {
    ASSERT_GE(kept.size(), 2U);
    EXPECT_EQ(kept.front(), 0U);
    EXPECT_EQ(kept.back(), points.size() - 1);
    for (std::size_t k = 1; k < kept.size(); ++k) {
        ASSERT_LT(kept[k - 1], kept[k]);
        for (std::size_t i = kept[k - 1] + 1; i < kept[k]; ++i)
            EXPECT_LE(DistanceToSegment(points[i], points[kept[k - 1]], points[kept[k]]),
                      kTolerance)
                << "point " << i;
    }
}

bool Kept(const std::vector<std::size_t>& kept, std::size_t index) {
    return std::binary_search(kept.begin(), kept.end(), index);
}

TEST(PolylineThinning, SmoothCurveKeepsFewPointsAndItsShape) {
    // A magnitude uncertainty over 1001 DUT values on a 4096-pixel plot, with a ripple in the last
    // digits that must not turn it into a thousand extremes.
    std::vector<PlanePoint> points;
    for (int j = 0; j <= 1000; ++j)
        points.push_back({4.096 * j, 4000.0 - 3000.0 * std::exp(-j / 200.0) + 1e-4 * (j % 2)});
    const std::vector<std::size_t> kept = ThinPolyline(points, kTolerance);
    ExpectFaithful(points, kept);
    EXPECT_LT(kept.size(), 80U);
}

TEST(PolylineThinning, NoisyCurveKeepsEveryPeakAndDip) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-3.0, 3.0);
    std::vector<PlanePoint> points;
    for (int j = 0; j < 2000; ++j)
        points.push_back({2.0 * j, 1000.0 + 200.0 * std::sin(j / 50.0) + noise(random)});
    points[700].y = 1800.0; // a spike of one point
    points[1300].y = 100.0; // a dip
    const std::vector<std::size_t> kept = ThinPolyline(points, kTolerance);
    ExpectFaithful(points, kept);
    EXPECT_TRUE(Kept(kept, 700));
    EXPECT_TRUE(Kept(kept, 1300));
    // Every point higher (lower) than its neighbours by more than the tolerance either side.
    for (std::size_t i = 1; i + 1 < points.size(); ++i) {
        const double rise = points[i].y - std::max(points[i - 1].y, points[i + 1].y);
        const double fall = std::min(points[i - 1].y, points[i + 1].y) - points[i].y;
        if (rise > kTolerance || fall > kTolerance) {
            EXPECT_TRUE(Kept(kept, i)) << "point " << i;
        }
    }
}

TEST(PolylineThinning, ANotchOnASteepRiseKeepsItsHeight) {
    // Near the line through the rise, but a peak and a dip of 2 pixels all the same.
    std::vector<PlanePoint> points;
    for (int j = 0; j <= 100; ++j)
        points.push_back({0.01 * j, 10.0 * j});
    points[50].y = 502.0;
    points[51].y = 500.0;
    const std::vector<std::size_t> kept = ThinPolyline(points, kTolerance);
    ExpectFaithful(points, kept);
    EXPECT_TRUE(Kept(kept, 50));
    EXPECT_TRUE(Kept(kept, 51));
}

TEST(PolylineThinning, PointsThatCannotBeDrawnKeepTheirNeighbours) {
    std::vector<PlanePoint> points;
    for (int j = 0; j < 100; ++j)
        points.push_back({double(j), 10.0});
    points[50].y = -std::numeric_limits<double>::infinity(); // 0 on a logarithmic axis
    points[80].y = std::nan("");
    const std::vector<std::size_t> kept = ThinPolyline(points, kTolerance);
    for (const std::size_t i : {0, 49, 50, 51, 79, 80, 81, 99})
        EXPECT_TRUE(Kept(kept, i)) << "point " << i;
    EXPECT_EQ(kept.size(), 8U);
    EXPECT_EQ(ThinPolyline(std::vector<PlanePoint>{{0, 0}, {1, 1}}, kTolerance).size(), 2U);
}

} // namespace
} // namespace tolvane
