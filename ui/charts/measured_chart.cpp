#include "ui/charts/measured_chart.h"

#include "core/units.h"
#include "ui/charts/axis_ticks.h"

#include "files/measured_export.h"

#include <QAreaSeries>
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace tolvane {
namespace {

QFont ChartFont(int pointSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"), pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

/// Indices of the points to draw of a trace of `count` points whose value at i is `value(i)`:
/// every point, or, for a long trace, the lowest and highest of each group of neighbours in
/// their order.
template <typename Value> std::vector<int> DrawnIndices(int count, Value value) {
    std::vector<int> drawn;
    const int groups = kMaxDrawnMeasuredPoints / 2;
    if (count <= kMaxDrawnMeasuredPoints) {
        drawn.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            drawn[static_cast<std::size_t>(i)] = i;
        return drawn;
    }
    for (int g = 0; g < groups; ++g) {
        const int first = int(qint64(g) * count / groups);
        const int end = int(qint64(g + 1) * count / groups);
        int low = first, high = first;
        for (int i = first; i < end; ++i) {
            if (value(i) < value(low)) low = i;
            if (value(i) > value(high)) high = i;
        }
        drawn.push_back(std::min(low, high));
        if (low != high) drawn.push_back(std::max(low, high));
    }
    return drawn;
}

QString DbText(double db) {
    return QString::number(db, 'g', 6);
}

/// The axis range around [low, high] with a twentieth of the span to spare on each side.
void PadRange(double low, double high, double* axisMin, double* axisMax) {
    if (!(high > low)) {
        const double pad = std::max(std::fabs(low) / 10.0, 1.0);
        low -= pad;
        high += pad;
    }
    const double pad = (high - low) / 20.0;
    *axisMin = low - pad;
    *axisMax = high + pad;
}

/// The chart data both kinds share: the x range, the trace and the band from `lowerOf` and
/// `upperOf`, with a lower bound of -inf on the axis bottom.
template <typename Lower, typename Upper, typename Measured>
MeasuredChartData TraceAndBand(const MeasuredResults& results, Measured measuredOf, Lower lowerOf,
                               Upper upperOf, const std::vector<double>& extraValues) {
    MeasuredChartData data;
    const auto count = static_cast<int>(results.frequenciesHz.size());
    const auto ghz = [&](int i) {
        return results.frequenciesHz[static_cast<std::size_t>(i)] / kHzPerGHz;
    };
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (int i = 0; i < count; ++i) {
        for (double v : {measuredOf(i), lowerOf(i), upperOf(i)}) {
            if (!std::isfinite(v)) continue;
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    for (double v : extraValues) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    PadRange(low, high, &data.yMin, &data.yMax);
    data.xMin = count > 0 ? ghz(0) : 0.0;
    data.xMax = count > 0 ? ghz(count - 1) : 1.0;
    const auto onAxis = [&](double v) { return std::clamp(v, data.yMin, data.yMax); };
    data.measured.reserve(count);
    data.lower.reserve(count);
    data.upper.reserve(count);
    for (int i = 0; i < count; ++i) {
        data.measured.append(QPointF(ghz(i), measuredOf(i)));
        data.lower.append(QPointF(ghz(i), onAxis(lowerOf(i))));
        data.upper.append(QPointF(ghz(i), onAxis(upperOf(i))));
    }
    return data;
}

} // namespace

QList<QPointF> DrawnMeasuredPoints(const QList<QPointF>& all, double xLow, double xHigh) {
    auto first = std::lower_bound(all.begin(), all.end(), xLow,
                                  [](const QPointF& p, double x) { return p.x() < x; });
    auto end = std::upper_bound(all.begin(), all.end(), xHigh,
                                [](double x, const QPointF& p) { return x < p.x(); });
    if (first != all.begin()) --first;
    if (end != all.end()) ++end;
    if (!(first < end)) return {};
    QList<QPointF> drawn;
    for (int i : DrawnIndices(int(end - first), [&](int i) { return first[i].y(); }))
        drawn.append(first[i]);
    return drawn;
}

QColor VerdictColour(Verdict verdict) {
    switch (verdict) {
    case Verdict::Pass:
        return QColor(0x1e, 0x84, 0x49);
    case Verdict::ConditionalPass:
        return QColor(0xd4, 0xa0, 0x00);
    case Verdict::ConditionalFail:
        return QColor(0xe6, 0x6a, 0x00);
    case Verdict::Fail:
        return QColor(0xc0, 0x1f, 0x1f);
    case Verdict::None:
        break;
    }
    return QColor(0x40, 0x40, 0x40);
}

MeasuredChartData MeasuredMagnitudeChartData(const MeasuredResults& results, SParameter parameter,
                                             std::span<const Limit> limits) {
    const std::vector<MeasuredBounds>& b = results.bounds[Index(parameter)];
    const auto at = [&](int i) -> const MeasuredBounds& { return b[static_cast<std::size_t>(i)]; };
    std::vector<double> limitValues;
    for (const Limit& limit : limits)
        if (limit.parameter == parameter) limitValues.push_back(limit.limitDb);
    MeasuredChartData data = TraceAndBand(
        results, [&](int i) { return double(at(i).measuredDb); },
        [&](int i) { return at(i).lowerDb; }, [&](int i) { return at(i).upperDb; }, limitValues);
    data.title = QStringLiteral("%1 Magnitude").arg(QString::fromUtf8(SParameterName(parameter)));
    data.yAxisLabel = QStringLiteral("Magnitude (dB)");
    for (const Limit& limit : limits) {
        if (limit.parameter != parameter) continue;
        const QString label =
            QStringLiteral("%1 %2 %3 dB")
                .arg(QString::fromUtf8(SParameterName(parameter)),
                     limit.kind == Limit::Kind::Max ? QStringLiteral("max") : QStringLiteral("min"),
                     DbText(limit.limitDb));
        data.limits.append({label,
                            {QPointF(limit.startHz / kHzPerGHz, limit.limitDb),
                             QPointF(limit.stopHz / kHzPerGHz, limit.limitDb)}});
    }
    for (std::size_t i = 0; i < b.size(); ++i) {
        const auto marked = std::find(kMarkedVerdicts.begin(), kMarkedVerdicts.end(), b[i].verdict);
        if (marked != kMarkedVerdicts.end())
            data.marked[static_cast<std::size_t>(marked - kMarkedVerdicts.begin())].append(
                QPointF(results.frequenciesHz[i] / kHzPerGHz, b[i].measuredDb));
    }
    return data;
}

MeasuredChartData MeasuredPhaseChartData(const MeasuredResults& results, SParameter parameter) {
    const std::vector<MeasuredBounds>& b = results.bounds[Index(parameter)];
    const auto at = [&](int i) -> const MeasuredBounds& { return b[static_cast<std::size_t>(i)]; };
    MeasuredChartData data = TraceAndBand(
        results, [&](int i) { return at(i).measuredDeg; },
        [&](int i) { return at(i).measuredDeg - at(i).phaseDeg; },
        [&](int i) { return at(i).measuredDeg + at(i).phaseDeg; }, {});
    data.title = QStringLiteral("%1 Phase").arg(QString::fromUtf8(SParameterName(parameter)));
    data.yAxisLabel = QStringLiteral("Phase (deg.)");
    return data;
}

QString MeasuredChartTitle(const MeasuredChartData& data, const MeasuredResults& results) {
    QString html = QStringLiteral("<b>%1</b>").arg(data.title.toHtmlEscaped());
    QString source = QString::fromStdString(results.setUp);
    if (!results.measurementName.empty())
        source += QStringLiteral(" / ") + QString::fromStdString(results.measurementName);
    html += QStringLiteral("<br><small>%1</small>").arg(source.toHtmlEscaped());
    const VerdictSummary& summary = results.summary;
    if (summary.limitsApply)
        html += QStringLiteral("<br><small><b><font color=\"%1\">%2</font></b></small>")
                    .arg(VerdictColour(summary.accepted ? Verdict::Pass : summary.overall).name(),
                         QString::fromStdString(OverallVerdictText(results)).toHtmlEscaped());
    return html;
}

ChartContent MeasuredChartContent(const MeasuredResults& results, SParameter parameter,
                                  bool phase) {
    const std::vector<MeasuredBounds>& b = results.bounds[Index(parameter)];
    const QString name = QString::fromUtf8(SParameterName(parameter));
    ChartContent content;
    content.kind = phase ? kPlotMeasuredPhase : kPlotMeasuredMagnitude;
    content.title = name + (phase ? QStringLiteral(" Phase") : QStringLiteral(" Magnitude"));
    content.xAxisLabel = QStringLiteral("Frequency (GHz)");
    content.yAxisLabel = phase ? QStringLiteral("Phase (deg.)") : QStringLiteral("Magnitude (dB)");
    ChartCurve measured, lower, upper;
    measured.label = QStringLiteral("measured");
    lower.label = QStringLiteral("lower bound");
    upper.label = QStringLiteral("upper bound");
    for (std::size_t i = 0; i < b.size(); ++i) {
        const double ghz = results.frequenciesHz[i] / kHzPerGHz;
        if (phase) {
            measured.points.append(QPointF(ghz, b[i].measuredDeg));
            lower.points.append(QPointF(ghz, b[i].measuredDeg - b[i].phaseDeg));
            upper.points.append(QPointF(ghz, b[i].measuredDeg + b[i].phaseDeg));
        } else {
            measured.points.append(QPointF(ghz, b[i].measuredDb));
            lower.points.append(QPointF(ghz, b[i].lowerDb));
            upper.points.append(QPointF(ghz, b[i].upperDb));
        }
    }
    content.curves = {measured, lower, upper};
    if (!b.empty()) {
        content.xMin = results.frequenciesHz.front() / kHzPerGHz;
        content.xMax = results.frequenciesHz.back() / kHzPerGHz;
    }
    return content;
}

QString MeasuredPointReadout(const MeasuredResults& results, SParameter parameter, bool phase,
                             int index) {
    const MeasuredBounds& b = results.bounds[Index(parameter)][static_cast<std::size_t>(index)];
    const QString where = FrequencyLabel(results.frequenciesHz[static_cast<std::size_t>(index)]) +
                          QStringLiteral(", ") + QString::fromUtf8(SParameterName(parameter)) +
                          QLatin1Char(' ');
    const auto number = [](double value) { return QString::number(value, 'f', 3); };
    if (phase)
        return where + number(b.measuredDeg) + QStringLiteral("\u00b0 \u00b1 ") +
               number(b.phaseDeg) + QStringLiteral("\u00b0");
    QString text = where + QStringLiteral("%1 dB (%2 to %3 dB)")
                               .arg(number(b.measuredDb), number(b.lowerDb), number(b.upperDb));
    if (b.verdict != Verdict::None)
        text += QStringLiteral(": ") + QString::fromUtf8(VerdictText(b.verdict));
    return text;
}

QChart* BuildMeasuredChart(const MeasuredChartData& data, const QString& titleHtml) {
    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setTitleFont(ChartFont(11));
    chart->setTitle(titleHtml);
    chart->setAnimationOptions(QChart::NoAnimation);

    auto* xAxis = new QValueAxis;
    xAxis->setTitleText(QStringLiteral("Frequency (GHz)"));
    double xMin = data.xMin, xMax = data.xMax;
    if (!(xMax > xMin)) PadRange(xMin, xMax, &xMin, &xMax);
    auto* yAxis = new QValueAxis;
    yAxis->setTitleText(data.yAxisLabel);
    for (auto [axis, low, high] :
         {std::tuple(xAxis, xMin, xMax), std::tuple(yAxis, data.yMin, data.yMax)}) {
        axis->setTitleFont(ChartFont(9, true));
        axis->setLabelsFont(ChartFont(8));
        axis->setRange(low, high);
        const LinearTicks ticks = RoundLinearTicks(low, high);
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(ticks.anchor);
        axis->setTickInterval(ticks.interval);
        axis->setLabelFormat(QStringLiteral("%.%1f").arg(ticks.decimals));
    }
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    const auto add = [&](QAbstractSeries* series) {
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
    };

    auto* band = new QAreaSeries;
    auto* upper = new QLineSeries(band);
    auto* lower = new QLineSeries(band);
    band->setUpperSeries(upper);
    band->setLowerSeries(lower);
    band->setName(QStringLiteral("uncertainty"));
    band->setBrush(QColor(0x1f, 0x4e, 0x9c, 0x40));
    band->setPen(QPen(QColor(0x1f, 0x4e, 0x9c, 0x80), 0.5));
    add(band);

    auto* measured = new QLineSeries;
    measured->setName(QStringLiteral("measured"));
    measured->setPen(QPen(QColor(0x1f, 0x4e, 0x9c), 1.5));
    add(measured);

    // The trace and the band's edges are drawn for the view, and drawn anew after each zoom.
    struct Traces {
        QList<QPointF> measured, lower, upper;
    };
    const auto traces =
        std::make_shared<const Traces>(Traces{data.measured, data.lower, data.upper});
    const auto drawFor = [traces, measured, lower, upper](double low, double high) {
        measured->replace(DrawnMeasuredPoints(traces->measured, low, high));
        lower->replace(DrawnMeasuredPoints(traces->lower, low, high));
        upper->replace(DrawnMeasuredPoints(traces->upper, low, high));
    };
    drawFor(xMin, xMax);
    QObject::connect(xAxis, &QValueAxis::rangeChanged, chart, drawFor);

    for (const MeasuredChartData::Line& line : data.limits) {
        auto* limit = new QLineSeries;
        limit->setName(line.label);
        limit->setPen(QPen(QColor(0x20, 0x20, 0x20), 1.5, Qt::DashLine));
        limit->replace(line.points);
        add(limit);
    }
    for (std::size_t k = 0; k < kMarkedVerdicts.size(); ++k) {
        if (data.marked[k].isEmpty()) continue;
        auto* marks = new QScatterSeries;
        marks->setName(QString::fromUtf8(VerdictText(kMarkedVerdicts[k])));
        marks->setColor(VerdictColour(kMarkedVerdicts[k]));
        marks->setBorderColor(VerdictColour(kMarkedVerdicts[k]).darker(130));
        marks->setMarkerSize(7.0);
        marks->replace(data.marked[k]);
        add(marks);
    }

    QLegend* legend = chart->legend();
    legend->setVisible(true);
    legend->setAlignment(Qt::AlignBottom);
    legend->setFont(ChartFont(8));
    return chart;
}

} // namespace tolvane
