#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

struct ConfigInfo;

/// The set-up choice a plan varies.
enum class PlanQuantity { IFBandwidth, Averaging, PortPower, CableLength, CalKit, Analyzer };

/// Which cable a cable-length plan changes.
enum class PlanCable { Both, Cable1, Cable2 };

/// The measurement a point of interest asks about.
enum class PlanPort { Reflection, Transmission };

/// A point of interest: a frequency and a DUT value, as a point of the configuration's
/// reflection-only sweep (S11 = S22 = the value) or reciprocal transmission-only sweep
/// (S21 = S12 = the value).
struct PlanPoint {
    double frequencyHz = 0.0;
    float dutDb = 0.0f;
    PlanPort port = PlanPort::Reflection;
};

/// One value of the varied quantity: a number in the quantity's unit (Hz, averaging factor, dBm,
/// metres) or, for a calibration kit or an analyzer, its name.
struct PlanValue {
    double number = 0.0;
    std::string name;
    bool operator==(const PlanValue&) const = default;
};

inline constexpr std::size_t kMaxPlanPoints = 5;

/// The current configuration varied in one quantity over `values`, looked at in 1 to 5 points.
struct Plan {
    PlanQuantity quantity = PlanQuantity::IFBandwidth;
    PlanCable cable = PlanCable::Both; ///< for PlanQuantity::CableLength
    std::vector<PlanValue> values;
    std::vector<PlanPoint> points;
};

/// The uncertainty of one method at one point: linear magnitudes, and the magnitude uncertainty
/// in dB as the charts and the exported tables show it, 20 log10(upper) - 20 log10(nominal).
struct PointUncertainty {
    float nominal = 0.0f;
    float upperBound = 0.0f;
    float uncertaintyDb = 0.0f;
};

/// One point of one value. Further methods (root-sum-square, Monte Carlo) join the worst case
/// as members of their own.
struct PlanPointResult {
    bool computed = false;
    PointUncertainty worstCase;
    /// Why the point was not computed: the first message the computation gave.
    std::string failure;
};

struct PlanValueResult {
    std::vector<PlanPointResult> points; ///< in the plan's point order
    /// Estimated time of one measurement with this value, seconds; not a number when unknown.
    double sweepTimeS = 0.0;
    [[nodiscard]] bool allComputed() const;
    /// The largest uncertainty of the points (dB); only meaningful when all were computed.
    [[nodiscard]] float largestUncertaintyDb() const;
};

/// One result per value of the plan, in the plan's value order.
struct PlanResult {
    std::vector<PlanValueResult> values;
};

/// Computes the plan: for every value, the configuration with that value (set through the
/// configuration's setters, as the editors write it) turned into a model as "Compute
/// Configuration" does, and that model computed by the uncertainty computation at each point
/// alone; and the sweep time the value costs. A value or point that cannot be computed keeps
/// the first message the computation gave as its failure; those messages are not shown. The
/// configuration and the program's state are not changed.
///
/// Returns 0 after reporting when the plan itself is unusable (no value, no point or more than
/// five, a frequency not above 0), 1 otherwise, whatever the values' outcomes.
[[nodiscard]] int ComputePlan(const ConfigInfo* config, const Plan& plan, PlanResult* result);

/// The value whose uncertainty is at most `targetDb` at every point and whose sweep time is the
/// smallest; of equal sweep times the one with the smaller largest uncertainty, then the first.
/// None when no value meets the target.
[[nodiscard]] std::optional<std::size_t> FindBestPlanValue(const PlanResult& result,
                                                           double targetDb);

/// The measurement a point asks about when it does not say: transmission for a configuration
/// whose DUT is transmission only, reflection otherwise.
[[nodiscard]] PlanPort DefaultPlanPort(const ConfigInfo* config);

/// Sweep directions of the measurement: one (one-port) when the configuration's DUT is
/// reflection only and every point asks about reflection, two (forward and reverse) otherwise.
[[nodiscard]] int PlanSweepDirections(const ConfigInfo* config, const Plan& plan);

} // namespace tolvane
