#pragma once

namespace tolvane {

struct VNAInfo;

/// What the sweep time of one measurement depends on.
struct SweepConditions {
    int numPoints = 0;
    int averages = 1;
    float ifBandwidthHz = 0.0f;
    /// 1 for a one-port measurement, 2 for a two-port one (a forward and a reverse sweep).
    int directions = 1;
    float settlingFactor = 1.0f;
    float pointOverheadUs = 0.0f;
};

/// The estimated time of one measurement, in seconds:
///   directions x points x (averages / IF bandwidth x settling factor + overhead per point).
/// An estimate: analyzers add band switching, retrace and other delays of their own. Not a number
/// when the conditions cannot be timed (no points, no averaging, no bandwidth).
[[nodiscard]] double EstimateSweepTimeS(const SweepConditions& conditions);

/// The analyzer's settling factor and overhead per point into `conditions`; 0 when the analyzer's
/// getters fail (they have reported).
[[nodiscard]] int SetSweepTimeConstants(const VNAInfo* vna, SweepConditions* conditions);

} // namespace tolvane
