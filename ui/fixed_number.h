#pragma once

#include <QString>

namespace tolvane {

/// `value` with `decimals` digits after the decimal point, exactly as C's printf "%.<decimals>f"
/// writes it (a value that lies halfway, such as 40.25 to one decimal, goes to the even digit:
/// "40.2"), but always with a point, whatever the desktop's locale.
[[nodiscard]] QString FormatFixed(double value, int decimals);

} // namespace tolvane
