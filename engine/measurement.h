#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace tolvane {

/// The S-parameters of a measured device, in the order its results are reported.
enum class SParameter : int { S11, S21, S12, S22 };
inline constexpr std::size_t kNumSParameters = 4;
inline constexpr std::array<SParameter, kNumSParameters> kAllSParameters = {
    SParameter::S11, SParameter::S21, SParameter::S12, SParameter::S22};

/// "S11", "S21", "S12" or "S22".
[[nodiscard]] const char* SParameterName(SParameter parameter);

[[nodiscard]] constexpr std::size_t Index(SParameter parameter) {
    return static_cast<std::size_t>(parameter);
}

/// One measured S-parameter: its magnitude in dB (20 log10 |S|) and its angle in degrees.
struct MeasuredValue {
    double magnitudeDb = 0.0;
    double angleDeg = 0.0;
};

/// The dB value that stands for a magnitude of 0.
inline constexpr double kZeroMagnitudeDb = -200.0;

/// 20 log10 |magnitude|, and kZeroMagnitudeDb for 0.
[[nodiscard]] double MagnitudeToDb(double magnitude);

/// The S-parameters measured at one frequency, indexed by SParameter; a one-port has S11 only.
struct MeasuredPoint {
    double frequencyHz = 0.0;
    std::array<MeasuredValue, kNumSParameters> s{};
};

/// Most frequencies a measurement may hold.
inline constexpr std::size_t kMaxMeasuredFrequencies = 100000;

/// A measured device as a Touchstone file gives it: one or two ports, frequencies in Hz strictly
/// increasing.
struct Measurement {
    int numPorts = 0;
    std::vector<MeasuredPoint> points;

    /// The parameters the measurement holds, in report order: S11 alone for one port.
    [[nodiscard]] std::vector<SParameter> parameters() const;
};

} // namespace tolvane
