#include "engine/compute_model.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/vna.h"
#include "core/avx_lanes.h"
#include "core/bulk_array.h"
#include "core/message_sink.h"
#include "core/streaming_store.h"
#include "core/worker_pool.h"
#include "engine/model.h"
#include "engine/term_lookup.h"
#include "engine/uncertainty.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace tolvane {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegreesPerRadian = 180.0 / kPi;
/// Nominal magnitude, upper bound and phase, of reflection and of transmission.
constexpr std::size_t kNumResultArrays = 6;

std::FILE* gTraceStream = stdout;

int Fail(std::uint32_t message) {
    ReportModelError(MakeErrorCode(message, kRoutineComputeModel));
    return 0;
}

/// 0: every hardware thread for work large enough to gain from it; else exactly that many.
std::atomic<unsigned> gComputeThreads{0};

/// Below this many points per thread the threads cost more than they save.
constexpr std::size_t kMinPointsPerThread = 50000;

unsigned ThreadsFor(std::size_t numFreqs, std::size_t numValues) {
    const unsigned chosen = gComputeThreads.load(std::memory_order_relaxed);
    if (chosen != 0) return chosen;
    const std::size_t byWork = numFreqs * numValues / kMinPointsPerThread;
    return static_cast<unsigned>(std::clamp<std::size_t>(byWork, 1, HardwareThreads()));
}

/// Holds back the messages shown while it lives and shows them, in order, when it goes.
class HeldMessages {
public:
    HeldMessages()
        : previous_(InstallMessageSink([this](MessageKind kind, const std::string& text) {
              held_.emplace_back(kind, text);
          })) {}
    ~HeldMessages() {
        InstallMessageSink(std::move(previous_));
        for (const auto& [kind, text] : held_) {
            if (kind == MessageKind::Error)
                ShowErrorMessage(text.c_str());
            else
                ShowHelpMessage(text.c_str());
        }
    }
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;
    /// Forgets the messages held so far: a failure before theirs is reported instead.
    void drop() { held_.clear(); }

private:
    std::vector<std::pair<MessageKind, std::string>> held_;
    MessageSink previous_;
};

double K(const CoverageFactors& k, CoverageFactor which) {
    return static_cast<double>(k[static_cast<std::size_t>(which)]);
}

// What the computation needs of each DUT value, whatever the frequency, in one array per
// quantity so that neighbouring values load together: a view of arrays shared by every worker
// and of the scratch arrays of one worker (the relative bounds of the row it computes).
struct DUTValueTerms {
    enum Array {
        kS11, // the DUT's S-parameters as linear magnitudes (float values)
        kS12,
        kS21,
        kS22,
        kReflWatts,    // signal power at the receiver for S11 (a float value)
        kTransWatts,   // and for S21
        kReflReceiver, // 1 + (GainToLinear(SRc at that power) - 1) / kRx
        kTransReceiver,
        kReflRelative, // (UR - m) / m at most 1, of the row being computed (scratch)
        kTransRelative,
        kNumArrays
    };
    static constexpr std::size_t kNumShared = kReflRelative;
    static constexpr std::size_t kNumScratch = kNumArrays - kNumShared;
    double* array(Array which) const {
        return which >= kReflRelative ? scratch + std::size_t(which - kReflRelative) * count
                                      : shared + std::size_t(which) * count;
    }
    double* shared = nullptr;
    double* scratch = nullptr;
    std::size_t count = 0;
};

// What the computation needs at one frequency; it does not depend on the DUT value.
struct FrequencyTerms {
    TwoPort loadSide;      // X2: connector 2, cable 2 and the load-side terms, cascaded
    TwoPort connector1;    // N1
    TwoPort cable1;        // C1
    TwoPort sourceSide;    // Q
    double crosstalk;      // XT
    double sourceTerm;     // SRC
    double noiseWatts;     // NW
    double phaseDrift1Deg; // cable 1 DCbTp / kDr
    double phaseDrift2Deg; // cable 2 DCbTp / kDr
};

// The magnitudes of a row are computed several DUT values at a time, in vectors of doubles. The
// code for that is compiled twice: for the instruction set every processor of the target has (two
// values at a time) and, on x86-64, for AVX (four at a time), which is taken when the processor
// has it: divisions and square roots dominate this loop, and AVX does four of them in about the
// time of two. Neither uses fused multiply-add, so both give the scalar evaluation's bits.
namespace baseline {
using Pair = double __attribute__((vector_size(16)));
inline Pair SquareRoot(Pair x) {
#if defined(__SSE2__)
    return _mm_sqrt_pd(x);
#else
    return Pair{std::sqrt(x[0]), std::sqrt(x[1])};
#endif
}
#include "engine/compute_model_lanes.inc"
} // namespace baseline

#if TOLVANE_AVX_LANES
#pragma GCC push_options
#pragma GCC target("avx")
namespace avx {
using Quad = double __attribute__((vector_size(32)));
inline Quad SquareRoot(Quad x) {
    return _mm256_sqrt_pd(x);
}
inline Quad RoundToFloat(Quad x) {
    return _mm256_cvtps_pd(_mm256_cvtpd_ps(x));
}
inline void StoreFloat(Quad x, float* p) {
    _mm_storeu_ps(p, _mm256_cvtpd_ps(x));
}
inline bool AllOne(Quad x) {
    return _mm256_movemask_pd(_mm256_cmp_pd(x, _mm256_set1_pd(1.0), _CMP_EQ_OQ)) == 0xF;
}
inline bool AllAtLeastPositive(Quad x, Quad m) {
    const __m256d holds = _mm256_and_pd(_mm256_cmp_pd(x, m, _CMP_GE_OQ),
                                        _mm256_cmp_pd(m, _mm256_setzero_pd(), _CMP_GT_OQ));
    return _mm256_movemask_pd(holds) == 0xF;
}
inline bool SameBits(Quad a, Quad b) {
    const __m256i difference = _mm256_castpd_si256(_mm256_xor_pd(a, b));
    return _mm256_testz_si256(difference, difference) != 0;
}
#include "engine/compute_model_lanes.inc"
std::size_t ComputeQuadMagnitudesFrom(const FrequencyTerms& terms, double k,
                                      const DUTValueTerms& values, const UncertaintyRow& row,
                                      std::size_t j, std::size_t count) {
    return ComputeMagnitudesFrom<Quad>(terms, k, values, row, j, count);
}
} // namespace avx
#pragma GCC pop_options

// Eight values at a time where the processor has AVX-512: the divisions and square roots take as
// long per value as with AVX, the rest about half as long.
#pragma GCC push_options
#pragma GCC target("avx512f")
// GCC 12's AVX-512 header warns about the undefined vector its own intrinsics start from.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
namespace avx512 {
using Oct = double __attribute__((vector_size(64)));
inline Oct SquareRoot(Oct x) {
    return _mm512_sqrt_pd(x);
}
inline bool AllOne(Oct x) {
    return _mm512_cmp_pd_mask(x, _mm512_set1_pd(1.0), _CMP_EQ_OQ) == 0xFF;
}
inline bool AllAtLeastPositive(Oct x, Oct m) {
    return _mm512_mask_cmp_pd_mask(_mm512_cmp_pd_mask(m, _mm512_setzero_pd(), _CMP_GT_OQ), x, m,
                                   _CMP_GE_OQ) == 0xFF;
}
inline bool SameBits(Oct a, Oct b) {
    return _mm512_cmpneq_epi64_mask(_mm512_castpd_si512(a), _mm512_castpd_si512(b)) == 0;
}
#include "engine/compute_model_lanes.inc"
std::size_t ComputeOctMagnitudesFrom(const FrequencyTerms& terms, double k,
                                     const DUTValueTerms& values, const UncertaintyRow& row,
                                     std::size_t j, std::size_t count) {
    return ComputeMagnitudesFrom<Oct>(terms, k, values, row, j, count);
}
} // namespace avx512
#pragma GCC diagnostic pop
#pragma GCC pop_options
#endif

// The frequency terms of every lookup of one computation, in the order the loop reads them.
struct TermLookups {
    explicit TermLookups(const ModelInfo& m)
        : clm(m, kTermLoadMatch), ctt(m, kTermTransmissionTracking),
          cable2Tm(m, kTermCable2MagnitudeDrift), conn2Rm(m, kTermConnector2Reflection),
          conn2Tm(m, kTermConnector2Transmission), conn1Rm(m, kTermConnector1Reflection),
          conn1Tm(m, kTermConnector1Transmission), cable1Tm(m, kTermCable1MagnitudeDrift),
          cdr(m, kTermDirectivity), crt(m, kTermReflectionTracking), csm(m, kTermSourceMatch),
          cxt(m, kTermCrosstalk), ssr(m, kTermSourceUncertainty), nrc(m, kTermReceiverNoise),
          cable1Tp(m, kTermCable1PhaseDrift), cable2Tp(m, kTermCable2PhaseDrift) {}

    FrequencyTermLookup clm, ctt, cable2Tm, conn2Rm, conn2Tm;
    FrequencyTermLookup conn1Rm, conn1Tm, cable1Tm, cdr, crt, csm;
    FrequencyTermLookup cxt, ssr, nrc, cable1Tp, cable2Tp;
};

/// The rows a computation works on besides the result arrays: the terms of every frequency, the
/// row each is stored in, and the first entry of each that is not a finite number.
struct FrequencyRows {
    std::unique_ptr<FrequencyTerms[]> terms;
    std::unique_ptr<UncertaintyRow[]> rows;
    std::unique_ptr<std::optional<NonFiniteEntry>[]> firstNonFinite;
};

/// Where one worker computes a row: the DUT-value terms with its own relative bounds, and its own
/// copy of the six result arrays of one row, which stays in the cache until it is checked and
/// streamed into the result record.
struct WorkerSpace {
    DUTValueTerms values;
    UncertaintyRow row;
};

// Whether every value is a finite number, that is none has an exponent of all ones (an infinity or
// a NaN), looked at four values at a time without stopping at the first such value.
bool AllFinite(std::span<const float> values) {
    using Bits = std::int32_t __attribute__((vector_size(16)));
    constexpr std::int32_t kExponent = 0x7f800000;
    Bits infiniteOrNaN{};
    std::size_t j = 0;
    for (; j + 4 <= values.size(); j += 4) {
        Bits bits;
        std::memcpy(&bits, values.data() + j, sizeof bits);
        infiniteOrNaN |= (bits & kExponent) == kExponent;
    }
    bool all = (infiniteOrNaN[0] | infiniteOrNaN[1] | infiniteOrNaN[2] | infiniteOrNaN[3]) == 0;
    for (; j < values.size(); ++j)
        all = all && std::isfinite(values[j]);
    return all;
}

// FirstNonFiniteEntry, with a quick answer for the common row that is finite throughout.
std::optional<NonFiniteEntry> FirstNonFiniteInRow(const UncertaintyRow& row, std::size_t count,
                                                  int type) {
    const auto finite = [&](std::span<float> a, std::span<float> b, std::span<float> c) {
        return AllFinite(a.first(count)) && AllFinite(b.first(count)) && AllFinite(c.first(count));
    };
    const bool reflectionFinite = (type & kUncertaintyReflection) == 0 ||
                                  finite(row.reflNominal, row.reflUpperBound, row.reflPhaseDeg);
    const bool transmissionFinite =
        (type & kUncertaintyTransmission) == 0 ||
        finite(row.transNominal, row.transUpperBound, row.transPhaseDeg);
    if (reflectionFinite && transmissionFinite) return std::nullopt;
    return FirstNonFiniteEntry(row, count, type);
}

// The first `count` entries of each of the six arrays of row `from` copied into row `to`.
void StreamRow(const UncertaintyRow& from, const UncertaintyRow& to, std::size_t count) {
    StreamFloats(from.reflNominal.first(count), to.reflNominal.data());
    StreamFloats(from.reflUpperBound.first(count), to.reflUpperBound.data());
    StreamFloats(from.reflPhaseDeg.first(count), to.reflPhaseDeg.data());
    StreamFloats(from.transNominal.first(count), to.transNominal.data());
    StreamFloats(from.transUpperBound.first(count), to.transUpperBound.data());
    StreamFloats(from.transPhaseDeg.first(count), to.transPhaseDeg.data());
}

// A computation in progress: the model's scalars read once, the coverage factors, and the
// DUT-value terms filled while the first frequency is computed.
class Computation {
public:
    Computation(const ModelInfo& model, const CoverageFactors& k, float noiseOffsetDb,
                const WorkerSpace* spaces, const FrequencyRows& plan, unsigned threads,
                UncertaintyInfo* result)
        : model_(model), k_(k), noiseOffsetDb_(noiseOffsetDb), lookups_(model),
          values_(spaces[0].values), spaces_(spaces), plan_(plan), threads_(threads),
          result_(result) {}

    [[nodiscard]] int run();
    /// How many entries, in row-major order, run has stored.
    [[nodiscard]] std::size_t stored() const { return stored_; }

private:
    [[nodiscard]] int lookUpLoadSide(double f, FrequencyTerms& terms) const;
    [[nodiscard]] int lookUpSourceSide(double f, FrequencyTerms& terms) const;
    [[nodiscard]] int readDUTValue(std::size_t j);
    [[nodiscard]] int failNotFinite(int i, const NonFiniteEntry& entry) const;
    [[nodiscard]] int lookUpReceiver(std::size_t j);
    void computeRow(const FrequencyTerms& terms, const UncertaintyRow& row, std::size_t count,
                    const DUTValueTerms& values) const;
    [[nodiscard]] std::optional<NonFiniteEntry> storeRow(std::size_t i, std::size_t count,
                                                         const WorkerSpace& space) const;
    void lookUpRows(std::size_t numFreqs);
    [[nodiscard]] std::size_t waitForTerms(std::size_t end) const;
    void computeRows(std::size_t numFreqs);

    const ModelInfo& model_;
    const CoverageFactors& k_;
    const float noiseOffsetDb_;
    const TermLookups lookups_;
    const DUTValueTerms& values_;     // the DUT-value terms, as worker 0 sees them
    const WorkerSpace* const spaces_; // one for each thread
    const FrequencyRows& plan_;
    const unsigned threads_;
    UncertaintyInfo* const result_;
    // Held between reading a DUT value and looking its receiver terms up.
    float reflectionPowerDbm_ = 0.0f;
    float transmissionPowerDbm_ = 0.0f;
    std::size_t stored_ = 0;
    // Frequencies whose terms and row are ready, counted up by lookUpRows as it goes, and whether
    // it has stopped.
    std::atomic<std::size_t> lookedUp_{1};
    std::atomic<bool> lookupsFinished_{false};
};

// Lookups 1 to 3 of a point: the load-side terms, cable 2 and connector 2, cascaded into X2.
int Computation::lookUpLoadSide(double f, FrequencyTerms& terms) const {
    float clm = 0.0f, ctt = 0.0f, dcbtm = 0.0f, rcnrm = 0.0f, rcntm = 0.0f;
    if (!lookups_.clm.lookup(f, &clm) || !lookups_.ctt.lookup(f, &ctt)) return 0;
    const TwoPort load = LoadSideTwoPort(clm, ctt, k_);
    if (!lookups_.cable2Tm.lookup(f, &dcbtm)) return 0;
    const TwoPort x1 = CascadeTwoPorts(CableDriftTwoPort(dcbtm, k_), load);
    if (!lookups_.conn2Rm.lookup(f, &rcnrm) || !lookups_.conn2Tm.lookup(f, &rcntm)) return 0;
    terms.loadSide = CascadeTwoPorts(ConnectorTwoPort(rcnrm, rcntm, k_), x1);
    return 1;
}

// Lookups 7 to 10 of a point, apart from the receiver terms: connector 1, cable 1, the
// source-side terms, crosstalk, source uncertainty, noise and the two phase drifts.
int Computation::lookUpSourceSide(double f, FrequencyTerms& terms) const {
    float rcnrm = 0.0f, rcntm = 0.0f, dcbtm = 0.0f, cdr = 0.0f, crt = 0.0f, csm = 0.0f;
    float cxt = 0.0f, ssr = 0.0f, nrc = 0.0f, dcbtp1 = 0.0f, dcbtp2 = 0.0f;
    if (!lookups_.conn1Rm.lookup(f, &rcnrm) || !lookups_.conn1Tm.lookup(f, &rcntm) ||
        !lookups_.cable1Tm.lookup(f, &dcbtm) || !lookups_.cdr.lookup(f, &cdr) ||
        !lookups_.crt.lookup(f, &crt) || !lookups_.csm.lookup(f, &csm) ||
        !lookups_.cxt.lookup(f, &cxt) || !lookups_.ssr.lookup(f, &ssr) ||
        !lookups_.nrc.lookup(f, &nrc) || !lookups_.cable1Tp.lookup(f, &dcbtp1) ||
        !lookups_.cable2Tp.lookup(f, &dcbtp2))
        return 0;
    terms.connector1 = ConnectorTwoPort(rcnrm, rcntm, k_);
    terms.cable1 = CableDriftTwoPort(dcbtm, k_);
    terms.sourceSide = SourceSideTwoPort(cdr, crt, csm, k_);
    terms.crosstalk = LossToLinear(cxt) / K(k_, kCoverageCrosstalk);
    terms.sourceTerm = GainTermAroundOne(ssr, k_[kCoverageSourceUncertainty]);
    // The noise level in dBm is the noise offset minus NRc: an NRc of 100 stands for -100 dBm.
    const double noiseFloor = K(k_, kCoverageNoiseFloor);
    terms.noiseWatts = DBmToWatts(noiseOffsetDb_ - nrc) / (noiseFloor * noiseFloor);
    terms.phaseDrift1Deg = dcbtp1 / K(k_, kCoverageDrift);
    terms.phaseDrift2Deg = dcbtp2 / K(k_, kCoverageDrift);
    return 1;
}

// Steps 4 to 6 of a point for DUT value j.
int Computation::readDUTValue(std::size_t j) {
    float s11 = 0.0f, s12 = 0.0f, s21 = 0.0f, s22 = 0.0f;
    if (!GetDUTSParams(model_.dut, static_cast<int>(j), &s11, &s12, &s21, &s22)) return 0;
    reflectionPowerDbm_ = model_.powerDbm + s11;
    transmissionPowerDbm_ = model_.powerDbm + s21;
    values_.array(DUTValueTerms::kReflWatts)[j] = DBmToWatts(reflectionPowerDbm_);
    values_.array(DUTValueTerms::kTransWatts)[j] = DBmToWatts(transmissionPowerDbm_);
    values_.array(DUTValueTerms::kS11)[j] = DBToLinear(s11);
    values_.array(DUTValueTerms::kS12)[j] = DBToLinear(s12);
    values_.array(DUTValueTerms::kS21)[j] = DBToLinear(s21);
    values_.array(DUTValueTerms::kS22)[j] = DBToLinear(s22);
    return 1;
}

// The receiver uncertainty at the power of the signal at the receiver, for DUT value j.
int Computation::lookUpReceiver(std::size_t j) {
    float srcR = 0.0f, srcT = 0.0f;
    if (!GetVNAPVValue(model_.vna, kVNATableSRc, reflectionPowerDbm_, &srcR) ||
        !GetVNAPVValue(model_.vna, kVNATableSRc, transmissionPowerDbm_, &srcT))
        return 0;
    const float kRx = k_[kCoverageReceiverUncertainty];
    values_.array(DUTValueTerms::kReflReceiver)[j] = GainTermAroundOne(srcR, kRx);
    values_.array(DUTValueTerms::kTransReceiver)[j] = GainTermAroundOne(srcT, kRx);
    return 1;
}

// Reports the point of a result that is not a finite number: the frequency in GHz and the DUT's
// S-parameter in dB that the result belongs to, as the user entered them.
int Computation::failNotFinite(int i, const NonFiniteEntry& entry) const {
    float s11 = 0.0f, s12 = 0.0f, s21 = 0.0f, s22 = 0.0f;
    (void)GetDUTSParams(model_.dut, static_cast<int>(entry.index), &s11, &s12, &s21, &s22);
    const double frequencyGHz = model_.frequenciesHz[static_cast<std::size_t>(i)] / 1e9;
    char detail[112];
    std::snprintf(detail, sizeof detail, "%s at %.10g GHz for DUT %s = %.6g dB.",
                  entry.transmission ? "Transmission" : "Reflection", frequencyGHz,
                  entry.transmission ? "S21" : "S11",
                  static_cast<double>(entry.transmission ? s21 : s11));
    ReportModelError(MakeErrorCode(kModelMsgNotFinite, kRoutineComputeModel), detail);
    return 0;
}

// The phases of `count` DUT values in degrees from their relative bounds, the phase drifts added
// by addDrift. Reflection and transmission in loops of their own, and everything the loop reads in
// locals, because each arcsine is a call that the compiler must assume changes any memory.
template <typename AddDrift>
void StorePhases(const double* relative, std::size_t count, float* phaseDeg, AddDrift addDrift) {
    // A relative bound clamped at 1 (common for the parameter a one-type DUT does not have, at
    // -140 dB) takes the library's own arcsine of 1, evaluated once.
    static const double asinOfOne = std::asin(1.0);
    for (std::size_t j = 0; j < count; ++j) {
        const double x = relative[j];
        const double radians = x == 1.0 ? asinOfOne : std::asin(x);
        phaseDeg[j] = static_cast<float>(addDrift(radians * kDegreesPerRadian));
    }
}

// Steps 6 to 15 for the first `count` DUT values of a row: the magnitudes several values at a
// time, then the phases, so that the arcsine calls do not interrupt the magnitudes. The reflected
// wave passes cable 1 twice; the transmitted wave passes each cable once.
void Computation::computeRow(const FrequencyTerms& terms, const UncertaintyRow& row,
                             std::size_t count, const DUTValueTerms& values) const {
    const double k = K(k_, kCoverageK);
    std::size_t j = 0;
#if TOLVANE_AVX_LANES
    if (ProcessorHasAvx512()) j = avx512::ComputeOctMagnitudesFrom(terms, k, values, row, j, count);
    if (ProcessorHasAvx()) j = avx::ComputeQuadMagnitudesFrom(terms, k, values, row, j, count);
#endif
    j = baseline::ComputeMagnitudesFrom<baseline::Pair>(terms, k, values, row, j, count);
    (void)baseline::ComputeMagnitudesFrom<double>(terms, k, values, row, j, count);
    const double drift1Deg = terms.phaseDrift1Deg;
    const double drift2Deg = terms.phaseDrift2Deg;
    StorePhases(values.array(DUTValueTerms::kReflRelative), count, row.reflPhaseDeg.data(),
                [twiceDrift1Deg = 2.0 * drift1Deg](double deg) { return deg + twiceDrift1Deg; });
    StorePhases(values.array(DUTValueTerms::kTransRelative), count, row.transPhaseDeg.data(),
                [=](double deg) { return deg + drift2Deg + drift1Deg; });
}

// The first `count` entries of row i computed in the worker's own row, checked there while it is
// in the cache, and streamed into the result record; returns the first entry that is not finite.
std::optional<NonFiniteEntry> Computation::storeRow(std::size_t i, std::size_t count,
                                                    const WorkerSpace& space) const {
    computeRow(plan_.terms[i], space.row, count, space.values);
    StreamRow(space.row, plan_.rows[i], count);
    return FirstNonFiniteInRow(space.row, count, result_->type);
}

// The terms of frequencies 1 on, in frequency order, up to the first failing lookup; each
// frequency is announced in lookedUp_ once its terms and row are ready.
void Computation::lookUpRows(std::size_t numFreqs) {
    for (std::size_t i = lookedUp_.load(std::memory_order_relaxed); i < numFreqs; ++i) {
        const double f = model_.frequenciesHz[i];
        FrequencyTerms& terms = plan_.terms[i];
        if (!lookUpLoadSide(f, terms) || !lookUpSourceSide(f, terms) ||
            !GetUncertaintyRow(result_, static_cast<int>(i), &plan_.rows[i]))
            break;
        lookedUp_.store(i + 1, std::memory_order_release);
    }
    lookupsFinished_.store(true, std::memory_order_release);
}

// Waits until the terms of every frequency before `end` are ready or the lookups have stopped;
// returns the end of the rows that can be computed.
std::size_t Computation::waitForTerms(std::size_t end) const {
    for (;;) {
        const bool finished = lookupsFinished_.load(std::memory_order_acquire);
        const std::size_t ready = lookedUp_.load(std::memory_order_acquire);
        if (ready >= end || finished) return std::min(end, ready);
        std::this_thread::yield();
    }
}

// Rows 1 on, computed by the workers eight at a time as their terms become ready, while the
// calling thread looks them up. Each row is computed alone, from the same terms, whichever worker
// takes it.
void Computation::computeRows(std::size_t numFreqs) {
    constexpr std::size_t kRowsPerChunk = 8;
    const std::size_t chunks = (numFreqs - 1 + kRowsPerChunk - 1) / kRowsPerChunk;
    const auto lead = [&] { lookUpRows(numFreqs); };
    RunOnWorkers(chunks, threads_, lead, [&](std::size_t chunk, unsigned worker) {
        const std::size_t first = 1 + chunk * kRowsPerChunk;
        const std::size_t end = waitForTerms(std::min(numFreqs, first + kRowsPerChunk));
        for (std::size_t i = first; i < end; ++i)
            plan_.firstNonFinite[i] = storeRow(i, values_.count, spaces_[worker]);
        FinishStreamingStores(); // before the pool tells the calling thread the chunk is done
    });
}

// Every lookup gives the same value for every DUT value at one frequency, and the DUT and
// receiver terms the same value at every frequency, so each is evaluated once: the frequency
// terms at the first DUT value of each frequency, the DUT-value terms during the first frequency.
// The lookups run in the order a point reads them, so a failing lookup is met at the same point,
// after the same messages, and with the same points stored before it, as when every point looks
// every term up.
//
// The first frequency is computed as it is looked up. The terms of the others are then looked up
// in frequency order, up to the first failing lookup, whose messages are held back, while the
// workers compute the rows whose terms are ready; the messages are shown once every row before
// the failing lookup is stored.
int Computation::run() {
    const double f0 = model_.frequenciesHz[0];
    FrequencyTerms& firstTerms = plan_.terms[0];
    if (!lookUpLoadSide(f0, firstTerms)) return Fail(kModelMsgCalledRoutine);
    if (!readDUTValue(0)) return Fail(kModelMsgCalledRoutine);
    if (!lookUpSourceSide(f0, firstTerms)) return Fail(kModelMsgCalledRoutine);
    if (!lookUpReceiver(0)) return Fail(kModelMsgCalledRoutine);
    // The row is checked where its first pair is stored.
    if (!GetUncertaintyRow(result_, 0, &plan_.rows[0])) return Fail(kModelMsgCalledRoutine);
    std::size_t ready = values_.count;
    // A result that is not a number (or is infinite) would be shown as an empty chart or written
    // as "nan": the computation fails at the first such entry, in frequency order and then DUT
    // value order. A lookup of a later DUT value than that entry has failed already; its
    // messages are held back until the row is checked, and dropped if the entry comes first.
    std::optional<NonFiniteEntry> bad;
    {
        HeldMessages held;
        for (std::size_t j = 1; j < values_.count; ++j) {
            if (!readDUTValue(j) || !lookUpReceiver(j)) {
                ready = j;
                break;
            }
        }
        bad = storeRow(0, ready, spaces_[0]);
        if (bad) held.drop();
    }
    if (bad) {
        stored_ = bad->index;
        return failNotFinite(0, *bad);
    }
    stored_ = ready;
    if (ready < values_.count) return Fail(kModelMsgCalledRoutine);

    const auto numFreqs = static_cast<std::size_t>(model_.numFreqs);
    std::size_t looked = 1; // frequencies whose terms and row are ready
    std::size_t badRow = 0;
    {
        HeldMessages held;
        computeRows(numFreqs);
        looked = lookedUp_.load(std::memory_order_acquire);
        // Checked in frequency order whatever the split between the workers.
        for (std::size_t i = 1; i < looked && !bad; ++i) {
            bad = plan_.firstNonFinite[i];
            if (bad) badRow = i;
        }
        if (bad) held.drop();
        stored_ = bad ? badRow * values_.count + bad->index : looked * values_.count;
    }
    if (bad) return failNotFinite(static_cast<int>(badRow), *bad);
    if (looked < numFreqs) return Fail(kModelMsgCalledRoutine);
    return 1;
}

// The space of one worker: the shared DUT-value terms at the start of `terms` (followed by the
// relative bounds of every worker), and its own six result rows in `rows`.
WorkerSpace MakeWorkerSpace(double* terms, float* rows, std::size_t count, unsigned worker) {
    WorkerSpace space;
    space.values.shared = terms;
    space.values.scratch =
        terms +
        (DUTValueTerms::kNumShared + std::size_t{worker} * DUTValueTerms::kNumScratch) * count;
    space.values.count = count;
    float* own = rows + std::size_t{worker} * kNumResultArrays * count;
    const auto next = [&] { return std::span<float>(std::exchange(own, own + count), count); };
    space.row = {next(), next(), next(), next(), next(), next()};
    return space;
}

// Step 9 of the preparation: the number of DUT values of the DUT's type.
int NumberOfDUTValues(const DUTInfo* dut, int* type, int* numValues) {
    if (!GetDUTType(dut, type)) return Fail(kModelMsgCalledRoutine);
    switch (*type) {
    case DUT_REFLECTION_ONLY:
        if (!GetDUTReflNumValues(dut, numValues)) return Fail(kModelMsgCalledRoutine);
        break;
    case DUT_TRANSMISSION_ONLY:
        if (!GetDUTTransNumValues(dut, numValues)) return Fail(kModelMsgCalledRoutine);
        break;
    case DUT_USER_DEFINED:
        *numValues = 1;
        return 1;
    default:
        return Fail(kModelMsgDUTType);
    }
    if (*numValues < 1) return Fail(kModelMsgNumDUTValues);
    return 1;
}

// Step 10 of the preparation. The arrays are not zeroed: the computation writes every entry, and
// zeroes those it did not reach when it fails. A failure part way would leave counts that the old
// arrays do not match, so the arrays are released then: the record reads as holding no results.
int DimensionResult(const ModelInfo& model, int type, int numValues, UncertaintyInfo* result) {
    bool ok = SetUncertaintyNumFreqs(result, model.numFreqs) != 0;
    for (int i = 0; ok && i < model.numFreqs; ++i)
        ok = SetUncertaintyFreq(result, i, model.frequenciesHz[static_cast<std::size_t>(i)]) != 0;
    ok = ok && SetUncertaintyNumDUTValues(result, numValues) && SetUncertaintyType(result, type) &&
         InitializeUncertaintyForWriting(result);
    if (ok) return 1;
    DeallocateUncertaintyArrays(result);
    return Fail(kModelMsgCalledRoutine);
}

} // namespace

void SetCoverageTraceStream(std::FILE* stream) {
    gTraceStream = stream;
}

std::FILE* CoverageTraceStream() {
    return gTraceStream;
}

void TraceCoverageFactors(const CoverageFactors& factors) {
    if (gTraceStream == nullptr) return;
    static constexpr const char* kFormats[kNumCoverageFactors] = {
        "directivity = %.1f \n",
        "SM = %.1f \n",
        "LM = %.1f \n",
        "RT = %.1f \n",
        "TT = %.1f \n",
        "crosstalk = %.1f \n",
        "noise floor = %.1f \n",
        "drift = %.1f \n",
        "connector repeatability = %.1f \n",
        "source uncertainty = %.1f \n",
        "receiver uncertainty = %.1f \n",
        "k factor = %.1f \n",
    };
    for (std::size_t i = 0; i < factors.size(); ++i)
        std::fprintf(gTraceStream, kFormats[i], static_cast<double>(factors[i]));
    std::fflush(gTraceStream);
}

float NoiseOffsetDb(const ModelInfo& model) {
    // Noise measured at another IF bandwidth or averaging factor than NRc's scales with the
    // bandwidth and inversely with the averaging factor.
    const float bandwidthRatio = model.ifBandwidthHz / model.nrcIfBandwidthHz;
    const float averagingRatio =
        static_cast<float>(model.nrcAverages) / static_cast<float>(model.averages);
    return static_cast<float>(10.0 *
                              std::log10(static_cast<double>(bandwidthRatio) * averagingRatio));
}

float DBToLinear(float x) {
    return static_cast<float>(std::pow(10.0, x / 20.0));
}

float LossToLinear(float x) {
    return static_cast<float>(std::pow(10.0, -std::fabs(x) / 20.0));
}

float GainToLinear(float x) {
    return static_cast<float>(std::pow(10.0, std::fabs(x) / 20.0));
}

float DBmToWatts(float x) {
    return static_cast<float>(std::pow(10.0, (x - 30.0) / 10.0));
}

float LinearToDB(float x) {
    if (x == 0.0f) return -200.0f;
    return static_cast<float>(20.0 * std::log10(std::fabs(static_cast<double>(x))));
}

double GainTermAroundOne(float x, float factor) {
    return 1.0 + (static_cast<double>(GainToLinear(x)) - 1.0) / factor;
}

TwoPort LoadSideTwoPort(float clm, float ctt, const CoverageFactors& k) {
    const double lm = LossToLinear(clm) / K(k, kCoverageLoadMatch);
    const double tt = GainTermAroundOne(ctt, k[kCoverageTransmissionTracking]);
    return MakeTwoPort(static_cast<float>(lm), 0.0f, static_cast<float>(tt), 0.0f);
}

TwoPort CableDriftTwoPort(float dcbtm, const CoverageFactors& k) {
    const auto d = static_cast<float>(GainTermAroundOne(dcbtm, k[kCoverageDrift]));
    return MakeTwoPort(0.0f, d, d, 0.0f);
}

TwoPort ConnectorTwoPort(float rcnrm, float rcntm, const CoverageFactors& k) {
    const double kR = K(k, kCoverageConnectorRepeatability);
    const auto r = static_cast<float>(LossToLinear(rcnrm) / kR);
    const auto t = static_cast<float>(1.0 + LossToLinear(rcntm) / kR);
    return MakeTwoPort(r, t, t, r);
}

TwoPort SourceSideTwoPort(float cdr, float crt, float csm, const CoverageFactors& k) {
    const double dir = LossToLinear(cdr) / K(k, kCoverageDirectivity);
    const double rt = GainTermAroundOne(crt, k[kCoverageReflectionTracking]);
    const double sm = LossToLinear(csm) / K(k, kCoverageSourceMatch);
    return MakeTwoPort(static_cast<float>(dir), static_cast<float>(rt), 1.0f,
                       static_cast<float>(sm));
}

int LoadSideTwoPort(const CalInfo* cal, double frequencyHz, const CoverageFactors& k,
                    TwoPort* out) {
    float clm = 0.0f, ctt = 0.0f;
    if (!GetCalFVValue(cal, kCalCLm, frequencyHz, &clm) ||
        !GetCalFVValue(cal, kCalCTt, frequencyHz, &ctt))
        return 0;
    *out = LoadSideTwoPort(clm, ctt, k);
    return 1;
}

int CableDriftTwoPort(const CableInfo* cable, double frequencyHz, const CoverageFactors& k,
                      TwoPort* out) {
    float dcbtm = 0.0f;
    if (!GetCableFVValue(cable, kCableDCbTm, frequencyHz, &dcbtm)) return 0;
    *out = CableDriftTwoPort(dcbtm, k);
    return 1;
}

int ConnectorTwoPort(const ConnInfo* connector, double frequencyHz, const CoverageFactors& k,
                     TwoPort* out) {
    float rcnrm = 0.0f, rcntm = 0.0f;
    if (!GetConnFVValue(connector, kConnRCnRm, frequencyHz, &rcnrm) ||
        !GetConnFVValue(connector, kConnRCnTm, frequencyHz, &rcntm))
        return 0;
    *out = ConnectorTwoPort(rcnrm, rcntm, k);
    return 1;
}

int SourceSideTwoPort(const CalInfo* cal, double frequencyHz, const CoverageFactors& k,
                      TwoPort* out) {
    float cdr = 0.0f, crt = 0.0f, csm = 0.0f;
    if (!GetCalFVValue(cal, kCalCDr, frequencyHz, &cdr) ||
        !GetCalFVValue(cal, kCalCRt, frequencyHz, &crt) ||
        !GetCalFVValue(cal, kCalCSm, frequencyHz, &csm))
        return 0;
    *out = SourceSideTwoPort(cdr, crt, csm, k);
    return 1;
}

namespace {

// Steps 3 on of the preparation and the main loop, for a model CheckModel has accepted.
int ComputeCheckedModel(const ModelInfo* model, const CoverageFactors& k, UncertaintyInfo* result) {
    const DUTInfo* dut = model->dut;
    if (result == nullptr) return Fail(kModelMsgNullUncertainty);
    if (model->vna == nullptr || model->connector1 == nullptr || model->connector2 == nullptr ||
        model->cable1 == nullptr || model->cable2 == nullptr || model->calKit == nullptr)
        return Fail(kMsgNullPointer);
    if (model->averages < 1) return Fail(kModelMsgAverages);
    if (model->nrcAverages < 1) return Fail(kModelMsgNRcAverages);
    if (!(model->ifBandwidthHz > 0.0f)) return Fail(kModelMsgIFBW);
    if (!(model->nrcIfBandwidthHz > 0.0f)) return Fail(kModelMsgNRcIFBW);

    const float noiseOffsetDb = NoiseOffsetDb(*model);

    if (model->numFreqs < 1 || model->numFreqs > kMaxModelFrequencies)
        return Fail(kModelMsgNumFreqs);
    int type = 0;
    int numValues = 0;
    if (!NumberOfDUTValues(dut, &type, &numValues)) return 0;

    // The only allocations besides the result arrays: the terms of each DUT value, the scratch
    // rows of each worker, and the terms and checks of each frequency.
    const auto count = static_cast<std::size_t>(numValues);
    const auto numFreqs = static_cast<std::size_t>(model->numFreqs);
    const unsigned threads = ThreadsFor(numFreqs, count);
    const std::size_t arraysPerValue =
        DUTValueTerms::kNumShared + DUTValueTerms::kNumScratch * threads;
    // Beyond the machine's memory the system would grant these terms and the six result arrays
    // and end the program while they are written.
    const std::size_t floatsPerValue = (numFreqs + threads) * kNumResultArrays;
    const std::size_t bytesPerValue =
        arraysPerValue * sizeof(double) + floatsPerValue * sizeof(float);
    if (count > PhysicalMemoryBytes() / bytesPerValue) return Fail(kMsgAllocation);
    const std::unique_ptr<double[]> storage(new (std::nothrow) double[arraysPerValue * count]);
    const std::unique_ptr<float[]> rowStorage(
        new (std::nothrow) float[std::size_t{threads} * kNumResultArrays * count]);
    const std::unique_ptr<WorkerSpace[]> spaces(new (std::nothrow) WorkerSpace[threads]);
    FrequencyRows plan;
    plan.terms.reset(new (std::nothrow) FrequencyTerms[numFreqs]);
    plan.rows.reset(new (std::nothrow) UncertaintyRow[numFreqs]);
    plan.firstNonFinite.reset(new (std::nothrow) std::optional<NonFiniteEntry>[numFreqs]);
    if (storage == nullptr || rowStorage == nullptr || spaces == nullptr || plan.terms == nullptr ||
        plan.rows == nullptr || plan.firstNonFinite == nullptr)
        return Fail(kMsgAllocation);
    for (unsigned worker = 0; worker < threads; ++worker)
        spaces[worker] = MakeWorkerSpace(storage.get(), rowStorage.get(), count, worker);

    if (!DimensionResult(*model, type, numValues, result)) return 0;
    Computation computation(*model, k, noiseOffsetDb, spaces.get(), plan, threads, result);
    if (computation.run()) return 1;
    // The entries not reached read 0, as after dimensioning.
    ZeroUncertaintyFrom(result, computation.stored());
    return 0;
}

} // namespace

int ComputeModel(ModelInfo* model, UncertaintyInfo* result) {
    if (!CheckModel(model)) return 0;

    CoverageFactors k{};
    const DUTInfo* dut = model->dut;
    // A missing DUT is reported once, later, when its type is read.
    if (dut != nullptr && GetDUTCoverageFactorArray(dut, &k)) TraceCoverageFactors(k);
    return ComputeCheckedModel(model, k, result);
}

int ComputeModelWithFactors(ModelInfo* model, const CoverageFactors& k, UncertaintyInfo* result) {
    if (!CheckModel(model)) return 0;
    return ComputeCheckedModel(model, k, result);
}

void SetComputeModelThreads(unsigned threads) {
    gComputeThreads.store(threads, std::memory_order_relaxed);
}

} // namespace tolvane
