#include "engine/model.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "core/message_sink.h"
#include "engine/model_terms.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <type_traits>

namespace tolvane {
namespace {

constexpr NumberedText kModelRoutines[] = {
    {kRoutineCreateModelInfo, "CreateModelInfo: "},
    {kRoutineDestroyModelInfo, "DestroyModelInfo: "},
    {kRoutineDeallocateModelArrays, "DeallocateModelArrays: "},
    {kRoutineGetModelParam, "GetModelParam: "},
    {kRoutineSetModelParam, "SetModelParam: "},
    {kRoutineComputeModel, "ComputeModel: "},
    {kRoutineCheckModel, "CheckModel: "},
};

static_assert(kMaxModelFrequencies == 5000, "message 0x09 names the maximum");

constexpr NumberedText kModelMessages[] = {
    {kMsgNullInfo, "NULL info pointer."},
    {kMsgAllocation, "error allocating memory."},
    {kMsgUnknownParameter, "unknown parameter."},
    {kMsgNullParameter, "NULL parameter pointer."},
    {kMsgNullPointer, "NULL pointer."},
    {kModelMsgNumFreqs, "Invalid number of frequencies."},
    {kModelMsgTooManyFreqs, "Too many frequencies, maximum is 5000."},
    {kModelMsgFreqValue, "Invalid frequency value."},
    {kModelMsgFreqIndex, "Invalid index in the frequency array."},
    {kModelMsgNullUncertainty, "NULL pointer to the uncertainty data."},
    {kModelMsgCalledRoutine, "Error in a called routine."},
    {kModelMsgNumDUTValues, "Invalid number of DUT values."},
    {0x16, "Minimum frequency of CDR term is too high."},
    {0x17, "Maximum frequency of CDR term is too low."},
    {0x18, "Minimum frequency of CSM term is too high."},
    {0x19, "Maximum frequency of CSM term is too low."},
    {0x20, "Minimum frequency of CRT term is too high."},
    {0x21, "Maximum frequency of CRT term is too low."},
    {0x22, "Minimum frequency of CXT term is too high."},
    {0x23, "Maximum frequency of CXT term is too low."},
    {0x24, "Minimum frequency of CLM term is too high."},
    {0x25, "Maximum frequency of CLM term is too low."},
    {0x26, "Minimum frequency of CTT term is too high."},
    {0x27, "Maximum frequency of CTT term is too low."},
    {0x28, "Minimum frequency of SSR term is too high."},
    {0x30, "Maximum frequency of SSR term is too low."},
    {0x31, "Minimum power of SRC term is too high."},
    {0x32, "Maximum power of SRC term is too low."},
    {0x33, "Minimum frequency of NRC term is too high."},
    {0x34, "Maximum frequency of NRC term is too low."},
    {0x35, "Minimum frequency of DCB1TM term is too high."},
    {0x36, "Maximum frequency of DCB1TM term is too low."},
    {0x37, "Minimum frequency of DCB1TP term is too high."},
    {0x38, "Maximum frequency of DCB1TP term is too low."},
    {0x39, "Minimum frequency of DCB2TM term is too high."},
    {0x40, "Maximum frequency of DCB2TM term is too low."},
    {0x41, "Minimum frequency of DCB2TP term is too high."},
    {0x42, "Maximum frequency of DCB2TP term is too low."},
    {0x43, "Minimum frequency of RCN1TM term is too high."},
    {0x44, "Maximum frequency of RCN1TM term is too low."},
    {0x45, "Minimum frequency of RCN1RM term is too high."},
    {0x46, "Maximum frequency of RCN1RM term is too low."},
    {0x47, "Minimum frequency of RCN2TM term is too high."},
    {0x48, "Maximum frequency of RCN2TM term is too low."},
    {0x49, "Minimum frequency of RCN2RM term is too high."},
    {0x50, "Maximum frequency of RCN2RM term is too low."},
    {kModelMsgDUTType, "Invalid DUT type."},
    {kModelMsgAverages, "Invalid averaging factor."},
    {kModelMsgNRcAverages, "Invalid averaging factor where NRc defined."},
    {kModelMsgIFBW, "Invalid IF bandwidth."},
    {kModelMsgNRcIFBW, "Invalid IF bandwidth where NRc defined."},
    {kModelMsgNotFinite, "Result is not a finite number."},
};

int Fail(std::uint32_t message, std::uint32_t routine) {
    ReportModelError(MakeErrorCode(message, routine));
    return 0;
}

// Getter and setter bodies share the two null checks.
template <typename Value>
int GetField(const ModelInfo* model, Value* out, Value ModelSettings::*field) {
    if (model == nullptr) return Fail(kMsgNullInfo, kRoutineGetModelParam);
    if (out == nullptr) return Fail(kMsgNullParameter, kRoutineGetModelParam);
    *out = model->*field;
    return 1;
}

template <typename Value> int SetField(ModelInfo* model, Value value, Value ModelSettings::*field) {
    if (model == nullptr) return Fail(kMsgNullInfo, kRoutineSetModelParam);
    model->*field = value;
    return 1;
}

bool IsFrequencyIndex(int index) {
    return static_cast<unsigned>(index) < static_cast<unsigned>(kMaxModelFrequencies);
}

} // namespace

void ReportModelError(ErrorCode code) {
    ReportModuleError(ModuleErrorTexts{kModelRoutines, kModelMessages}, code);
}

void ReportModelError(ErrorCode code, const std::string& detail) {
    const std::string text = ComposeErrorText({kModelRoutines, kModelMessages}, code);
    ShowErrorMessage((text + " " + detail).c_str());
}

ModelInfo::ModelInfo() = default;
ModelInfo::~ModelInfo() = default;

ModelInfo* CreateModelInfo() {
    auto* model = new (std::nothrow) ModelInfo{};
    if (model == nullptr) {
        ReportModelError(MakeErrorCode(kMsgAllocation, kRoutineCreateModelInfo));
        return nullptr;
    }
    // Each component module reports its own failure; the partly built model is then discarded.
    Owned<ModelInfo> created(model);
    const auto create = [](auto& field, auto* record) {
        field.reset(record);
        return record != nullptr;
    };
    if (create(model->vna, CreateVNAInfo()) && create(model->connector1, CreateConnInfo()) &&
        create(model->connector2, CreateConnInfo()) && create(model->cable1, CreateCableInfo()) &&
        create(model->cable2, CreateCableInfo()) && create(model->calKit, CreateCalInfo()) &&
        create(model->dut, CreateDUTInfo()))
        return created.release();
    return nullptr;
}

int DestroyModelInfo(ModelInfo* model) {
    if (model == nullptr) return Fail(kMsgNullInfo, kRoutineDestroyModelInfo);
    delete model; // its component records go with it
    return 1;
}

namespace {

// Applies `apply` to each of the model's seven component fields.
template <typename Model, typename Apply> void ForEachComponent(Model& model, Apply apply) {
    apply(model.vna);
    apply(model.connector1);
    apply(model.connector2);
    apply(model.cable1);
    apply(model.cable2);
    apply(model.calKit);
    apply(model.dut);
}

} // namespace

void DeallocateModelArrays(ModelInfo* model) {
    if (model == nullptr) return;
    ForEachComponent(*model, [](auto& field) { field.reset(); });
}

BorrowedModel::BorrowedModel(const ModelInfo& model) {
    static_cast<ModelSettings&>(model_) = model;
    std::size_t i = 0;
    ForEachComponent(model, [&](const auto& field) { lent_[i++] = field.get(); });
    i = 0;
    ForEachComponent(model_, [&](auto& field) {
        using Record = std::remove_reference_t<decltype(*field)>;
        field.reset(static_cast<Record*>(const_cast<void*>(lent_[i++])));
    });
}

BorrowedModel::~BorrowedModel() {
    ForEachComponent(model_, [&](auto& field) {
        if (std::find(lent_.begin(), lent_.end(), field.get()) != lent_.end())
            (void)field.release();
    });
}

int GetModelFreqRangeError(const ModelInfo* model, int* flag) {
    return GetField(model, flag, &ModelInfo::freqRangeError);
}
int GetModelPowerRangeError(const ModelInfo* model, int* flag) {
    return GetField(model, flag, &ModelInfo::powerRangeError);
}
int GetModelNumFreqs(const ModelInfo* model, int* numFreqs) {
    return GetField(model, numFreqs, &ModelInfo::numFreqs);
}
int GetModelAverages(const ModelInfo* model, int* averages) {
    return GetField(model, averages, &ModelInfo::averages);
}
int GetModelNRcAverages(const ModelInfo* model, int* averages) {
    return GetField(model, averages, &ModelInfo::nrcAverages);
}
int GetModelPower(const ModelInfo* model, float* powerDbm) {
    return GetField(model, powerDbm, &ModelInfo::powerDbm);
}
int GetModelIFBW(const ModelInfo* model, float* ifBandwidthHz) {
    return GetField(model, ifBandwidthHz, &ModelInfo::ifBandwidthHz);
}
int GetModelNRcIFBW(const ModelInfo* model, float* ifBandwidthHz) {
    return GetField(model, ifBandwidthHz, &ModelInfo::nrcIfBandwidthHz);
}

int SetModelNumFreqs(ModelInfo* model, int numFreqs) {
    if (model == nullptr) return Fail(kMsgNullInfo, kRoutineSetModelParam);
    if (numFreqs <= 0) return Fail(kModelMsgNumFreqs, kRoutineSetModelParam);
    if (numFreqs > kMaxModelFrequencies) return Fail(kModelMsgTooManyFreqs, kRoutineSetModelParam);
    model->numFreqs = numFreqs;
    return 1;
}
int SetModelAverages(ModelInfo* model, int averages) {
    return SetField(model, averages, &ModelInfo::averages);
}
int SetModelNRcAverages(ModelInfo* model, int averages) {
    return SetField(model, averages, &ModelInfo::nrcAverages);
}
int SetModelPower(ModelInfo* model, float powerDbm) {
    return SetField(model, powerDbm, &ModelInfo::powerDbm);
}
int SetModelIFBW(ModelInfo* model, float ifBandwidthHz) {
    return SetField(model, ifBandwidthHz, &ModelInfo::ifBandwidthHz);
}
int SetModelNRcIFBW(ModelInfo* model, float ifBandwidthHz) {
    return SetField(model, ifBandwidthHz, &ModelInfo::nrcIfBandwidthHz);
}

int GetModelFreq(const ModelInfo* model, int index, double* frequencyHz) {
    if (model == nullptr) return Fail(kMsgNullInfo, kRoutineGetModelParam);
    if (frequencyHz == nullptr) return Fail(kMsgNullParameter, kRoutineGetModelParam);
    if (!IsFrequencyIndex(index)) return Fail(kModelMsgFreqIndex, kRoutineGetModelParam);
    *frequencyHz = model->frequenciesHz[static_cast<std::size_t>(index)];
    return 1;
}

int SetModelFreq(ModelInfo* model, int index, double frequencyHz) {
    if (model == nullptr) return Fail(kMsgNullInfo, kRoutineSetModelParam);
    if (!(frequencyHz > 0.0)) return Fail(kModelMsgFreqValue, kRoutineSetModelParam);
    if (!IsFrequencyIndex(index)) return Fail(kModelMsgFreqIndex, kRoutineSetModelParam);
    model->frequenciesHz[static_cast<std::size_t>(index)] = frequencyHz;
    return 1;
}

int SetModelCouplerLoss(ModelInfo* model, float /*lossDb*/) {
    if (model == nullptr) return Fail(kMsgNullInfo, kRoutineSetModelParam);
    return 1;
}

int GetModelComponent(const ModelInfo* model, int code, void** component) {
    if (model == nullptr) return Fail(kMsgNullInfo, kRoutineGetModelParam);
    if (component == nullptr) return Fail(kMsgNullParameter, kRoutineGetModelParam);
    switch (code) {
    case kModelVNA:
        *component = model->vna;
        return 1;
    case kModelConnector1:
        *component = model->connector1;
        return 1;
    case kModelConnector2:
        *component = model->connector2;
        return 1;
    case kModelCable1:
        *component = model->cable1;
        return 1;
    case kModelCable2:
        *component = model->cable2;
        return 1;
    case kModelCalKit:
        *component = model->calKit;
        return 1;
    case kModelDUT:
        *component = model->dut;
        return 1;
    default:
        return Fail(kMsgUnknownParameter, kRoutineGetModelParam);
    }
}

int CheckModel(ModelInfo* model) {
    if (model == nullptr) return Fail(kMsgNullInfo, kRoutineCheckModel);
    model->freqRangeError = 0;
    // Without frequencies there is no range to check; ComputeModel refuses the count itself.
    if (model->numFreqs < 1 || model->numFreqs > kMaxModelFrequencies) return 1;
    const double lowestHz = model->frequenciesHz[0];
    const double highestHz = model->frequenciesHz[static_cast<std::size_t>(model->numFreqs - 1)];

    // The first table that does not cover the range is reported.
    for (const ModelTerm checked : kRangeCheckedTerms) {
        const ModelTermInfo& term = DescribeModelTerm(checked);
        const TermTableOps& table = TableOpsOf(term);
        const void* record = TermRecord(model, term);
        int n = 0;
        double firstHz = 0.0;
        double lastHz = 0.0;
        if (!table.getNumPairs(record, term.tableCode, &n) ||
            !table.getAbscissa(record, term.tableCode, 0, &firstHz) ||
            !table.getAbscissa(record, term.tableCode, n - 1, &lastHz))
            return Fail(kModelMsgCalledRoutine, kRoutineCheckModel);
        // A model frequency less than 1 Hz beyond a table end still counts as covered.
        if (std::fabs(lowestHz - firstHz) >= 1.0 && lowestHz < firstHz) {
            model->freqRangeError = 1;
            return Fail(term.minTooHighMessage, kRoutineCheckModel);
        }
        if (std::fabs(highestHz - lastHz) >= 1.0 && highestHz > lastHz) {
            model->freqRangeError = 1;
            return Fail(term.maxTooLowMessage, kRoutineCheckModel);
        }
    }
    return 1;
}

} // namespace tolvane
