#include "ui/charts/chart_content.h"

#include "core/units.h"
#include "ui/number_text.h"

#include "core/bulk_array.h"
#include "engine/compute_model.h"
#include "engine/uncertainty.h"

#include "core/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <new>
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

// The nominal magnitude in dB, remembered: the DUT values repeat from frequency to frequency, and
// a logarithm per point is most of the time it takes to read a large chart.
class NominalDb {
public:
    [[nodiscard]] float of(float nominal) {
        if (!known_ || nominal != nominal_) {
            nominal_ = nominal;
            db_ = LinearToDB(nominal);
            known_ = true;
        }
        return db_;
    }

private:
    bool known_ = false;
    float nominal_ = 0.0f;
    float db_ = 0.0f;
};

// The x and y ranges of the points read, from values no point goes beyond.
struct Ranges {
    float xMin = 1000000.0f;
    float xMax = -1000000.0f;
    float yMin = 1000000.0f;
    float yMax = -1000000.0f;
    void take(float x, float y) {
        if (x < xMin) xMin = x;
        if (x > xMax) xMax = x;
        if (y < yMin) yMin = y;
        if (y > yMax) yMax = y;
    }
    void take(const Ranges& other) {
        xMin = std::min(xMin, other.xMin);
        xMax = std::max(xMax, other.xMax);
        yMin = std::min(yMin, other.yMin);
        yMax = std::max(yMax, other.yMax);
    }
};

// The result triple that `quantity` (1 to 4) reads, with the DUT value and the uncertainty of
// that quantity; for magnitudes also as a linear magnitude (upper bound minus nominal).
bool ReadPoint(const UncertaintyInfo* result, int i, int j, int quantity, float* dutDb,
               float* uncertainty, double* linearUncertainty = nullptr,
               NominalDb* nominalDb = nullptr) {
    float nominal = 0.0f;
    float upper = 0.0f;
    float phase = 0.0f;
    const bool reflection = quantity <= kQuantityReflectionPhase;
    const int ok = reflection ? GetUncertaintyRefl(result, i, j, &nominal, &upper, &phase)
                              : GetUncertaintyTrans(result, i, j, &nominal, &upper, &phase);
    if (ok == 0) return false;
    // The same as MagnitudeUncertaintyDb, with the nominal's logarithm taken once.
    *dutDb = nominalDb != nullptr ? nominalDb->of(nominal) : LinearToDB(nominal);
    const bool magnitude = IsMagnitudeQuantity(quantity);
    *uncertainty = magnitude ? LinearToDB(upper) - *dutDb : phase;
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

    const bool magnitude = IsMagnitudeQuantity(kind);
    // Once here, so that a result that cannot be read reports it from this thread; the others
    // then read what this one could.
    {
        float x = 0.0f, y = 0.0f;
        if (!ReadPoint(result, 0, 0, kind, &x, &y)) {
            ReportDrawFailure();
            return false;
        }
    }
    // The frequencies are read in groups on every core; each group keeps its own ranges.
    QList<ChartCurve> curves(nF);
    ChartCurve* const curveData = curves.data();
    constexpr int kFrequenciesPerGroup = 64;
    const int groups = (nF + kFrequenciesPerGroup - 1) / kFrequenciesPerGroup;
    std::vector<Ranges> groupRanges(static_cast<std::size_t>(groups));
    std::atomic<bool> outOfMemory{false};
    const unsigned threads = nF * std::int64_t(nD) >= 100000 ? HardwareThreads() : 1U;
    RunOnWorkers(std::size_t(groups), threads, [&](std::size_t group, unsigned) {
        std::vector<NominalDb> nominalDb(static_cast<std::size_t>(nD));
        Ranges& ranges = groupRanges[group];
        const int first = int(group) * kFrequenciesPerGroup;
        const int end = std::min(nF, first + kFrequenciesPerGroup);
        try {
            for (int i = first; i < end; ++i) {
                QList<QPointF>& points = curveData[i].points;
                points.reserve(nD);
                if (magnitude) curveData[i].linearY.reserve(nD);
                for (int j = 0; j < nD; ++j) {
                    float x = 0.0f;
                    float y = 0.0f;
                    double linear = 0.0;
                    (void)ReadPoint(result, i, j, kind, &x, &y, &linear,
                                    &nominalDb[static_cast<std::size_t>(j)]);
                    points.append(QPointF(x, y));
                    if (magnitude) curveData[i].linearY.append(linear);
                    ranges.take(x, y);
                }
            }
        } catch (const std::bad_alloc&) {
            outOfMemory.store(true);
        }
    });
    if (outOfMemory.load()) throw std::bad_alloc();
    Ranges all;
    for (const Ranges& ranges : groupRanges)
        all.take(ranges);
    const float xMin = all.xMin, xMax = all.xMax;
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
    SetLogAxisRange(all.yMin, all.yMax, magnitude ? kMagnitudeAxisCap : HUGE_VAL, content);
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
