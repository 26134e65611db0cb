#include "engine/budget.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tolvane {
namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.141592653589793;

constexpr const char* kTermNames[kNumBudgetTerms] = {
    "directivity",
    "source match",
    "load match",
    "reflection tracking",
    "transmission tracking",
    "crosstalk",
    "noise floor",
    "drift",
    "connector repeatability",
    "source uncertainty",
    "receiver uncertainty",
};

constexpr float kNeutralFactor = std::numeric_limits<float>::infinity();

} // namespace

const char* BudgetTermName(int term) {
    return term >= 0 && term < kNumBudgetTerms ? kTermNames[term] : "";
}

double ArcsinePhaseDeg(double deviation, double nominal) {
    return std::asin(std::min(deviation / nominal, 1.0)) * kDegreesPerRadian;
}

int ComputeUncertaintyBudget(const ModelInfo& model, const CoverageFactors& k,
                             const UncertaintyPoint& point, UncertaintyBudget* budget) {
    PointComputation computation(model, point);
    PointResult full;
    if (computation.compute(k, &full) == 0) return 0;

    UncertaintyBudget b;
    b.nominal = full.nominal;
    b.worstCaseDeviation = full.upperBound - full.nominal;
    b.phaseDeg = full.phaseDeg;
    b.asinPhaseDeg = ArcsinePhaseDeg(b.worstCaseDeviation, b.nominal);
    b.cablePhaseDriftDeg = b.phaseDeg - b.asinPhaseDeg;

    CoverageFactors allNeutral = k;
    std::fill(allNeutral.begin(), allNeutral.begin() + kNumBudgetTerms, kNeutralFactor);
    double sumOfSquares = 0.0;
    for (int term = 0; term < kNumBudgetTerms; ++term) {
        const auto at = static_cast<std::size_t>(term);
        CoverageFactors alone = allNeutral;
        alone[at] = k[at];
        CoverageFactors without = k;
        without[at] = kNeutralFactor;
        PointResult a, w;
        if (computation.compute(alone, &a) == 0 || computation.compute(without, &w) == 0) return 0;
        b.terms[at].aloneDeviation = a.upperBound - a.nominal;
        b.terms[at].withoutDeviation = w.upperBound - w.nominal;
        sumOfSquares += b.terms[at].aloneDeviation * b.terms[at].aloneDeviation;
    }
    for (BudgetLine& line : b.terms)
        line.sharePercent = sumOfSquares > 0.0
                                ? 100.0 * line.aloneDeviation * line.aloneDeviation / sumOfSquares
                                : 0.0;
    b.rssDeviation = std::sqrt(sumOfSquares);
    *budget = b;
    return 1;
}

} // namespace tolvane
