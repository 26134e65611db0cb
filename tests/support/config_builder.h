#pragma once

#include "engine/config.h"

#include <array>
#include <optional>
#include <vector>

namespace tolvane::testing {

/// A configuration's set-up as a test writes it; what is left empty is not written.
struct ConfigSetUp {
    const char* vnaName = nullptr;
    const char* calName = nullptr;
    std::array<const char*, 2> dielectricNames{};
    std::optional<std::array<float, 2>> cableLengthsM;
    std::optional<float> tempVarC;
    std::optional<float> powerDbm;
    std::optional<float> ifBandwidthHz;
    std::optional<int> averages;
    std::vector<double> frequenciesHz;
};

/// Writes the set-up through the configuration's setters; false at the first one refused (it has
/// reported why).
[[nodiscard]] bool SetUpConfig(ConfigInfo* config, const ConfigSetUp& setUp);

} // namespace tolvane::testing
