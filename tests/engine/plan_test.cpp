#include "engine/plan.h"

#include "components/dut.h"
#include "components/vna.h"
#include "engine/compute_config.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/plan_values.h"
#include "engine/program_state.h"
#include "engine/sweep_time.h"
#include "engine/uncertainty.h"
#include "files/config_file.h"
#include "files/database_file.h"
#include "files/startup.h"

#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tolvane {
namespace {

constexpr double kGHz = 1e9;
const std::string kShipped = TOLVANE_SHIPPED_DATA_DIR;

/// The shipped database and configuration: "VNA 26.5 GHz" (settling factor 1.15, 25 us per
/// point), "3.5 mm Fixed Load SOLT", a reflection sweep of 41 values from -40 to 0 dB at 6
/// frequencies, 1 average at 100 Hz.
class PlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCoverageTraceStream(nullptr);
        ASSERT_EQ(CreateProgramState(), 1);
        ASSERT_EQ(ReadUncertaintyFile((kShipped + "/uncdata.unc").c_str()), 1);
        config_ = CreateConfigInfo();
        ASSERT_NE(config_, nullptr);
        GlobalProgramState().currentConfig = config_; // destroyed by ShutDown
        ASSERT_EQ(ReadConfigFile(config_, (kShipped + "/default.cfg").c_str()), 1);
        ASSERT_EQ(GetConfigDUT(config_, &dut_), 1);
    }
    void TearDown() override {
        ShutDown();
        SetCoverageTraceStream(stdout);
    }

    /// The plan's figures for `values` at `points`, asserting the plan itself was accepted.
    PlanResult compute(PlanQuantity quantity, std::vector<PlanValue> values,
                       std::vector<PlanPoint> points) {
        Plan plan{quantity, PlanCable::Both, std::move(values), std::move(points)};
        PlanResult result;
        EXPECT_EQ(ComputePlan(config_, plan, &result), 1);
        EXPECT_EQ(result.values.size(), plan.values.size());
        return result;
    }

    /// The upper bound "Compute Configuration" stores at (frequency i, DUT value j).
    float normalUpperBound(int i, int j, bool reflection) {
        EXPECT_EQ(ComputeConfig(config_), 1);
        float nominal = 0, upper = 0, phase = 0;
        const auto get = reflection ? GetUncertaintyRefl : GetUncertaintyTrans;
        EXPECT_EQ(get(CurrentResult(), i, j, &nominal, &upper, &phase), 1);
        return upper;
    }

    ConfigInfo* config_ = nullptr;
    DUTInfo* dut_ = nullptr;
};

PlanValue Number(double number) {
    return PlanValue{number, {}};
}
PlanValue Name(const char* name) {
    return PlanValue{0.0, name};
}

TEST_F(PlanTest, AFigureIsTheNormalComputationsOwnAtThatPoint) {
    // 26.5 GHz is frequency 5 of the configuration; -40 dB is value 0 of its sweep. At the
    // analyzer's lowest port power the noise counts.
    ASSERT_EQ(SetConfigPower(config_, -30.0f), 1);
    const PlanResult plan = compute(PlanQuantity::Averaging, {Number(1), Number(1024)},
                                    {{26.5 * kGHz, -40.0f, PlanPort::Reflection}});
    ASSERT_TRUE(plan.values[0].allComputed()) << plan.values[0].points[0].failure;
    const PointUncertainty& one = plan.values[0].points[0].worstCase;
    EXPECT_EQ(one.upperBound, normalUpperBound(5, 0, true));
    EXPECT_EQ(one.uncertaintyDb, LinearToDB(one.upperBound) - LinearToDB(one.nominal));
    EXPECT_FLOAT_EQ(one.nominal, 0.01f);
    // More averaging lowers the noise and with it the bound.
    EXPECT_LT(plan.values[1].points[0].worstCase.upperBound, one.upperBound);

    // A transmission point is a point of the reciprocal transmission-only sweep: -35 dB is value
    // 45 of the sweep of 91 values from -80 to 10 dB. The plan leaves the configuration alone.
    ASSERT_TRUE(SetDUTType(dut_, DUT_TRANSMISSION_ONLY) && SetDUTReciprocal(dut_, 1));
    const PlanResult transmission = compute(PlanQuantity::Averaging, {Number(1)},
                                            {{18 * kGHz, -35.0f, PlanPort::Transmission}});
    ASSERT_TRUE(transmission.values[0].allComputed());
    EXPECT_EQ(transmission.values[0].points[0].worstCase.upperBound,
              normalUpperBound(4, 45, false));
}

TEST_F(PlanTest, SweepTimeIsPointsTimesAveragingOverBandwidthWithTheAnalyzersConstants) {
    SweepConditions c{201, 4, 1000.0f, 2, 1.2f, 20.0f};
    // 2 x 201 x (4 / 1000 x 1.2 + 20e-6) = 402 x 0.00482
    EXPECT_NEAR(EstimateSweepTimeS(c), 1.93764, 1e-6);
    c.ifBandwidthHz = 0.0f;
    EXPECT_TRUE(std::isnan(EstimateSweepTimeS(c)));

    // The shipped configuration: 6 frequencies, one-port (reflection only, reflection points);
    // a transmission point makes it two-port.
    const PlanResult oneport = compute(PlanQuantity::IFBandwidth, {Number(100), Number(1000)},
                                       {{1 * kGHz, -10.0f, PlanPort::Reflection}});
    EXPECT_NEAR(oneport.values[0].sweepTimeS, 6 * (1 / 100.0 * 1.15 + 25e-6), 1e-7);
    EXPECT_NEAR(oneport.values[1].sweepTimeS, 6 * (1 / 1000.0 * 1.15 + 25e-6), 1e-7);
    const PlanResult twoport =
        compute(PlanQuantity::Averaging, {Number(8)}, {{1 * kGHz, -10.0f, PlanPort::Transmission}});
    EXPECT_NEAR(twoport.values[0].sweepTimeS, 2 * 6 * (8 / 100.0 * 1.15 + 25e-6), 1e-6);
}

TEST_F(PlanTest, TheTargetNamesTheFastestValueMeetingItAtEveryPoint) {
    const std::vector<PlanPoint> points{{1 * kGHz, -30.0f, PlanPort::Reflection},
                                        {26.5 * kGHz, -40.0f, PlanPort::Reflection}};
    const PlanResult plan = compute(PlanQuantity::IFBandwidth,
                                    DefaultPlanValues(config_, PlanQuantity::IFBandwidth), points);
    ASSERT_GE(plan.values.size(), 3u);
    const float loosest = plan.values.back().largestUncertaintyDb();
    // A target every value meets: the fastest (the widest bandwidth, last in the list).
    EXPECT_EQ(FindBestPlanValue(plan, 100.0), plan.values.size() - 1);
    // A target between the narrowest and widest bandwidths' bounds: a value that meets it, and
    // no faster value meets it.
    const double target = (plan.values.front().largestUncertaintyDb() + loosest) / 2;
    const auto best = FindBestPlanValue(plan, target);
    ASSERT_TRUE(best.has_value());
    EXPECT_LE(plan.values[*best].largestUncertaintyDb(), target);
    for (const PlanValueResult& value : plan.values) {
        if (value.sweepTimeS < plan.values[*best].sweepTimeS) {
            EXPECT_GT(value.largestUncertaintyDb(), target);
        }
    }
    EXPECT_FALSE(FindBestPlanValue(plan, 0.0).has_value());
}

TEST_F(PlanTest, AValueThatCannotBeComputedKeepsItsReasonAndShowsNothing) {
    testing::CapturedMessages captured;
    // The 8.5 GHz analyzer does not reach 10 GHz: only that point of that value fails.
    const PlanResult vnas = compute(
        PlanQuantity::Analyzer, DefaultPlanValues(config_, PlanQuantity::Analyzer),
        {{1 * kGHz, -20.0f, PlanPort::Reflection}, {10 * kGHz, -20.0f, PlanPort::Reflection}});
    ASSERT_EQ(vnas.values.size(), 3u);
    EXPECT_TRUE(vnas.values[0].points[0].computed);
    EXPECT_FALSE(vnas.values[0].points[1].computed);
    EXPECT_EQ(vnas.values[0].points[1].failure,
              "CheckModel: Maximum frequency of SSR term is too low.");
    EXPECT_TRUE(vnas.values[1].allComputed());
    EXPECT_TRUE(vnas.values[2].allComputed());
    EXPECT_NE(FindBestPlanValue(vnas, 100.0), std::optional<std::size_t>(0))
        << "a value with a point missing";

    const PlanResult powers = compute(PlanQuantity::PortPower, {Number(20), Number(-10)},
                                      {{1 * kGHz, -20.0f, PlanPort::Reflection}});
    EXPECT_EQ(powers.values[0].points[0].failure, "ComputeConfig: Port power is too large.");
    EXPECT_TRUE(powers.values[1].allComputed());
    EXPECT_TRUE(captured.all().empty());

    Plan none{PlanQuantity::Averaging, PlanCable::Both, {Number(1)}, {}};
    PlanResult result;
    EXPECT_EQ(ComputePlan(config_, none, &result), 0);
    none.points.assign(6, PlanPoint{kGHz, -20.0f, PlanPort::Reflection});
    EXPECT_EQ(ComputePlan(config_, none, &result), 0);
    EXPECT_EQ(captured.errors(), (std::vector<std::string>(
                                     2, "ComputePlan: a plan needs 1 to 5 points of interest.")));
}

TEST_F(PlanTest, DefaultValuesOfEachQuantity) {
    const auto texts = [this](PlanQuantity quantity) {
        std::vector<std::string> shown;
        for (const PlanValue& value : DefaultPlanValues(config_, quantity))
            shown.push_back(PlanValueText(quantity, value));
        return shown;
    };
    using Texts = std::vector<std::string>;
    EXPECT_EQ(texts(PlanQuantity::Averaging).size(), 11u);
    EXPECT_EQ(texts(PlanQuantity::Averaging).back(), "1024");
    EXPECT_EQ(texts(PlanQuantity::PortPower),
              (Texts{"-30.0", "-25.0", "-20.0", "-15.0", "-10.0", "-5.0", "0.0", "5.0", "10.0"}));
    EXPECT_EQ(texts(PlanQuantity::CalKit), (Texts{"3.5 mm Fixed Load SOLT", "3.5 mm Electronic"}));
    EXPECT_EQ(texts(PlanQuantity::Analyzer), (Texts{"VNA 8.5 GHz", "VNA 26.5 GHz", "VNA 67 GHz"}));
    EXPECT_EQ(texts(PlanQuantity::CableLength).front(), "0.250");
    EXPECT_FALSE(texts(PlanQuantity::IFBandwidth).empty());
    // A step that does not divide the range still ends on the maximum (-27 to 8 dBm).
    ASSERT_EQ(SetConfigVNAName(config_, "VNA 67 GHz"), 1);
    const auto powers = DefaultPlanValues(config_, PlanQuantity::PortPower, 10.0);
    ASSERT_EQ(powers.size(), 5u);
    EXPECT_EQ(powers.back().number, 8.0);
}

TEST_F(PlanTest, ApplyWritesAsTheEditorWithItsChecksFirst) {
    testing::CapturedMessages captured;
    float value = 0;
    // Port power outside the analyzer's limits: the editor's message, nothing written.
    EXPECT_EQ(ApplyPlanValue(config_, PlanQuantity::PortPower, PlanCable::Both, Number(12)), 0);
    ASSERT_EQ(GetConfigPower(config_, &value), 1);
    EXPECT_EQ(value, 0.0f);
    // An IF bandwidth the analyzer does not offer.
    EXPECT_EQ(ApplyPlanValue(config_, PlanQuantity::IFBandwidth, PlanCable::Both, Number(123)), 0);
    // An analyzer whose limits exclude the configuration's power (the 67 GHz one ends at 8 dBm).
    ASSERT_EQ(SetConfigPower(config_, 9.0f), 1);
    EXPECT_EQ(ApplyPlanValue(config_, PlanQuantity::Analyzer, PlanCable::Both, Name("VNA 67 GHz")),
              0);
    EXPECT_EQ(captured.errors(),
              (std::vector<std::string>{"Port power is greater than the maximum of 10.0 dBm.",
                                        "The analyzer does not offer an IF bandwidth of 123.0 Hz.",
                                        "Port power is greater than the maximum of 8.0 dBm."}));
    char name[128] = {};
    ASSERT_EQ(GetConfigVNAName(config_, name, sizeof name), 1);
    EXPECT_STREQ(name, "VNA 26.5 GHz");

    // Accepted values: both cables, or one.
    ASSERT_EQ(ApplyPlanValue(config_, PlanQuantity::CableLength, PlanCable::Both, Number(1.5)), 1);
    ASSERT_EQ(ApplyPlanValue(config_, PlanQuantity::CableLength, PlanCable::Cable2, Number(2)), 1);
    float cable1 = 0, cable2 = 0;
    ASSERT_TRUE(GetConfigCableLength(config_, 1, &cable1) &&
                GetConfigCableLength(config_, 2, &cable2));
    EXPECT_EQ(cable1, 1.5f);
    EXPECT_EQ(cable2, 2.0f);
    EXPECT_EQ(ApplyPlanValue(config_, PlanQuantity::Averaging, PlanCable::Both, Number(1024)), 1);
    EXPECT_EQ(CurrentPlanValue(config_, PlanQuantity::Averaging, PlanCable::Both), Number(1024));
}

TEST(PlanText, PointsAndValuesAsTyped) {
    const auto point = ParsePlanPoint("2.5:-20:s21", PlanPort::Reflection);
    ASSERT_TRUE(point.has_value());
    EXPECT_EQ(point->frequencyHz, 2.5e9);
    EXPECT_EQ(point->dutDb, -20.0f);
    EXPECT_EQ(point->port, PlanPort::Transmission);
    EXPECT_EQ(ParsePlanPoint("10:-3", PlanPort::Transmission)->port, PlanPort::Transmission);
    for (const char* bad : {"10", "0:-20", "-1:-20", "x:-20", "10:", "10:-20:S12", "10:-20x"})
        EXPECT_FALSE(ParsePlanPoint(bad, PlanPort::Reflection).has_value()) << bad;

    EXPECT_EQ(ParsePlanValue(PlanQuantity::Averaging, " 16 "), Number(16));
    EXPECT_FALSE(ParsePlanValue(PlanQuantity::Averaging, "1.5").has_value());
    EXPECT_FALSE(ParsePlanValue(PlanQuantity::Averaging, "0").has_value());
    EXPECT_FALSE(ParsePlanValue(PlanQuantity::IFBandwidth, "10k").has_value());
    EXPECT_EQ(ParsePlanValue(PlanQuantity::CalKit, " Kit A "), Name("Kit A"));
    EXPECT_EQ(PlanQuantityFromKeyword("cable-length"), PlanQuantity::CableLength);
    EXPECT_FALSE(PlanQuantityFromKeyword("IFBW").has_value());
}

} // namespace
} // namespace tolvane
