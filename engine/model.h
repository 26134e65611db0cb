#pragma once

#include "core/error_report.h"
#include "core/owned.h"

#include <array>
#include <string>

namespace tolvane {

struct VNAInfo;
struct ConnInfo;
struct CableInfo;
struct CalInfo;
struct DUTInfo;

/// Largest number of frequencies a model holds.
inline constexpr int kMaxModelFrequencies = 5000;

/// A model's own values: the frequencies at which it is evaluated, the port power, the averaging
/// factors and IF bandwidths of this computation and of the receiver-noise conditions.
struct ModelSettings {
    /// Set to 1 by CheckModel when a term table does not cover the frequency range, 0 otherwise.
    int freqRangeError = 0;
    /// Kept for the port-power advice; nothing sets it.
    int powerRangeError = 0;
    /// Entries of frequenciesHz in use; 1 to 5000 once set.
    int numFreqs = 0;
    int averages = 0;
    /// Averaging factor at which the receiver-noise table NRc is specified.
    int nrcAverages = 0;
    /// Source power at the test port.
    float powerDbm = 0.0f;
    float ifBandwidthHz = 1000.0f;
    /// IF bandwidth at which NRc is specified.
    float nrcIfBandwidthHz = 1000.0f;
    /// Measurement frequencies in the order stored: entry 0 is taken as the lowest and entry
    /// numFreqs - 1 as the highest. Entries from numFreqs on are not used but kept.
    std::array<double, kMaxModelFrequencies> frequenciesHz{};
};

/// One complete uncertainty model: its settings and seven owned component records whose tables
/// are the error terms.
struct ModelInfo : ModelSettings {
    using Settings = ModelSettings;
    // Defined where the component records are complete types.
    ModelInfo();
    ~ModelInfo();
    // Created with the model and destroyed with it.
    Owned<VNAInfo> vna;
    Owned<ConnInfo> connector1;
    Owned<ConnInfo> connector2;
    Owned<CableInfo> cable1;
    Owned<CableInfo> cable2;
    Owned<CalInfo> calKit;
    Owned<DUTInfo> dut;
};

/// Codes by which GetModelComponent selects a component record.
enum ModelComponent : int {
    kModelVNA = 1,
    kModelConnector1 = 2,
    kModelConnector2 = 3,
    kModelCable1 = 4,
    kModelCable2 = 5,
    kModelCalKit = 6,
    kModelDUT = 7,
};

/// Routine numbers of the Model module's reporter.
enum ModelRoutine : std::uint32_t {
    kRoutineCreateModelInfo = kRoutineCreate,
    kRoutineDestroyModelInfo = kRoutineDestroy,
    kRoutineDeallocateModelArrays = kRoutineDeallocate,
    kRoutineGetModelParam = kRoutineGet,
    kRoutineSetModelParam = kRoutineSet,
    kRoutineComputeModel = 6,
    kRoutineCheckModel = 7,
};

/// Message numbers of the Model module (1 to 5 are the common ones). The range messages of the
/// term tables run from 0x16 to 0x50 in CheckModel's order; there is no 0x29.
enum ModelMessage : std::uint32_t {
    kModelMsgNumFreqs = 0x08,        ///< "Invalid number of frequencies."
    kModelMsgTooManyFreqs = 0x09,    ///< "Too many frequencies, maximum is 5000."
    kModelMsgFreqValue = 0x10,       ///< "Invalid frequency value."
    kModelMsgFreqIndex = 0x11,       ///< "Invalid index in the frequency array."
    kModelMsgNullUncertainty = 0x13, ///< "NULL pointer to the uncertainty data."
    kModelMsgCalledRoutine = 0x14,   ///< "Error in a called routine."
    kModelMsgNumDUTValues = 0x15,    ///< "Invalid number of DUT values."
    kModelMsgDUTType = 0x51,         ///< "Invalid DUT type."
    kModelMsgAverages = 0x52,        ///< "Invalid averaging factor."
    kModelMsgNRcAverages = 0x53,     ///< "Invalid averaging factor where NRc defined."
    kModelMsgIFBW = 0x54,            ///< "Invalid IF bandwidth."
    kModelMsgNRcIFBW = 0x55,         ///< "Invalid IF bandwidth where NRc defined."
    kModelMsgNotFinite = 0x56,       ///< "Result is not a finite number."
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first.
// Failed accessors leave the model unchanged.

/// A new model with the defaults above and its seven component records, created in the order
/// VNA, connector 1, connector 2, cable 1, cable 2, calibration kit, DUT. Null on failure.
[[nodiscard]] ModelInfo* CreateModelInfo();
/// Destroys the model and its component records.
int DestroyModelInfo(ModelInfo* model);
inline void DestroyRecord(ModelInfo* model) {
    (void)DestroyModelInfo(model);
}
/// Destroys every component record present and nulls its pointer; silent on a null model.
void DeallocateModelArrays(ModelInfo* model);

/// A model of its own settings (a copy of another model's) whose component records are the other
/// model's, lent: whatever the holder does with them (exchange the two ports' connectors, set one
/// point's frequency), they are handed back, not destroyed, when it goes. A record put in place of
/// a lent one with replace() is the holder's own and is destroyed. The other model must outlive it.
class BorrowedModel {
public:
    explicit BorrowedModel(const ModelInfo& model);
    ~BorrowedModel();
    BorrowedModel(const BorrowedModel&) = delete;
    BorrowedModel& operator=(const BorrowedModel&) = delete;

    [[nodiscard]] ModelInfo& model() { return model_; }
    /// Hands the lent record of `field` back and puts `record` in its place.
    template <typename Record> void replace(Owned<Record> ModelInfo::*field, Owned<Record> record) {
        (void)(model_.*field).release();
        model_.*field = std::move(record);
    }

private:
    ModelInfo model_;
    std::array<const void*, 7> lent_{};
};

[[nodiscard]] int GetModelFreqRangeError(const ModelInfo* model, int* flag);
[[nodiscard]] int GetModelPowerRangeError(const ModelInfo* model, int* flag);
[[nodiscard]] int GetModelNumFreqs(const ModelInfo* model, int* numFreqs);
/// Accepts 1 to 5000; neither clears nor moves entries of the frequency list.
[[nodiscard]] int SetModelNumFreqs(ModelInfo* model, int numFreqs);
[[nodiscard]] int GetModelAverages(const ModelInfo* model, int* averages);
/// No range check here: ComputeModel validates the averaging factors and IF bandwidths.
[[nodiscard]] int SetModelAverages(ModelInfo* model, int averages);
[[nodiscard]] int GetModelNRcAverages(const ModelInfo* model, int* averages);
[[nodiscard]] int SetModelNRcAverages(ModelInfo* model, int averages);
[[nodiscard]] int GetModelPower(const ModelInfo* model, float* powerDbm);
[[nodiscard]] int SetModelPower(ModelInfo* model, float powerDbm);
[[nodiscard]] int GetModelIFBW(const ModelInfo* model, float* ifBandwidthHz);
[[nodiscard]] int SetModelIFBW(ModelInfo* model, float ifBandwidthHz);
[[nodiscard]] int GetModelNRcIFBW(const ModelInfo* model, float* ifBandwidthHz);
[[nodiscard]] int SetModelNRcIFBW(ModelInfo* model, float ifBandwidthHz);
/// Any index 0..4999, whatever the number of frequencies.
[[nodiscard]] int GetModelFreq(const ModelInfo* model, int index, double* frequencyHz);
/// The value must be greater than 0 (checked before the index); index 0..4999.
[[nodiscard]] int SetModelFreq(ModelInfo* model, int index, double frequencyHz);
/// Model files carry a coupler loss beside the port power; the model keeps nothing of it.
[[nodiscard]] int SetModelCouplerLoss(ModelInfo* model, float lossDb);
/// The owned record selected by `code` (ModelComponent), not a copy. Cast it to the type the code
/// names, or use the typed fields of ModelInfo directly.
[[nodiscard]] int GetModelComponent(const ModelInfo* model, int code, void** component);

/// 1 when every frequency table of the model covers the model's frequency range (entry 0 to entry
/// numFreqs - 1) within 1 Hz. The first table that does not stops the check with its range
/// message and sets the frequency-range flag to 1. The power table SRc is not range-tested.
[[nodiscard]] int CheckModel(ModelInfo* model);

void ReportModelError(ErrorCode code);
/// Reports `code` with `detail` (the point the message is about) after its text and a blank.
void ReportModelError(ErrorCode code, const std::string& detail);

} // namespace tolvane
