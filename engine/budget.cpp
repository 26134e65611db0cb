#include "engine/budget.h"

#include "engine/model_terms.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>

namespace tolvane {
namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.141592653589793;

// The names as the budget's csv and tables give them: the terms' own names in lower case.
std::array<std::string, kNumBudgetTerms> LowerCaseNames() {
    std::array<std::string, kNumBudgetTerms> names;
    for (std::size_t i = 0; i < names.size(); ++i)
        for (const char* c = kBudgetTerms[i].name; *c != '\0'; ++c)
            names[i] += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    return names;
}

constexpr float kNeutralFactor = std::numeric_limits<float>::infinity();

} // namespace

const char* BudgetTermName(int term) {
    static const std::array<std::string, kNumBudgetTerms> names = LowerCaseNames();
    return term >= 0 && term < kNumBudgetTerms ? names[std::size_t(term)].c_str() : "";
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

    // A budget term is neutral when its coverage factor is infinite: every model term it divides
    // then contributes exactly nothing.
    CoverageFactors allNeutral = k;
    for (const BudgetTerm& term : kBudgetTerms)
        allNeutral[term.coverage] = kNeutralFactor;
    double sumOfSquares = 0.0;
    for (std::size_t at = 0; at < std::size(kBudgetTerms); ++at) {
        const CoverageFactor factor = kBudgetTerms[at].coverage;
        CoverageFactors alone = allNeutral;
        alone[factor] = k[factor];
        CoverageFactors without = k;
        without[factor] = kNeutralFactor;
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
