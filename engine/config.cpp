#include "engine/config.h"

#include "components/dut.h"

#include <new>

namespace tolvane {
namespace {

constexpr NumberedText kRoutines[] = {
    {kRoutineCreateConfigInfo, "CreateConfigInfo: "},
    {kRoutineDestroyConfigInfo, "DestroyConfigInfo: "},
    {kRoutineDeallocateConfigArrays, "DeallocateConfigArrays: "},
    {kRoutineGetConfigParam, "GetConfigParam: "},
    {kRoutineSetConfigParam, "SetConfigParam: "},
    {kRoutineComputeConfig, "ComputeConfig: "},
};

static_assert(kMaxConfigFrequencies == 5000, "the too-many-frequencies text names the maximum");
constexpr NumberedText kMessages[] = {
    {kMsgNullInfo, "NULL info pointer."},
    {kMsgAllocation, "error allocating memory."},
    {kMsgUnknownParameter, "unknown parameter."},
    {kMsgNullParameter, "NULL parameter pointer."},
    {kMsgNullPointer, "NULL pointer."},
    {kConfigMsgCableLength, "Invalid cable length."},
    {kConfigMsgTempVar, "Invalid temperature variation."},
    {kConfigMsgNumFreqs, "Invalid number of frequencies."},
    {kConfigMsgTooManyFreqs, "Too many frequencies, maximum is 5000."},
    {kConfigMsgFreqValue, "Invalid frequency value."},
    {kConfigMsgFreqIndex, "Invalid index into the frequency array."},
    {kConfigMsgCalledRoutine, "Error in a called routine."},
    {kConfigMsgPowerTooSmall, "Port power is too small."},
    {kConfigMsgPowerTooLarge, "Port power is too large."},
    {kConfigMsgNumAverages, "Invalid number of averages."},
};

constexpr ModuleErrorTexts kTexts{kRoutines, kMessages};

int FailGet(std::uint32_t message) {
    ReportConfigError(MakeErrorCode(message, kRoutineGetConfigParam));
    return 0;
}

int FailSet(std::uint32_t message) {
    ReportConfigError(MakeErrorCode(message, kRoutineSetConfigParam));
    return 0;
}

/// The common checks of a getter: a record and an output pointer. 0 when they pass.
template <typename Out> std::uint32_t GetterProblem(const ConfigInfo* config, const Out* out) {
    if (config == nullptr) return kMsgNullInfo;
    if (out == nullptr) return kMsgNullParameter;
    return 0;
}

template <typename Value>
int GetField(const ConfigInfo* config, Value* out, Value ConfigSettings::*field) {
    if (std::uint32_t problem = GetterProblem(config, out)) return FailGet(problem);
    *out = config->*field;
    return 1;
}

/// Cable numbers 1 and 2 become indexes 0 and 1; -1 for any other number.
int CableIndex(int cable) {
    return cable == 1 || cable == 2 ? cable - 1 : -1;
}

/// The frequency list is indexed 0..4999; the index is tested as unsigned, so negatives fail.
bool IsFrequencyIndex(int index) {
    return static_cast<unsigned>(index) < static_cast<unsigned>(kMaxConfigFrequencies);
}

int GetName(const ConfigInfo* config, const RecordName ConfigSettings::*field, char* buffer,
            int length) {
    if (std::uint32_t problem = GetterProblem(config, buffer)) return FailGet(problem);
    CopyRecordName(config->*field, buffer, length);
    return 1;
}

int SetName(ConfigInfo* config, RecordName ConfigSettings::*field, const char* name) {
    if (config == nullptr) return FailSet(kMsgNullInfo);
    if (name == nullptr) return FailSet(kMsgNullParameter);
    StoreRecordName(config->*field, name);
    return 1;
}

} // namespace

void ReportConfigError(ErrorCode code) {
    ReportModuleError(kTexts, code);
}

ConfigInfo::ConfigInfo() = default;
ConfigInfo::~ConfigInfo() = default;

ConfigInfo* CreateConfigInfo() {
    auto* config = new (std::nothrow) ConfigInfo;
    if (config == nullptr) {
        ReportConfigError(MakeErrorCode(kMsgAllocation, kRoutineCreateConfigInfo));
        return nullptr;
    }
    config->dut.reset(CreateDUTInfo());
    if (config->dut == nullptr) {
        delete config;
        return nullptr;
    }
    return config;
}

int DestroyConfigInfo(ConfigInfo* config) {
    if (config == nullptr) {
        ReportConfigError(MakeErrorCode(kMsgNullInfo, kRoutineDestroyConfigInfo));
        return 0;
    }
    delete config; // its DUT goes with it
    return 1;
}

void DeallocateConfigArrays(ConfigInfo* config) {
    if (config != nullptr) config->dut.reset();
}

int GetConfigNumFreqs(const ConfigInfo* config, int* numFreqs) {
    return GetField(config, numFreqs, &ConfigInfo::numFreqs);
}

int SetConfigNumFreqs(ConfigInfo* config, int numFreqs) {
    if (config == nullptr) return FailSet(kMsgNullInfo);
    if (numFreqs <= 0) return FailSet(kConfigMsgNumFreqs);
    if (numFreqs > kMaxConfigFrequencies) return FailSet(kConfigMsgTooManyFreqs);
    config->numFreqs = numFreqs;
    return 1;
}

int GetConfigAverages(const ConfigInfo* config, int* numAverages) {
    return GetField(config, numAverages, &ConfigInfo::numAverages);
}

int SetConfigAverages(ConfigInfo* config, int numAverages) {
    if (config == nullptr) return FailSet(kMsgNullInfo);
    if (numAverages <= 0) return FailSet(kConfigMsgNumAverages);
    config->numAverages = numAverages;
    return 1;
}

int GetConfigCableLength(const ConfigInfo* config, int cable, float* lengthM) {
    if (std::uint32_t problem = GetterProblem(config, lengthM)) return FailGet(problem);
    const int index = CableIndex(cable);
    if (index < 0) return FailGet(kMsgUnknownParameter);
    *lengthM = config->cableLengthM[static_cast<std::size_t>(index)];
    return 1;
}

int SetConfigCableLength(ConfigInfo* config, int cable, float lengthM) {
    if (config == nullptr) return FailSet(kMsgNullInfo);
    // Written so that NaN is refused too.
    if (!(lengthM >= 0.0f)) return FailSet(kConfigMsgCableLength);
    const int index = CableIndex(cable);
    if (index < 0) return FailSet(kMsgUnknownParameter);
    config->cableLengthM[static_cast<std::size_t>(index)] = lengthM;
    return 1;
}

int GetConfigTempVar(const ConfigInfo* config, float* tempVarC) {
    return GetField(config, tempVarC, &ConfigInfo::tempVarC);
}

int SetConfigTempVar(ConfigInfo* config, float tempVarC) {
    if (config == nullptr) return FailSet(kMsgNullInfo);
    if (!(tempVarC >= 0.0f)) return FailSet(kConfigMsgTempVar);
    config->tempVarC = tempVarC;
    return 1;
}

int GetConfigPower(const ConfigInfo* config, float* powerDbm) {
    return GetField(config, powerDbm, &ConfigInfo::powerDbm);
}

int SetConfigPower(ConfigInfo* config, float powerDbm) {
    if (config == nullptr) return FailSet(kMsgNullInfo);
    config->powerDbm = powerDbm;
    return 1;
}

int GetConfigIFBW(const ConfigInfo* config, float* ifBandwidthHz) {
    return GetField(config, ifBandwidthHz, &ConfigInfo::ifBandwidthHz);
}

int SetConfigIFBW(ConfigInfo* config, float ifBandwidthHz) {
    if (config == nullptr) return FailSet(kMsgNullInfo);
    config->ifBandwidthHz = ifBandwidthHz;
    return 1;
}

int GetConfigFreq(const ConfigInfo* config, int index, double* frequencyHz) {
    if (std::uint32_t problem = GetterProblem(config, frequencyHz)) return FailGet(problem);
    if (!IsFrequencyIndex(index)) return FailGet(kConfigMsgFreqIndex);
    *frequencyHz = config->frequenciesHz[static_cast<std::size_t>(index)];
    return 1;
}

int SetConfigFreq(ConfigInfo* config, int index, double frequencyHz) {
    if (config == nullptr) return FailSet(kMsgNullInfo);
    // Written so that NaN is refused too.
    if (!(frequencyHz > 0.0)) return FailSet(kConfigMsgFreqValue);
    if (!IsFrequencyIndex(index)) return FailSet(kConfigMsgFreqIndex);
    config->frequenciesHz[static_cast<std::size_t>(index)] = frequencyHz;
    return 1;
}

int GetConfigCalName(const ConfigInfo* config, char* buffer, int length) {
    return GetName(config, &ConfigInfo::calName, buffer, length);
}

int SetConfigCalName(ConfigInfo* config, const char* name) {
    return SetName(config, &ConfigInfo::calName, name);
}

int GetConfigVNAName(const ConfigInfo* config, char* buffer, int length) {
    return GetName(config, &ConfigInfo::vnaName, buffer, length);
}

int SetConfigVNAName(ConfigInfo* config, const char* name) {
    return SetName(config, &ConfigInfo::vnaName, name);
}

int GetConfigDielName(const ConfigInfo* config, int cable, char* buffer, int length) {
    if (std::uint32_t problem = GetterProblem(config, buffer)) return FailGet(problem);
    const int index = CableIndex(cable);
    if (index < 0) return FailGet(kMsgUnknownParameter);
    CopyRecordName(config->dielNames[static_cast<std::size_t>(index)], buffer, length);
    return 1;
}

int SetConfigDielName(ConfigInfo* config, int cable, const char* name) {
    if (config == nullptr) return FailSet(kMsgNullInfo);
    if (name == nullptr) return FailSet(kMsgNullParameter);
    const int index = CableIndex(cable);
    if (index < 0) return FailSet(kMsgUnknownParameter);
    StoreRecordName(config->dielNames[static_cast<std::size_t>(index)], name);
    return 1;
}

int GetConfigDUT(const ConfigInfo* config, DUTInfo** dut) {
    if (std::uint32_t problem = GetterProblem(config, dut)) return FailGet(problem);
    *dut = config->dut;
    return 1;
}

} // namespace tolvane
