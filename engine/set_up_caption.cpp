#include "engine/set_up_caption.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/dut.h"
#include "components/vna.h"
#include "core/record_name.h"
#include "engine/config.h"
#include "engine/model.h"

#include <cstdio>

namespace tolvane {
namespace {

struct Cable {
    const char* dielectric;
    float lengthM;
};

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Compose(const char* vna, const char* calKit, const Cable (&cables)[2], float powerDbm,
                    float ifBandwidthHz, int averages, const DUTInfo* dut) {
    std::string caption = std::string(vna) + " | " + calKit + " | cables ";
    for (int i = 0; i < 2; ++i)
        caption += std::string(i == 0 ? "" : ", ") + cables[i].dielectric + " " +
                   Format("%.3f m", cables[i].lengthM);
    caption += Format(" | %.1f dBm", powerDbm) + Format(" | IF BW %g Hz", ifBandwidthHz) +
               " | averaging " + std::to_string(averages);
    if (dut != nullptr) caption += Format(" | k = %g", dut->coverageFactors[kCoverageK]);
    return caption;
}

} // namespace

std::string DescribeSetUp(const ConfigInfo& config) {
    const Cable cables[2] = {{config.dielNames[0].data(), config.cableLengthM[0]},
                             {config.dielNames[1].data(), config.cableLengthM[1]}};
    return Compose(config.vnaName.data(), config.calName.data(), cables, config.powerDbm,
                   config.ifBandwidthHz, config.numAverages, config.dut);
}

std::string DescribeSetUp(const ModelInfo& model) {
    const auto cable = [](const CableInfo* c) {
        return c != nullptr ? Cable{c->dielName.data(), c->lengthM} : Cable{"?", 0.0f};
    };
    const Cable cables[2] = {cable(model.cable1), cable(model.cable2)};
    return Compose(model.vna != nullptr ? model.vna->name.data() : "?",
                   model.calKit != nullptr ? model.calKit->name.data() : "?", cables,
                   model.powerDbm, model.ifBandwidthHz, model.averages, model.dut);
}

} // namespace tolvane
