#include "files/text_output.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tolvane {
namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 20;
/// Texts of this size and more are written to the stream without going through the buffer.
constexpr std::size_t kDirectWriteSize = std::size_t{64} << 10;

/// The standard formatter: exact for every value, used where the fast path below does not reach.
char* StandardFixed(char* out, double value, int precision) {
    return std::to_chars(out, out + kMaxNumberText, value, std::chars_format::fixed, precision).ptr;
}

#if defined(__SIZEOF_INT128__)
// The fast path: a positive finite double is m 2^e with an integer m below 2^53, so its value
// times 10^k rounded to an integer is one integer division (mostly a shift) in 128 bits. Ties go
// to the even integer, as printf rounds.
__extension__ using Wide = unsigned __int128;

constexpr int kMaxPowerOfTen = 38; // 10^38 < 2^127

constexpr std::array<Wide, kMaxPowerOfTen + 1> kPowersOfTen = [] {
    std::array<Wide, kMaxPowerOfTen + 1> powers{};
    Wide power = 1;
    for (auto& entry : powers) {
        entry = power;
        power *= 10;
    }
    return powers;
}();

/// |value| (positive, finite) times 10^k rounded to an integer; false when the numbers involved
/// do not fit.
bool RoundScaled(double value, int k, std::uint64_t* rounded) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e = 0;
    if (biasedExponent == 0) {
        e = -1074; // subnormal
    } else {
        m |= std::uint64_t{1} << 52;
        e = biasedExponent - 1075;
    }
    if (m == 0) return false;
    const int trailingZeros = std::countr_zero(m);
    m >>= trailingZeros;
    e += trailingZeros;
    if (k > kMaxPowerOfTen || -k > kMaxPowerOfTen) return false;

    // Most values of a table: a 64-bit product and a shift.
    if (k >= 0 && e < 0 && e > -64 && k < 20 &&
        m <= ~std::uint64_t{0} / static_cast<std::uint64_t>(kPowersOfTen[std::size_t(k)])) {
        const std::uint64_t product = m * static_cast<std::uint64_t>(kPowersOfTen[std::size_t(k)]);
        const int shift = -e;
        const std::uint64_t quotient = product >> shift;
        const std::uint64_t remainder = product & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        *rounded =
            quotient + ((remainder > half || (remainder == half && (quotient & 1) != 0)) ? 1 : 0);
        return true;
    }

    Wide numerator = m;
    if (k > 0) {
        if (numerator > ~Wide{0} / kPowersOfTen[static_cast<std::size_t>(k)]) return false;
        numerator *= kPowersOfTen[static_cast<std::size_t>(k)];
    }
    if (e > 0) {
        if (e >= 127 || (numerator >> (127 - e)) != 0) return false;
        numerator <<= e;
    }
    Wide quotient = 0;
    bool roundUp = false;
    if (k >= 0 && e >= 0) {
        quotient = numerator;
    } else if (k >= 0) {
        const int shift = -e;
        if (shift >= 127) return false;
        quotient = numerator >> shift;
        const Wide remainder = numerator & ((Wide{1} << shift) - 1);
        const Wide half = Wide{1} << (shift - 1);
        roundUp = remainder > half || (remainder == half && (quotient & 1) != 0);
    } else {
        Wide denominator = kPowersOfTen[static_cast<std::size_t>(-k)];
        if (e < 0) {
            if (-e >= 127 || (denominator >> (127 + e)) != 0) return false;
            denominator <<= -e;
        }
        quotient = numerator / denominator;
        const Wide remainder = numerator % denominator;
        const Wide rest = denominator - remainder;
        roundUp = remainder > rest || (remainder == rest && (quotient & 1) != 0);
    }
    if (roundUp) ++quotient;
    if ((quotient >> 64) != 0) return false;
    *rounded = static_cast<std::uint64_t>(quotient);
    return true;
}

/// The decimal digits of `n` with a point before the last `fractionDigits` of them, zeros put in
/// front as needed ("%.*f" of n / 10^fractionDigits).
char* WriteScaled(char* out, std::uint64_t n, int fractionDigits) {
    char digits[24];
    const auto length =
        static_cast<int>(std::to_chars(digits, digits + sizeof digits, n).ptr - digits);
    const int integerDigits = length > fractionDigits ? length - fractionDigits : 0;
    if (integerDigits == 0) {
        *out++ = '0';
    } else {
        std::memcpy(out, digits, static_cast<std::size_t>(integerDigits));
        out += integerDigits;
    }
    if (fractionDigits == 0) return out;
    *out++ = '.';
    const int leadingZeros = fractionDigits - (length - integerDigits);
    std::memset(out, '0', static_cast<std::size_t>(leadingZeros));
    out += leadingZeros;
    std::memcpy(out, digits + integerDigits, static_cast<std::size_t>(length - integerDigits));
    return out + (length - integerDigits);
}

/// Removes the trailing zeros of a fraction written from `point` to `end`, and the point when
/// nothing follows it.
char* TrimFraction(char* point, char* end) {
    while (end > point + 1 && end[-1] == '0')
        --end;
    return end == point + 1 ? point : end;
}
#endif

} // namespace

char* FormatFixed(char* out, double value, int precision) {
#if defined(__SIZEOF_INT128__)
    if (std::isfinite(value) && precision >= 0 && precision <= kMaxPowerOfTen) {
        std::uint64_t scaled = 0;
        const double magnitude = std::fabs(value);
        if (magnitude == 0.0 || RoundScaled(magnitude, precision, &scaled)) {
            if (std::signbit(value)) *out++ = '-';
            return WriteScaled(out, scaled, precision);
        }
    }
#endif
    return StandardFixed(out, value, precision);
}

char* FormatGeneral(char* out, double value, int precision) {
#if defined(__SIZEOF_INT128__)
    const int p = precision == 0 ? 1 : precision;
    const double magnitude = std::fabs(value);
    if (std::isfinite(value) && magnitude != 0.0 && p > 0 && p <= 19) {
        // X, the decimal exponent of the value rounded to p digits: from the binary exponent at
        // most one too small, then corrected until the rounded digits number exactly p.
        int binaryExponent = 0;
        (void)std::frexp(magnitude, &binaryExponent);
        int exponent = (binaryExponent - 1) * 78913 >> 18; // log10(2) ~ 78913 / 2^18
        const auto lowest = static_cast<std::uint64_t>(kPowersOfTen[std::size_t(p - 1)]);
        const auto limit = static_cast<std::uint64_t>(kPowersOfTen[std::size_t(p)]);
        std::uint64_t digits = 0;
        bool found = false;
        for (int attempt = 0; attempt < 4 && !found; ++attempt) {
            if (!RoundScaled(magnitude, p - 1 - exponent, &digits)) break;
            if (digits >= limit)
                ++exponent;
            else if (digits < lowest)
                --exponent;
            else
                found = true;
        }
        if (found) {
            if (std::signbit(value)) *out++ = '-';
            if (exponent >= -4 && exponent < p) {
                const int fractionDigits = p - 1 - exponent;
                out = WriteScaled(out, digits, fractionDigits);
                return fractionDigits == 0 ? out : TrimFraction(out - fractionDigits - 1, out);
            }
            out = WriteScaled(out, digits, p - 1);
            if (p > 1) out = TrimFraction(out - p, out);
            *out++ = 'e';
            *out++ = exponent < 0 ? '-' : '+';
            const int shownExponent = exponent < 0 ? -exponent : exponent;
            if (shownExponent < 10) *out++ = '0';
            return std::to_chars(out, out + 4, shownExponent).ptr;
        }
    }
#endif
    return std::to_chars(out, out + kMaxNumberText, value, std::chars_format::general, precision)
        .ptr;
}

TextOutput::TextOutput(std::FILE* stream)
    : stream_(stream), buffer_(std::make_unique<char[]>(kBufferSize)) {}

char* TextOutput::reserve(std::size_t size) {
    if (kBufferSize - used_ < size) writeBuffer();
    return buffer_.get() + used_;
}

void TextOutput::writeBuffer() {
    if (used_ != 0 && !failed_ && std::fwrite(buffer_.get(), 1, used_, stream_) != used_)
        failed_ = true;
    used_ = 0;
}

void TextOutput::text(std::string_view text) {
    // A large text, such as a batch of formatted lines, goes to the stream as it is, after what
    // the buffer holds, rather than being copied through the buffer.
    if (text.size() >= kDirectWriteSize) {
        writeBuffer();
        if (!failed_ && std::fwrite(text.data(), 1, text.size(), stream_) != text.size())
            failed_ = true;
        return;
    }
    while (!text.empty()) {
        char* at = reserve(1);
        const std::size_t part = std::min(text.size(), kBufferSize - used_);
        std::memcpy(at, text.data(), part);
        used_ += part;
        text.remove_prefix(part);
    }
}

namespace {
/// Moves the text [start, end) right to fill `width` characters with spaces in front.
char* AlignRight(char* start, char* end, int width) {
    const auto length = end - start;
    if (length >= width) return end;
    const auto pad = width - length;
    std::memmove(start + pad, start, static_cast<std::size_t>(length));
    std::memset(start, ' ', static_cast<std::size_t>(pad));
    return start + width;
}
} // namespace

char* FormatFixed(char* out, double value, int precision, int width) {
    return AlignRight(out, FormatFixed(out, value, precision), width);
}

void TextOutput::fixed(double value, int precision, int width) {
    char* start = reserve(kMaxNumberText + static_cast<std::size_t>(width));
    used_ += static_cast<std::size_t>(FormatFixed(start, value, precision, width) - start);
}

void TextOutput::general(double value, int precision) {
    char* start = reserve(kMaxNumberText);
    used_ += static_cast<std::size_t>(FormatGeneral(start, value, precision) - start);
}

void TextOutput::integer(int value) {
    char* start = reserve(16);
    used_ += static_cast<std::size_t>(std::to_chars(start, start + 16, value).ptr - start);
}

void TextOutput::blank(int width) {
    char* start = reserve(static_cast<std::size_t>(width));
    std::memset(start, ' ', static_cast<std::size_t>(width));
    used_ += static_cast<std::size_t>(width);
}

bool TextOutput::flush() {
    writeBuffer();
    if (!failed_ && std::fflush(stream_) != 0) failed_ = true;
    return !failed_;
}

} // namespace tolvane
