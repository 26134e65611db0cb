#include "engine/measured_dut.h"
#include "engine/measured_methods.h"

#include "components/dut.h"
#include "engine/compute_commands.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/program_state.h"
#include "engine/uncertainty.h"
#include "files/config_file.h"
#include "files/database_file.h"
#include "files/startup.h"

#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tolvane {
namespace {

constexpr double kGHz = 1e9;
const double kMinusInfinity = -std::numeric_limits<double>::infinity();

/// The three values of one result, compared by their bits.
struct Triple {
    float nominal = 0, upper = 0, phase = 0;
    bool operator==(const Triple& o) const {
        return std::bit_cast<std::uint32_t>(nominal) == std::bit_cast<std::uint32_t>(o.nominal) &&
               std::bit_cast<std::uint32_t>(upper) == std::bit_cast<std::uint32_t>(o.upper) &&
               std::bit_cast<std::uint32_t>(phase) == std::bit_cast<std::uint32_t>(o.phase);
    }
};
void PrintTo(const Triple& t, std::ostream* os) {
    *os << std::hexfloat << "(" << t.nominal << ", " << t.upper << ", " << t.phase << ")";
}

Triple Of(const MeasuredBounds& b) {
    return {b.nominal, b.upperBound, b.phaseDeg};
}

MeasuredPoint Point(double frequencyHz, double s11Db, double s21Db = 0, double s12Db = 0,
                    double s22Db = 0) {
    MeasuredPoint p;
    p.frequencyHz = frequencyHz;
    p.s[Index(SParameter::S11)] = {s11Db, 10.0};
    p.s[Index(SParameter::S21)] = {s21Db, -20.0};
    p.s[Index(SParameter::S12)] = {s12Db, -30.0};
    p.s[Index(SParameter::S22)] = {s22Db, 40.0};
    return p;
}

/// The shipped database and default configuration, with cable 2 made unlike cable 1 so that
/// exchanging the cables shows.
class MeasuredDUTTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCoverageTraceStream(nullptr);
        ASSERT_EQ(CreateProgramState(), 1);
        const std::string data = TOLVANE_SHIPPED_DATA_DIR;
        ASSERT_EQ(ReadUncertaintyFile((data + "/uncdata.unc").c_str()), 1);
        config_ = CreateConfigInfo();
        GlobalProgramState().currentConfig = config_; // destroyed by ShutDown
        ASSERT_EQ(ReadConfigFile(config_, (data + "/default.cfg").c_str()), 1);
        ASSERT_TRUE(SetConfigDielName(config_, 2, "PTFE Phase Stable") &&
                    SetConfigCableLength(config_, 2, 2.0f) && SetConfigTempVar(config_, 3.0f));
    }
    void TearDown() override {
        ShutDown();
        SetCoverageTraceStream(stdout);
    }

    /// What "Compute Configuration" gives for a user-defined DUT of these values at the one
    /// frequency, on `config` as it is: the reflection and the transmission result.
    int computeConfigurationAt(double frequencyHz, float s11, float s12, float s21, float s22,
                               const MethodOptions& method = {}) {
        DUTInfo* dut = nullptr;
        EXPECT_TRUE(GetConfigDUT(config_, &dut) && SetDUTType(dut, DUT_USER_DEFINED) &&
                    SetDUTFreqSweep(dut, 0) && SetDUTUserSParams(dut, s11, s12, s21, s22) &&
                    SetConfigNumFreqs(config_, 1) && SetConfigFreq(config_, 0, frequencyHz));
        return ComputeConfigurationCommand(config_, method);
    }

    std::pair<Triple, Triple> configurationAt(double frequencyHz, float s11, float s12, float s21,
                                              float s22, const MethodOptions& method = {}) {
        EXPECT_EQ(computeConfigurationAt(frequencyHz, s11, s12, s21, s22, method), 1);
        Triple r, t;
        EXPECT_EQ(GetUncertaintyRefl(CurrentResult(), 0, 0, &r.nominal, &r.upper, &r.phase), 1);
        EXPECT_EQ(GetUncertaintyTrans(CurrentResult(), 0, 0, &t.nominal, &t.upper, &t.phase), 1);
        return {r, t};
    }

    /// The same with the two cables exchanged, as the reverse direction sees the set-up.
    std::pair<Triple, Triple> reverseConfigurationAt(double frequencyHz, float s11, float s12,
                                                     float s21, float s22,
                                                     const MethodOptions& method = {}) {
        ConfigInfo* original = config_;
        ConfigInfo* swapped = CreateConfigInfo();
        EXPECT_EQ(ReadConfigFile(swapped, TOLVANE_SHIPPED_DATA_DIR "/default.cfg"), 1);
        EXPECT_TRUE(SetConfigDielName(swapped, 1, "PTFE Phase Stable") &&
                    SetConfigCableLength(swapped, 1, 2.0f) && SetConfigTempVar(swapped, 3.0f));
        config_ = swapped;
        const auto result = configurationAt(frequencyHz, s11, s12, s21, s22, method);
        config_ = original;
        (void)DestroyConfigInfo(swapped);
        return result;
    }

    ConfigInfo* config_ = nullptr;
};

TEST_F(MeasuredDUTTest, EveryPointIsBitForBitTheUserDefinedDUTAtThatOneFrequency) {
    Measurement twoPort{2,
                        {Point(0.05 * kGHz, -25.3, -0.41, -0.43, -31.7),
                         Point(1.2345678901 * kGHz, 0.0, -60.0, -58.2, -3.0),
                         Point(7.0 * kGHz, -200.0, 12.5, -200.0, -45.25),
                         Point(26.5 * kGHz, -12.0, -95.0, -90.0, -0.01)}};
    MeasuredResults results;
    ASSERT_EQ(ComputeMeasuredDUT(config_, twoPort, &results), 1);
    ASSERT_EQ(results.frequenciesHz.size(), twoPort.points.size());
    for (std::size_t i = 0; i < twoPort.points.size(); ++i) {
        SCOPED_TRACE(i);
        const MeasuredPoint& p = twoPort.points[i];
        const auto db = [&](SParameter s) { return static_cast<float>(p.s[Index(s)].magnitudeDb); };
        const float s11 = db(SParameter::S11), s21 = db(SParameter::S21);
        const float s12 = db(SParameter::S12), s22 = db(SParameter::S22);
        const auto [refl, trans] = configurationAt(p.frequencyHz, s11, s12, s21, s22);
        EXPECT_EQ(Of(results.bounds[Index(SParameter::S11)][i]), refl);
        EXPECT_EQ(Of(results.bounds[Index(SParameter::S21)][i]), trans);
        const auto [reverseRefl, reverseTrans] =
            reverseConfigurationAt(p.frequencyHz, s22, s21, s12, s11);
        EXPECT_EQ(Of(results.bounds[Index(SParameter::S22)][i]), reverseRefl);
        EXPECT_EQ(Of(results.bounds[Index(SParameter::S12)][i]), reverseTrans);
        // The cables differ, so the exchange is seen.
        EXPECT_NE(Of(results.bounds[Index(SParameter::S22)][i]).phase, refl.phase);
    }

    // A one-port: no transmission (-200 dB), reflection only.
    const Measurement onePort{1, {Point(3.0 * kGHz, -17.5)}};
    ASSERT_EQ(ComputeMeasuredDUT(config_, onePort, &results), 1);
    EXPECT_EQ(Of(results.bounds[Index(SParameter::S11)][0]),
              configurationAt(3.0 * kGHz, -17.5f, -200.0f, -200.0f, -200.0f).first);
    EXPECT_FALSE(results.has(SParameter::S21) || results.has(SParameter::S22));
}

// An RSS or Monte Carlo bound of a measured point is, bit for bit, what the configuration gives by
// that method at that one frequency for a user-defined DUT of the measured values (the reverse
// direction with the cables exchanged); RSS never lies above the worst case, and Monte Carlo
// gives the same bounds again from the same seed.
TEST_F(MeasuredDUTTest, MethodBoundsAreTheConfigurationsByThatMethodAtEachPoint) {
    const Measurement m{2,
                        {Point(0.05 * kGHz, -25.3, -0.41, -0.43, -31.7),
                         Point(7.0 * kGHz, -200.0, 12.5, -200.0, -45.25),
                         Point(26.5 * kGHz, -12.0, -95.0, -90.0, -0.01)}};
    MeasuredResults worst;
    ASSERT_EQ(ComputeMeasuredDUT(config_, m, &worst), 1);
    MethodOptions rss, monteCarlo;
    rss.method = UncertaintyMethod::Rss;
    monteCarlo.method = UncertaintyMethod::MonteCarlo;
    monteCarlo.monteCarlo = {1000, 5};
    monteCarlo.threads = 2;
    for (const MethodOptions& method : {rss, monteCarlo}) {
        SCOPED_TRACE(UncertaintyMethodName(method.method));
        MeasuredResults results;
        ASSERT_EQ(ComputeMeasuredByMethod(config_, m, method, &results), 1);
        int replaced = 0; // a noise-dominated bound may round to the worst case's
        for (std::size_t i = 0; i < m.points.size(); ++i) {
            SCOPED_TRACE(i);
            const auto bound = [&](SParameter s) { return Of(results.bounds[Index(s)][i]); };
            const MeasuredDUTValues v = ForwardDUTValues(m.points[i], 2);
            const double f = m.points[i].frequencyHz;
            const auto [refl, trans] = configurationAt(f, v.s11, v.s12, v.s21, v.s22, method);
            EXPECT_EQ(bound(SParameter::S11), refl);
            EXPECT_EQ(bound(SParameter::S21), trans);
            const auto [reverseRefl, reverseTrans] =
                reverseConfigurationAt(f, v.s22, v.s21, v.s12, v.s11, method);
            EXPECT_EQ(bound(SParameter::S22), reverseRefl);
            EXPECT_EQ(bound(SParameter::S12), reverseTrans);
            for (SParameter s : kAllSParameters) {
                const MeasuredBounds& w = worst.bounds[Index(s)][i];
                EXPECT_EQ(bound(s).nominal, w.nominal);
                replaced += bound(s).upper != w.upperBound ? 1 : 0;
                if (method.method == UncertaintyMethod::Rss) {
                    EXPECT_LE(bound(s).upper, w.upperBound);
                }
            }
        }
        EXPECT_GE(replaced, 9);
    }
    MeasuredResults first, again, reseeded;
    ASSERT_EQ(ComputeMeasuredByMethod(config_, m, monteCarlo, &first), 1);
    monteCarlo.threads = 1;
    ASSERT_EQ(ComputeMeasuredByMethod(config_, m, monteCarlo, &again), 1);
    monteCarlo.monteCarlo.seed = 6;
    ASSERT_EQ(ComputeMeasuredByMethod(config_, m, monteCarlo, &reseeded), 1);
    for (SParameter s : kAllSParameters)
        for (std::size_t i = 0; i < m.points.size(); ++i) {
            EXPECT_EQ(Of(again.bounds[Index(s)][i]), Of(first.bounds[Index(s)][i]));
            EXPECT_NE(reseeded.bounds[Index(s)][i].upperBound,
                      first.bounds[Index(s)][i].upperBound);
        }
}

TEST_F(MeasuredDUTTest, BoundsAreTheUpperBoundAndItsMirrorBelowTheNominal) {
    const Measurement m{2, {Point(10.0 * kGHz, -20.0, -200.0, -3.0, -10.0)}};
    MeasuredResults results;
    ASSERT_EQ(ComputeMeasuredDUT(config_, m, &results), 1);
    for (SParameter s : kAllSParameters) {
        const MeasuredBounds& b = results.bounds[Index(s)][0];
        EXPECT_EQ(b.measuredDb, static_cast<float>(m.points[0].s[Index(s)].magnitudeDb));
        EXPECT_EQ(b.measuredDeg, m.points[0].s[Index(s)].angleDeg);
        EXPECT_DOUBLE_EQ(b.upperDb, 20 * std::log10(double(b.upperBound)));
        const double below = 2.0 * b.nominal - b.upperBound;
        if (below > 0)
            EXPECT_DOUBLE_EQ(b.lowerDb, 20 * std::log10(below));
        else
            EXPECT_EQ(b.lowerDb, kMinusInfinity);
        EXPECT_LT(b.lowerDb, b.measuredDb);
        EXPECT_GT(b.upperDb, b.measuredDb);
    }
    // A magnitude of 0 lies far below the noise: the upper bound is more than twice the nominal.
    EXPECT_EQ(results.bounds[Index(SParameter::S21)][0].lowerDb, kMinusInfinity);
    EXPECT_EQ(results.setUp, "VNA 26.5 GHz / 3.5 mm Fixed Load SOLT");
}

TEST_F(MeasuredDUTTest, FrequencyOutsideTheTablesStopsWithTheConfigurationsMessages) {
    std::vector<testing::CapturedMessages::Message> expected;
    {
        testing::CapturedMessages captured;
        EXPECT_EQ(computeConfigurationAt(30.0 * kGHz, -20, -20, -20, -20), 0);
        expected = captured.all();
    }
    ASSERT_EQ(expected.size(), 2u); // the range message and the advice
    testing::CapturedMessages captured;
    MeasuredResults results;
    results.numPorts = 7; // untouched on failure
    const Measurement m{1, {Point(1.0 * kGHz, -20.0), Point(30.0 * kGHz, -20.0)}};
    EXPECT_EQ(ComputeMeasuredDUT(config_, m, &results), 0);
    EXPECT_EQ(captured.all(), expected);
    EXPECT_EQ(results.numPorts, 7);
}

Limit MakeLimit(SParameter p, Limit::Kind kind, double db, double startGHz, double stopGHz) {
    return {p, kind, db, startGHz * kGHz, stopGHz * kGHz};
}

TEST(Verdict, FollowsTheIntervalAndTheMeasuredValue) {
    const Limit max = MakeLimit(SParameter::S11, Limit::Kind::Max, -15, 1, 6);
    const Limit min = MakeLimit(SParameter::S21, Limit::Kind::Min, -1, 1, 6);
    struct Case {
        const Limit& limit;
        double measured, lower, upper;
        Verdict verdict;
    };
    const Case cases[] = {
        {max, -20, -21, -15, Verdict::Pass}, // on the limit meets it
        {max, -16, -17, -14, Verdict::ConditionalPass},
        {max, -15, -16, -14, Verdict::ConditionalPass},
        {max, -14, -15.5, -13, Verdict::ConditionalFail},
        {max, -14, -14.9, -13, Verdict::Fail},
        {max, -30, kMinusInfinity, -20, Verdict::Pass},
        {min, -0.5, -0.9, -0.1, Verdict::Pass},
        {min, -0.9, -1.1, -0.7, Verdict::ConditionalPass},
        {min, -1.1, -1.3, -0.9, Verdict::ConditionalFail},
        {min, -2.0, -2.5, -1.5, Verdict::Fail},
        {min, -0.5, kMinusInfinity, -0.1, Verdict::ConditionalPass},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.measured);
        EXPECT_EQ(JudgeAgainstLimit(c.limit, c.measured, c.lower, c.upper), c.verdict);
    }
    EXPECT_TRUE(IsAccepted(Verdict::Pass, DecisionRule::Guarded));
    EXPECT_FALSE(IsAccepted(Verdict::ConditionalPass, DecisionRule::Guarded));
    EXPECT_TRUE(IsAccepted(Verdict::ConditionalPass, DecisionRule::Simple));
    EXPECT_FALSE(IsAccepted(Verdict::ConditionalFail, DecisionRule::Simple));
    EXPECT_TRUE(IsAccepted(Verdict::None, DecisionRule::Guarded));
}

TEST(Verdict, MeasurementTakesTheWorstVerdictAndMarginOverTheLimitsInRange) {
    MeasuredResults r;
    r.numPorts = 2;
    r.frequenciesHz = {0.5 * kGHz, 2 * kGHz, 4 * kGHz};
    const auto bounds = [](float measured, double lower, double upper) {
        MeasuredBounds b;
        b.measuredDb = measured;
        b.lowerDb = lower;
        b.upperDb = upper;
        return b;
    };
    // S11: outside the range, a clear pass, a conditional pass 0.5 dB over the limit.
    r.bounds[Index(SParameter::S11)] = {bounds(-5, -6, -4), bounds(-25, -26, -24),
                                        bounds(-15.5, -16, -14.5)};
    r.bounds[Index(SParameter::S21)] = {bounds(-0.5, -0.6, -0.4), bounds(-0.5, -0.6, -0.4),
                                        bounds(-0.5, -0.6, -0.4)};
    const std::vector<Limit> limits{MakeLimit(SParameter::S11, Limit::Kind::Max, -15, 1, 6),
                                    MakeLimit(SParameter::S11, Limit::Kind::Max, -20, 3.5, 4.5),
                                    MakeLimit(SParameter::S22, Limit::Kind::Max, -20, 0, 10)};
    JudgeMeasurement(limits, DecisionRule::Simple, &r);
    const auto& s11 = r.bounds[Index(SParameter::S11)];
    EXPECT_EQ(s11[0].verdict, Verdict::None);
    EXPECT_EQ(s11[1].verdict, Verdict::Pass);
    EXPECT_EQ(s11[2].verdict, Verdict::Fail); // -20 dB over 3.5 to 4.5 GHz: the worst of two
    EXPECT_EQ(r.summary.overall, Verdict::Fail);
    EXPECT_FALSE(r.summary.accepted);
    EXPECT_TRUE(r.summary.limitsApply);
    EXPECT_DOUBLE_EQ(r.summary.worst.marginDb, -20 - -14.5);
    EXPECT_EQ(r.summary.worst.frequencyHz, 4 * kGHz);
    EXPECT_EQ(r.summary.worst.limit.limitDb, -20);

    JudgeMeasurement(std::span<const Limit>(limits).first(1), DecisionRule::Simple, &r);
    EXPECT_EQ(r.summary.overall, Verdict::ConditionalPass);
    EXPECT_TRUE(r.summary.accepted);
    EXPECT_DOUBLE_EQ(r.summary.worst.marginDb, -0.5);
    JudgeMeasurement(std::span<const Limit>(limits).first(1), DecisionRule::Guarded, &r);
    EXPECT_FALSE(r.summary.accepted);

    JudgeMeasurement(std::span<const Limit>(limits).last(1), DecisionRule::Guarded, &r);
    EXPECT_FALSE(r.summary.limitsApply);
    EXPECT_TRUE(r.summary.accepted);
}

} // namespace
} // namespace tolvane
