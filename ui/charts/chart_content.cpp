#include "ui/charts/chart_content.h"

#include "core/units.h"
#include "ui/number_text.h"

#include "engine/compute_model.h"
#include "engine/uncertainty.h"

#include <cmath>
#include <vector>

namespace tolvane {
namespace {

constexpr int kFirstExponent = -10;
// Beyond the largest double every comparison with a power of ten would hold for an infinite
// value; stop there instead of looping for ever.
constexpr int kLastExponent = 308;

int DecadeExponent(double value) {
    int e = kFirstExponent;
    while (value > std::pow(10.0, e) && e < kLastExponent)
        ++e;
    return e;
}

void ReportDrawFailure() {
    ReportPlotError(MakeErrorCode(kPlotMsgCalledRoutine, kRoutineDrawPlot));
}

bool ReadCounts(const UncertaintyInfo* result, int* nF, int* nD) {
    if (GetUncertaintyNumFreqs(result, nF) == 0 || GetUncertaintyNumDUTValues(result, nD) == 0) {
        ReportDrawFailure();
        return false;
    }
    return true;
}

// The result triple that `quantity` (1 to 4) reads, with the DUT value and the uncertainty of
// that quantity.
bool ReadPoint(const UncertaintyInfo* result, int i, int j, int quantity, float* dutDb,
               float* uncertainty) {
    float nominal = 0.0f;
    float upper = 0.0f;
    float phase = 0.0f;
    const bool reflection = quantity <= kQuantityReflectionPhase;
    const int ok = reflection ? GetUncertaintyRefl(result, i, j, &nominal, &upper, &phase)
                              : GetUncertaintyTrans(result, i, j, &nominal, &upper, &phase);
    if (ok == 0) return false;
    *dutDb = LinearToDB(nominal);
    const bool magnitude =
        quantity == kQuantityReflectionMagnitude || quantity == kQuantityTransmissionMagnitude;
    *uncertainty = magnitude ? MagnitudeUncertaintyDb(nominal, upper) : phase;
    return true;
}

bool ReadLabels(const UncertaintyInfo* result, int nF, QList<QString>* labels) {
    labels->reserve(nF);
    for (int i = 0; i < nF; ++i) {
        double frequencyHz = 0.0;
        if (GetUncertaintyFreq(result, i, &frequencyHz) == 0) {
            ReportDrawFailure();
            return false;
        }
        labels->append(FrequencyLabel(frequencyHz));
    }
    return true;
}

void SetCommonTexts(int kind, int quantity, const QString& subtitle, ChartContent* content) {
    content->kind = kind;
    content->quantity = quantity;
    content->title = PlotTitle(kind, quantity);
    content->subtitle = subtitle;
    switch (kind) {
    case kPlotReflectionMagnitude:
    case kPlotReflectionPhase:
        content->xAxisLabel = QStringLiteral("Device S11 (dB)");
        break;
    case kPlotTransmissionMagnitude:
    case kPlotTransmissionPhase:
        content->xAxisLabel = QStringLiteral("Device S21 (dB)");
        break;
    default:
        content->xAxisLabel = QStringLiteral("Frequency (GHz)");
        break;
    }
    switch (kind) {
    case kPlotReflectionPhase:
    case kPlotTransmissionPhase:
        content->yAxisLabel = QStringLiteral("Uncertainty (Degrees)");
        break;
    case kPlotFrequencyPhase:
        content->yAxisLabel = QStringLiteral("Uncertainty (degrees)");
        break;
    default:
        content->yAxisLabel = QStringLiteral("Uncertainty (dB)");
        break;
    }
}

// The y axis by the decade rules. When every value lies above the cap the rules would give a
// minimum above the maximum; the axis then shows the decade below the cap instead.
void SetLogAxisRange(double yMin, double yMax, double cap, ChartContent* content) {
    content->yAxisMax = LogAxisMaximum(yMax, cap);
    content->yAxisMin = LogAxisMinimum(yMin);
    if (content->yAxisMin >= content->yAxisMax) content->yAxisMin = 0.099 * content->yAxisMax;
}

} // namespace

float MagnitudeUncertaintyDb(float nominal, float upperBound) {
    return LinearToDB(upperBound) - LinearToDB(nominal);
}

double LogAxisMinimum(double yMin) {
    return 0.99 * std::pow(10.0, DecadeExponent(yMin) - 1);
}

double LogAxisMaximum(double yMax, double cap) {
    const double maximum = std::pow(10.0, DecadeExponent(yMax));
    return maximum > cap ? cap : maximum;
}

QString PlotTitle(int kind, int quantity) {
    const int shown = kind >= kPlotFrequencyMagnitude ? quantity : kind;
    switch (shown) {
    case kQuantityReflectionMagnitude:
        return QStringLiteral("Reflection Magnitude Uncertainty");
    case kQuantityReflectionPhase:
        return QStringLiteral("Reflection Phase Uncertainty");
    case kQuantityTransmissionMagnitude:
        return QStringLiteral("Transmission Magnitude Uncertainty");
    case kQuantityTransmissionPhase:
        return QStringLiteral("Transmission Phase Uncertainty");
    default:
        return {};
    }
}

QString FrequencyLabel(double frequencyHz) {
    return FormatFixed(frequencyHz / kHzPerGHz, 6) + QStringLiteral(" GHz");
}

bool ReadDutValueChart(const UncertaintyInfo* result, int kind, const QString& subtitle,
                       ChartContent* content) {
    int nF = 0;
    int nD = 0;
    if (!ReadCounts(result, &nF, &nD)) return false;
    SetCommonTexts(kind, kind, subtitle, content);

    float xMin = 1000000.0f;
    float xMax = -1000000.0f;
    float yMin = 1000000.0f;
    float yMax = -1000000.0f;
    QList<ChartCurve> curves(nF);
    for (int i = 0; i < nF; ++i) {
        QList<QPointF>& points = curves[i].points;
        points.reserve(nD);
        for (int j = 0; j < nD; ++j) {
            float x = 0.0f;
            float y = 0.0f;
            if (!ReadPoint(result, i, j, kind, &x, &y)) {
                ReportDrawFailure();
                return false;
            }
            points.append(QPointF(x, y));
            if (x < xMin) xMin = x;
            if (x > xMax) xMax = x;
            if (y < yMin) yMin = y;
            if (y > yMax) yMax = y;
        }
    }
    QList<QString> labels;
    if (!ReadLabels(result, nF, &labels)) return false;
    for (int i = 0; i < nF; ++i)
        curves[i].label = labels[i];

    const bool magnitude = kind == kPlotReflectionMagnitude || kind == kPlotTransmissionMagnitude;
    content->curves = std::move(curves);
    content->xMin = xMin;
    content->xMax = xMax;
    SetLogAxisRange(yMin, yMax, magnitude ? kMagnitudeAxisCap : HUGE_VAL, content);
    content->annotated = true;
    content->annotationAt = QPointF(xMin + (xMax - xMin) / 4.0f, 1.25 * content->yAxisMin);
    return true;
}

bool ReadFrequencyChart(const UncertaintyInfo* result, int kind, int quantity,
                        const QString& subtitle, ChartContent* content) {
    int nF = 0;
    int nD = 0;
    if (!ReadCounts(result, &nF, &nD)) return false;
    SetCommonTexts(kind, quantity, subtitle, content);

    float yMin = 1000000.0f;
    float yMax = -1000000.0f;
    ChartCurve curve;
    curve.points.reserve(nF);
    for (int i = 0; i < nF; ++i) {
        double frequencyHz = 0.0;
        float dutDb = 0.0f;
        float y = 0.0f;
        if (GetUncertaintyFreq(result, i, &frequencyHz) == 0 ||
            !ReadPoint(result, i, 0, quantity, &dutDb, &y)) {
            ReportDrawFailure();
            return false;
        }
        curve.points.append(QPointF(static_cast<float>(frequencyHz / kHzPerGHz), y));
        if (y < yMin) yMin = y;
        if (y > yMax) yMax = y;
    }

    content->curves = {curve};
    content->xMin = nF > 0 ? curve.points.first().x() : 0.0;
    content->xMax = nF > 0 ? curve.points.last().x() : 0.0;
    SetLogAxisRange(yMin, yMax, kFrequencyAxisCap, content);
    content->annotated = false;
    return true;
}

} // namespace tolvane
