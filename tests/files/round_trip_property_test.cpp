// Properties over random valid records: a written file reads back to a record that writes the same
// file again, and an exported result shows the numbers of its record.
#include "components/dut.h"
#include "components/vna.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/model.h"
#include "engine/uncertainty.h"
#include "files/config_file.h"
#include "files/export.h"
#include "files/model_file.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using testing::ModelPtr;

/// Random values within the ranges the records accept and the files can carry.
class RandomValues {
public:
    explicit RandomValues(unsigned seed) : random_(seed) {}
    double real(double low, double high) {
        return std::uniform_real_distribution(low, high)(random_);
    }
    float value(float low, float high) { return static_cast<float>(real(low, high)); }
    int integer(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }
    /// A name as a user types it: printable, not blank, not starting with "!", at most 127
    /// characters, with leading and inner blanks.
    std::string name() {
        const std::string characters =
            " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_/()!%#";
        std::string text(static_cast<std::size_t>(integer(0, 3)), ' ');
        text += static_cast<char>('A' + integer(0, 25));
        for (int n = integer(0, 120); n > 0 && text.size() < 127; --n)
            text += characters[static_cast<std::size_t>(
                integer(0, static_cast<int>(characters.size()) - 1))];
        return text;
    }
    /// Ascending frequencies in Hz, at least 1 kHz apart and from 1 kHz up.
    std::vector<double> frequencies(int count) {
        std::vector<double> hz;
        double f = real(1e3, 5e9);
        for (int i = 0; i < count; ++i, f += real(1e3, 5e9))
            hz.push_back(f);
        return hz;
    }

private:
    std::mt19937 random_;
};

void FillRandomDUT(RandomValues& r, DUTInfo* dut) {
    ASSERT_EQ(SetDUTType(dut, r.integer(1, 3)), 1);
    ASSERT_EQ(SetDUTReflNumValues(dut, r.integer(1, 500)), 1);
    ASSERT_EQ(SetDUTReflMin(dut, r.value(-140.0f, 0.0f)), 1);
    ASSERT_EQ(SetDUTReflMax(dut, r.value(-140.0f, 0.0f)), 1);
    ASSERT_EQ(SetDUTTransNumValues(dut, r.integer(1, 500)), 1);
    ASSERT_EQ(SetDUTTransMin(dut, r.value(-140.0f, 20.0f)), 1);
    ASSERT_EQ(SetDUTTransMax(dut, r.value(-140.0f, 20.0f)), 1);
    ASSERT_EQ(SetDUTReciprocal(dut, r.integer(0, 1)), 1);
    ASSERT_EQ(SetDUTReverseTransSaved(dut, r.value(-140.0f, 20.0f)), 1);
    ASSERT_EQ(SetDUTUserValues(dut, r.value(-80.0f, 0.0f), r.value(-80.0f, 20.0f),
                               r.value(-80.0f, 20.0f), r.value(-80.0f, 0.0f), r.value(0.01f, 30.0f),
                               r.value(30.0f, 110.0f), r.integer(2, 1001)),
              1);
    ASSERT_EQ(SetDUTFreqSweep(dut, r.integer(0, 1)), 1);
    float k[12];
    for (float& factor : k)
        factor = r.value(0.5f, 4.0f);
    ASSERT_EQ(SetDUTCoverageFactors(dut, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8], k[9],
                                    k[10], k[11]),
              1);
}

ModelPtr RandomModel(RandomValues& r) {
    ModelPtr model(CreateModelInfo());
    for (ModelTerm term : kRangeCheckedTerms) {
        testing::Pairs pairs;
        for (double hz : r.frequencies(r.integer(1, 12)))
            pairs.emplace_back(hz, r.value(-150.0f, 150.0f));
        testing::FillTable(testing::TermTable(model.get(), term), pairs, r.integer(1, 3));
    }
    testing::Pairs powers;
    for (float dbm = r.value(-100.0f, 0.0f); powers.size() < 5; dbm += r.value(0.5f, 20.0f))
        powers.emplace_back(dbm, r.value(0.0f, 3.0f));
    testing::FillTable(model->vna->src, powers, r.integer(1, 3));
    testing::SetFrequencies(model.get(), r.frequencies(r.integer(1, 40)));
    EXPECT_EQ(SetModelPower(model.get(), r.value(-90.0f, 20.0f)), 1);
    EXPECT_EQ(SetModelAverages(model.get(), r.integer(1, 1024)), 1);
    EXPECT_EQ(SetModelNRcAverages(model.get(), r.integer(1, 1024)), 1);
    EXPECT_EQ(SetModelIFBW(model.get(), r.value(1.0f, 1e6f)), 1);
    EXPECT_EQ(SetModelNRcIFBW(model.get(), r.value(1.0f, 1e6f)), 1);
    FillRandomDUT(r, model->dut);
    return model;
}

/// Writes `written`, reads the file into `read` and writes `read`: the second file must be the
/// first again, with no message shown.
template <typename Record>
void ExpectTheSameFileAgain(const Record* written, Record* read,
                            int (*write)(const Record*, const char*),
                            int (*readFile)(Record*, const char*), const testing::TempDir& dir) {
    const std::string first = dir.file("first"), second = dir.file("second");
    testing::CapturedMessages captured;
    ASSERT_EQ(write(written, first.c_str()), 1);
    ASSERT_EQ(readFile(read, first.c_str()), 1);
    ASSERT_EQ(write(read, second.c_str()), 1);
    EXPECT_TRUE(captured.all().empty()) << captured.errors().front();
    EXPECT_EQ(dir.read(second), dir.read(first));
}

TEST(RoundTripProperty, ARandomModelWritesReadsAndWritesTheSameFile) {
    RandomValues r(2024);
    testing::TempDir dir;
    for (int trial = 0; trial < 40 && !HasFatalFailure(); ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        ModelPtr read(CreateModelInfo());
        ExpectTheSameFileAgain<ModelInfo>(RandomModel(r).get(), read.get(), WriteModelFile,
                                          ReadModelFile, dir);
    }
}

struct ConfigDeleter {
    void operator()(ConfigInfo* config) const { (void)DestroyConfigInfo(config); }
};
using ConfigPtr = std::unique_ptr<ConfigInfo, ConfigDeleter>;

ConfigPtr RandomConfig(RandomValues& r) {
    ConfigPtr config(CreateConfigInfo());
    EXPECT_EQ(SetConfigVNAName(config.get(), r.name().c_str()), 1);
    EXPECT_EQ(SetConfigCalName(config.get(), r.name().c_str()), 1);
    for (int cable = 1; cable <= 2; ++cable) {
        EXPECT_EQ(SetConfigDielName(config.get(), cable, r.name().c_str()), 1);
        EXPECT_EQ(SetConfigCableLength(config.get(), cable, r.value(0.0f, 10.0f)), 1);
    }
    EXPECT_EQ(SetConfigTempVar(config.get(), r.value(0.0f, 40.0f)), 1);
    // Frequencies from 1 MHz, the file's resolution.
    const int count = r.integer(1, 60);
    EXPECT_EQ(SetConfigNumFreqs(config.get(), count), 1);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(SetConfigFreq(config.get(), i, r.real(1e6, 110e9)), 1);
    EXPECT_EQ(SetConfigPower(config.get(), r.value(-90.0f, 20.0f)), 1);
    EXPECT_EQ(SetConfigAverages(config.get(), r.integer(1, 1024)), 1);
    EXPECT_EQ(SetConfigIFBW(config.get(), r.value(1.0f, 1e6f)), 1);
    DUTInfo* dut = nullptr;
    EXPECT_EQ(GetConfigDUT(config.get(), &dut), 1);
    FillRandomDUT(r, dut);
    return config;
}

TEST(RoundTripProperty, ARandomConfigurationWritesReadsAndWritesTheSameFile) {
    // Names of up to 127 characters with leading blanks come back whole.
    RandomValues r(1998);
    testing::TempDir dir;
    for (int trial = 0; trial < 60 && !HasFatalFailure(); ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        ConfigPtr read(CreateConfigInfo());
        ExpectTheSameFileAgain<ConfigInfo>(RandomConfig(r).get(), read.get(), WriteConfigFile,
                                           ReadConfigFile, dir);
    }
}

struct ResultsDeleter {
    void operator()(UncertaintyInfo* results) const { (void)DestroyUncertaintyInfo(results); }
};
using ResultsPtr = std::unique_ptr<UncertaintyInfo, ResultsDeleter>;

/// Every number of the text, in order; words are skipped.
std::vector<double> NumbersIn(const std::string& text) {
    std::vector<double> numbers;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        char* end = nullptr;
        const double number = std::strtod(word.c_str(), &end);
        if (end != word.c_str() && *end == '\0') numbers.push_back(number);
    }
    return numbers;
}

/// A model whose terms are small random errors over 1 to 20 GHz, with a random DUT sweep.
ModelPtr RandomComputableModel(RandomValues& r) {
    ModelPtr model = testing::QuietModel();
    const double low = 1e9, high = 20e9;
    for (ModelTerm term :
         {kTermDirectivity, kTermSourceMatch, kTermLoadMatch, kTermCrosstalk,
          kTermConnector1Reflection, kTermConnector1Transmission, kTermConnector2Reflection,
          kTermConnector2Transmission, kTermReceiverNoise})
        testing::FillTable(testing::TermTable(model.get(), term),
                           {{low, r.value(25.0f, 60.0f)}, {high, r.value(25.0f, 60.0f)}});
    for (ModelTerm term : {kTermReflectionTracking, kTermTransmissionTracking,
                           kTermSourceUncertainty, kTermCable1MagnitudeDrift, kTermCable1PhaseDrift,
                           kTermCable2MagnitudeDrift, kTermCable2PhaseDrift})
        testing::FillTable(testing::TermTable(model.get(), term),
                           {{low, r.value(0.0f, 0.2f)}, {high, r.value(0.0f, 2.0f)}});
    std::vector<double> hz;
    for (int i = r.integer(1, 6); i > 0; --i)
        hz.push_back(r.real(low, high));
    std::sort(hz.begin(), hz.end());
    testing::SetFrequencies(model.get(), hz);

    DUTInfo* dut = model->dut;
    const int type = r.integer(1, 3);
    EXPECT_EQ(SetDUTType(dut, type), 1);
    EXPECT_EQ(SetDUTReflNumValues(dut, r.integer(2, 41)), 1);
    EXPECT_EQ(SetDUTReflMin(dut, r.value(-60.0f, -20.0f)), 1);
    EXPECT_EQ(SetDUTReflMax(dut, r.value(-20.0f, 0.0f)), 1);
    EXPECT_EQ(SetDUTTransNumValues(dut, r.integer(2, 41)), 1);
    EXPECT_EQ(SetDUTTransMin(dut, r.value(-80.0f, -10.0f)), 1);
    EXPECT_EQ(SetDUTTransMax(dut, r.value(-10.0f, 10.0f)), 1);
    EXPECT_EQ(SetDUTUserSParams(dut, r.value(-40.0f, -3.0f), r.value(-40.0f, 0.0f),
                                r.value(-40.0f, 0.0f), r.value(-40.0f, -3.0f)),
              1);
    return model;
}

TEST(RoundTripProperty, AnExportedResultShowsTheNumbersOfItsRecord) {
    RandomValues r(77);
    SetCoverageTraceStream(nullptr);
    testing::TempDir dir;
    const std::string path = dir.file("uncertainty.dat");
    for (int trial = 0; trial < 30; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        ModelPtr model = RandomComputableModel(r);
        ResultsPtr results(CreateUncertaintyInfo());
        testing::CapturedMessages captured;
        ASSERT_EQ(ComputeModel(model.get(), results.get()), 1) << captured.errors().front();
        ASSERT_EQ(ExportUncertaintyToFile(results.get(), path.c_str()), 1);

        int type = 0, numFreqs = 0, numValues = 0;
        ASSERT_EQ(GetUncertaintyType(results.get(), &type), 1);
        ASSERT_EQ(GetUncertaintyNumFreqs(results.get(), &numFreqs), 1);
        ASSERT_EQ(GetUncertaintyNumDUTValues(results.get(), &numValues), 1);
        const bool refl = (type & kUncertaintyReflection) != 0;
        const bool trans = (type & kUncertaintyTransmission) != 0;
        // The record's numbers as the table shows them: frequency in GHz, then per quantity the
        // DUT value in dB, the magnitude uncertainty in dB above it and the phase uncertainty.
        struct Shown {
            double dutDb, magnitudeDb, phaseDeg;
        };
        const auto shown = [&](bool reflection, int i, int j) {
            float nominal = 0.0f, upper = 0.0f, phase = 0.0f;
            EXPECT_EQ((reflection ? GetUncertaintyRefl : GetUncertaintyTrans)(
                          results.get(), i, j, &nominal, &upper, &phase),
                      1);
            const double dutDb = 20.0 * std::log10(static_cast<double>(nominal));
            return Shown{dutDb, 20.0 * std::log10(static_cast<double>(upper)) - dutDb, phase};
        };
        const auto frequencyGHz = [&](int i) {
            double hz = 0.0;
            EXPECT_EQ(GetUncertaintyFreq(results.get(), i, &hz), 1);
            return hz / 1e9;
        };

        const std::vector<double> numbers = NumbersIn(dir.read(path));
        std::vector<double> expected;
        std::vector<double> tolerance;
        const auto expect = [&](double value, double printedStep) {
            expected.push_back(value);
            // Half the printed step, and the float arithmetic of the table's conversion.
            tolerance.push_back(printedStep / 2 + 1e-4);
        };
        if (numValues == 1) {
            ASSERT_EQ(type, kUncertaintyReflection | kUncertaintyTransmission);
            expect(shown(true, 0, 0).dutDb, 0.01);
            expect(shown(false, 0, 0).dutDb, 0.01);
            for (int i = 0; i < numFreqs; ++i) {
                expect(frequencyGHz(i), 1e-6);
                for (bool reflection : {true, false}) {
                    expect(shown(reflection, i, 0).magnitudeDb, 1e-3);
                    expect(shown(reflection, i, 0).phaseDeg, 1e-3);
                }
            }
        } else {
            for (int i = 0; i < numFreqs; ++i)
                expect(frequencyGHz(i), 1e-6);
            for (int j = 0; j < numValues; ++j)
                for (int i = 0; i < numFreqs; ++i)
                    for (bool reflection : {true, false}) {
                        if (reflection ? !refl : !trans) continue;
                        const Shown s = shown(reflection, i, j);
                        expect(s.dutDb, 1e-3);
                        expect(s.magnitudeDb, 1e-3);
                        expect(s.phaseDeg, 1e-3);
                    }
        }
        ASSERT_EQ(numbers.size(), expected.size());
        for (std::size_t n = 0; n < numbers.size(); ++n)
            ASSERT_NEAR(numbers[n], expected[n], tolerance[n]) << "number " << n;
    }
    SetCoverageTraceStream(stdout);
}

} // namespace
} // namespace tolvane
