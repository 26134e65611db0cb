#include "ui/planner/planner_chart.h"

#include "engine/plan_values.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tolvane {
namespace {

// The curve colours of the result charts' legends, so the planner reads like them.
const QColor kCurveColours[] = {QColor(0x1f, 0x4e, 0x9c), QColor(0xc0, 0x39, 0x2b),
                                QColor(0x1e, 0x84, 0x49), QColor(0x8e, 0x44, 0xad),
                                QColor(0xd3, 0x7a, 0x00)};
const QColor kSweepTimeColour(0x55, 0x55, 0x55);
const QColor kBestColour(0xe6, 0xb4, 0x00);

bool LogarithmicQuantity(PlanQuantity quantity) {
    return quantity == PlanQuantity::IFBandwidth || quantity == PlanQuantity::Averaging;
}

/// Where value `index` stands on the x axis: its number, or its place for names.
double Position(const Plan& plan, std::size_t index) {
    return PlanQuantityIsNamed(plan.quantity) ? double(index) : plan.values[index].number;
}

QAbstractAxis* MakeValueAxis(const Plan& plan) {
    if (PlanQuantityIsNamed(plan.quantity)) {
        auto* axis = new QCategoryAxis;
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        for (std::size_t i = 0; i < plan.values.size(); ++i)
            axis->append(QString::fromStdString(plan.values[i].name), double(i));
        axis->setRange(-0.5, double(plan.values.size()) - 0.5);
        return axis;
    }
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const PlanValue& value : plan.values) {
        low = std::min(low, value.number);
        high = std::max(high, value.number);
    }
    if (LogarithmicQuantity(plan.quantity) && low > 0.0) {
        auto* axis = new QLogValueAxis;
        axis->setBase(10.0);
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setRange(low / 1.5, high * 1.5);
        return axis;
    }
    auto* axis = new QValueAxis;
    const double pad = high > low ? (high - low) * 0.05 : 0.5;
    axis->setRange(low - pad, high + pad);
    axis->applyNiceNumbers();
    return axis;
}

QAbstractAxis* MakeSweepTimeAxis(const PlanResult& result) {
    double low = std::numeric_limits<double>::infinity();
    double high = 0.0;
    for (const PlanValueResult& value : result.values) {
        if (!(value.sweepTimeS > 0.0)) continue;
        low = std::min(low, value.sweepTimeS);
        high = std::max(high, value.sweepTimeS);
    }
    if (high > 0.0 && high / low >= 10.0) {
        auto* axis = new QLogValueAxis;
        axis->setBase(10.0);
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setRange(low / 1.5, high * 1.5);
        axis->setTitleText(QStringLiteral("Sweep Time (s)"));
        return axis;
    }
    auto* axis = new QValueAxis;
    axis->setRange(0.0, high > 0.0 ? high * 1.1 : 1.0);
    axis->applyNiceNumbers();
    axis->setTitleText(QStringLiteral("Sweep Time (s)"));
    return axis;
}

void Attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

} // namespace

void FillPlannerChart(QChart* chart, const Plan& plan, const PlanResult& result,
                      const QStringList& pointLabels, std::optional<std::size_t> best) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    chart->setTitle(
        QStringLiteral("Uncertainty and Sweep Time against %1")
            .arg(QString::fromUtf8(PlanQuantityTitle(plan.quantity).data(),
                                   qsizetype(PlanQuantityTitle(plan.quantity).size()))));

    QAbstractAxis* x = MakeValueAxis(plan);
    x->setTitleText(QString::fromUtf8(PlanQuantityTitle(plan.quantity).data(),
                                      qsizetype(PlanQuantityTitle(plan.quantity).size())));
    auto* uncertaintyAxis = new QValueAxis;
    uncertaintyAxis->setTitleText(QStringLiteral("Uncertainty (dB)"));
    QAbstractAxis* timeAxis = MakeSweepTimeAxis(result);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(uncertaintyAxis, Qt::AlignLeft);
    chart->addAxis(timeAxis, Qt::AlignRight);

    float largest = 0.0f;
    const std::size_t numPoints = plan.points.size();
    for (std::size_t p = 0; p < numPoints; ++p) {
        auto* curve = new QLineSeries;
        curve->setName(p < std::size_t(pointLabels.size()) ? pointLabels[qsizetype(p)]
                                                           : QString::number(p + 1));
        curve->setPen(QPen(kCurveColours[p % std::size(kCurveColours)], 2.0));
        curve->setPointsVisible(true);
        for (std::size_t v = 0; v < result.values.size(); ++v) {
            const PlanPointResult& point = result.values[v].points[p];
            if (!point.computed || !std::isfinite(point.worstCase.uncertaintyDb)) continue;
            curve->append(Position(plan, v), point.worstCase.uncertaintyDb);
            largest = std::max(largest, point.worstCase.uncertaintyDb);
        }
        Attach(chart, curve, x, uncertaintyAxis);
    }
    uncertaintyAxis->setRange(0.0, largest > 0.0f ? largest * 1.1 : 1.0);
    uncertaintyAxis->applyNiceNumbers();

    auto* sweepTime = new QLineSeries;
    sweepTime->setName(QStringLiteral("Sweep time (estimate)"));
    QPen dashed(kSweepTimeColour, 1.5, Qt::DashLine);
    sweepTime->setPen(dashed);
    for (std::size_t v = 0; v < result.values.size(); ++v)
        if (result.values[v].sweepTimeS > 0.0)
            sweepTime->append(Position(plan, v), result.values[v].sweepTimeS);
    Attach(chart, sweepTime, x, timeAxis);

    if (best && *best < result.values.size()) {
        auto* marks = new QScatterSeries;
        marks->setName(QStringLiteral("Best for the target"));
        marks->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        marks->setMarkerSize(14.0);
        marks->setColor(kBestColour);
        marks->setBorderColor(Qt::black);
        for (const PlanPointResult& point : result.values[*best].points)
            marks->append(Position(plan, *best), point.worstCase.uncertaintyDb);
        Attach(chart, marks, x, uncertaintyAxis);
    }
}

} // namespace tolvane
