#pragma once

#include <QString>

#include <optional>

namespace tolvane {

// The number a text field starts with, read the way the C "%lf", "%f" and "%d" conversions read
// it: leading blanks are skipped, an optional sign is taken, and whatever follows the number is
// ignored ("2.5 GHz" reads as 2.5). Unlike the C library these never depend on the locale: the
// decimal separator is always the point. Empty when the text does not start with a number or the
// number does not fit the type.

[[nodiscard]] std::optional<double> ReadLeadingDouble(const QString& text);
[[nodiscard]] std::optional<float> ReadLeadingFloat(const QString& text);
[[nodiscard]] std::optional<int> ReadLeadingInt(const QString& text);

} // namespace tolvane
