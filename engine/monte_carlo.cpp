#include "engine/monte_carlo.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/vna.h"
#include "core/avx_lanes.h"
#include "engine/compute_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <random>

namespace tolvane {
namespace {

constexpr double kTwoPi = 2.0 * 3.141592653589793;

struct Phasor {
    double re;
    double im;
};

Phasor operator*(Phasor a, Phasor b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

// A phase is 21 random bits: the phasor of its upper 11 bits from one table times that of its
// lower 10 bits from another, so that no sine is evaluated per trial. The fine table is offset by
// half a step, which makes the 2^21 phases symmetric about 0.
constexpr int kCoarseBits = 11;
constexpr int kFineBits = 10;
constexpr std::uint64_t kPhaseMask = (std::uint64_t{1} << (kCoarseBits + kFineBits)) - 1;
constexpr std::uint64_t kFineMask = (std::uint64_t{1} << kFineBits) - 1;
constexpr int kPhasesPerDraw = 3;

struct PhaseTables {
    std::array<Phasor, std::size_t{1} << kCoarseBits> coarse;
    std::array<Phasor, std::size_t{1} << kFineBits> fine;
    PhaseTables() {
        for (std::size_t a = 0; a < coarse.size(); ++a) {
            const double angle = kTwoPi * static_cast<double>(a) / double(coarse.size());
            coarse[a] = {std::cos(angle), std::sin(angle)};
        }
        constexpr double kSteps = double(std::uint64_t{1} << (kCoarseBits + kFineBits));
        for (std::size_t b = 0; b < fine.size(); ++b) {
            const double angle = kTwoPi * (static_cast<double>(b) + 0.5) / kSteps;
            fine[b] = {std::cos(angle), std::sin(angle)};
        }
    }
};

const PhaseTables& Tables() {
    static const PhaseTables tables;
    return tables;
}

Phasor UnitPhasor(const PhaseTables& tables, std::uint64_t bits) {
    const std::uint64_t phase = bits & kPhaseMask;
    return tables.coarse[phase >> kFineBits] * tables.fine[phase & kFineMask];
}

// A uniform number in (0, 1] from the upper 53 bits of a draw.
double UniformOpenAtZero(std::uint64_t bits) {
    return static_cast<double>((bits >> 11) + 1) * 0x1.0p-53;
}

// Trials are measured several at a time, in vectors of doubles: two with the instruction set every
// processor of the target has and, on x86-64, four with AVX when the processor has it.
constexpr std::size_t kTrialGroup = 4;

namespace baseline {
using Lanes = double __attribute__((vector_size(16)));
#include "engine/monte_carlo_lanes.inc"
} // namespace baseline

namespace scalar {
using Lanes = double;
#include "engine/monte_carlo_lanes.inc"
} // namespace scalar

#if TOLVANE_AVX_LANES
#pragma GCC push_options
#pragma GCC target("avx")
namespace avx {
using Lanes = double __attribute__((vector_size(32)));
#include "engine/monte_carlo_lanes.inc"
template <bool kTransmission>
std::size_t MeasureQuadsFrom(const TermMagnitudes& terms, const MonteCarloTrials::Columns& trials,
                             double* out, std::size_t first, std::size_t count) {
    return MeasureFrom<kTransmission>(terms, trials, out, first, count);
}
} // namespace avx
#pragma GCC pop_options
#endif

template <bool kTransmission>
void Measure(const TermMagnitudes& terms, const MonteCarloTrials& trials, double* out,
             std::size_t count) {
    const MonteCarloTrials::Columns columns = trials.columns();
    std::size_t i = 0;
#if TOLVANE_AVX_LANES
    if (ProcessorHasAvx()) i = avx::MeasureQuadsFrom<kTransmission>(terms, columns, out, i, count);
#endif
    i = baseline::MeasureFrom<kTransmission>(terms, columns, out, i, count);
    (void)scalar::MeasureFrom<kTransmission>(terms, columns, out, i, count);
}

// The value of 0-based rank `rank` among the first `count` values of `values`, which is a high
// rank: rather than partitioning every value, a sample of them gives a threshold a little below
// it, the values from the threshold up are gathered behind the `count` (the vector grows), and only
// those are partitioned. Should the sample mislead (fewer values above the threshold than the
// rank needs), every value is partitioned.
double SelectHigh(std::vector<double>& values, std::size_t count, std::size_t rank) {
    constexpr std::size_t kStride = 8;
    const std::size_t above = count - rank; // values from the one sought up
    const std::size_t samples = count / kStride;
    const std::size_t margin = 2 * (above / kStride) + 8;
    if (samples <= margin) {
        std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(rank),
                         values.begin() + std::ptrdiff_t(count));
        return values[rank];
    }
    values.resize(count + std::max(samples, count));
    double* const gathered = values.data() + count;
    for (std::size_t i = 0; i < samples; ++i)
        gathered[i] = values[i * kStride];
    std::nth_element(gathered, gathered + (samples - margin), gathered + samples);
    const double threshold = gathered[samples - margin];
    std::size_t n = 0;
    for (std::size_t i = 0; i < count; ++i) {
        gathered[n] = values[i];
        n += values[i] >= threshold ? 1 : 0;
    }
    if (n < above) {
        std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(rank),
                         values.begin() + std::ptrdiff_t(count));
        return values[rank];
    }
    std::nth_element(gathered, gathered + (n - above), gathered + n);
    return gathered[n - above];
}

} // namespace

MonteCarloTrials::MonteCarloTrials(int trials, std::uint64_t seed)
    : count_(std::max(trials, 0)),
      padded_((static_cast<std::size_t>(count_) + kTrialGroup - 1) / kTrialGroup * kTrialGroup),
      values_(padded_ * 2 * kNumQuantities) {
    const PhaseTables& tables = Tables();
    std::mt19937_64 engine(seed);
    constexpr int kPhaseDraws = (kNumQuantities + kPhasesPerDraw - 1) / kPhasesPerDraw;
    std::array<Phasor, kNumQuantities> p{};
    for (std::size_t i = 0; i < padded_; ++i) {
        int quantity = 0;
        for (int draw = 0; draw < kPhaseDraws; ++draw) {
            std::uint64_t bits = engine();
            for (int slot = 0; slot < kPhasesPerDraw && quantity < kNumQuantities; ++slot) {
                p[std::size_t(quantity++)] = UnitPhasor(tables, bits);
                bits >>= kCoarseBits + kFineBits;
            }
        }
        // |z|^2 of a circular complex Gaussian with E|z|^2 = 1 is exponential with mean 1.
        for (Quantity noise : {kReflectionNoise, kTransmissionNoise}) {
            const double radius = std::sqrt(-std::log(UniformOpenAtZero(engine())));
            p[noise] = {radius * p[noise].re, radius * p[noise].im};
        }
        for (std::size_t q = 0; q < kNumQuantities; ++q) {
            values_[(2 * q) * padded_ + i] = static_cast<float>(p[q].re);
            values_[(2 * q + 1) * padded_ + i] = static_cast<float>(p[q].im);
        }
    }
}

MonteCarloTrials::Columns MonteCarloTrials::columns() const {
    Columns columns{};
    for (std::size_t q = 0; q < kNumQuantities; ++q) {
        columns.re[q] = values_.data() + (2 * q) * padded_;
        columns.im[q] = values_.data() + (2 * q + 1) * padded_;
    }
    return columns;
}

int LookUpTermMagnitudes(const ModelInfo& model, const UncertaintyPoint& point,
                         TermMagnitudes* out) {
    CoverageFactors ones;
    ones.fill(1.0f);
    const double f = point.frequencyHz;
    TwoPort load, cable1, cable2, connector1, connector2, sourceSide;
    float cxt = 0.0f, ssr = 0.0f, nrc = 0.0f, receiverR = 0.0f, receiverT = 0.0f;
    const float reflectionPowerDbm = model.powerDbm + point.s11Db;
    const float transmissionPowerDbm = model.powerDbm + point.s21Db;
    if (!LoadSideTwoPort(model.calKit, f, ones, &load) ||
        !CableDriftTwoPort(model.cable2, f, ones, &cable2) ||
        !ConnectorTwoPort(model.connector2, f, ones, &connector2) ||
        !ConnectorTwoPort(model.connector1, f, ones, &connector1) ||
        !CableDriftTwoPort(model.cable1, f, ones, &cable1) ||
        !SourceSideTwoPort(model.calKit, f, ones, &sourceSide) ||
        !GetCalFVValue(model.calKit, kCalCXt, f, &cxt) ||
        !GetVNAFVValue(model.vna, kVNATableSSr, f, &ssr) ||
        !GetVNAFVValue(model.vna, kVNATableNRc, f, &nrc) ||
        !GetVNAPVValue(model.vna, kVNATableSRc, reflectionPowerDbm, &receiverR) ||
        !GetVNAPVValue(model.vna, kVNATableSRc, transmissionPowerDbm, &receiverT))
        return 0;

    TermMagnitudes t;
    t.loadMatch = load.s11;
    t.transmissionTracking = double(load.s21) - 1.0;
    t.cable2Drift = double(cable2.s21) - 1.0;
    t.connector2Reflection = connector2.s11;
    t.connector2Transmission = double(connector2.s21) - 1.0;
    t.connector1Reflection = connector1.s11;
    t.connector1Transmission = double(connector1.s21) - 1.0;
    t.cable1Drift = double(cable1.s21) - 1.0;
    t.directivity = sourceSide.s11;
    t.reflectionTracking = double(sourceSide.s12) - 1.0;
    t.sourceMatch = sourceSide.s22;
    t.crosstalk = LossToLinear(cxt);
    t.source = double(GainToLinear(ssr)) - 1.0;
    t.reflectionReceiver = double(GainToLinear(receiverR)) - 1.0;
    t.transmissionReceiver = double(GainToLinear(receiverT)) - 1.0;
    t.s11 = DBToLinear(point.s11Db);
    t.s12 = DBToLinear(point.s12Db);
    t.s21 = DBToLinear(point.s21Db);
    t.s22 = DBToLinear(point.s22Db);
    const double noiseWatts = DBmToWatts(NoiseOffsetDb(model) - nrc);
    t.reflectionNoise = std::sqrt(noiseWatts / DBmToWatts(reflectionPowerDbm)) * t.s11;
    t.transmissionNoise = std::sqrt(noiseWatts / DBmToWatts(transmissionPowerDbm)) * t.s21;
    *out = t;
    return 1;
}

void MeasureTrials(const TermMagnitudes& terms, MeasuredParameter parameter,
                   const MonteCarloTrials& trials, std::vector<double>& squaredMagnitudes) {
    squaredMagnitudes.resize(trials.padded());
    if (parameter == MeasuredParameter::S11)
        Measure<false>(terms, trials, squaredMagnitudes.data(), trials.padded());
    else
        Measure<true>(terms, trials, squaredMagnitudes.data(), trials.padded());
}

CoverageInterval EvaluateMonteCarlo(const TermMagnitudes& terms, MeasuredParameter parameter,
                                    const MonteCarloTrials& trials, std::vector<double>& work,
                                    bool upperOnly) {
    CoverageInterval interval;
    const auto count = static_cast<std::size_t>(trials.count());
    if (count == 0) return interval;
    MeasureTrials(terms, parameter, trials, work);
    const double nominal = parameter == MeasuredParameter::S11 ? terms.s11 : terms.s21;
    // The probabilistically symmetric interval of M sorted values: q = the integer part of
    // pM + 1/2 values from the r-th, r = (M - q)/2, or (M - q + 1)/2 when that is not whole.
    // Squares sort as the magnitudes do, so only the two chosen ones are square-rooted.
    const auto q =
        std::min(static_cast<std::size_t>(kMonteCarloCoverage * double(count) + 0.5), count);
    const std::size_t r = std::max<std::size_t>((count - q + 1) / 2, 1);
    const std::size_t upper = std::min(r + q, count) - 1; // 0-based
    if (upperOnly) {
        interval.upperDeviation = std::sqrt(SelectHigh(work, count, upper)) - nominal;
        return interval;
    }
    const auto begin = work.begin();
    std::nth_element(begin, begin + std::ptrdiff_t(upper), begin + std::ptrdiff_t(count));
    interval.upperDeviation = std::sqrt(work[upper]) - nominal;
    std::nth_element(begin, begin + std::ptrdiff_t(r - 1), begin + std::ptrdiff_t(upper));
    interval.lowerDeviation = std::sqrt(work[r - 1]) - nominal;
    return interval;
}

int MonteCarloPoint(const ModelInfo& model, const UncertaintyPoint& point,
                    const MonteCarloOptions& options, CoverageInterval* interval) {
    TermMagnitudes terms;
    if (LookUpTermMagnitudes(model, point, &terms) == 0) return 0;
    try {
        const MonteCarloTrials trials(options.trials, options.seed);
        std::vector<double> work;
        *interval = EvaluateMonteCarlo(terms, point.parameter, trials, work);
    } catch (const std::bad_alloc&) {
        ReportModelError(MakeErrorCode(kMsgAllocation, kRoutineComputeModel));
        return 0;
    }
    return 1;
}

} // namespace tolvane
