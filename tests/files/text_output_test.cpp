#include "files/text_output.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tolvane {
namespace {

std::string Printf(const char* format, int precision, double value) {
    char text[kMaxNumberText + 1];
    std::snprintf(text, sizeof text, format, precision, value);
    return text;
}

std::string Fixed(double value, int precision) {
    char text[kMaxNumberText + 1];
    return {text, FormatFixed(text, value, precision)};
}

std::string General(double value, int precision) {
    char text[kMaxNumberText + 1];
    return {text, FormatGeneral(text, value, precision)};
}

/// Values where formatting goes wrong first: signed zeros, ties and near-ties at the printed
/// digit, carries into a new digit, the ends of the ranges, subnormals and non-finite values.
std::vector<double> AwkwardValues() {
    std::vector<double> values{0.0,
                               -200.0,
                               0.0625,
                               0.0005,
                               0.0015,
                               2.5,
                               9.9995,
                               99.9995,
                               9.99999999949,
                               0.99999999951,
                               1e-4,
                               0.000099999999,
                               123456789.5,
                               1e15 + 0.5,
                               4503599627370497.5,
                               1e17,
                               1e22,
                               1e300,
                               0.1,
                               1.0 / 3.0,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::denorm_min(),
                               static_cast<double>(std::numeric_limits<float>::max()),
                               static_cast<double>(std::numeric_limits<float>::denorm_min()),
                               std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};
    for (int exponent = -12; exponent <= 20; ++exponent) {
        const double power = std::pow(10.0, exponent);
        values.insert(values.end(),
                      {power, std::nextafter(power, 0.0), std::nextafter(power, 1e300)});
    }
    const std::size_t count = values.size();
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(-values[i]);
    return values;
}

/// Random bit patterns of doubles and floats, and values of the size a table holds.
std::vector<double> RandomValues() {
    std::mt19937_64 random(17);
    std::vector<double> values;
    for (int i = 0; i < 30000; ++i) {
        values.push_back(std::bit_cast<double>(random()));
        values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
        values.push_back(std::ldexp(static_cast<double>(random() % 2000000) - 1000000.0,
                                    -static_cast<int>(random() % 40)));
    }
    return values;
}

TEST(NumberFormat, EveryDigitAsPrintfGivesIt) {
    for (const auto& values : {AwkwardValues(), RandomValues()})
        for (const double value : values) {
#if defined(_WIN32)
            // MinGW's printf drops the sign of a NaN; the formatter writes glibc's "-nan" on
            // every system, so files read the same wherever they were written.
            if (std::isnan(value)) continue;
#endif
            for (const int precision : {0, 2, 3, 6})
                ASSERT_EQ(Fixed(value, precision), Printf("%.*f", precision, value))
                    << std::hexfloat << value;
            for (const int precision : {1, 6, 9, 17})
                ASSERT_EQ(General(value, precision), Printf("%.*g", precision, value))
                    << std::hexfloat << value;
        }
}

TEST(TextOutput, StreamsTheTextPrintfWouldWriteThroughItsBuffer) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::string expected;
    {
        TextOutput out(file);
        std::mt19937 random(3);
        std::uniform_real_distribution<float> dB(-250.0f, 50.0f);
        char line[256];
        // Well beyond one buffer's worth, so lines straddle its writes.
        for (int i = 0; i < 40000; ++i) {
            const float value = dB(random);
            std::snprintf(line, sizeof line, "%d,%.9g\t%12.3f\t%8.3f%12s|%4.6f\n", i, value, value,
                          value, "", value / 7.0);
            expected += line;
            out.integer(i);
            out.text(",");
            out.general(value, 9);
            out.text("\t");
            out.fixed(value, 3, 12);
            out.text("\t");
            out.fixed(value, 3, 8);
            out.blank(12);
            out.text("|");
            out.fixed(value / 7.0, 6, 4);
            out.text("\n");
            // Now and then a block as large as a writer's batch, which skips the buffer.
            if (i % 9000 == 0) {
                const std::string block(70000 + std::size_t(i % 7), char('a' + i % 26));
                expected += block;
                out.text(block);
            }
        }
        ASSERT_TRUE(out.flush());
    }
    std::string written(expected.size() + 1, '\0');
    std::rewind(file);
    written.resize(std::fread(written.data(), 1, written.size(), file));
    std::fclose(file);
    EXPECT_EQ(written, expected);
}

TEST(TextOutput, ReportsAFailedWriteOfALargeText) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    {
        TextOutput out(full);
        out.text(std::string(100000, 'x'));
        EXPECT_TRUE(out.failed());
        EXPECT_FALSE(out.flush());
    }
    std::fclose(full);
}

} // namespace
} // namespace tolvane
