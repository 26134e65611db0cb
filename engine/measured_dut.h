#pragma once

#include "engine/measurement.h"
#include "engine/uncertainty_methods.h"
#include "engine/verdict.h"

#include <array>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace tolvane {

struct ConfigInfo;

/// The uncertainty of one measured S-parameter at one frequency.
struct MeasuredBounds {
    /// The measured magnitude in dB as the computation takes it (a DUT value is a float).
    float measuredDb = 0.0f;
    double measuredDeg = 0.0;
    /// What the computation stores: the nominal and upper-bound linear magnitudes and the phase
    /// uncertainty in degrees (plus or minus).
    float nominal = 0.0f;
    float upperBound = 0.0f;
    float phaseDeg = 0.0f;
    /// 20 log10(upper bound), and 20 log10(max(2 x nominal - upper bound, 0)): the model's
    /// deviation mirrored below the nominal; -inf when it reaches 0.
    double upperDb = 0.0;
    double lowerDb = 0.0;
    /// The worst verdict of the limits over this point; None where no limit applies.
    Verdict verdict = Verdict::None;

    /// Sets the upper bound and the phase uncertainty, and the two bounds in dB from them.
    void setBound(float upper, float phase);
};

/// The DUT values (dB, as the computation takes them) of a measured point's forward direction: its
/// measured magnitudes, or for a one-port its S11 with S21 = S12 = S22 = -200 dB.
struct MeasuredDUTValues {
    float s11, s12, s21, s22;
};
[[nodiscard]] MeasuredDUTValues ForwardDUTValues(const MeasuredPoint& point, int numPorts);

/// Where the bound nearest a limit comes closest to it, or misses it by most.
struct WorstMargin {
    double marginDb = std::numeric_limits<double>::infinity();
    double frequencyHz = 0.0;
    SParameter parameter = SParameter::S11;
    Limit limit;
};

/// The verdicts of a measurement against its limits under one decision rule.
struct VerdictSummary {
    DecisionRule rule = DecisionRule::Guarded;
    /// True when some point lies in some limit's range; the rest means nothing otherwise.
    bool limitsApply = false;
    /// The worst point verdict.
    Verdict overall = Verdict::None;
    /// True when the rule accepts every point.
    bool accepted = true;
    WorstMargin worst;
};

/// The uncertainty of every point of a measurement, with its verdicts.
struct MeasuredResults {
    int numPorts = 0;
    std::vector<double> frequenciesHz;
    /// Indexed by SParameter, one entry per frequency; empty for a parameter the measurement lacks.
    std::array<std::vector<MeasuredBounds>, kNumSParameters> bounds;
    /// "VNA / kit" of the configuration the bounds were computed with.
    std::string setUp;
    /// The file names the results came from, for titles and tables; empty when not known.
    std::string measurementName;
    std::string limitsName;
    VerdictSummary summary;

    [[nodiscard]] bool has(SParameter parameter) const { return !bounds[Index(parameter)].empty(); }
};

/// The uncertainty of every measured point with the configuration's set-up: at each frequency the
/// configuration with a user-defined DUT of the measured magnitudes in dB gives S11 (reflection)
/// and S21 (transmission); with ports, cables and connectors exchanged and S11/S22, S12/S21
/// swapped it gives S22 and S12. A one-port has S21 = S12 = S22 = -200 dB and gives S11 alone.
/// Each value is bit for bit what ComputeConfig gives for that configuration at that one
/// frequency. The measured frequencies must lie inside the set-up's tables: otherwise the messages
/// (and the frequency advice) of a configuration frequency out of range. `results` is replaced
/// only on success (verdicts none); 1 on success, 0 after reporting.
[[nodiscard]] int ComputeMeasuredDUT(const ConfigInfo* config, const Measurement& measurement,
                                     MeasuredResults* results);

/// Sets each point's verdict against the limits over it (the worst when several apply) and the
/// summary under `rule`. Limits on parameters the measurement lacks judge nothing.
void JudgeMeasurement(std::span<const Limit> limits, DecisionRule rule, MeasuredResults* results);

/// What "Open Measurement..." and `tolvane-cli compute-measured` compute: the bounds of every point
/// by the method of `method` (ComputeMeasuredByMethod), then the verdicts against `limits` under
/// `rule`. `results` is replaced only on success; 1 on success, 0 after reporting or, silently,
/// when the progress callback cancelled.
[[nodiscard]] int ComputeMeasuredCommand(const ConfigInfo* config, const Measurement& measurement,
                                         std::span<const Limit> limits, DecisionRule rule,
                                         MeasuredResults* results,
                                         const MethodOptions& method = {});

} // namespace tolvane
