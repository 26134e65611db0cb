#pragma once

#include "engine/plot_info.h"

#include <QList>
#include <QPointF>
#include <QString>

namespace tolvane {

struct UncertaintyInfo;

/// What a frequency chart shows, numbered like the kinds 1 to 4.
enum PlotQuantity : int {
    kQuantityReflectionMagnitude = 1,
    kQuantityReflectionPhase = 2,
    kQuantityTransmissionMagnitude = 3,
    kQuantityTransmissionPhase = 4,
};

/// One curve: the results of one frequency (DUT-value charts) or of the whole sweep.
struct ChartCurve {
    QString label; ///< "%.6lf GHz" of its frequency
    QList<QPointF> points;
    /// Magnitude charts: each point's uncertainty as a linear magnitude, the upper bound minus the
    /// nominal magnitude, beside the dB of `points`. Empty for phase charts.
    QList<double> linearY;
    /// The curve's frequency in Hz (DUT-value charts); 0 when its points run over frequency.
    double frequencyHz = 0.0;
};

/// Everything a chart window draws, taken from one result record when the chart is made. A chart
/// keeps it: later computations do not change an open chart.
struct ChartContent {
    int kind = 0;
    int quantity = 0; ///< what the y values are (PlotQuantity), for every kind
    QString title;
    QString xAxisLabel;
    QString yAxisLabel;
    QString subtitle;
    QList<ChartCurve> curves;
    double xMin = 0.0; ///< x range of the data
    double xMax = 0.0;
    double yAxisMin = 0.0; ///< logarithmic y axis, decade bounds from LogAxisMinimum/Maximum
    double yAxisMax = 0.0;
    /// DUT-value charts carry a two-part note at a quarter of the x range, just above the y axis
    /// minimum: the first part ends at the point, the second starts there.
    bool annotated = false;
    QPointF annotationAt;
    /// Frequency charts: the DUT value in dB that every point shares (the user-defined DUT's S11
    /// or S21).
    double dutValueDb = 0.0;
    /// The result slot the chart was read from; charts of kept results (replace mode off) name it
    /// in their title.
    int resultSlot = 0;
    bool namesResultSlot = false;
    /// The set-up and the time of the computation, shown under the chart, on its printed page
    /// and in its saved images.
    QString caption;
};

/// True for charts whose y values are magnitude uncertainties (dB, or linear on request).
[[nodiscard]] bool IsMagnitudeChart(const ChartContent& content);
/// The title as shown: with the result slot when the chart names it, numbered from 1 as the
/// numbered export files are ("... (Result 3)" is slot 2, written as "..._03.dat").
[[nodiscard]] QString ShownTitle(const ChartContent& content);

/// At most this many curves of a chart are drawn, evenly spread over the frequencies and always
/// with the first and the last: thousands of curves would take a minute to draw and cannot be
/// told apart.
inline constexpr int kMaxDrawnCurves = 256;

/// The texts of the note on DUT-value charts.
inline constexpr const char* kAnnotationBefore = "See \"Computation of Uncertainty\" in Help ";
inline constexpr const char* kAnnotationAfter = "menu for a method description.";

/// The lower bound of a logarithmic uncertainty axis: 0.99 × 10^(e−1) for the smallest decade
/// exponent e ≥ −10 with yMin ≤ 10^e. A minimum of zero or below gives 0.99e−11.
[[nodiscard]] double LogAxisMinimum(double yMin);
/// The upper bound: 10^e for the smallest e ≥ −10 with yMax ≤ 10^e, at most `cap`.
[[nodiscard]] double LogAxisMaximum(double yMax, double cap);

/// Upper bounds of the y axis: magnitude DUT-value charts stop at 10 dB, phase DUT-value charts
/// have none, frequency charts stop at 180.
inline constexpr double kMagnitudeAxisCap = 10.0;
inline constexpr double kFrequencyAxisCap = 180.0;

/// The magnitude uncertainty in dB of a result triple: the upper bound and the nominal magnitude
/// (both linear) in dB, subtracted.
[[nodiscard]] float MagnitudeUncertaintyDb(float nominal, float upperBound);

/// The title of a chart of `kind` (for kinds 5 and 6, of `quantity`).
[[nodiscard]] QString PlotTitle(int kind, int quantity);

/// "%.6lf GHz" of a frequency held in Hz.
[[nodiscard]] QString FrequencyLabel(double frequencyHz);

/// Reads a DUT-value chart (kinds 1 to 4) from `result`: one curve per frequency with one point
/// per DUT value (x the DUT value in dB, y the magnitude uncertainty in dB or the phase
/// uncertainty in degrees). On a failed read it reports the Plot module's "DrawPlot: " message and
/// returns false; a chart larger than the memory left is refused with "DrawPlot: error allocating
/// memory." before anything is read.
[[nodiscard]] bool ReadDutValueChart(const UncertaintyInfo* result, int kind,
                                     const QString& subtitle, ChartContent* content);
/// Reads a frequency chart (kind 5 or 6 with quantity 1 to 4): one curve over the frequencies, at
/// the first DUT value.
[[nodiscard]] bool ReadFrequencyChart(const UncertaintyInfo* result, int kind, int quantity,
                                      const QString& subtitle, ChartContent* content);

} // namespace tolvane
