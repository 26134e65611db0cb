#pragma once

namespace tolvane {

/// Interpolation types of the value tables, with their keywords in the text files.
enum InterpolationType : int {
    INTERP_LINEAR = 1,     ///< "LINEAR"
    INTERP_STEP = 2,       ///< "STEP": the value of the upper neighbour
    INTERP_SMOOTH_FIT = 3, ///< "SMOOTH-FIT": geometric, power tables only
};

} // namespace tolvane
