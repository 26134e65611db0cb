#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>

namespace tolvane {

/// The longest text one formatted number can take ("%.17g", "%.6f" of the largest double).
inline constexpr std::size_t kMaxNumberText = 400;

/// printf's "%.*f" of `value` written at `out` (at least kMaxNumberText chars); returns the end.
/// Exactly printf's text in the C locale for every double, infinities and NaN included: the
/// digits are the exactly rounded (ties to even) decimal of the binary value.
char* FormatFixed(char* out, double value, int precision);
/// printf's "%*.*f": FormatFixed right-aligned in `width` characters (kMaxNumberText + width chars
/// at `out`).
char* FormatFixed(char* out, double value, int precision, int width);
/// printf's "%.*g" of `value` (without "#"), with the same guarantee.
char* FormatGeneral(char* out, double value, int precision);

/// Text written through a large buffer into a stream, with numbers formatted as printf would
/// format them but far faster: tables of millions of numbers are written in a few large writes,
/// never held whole in memory.
class TextOutput {
public:
    explicit TextOutput(std::FILE* stream);
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    void text(std::string_view text);
    /// "%*.*f": right-aligned in `width` characters.
    void fixed(double value, int precision, int width = 0);
    /// "%.*g".
    void general(double value, int precision);
    /// "%d".
    void integer(int value);
    /// "%*s" of an empty text: `width` spaces.
    void blank(int width);

    /// Writes what the buffer holds to the stream and flushes the stream; false when any write
    /// so far has failed.
    [[nodiscard]] bool flush();
    /// True once a write to the stream has failed; later writes are skipped.
    [[nodiscard]] bool failed() const { return failed_; }

private:
    /// Room for at least `size` more characters, writing the buffer out when it lacks it.
    char* reserve(std::size_t size);
    void writeBuffer();

    std::FILE* stream_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

} // namespace tolvane
