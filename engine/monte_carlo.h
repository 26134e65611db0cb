#pragma once

#include "engine/uncertainty_point.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tolvane {

/// The seed of the trials unless the user gives another: results are reproducible.
inline constexpr std::uint64_t kDefaultMonteCarloSeed = 1;
/// Trials of a single point (the budget) and of each point of a sweep, unless the user says.
inline constexpr int kDefaultPointTrials = 100000;
inline constexpr int kDefaultSweepTrials = 10000;
/// The trial counts a user may ask for: fewer would leave the 95 % interval without trials beyond
/// it, more would not fit the memory of an ordinary machine (136 bytes a trial).
inline constexpr int kMinMonteCarloTrials = 100;
inline constexpr int kMaxMonteCarloTrials = 1000000;
/// The coverage probability of the Monte Carlo interval.
inline constexpr double kMonteCarloCoverage = 0.95;

struct MonteCarloOptions {
    int trials = kDefaultPointTrials;
    std::uint64_t seed = kDefaultMonteCarloSeed;
};

/// The linear magnitudes of every error term at one point, before coverage factors: losses as
/// LossToLinear, gain deviations as GainToLinear - 1, the connector transmission repeatability as
/// LossToLinear (it is added to 1), the noise as the standard deviation of the complex noise added
/// to each reading; and the DUT's S-parameters as linear magnitudes.
struct TermMagnitudes {
    double directivity = 0.0;
    double sourceMatch = 0.0;
    double loadMatch = 0.0;
    double reflectionTracking = 0.0;
    double transmissionTracking = 0.0;
    double crosstalk = 0.0;
    double cable1Drift = 0.0;
    double cable2Drift = 0.0;
    double connector1Reflection = 0.0;
    double connector1Transmission = 0.0;
    double connector2Reflection = 0.0;
    double connector2Transmission = 0.0;
    double source = 0.0;
    double reflectionReceiver = 0.0;   ///< SRc at the power of the reflected signal
    double transmissionReceiver = 0.0; ///< SRc at the power of the transmitted signal
    double reflectionNoise = 0.0;
    double transmissionNoise = 0.0;
    double s11 = 0.0, s12 = 0.0, s21 = 0.0, s22 = 0.0;
};

/// Looks the terms of `point` up in the model's tables, through the worst-case computation's own
/// two-port builders with coverage factors of 1. 0 when a lookup fails (it has reported).
[[nodiscard]] int LookUpTermMagnitudes(const ModelInfo& model, const UncertaintyPoint& point,
                                       TermMagnitudes* out);

/// The random part of every trial, drawn once from a seed: a unit phasor of uniform phase for each
/// error term and a circular complex Gaussian of unit standard deviation (E|z|^2 = 1) for the noise
/// of each reading. Every point evaluated with the same trials sees the same random numbers, so a
/// point of a sweep gives exactly what the point alone gives, and curves show no trial-to-trial
/// jitter from one point to the next. The phases are drawn from mt19937_64 with this library's own
/// conversion (21 bits a phase), so the draws are the same with every standard library. The
/// phasors are held in single precision, one column per quantity, for measuring several trials at
/// once.
class MonteCarloTrials {
public:
    /// The random quantities of one trial, in the order they are drawn.
    enum Quantity {
        kDirectivity,
        kReflectionTracking,
        kSourceMatch,
        kLoadMatch,
        kTransmissionTracking,
        kCrosstalk,
        kCable1Drift,
        kCable2Drift,
        kConnector1Reflection,
        kConnector1Transmission,
        kConnector2Reflection,
        kConnector2Transmission,
        kSource,
        kReflectionReceiver,
        kTransmissionReceiver,
        kReflectionNoise,
        kTransmissionNoise,
        kNumQuantities
    };

    /// Throws std::bad_alloc when the trials do not fit in memory.
    MonteCarloTrials(int trials, std::uint64_t seed);
    [[nodiscard]] int count() const { return count_; }

    /// The real and imaginary parts of every quantity, `padded()` trials long each: the trials
    /// after count() are drawn too, so that whole groups of them can be measured.
    struct Columns {
        std::array<const float*, kNumQuantities> re;
        std::array<const float*, kNumQuantities> im;
    };
    [[nodiscard]] Columns columns() const;
    [[nodiscard]] std::size_t padded() const { return padded_; }

private:
    int count_;
    std::size_t padded_;
    std::vector<float> values_; ///< re then im of each quantity in turn
};
/// A coverage interval of the measured magnitude as deviations from the nominal magnitude
/// (linear; the lower one is usually negative).
struct CoverageInterval {
    double lowerDeviation = 0.0;
    double upperDeviation = 0.0;
};

/// The squared magnitude measured in each trial (at least count() values; those beyond are not
/// trials of the count): each term a phasor of its magnitude (tracking, drift, source, receiver and
/// the connector transmission 1 plus one), the chain cascaded in complex numbers, the noise added.
void MeasureTrials(const TermMagnitudes& terms, MeasuredParameter parameter,
                   const MonteCarloTrials& trials, std::vector<double>& squaredMagnitudes);

/// The probabilistically symmetric 95 % coverage interval of the magnitude measured at a point
/// with the terms `terms`, over `trials`. `work` is working storage. With `upperOnly` the lower
/// deviation is left 0.
[[nodiscard]] CoverageInterval EvaluateMonteCarlo(const TermMagnitudes& terms,
                                                  MeasuredParameter parameter,
                                                  const MonteCarloTrials& trials,
                                                  std::vector<double>& work,
                                                  bool upperOnly = false);

/// Monte Carlo of one point of `model`: lookup, trials from the options, interval. 0 when a lookup
/// failed (it has reported) or the trials did not fit in memory (reported).
[[nodiscard]] int MonteCarloPoint(const ModelInfo& model, const UncertaintyPoint& point,
                                  const MonteCarloOptions& options, CoverageInterval* interval);

} // namespace tolvane
