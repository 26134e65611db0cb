#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace tolvane {

/// A point of a polyline in the plane it is drawn in (pixels, say).
struct PlanePoint {
    double x = 0.0;
    double y = 0.0;
};

/// The points of a polyline worth drawing: a curve of thousands of points drawn on a plot a few
/// hundred pixels wide looks the same through far fewer points wherever it is nearly straight.
///
/// Returns the ascending indexes of the points kept. Kept always: the first and the last point,
/// every point whose coordinates are not finite together with its neighbours (where a drawing
/// breaks the line), and every turning point of x or of y whose swing on both sides exceeds
/// `tolerance` (peaks and dips keep their exact height). Every point left out lies within
/// `tolerance` of the segment between the kept points either side of it, so that the thinned
/// polyline differs from the whole one by at most `tolerance`, in the plane's units.
[[nodiscard]] std::vector<std::size_t> ThinPolyline(std::span<const PlanePoint> points,
                                                    double tolerance);

} // namespace tolvane
