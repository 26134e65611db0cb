#include "engine/sweep_time.h"

#include "components/vna.h"

#include <limits>

namespace tolvane {

double EstimateSweepTimeS(const SweepConditions& c) {
    if (c.numPoints < 1 || c.averages < 1 || !(c.ifBandwidthHz > 0.0f) || c.directions < 1)
        return std::numeric_limits<double>::quiet_NaN();
    const double acquisitionS = static_cast<double>(c.averages) / c.ifBandwidthHz;
    const double pointS =
        acquisitionS * static_cast<double>(c.settlingFactor) + c.pointOverheadUs * 1e-6;
    return static_cast<double>(c.directions) * c.numPoints * pointS;
}

int SetSweepTimeConstants(const VNAInfo* vna, SweepConditions* conditions) {
    return GetVNASweepSettlingFactor(vna, &conditions->settlingFactor) &&
           GetVNASweepPointOverhead(vna, &conditions->pointOverheadUs);
}

} // namespace tolvane
