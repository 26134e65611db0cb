#include "ui/charts/chart_drawing.h"

#include "core/polyline_thinning.h"
#include "core/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

namespace tolvane {

ChartRanges InitialRanges(const ChartContent& content, bool linear) {
    ChartRanges ranges;
    // A single point (one frequency, one DUT value) still gets an axis of some width, a tenth of
    // its value either side, so that a single frequency is not shown among negative ones.
    const double xPad = content.xMax > content.xMin ? 0.0
                        : content.xMin != 0.0       ? std::fabs(content.xMin) / 10.0
                                                    : 0.5;
    ranges.xMin = content.xMin - xPad;
    ranges.xMax = content.xMax + xPad;
    if (!linear || !IsMagnitudeChart(content)) {
        ranges.yMin = content.yAxisMin;
        ranges.yMax = content.yAxisMax;
        return ranges;
    }
    // The decade rules on the linear magnitudes, without the cap of the dB charts.
    double yMin = 1000000.0;
    double yMax = -1000000.0;
    for (const ChartCurve& curve : content.curves) {
        for (const double y : curve.linearY) {
            yMin = std::min(yMin, y);
            yMax = std::max(yMax, y);
        }
    }
    ranges.yMax = LogAxisMaximum(yMax, HUGE_VAL);
    ranges.yMin = LogAxisMinimum(yMin);
    if (ranges.yMin >= ranges.yMax) ranges.yMin = 0.099 * ranges.yMax;
    return ranges;
}

QList<int> DrawnCurves(const ChartContent& content) {
    const int count = int(content.curves.size());
    const int drawn = std::min(count, kMaxDrawnCurves);
    QList<int> curves;
    curves.reserve(drawn);
    for (int k = 0; k < drawn; ++k)
        curves.append(drawn > 1 ? int((qint64(k) * (count - 1)) / (drawn - 1)) : 0);
    return curves;
}

QList<QPointF> ThinnedCurve(const ChartCurve& curve, const ChartRanges& ranges, bool linear) {
    const ChartGeometry grid{QRectF(0.0, 0.0, kThinningGridPixels, kThinningGridPixels),
                             ranges.xMin, ranges.xMax, ranges.yMin, ranges.yMax};
    const auto count = curve.points.size();
    std::vector<PlanePoint> pixels(static_cast<std::size_t>(count));
    QList<QPointF> shown(count);
    for (qsizetype j = 0; j < count; ++j) {
        shown[j] = QPointF(curve.points[j].x(), ShownY(curve, int(j), linear));
        const QPointF at = grid.toPixel(shown[j]);
        pixels[static_cast<std::size_t>(j)] = {at.x(), at.y()};
    }
    if (count <= kMaxDottedCurvePoints) return shown;
    QList<QPointF> thinned;
    const std::vector<std::size_t> kept = ThinPolyline(pixels, kThinningTolerancePixels);
    thinned.reserve(qsizetype(kept.size()));
    for (const std::size_t j : kept)
        thinned.append(shown[qsizetype(j)]);
    return thinned;
}

ChartDrawing PrepareDrawing(const ChartContent& content, const ChartRanges& ranges, bool linear) {
    ChartDrawing drawing;
    drawing.curves = DrawnCurves(content);
    drawing.points.resize(drawing.curves.size());
    // The curves are thinned on every core.
    QList<QPointF>* const points = drawing.points.data();
    const int* const curves = drawing.curves.constData();
    std::atomic<bool> outOfMemory{false};
    RunOnWorkers(std::size_t(drawing.curves.size()), HardwareThreads(),
                 [&](std::size_t k, unsigned) {
                     try {
                         points[k] = ThinnedCurve(content.curves[curves[k]], ranges, linear);
                     } catch (const std::bad_alloc&) {
                         outOfMemory.store(true);
                     }
                 });
    if (outOfMemory.load()) throw std::bad_alloc();
    return drawing;
}

PreparedChart PrepareChart(ChartContent content) {
    PreparedChart prepared;
    prepared.drawing = PrepareDrawing(content, InitialRanges(content, false), false);
    prepared.content = std::move(content);
    return prepared;
}

} // namespace tolvane
