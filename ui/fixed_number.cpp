#include "ui/fixed_number.h"

#include <array>
#include <charconv>

namespace tolvane {

QString FormatFixed(double value, int decimals) {
    // Room for the largest double written out in full with the decimals asked for.
    std::array<char, 400> text{};
    const std::to_chars_result written = std::to_chars(text.data(), text.data() + text.size(),
                                                       value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(text.data(), written.ptr - text.data());
}

} // namespace tolvane
