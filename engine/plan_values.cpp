#include "engine/plan_values.h"

#include "components/cal_kit.h"
#include "components/vna.h"
#include "core/component_lists.h"
#include "core/message_sink.h"
#include "core/record_name.h"
#include "core/units.h"
#include "engine/config.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tolvane {
namespace {

/// Cable lengths of a plan without values of its own, metres.
constexpr double kDefaultCableLengthsM[] = {0.25, 0.5, 1.0, 1.5, 2.0, 3.0};

struct QuantityNames {
    PlanQuantity quantity;
    std::string_view keyword;
    std::string_view title;
};
constexpr QuantityNames kQuantityNames[] = {
    {PlanQuantity::IFBandwidth, "ifbw", "IF Bandwidth (Hz)"},
    {PlanQuantity::Averaging, "averages", "Averaging Factor"},
    {PlanQuantity::PortPower, "power", "Port Power (dBm)"},
    {PlanQuantity::CableLength, "cable-length", "Cable Length (m)"},
    {PlanQuantity::CalKit, "kit", "Calibration Kit"},
    {PlanQuantity::Analyzer, "vna", "VNA Type"},
};

const QuantityNames& NamesOf(PlanQuantity quantity) {
    return *std::find_if(std::begin(kQuantityNames), std::end(kQuantityNames),
                         [quantity](const QuantityNames& n) { return n.quantity == quantity; });
}

std::string Formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

/// The whole text as a finite number.
std::optional<double> WholeNumber(std::string_view text) {
    const std::string copy(Trimmed(text));
    if (copy.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || errno == ERANGE || !std::isfinite(value))
        return std::nullopt;
    return value;
}

/// The configuration's analyzer in the database, or null (silently).
const VNAInfo* ConfiguredAnalyzer(const ConfigInfo* config) {
    RecordName name{};
    if (GetConfigVNAName(config, name.data(), int(name.size())) == 0) return nullptr;
    const InfoList* vnas = GlobalComponentLists().vnas;
    for (int i = 0; i < GetInfoListCount(vnas); ++i) {
        const auto* vna = GetInfoListRecord<VNAInfo>(vnas, i);
        if (vna != nullptr && RecordNameEquals(vna->name, name.data())) return vna;
    }
    return nullptr;
}

void AddNameOnce(std::vector<PlanValue>& values, const char* name) {
    const bool known = std::any_of(values.begin(), values.end(),
                                   [name](const PlanValue& v) { return v.name == name; });
    if (!known) values.push_back(PlanValue{0.0, name});
}

std::vector<PlanValue> AnalyzerValues() {
    std::vector<PlanValue> values;
    const InfoList* vnas = GlobalComponentLists().vnas;
    for (int i = 0; i < GetInfoListCount(vnas); ++i)
        if (const auto* vna = GetInfoListRecord<VNAInfo>(vnas, i))
            AddNameOnce(values, vna->name.data());
    return values;
}

std::vector<PlanValue> KitValues(const ConfigInfo* config) {
    RecordName kitName{};
    const CalInfo* configured = nullptr;
    const InfoList* kits = GlobalComponentLists().calKits;
    if (GetConfigCalName(config, kitName.data(), int(kitName.size())) != 0) {
        for (int i = 0; i < GetInfoListCount(kits) && configured == nullptr; ++i) {
            const auto* kit = GetInfoListRecord<CalInfo>(kits, i);
            if (kit != nullptr && RecordNameEquals(kit->name, kitName.data())) configured = kit;
        }
    }
    std::vector<PlanValue> values;
    for (int i = 0; i < GetInfoListCount(kits); ++i) {
        const auto* kit = GetInfoListRecord<CalInfo>(kits, i);
        if (kit == nullptr) continue;
        if (configured == nullptr || RecordNameEquals(kit->connName, configured->connName.data()))
            AddNameOnce(values, kit->name.data());
    }
    return values;
}

std::vector<PlanValue> PowerValues(const VNAInfo* vna, double stepDb) {
    std::vector<PlanValue> values;
    if (vna == nullptr || !(stepDb > 0.0)) return values;
    const double minDbm = vna->minPowerDbm;
    const double maxDbm = vna->maxPowerDbm;
    // Counted steps, so that no rounding adds or loses a value; the maximum always ends the list.
    const double steps = std::floor((maxDbm - minDbm) / stepDb + 1e-9);
    for (int i = 0; i <= steps && i < 10000; ++i)
        values.push_back({minDbm + i * stepDb, {}});
    if (values.empty() || values.back().number < maxDbm - 1e-9) values.push_back({maxDbm, {}});
    return values;
}

/// The editor's refusal of a port power outside the analyzer's limits; true when within.
bool PowerWithinLimits(const VNAInfo* vna, float powerDbm) {
    float minDbm = 0.0f, maxDbm = 0.0f;
    if (GetVNAMinPower(vna, &minDbm) == 0 || GetVNAMaxPower(vna, &maxDbm) == 0) return false;
    if (powerDbm < minDbm) {
        ShowErrorMessage(
            Formatted("Port power is less than the minimum of %.1f dBm.", minDbm).c_str());
        return false;
    }
    if (powerDbm > maxDbm) {
        ShowErrorMessage(
            Formatted("Port power is greater than the maximum of %.1f dBm.", maxDbm).c_str());
        return false;
    }
    return true;
}

bool AnalyzerOffers(const VNAInfo* vna, float ifBandwidthHz) {
    int count = 0;
    if (GetVNANumIFBWs(vna, &count) == 0) return false;
    for (int i = 0; i < count; ++i) {
        float offeredHz = 0.0f;
        if (GetVNAIFBW(vna, i, &offeredHz) != 0 && offeredHz == ifBandwidthHz) return true;
    }
    ShowErrorMessage(("The analyzer does not offer an IF bandwidth of " +
                      Formatted("%.1f", ifBandwidthHz) + " Hz.")
                         .c_str());
    return false;
}

/// The editor's checks of a value before it is written.
bool EditorAccepts(const ConfigInfo* config, PlanQuantity quantity, const PlanValue& value) {
    switch (quantity) {
    case PlanQuantity::IFBandwidth:
    case PlanQuantity::PortPower: {
        RecordName name{};
        if (GetConfigVNAName(config, name.data(), int(name.size())) == 0) return false;
        const VNAInfo* vna = FindVNAInfo(name.data());
        if (vna == nullptr) return false;
        const auto number = static_cast<float>(value.number);
        return quantity == PlanQuantity::IFBandwidth ? AnalyzerOffers(vna, number)
                                                     : PowerWithinLimits(vna, number);
    }
    case PlanQuantity::Analyzer: {
        const VNAInfo* vna = FindVNAInfo(value.name.c_str());
        float powerDbm = 0.0f;
        return vna != nullptr && GetConfigPower(config, &powerDbm) != 0 &&
               PowerWithinLimits(vna, powerDbm);
    }
    case PlanQuantity::CalKit:
        return FindCalInfo(value.name.c_str()) != nullptr;
    case PlanQuantity::Averaging:
    case PlanQuantity::CableLength:
        return true; // the setters' own checks are the editor's
    }
    return false;
}

} // namespace

std::vector<PlanValue> DefaultPlanValues(const ConfigInfo* config, PlanQuantity quantity,
                                         double powerStepDb) {
    std::vector<PlanValue> values;
    switch (quantity) {
    case PlanQuantity::IFBandwidth: {
        const VNAInfo* vna = ConfiguredAnalyzer(config);
        int count = 0;
        if (vna == nullptr || GetVNANumIFBWs(vna, &count) == 0) break;
        for (int i = 0; i < count; ++i) {
            float bandwidthHz = 0.0f;
            if (GetVNAIFBW(vna, i, &bandwidthHz) != 0) values.push_back({bandwidthHz, {}});
        }
        break;
    }
    case PlanQuantity::Averaging:
        for (int factor = 1; factor <= kMaxPlanAveraging; factor *= 2)
            values.push_back({double(factor), {}});
        break;
    case PlanQuantity::PortPower:
        values = PowerValues(ConfiguredAnalyzer(config), powerStepDb);
        break;
    case PlanQuantity::CableLength:
        for (const double lengthM : kDefaultCableLengthsM)
            values.push_back({lengthM, {}});
        break;
    case PlanQuantity::CalKit:
        values = KitValues(config);
        break;
    case PlanQuantity::Analyzer:
        values = AnalyzerValues();
        break;
    }
    return values;
}

std::string PlanValueText(PlanQuantity quantity, const PlanValue& value) {
    switch (quantity) {
    case PlanQuantity::IFBandwidth:
    case PlanQuantity::PortPower:
        return Formatted("%.1f", static_cast<float>(value.number));
    case PlanQuantity::Averaging:
        return std::to_string(static_cast<long long>(value.number));
    case PlanQuantity::CableLength:
        return Formatted("%.3f", static_cast<float>(value.number));
    case PlanQuantity::CalKit:
    case PlanQuantity::Analyzer:
        return value.name;
    }
    return {};
}

std::optional<PlanValue> CurrentPlanValue(const ConfigInfo* config, PlanQuantity quantity,
                                          PlanCable cable) {
    RecordName name{};
    float number = 0.0f;
    int averages = 0;
    switch (quantity) {
    case PlanQuantity::IFBandwidth:
        if (GetConfigIFBW(config, &number) == 0) return std::nullopt;
        return PlanValue{number, {}};
    case PlanQuantity::Averaging:
        if (GetConfigAverages(config, &averages) == 0) return std::nullopt;
        return PlanValue{double(averages), {}};
    case PlanQuantity::PortPower:
        if (GetConfigPower(config, &number) == 0) return std::nullopt;
        return PlanValue{number, {}};
    case PlanQuantity::CableLength:
        if (GetConfigCableLength(config, cable == PlanCable::Cable2 ? 2 : 1, &number) == 0)
            return std::nullopt;
        return PlanValue{number, {}};
    case PlanQuantity::CalKit:
        if (GetConfigCalName(config, name.data(), int(name.size())) == 0) return std::nullopt;
        return PlanValue{0.0, name.data()};
    case PlanQuantity::Analyzer:
        if (GetConfigVNAName(config, name.data(), int(name.size())) == 0) return std::nullopt;
        return PlanValue{0.0, name.data()};
    }
    return std::nullopt;
}

int SetPlanValue(ConfigInfo* config, PlanQuantity quantity, PlanCable cable,
                 const PlanValue& value) {
    const auto number = static_cast<float>(value.number);
    switch (quantity) {
    case PlanQuantity::IFBandwidth:
        return SetConfigIFBW(config, number);
    case PlanQuantity::Averaging:
        return SetConfigAverages(config, static_cast<int>(value.number));
    case PlanQuantity::PortPower:
        return SetConfigPower(config, number);
    case PlanQuantity::CableLength:
        return (cable == PlanCable::Cable2 || SetConfigCableLength(config, 1, number)) &&
               (cable == PlanCable::Cable1 || SetConfigCableLength(config, 2, number));
    case PlanQuantity::CalKit:
        return SetConfigCalName(config, value.name.c_str());
    case PlanQuantity::Analyzer:
        return SetConfigVNAName(config, value.name.c_str());
    }
    return 0;
}

int ApplyPlanValue(ConfigInfo* config, PlanQuantity quantity, PlanCable cable,
                   const PlanValue& value) {
    if (!EditorAccepts(config, quantity, value)) return 0;
    // A length both cables refuse is refused by the first: nothing is written.
    return SetPlanValue(config, quantity, cable, value);
}

std::string_view PlanQuantityKeyword(PlanQuantity quantity) {
    return NamesOf(quantity).keyword;
}

std::optional<PlanQuantity> PlanQuantityFromKeyword(std::string_view keyword) {
    for (const QuantityNames& names : kQuantityNames)
        if (names.keyword == keyword) return names.quantity;
    return std::nullopt;
}

std::string_view PlanQuantityTitle(PlanQuantity quantity) {
    return NamesOf(quantity).title;
}

std::optional<PlanValue> ParsePlanValue(PlanQuantity quantity, std::string_view text) {
    if (PlanQuantityIsNamed(quantity)) {
        const std::string_view name = Trimmed(text);
        if (name.empty()) return std::nullopt;
        return PlanValue{0.0, std::string(name)};
    }
    const std::optional<double> number = WholeNumber(text);
    if (!number) return std::nullopt;
    if (quantity == PlanQuantity::Averaging &&
        (*number < 1.0 || *number != std::floor(*number) || *number > 1e9))
        return std::nullopt;
    return PlanValue{*number, {}};
}

std::optional<PlanPoint> ParsePlanPoint(std::string_view text, PlanPort defaultPort) {
    const auto firstColon = text.find(':');
    if (firstColon == std::string_view::npos) return std::nullopt;
    const auto secondColon = text.find(':', firstColon + 1);
    const std::optional<double> frequencyGHz = WholeNumber(text.substr(0, firstColon));
    const std::optional<double> dutDb = WholeNumber(text.substr(
        firstColon + 1, secondColon == std::string_view::npos ? std::string_view::npos
                                                              : secondColon - firstColon - 1));
    if (!frequencyGHz || !(*frequencyGHz > 0.0) || !dutDb) return std::nullopt;
    PlanPoint point{*frequencyGHz * kHzPerGHz, static_cast<float>(*dutDb), defaultPort};
    if (secondColon != std::string_view::npos) {
        std::string port(Trimmed(text.substr(secondColon + 1)));
        std::transform(port.begin(), port.end(), port.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (port == "S11")
            point.port = PlanPort::Reflection;
        else if (port == "S21")
            point.port = PlanPort::Transmission;
        else
            return std::nullopt;
    }
    return point;
}

} // namespace tolvane
