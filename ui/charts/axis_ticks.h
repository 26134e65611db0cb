#pragma once

namespace tolvane {

/// Ticks of a linear axis at round values: every multiple of `interval` from `anchor` on.
struct LinearTicks {
    double anchor = 0.0;   ///< the first tick at or above the axis minimum
    double interval = 1.0; ///< 1, 2, 2.5 or 5 times a power of ten
    int decimals = 1;      ///< what the labels need to show the interval exactly, at least 1
};

/// Round ticks for an axis from `minimum` to `maximum`: about five intervals, each of 1, 2, 2.5 or
/// 5 times a power of ten, so that an engineer reads -80, -60, ... 0 rather than -80, -57.5, ...
/// The axis keeps its range; the ends need not be ticks. An empty or non-finite range gives one
/// tick per unit from the minimum.
[[nodiscard]] LinearTicks RoundLinearTicks(double minimum, double maximum);

} // namespace tolvane
