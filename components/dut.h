#pragma once

#include "core/error_report.h"

#include <array>

namespace tolvane {

/// How the device under test is given.
enum DUTType : int {
    DUT_REFLECTION_ONLY = 1,   ///< a sweep of reflection values, no transmission
    DUT_TRANSMISSION_ONLY = 2, ///< a sweep of transmission values of a matched two-port
    DUT_USER_DEFINED = 3,      ///< four user S-parameters, optionally over a frequency sweep
};

/// The level, in dB, that stands for the absence of a signal: the sweep-limit and
/// reverse-transmission setters raise anything below it to it, and GetDUTSParams returns it for
/// the S-parameters a DUT type does not have.
inline constexpr float kDUTFloorDb = -140.0f;

/// Positions of the twelve coverage factors, in the order every operation takes them. The first
/// eleven divide the term they name; the k factor multiplies the combined result.
enum CoverageFactor : int {
    kCoverageDirectivity,
    kCoverageSourceMatch,
    kCoverageLoadMatch,
    kCoverageReflectionTracking,
    kCoverageTransmissionTracking,
    kCoverageCrosstalk,
    kCoverageNoiseFloor,
    kCoverageDrift,
    kCoverageConnectorRepeatability,
    kCoverageSourceUncertainty,
    kCoverageReceiverUncertainty,
    kCoverageK,
    kNumCoverageFactors
};

/// The twelve coverage factors of a computation, indexed by CoverageFactor.
using CoverageFactors = std::array<float, kNumCoverageFactors>;

/// The device under test and the coverage factors of the uncertainty model. All S-parameter
/// values are magnitudes in dB; the sweep limits of a user-defined DUT are in GHz.
struct DUTInfo {
    int type = DUT_TRANSMISSION_ONLY;
    int reflNumValues = 41;
    int transNumValues = 91;
    float reflMinDb = -40.0f;
    float reflMaxDb = 0.0f;
    float transMinDb = -80.0f;
    float transMaxDb = 10.0f;
    float userS11Db = -20.0f;
    float userS12Db = -20.0f;
    float userS21Db = 10.0f;
    float userS22Db = -20.0f;
    /// S12 of a non-reciprocal transmission-only DUT, as the S-parameter computation reads it.
    float reverseTransDb = -80.0f;
    /// The reverse transmission as the file writers write it; every writer of the record sets both.
    float reverseTransSavedDb = 10.0f;
    int reciprocal = 1; ///< 1: S12 equals S21 for transmission only; else the reverse transmission
    int freqSweep = 0;  ///< 1: a user-defined DUT is analysed over its own frequency sweep
    float sweepStartGHz = 0.04f;
    float sweepStopGHz = 65.0f;
    int sweepPoints = 101;
    CoverageFactors coverageFactors{4.0f, 4.0f, 4.0f, 4.0f, 4.0f, 4.0f,
                                    4.0f, 4.0f, 4.0f, 4.0f, 4.0f, 4.0f};

    bool operator==(const DUTInfo&) const = default;
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first; a
// failure leaves the record and every output unchanged.

[[nodiscard]] DUTInfo* CreateDUTInfo();
int DestroyDUTInfo(DUTInfo* dut);
inline void DestroyRecord(DUTInfo* dut) {
    (void)DestroyDUTInfo(dut);
}
/// Copies every field.
[[nodiscard]] int CopyDUTInfo(const DUTInfo* source, DUTInfo* destination);

[[nodiscard]] int GetDUTType(const DUTInfo* dut, int* type);
[[nodiscard]] int GetDUTReflNumValues(const DUTInfo* dut, int* n);
[[nodiscard]] int GetDUTTransNumValues(const DUTInfo* dut, int* n);
[[nodiscard]] int GetDUTReflMin(const DUTInfo* dut, float* valueDb);
[[nodiscard]] int GetDUTReflMax(const DUTInfo* dut, float* valueDb);
[[nodiscard]] int GetDUTTransMin(const DUTInfo* dut, float* valueDb);
[[nodiscard]] int GetDUTTransMax(const DUTInfo* dut, float* valueDb);
[[nodiscard]] int GetDUTReverseTrans(const DUTInfo* dut, float* valueDb);
[[nodiscard]] int GetDUTReverseTransSaved(const DUTInfo* dut, float* valueDb);
[[nodiscard]] int GetDUTReciprocal(const DUTInfo* dut, int* reciprocal);
[[nodiscard]] int GetDUTFreqSweep(const DUTInfo* dut, int* sweep);
/// The four user S-parameters (dB), the sweep limits (GHz) and the sweep points.
[[nodiscard]] int GetDUTUserValues(const DUTInfo* dut, float* s11Db, float* s12Db, float* s21Db,
                                   float* s22Db, float* startGHz, float* stopGHz, int* points);
/// The twelve coverage factors at once, as the library reads and writes them.
[[nodiscard]] int GetDUTCoverageFactorArray(const DUTInfo* dut, CoverageFactors* factors);
[[nodiscard]] int SetDUTCoverageFactorArray(DUTInfo* dut, const CoverageFactors& factors);
/// The twelve coverage factors one by one, in CoverageFactor order.
[[nodiscard]] int GetDUTCoverageFactors(const DUTInfo* dut, float* directivity, float* sourceMatch,
                                        float* loadMatch, float* reflectionTracking,
                                        float* transmissionTracking, float* crosstalk,
                                        float* noiseFloor, float* drift,
                                        float* connectorRepeatability, float* sourceUncertainty,
                                        float* receiverUncertainty, float* kFactor);
/// The S-parameters in dB of the k-th DUT value (0-based). A sweep runs from its minimum (k = 0)
/// to its maximum (k = N - 1) in N equal steps; the parameters a type does not have are
/// kDUTFloorDb. A user-defined DUT returns its four values whatever k is.
[[nodiscard]] int GetDUTSParams(const DUTInfo* dut, int k, float* s11Db, float* s12Db, float* s21Db,
                                float* s22Db);

/// Accepts DUT_REFLECTION_ONLY, DUT_TRANSMISSION_ONLY and DUT_USER_DEFINED only.
[[nodiscard]] int SetDUTType(DUTInfo* dut, int type);
/// Numbers of sweep values must be at least 1.
[[nodiscard]] int SetDUTReflNumValues(DUTInfo* dut, int n);
[[nodiscard]] int SetDUTTransNumValues(DUTInfo* dut, int n);
// These six raise a value below kDUTFloorDb to it; a minimum above its maximum is accepted.
[[nodiscard]] int SetDUTReflMin(DUTInfo* dut, float valueDb);
[[nodiscard]] int SetDUTReflMax(DUTInfo* dut, float valueDb);
[[nodiscard]] int SetDUTTransMin(DUTInfo* dut, float valueDb);
[[nodiscard]] int SetDUTTransMax(DUTInfo* dut, float valueDb);
[[nodiscard]] int SetDUTReverseTrans(DUTInfo* dut, float valueDb);
[[nodiscard]] int SetDUTReverseTransSaved(DUTInfo* dut, float valueDb);
[[nodiscard]] int SetDUTReciprocal(DUTInfo* dut, int reciprocal);
[[nodiscard]] int SetDUTFreqSweep(DUTInfo* dut, int sweep);
/// Stores the four user S-parameters as given (no floor).
[[nodiscard]] int SetDUTUserSParams(DUTInfo* dut, float s11Db, float s12Db, float s21Db,
                                    float s22Db);
[[nodiscard]] int SetDUTUserValues(DUTInfo* dut, float s11Db, float s12Db, float s21Db, float s22Db,
                                   float startGHz, float stopGHz, int points);
[[nodiscard]] int SetDUTCoverageFactors(DUTInfo* dut, float directivity, float sourceMatch,
                                        float loadMatch, float reflectionTracking,
                                        float transmissionTracking, float crosstalk,
                                        float noiseFloor, float drift, float connectorRepeatability,
                                        float sourceUncertainty, float receiverUncertainty,
                                        float kFactor);

void ReportDUTError(ErrorCode code);

} // namespace tolvane
