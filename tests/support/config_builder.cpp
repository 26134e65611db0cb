#include "support/config_builder.h"

namespace tolvane::testing {

bool SetUpConfig(ConfigInfo* config, const ConfigSetUp& setUp) {
    if (setUp.vnaName != nullptr && !SetConfigVNAName(config, setUp.vnaName)) return false;
    if (setUp.calName != nullptr && !SetConfigCalName(config, setUp.calName)) return false;
    for (int cable = 1; cable <= 2; ++cable) {
        const char* name = setUp.dielectricNames[static_cast<std::size_t>(cable - 1)];
        if (name != nullptr && !SetConfigDielName(config, cable, name)) return false;
        if (setUp.cableLengthsM &&
            !SetConfigCableLength(config, cable,
                                  (*setUp.cableLengthsM)[static_cast<std::size_t>(cable - 1)]))
            return false;
    }
    if ((setUp.tempVarC && !SetConfigTempVar(config, *setUp.tempVarC)) ||
        (setUp.powerDbm && !SetConfigPower(config, *setUp.powerDbm)) ||
        (setUp.ifBandwidthHz && !SetConfigIFBW(config, *setUp.ifBandwidthHz)) ||
        (setUp.averages && !SetConfigAverages(config, *setUp.averages)))
        return false;
    if (setUp.frequenciesHz.empty()) return true;
    if (!SetConfigNumFreqs(config, static_cast<int>(setUp.frequenciesHz.size()))) return false;
    for (std::size_t i = 0; i < setUp.frequenciesHz.size(); ++i)
        if (!SetConfigFreq(config, static_cast<int>(i), setUp.frequenciesHz[i])) return false;
    return true;
}

} // namespace tolvane::testing
