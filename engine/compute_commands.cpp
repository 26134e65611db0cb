#include "engine/compute_commands.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "core/fv_table.h"
#include "core/units.h"
#include "engine/compute_config.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/model.h"
#include "engine/program_state.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tolvane {
namespace {

/// |ghz| in Hz, taking the float as the decimal it was entered as: the sweep limits are held as
/// floats, and 26.6f is 26.6000003815 GHz, which would put a sweep typed to end at a table's last
/// frequency 381 Hz beyond it. The shortest decimal that reads back as the same float is the
/// number the user typed (or one indistinguishable from it in the record).
double SweepLimitHz(float ghz) {
    std::array<char, 32> text{};
    const auto printed = std::to_chars(text.data(), text.data() + text.size(), std::fabs(ghz));
    double decimal = std::fabs(static_cast<double>(ghz));
    if (printed.ec == std::errc()) (void)std::from_chars(text.data(), printed.ptr, decimal);
    return decimal * kHzPerGHz;
}

/// Keeps a record's frequency list (count and every entry) and puts it back when it goes out of
/// scope, whatever happened to the list in between. Works for ConfigInfo and ModelInfo alike.
template <typename Record> class SavedFrequencyList {
public:
    explicit SavedFrequencyList(Record* record)
        : record_(record), numFreqs_(record->numFreqs), frequenciesHz_(record->frequenciesHz) {}
    ~SavedFrequencyList() {
        record_->numFreqs = numFreqs_;
        record_->frequenciesHz = frequenciesHz_;
    }
    SavedFrequencyList(const SavedFrequencyList&) = delete;
    SavedFrequencyList& operator=(const SavedFrequencyList&) = delete;

private:
    Record* record_;
    int numFreqs_;
    decltype(Record::frequenciesHz) frequenciesHz_;
};

/// True when the DUT is user defined with its own frequency sweep on; false also when the DUT
/// cannot be read (`ok` then says so).
bool UsesUserSweep(const DUTInfo* dut, bool* ok) {
    int type = 0;
    int sweep = 0;
    *ok = GetDUTType(dut, &type) != 0 && GetDUTFreqSweep(dut, &sweep) != 0;
    return *ok && type == DUT_USER_DEFINED && sweep == 1;
}

/// Puts the DUT's sweep frequencies into the record's list through its own setters, which report
/// a refused count or value. The count is set first, so a sweep of more than 5000 points is
/// refused with the record's own message before any entry changes.
template <typename Record>
bool ApplyUserSweep(const DUTInfo* dut, Record* record, int (*setNumFreqs)(Record*, int),
                    int (*setFreq)(Record*, int, double)) {
    float s11 = 0, s12 = 0, s21 = 0, s22 = 0, startGHz = 0, stopGHz = 0;
    int points = 0;
    if (GetDUTUserValues(dut, &s11, &s12, &s21, &s22, &startGHz, &stopGHz, &points) == 0 ||
        setNumFreqs(record, points) == 0)
        return false;
    const std::vector<double> frequencies = UserSweepFrequencies(startGHz, stopGHz, points);
    for (int i = 0; i < points; ++i)
        if (setFreq(record, i, frequencies[static_cast<std::size_t>(i)]) == 0) return false;
    return true;
}

bool CopyCoverageFactors(const ConfigInfo* config, DUTInfo* destination) {
    DUTInfo* source = nullptr;
    CoverageFactors factors{};
    return GetConfigDUT(config, &source) != 0 && GetDUTCoverageFactorArray(source, &factors) != 0 &&
           SetDUTCoverageFactorArray(destination, factors) != 0;
}

bool CopyCable(const CableInfo* source, CableInfo* destination) {
    if (source == nullptr || destination == nullptr) return false;
    return SetCableLength(destination, source->lengthM) != 0 &&
           SetCableTempVar(destination, source->tempVarC) != 0 &&
           SetCableDielName(destination, source->dielName.data()) != 0 &&
           CopyFVInfo(source->DCbTm, destination->DCbTm) != 0 &&
           CopyFVInfo(source->DCbTp, destination->DCbTp) != 0;
}

} // namespace

ModelHandle CopyModel(const ModelInfo* model) {
    if (model == nullptr) {
        ReportModelError(MakeErrorCode(kMsgNullInfo, kRoutineGetModelParam));
        return nullptr;
    }
    ModelHandle copy(CreateModelInfo());
    if (copy == nullptr) return nullptr;
    ModelInfo& c = *copy;
    static_cast<ModelSettings&>(c) = *model; // values the model's setters took
    if (CopyVNAInfo(model->vna, c.vna) == 0 || CopyConnInfo(model->connector1, c.connector1) == 0 ||
        CopyConnInfo(model->connector2, c.connector2) == 0 || !CopyCable(model->cable1, c.cable1) ||
        !CopyCable(model->cable2, c.cable2) || CopyCalInfo(model->calKit, c.calKit) == 0 ||
        CopyDUTInfo(model->dut, c.dut) == 0) {
        ReportModelError(MakeErrorCode(kModelMsgCalledRoutine, kRoutineGetModelParam));
        return nullptr;
    }
    return copy;
}

ModelHandle ConfigurationCommandModel(ConfigInfo* config) {
    DUTInfo* dut = nullptr;
    if (GetConfigDUT(config, &dut) == 0) return nullptr;
    bool ok = false;
    const bool userSweep = UsesUserSweep(dut, &ok);
    if (!ok) return nullptr;
    const SavedFrequencyList<ConfigInfo> saved(config);
    if (userSweep && !ApplyUserSweep(dut, config, SetConfigNumFreqs, SetConfigFreq)) return nullptr;
    ModelHandle model(CreateModelInfo());
    if (model == nullptr ||
        BuildModelFromConfig(config, ConfigFrequencies(config), model.get(), nullptr) == 0)
        return nullptr;
    return model;
}

ModelHandle ModelCommandModel(const ModelInfo* model, const ConfigInfo* config) {
    ModelHandle copy = CopyModel(model);
    if (copy == nullptr || !CopyCoverageFactors(config, copy->dut)) return nullptr;
    bool ok = false;
    if (UsesUserSweep(copy->dut, &ok) &&
        !ApplyUserSweep(copy->dut, copy.get(), SetModelNumFreqs, SetModelFreq))
        return nullptr;
    return ok ? std::move(copy) : nullptr;
}

std::vector<double> UserSweepFrequencies(float startGHz, float stopGHz, int points) {
    std::vector<double> frequencies;
    if (points < 1) return frequencies;
    const double startHz = SweepLimitHz(startGHz);
    const double stopHz = SweepLimitHz(stopGHz);
    const double stepHz = points > 1 ? (stopHz - startHz) / (points - 1) : 0.0;
    frequencies.reserve(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i)
        frequencies.push_back(startHz + i * stepHz);
    return frequencies;
}

int ComputeConfigurationCommand(ConfigInfo* config, const MethodOptions& options) {
    DUTInfo* dut = nullptr;
    if (GetConfigDUT(config, &dut) == 0) return 0;
    bool ok = false;
    if (!UsesUserSweep(dut, &ok)) return ok ? ComputeConfigByMethod(config, options) : 0;

    const SavedFrequencyList<ConfigInfo> saved(config);
    if (!ApplyUserSweep(dut, config, SetConfigNumFreqs, SetConfigFreq)) return 0;
    return ComputeConfigByMethod(config, options);
}

int ComputeModelCommand(ModelInfo* model, const ConfigInfo* config, const MethodOptions& options) {
    GlobalProgramState().plotSubtitle.clear();
    void* component = nullptr;
    if (GetModelComponent(model, kModelDUT, &component) == 0) return 0;
    auto* dut = static_cast<DUTInfo*>(component);
    if (!CopyCoverageFactors(config, dut)) return 0;
    return ComputeModelOverDUTSweep(model, options);
}

int ComputeModelOverDUTSweep(ModelInfo* model, const MethodOptions& options) {
    void* component = nullptr;
    if (GetModelComponent(model, kModelDUT, &component) == 0) return 0;
    const auto* dut = static_cast<const DUTInfo*>(component);
    bool ok = false;
    if (!UsesUserSweep(dut, &ok))
        return ok ? ComputeModelByMethod(model, CurrentResult(), options) : 0;

    const SavedFrequencyList<ModelInfo> saved(model);
    if (!ApplyUserSweep(dut, model, SetModelNumFreqs, SetModelFreq)) return 0;
    return ComputeModelByMethod(model, CurrentResult(), options);
}

} // namespace tolvane
