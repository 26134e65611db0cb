#pragma once

#include <cstdint>

namespace tolvane {

/// Interpolation types of the value tables, with their keywords in the text files.
enum InterpolationType : int {
    INTERP_LINEAR = 1,     ///< "LINEAR"
    INTERP_STEP = 2,       ///< "STEP": the value of the upper neighbour
    INTERP_SMOOTH_FIT = 3, ///< "SMOOTH-FIT": geometric, power tables only
};

/// Routine numbers the frequency-value and power-value tables share beyond the common ones.
enum ValueTableRoutine : std::uint32_t {
    kRoutineGetValue = 6,       ///< "GetFVValue: ", "GetPVValue: " (also the value-at-index getter)
    kRoutineCopyTable = 7,      ///< "CopyFVInfo: ", "CopyPVInfo: "
    kRoutineInterpolate = 8,    ///< "FVInterpolate: ", "PVInterpolate: " (also the smooth fit)
    kRoutineNonInterpolate = 9, ///< "FVNonInterpolate: ", "PVNonInterpolate: "
};

/// Message numbers the two value tables share beyond the common ones.
enum ValueTableMessage : std::uint32_t {
    kTableMsgInvalidIndex = 0x06,    ///< "invalid array index."
    kTableMsgInvalidNumPairs = 0x07, ///< "invalid number of pairs."
    kTableMsgOutOfRange = 0x08,      ///< "abscissa out of range."
    kTableMsgInterpType = 0x09,      ///< "invalid interpolation type."
    kTableMsgCalledRoutine = 0x10,   ///< "Error in a called routine."
};

} // namespace tolvane
