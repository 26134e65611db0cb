#include "ui/charts/axis_ticks.h"

#include <array>
#include <cmath>

namespace tolvane {
namespace {

constexpr double kAimedIntervals = 5.0;
constexpr int kMaxDecimals = 9;

// The fewest decimals (at least one) that print `interval` exactly.
int DecimalsFor(double interval) {
    for (int decimals = 1; decimals < kMaxDecimals; ++decimals) {
        const double scaled = interval * std::pow(10.0, decimals);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 * scaled) return decimals;
    }
    return kMaxDecimals;
}

} // namespace

LinearTicks RoundLinearTicks(double minimum, double maximum) {
    const double span = maximum - minimum;
    if (!std::isfinite(span) || !(span > 0.0)) return {minimum, 1.0, 1};

    const double aimed = span / kAimedIntervals;
    const double decade = std::pow(10.0, std::floor(std::log10(aimed)));
    // The round step nearest the aimed interval on a logarithmic scale.
    constexpr std::array<double, 5> kSteps{1.0, 2.0, 2.5, 5.0, 10.0};
    double interval = decade;
    for (double step : kSteps)
        if (std::fabs(std::log(step * decade / aimed)) < std::fabs(std::log(interval / aimed)))
            interval = step * decade;

    // A minimum that is a multiple of the interval but for rounding is its own first tick.
    const double anchor = std::ceil(minimum / interval - 1e-9) * interval;
    return {anchor, interval, DecimalsFor(interval)};
}

} // namespace tolvane
