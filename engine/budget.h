#pragma once

#include "engine/compute_model.h"
#include "engine/uncertainty_point.h"

#include <array>

namespace tolvane {

/// The error terms a budget explains, kBudgetTerms of the terms' description: the first eleven
/// coverage factors, each standing for every term it divides ("drift" is the cable magnitude drift
/// of both cables, "connector repeatability" both repeatabilities of both connectors).
inline constexpr int kNumBudgetTerms = 11;

/// The name of budget term `term` (0 to 10, in coverage-factor order) in lower case:
/// "directivity" ...
[[nodiscard]] const char* BudgetTermName(int term);

/// What one error term contributes to a point's worst-case upper bound. Deviations are linear
/// magnitudes above the nominal one, k applied.
struct BudgetLine {
    double aloneDeviation = 0.0;   ///< every other term neutral
    double withoutDeviation = 0.0; ///< this term alone neutral
    double sharePercent = 0.0;     ///< 100 alone^2 / (sum of alone^2 over the eleven)
};

/// The uncertainty budget of one measurement at one point.
struct UncertaintyBudget {
    double nominal = 0.0;
    double worstCaseDeviation = 0.0; ///< the upper bound minus the nominal magnitude
    /// The phase uncertainty, its arcsine part (from the magnitude bound) and the part the cable
    /// phase drift adds to it, in degrees.
    double phaseDeg = 0.0;
    double asinPhaseDeg = 0.0;
    double cablePhaseDriftDeg = 0.0;
    std::array<BudgetLine, kNumBudgetTerms> terms{};
    /// Root-sum-square of the eleven alone deviations: the terms taken as independent.
    double rssDeviation = 0.0;
};

/// The budget of `point` of `model` with coverage factors `k`: the worst-case computation run once
/// as it is, once with each term alone and once without each term (a term is made neutral by an
/// infinite coverage factor). 0 when a computation failed (it has reported).
[[nodiscard]] int ComputeUncertaintyBudget(const ModelInfo& model, const CoverageFactors& k,
                                           const UncertaintyPoint& point,
                                           UncertaintyBudget* budget);

/// The arcsine part of a phase uncertainty, in degrees, for a magnitude deviation above the
/// nominal magnitude: asin(min(1, deviation / nominal)).
[[nodiscard]] double ArcsinePhaseDeg(double deviation, double nominal);

} // namespace tolvane
