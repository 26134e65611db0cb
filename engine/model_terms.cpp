#include "engine/model_terms.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/vna.h"

#include <cassert>

namespace tolvane {
namespace {

using enum TermKind;

constexpr ModelTermInfo kTerms[] = {
    {kTermDirectivity, kModelCalKit, kCalCDr, "CDr", 18, false, Loss, "dB", kCoverageDirectivity,
     "Directivity", 1, 1, 0x16, 0x17},
    {kTermSourceMatch, kModelCalKit, kCalCSm, "CSm", 19, false, Loss, "dB", kCoverageSourceMatch,
     "Source Match", 1, 1, 0x18, 0x19},
    {kTermReflectionTracking, kModelCalKit, kCalCRt, "CRt", 20, false, Gain, "dB",
     kCoverageReflectionTracking, "Reflection Tracking", 3, 4, 0x20, 0x21},
    {kTermCrosstalk, kModelCalKit, kCalCXt, "CXt", 21, false, Loss, "dB", kCoverageCrosstalk,
     "Crosstalk", 1, 1, 0x22, 0x23},
    {kTermLoadMatch, kModelCalKit, kCalCLm, "CLm", 22, false, Loss, "dB", kCoverageLoadMatch,
     "Load Match", 1, 1, 0x24, 0x25},
    {kTermTransmissionTracking, kModelCalKit, kCalCTt, "CTt", 23, false, Gain, "dB",
     kCoverageTransmissionTracking, "Transmission Tracking", 3, 4, 0x26, 0x27},
    {kTermCable1MagnitudeDrift, kModelCable1, kCableDCbTm, "DCbTm", 13, false, Gain, "dB",
     kCoverageDrift, "Magnitude Drift", 3, 3, 0x35, 0x36},
    {kTermCable1PhaseDrift, kModelCable1, kCableDCbTp, "DCbTp", 14, false, Phase, "degrees",
     kCoverageDrift, "Phase Drift", 1, 1, 0x37, 0x38},
    {kTermCable2MagnitudeDrift, kModelCable2, kCableDCbTm, "DCbTm", 13, false, Gain, "dB",
     kCoverageDrift, "Magnitude Drift", 3, 3, 0x39, 0x40},
    {kTermCable2PhaseDrift, kModelCable2, kCableDCbTp, "DCbTp", 14, false, Phase, "degrees",
     kCoverageDrift, "Phase Drift", 1, 1, 0x41, 0x42},
    {kTermConnector1Reflection, kModelConnector1, kConnRCnRm, "RCnRm", 11, false, Loss, "dB",
     kCoverageConnectorRepeatability, "Reflection", 1, 1, 0x45, 0x46},
    {kTermConnector1Transmission, kModelConnector1, kConnRCnTm, "RCnTm", 12, false, Loss, "dB",
     kCoverageConnectorRepeatability, "Transmission", 1, 1, 0x43, 0x44},
    {kTermConnector2Reflection, kModelConnector2, kConnRCnRm, "RCnRm", 11, false, Loss, "dB",
     kCoverageConnectorRepeatability, "Reflection", 1, 1, 0x49, 0x50},
    {kTermConnector2Transmission, kModelConnector2, kConnRCnTm, "RCnTm", 12, false, Loss, "dB",
     kCoverageConnectorRepeatability, "Transmission", 1, 1, 0x47, 0x48},
    {kTermSourceUncertainty, kModelVNA, kVNATableSSr, "SSr", 15, false, Gain, "dB",
     kCoverageSourceUncertainty, "Source Uncertainty", 3, 4, 0x28, 0x30},
    {kTermReceiverUncertainty, kModelVNA, kVNATableSRc, "SRc", 16, true, Gain, "dB",
     kCoverageReceiverUncertainty, "Receiver Uncertainty", 3, 4, 0x31, 0x32},
    {kTermReceiverNoise, kModelVNA, kVNATableNRc, "NRc", 17, false, Power, "dBm",
     kCoverageNoiseFloor, "Receiver Noise", 1, 1, 0x33, 0x34},
};
static_assert(std::size(kTerms) == kNumModelTerms);

constexpr bool RowsInTermOrder() {
    for (int i = 0; i < kNumModelTerms; ++i)
        if (kTerms[i].term != kFirstTerm + i) return false;
    return true;
}
static_assert(RowsInTermOrder());

template <typename Record, typename Abscissa, auto GetType, auto GetNumPairs, auto GetAbscissa,
          auto GetValueAt, auto LookUp, auto SetType, auto SetNumPairs, auto SetAbscissa,
          auto SetValueAt>
constexpr TermTableOps MakeOps() {
    return {
        [](const void* r, int code, int* type) {
            return GetType(static_cast<const Record*>(r), code, type);
        },
        [](const void* r, int code, int* n) {
            return GetNumPairs(static_cast<const Record*>(r), code, n);
        },
        [](const void* r, int code, int index, double* abscissa) {
            Abscissa x{};
            if (!GetAbscissa(static_cast<const Record*>(r), code, index, &x)) return 0;
            *abscissa = x;
            return 1;
        },
        [](const void* r, int code, int index, float* value) {
            return GetValueAt(static_cast<const Record*>(r), code, index, value);
        },
        [](const void* r, int code, double abscissa, float* value) {
            return LookUp(static_cast<const Record*>(r), code, static_cast<Abscissa>(abscissa),
                          value);
        },
        [](void* r, int code, int type) { return SetType(static_cast<Record*>(r), code, type); },
        [](void* r, int code, int n) { return SetNumPairs(static_cast<Record*>(r), code, n); },
        [](void* r, int code, int index, double abscissa) {
            return SetAbscissa(static_cast<Record*>(r), code, index,
                               static_cast<Abscissa>(abscissa));
        },
        [](void* r, int code, int index, float value) {
            return SetValueAt(static_cast<Record*>(r), code, index, value);
        },
    };
}

constexpr TermTableOps kCalOps =
    MakeOps<CalInfo, double, GetCalFVInterpType, GetCalFVNumPairs, GetCalFVFreq, GetCalFVValueAt,
            GetCalFVValue, SetCalFVInterpType, SetCalFVNumPairs, SetCalFVFreq, SetCalFVValueAt>();
constexpr TermTableOps kCableOps =
    MakeOps<CableInfo, double, GetCableFVInterpType, GetCableFVNumPairs, GetCableFVFreq,
            GetCableFVValueAt, GetCableFVValue, SetCableFVInterpType, SetCableFVNumPairs,
            SetCableFVFreq, SetCableFVValueAt>();
constexpr TermTableOps kConnOps =
    MakeOps<ConnInfo, double, GetConnFVInterpType, GetConnFVNumPairs, GetConnFVFreq,
            GetConnFVValueAt, GetConnFVValue, SetConnFVInterpType, SetConnFVNumPairs, SetConnFVFreq,
            SetConnFVValueAt>();
constexpr TermTableOps kVNAFrequencyOps =
    MakeOps<VNAInfo, double, GetVNAFVInterpType, GetVNAFVNumPairs, GetVNAFVFreq, GetVNAFVValueAt,
            GetVNAFVValue, SetVNAFVInterpType, SetVNAFVNumPairs, SetVNAFVFreq, SetVNAFVValueAt>();
constexpr TermTableOps kVNAPowerOps =
    MakeOps<VNAInfo, float, GetVNAPVInterpType, GetVNAPVNumPairs, GetVNAPVPower, GetVNAPVValueAt,
            GetVNAPVValue, SetVNAPVInterpType, SetVNAPVNumPairs, SetVNAPVPower, SetVNAPVValueAt>();

} // namespace

std::span<const ModelTermInfo, kNumModelTerms> ModelTerms() {
    return kTerms;
}

const ModelTermInfo& DescribeModelTerm(int term) {
    assert(term >= kFirstTerm && term <= kLastTerm);
    return kTerms[term - kFirstTerm];
}

const TermTableOps& TableOpsOf(const ModelTermInfo& term) {
    switch (term.component) {
    case kModelCalKit:
        return kCalOps;
    case kModelCable1:
    case kModelCable2:
        return kCableOps;
    case kModelConnector1:
    case kModelConnector2:
        return kConnOps;
    default:
        return term.againstPower ? kVNAPowerOps : kVNAFrequencyOps;
    }
}

const void* TermRecord(const ModelInfo* model, const ModelTermInfo& term) {
    return TermRecord(const_cast<ModelInfo*>(model), term);
}

void* TermRecord(ModelInfo* model, const ModelTermInfo& term) {
    if (model == nullptr) return nullptr;
    switch (term.component) {
    case kModelCalKit:
        return model->calKit;
    case kModelCable1:
        return model->cable1;
    case kModelCable2:
        return model->cable2;
    case kModelConnector1:
        return model->connector1;
    case kModelConnector2:
        return model->connector2;
    default:
        return model->vna;
    }
}

FVInfo* TermFrequencyTable(ModelInfo* model, const ModelTermInfo& term) {
    void* record = TermRecord(model, term);
    if (record == nullptr || term.againstPower) return nullptr;
    switch (term.component) {
    case kModelCalKit: {
        auto* kit = static_cast<CalInfo*>(record);
        FVInfo* const tables[] = {kit->CDr, kit->CSm, kit->CRt, kit->CXt, kit->CLm, kit->CTt};
        return tables[term.tableCode - kCalCDr];
    }
    case kModelCable1:
    case kModelCable2: {
        auto* cable = static_cast<CableInfo*>(record);
        return term.tableCode == kCableDCbTm ? cable->DCbTm : cable->DCbTp;
    }
    case kModelConnector1:
    case kModelConnector2: {
        auto* connector = static_cast<ConnInfo*>(record);
        return term.tableCode == kConnRCnTm ? connector->RCnTm : connector->RCnRm;
    }
    default: {
        auto* vna = static_cast<VNAInfo*>(record);
        return term.tableCode == kVNATableSSr ? vna->ssr : vna->nrc;
    }
    }
}

const FVInfo* TermFrequencyTable(const ModelInfo* model, const ModelTermInfo& term) {
    return TermFrequencyTable(const_cast<ModelInfo*>(model), term);
}

const PVInfo* TermPowerTable(const ModelInfo* model, const ModelTermInfo& term) {
    if (!term.againstPower) return nullptr;
    const auto* vna = static_cast<const VNAInfo*>(TermRecord(model, term));
    return vna == nullptr ? nullptr : vna->src.get();
}

} // namespace tolvane
