#pragma once

#include "core/error_report.h"
#include "core/owned.h"
#include "core/record_name.h"

#include <array>

namespace tolvane {

struct DUTInfo;

/// Largest number of measurement frequencies a configuration holds.
inline constexpr int kMaxConfigFrequencies = 5000;

/// A measurement set-up's own values in the user's terms: the VNA, calibration kit and cable
/// dielectrics by name (the records stay in the component lists), the port power, IF bandwidth
/// and averaging factor, the two cables and the frequency list.
struct ConfigSettings {
    /// Entries of frequenciesHz in use; 1 to 5000 once set.
    int numFreqs = 0;
    int numAverages = 512;
    /// Cable 1 and cable 2 length in metres.
    std::array<float, 2> cableLengthM{1000.0f, 1000.0f};
    /// Temperature variation in degrees Celsius; one value for both cables.
    float tempVarC = 1000.0f;
    float powerDbm = 1000.0f;
    float ifBandwidthHz = 1000.0f;
    /// Measurement frequencies in Hz; entries from numFreqs on are not used but kept.
    std::array<double, kMaxConfigFrequencies> frequenciesHz{};
    RecordName calName{};
    RecordName vnaName{};
    /// Dielectric names of cable 1 and cable 2.
    std::array<RecordName, 2> dielNames{};
};

/// A measurement set-up: its settings and the device under test.
struct ConfigInfo : ConfigSettings {
    using Settings = ConfigSettings;
    // Defined where the DUT record is a complete type.
    ConfigInfo();
    ~ConfigInfo();
    /// Created with the record and destroyed with it.
    Owned<DUTInfo> dut;
};

/// Routine numbers of the Config module's reporter.
enum ConfigRoutine : std::uint32_t {
    kRoutineCreateConfigInfo = kRoutineCreate,
    kRoutineDestroyConfigInfo = kRoutineDestroy,
    kRoutineDeallocateConfigArrays = kRoutineDeallocate,
    kRoutineGetConfigParam = kRoutineGet,
    kRoutineSetConfigParam = kRoutineSet,
    kRoutineComputeConfig = 7,
};

/// Message numbers of the Config module (1 to 5 are the common ones).
enum ConfigMessage : std::uint32_t {
    kConfigMsgCableLength = 0x06,   ///< "Invalid cable length."
    kConfigMsgTempVar = 0x07,       ///< "Invalid temperature variation."
    kConfigMsgNumFreqs = 0x08,      ///< "Invalid number of frequencies."
    kConfigMsgTooManyFreqs = 0x09,  ///< "Too many frequencies, maximum is 5000."
    kConfigMsgFreqValue = 0x10,     ///< "Invalid frequency value."
    kConfigMsgFreqIndex = 0x11,     ///< "Invalid index into the frequency array."
    kConfigMsgCalledRoutine = 0x12, ///< "Error in a called routine."
    kConfigMsgPowerTooSmall = 0x13, ///< "Port power is too small."
    kConfigMsgPowerTooLarge = 0x14, ///< "Port power is too large."
    kConfigMsgNumAverages = 0x15,   ///< "Invalid number of averages."
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first.
// Failed setters leave the record unchanged.

/// A new record with the defaults above, four empty names and a new DUT; null on failure.
[[nodiscard]] ConfigInfo* CreateConfigInfo();
/// Destroys the DUT, then the record.
int DestroyConfigInfo(ConfigInfo* config);
inline void DestroyRecord(ConfigInfo* config) {
    (void)DestroyConfigInfo(config);
}
/// Destroys the DUT and nulls its pointer; silent on a null record.
void DeallocateConfigArrays(ConfigInfo* config);

[[nodiscard]] int GetConfigNumFreqs(const ConfigInfo* config, int* numFreqs);
/// Accepts 1 to 5000; neither clears nor moves entries of the frequency list.
[[nodiscard]] int SetConfigNumFreqs(ConfigInfo* config, int numFreqs);
[[nodiscard]] int GetConfigAverages(const ConfigInfo* config, int* numAverages);
/// Accepts values greater than 0.
[[nodiscard]] int SetConfigAverages(ConfigInfo* config, int numAverages);
/// `cable` is 1 or 2; lengths in metres.
[[nodiscard]] int GetConfigCableLength(const ConfigInfo* config, int cable, float* lengthM);
/// A negative length is refused before the cable number is looked at.
[[nodiscard]] int SetConfigCableLength(ConfigInfo* config, int cable, float lengthM);
[[nodiscard]] int GetConfigTempVar(const ConfigInfo* config, float* tempVarC);
/// Accepts values of 0 and above.
[[nodiscard]] int SetConfigTempVar(ConfigInfo* config, float tempVarC);
[[nodiscard]] int GetConfigPower(const ConfigInfo* config, float* powerDbm);
/// No check here: the computation tests the power against the VNA's limits.
[[nodiscard]] int SetConfigPower(ConfigInfo* config, float powerDbm);
[[nodiscard]] int GetConfigIFBW(const ConfigInfo* config, float* ifBandwidthHz);
[[nodiscard]] int SetConfigIFBW(ConfigInfo* config, float ifBandwidthHz);
/// Any index 0..4999, whatever the number of frequencies.
[[nodiscard]] int GetConfigFreq(const ConfigInfo* config, int index, double* frequencyHz);
/// The value must be greater than 0 (checked before the index); index 0..4999.
[[nodiscard]] int SetConfigFreq(ConfigInfo* config, int index, double frequencyHz);
/// Name getters write at most length - 1 characters and a terminator; setters keep at most 127.
[[nodiscard]] int GetConfigCalName(const ConfigInfo* config, char* buffer, int length);
[[nodiscard]] int SetConfigCalName(ConfigInfo* config, const char* name);
[[nodiscard]] int GetConfigVNAName(const ConfigInfo* config, char* buffer, int length);
[[nodiscard]] int SetConfigVNAName(ConfigInfo* config, const char* name);
/// `cable` is 1 or 2.
[[nodiscard]] int GetConfigDielName(const ConfigInfo* config, int cable, char* buffer, int length);
[[nodiscard]] int SetConfigDielName(ConfigInfo* config, int cable, const char* name);
/// The owned DUT record itself, edited in place by its callers.
[[nodiscard]] int GetConfigDUT(const ConfigInfo* config, DUTInfo** dut);

void ReportConfigError(ErrorCode code);

} // namespace tolvane
