#pragma once

#include <vector>

namespace tolvane {

/// How the frequencies of a sweep are spaced.
enum class SweepSpacing {
    Linear,      ///< equal steps
    Logarithmic, ///< equal ratios: the same number of points in every decade
};

/// `points` frequencies in Hz from `startHz` to `stopHz`, both included (one point is the start
/// alone), in sweep order. Logarithmic spacing needs a start and a stop above 0. Empty when
/// `points` is less than 1 or a logarithmic sweep has a limit of 0 or below.
[[nodiscard]] std::vector<double> SweepFrequenciesHz(double startHz, double stopHz, int points,
                                                     SweepSpacing spacing);

} // namespace tolvane
