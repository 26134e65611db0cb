#pragma once

#include "ui/charts/chart_content.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

namespace tolvane {

/// One point of a chart's data and what it stands for: the handle by which hover read-outs,
/// markers and actions on a marked point (a budget of that point, say) know the point.
struct ChartPoint {
    int curve = -1; ///< index into ChartContent::curves
    int index = -1; ///< index into that curve's points
    double frequencyHz = 0.0;
    double dutValueDb = 0.0;   ///< the DUT's S11 (reflection) or S21 (transmission) in dB
    bool transmission = false; ///< a transmission (S21) result, else reflection (S11)
    bool phase = false;        ///< a phase uncertainty (degrees), else a magnitude uncertainty
    bool linear = false;       ///< a magnitude uncertainty as a linear magnitude, else in dB
    double uncertainty = 0.0;  ///< as the chart shows it
    int resultSlot = 0;        ///< the result slot the chart was read from
    int frequencyIndex = 0;    ///< row i of the result record
    int dutIndex = 0;          ///< column j of the result record
};

/// The y value of point `index` of `curve` as shown: the linear magnitude when `linear` and the
/// chart has one, else the stored value (dB or degrees).
[[nodiscard]] double ShownY(const ChartCurve& curve, int index, bool linear);

/// What point `index` of curve `curve` stands for.
[[nodiscard]] ChartPoint DescribePoint(const ChartContent& content, int curve, int index,
                                       bool linear);

/// The read-out of a point: "1.000000 GHz, S11 -20.00 dB: 0.1234 dB" (magnitude in dB),
/// "...: 0.001234" (linear magnitude) or "...: 5.74°" (phase).
[[nodiscard]] QString PointReadout(const ChartPoint& point);

/// Maps values to pixels of a chart: a linear x axis and a logarithmic (or linear) y axis over
/// `plotArea`.
struct ChartGeometry {
    QRectF plotArea;
    double xMin = 0.0, xMax = 1.0;
    double yMin = 0.1, yMax = 10.0; ///< > 0 on a logarithmic y axis
    bool logarithmicY = true;
    [[nodiscard]] QPointF toPixel(QPointF value) const;
};

/// The point of `curves` (indexes into content.curves) nearest to `pixel`, within
/// `radiusPixels`; nothing when none is that near. Points that cannot be shown (0 and below on a
/// logarithmic axis, values that are not finite) are passed over.
[[nodiscard]] std::optional<ChartPoint> NearestPoint(const ChartContent& content,
                                                     const QList<int>& curves,
                                                     const ChartGeometry& geometry, QPointF pixel,
                                                     double radiusPixels, bool linear);

/// The chart's curves as tab-separated text a spreadsheet takes: a header line of the column
/// names, then one line per x value. Curves that share their x values share one x column;
/// otherwise each curve has its own pair of columns. Numbers carry every digit of their float.
/// Empty once `cancelled` (asked now and then) says so.
[[nodiscard]] QString ChartDataText(const ChartContent& content, bool linear,
                                    const std::function<bool()>& cancelled = {});

/// The y-axis title as shown: "Uncertainty (linear)" for a magnitude chart shown linear.
[[nodiscard]] QString ShownYAxisLabel(const ChartContent& content, bool linear);

} // namespace tolvane
