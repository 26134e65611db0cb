#pragma once

namespace tolvane {

/// Frequencies are held in Hz and shown and written in GHz.
inline constexpr double kHzPerGHz = 1000000000.0;

} // namespace tolvane
