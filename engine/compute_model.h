#pragma once

#include "components/dut.h"

#include <array>
#include <cstdio>

namespace tolvane {

struct CableInfo;
struct CalInfo;
struct ConnInfo;
struct ModelInfo;
struct UncertaintyInfo;

/// Computes, for every model frequency and every DUT value, the nominal magnitude, the upper bound
/// of the measured magnitude and the phase uncertainty of S11 and of S21, and stores them in
/// `result`, which is re-dimensioned first. Reports under "ComputeModel: " (routine 6 of the Model
/// module) and returns 0 on the first failure; 1 when every pair was stored. The model is not
/// changed apart from the frequency-range flag of CheckModel, which runs first.
///
/// The frequencies are shared out over the hardware threads when the work is large enough; every
/// result, message and failure is the same whatever the number of threads.
int ComputeModel(ModelInfo* model, UncertaintyInfo* result);

/// ComputeModel with the coverage factors `k` in place of those of the model's DUT, writing no
/// trace. An infinite factor makes its terms neutral: a loss of linear 0, a gain deviation of 0
/// (a factor of exactly 1), no noise power, no phase drift. The budget and the statistical methods
/// run the one computation this way.
int ComputeModelWithFactors(ModelInfo* model, const CoverageFactors& k, UncertaintyInfo* result);

/// How many threads ComputeModel uses: 0 (the start) for as many as the machine has, on work large
/// enough to gain from them, one thread otherwise; any other number for exactly that many, on
/// any work (tests and benchmarks compare thread counts).
void SetComputeModelThreads(unsigned threads);

/// Where ComputeModel writes its trace of the twelve coverage factors ("directivity = 4.0 " ...):
/// standard output until a program chooses another stream; null writes no trace.
void SetCoverageTraceStream(std::FILE* stream);
/// The stream the trace goes to now (null for none).
[[nodiscard]] std::FILE* CoverageTraceStream();
/// Writes the trace of the coverage factors, in CoverageFactor order, to the trace stream.
void TraceCoverageFactors(const CoverageFactors& factors);

/// The noise offset in dB of the model's IF bandwidth and averaging against those at which NRc is
/// given: 10 log10((IF bandwidth / NRc IF bandwidth) (NRc averaging / averaging)), each quotient
/// formed in single precision. The noise level in dBm is the offset minus NRc.
[[nodiscard]] float NoiseOffsetDb(const ModelInfo& model);

// Conversions from dB (or dBm) to linear ratios (or watts), evaluated in double precision and
// rounded to single precision.
/// 10^(x/20) with the sign of x kept: DUT S-parameters.
[[nodiscard]] float DBToLinear(float x);
/// 10^(-|x|/20): terms given as a loss or a level below the signal (CDr, CSm, CLm, CXt, RCnRm,
/// RCnTm); a loss-type term may be stored as -40 or 40 and means the same.
[[nodiscard]] float LossToLinear(float x);
/// 10^(|x|/20): terms given as a deviation of a gain (CRt, CTt, DCbTm, SSr, SRc); 0.1 and -0.1
/// both mean a deviation of 10^(0.1/20) - 1.
[[nodiscard]] float GainToLinear(float x);
/// 10^((x - 30)/10): a power in dBm in watts.
[[nodiscard]] float DBmToWatts(float x);
/// 20 log10(|x|), and -200 for 0: a linear magnitude in dB, for display.
[[nodiscard]] float LinearToDB(float x);

/// A two-port of real, non-negative magnitudes, so that cascaded errors add in their worst phase.
struct TwoPort {
    float s11 = 0.0f;
    float s12 = 0.0f;
    float s21 = 0.0f;
    float s22 = 0.0f;
};

[[nodiscard]] inline TwoPort MakeTwoPort(float s11, float s12, float s21, float s22) {
    return TwoPort{s11, s12, s21, s22};
}

/// `b` connected behind `a` (a's port 2 to b's port 1), with d = 1 - a.S22 b.S11:
/// S11 = a.S11 + a.S12 a.S21 b.S11 / d, S12 = a.S12 b.S12 / d, S21 = a.S21 b.S21 / d,
/// S22 = b.S22 + b.S12 b.S21 a.S22 / d; evaluated in double precision, dividing once by d and
/// multiplying by the quotient.
[[nodiscard]] inline TwoPort CascadeTwoPorts(const TwoPort& a, const TwoPort& b) {
    const double r = 1.0 / (1.0 - static_cast<double>(a.s22) * b.s11);
    return TwoPort{
        static_cast<float>(a.s11 + static_cast<double>(a.s12) * a.s21 * b.s11 * r),
        static_cast<float>(static_cast<double>(a.s12) * b.s12 * r),
        static_cast<float>(static_cast<double>(a.s21) * b.s21 * r),
        static_cast<float>(b.s22 + static_cast<double>(b.s12) * b.s21 * a.s22 * r),
    };
}

/// A gain-type term (dB) as a standard uncertainty around 1: 1 + (GainToLinear(x) - 1) / factor.
[[nodiscard]] double GainTermAroundOne(float x, float factor);

// The error-term two-ports at one frequency, from term values already looked up (dB) ...
/// (LM, 0, TT, 0): LM = LossToLinear(CLm) / kLM, TT = GainTermAroundOne(CTt, kTT).
[[nodiscard]] TwoPort LoadSideTwoPort(float clm, float ctt, const CoverageFactors& k);
/// (0, D, D, 0): D = GainTermAroundOne(DCbTm, kDr).
[[nodiscard]] TwoPort CableDriftTwoPort(float dcbtm, const CoverageFactors& k);
/// (R, T, T, R): R = LossToLinear(RCnRm) / kR, T = 1 + LossToLinear(RCnTm) / kR (the transmission
/// repeatability is a level below the signal, added to 1).
[[nodiscard]] TwoPort ConnectorTwoPort(float rcnrm, float rcntm, const CoverageFactors& k);
/// (DIR, RT, 1, SM): DIR = LossToLinear(CDr) / kD, RT = GainTermAroundOne(CRt, kRT),
/// SM = LossToLinear(CSm) / kSM. The reflection tracking stands in the S12 place.
[[nodiscard]] TwoPort SourceSideTwoPort(float cdr, float crt, float csm, const CoverageFactors& k);

// ... and looked up from their records at `frequencyHz`, in the order the formulas name the terms.
// 0 when a lookup fails (the record or its table has reported).
[[nodiscard]] int LoadSideTwoPort(const CalInfo* cal, double frequencyHz, const CoverageFactors& k,
                                  TwoPort* out);
[[nodiscard]] int CableDriftTwoPort(const CableInfo* cable, double frequencyHz,
                                    const CoverageFactors& k, TwoPort* out);
[[nodiscard]] int ConnectorTwoPort(const ConnInfo* connector, double frequencyHz,
                                   const CoverageFactors& k, TwoPort* out);
[[nodiscard]] int SourceSideTwoPort(const CalInfo* cal, double frequencyHz,
                                    const CoverageFactors& k, TwoPort* out);

} // namespace tolvane
