#pragma once

#include "core/error_report.h"
#include "core/fv_table.h"
#include "core/owned.h"
#include "core/pv_table.h"
#include "core/record_name.h"

#include <vector>

namespace tolvane {

/// Table codes of a VNA's three measured terms. The frequency-table operations accept SSr and
/// NRc, the power-table operations SRc only.
enum VNATableCode : int {
    kVNATableSSr = 1, ///< source uncertainty against frequency, dB
    kVNATableSRc = 2, ///< receiver uncertainty against the power at the receiver, dB
    kVNATableNRc = 3, ///< receiver noise against frequency, dBm
};

/// Sweep-time constants an analyzer has when its database entry does not give them: each point
/// takes exactly its averaging factor over the IF bandwidth, with no overhead.
inline constexpr float kDefaultSweepSettlingFactor = 1.0f;
inline constexpr float kDefaultSweepPointOverheadUs = 0.0f;

/// One network-analyzer model of the component database. The record owns its IF-bandwidth list
/// (in Hz, in database order) and its three tables; a table is null only when its creation failed
/// or after DeallocateVNAArrays.
struct VNAInfo {
    int nrcAverages = 0;           ///< averaging factor at which NRc is specified
    float nrcIfBandwidthHz = 0.0f; ///< IF bandwidth at which NRc is specified
    float minPowerDbm = -30.0f;    ///< lowest port power the VNA accepts
    float maxPowerDbm = 10.0f;     ///< highest port power the VNA accepts
    float defaultPowerDbm = 0.0f;  ///< port power proposed when the VNA is chosen
    /// Multiplies the acquisition time of a point (averaging factor / IF bandwidth) in the sweep
    /// time estimate: the analyzer's settling beyond the ideal acquisition.
    float sweepSettlingFactor = kDefaultSweepSettlingFactor;
    /// Fixed time per point and sweep direction in the sweep time estimate, in microseconds.
    float sweepPointOverheadUs = kDefaultSweepPointOverheadUs;
    std::vector<float> ifBandwidthsHz;
    Owned<FVInfo> ssr;
    Owned<PVInfo> src;
    Owned<FVInfo> nrc;
    RecordName name{};
};

// Every operation returns 1 on success and 0 on failure, having reported the failure first.

/// A new record with its empty tables and no IF bandwidths; null (after reporting) when the record
/// itself cannot be allocated.
[[nodiscard]] VNAInfo* CreateVNAInfo();
/// Frees the IF bandwidths, the tables and the record.
int DestroyVNAInfo(VNAInfo* vna);
inline void DestroyRecord(VNAInfo* vna) {
    (void)DestroyVNAInfo(vna);
}
/// Frees the IF bandwidths and the tables and nulls the tables; silent, ignores null.
void DeallocateVNAArrays(VNAInfo* vna);
/// Copies the tables, the name, the NRc conditions and the power limits, then appends the source's
/// IF bandwidths behind those the destination already lists. The default port power is not copied.
/// The tables are copied with their interpolation types, so a source whose SRc table was never
/// given a type is refused by the power table ("invalid interpolation type."). Copying a record
/// onto itself changes nothing.
[[nodiscard]] int CopyVNAInfo(const VNAInfo* source, VNAInfo* destination);
/// The record of the global VNA list whose name equals `name` exactly (first match), not a copy.
[[nodiscard]] VNAInfo* FindVNAInfo(const char* name);

[[nodiscard]] int GetVNAName(const VNAInfo* vna, char* buffer, int length);
[[nodiscard]] int SetVNAName(VNAInfo* vna, const char* name);
[[nodiscard]] int GetVNANRcAverages(const VNAInfo* vna, int* averages);
[[nodiscard]] int SetVNANRcAverages(VNAInfo* vna, int averages);
[[nodiscard]] int GetVNANRcIFBW(const VNAInfo* vna, float* ifBandwidthHz);
[[nodiscard]] int SetVNANRcIFBW(VNAInfo* vna, float ifBandwidthHz);
[[nodiscard]] int GetVNAMinPower(const VNAInfo* vna, float* powerDbm);
[[nodiscard]] int SetVNAMinPower(VNAInfo* vna, float powerDbm);
[[nodiscard]] int GetVNAMaxPower(const VNAInfo* vna, float* powerDbm);
[[nodiscard]] int SetVNAMaxPower(VNAInfo* vna, float powerDbm);
[[nodiscard]] int GetVNADefaultPower(const VNAInfo* vna, float* powerDbm);
[[nodiscard]] int SetVNADefaultPower(VNAInfo* vna, float powerDbm);
/// The sweep-time constants; the setters refuse a factor not above 0 and a negative overhead
/// ("invalid sweep time constant."), leaving the record unchanged.
[[nodiscard]] int GetVNASweepSettlingFactor(const VNAInfo* vna, float* factor);
[[nodiscard]] int SetVNASweepSettlingFactor(VNAInfo* vna, float factor);
[[nodiscard]] int GetVNASweepPointOverhead(const VNAInfo* vna, float* overheadUs);
[[nodiscard]] int SetVNASweepPointOverhead(VNAInfo* vna, float overheadUs);

/// Number of IF bandwidths the VNA offers.
[[nodiscard]] int GetVNANumIFBWs(const VNAInfo* vna, int* count);
/// The IF bandwidth at 0-based `index`, in Hz; `ifBandwidthHz` is unchanged on failure.
[[nodiscard]] int GetVNAIFBW(const VNAInfo* vna, int index, float* ifBandwidthHz);
/// Appends an IF bandwidth in Hz at the tail of the list; the value is not checked.
[[nodiscard]] int AddVNAIFBW(VNAInfo* vna, float ifBandwidthHz);
/// Empties the list of IF bandwidths (an editor putting a saved record back refills it).
[[nodiscard]] int ClearVNAIFBWs(VNAInfo* vna);

// The frequency tables (codes 1 SSr and 3 NRc). The VNA module reports a null record and an
// unknown code; every other check is the table's own.
[[nodiscard]] int GetVNAFVInterpType(const VNAInfo* vna, int code, int* type);
[[nodiscard]] int GetVNAFVNumPairs(const VNAInfo* vna, int code, int* n);
[[nodiscard]] int GetVNAFVFreq(const VNAInfo* vna, int code, int index, double* frequencyHz);
[[nodiscard]] int GetVNAFVValueAt(const VNAInfo* vna, int code, int index, float* value);
[[nodiscard]] int GetVNAFVValue(const VNAInfo* vna, int code, double frequencyHz, float* value);
[[nodiscard]] int SetVNAFVInterpType(VNAInfo* vna, int code, int type);
[[nodiscard]] int SetVNAFVNumPairs(VNAInfo* vna, int code, int n);
[[nodiscard]] int SetVNAFVFreq(VNAInfo* vna, int code, int index, double frequencyHz);
[[nodiscard]] int SetVNAFVValueAt(VNAInfo* vna, int code, int index, float value);

// The power table (code 2 SRc), forwarded the same way.
[[nodiscard]] int GetVNAPVInterpType(const VNAInfo* vna, int code, int* type);
[[nodiscard]] int GetVNAPVNumPairs(const VNAInfo* vna, int code, int* n);
[[nodiscard]] int GetVNAPVPower(const VNAInfo* vna, int code, int index, float* powerDbm);
[[nodiscard]] int GetVNAPVValueAt(const VNAInfo* vna, int code, int index, float* value);
[[nodiscard]] int GetVNAPVValue(const VNAInfo* vna, int code, float powerDbm, float* value);
[[nodiscard]] int SetVNAPVInterpType(VNAInfo* vna, int code, int type);
[[nodiscard]] int SetVNAPVNumPairs(VNAInfo* vna, int code, int n);
[[nodiscard]] int SetVNAPVPower(VNAInfo* vna, int code, int index, float powerDbm);
[[nodiscard]] int SetVNAPVValueAt(VNAInfo* vna, int code, int index, float value);

void ReportVNAError(ErrorCode code);

} // namespace tolvane
