#include "engine/compute_config.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "core/message_sink.h"
#include "core/owned.h"
#include "core/record_name.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/model.h"
#include "engine/program_state.h"
#include "engine/uncertainty_methods.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <span>
#include <string>

namespace tolvane {
namespace {

/// A port power closer than this to a limit of the VNA counts as on the limit.
constexpr double kPortPowerToleranceDb = 0.001;

constexpr const char* kFrequencyAdvice =
    "Suggestion: Adjust the minimum and maximum frequencies using the \"Frequency\" button.";
constexpr const char* kPowerAdvice =
    "Suggestion: Adjust the port power using the \"Power\" button.";

void ReportComputeConfigError(std::uint32_t message) {
    ReportConfigError(MakeErrorCode(message, kRoutineComputeConfig));
}

/// Writes the configuration DUT's coverage factors to the computation's trace; a DUT whose
/// factors cannot be read leaves no trace.
void TraceConfigCoverageFactors(const ConfigInfo* config) {
    DUTInfo* dut = nullptr;
    CoverageFactors f{};
    if (GetConfigDUT(config, &dut) == 0 || GetDUTCoverageFactorArray(dut, &f) == 0) return;
    TraceCoverageFactors(f);
}

/// Fills cable `cable` (1 or 2) of the model from the configuration and builds its drift tables
/// at the model's frequencies.
bool BuildCable(const ConfigInfo* config, int cable, std::span<const double> frequenciesHz,
                CableInfo* record) {
    RecordName dielectric{};
    float lengthM = 0.0f;
    float tempVarC = 0.0f;
    return GetConfigDielName(config, cable, dielectric.data(),
                             static_cast<int>(dielectric.size())) &&
           SetCableDielName(record, dielectric.data()) &&
           GetConfigCableLength(config, cable, &lengthM) && SetCableLength(record, lengthM) &&
           GetConfigTempVar(config, &tempVarC) && SetCableTempVar(record, tempVarC) &&
           MakeCableFVs(record, static_cast<int>(frequenciesHz.size()), frequenciesHz.data());
}

/// The calibration kit, its connector on both ports, the cables, the VNA and the averaging and
/// IF-bandwidth conditions (steps before the port-power check). Returns the list's VNA record
/// whose limits the power is checked against, or null after the failing routine has reported.
const VNAInfo* BuildComponents(const ConfigInfo* config, std::span<const double> frequenciesHz,
                               ModelInfo* model, const RecordName& calName,
                               const RecordName& vnaName) {
    const CalInfo* kit = FindCalInfo(calName.data());
    if (kit == nullptr || CopyCalInfo(kit, model->calKit) == 0) return nullptr;

    TraceConfigCoverageFactors(config);

    RecordName connectorName{};
    if (GetCalConnName(kit, connectorName.data(), static_cast<int>(connectorName.size())) == 0)
        return nullptr;
    const ConnInfo* connector = FindConnInfo(connectorName.data());
    if (connector == nullptr || CopyConnInfo(connector, model->connector1) == 0 ||
        CopyConnInfo(connector, model->connector2) == 0)
        return nullptr;

    if (!BuildCable(config, 1, frequenciesHz, model->cable1) ||
        !BuildCable(config, 2, frequenciesHz, model->cable2))
        return nullptr;

    const VNAInfo* vna = FindVNAInfo(vnaName.data());
    if (vna == nullptr || CopyVNAInfo(vna, model->vna) == 0) return nullptr;

    float nrcIfBandwidthHz = 0.0f;
    float ifBandwidthHz = 0.0f;
    int nrcAverages = 0;
    int averages = 0;
    if (GetVNANRcIFBW(vna, &nrcIfBandwidthHz) == 0 ||
        SetModelNRcIFBW(model, nrcIfBandwidthHz) == 0 ||
        GetConfigIFBW(config, &ifBandwidthHz) == 0 || SetModelIFBW(model, ifBandwidthHz) == 0 ||
        GetVNANRcAverages(vna, &nrcAverages) == 0 || SetModelNRcAverages(model, nrcAverages) == 0 ||
        GetConfigAverages(config, &averages) == 0 || SetModelAverages(model, averages) == 0)
        return nullptr;
    return vna;
}

/// The configuration's DUT and the frequencies into the model.
bool CopyDUTAndFrequencies(const ConfigInfo* config, std::span<const double> frequenciesHz,
                           ModelInfo* model) {
    DUTInfo* dut = nullptr;
    const auto numFreqs = static_cast<int>(frequenciesHz.size());
    if (GetConfigDUT(config, &dut) == 0 || CopyDUTInfo(dut, model->dut) == 0 ||
        SetModelNumFreqs(model, numFreqs) == 0)
        return false;
    for (int i = 0; i < numFreqs; ++i)
        if (SetModelFreq(model, i, frequenciesHz[static_cast<std::size_t>(i)]) == 0) return false;
    return true;
}

/// " / Reflection Only" or " / Transmission Only" when the configuration's DUT type says so.
std::string DUTTypeSuffix(const ConfigInfo* config) {
    DUTInfo* dut = nullptr;
    int type = 0;
    if (GetConfigDUT(config, &dut) != 0 && GetDUTType(dut, &type) != 0) {
        if (type == DUT_REFLECTION_ONLY) return " / Reflection Only";
        if (type == DUT_TRANSMISSION_ONLY) return " / Transmission Only";
    }
    return {};
}

/// A new, empty model for computing `config`; null after reporting a missing configuration or a
/// failed allocation.
Owned<ModelInfo> NewModelFor(const ConfigInfo* config) {
    if (config == nullptr) {
        ReportComputeConfigError(kMsgNullInfo);
        return nullptr;
    }
    Owned<ModelInfo> model(CreateModelInfo());
    if (model == nullptr) ReportComputeConfigError(kConfigMsgCalledRoutine);
    return model;
}

} // namespace

void ShowComputationAdvice(const ModelInfo* model) {
    int flag = 0;
    if (GetModelFreqRangeError(model, &flag) == 0) return;
    if (flag == 1) ShowHelpMessage(kFrequencyAdvice);
    if (GetModelPowerRangeError(model, &flag) == 0) return;
    if (flag == 1) ShowHelpMessage(kPowerAdvice);
}

int BuildModelFromConfig(const ConfigInfo* config, std::span<const double> frequenciesHz,
                         ModelInfo* model, std::string* setUp) {
    RecordName calName{};
    RecordName vnaName{};
    const VNAInfo* vna = nullptr;
    if (GetConfigCalName(config, calName.data(), static_cast<int>(calName.size())) != 0 &&
        GetConfigVNAName(config, vnaName.data(), static_cast<int>(vnaName.size())) != 0)
        vna = BuildComponents(config, frequenciesHz, model, calName, vnaName);

    float powerDbm = 0.0f;
    float minPowerDbm = 0.0f;
    float maxPowerDbm = 0.0f;
    if (vna == nullptr || GetConfigPower(config, &powerDbm) == 0 ||
        GetVNAMinPower(vna, &minPowerDbm) == 0 || GetVNAMaxPower(vna, &maxPowerDbm) == 0) {
        ReportComputeConfigError(kConfigMsgCalledRoutine);
        return 0;
    }
    const double power = powerDbm;
    if (std::fabs(power - minPowerDbm) >= kPortPowerToleranceDb && power < minPowerDbm) {
        ReportComputeConfigError(kConfigMsgPowerTooSmall);
        return 0;
    }
    if (std::fabs(power - maxPowerDbm) >= kPortPowerToleranceDb && power > maxPowerDbm) {
        ReportComputeConfigError(kConfigMsgPowerTooLarge);
        return 0;
    }
    if (SetModelPower(model, powerDbm) == 0 ||
        !CopyDUTAndFrequencies(config, frequenciesHz, model)) {
        ReportComputeConfigError(kConfigMsgCalledRoutine);
        return 0;
    }
    if (setUp != nullptr) *setUp = std::string(vnaName.data()) + " / " + calName.data();
    return 1;
}

int ComputeConfig(const ConfigInfo* config) {
    return ComputeConfigByMethod(config, MethodOptions{});
}

int ComputeConfigByMethod(const ConfigInfo* config, const MethodOptions& options) {
    Owned<ModelInfo> model = NewModelFor(config);
    if (model == nullptr) return 0;
    std::string setUp;
    if (BuildModelFromConfig(config, ConfigFrequencies(config), model.get(), &setUp) == 0) return 0;

    GlobalProgramState().plotSubtitle = setUp + DUTTypeSuffix(config);

    if (ComputeModelByMethod(model.get(), CurrentResult(), options) == 0) {
        ShowComputationAdvice(model.get());
        return 0;
    }
    return 1;
}

std::span<const double> ConfigFrequencies(const ConfigInfo* config) {
    // A configuration holds at most 5000 frequencies; a count outside its list is refused by the
    // cables' drift tables and the model with their own messages.
    const auto numFreqs = static_cast<std::size_t>(
        std::clamp(config->numFreqs, 0, static_cast<int>(config->frequenciesHz.size())));
    return {config->frequenciesHz.data(), numFreqs};
}

int ExplainConfigPoint(const ConfigInfo* config, const UncertaintyPoint& point,
                       const MonteCarloOptions& monteCarlo, PointExplanation* explanation) {
    Owned<ModelInfo> model = NewModelFor(config);
    if (model == nullptr) return 0;
    // The set-up at the point's frequency alone: the cable drift tables are made at it.
    const double frequencyHz[] = {point.frequencyHz};
    CoverageFactors k{};
    const DUTInfo* dut = model->dut;
    if (BuildModelFromConfig(config, frequencyHz, model.get(), nullptr) == 0 ||
        GetDUTCoverageFactorArray(dut, &k) == 0)
        return 0;
    // Checked here, where the frequency-range flag that the advice reads is set.
    if (CheckModel(model.get()) == 0) {
        ShowComputationAdvice(model.get());
        return 0;
    }
    return ExplainPoint(*model, k, point, monteCarlo, explanation);
}

} // namespace tolvane
