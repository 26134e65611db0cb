#pragma once

#include <QString>

#include <optional>

namespace tolvane {

// The number a text field starts with, read the way the C "%lf", "%f" and "%d" conversions read
// it: leading blanks are skipped, an optional sign is taken, and whatever follows the number is
// ignored ("2.5 GHz" reads as 2.5). Unlike the C library these never depend on the locale: the
// decimal separator is always the point. Empty when the text does not start with a number, the
// number does not fit the type, or it is not finite ("nan", "inf").

[[nodiscard]] std::optional<double> ReadLeadingDouble(const QString& text);
[[nodiscard]] std::optional<float> ReadLeadingFloat(const QString& text);
[[nodiscard]] std::optional<int> ReadLeadingInt(const QString& text);

/// `value` with `decimals` digits after the point, as C's "%.<decimals>f" writes it in the "C"
/// locale: correctly rounded from the exact binary value (so -5.25 gives "-5.2" at one decimal,
/// as printf does; QString::asprintf would give "-5.3"), the point always a point.
[[nodiscard]] QString FormatFixed(double value, int decimals);

} // namespace tolvane
