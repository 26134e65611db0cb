#pragma once

// The error terms of an uncertainty model, described once: where each lives in the model and in
// the model file, what its value stands for, which coverage factor divides it and how the editors
// show it. The model file, CheckModel, the computation's lookups and the term editors all read
// this table, so a new term is one row and a new consumer one loop.

#include "components/dut.h"
#include "engine/model.h"

#include <cstdint>
#include <limits>
#include <span>

namespace tolvane {

struct FVInfo;
struct PVInfo;

/// The model's seventeen error-term tables, numbered as the editors show them.
enum ModelTerm : int {
    kTermDirectivity = 1,
    kTermSourceMatch = 2,
    kTermReflectionTracking = 3,
    kTermCrosstalk = 4,
    kTermLoadMatch = 5,
    kTermTransmissionTracking = 6,
    kTermCable1MagnitudeDrift = 7,
    kTermCable1PhaseDrift = 8,
    kTermCable2MagnitudeDrift = 9,
    kTermCable2PhaseDrift = 10,
    kTermConnector1Reflection = 11,
    kTermConnector1Transmission = 12,
    kTermConnector2Reflection = 13,
    kTermConnector2Transmission = 14,
    kTermSourceUncertainty = 15,
    kTermReceiverUncertainty = 16,
    kTermReceiverNoise = 17,
};
inline constexpr int kFirstTerm = kTermDirectivity;
inline constexpr int kLastTerm = kTermReceiverNoise;
inline constexpr int kNumModelTerms = kLastTerm - kFirstTerm + 1;

/// What a term's value stands for, and so how it enters the computation.
enum class TermKind {
    Loss,  ///< dB below the signal, 10^(-|x|/20): CDr, CSm, CXt, CLm, RCnRm, RCnTm
    Gain,  ///< dB deviation of a gain from 1, 10^(|x|/20) - 1: CRt, CTt, DCbTm, SSr, SRc
    Phase, ///< degrees of phase drift: DCbTp
    Power, ///< noise level in dBm below the noise offset, so 100 stands for -100 dBm: NRc
};

/// The value of a term of `kind` that contributes nothing to the uncertainty: an infinite loss
/// or noise level gives a linear term of exactly 0, a gain deviation or phase drift of 0 a gain
/// of exactly 1 and no phase. For substituting the value looked up; a table of infinite values
/// interpolates to NaN between its entries.
[[nodiscard]] constexpr float NeutralTermValue(TermKind kind) {
    return kind == TermKind::Loss || kind == TermKind::Power
               ? std::numeric_limits<float>::infinity()
               : 0.0f;
}

/// One error-term table.
struct ModelTermInfo {
    ModelTerm term;
    int component;           ///< the model's record holding the table (ModelComponent)
    int tableCode;           ///< the table's code in that record (kCalCDr, kVNATableSSr, ...)
    const char* keyword;     ///< the table's keyword in the model file, as written ("CDr")
    int fileIdentifier;      ///< the number the model-file reader adds up to complete a block
    bool againstPower;       ///< values against power in dBm rather than frequency in Hz (SRc)
    TermKind kind;           ///< what the value stands for
    const char* unit;        ///< the value's unit: "dB", "degrees" or "dBm"
    CoverageFactor coverage; ///< the coverage factor the computation divides the term by
    const char* label;       ///< the editor's page title ("Directivity")
    int editorDecimals;      ///< decimals of the value in an editor's list line
    int fileDecimals;        ///< decimals of the value in the model file
    /// CheckModel's messages when the table starts above or ends below the model's frequencies
    /// (SRc has them too but is never range-checked).
    std::uint32_t minTooHighMessage;
    std::uint32_t maxTooLowMessage;
};

/// The seventeen terms in ModelTerm order; within each record, the order of the model file.
[[nodiscard]] std::span<const ModelTermInfo, kNumModelTerms> ModelTerms();
/// The row of `term` (kFirstTerm to kLastTerm).
[[nodiscard]] const ModelTermInfo& DescribeModelTerm(int term);

/// The order in which CheckModel tests the frequency tables (every term but SRc).
inline constexpr ModelTerm kRangeCheckedTerms[] = {
    kTermDirectivity,
    kTermSourceMatch,
    kTermReflectionTracking,
    kTermCrosstalk,
    kTermLoadMatch,
    kTermTransmissionTracking,
    kTermSourceUncertainty,
    kTermReceiverNoise,
    kTermCable1MagnitudeDrift,
    kTermCable1PhaseDrift,
    kTermCable2MagnitudeDrift,
    kTermCable2PhaseDrift,
    kTermConnector1Transmission,
    kTermConnector1Reflection,
    kTermConnector2Transmission,
    kTermConnector2Reflection,
};

/// A block of tables in the model file: its keyword line reads `keyword`, followed by `number`
/// when it is not 0 ("CONNECTOR 1").
struct ModelFileBlock {
    int component; ///< ModelComponent
    const char* keyword;
    int number;
};
/// The table blocks in the order the model file writes them.
inline constexpr ModelFileBlock kModelFileBlocks[] = {
    {kModelVNA, "VNA", 0},
    {kModelConnector1, "CONNECTOR", 1},
    {kModelConnector2, "CONNECTOR", 2},
    {kModelCable1, "CABLE", 1},
    {kModelCable2, "CABLE", 2},
    {kModelCalKit, "CALIBRATION", 0},
};

/// One term of an uncertainty budget: a coverage factor other than k, with every model term it
/// divides. Making a budget term neutral is making each of those model terms neutral
/// (NeutralTermValue of its kind).
struct BudgetTerm {
    CoverageFactor coverage;
    const char* name;
};
/// The eleven budget terms in CoverageFactor order.
inline constexpr BudgetTerm kBudgetTerms[] = {
    {kCoverageDirectivity, "Directivity"},
    {kCoverageSourceMatch, "Source Match"},
    {kCoverageLoadMatch, "Load Match"},
    {kCoverageReflectionTracking, "Reflection Tracking"},
    {kCoverageTransmissionTracking, "Transmission Tracking"},
    {kCoverageCrosstalk, "Crosstalk"},
    {kCoverageNoiseFloor, "Noise Floor"},
    {kCoverageDrift, "Drift"},
    {kCoverageConnectorRepeatability, "Connector Repeatability"},
    {kCoverageSourceUncertainty, "Source Uncertainty"},
    {kCoverageReceiverUncertainty, "Receiver Uncertainty"},
};
static_assert(std::size(kBudgetTerms) == kCoverageK);

/// The table operations of the kind of record that holds a term, on the untyped record, through
/// the record's own table-code accessors (so every message is the record's). Abscissas are
/// frequencies in Hz, or powers in dBm for SRc.
struct TermTableOps {
    int (*getInterpType)(const void* record, int code, int* type);
    int (*getNumPairs)(const void* record, int code, int* n);
    int (*getAbscissa)(const void* record, int code, int index, double* abscissa);
    int (*getValueAt)(const void* record, int code, int index, float* value);
    /// The table's value at `abscissa` by the table's interpolation.
    int (*lookUp)(const void* record, int code, double abscissa, float* value);
    int (*setInterpType)(void* record, int code, int type);
    int (*setNumPairs)(void* record, int code, int n);
    int (*setAbscissa)(void* record, int code, int index, double abscissa);
    int (*setValueAt)(void* record, int code, int index, float value);
};
[[nodiscard]] const TermTableOps& TableOpsOf(const ModelTermInfo& term);

/// The model's record holding `term`, without a report; null when the model or record is missing.
[[nodiscard]] const void* TermRecord(const ModelInfo* model, const ModelTermInfo& term);
[[nodiscard]] void* TermRecord(ModelInfo* model, const ModelTermInfo& term);
/// The term's frequency table itself, or null (a missing model, record or table, or SRc); no
/// reports.
[[nodiscard]] const FVInfo* TermFrequencyTable(const ModelInfo* model, const ModelTermInfo& term);
[[nodiscard]] FVInfo* TermFrequencyTable(ModelInfo* model, const ModelTermInfo& term);
/// SRc's power table, or null for every other term; no reports.
[[nodiscard]] const PVInfo* TermPowerTable(const ModelInfo* model, const ModelTermInfo& term);

} // namespace tolvane
