#include "files/touchstone_file.h"

#include "engine/measurement.h"

#include "support/captured_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tolvane {
namespace {

class TouchstoneFileTest : public ::testing::Test {
protected:
    /// Reads `contents` written as `name`; the messages are kept in `captured_`.
    int read(const std::string& name, const std::string& contents) {
        path_ = dir_.write(name, contents);
        return ReadTouchstoneFile(path_.c_str(), &m_);
    }
    const MeasuredValue& at(std::size_t i, SParameter p) const { return m_.points[i].s[Index(p)]; }

    testing::TempDir dir_;
    testing::CapturedMessages captured_;
    std::string path_;
    Measurement m_;
};

TEST_F(TouchstoneFileTest, Version1OptionLineFormatsUnitsAndLayout) {
    // Defaults (GHz, MA), comments everywhere, a two-port spread over lines, then a noise section.
    ASSERT_EQ(read("dut.s2p", "! an attenuator\n"
                              "1.0 0.1 45 0.5 -90 0.25 -91 0.2 30 ! first\n"
                              "2.0 0 0 1e-1 10\n"
                              "   0.5 20 0.3 40\n"
                              "! noise parameters\n"
                              "1.5 2.0 0.3 10 0.4\n"
                              "1.8 2.1 0.3 12 0.4\n"),
              1);
    EXPECT_TRUE(captured_.all().empty());
    ASSERT_EQ(m_.numPorts, 2);
    ASSERT_EQ(m_.points.size(), 2u);
    EXPECT_EQ(m_.points[1].frequencyHz, 2e9);
    EXPECT_NEAR(at(0, SParameter::S11).magnitudeDb, -20.0, 1e-12);
    EXPECT_EQ(at(0, SParameter::S11).angleDeg, 45);
    EXPECT_EQ(at(0, SParameter::S21).angleDeg, -90); // version 1 order: S11 S21 S12 S22
    EXPECT_EQ(at(0, SParameter::S12).angleDeg, -91);
    EXPECT_EQ(at(0, SParameter::S22).angleDeg, 30);
    EXPECT_EQ(at(1, SParameter::S11).magnitudeDb, -200.0); // a magnitude of 0

    // Words in any order and case; dB and real/imaginary values; a one-port by its name.
    ASSERT_EQ(read("refl.S1P", "# db r 50 mhz S\n100 -6.5 90\n200 -7 -45\n"), 1);
    EXPECT_EQ(m_.numPorts, 1);
    EXPECT_EQ(m_.points[0].frequencyHz, 100e6);
    EXPECT_EQ(at(1, SParameter::S11).magnitudeDb, -7.0);
    ASSERT_EQ(read("refl.s1p", "# Hz RI\n5e8 0 -0.5\n"), 1);
    EXPECT_NEAR(at(0, SParameter::S11).magnitudeDb, 20 * std::log10(0.5), 1e-12);
    EXPECT_DOUBLE_EQ(at(0, SParameter::S11).angleDeg, -90.0);
}

TEST_F(TouchstoneFileTest, Version2KeywordsAndDataOrder) {
    const std::string header = "[Version] 2.0\n# GHz S MA R 50\n[Number of Ports] 2\n";
    const std::string body = "[Number of Frequencies] 2\n[Reference] 50 50\n"
                             "[Begin Information]\n[anything] 3\n[End Information]\n"
                             "[Network Data]\n1 0.1 0 0.2 1 0.3 2 0.4 3\n"
                             "2 0.1 0 0.2 1 0.3 2 0.4 3\n[Noise Data]\n1 2 3 4 5\n[End]\n3 x\n";
    ASSERT_EQ(read("a.s2p", header + "[Two-Port Data Order] 12_21\n" + body), 1);
    EXPECT_EQ(at(1, SParameter::S12).angleDeg, 1);
    EXPECT_EQ(at(1, SParameter::S21).angleDeg, 2);
    ASSERT_EQ(read("a.s2p", header + "[Two-Port Data Order] 21_12\n" + body), 1);
    EXPECT_EQ(at(1, SParameter::S21).angleDeg, 1);
    EXPECT_EQ(at(1, SParameter::S12).angleDeg, 2);
    // One triangle of a symmetric matrix: S11, S21 (or S12), S22.
    ASSERT_EQ(read("a.s2p", header +
                                "[Two-Port Data Order] 12_21\n[Matrix Format] Lower\n"
                                "[Number of Frequencies] 1\n[Network Data]\n1 0.1 0 0.2 1 0.4 3\n"),
              1);
    EXPECT_EQ(at(0, SParameter::S12).angleDeg, 1);
    EXPECT_EQ(at(0, SParameter::S21).angleDeg, 1);
    EXPECT_EQ(at(0, SParameter::S22).angleDeg, 3);
    EXPECT_TRUE(captured_.all().empty());
}

TEST_F(TouchstoneFileTest, RefusalsNameThePathAndLineAndKeepTheMeasurement) {
    ASSERT_EQ(read("kept.s1p", "1 0.5 0\n"), 1);
    const std::string v2 = "[Version] 2.0\n# GHz S MA R 50\n[Number of Ports] 1\n"
                           "[Number of Frequencies] 1\n[Network Data]\n";
    struct Case {
        const char* name;
        std::string contents;
        std::string message; // after "ReadTouchstoneFile: File:<path>\n"
    };
    const Case cases[] = {
        {"y.s2p", "# GHz Y MA R 50\n1 1 2 3 4 5 6 7 8\n",
         "Line 1: Y-parameters are not read: only S-parameters.\n# GHz Y MA R 50"},
        {"r.s1p", "# R 75\n1 1 2\n", "Line 1: a reference impedance other than 50 ohm.\n# R 75"},
        {"r2.s1p", "[Version] 2.0\n# GHz S MA\n[Reference] 75\n",
         "Line 3: a reference impedance other than 50 ohm.\n[Reference] 75"},
        {"three.s3p", "1 2 3\n", "more than two ports: only one- and two-port files are read."},
        {"four.s1p", "[Version] 2.0\n# GHz S MA R 50\n[Number of Ports] 4\n",
         "Line 3: more than two ports: only one- and two-port files are read.\n"
         "[Number of Ports] 4"},
        {"order.s1p", "1 0.5 0\n1 0.5 0\n", "Line 2: the frequencies do not increase.\n1 0.5 0"},
        {"order.s2p", "1 0 0 0 0 0 0 0 0\n0.5 0 0 0 0 0 0 0 0\n",
         "Line 2: the frequency does not increase, and the lines from here on are not a "
         "noise-parameter section.\n0.5 0 0 0 0 0 0 0 0"},
        {"count.s1p", "1 0.5 0 7\n",
         "Line 1: a wrong count of values: a frequency of a 1-port takes 2 values.\n1 0.5 0 7"},
        {"short.s2p", "1 0 0 0 0\n",
         "Line 1: a wrong count of values: the last frequency has 4 of its 8 values.\n1 0 0 0 0"},
        {"count.s1p", v2 + "1 0 0\n2 0 0\n",
         "Line 7: more frequencies than \"[Number of Frequencies]\" announced.\n2 0 0"},
        {"nan.s1p", "1 nan 0\n", "Line 1: \"nan\" is not a finite number.\n1 nan 0"},
        {"inf.s1p", "1 0.5 -inf\n", "Line 1: \"-inf\" is not a finite number.\n1 0.5 -inf"},
        {"text.s1p", "1 0.5 O\n", "Line 1: \"O\" is not a finite number.\n1 0.5 O"},
        {"empty.s1p", "! nothing but a comment\n\n", "the file holds no S-parameters."},
        {"neg.s1p", "1 -0.5 0\n", "Line 1: a negative magnitude.\n1 -0.5 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        captured_.clear();
        EXPECT_EQ(read(c.name, c.contents), 0);
        EXPECT_EQ(captured_.errors(),
                  std::vector<std::string>{"ReadTouchstoneFile: File:" + path_ + "\n" + c.message});
        ASSERT_EQ(m_.points.size(), 1u);
        EXPECT_EQ(m_.points[0].frequencyHz, 1e9); // the first file's point stays
    }
}

TEST_F(TouchstoneFileTest, MoreThan100000FrequenciesAreRefused) {
    std::string contents = "# Hz\n";
    for (int i = 1; i <= 100001; ++i)
        contents += std::to_string(i) + " 1 0\n";
    EXPECT_EQ(read("many.s1p", contents), 0);
    EXPECT_EQ(captured_.errors(),
              std::vector<std::string>{"ReadTouchstoneFile: File:" + path_ +
                                       "\nLine 100002: more than 100,000 frequencies.\n"
                                       "100001 1 0"});
    EXPECT_EQ(read("missing.s1p", ""), 0);
}

} // namespace
} // namespace tolvane
