#include "engine/frequency_sweep.h"

#include <cmath>

namespace tolvane {

std::vector<double> SweepFrequenciesHz(double startHz, double stopHz, int points,
                                       SweepSpacing spacing) {
    std::vector<double> frequenciesHz;
    const bool logarithmic = spacing == SweepSpacing::Logarithmic;
    if (points < 1 || (logarithmic && !(startHz > 0.0 && stopHz > 0.0))) return frequenciesHz;
    frequenciesHz.reserve(static_cast<std::size_t>(points));
    const int steps = points - 1;
    for (int i = 0; i < points; ++i) {
        // Each point from its own fraction of the span, so that no error accumulates and the
        // last point is the stop exactly.
        const double t = steps > 0 ? static_cast<double>(i) / steps : 0.0;
        double frequencyHz = logarithmic ? startHz * std::pow(stopHz / startHz, t)
                                         : startHz + (stopHz - startHz) * t;
        if (i == steps && steps > 0) frequencyHz = stopHz;
        frequenciesHz.push_back(frequencyHz);
    }
    return frequenciesHz;
}

} // namespace tolvane
