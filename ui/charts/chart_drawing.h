#pragma once

#include "ui/charts/chart_content.h"
#include "ui/charts/chart_points.h"

#include <QList>
#include <QPointF>

namespace tolvane {

/// The curves of a chart are drawn thinned to what its plot can show: a curve of 1001 DUT values
/// is drawn through the few dozen points that give the same line within a fraction of a pixel,
/// which makes a chart of 256 such curves draw in a moment. Hover read-outs, markers, "Copy Data"
/// and budgets read the chart's content, every point of it.

/// Thinning places the points on a plot of this many pixels each way, at least as fine as any
/// screen or printed page shows a chart, and keeps the line within kThinningTolerancePixels of it.
inline constexpr double kThinningGridPixels = 4096.0;
inline constexpr double kThinningTolerancePixels = 0.5;

/// Curves of at most this many points show each point as a dot, and are drawn whole.
inline constexpr int kMaxDottedCurvePoints = 41;

/// The axis ranges a chart is drawn with.
struct ChartRanges {
    double xMin = 0.0, xMax = 1.0;
    double yMin = 0.1, yMax = 10.0; ///< logarithmic y axis
};

/// The ranges a chart opens with (and "Reset Zoom" goes back to): the x range of the data (a
/// single x value padded by a tenth of it either side) and the y axis of the dB or degree values,
/// or by the decade rules on the linear magnitudes when `linear`.
[[nodiscard]] ChartRanges InitialRanges(const ChartContent& content, bool linear);

/// The curves drawn (indexes into content.curves): all, or kMaxDrawnCurves of them evenly spread
/// over the frequencies with the first and the last.
[[nodiscard]] QList<int> DrawnCurves(const ChartContent& content);

/// The points of `curve` to draw on axes of `ranges` (y as shown: dB or degrees, or linear); all
/// of them for a curve of dots.
[[nodiscard]] QList<QPointF> ThinnedCurve(const ChartCurve& curve, const ChartRanges& ranges,
                                          bool linear);

/// What a chart window draws of its content, prepared where it may take a while (off the
/// window's thread): the drawn curves thinned for `ranges`.
struct ChartDrawing {
    QList<int> curves;
    QList<QList<QPointF>> points; ///< one list per entry of `curves`
};
[[nodiscard]] ChartDrawing PrepareDrawing(const ChartContent& content, const ChartRanges& ranges,
                                          bool linear);

/// A chart read from a result, ready for a window: its content and its drawing.
struct PreparedChart {
    ChartContent content;
    ChartDrawing drawing;
};
[[nodiscard]] PreparedChart PrepareChart(ChartContent content);

} // namespace tolvane
