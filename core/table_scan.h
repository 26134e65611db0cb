#pragma once

#include <cmath>

namespace tolvane {

/// Where an abscissa x falls in a table of n > 0 abscissas xs (expected ascending), by the rule
/// every value-table lookup shares. x matches xs[i] when |x - xs[i]| < tolerance (strictly).
struct TablePlace {
    enum Kind {
        Match,     ///< x matches xs[index]: the result is that pair's value
        Between,   ///< xs[index - 1] <= x < xs[index], index >= 1: the lookup's own rule applies
        Below,     ///< x lies below xs[0] and matches neither end
        Above,     ///< x lies above xs[n - 1] and matches neither end
        ScanEnded, ///< the scan found no pair above x (only for a NaN abscissa or table entry)
    };
    Kind kind;
    int index;
};

/// The ends are tried first (xs[0], then xs[n - 1]), then the span, then the scan from index 0
/// that stops at the first match or the first abscissa above x. Tables that are not ascending
/// are scanned all the same; this function is the reference for any faster lookup.
template <typename Abscissa>
[[nodiscard]] TablePlace FindTablePlace(const Abscissa* xs, int n, Abscissa x, double tolerance) {
    auto matches = [&](int i) { return std::fabs(static_cast<double>(x - xs[i])) < tolerance; };
    if (matches(0)) return {TablePlace::Match, 0};
    if (matches(n - 1)) return {TablePlace::Match, n - 1};
    if (x < xs[0]) return {TablePlace::Below, 0};
    if (x > xs[n - 1]) return {TablePlace::Above, n - 1};
    for (int i = 0; i < n; ++i) {
        if (matches(i)) return {TablePlace::Match, i};
        if (xs[i] > x) return {TablePlace::Between, i};
    }
    return {TablePlace::ScanEnded, n - 1};
}

} // namespace tolvane
