#pragma once

#include "engine/measured_dut.h"
#include "ui/charts/chart_content.h"

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>

#include <array>
#include <span>

class QChart;

namespace tolvane {

/// What the chart of one measured parameter draws, against frequency in GHz: the measured trace,
/// the band between its lower and upper bounds, the limit lines and the points outside `pass`.
struct MeasuredChartData {
    QString title;      ///< "S21 Magnitude", "S21 Phase"
    QString yAxisLabel; ///< "Magnitude (dB)", "Phase (deg.)"
    /// Every measured point; the chart draws those DrawnMeasuredPoints picks for its view.
    QList<QPointF> measured;
    /// The band's edges, point for point; a lower bound of 0 (-inf dB) lies on the axis bottom.
    QList<QPointF> lower;
    QList<QPointF> upper;
    struct Line {
        QString label; ///< "S21 min -1.1 dB"
        QList<QPointF> points;
    };
    QList<Line> limits;
    /// The measured points whose verdict is conditional pass, conditional fail or fail.
    std::array<QList<QPointF>, 3> marked;
    double xMin = 0.0, xMax = 0.0; ///< GHz
    double yMin = 0.0, yMax = 0.0; ///< the axis range
};

/// At most this many points of a trace or a band edge are drawn: a trace of 100,000 frequencies
/// is drawn as the lowest and highest value of each of half this many groups of neighbours, which
/// looks the same and draws in a moment. Marked points are all drawn.
inline constexpr int kMaxDrawnMeasuredPoints = 4000;

/// The points of `all` (ascending in x) a chart draws to show x from xLow to xHigh: those in that
/// range and the one beyond each end (so the line reaches the edge of the view), every one while
/// they are at most kMaxDrawnMeasuredPoints, else the lowest and highest of each group of
/// neighbours. A zoom draws anew: the view of a long trace then shows its detail.
[[nodiscard]] QList<QPointF> DrawnMeasuredPoints(const QList<QPointF>& all, double xLow,
                                                 double xHigh);

/// The verdicts a chart marks, in the order of MeasuredChartData::marked.
inline constexpr std::array<Verdict, 3> kMarkedVerdicts = {Verdict::ConditionalPass,
                                                           Verdict::ConditionalFail, Verdict::Fail};

/// The colour of a verdict's marks (and of the overall verdict): amber, orange, red; green for a
/// pass.
[[nodiscard]] QColor VerdictColour(Verdict verdict);

/// The magnitude chart of `parameter` (which the results must hold), with the limits on it.
[[nodiscard]] MeasuredChartData MeasuredMagnitudeChartData(const MeasuredResults& results,
                                                           SParameter parameter,
                                                           std::span<const Limit> limits);
/// The phase chart of `parameter`: the measured phase with its plus/minus band.
[[nodiscard]] MeasuredChartData MeasuredPhaseChartData(const MeasuredResults& results,
                                                       SParameter parameter);

/// The chart's title block: title, the set-up and measurement, and the overall verdict in its
/// colour (HTML for QChart::setTitle).
[[nodiscard]] QString MeasuredChartTitle(const MeasuredChartData& data,
                                         const MeasuredResults& results);

/// What the mouse and "Copy Data" read on the chart of `parameter` (its magnitude, or its phase
/// when `phase`): the measured trace at every frequency (x in GHz, y in dB or degrees) as curve
/// 0, then its lower and upper bounds.
[[nodiscard]] ChartContent MeasuredChartContent(const MeasuredResults& results,
                                                SParameter parameter, bool phase);

/// The read-out of the measured point `index` of that chart: "2.000000 GHz, S21 -0.512 dB (-0.603
/// to -0.421 dB): pass" (the verdict where limits apply), or "2.000000 GHz, S21 -12.345° ±
/// 0.812°".
[[nodiscard]] QString MeasuredPointReadout(const MeasuredResults& results, SParameter parameter,
                                           bool phase, int index);

/// A new chart drawing `data` under `titleHtml`, for a chart window to own.
[[nodiscard]] QChart* BuildMeasuredChart(const MeasuredChartData& data, const QString& titleHtml);

} // namespace tolvane
