#include "ui/number_text.h"

#include <QByteArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>
#include <type_traits>

namespace tolvane {
namespace {

template <typename Number> std::optional<Number> ReadLeading(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    while (first != last && (*first == ' ' || (*first >= '\t' && *first <= '\r')))
        ++first;
    // from_chars takes a minus sign but no plus sign; a second sign after it is still refused.
    if (first != last && *first == '+' && first + 1 != last && first[1] != '-') ++first;
    Number value{};
    std::from_chars_result result{};
    if constexpr (std::is_floating_point_v<Number>)
        result = std::from_chars(first, last, value, std::chars_format::general);
    else
        result = std::from_chars(first, last, value, 10);
    if (result.ec != std::errc{}) return std::nullopt;
    // "nan" and "inf" parse, but no field of this program means them: a NaN port power would pass
    // every range check and be stored and saved.
    if constexpr (std::is_floating_point_v<Number>)
        if (!std::isfinite(value)) return std::nullopt;
    return value;
}

} // namespace

std::optional<double> ReadLeadingDouble(const QString& text) {
    return ReadLeading<double>(text);
}
std::optional<float> ReadLeadingFloat(const QString& text) {
    return ReadLeading<float>(text);
}
std::optional<int> ReadLeadingInt(const QString& text) {
    return ReadLeading<int>(text);
}

QString FormatFixed(double value, int decimals) {
    // Room for the largest double in fixed notation (309 digits) and the decimals asked for.
    char buffer[400];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                      std::clamp(decimals, 0, 60));
    if (result.ec != std::errc{}) return {};
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace tolvane
