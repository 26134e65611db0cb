#include "engine/measurement.h"

#include <cmath>

namespace tolvane {

const char* SParameterName(SParameter parameter) {
    switch (parameter) {
    case SParameter::S11:
        return "S11";
    case SParameter::S21:
        return "S21";
    case SParameter::S12:
        return "S12";
    case SParameter::S22:
        return "S22";
    }
    return "";
}

double MagnitudeToDb(double magnitude) {
    if (magnitude == 0.0) return kZeroMagnitudeDb;
    return 20.0 * std::log10(std::fabs(magnitude));
}

std::vector<SParameter> Measurement::parameters() const {
    if (numPorts == 1) return {SParameter::S11};
    if (numPorts == 2) return {kAllSParameters.begin(), kAllSParameters.end()};
    return {};
}

} // namespace tolvane
