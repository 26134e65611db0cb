#include "core/polyline_thinning.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tolvane {
namespace {

bool IsFinite(const PlanePoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Marks the turning points of one coordinate along a stretch of finite points [first, end): the
// highest point between two falls of more than `swing`, and the lowest between two rises. Small
// ripples (rounding in the last digits of a flat curve) turn nothing.
template <typename Coordinate>
void MarkTurningPoints(std::span<const PlanePoint> points, std::size_t first, std::size_t end,
                       double swing, Coordinate value, std::vector<bool>& keep) {
    if (end - first < 3) return;
    int direction = 0; // +1 rising, -1 falling, 0 not known yet
    std::size_t high = first;
    std::size_t low = first;
    std::size_t candidate = first;
    for (std::size_t i = first + 1; i < end; ++i) {
        const double v = value(points[i]);
        if (direction == 0) {
            if (v > value(points[high])) high = i;
            if (v < value(points[low])) low = i;
            if (value(points[high]) - value(points[low]) > swing) {
                // The extreme reached first is a turn too, unless it is the stretch's start.
                keep[std::min(high, low)] = true;
                direction = high > low ? 1 : -1;
                candidate = std::max(high, low);
            }
            continue;
        }
        const double c = value(points[candidate]);
        if (direction > 0 ? v > c : v < c) {
            candidate = i;
        } else if (std::fabs(v - c) > swing) {
            keep[candidate] = true;
            direction = -direction;
            candidate = i;
        }
    }
}

double DistanceToSegment(const PlanePoint& p, const PlanePoint& a, const PlanePoint& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0.0;
    if (lengthSquared > 0.0)
        t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Between two kept points: keeps the point farthest from their segment while it lies beyond
// `tolerance`, and looks again at both halves (Ramer-Douglas-Peucker, without recursion).
void KeepFarPoints(std::span<const PlanePoint> points, std::size_t from, std::size_t to,
                   double tolerance, std::vector<bool>& keep,
                   std::vector<std::pair<std::size_t, std::size_t>>& pending) {
    pending.assign(1, {from, to});
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        double farthest = tolerance;
        std::size_t at = a;
        for (std::size_t i = a + 1; i < b; ++i) {
            const double d = DistanceToSegment(points[i], points[a], points[b]);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (at == a) continue;
        keep[at] = true;
        pending.emplace_back(a, at);
        pending.emplace_back(at, b);
    }
}

} // namespace

std::vector<std::size_t> ThinPolyline(std::span<const PlanePoint> points, double tolerance) {
    const std::size_t n = points.size();
    std::vector<bool> keep(n, n <= 2);
    if (n > 2) {
        keep.front() = keep.back() = true;
        // Stretches of finite points, bounded by the points a drawing cannot place.
        std::size_t first = 0;
        for (std::size_t i = 0; i <= n; ++i) {
            if (i < n && IsFinite(points[i])) continue;
            if (i < n) {
                keep[i] = true;
                if (i > 0) keep[i - 1] = true;
                if (i + 1 < n) keep[i + 1] = true;
            }
            if (i > first) {
                MarkTurningPoints(
                    points, first, i, tolerance, [](const PlanePoint& p) { return p.x; }, keep);
                MarkTurningPoints(
                    points, first, i, tolerance, [](const PlanePoint& p) { return p.y; }, keep);
            }
            first = i + 1;
        }
        std::vector<std::pair<std::size_t, std::size_t>> pending;
        std::size_t previous = 0;
        for (std::size_t i = 1; i < n; ++i) {
            if (!keep[i]) continue;
            if (i > previous + 1 && IsFinite(points[previous]) && IsFinite(points[i]))
                KeepFarPoints(points, previous, i, tolerance, keep, pending);
            previous = i;
        }
    }
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < n; ++i)
        if (keep[i]) kept.push_back(i);
    return kept;
}

} // namespace tolvane
