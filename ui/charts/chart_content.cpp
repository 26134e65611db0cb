#include "ui/charts/chart_content.h"

#include "core/units.h"
#include "ui/number_text.h"

#include "core/bulk_array.h"
#include "engine/compute_model.h"
#include "engine/uncertainty.h"

#include <algorithm>
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

// What a chart keeps of each point (its coordinates) and what drawing it takes besides: the
// series' own copy of the points, the path drawn through them and the scene's geometry.
constexpr std::size_t kBytesPerKeptPoint = sizeof(QPointF) + sizeof(double);
constexpr std::size_t kBytesPerDrawnPoint = 4 * sizeof(QPointF);

// A chart of nF curves of nD points: the memory it needs must be left, or building it would
// end the program. Refused with "DrawPlot: error allocating memory.".
bool ChartFitsInMemory(int nF, int nD) {
    // In doubles: the product of two counts may exceed any integer type.
    const double keptPoints = double(nF) * double(nD);
    const double drawnPoints = double(std::min(nF, kMaxDrawnCurves)) * double(nD);
    const double bytes = keptPoints * kBytesPerKeptPoint + drawnPoints * kBytesPerDrawnPoint;
    if (bytes <= double(AvailableMemoryBytes())) return true;
    ReportPlotError(MakeErrorCode(kPlotMsgAllocation, kRoutineDrawPlot));
    return false;
}

bool ReadCounts(const UncertaintyInfo* result, int* nF, int* nD) {
    if (GetUncertaintyNumFreqs(result, nF) == 0 || GetUncertaintyNumDUTValues(result, nD) == 0) {
        ReportDrawFailure();
        return false;
    }
    return true;
}

bool IsMagnitudeQuantity(int quantity) {
    return quantity == kQuantityReflectionMagnitude || quantity == kQuantityTransmissionMagnitude;
}

// The result triple that `quantity` (1 to 4) reads, with the DUT value and the uncertainty of
// that quantity; for magnitudes also as a linear magnitude (upper bound minus nominal).
bool ReadPoint(const UncertaintyInfo* result, int i, int j, int quantity, float* dutDb,
               float* uncertainty, double* linearUncertainty = nullptr) {
    float nominal = 0.0f;
    float upper = 0.0f;
    float phase = 0.0f;
    const bool reflection = quantity <= kQuantityReflectionPhase;
    const int ok = reflection ? GetUncertaintyRefl(result, i, j, &nominal, &upper, &phase)
                              : GetUncertaintyTrans(result, i, j, &nominal, &upper, &phase);
    if (ok == 0) return false;
    *dutDb = LinearToDB(nominal);
    const bool magnitude = IsMagnitudeQuantity(quantity);
    *uncertainty = magnitude ? MagnitudeUncertaintyDb(nominal, upper) : phase;
    if (linearUncertainty != nullptr)
        *linearUncertainty = static_cast<double>(upper) - static_cast<double>(nominal);
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

bool IsMagnitudeChart(const ChartContent& content) {
    return IsMagnitudeQuantity(content.quantity);
}

QString ShownTitle(const ChartContent& content) {
    if (!content.namesResultSlot) return content.title;
    // Numbered from 1 like the files "Output Tabular Data..." writes: Result 3 is "_03".
    return QStringLiteral("%1 (Result %2)").arg(content.title).arg(content.resultSlot + 1);
}

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
    if (!ReadCounts(result, &nF, &nD) || !ChartFitsInMemory(nF, nD)) return false;
    SetCommonTexts(kind, kind, subtitle, content);

    float xMin = 1000000.0f;
    float xMax = -1000000.0f;
    float yMin = 1000000.0f;
    float yMax = -1000000.0f;
    const bool magnitude = IsMagnitudeQuantity(kind);
    QList<ChartCurve> curves(nF);
    for (int i = 0; i < nF; ++i) {
        QList<QPointF>& points = curves[i].points;
        points.reserve(nD);
        if (magnitude) curves[i].linearY.reserve(nD);
        for (int j = 0; j < nD; ++j) {
            float x = 0.0f;
            float y = 0.0f;
            double linear = 0.0;
            if (!ReadPoint(result, i, j, kind, &x, &y, &linear)) {
                ReportDrawFailure();
                return false;
            }
            points.append(QPointF(x, y));
            if (magnitude) curves[i].linearY.append(linear);
            if (x < xMin) xMin = x;
            if (x > xMax) xMax = x;
            if (y < yMin) yMin = y;
            if (y > yMax) yMax = y;
        }
    }
    QList<QString> labels;
    if (!ReadLabels(result, nF, &labels)) return false;
    for (int i = 0; i < nF; ++i) {
        curves[i].label = labels[i];
        double frequencyHz = 0.0;
        (void)GetUncertaintyFreq(result, i, &frequencyHz); // read above already
        curves[i].frequencyHz = frequencyHz;
    }

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
    if (!ReadCounts(result, &nF, &nD) || !ChartFitsInMemory(nF, 1)) return false;
    SetCommonTexts(kind, quantity, subtitle, content);

    float yMin = 1000000.0f;
    float yMax = -1000000.0f;
    const bool magnitude = IsMagnitudeQuantity(quantity);
    ChartCurve curve;
    curve.points.reserve(nF);
    if (magnitude) curve.linearY.reserve(nF);
    for (int i = 0; i < nF; ++i) {
        double frequencyHz = 0.0;
        float dutDb = 0.0f;
        float y = 0.0f;
        double linear = 0.0;
        if (GetUncertaintyFreq(result, i, &frequencyHz) == 0 ||
            !ReadPoint(result, i, 0, quantity, &dutDb, &y, &linear)) {
            ReportDrawFailure();
            return false;
        }
        content->dutValueDb = dutDb;
        if (magnitude) curve.linearY.append(linear);
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
