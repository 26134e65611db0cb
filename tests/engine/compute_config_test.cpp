#include "engine/compute_config.h"

#include "components/dut.h"
#include "engine/compute_commands.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/model.h"
#include "engine/program_state.h"
#include "engine/uncertainty.h"
#include "files/database_file.h"
#include "files/model_file.h"
#include "files/startup.h"

#include "support/captured_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tolvane {
namespace {

// Terms chosen so that the answer can be worked out by hand: every loss-type term 300 dB (no
// error) except a 40 dB directivity, every gain-type term 0 dB, receiver noise -300 dBm, and two
// dielectrics that drift only in phase (0.5 and 1.0 degrees per metre, degree Celsius and GHz).
constexpr const char* kDatabase = R"(DIELECTRIC
Diel A
0 0.5
DIELECTRIC
Diel B
0 1.0
CONNECTOR
Conn X
2
LINEAR
1e9 300 300
2e10 300 300
VNA
Analyzer A
POWER
-20 10 0 0.01
SSR
2
LINEAR
1 0
20 0
SRC
2
LINEAR
-100 0
50 0
NRC
2 1 10
LINEAR
1 300
20 300
IFBW
1
10
CALIBRATION
Kit B
Conn X
2
LINEAR
1e9 40 300 0 300 300 0
2e10 40 300 0 300 300 0
)";

constexpr double kGHz = 1e9;
constexpr double kDegreesPerRadian = 180.0 / 3.141592653589793;

class ComputeConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CreateProgramState(), 1);
        ASSERT_EQ(ReadUncertaintyFile(dir_.write("small.unc", kDatabase).c_str()), 1);
        config_ = CreateConfigInfo();
        ASSERT_NE(config_, nullptr);
        GlobalProgramState().currentConfig = config_; // destroyed by ShutDown
        ASSERT_EQ(GetConfigDUT(config_, &dut_), 1);

        // Cable 1: 1 m of Diel A, cable 2: 2 m of Diel B, 1 degree Celsius: at 10 GHz the phase
        // drifts are 5 and 20 degrees.
        ASSERT_TRUE(
            SetConfigVNAName(config_, "Analyzer A") && SetConfigCalName(config_, "Kit B") &&
            SetConfigDielName(config_, 1, "Diel A") && SetConfigDielName(config_, 2, "Diel B") &&
            SetConfigCableLength(config_, 1, 1.0f) && SetConfigCableLength(config_, 2, 2.0f) &&
            SetConfigTempVar(config_, 1.0f) && SetConfigPower(config_, 0.0f) &&
            SetConfigIFBW(config_, 10.0f) && SetConfigAverages(config_, 1));
        setFrequenciesGHz({10.0});
        // One reflection value of -20 dB, every coverage factor 1.
        ASSERT_TRUE(SetDUTType(dut_, DUT_REFLECTION_ONLY) && SetDUTReflNumValues(dut_, 1) &&
                    SetDUTReflMin(dut_, -20.0f) &&
                    SetDUTCoverageFactors(dut_, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1));
        SetCoverageTraceStream(nullptr);
    }
    void TearDown() override {
        SetCoverageTraceStream(stdout);
        ShutDown();
    }

    void setFrequenciesGHz(const std::vector<double>& frequencies) {
        ASSERT_EQ(SetConfigNumFreqs(config_, static_cast<int>(frequencies.size())), 1);
        for (std::size_t i = 0; i < frequencies.size(); ++i)
            ASSERT_EQ(SetConfigFreq(config_, static_cast<int>(i), frequencies[i] * kGHz), 1);
    }

    static UncertaintyInfo* result() { return CurrentResult(); }

    testing::TempDir dir_;
    ConfigInfo* config_ = nullptr;
    DUTInfo* dut_ = nullptr;
};

TEST_F(ComputeConfigTest, BuildsTheModelFromTheListsAndComputesTheHandWorkedAnswer) {
    testing::CapturedMessages captured;
    ASSERT_EQ(ComputeConfig(config_), 1);
    EXPECT_TRUE(captured.all().empty());

    float nominal = 0, upper = 0, phase = 0;
    ASSERT_EQ(GetUncertaintyRefl(result(), 0, 0, &nominal, &upper, &phase), 1);
    // Directivity 0.01 adds to the 0.1 reflection: 0.11; the phase is asin(0.1) plus twice the
    // 5 degrees of cable 1 (the reflected wave passes it twice).
    EXPECT_FLOAT_EQ(nominal, 0.1f);
    EXPECT_FLOAT_EQ(upper, 0.11f);
    EXPECT_NEAR(phase, std::asin(0.1) * kDegreesPerRadian + 10.0, 1e-4);
    // The transmission passes each cable once: 5 + 20 degrees, from cable 2's own length and
    // dielectric with the one temperature variation.
    ASSERT_EQ(GetUncertaintyTrans(result(), 0, 0, &nominal, &upper, &phase), 1);
    EXPECT_NEAR(phase, 25.0, 1e-3);

    EXPECT_EQ(GlobalProgramState().plotSubtitle, "Analyzer A / Kit B / Reflection Only");
}

TEST_F(ComputeConfigTest, SubtitleNamesTheDUTTypeOnlyForSweeps) {
    ASSERT_EQ(SetDUTType(dut_, DUT_TRANSMISSION_ONLY), 1);
    ASSERT_EQ(ComputeConfig(config_), 1);
    EXPECT_EQ(GlobalProgramState().plotSubtitle, "Analyzer A / Kit B / Transmission Only");
    ASSERT_EQ(SetDUTType(dut_, DUT_USER_DEFINED), 1);
    ASSERT_EQ(ComputeConfig(config_), 1);
    EXPECT_EQ(GlobalProgramState().plotSubtitle, "Analyzer A / Kit B");
}

TEST_F(ComputeConfigTest, PortPowerWithinAThousandthOfADecibelOfALimitIsAccepted) {
    testing::CapturedMessages captured;
    ASSERT_EQ(SetConfigPower(config_, -20.0005f), 1);
    EXPECT_EQ(ComputeConfig(config_), 1);
    ASSERT_EQ(SetConfigPower(config_, 10.0005f), 1);
    EXPECT_EQ(ComputeConfig(config_), 1);
    EXPECT_TRUE(captured.all().empty());

    ASSERT_EQ(SetConfigPower(config_, -20.002f), 1);
    EXPECT_EQ(ComputeConfig(config_), 0);
    ASSERT_EQ(SetConfigPower(config_, 10.002f), 1);
    EXPECT_EQ(ComputeConfig(config_), 0);
    EXPECT_EQ(captured.errors(),
              (std::vector<std::string>{"ComputeConfig: Port power is too small.",
                                        "ComputeConfig: Port power is too large."}));
}

TEST_F(ComputeConfigTest, MissingComponentStopsBeforeTheResultOrSubtitleChange) {
    ASSERT_EQ(ComputeConfig(config_), 1);
    GlobalProgramState().plotSubtitle = "earlier";
    ASSERT_EQ(SetConfigCalName(config_, "kit b"), 1); // names match case-sensitively

    testing::CapturedMessages captured;
    EXPECT_EQ(ComputeConfig(config_), 0);
    EXPECT_EQ(
        captured.errors(),
        (std::vector<std::string>{"FindCalInfo: a calibration of the chosen type does not exist.",
                                  "ComputeConfig: Error in a called routine."}));
    EXPECT_EQ(GlobalProgramState().plotSubtitle, "earlier");
    float nominal = 0, upper = 0, phase = 0;
    ASSERT_EQ(GetUncertaintyRefl(result(), 0, 0, &nominal, &upper, &phase), 1);
    EXPECT_FLOAT_EQ(upper, 0.11f);

    captured.clear();
    ASSERT_EQ(SetConfigCalName(config_, "Kit B"), 1);
    ASSERT_EQ(SetConfigDielName(config_, 2, "Diel C"), 1);
    EXPECT_EQ(ComputeConfig(config_), 0);
    EXPECT_EQ(captured.errors(),
              (std::vector<std::string>{"MakeCableFVs: unknown dielectric.",
                                        "ComputeConfig: Error in a called routine."}));

    captured.clear();
    EXPECT_EQ(ComputeConfig(nullptr), 0);
    EXPECT_EQ(captured.errors(), std::vector<std::string>{"ComputeConfig: NULL info pointer."});
}

TEST_F(ComputeConfigTest, FrequencyOutsideTheTermsShowsTheFrequencyAdviceAfterTheCheck) {
    setFrequenciesGHz({10.0, 25.0});
    testing::CapturedMessages captured;
    EXPECT_EQ(ComputeConfig(config_), 0);
    const std::vector<testing::CapturedMessages::Message> expected{
        {MessageKind::Error, "CheckModel: Maximum frequency of CDR term is too low."},
        {MessageKind::Help, "Suggestion: Adjust the minimum and maximum frequencies using the "
                            "\"Frequency\" button."}};
    EXPECT_EQ(captured.all(), expected);
}

TEST_F(ComputeConfigTest, TracesTheCoverageFactorsBeforeTheComputationDoes) {
    std::FILE* trace = std::tmpfile();
    ASSERT_NE(trace, nullptr);
    SetCoverageTraceStream(trace);
    ASSERT_EQ(ComputeConfig(config_), 1);
    SetCoverageTraceStream(nullptr);
    std::rewind(trace);
    std::string text;
    for (int c = std::fgetc(trace); c != EOF; c = std::fgetc(trace))
        text += static_cast<char>(c);
    std::fclose(trace);
    // Once from the configuration's DUT, once from the model's copy.
    EXPECT_EQ(text.find("directivity = 1.0 \n"), 0u);
    EXPECT_NE(text.find("directivity = 1.0 \n", 1), std::string::npos);
    EXPECT_NE(text.find("k factor = 1.0 \n"), std::string::npos);
}

TEST(UserSweepFrequencies, EqualStepsFromStartToStop) {
    EXPECT_EQ(UserSweepFrequencies(1.0f, 3.0f, 5),
              (std::vector<double>{1.0e9, 1.5e9, 2.0e9, 2.5e9, 3.0e9}));
    EXPECT_EQ(UserSweepFrequencies(-2.0f, -1.0f, 2), (std::vector<double>{2.0e9, 1.0e9}));
    EXPECT_EQ(UserSweepFrequencies(4.0f, 9.0f, 1), std::vector<double>{4.0e9});
    EXPECT_TRUE(UserSweepFrequencies(1.0f, 3.0f, 0).empty());
}

TEST(UserSweepFrequencies, LimitsAreTheDecimalsEnteredNotTheirFloatApproximations) {
    // 26.6f is 26.6000003815 GHz; a table read from "26.6" in a file ends at 26.6 × 1e9 Hz, and a
    // sweep typed to end there must not lie 381 Hz beyond it (the tolerance is 1 Hz).
    const double typedStopGHz = 26.6, typedStartGHz = 0.05;
    EXPECT_EQ(UserSweepFrequencies(0.05f, 26.6f, 2),
              (std::vector<double>{typedStartGHz * 1e9, typedStopGHz * 1e9}));
    EXPECT_EQ(UserSweepFrequencies(-1.0001f, 1.0f, 1), std::vector<double>{1.0001 * 1e9});
}

TEST_F(ComputeConfigTest, UserSweepComputesOverItsOwnFrequenciesAndLeavesTheListAsItWas) {
    setFrequenciesGHz({7.0, 8.0});
    ASSERT_TRUE(SetDUTType(dut_, DUT_USER_DEFINED) && SetDUTFreqSweep(dut_, 1) &&
                SetDUTUserValues(dut_, -20, -20, 0, -20, 1.0f, 3.0f, 5));
    const ConfigSettings before = *config_;

    ASSERT_EQ(ComputeConfigurationCommand(config_), 1);
    int numFreqs = 0;
    ASSERT_EQ(GetUncertaintyNumFreqs(result(), &numFreqs), 1);
    ASSERT_EQ(numFreqs, 5);
    for (int i = 0; i < 5; ++i) {
        double frequencyHz = 0;
        ASSERT_EQ(GetUncertaintyFreq(result(), i, &frequencyHz), 1);
        EXPECT_EQ(frequencyHz, (1.0 + 0.5 * i) * kGHz);
    }
    EXPECT_EQ(config_->numFreqs, before.numFreqs);
    EXPECT_EQ(config_->frequenciesHz, before.frequenciesHz);

    // A refused sweep is reported by the record and also leaves the list untouched.
    ASSERT_EQ(SetDUTUserValues(dut_, -20, -20, 0, -20, 1.0f, 3.0f, 6000), 1);
    testing::CapturedMessages captured;
    EXPECT_EQ(ComputeConfigurationCommand(config_), 0);
    EXPECT_EQ(captured.errors(),
              std::vector<std::string>{"SetConfigParam: Too many frequencies, maximum is 5000."});
    EXPECT_EQ(config_->numFreqs, before.numFreqs);
    EXPECT_EQ(config_->frequenciesHz, before.frequenciesHz);
}

/// A model file of the same set-up as the configuration, with coverage factors of 4 and k = 1.
std::string ModelText(int dutType, int sweepOn) {
    auto table = [](const char* keyword, const char* v1, const char* v2) {
        return std::string(keyword) + "\n2\nLINEAR\n1 " + v1 + "\n20 " + v2 + "\n";
    };
    std::string text = "VNA\n" + table("SSr", "0", "0") + "SRc\n2\nLINEAR\n-100 0\n50 0\n" +
                       table("NRc", "300", "300");
    for (const char* connector : {"CONNECTOR 1\n", "CONNECTOR 2\n"})
        text += connector + table("RCnRm", "300", "300") + table("RCnTm", "300", "300");
    text += "CABLE 1\n" + table("DCbTm", "0", "0") + table("DCbTp", "0.5", "10");
    text += "CABLE 2\n" + table("DCbTm", "0", "0") + table("DCbTp", "1", "20");
    text += "CALIBRATION\n" + table("CDr", "40", "40") + table("CSm", "300", "300") +
            table("CRt", "0", "0") + table("CXt", "300", "300") + table("CLm", "300", "300") +
            table("CTt", "0", "0");
    text += "FREQUENCY\n1\n10\nPOWER\n0 0\nAVERAGES\n1 1\nIFBW\n10 10\n";
    text += "DUT\n" + std::to_string(dutType) + "\n1 -20 0\n91 -80 10 1 10\n-20 -20 0 -20\n5 1 3 " +
            std::to_string(sweepOn) + "\n4 4 4 4\n4 4 4 4\n4 4 4 1\n";
    return text;
}

TEST_F(ComputeConfigTest, ComputeModelTakesTheConfigurationsCoverageFactors) {
    ModelInfo* model = CreateModelInfo();
    ASSERT_NE(model, nullptr);
    GlobalProgramState().currentModel = model; // destroyed by ShutDown
    ASSERT_EQ(ReadModelFile(model, dir_.write("a.mdl", ModelText(DUT_REFLECTION_ONLY, 0)).c_str()),
              1);
    GlobalProgramState().plotSubtitle = "from the configuration";

    testing::CapturedMessages captured;
    ASSERT_EQ(ComputeModelCommand(model, config_), 1);
    EXPECT_TRUE(captured.all().empty());
    EXPECT_EQ(model->dut->coverageFactors, dut_->coverageFactors);
    EXPECT_TRUE(GlobalProgramState().plotSubtitle.empty());
    float nominal = 0, upper = 0, phase = 0;
    ASSERT_EQ(GetUncertaintyRefl(result(), 0, 0, &nominal, &upper, &phase), 1);
    EXPECT_FLOAT_EQ(upper, 0.11f);
    EXPECT_NEAR(phase, std::asin(0.1) * kDegreesPerRadian + 10.0, 1e-4);

    // With the model's own factors the directivity adds 0.01 / 4 once (k = 1).
    ASSERT_EQ(ReadModelFile(model, dir_.write("b.mdl", ModelText(DUT_REFLECTION_ONLY, 0)).c_str()),
              1);
    ASSERT_EQ(ComputeModelOverDUTSweep(model), 1);
    ASSERT_EQ(GetUncertaintyRefl(result(), 0, 0, &nominal, &upper, &phase), 1);
    EXPECT_FLOAT_EQ(upper, 0.1025f);
}

TEST_F(ComputeConfigTest, ModelSweepComputesOverItsOwnFrequenciesAndLeavesTheListAsItWas) {
    ModelInfo* model = CreateModelInfo();
    ASSERT_NE(model, nullptr);
    GlobalProgramState().currentModel = model;
    ASSERT_EQ(ReadModelFile(model, dir_.write("s.mdl", ModelText(DUT_USER_DEFINED, 1)).c_str()), 1);
    const auto frequenciesBefore = model->frequenciesHz;

    ASSERT_EQ(ComputeModelCommand(model, config_), 1);
    int numFreqs = 0;
    double lastHz = 0;
    ASSERT_EQ(GetUncertaintyNumFreqs(result(), &numFreqs), 1);
    ASSERT_EQ(GetUncertaintyFreq(result(), 4, &lastHz), 1);
    EXPECT_EQ(numFreqs, 5);
    EXPECT_EQ(lastHz, 3.0 * kGHz);
    EXPECT_EQ(model->numFreqs, 1);
    EXPECT_EQ(model->frequenciesHz, frequenciesBefore);
}

// The models kept for explaining results compute exactly what the commands computed, user sweeps
// included, and leave the configuration and model as they were.
TEST_F(ComputeConfigTest, KeptModelsComputeWhatTheCommandsComputed) {
    ModelInfo* model = CreateModelInfo();
    ASSERT_NE(model, nullptr);
    GlobalProgramState().currentModel = model;
    ASSERT_EQ(ReadModelFile(model, dir_.write("s.mdl", ModelText(DUT_USER_DEFINED, 1)).c_str()), 1);
    setFrequenciesGHz({7.0, 8.0});
    ASSERT_TRUE(SetDUTType(dut_, DUT_USER_DEFINED) && SetDUTFreqSweep(dut_, 1) &&
                SetDUTUserValues(dut_, -20, -20, 0, -20, 1.0f, 3.0f, 5));
    const auto sameResults = [](const UncertaintyInfo* a, const UncertaintyInfo* b) {
        return a->numFreqs == b->numFreqs && a->reflUpperBound == b->reflUpperBound &&
               a->transUpperBound == b->transUpperBound && a->reflPhaseDeg == b->reflPhaseDeg;
    };
    UncertaintyInfo* kept = CreateUncertaintyInfo();
    ASSERT_EQ(ComputeConfigurationCommand(config_), 1);
    ModelHandle fromConfig = ConfigurationCommandModel(config_);
    ASSERT_NE(fromConfig, nullptr);
    ASSERT_EQ(ComputeModel(fromConfig.get(), kept), 1);
    EXPECT_TRUE(sameResults(kept, result()));
    EXPECT_EQ(config_->numFreqs, 2);

    ASSERT_EQ(ComputeModelCommand(model, config_), 1);
    ModelHandle fromModel = ModelCommandModel(model, config_);
    ASSERT_NE(fromModel, nullptr);
    EXPECT_EQ(model->numFreqs, 1);
    ASSERT_EQ(ComputeModel(fromModel.get(), kept), 1);
    EXPECT_TRUE(sameResults(kept, result()));
    EXPECT_EQ(fromModel->numFreqs, 5);
    DestroyUncertaintyInfo(kept);
}

} // namespace
} // namespace tolvane
