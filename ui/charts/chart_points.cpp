#include "ui/charts/chart_points.h"

#include "core/units.h"
#include <QStringList>

#include <cmath>
#include <limits>

namespace tolvane {
namespace {

bool IsTransmission(int quantity) {
    return quantity == kQuantityTransmissionMagnitude || quantity == kQuantityTransmissionPhase;
}

bool IsPhase(int quantity) {
    return quantity == kQuantityReflectionPhase || quantity == kQuantityTransmissionPhase;
}

// Every digit a float value holds, and no more.
QString Number(double value) {
    return QString::number(value, 'g', 9);
}

bool SameX(const ChartCurve& a, const ChartCurve& b) {
    if (a.points.size() != b.points.size()) return false;
    for (qsizetype i = 0; i < a.points.size(); ++i)
        if (a.points[i].x() != b.points[i].x()) return false;
    return true;
}

} // namespace

double ShownY(const ChartCurve& curve, int index, bool linear) {
    if (linear && index < curve.linearY.size()) return curve.linearY[index];
    return curve.points[index].y();
}

ChartPoint DescribePoint(const ChartContent& content, int curve, int index, bool linear) {
    const ChartCurve& c = content.curves[curve];
    const bool frequencyChart = content.kind >= kPlotFrequencyMagnitude;
    ChartPoint point;
    point.curve = curve;
    point.index = index;
    point.transmission = IsTransmission(content.quantity);
    point.phase = IsPhase(content.quantity);
    point.linear = linear && !point.phase && !c.linearY.isEmpty();
    point.uncertainty = ShownY(c, index, point.linear);
    point.resultSlot = content.resultSlot;
    const double x = c.points[index].x();
    point.frequencyHz = frequencyChart ? x * kHzPerGHz : c.frequencyHz;
    point.dutValueDb = frequencyChart ? content.dutValueDb : x;
    point.frequencyIndex = frequencyChart ? index : curve;
    point.dutIndex = frequencyChart ? 0 : index;
    return point;
}

QString PointReadout(const ChartPoint& point) {
    const QString where =
        QStringLiteral("%1, %2 %3 dB")
            .arg(FrequencyLabel(point.frequencyHz),
                 point.transmission ? QStringLiteral("S21") : QStringLiteral("S11"))
            .arg(point.dutValueDb, 0, 'f', 2);
    const QString value = QString::number(point.uncertainty, 'g', 4);
    const QString unit = point.phase    ? QStringLiteral("\u00b0")
                         : point.linear ? QString()
                                        : QStringLiteral(" dB");
    return where + QStringLiteral(": ") + value + unit;
}

QPointF ChartGeometry::toPixel(QPointF value) const {
    const double xSpan = xMax - xMin;
    const double tx = xSpan != 0.0 ? (value.x() - xMin) / xSpan : 0.5;
    const double ty = logarithmicY   ? std::log(value.y() / yMin) / std::log(yMax / yMin)
                      : yMax != yMin ? (value.y() - yMin) / (yMax - yMin)
                                     : 0.5;
    return {plotArea.left() + tx * plotArea.width(), plotArea.bottom() - ty * plotArea.height()};
}

std::optional<ChartPoint> NearestPoint(const ChartContent& content, const QList<int>& curves,
                                       const ChartGeometry& geometry, QPointF pixel,
                                       double radiusPixels, bool linear) {
    double best = radiusPixels * radiusPixels;
    int bestCurve = -1;
    int bestIndex = -1;
    for (const int curve : curves) {
        const ChartCurve& c = content.curves[curve];
        for (int index = 0; index < c.points.size(); ++index) {
            const double y = ShownY(c, index, linear);
            if (geometry.logarithmicY ? !(y > 0.0) : !std::isfinite(y)) continue;
            const QPointF at = geometry.toPixel(QPointF(c.points[index].x(), y));
            const double dx = at.x() - pixel.x();
            const double dy = at.y() - pixel.y();
            const double distance = dx * dx + dy * dy;
            if (distance <= best) {
                best = distance;
                bestCurve = curve;
                bestIndex = index;
            }
        }
    }
    if (bestCurve < 0) return std::nullopt;
    return DescribePoint(content, bestCurve, bestIndex, linear);
}

QString ShownYAxisLabel(const ChartContent& content, bool linear) {
    if (linear && IsMagnitudeChart(content)) return QStringLiteral("Uncertainty (linear)");
    return content.yAxisLabel;
}

QString ChartDataText(const ChartContent& content, bool linear,
                      const std::function<bool()>& cancelled) {
    const QList<ChartCurve>& curves = content.curves;
    bool shared = !curves.isEmpty();
    for (const ChartCurve& curve : curves)
        shared = shared && SameX(curve, curves.first());
    const QString yLabel = ShownYAxisLabel(content, linear);
    const QChar tab = QLatin1Char('\t');

    QStringList header;
    if (shared) header << content.xAxisLabel;
    for (const ChartCurve& curve : curves) {
        if (!shared) header << curve.label + QLatin1Char(' ') + content.xAxisLabel;
        header << curve.label + QLatin1Char(' ') + yLabel;
    }
    QString text = header.join(tab) + QLatin1Char('\n');

    qsizetype rows = 0;
    for (const ChartCurve& curve : curves)
        rows = std::max(rows, curve.points.size());
    constexpr qsizetype kRowsBetweenChecks = 16;
    for (qsizetype row = 0; row < rows; ++row) {
        if (cancelled && row % kRowsBetweenChecks == 0 && cancelled()) return {};
        QStringList cells;
        if (shared) cells << Number(curves.first().points[row].x());
        for (const ChartCurve& curve : curves) {
            const bool has = row < curve.points.size();
            if (!shared) cells << (has ? Number(curve.points[row].x()) : QString());
            cells << (has ? Number(ShownY(curve, int(row), linear)) : QString());
        }
        text += cells.join(tab) + QLatin1Char('\n');
    }
    return text;
}

} // namespace tolvane
