#include "engine/compute_model.h"

#include "core/bulk_array.h"
#include "core/owned.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/dut.h"
#include "components/vna.h"
#include "engine/model.h"
#include "engine/uncertainty.h"
#include "support/allocation_failure.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Strings = std::vector<std::string>;

struct Entry {
    float nominal = -1.0f, upper = -1.0f, phase = -1.0f;
};

Entry Refl(const UncertaintyInfo* results, int i = 0, int j = 0) {
    Entry e;
    EXPECT_EQ(GetUncertaintyRefl(results, i, j, &e.nominal, &e.upper, &e.phase), 1);
    return e;
}
Entry Trans(const UncertaintyInfo* results, int i = 0, int j = 0) {
    Entry e;
    EXPECT_EQ(GetUncertaintyTrans(results, i, j, &e.nominal, &e.upper, &e.phase), 1);
    return e;
}

// Sets one term to a constant over the quiet model's span.
void SetTerm(ModelInfo* model, ModelTerm term, float value) {
    testing::FillTable(testing::TermTable(model, term), {{1e9, value}, {2e9, value}});
}

void SetFactor(ModelInfo* model, CoverageFactor which, float value) {
    model->dut->coverageFactors[static_cast<std::size_t>(which)] = value;
}

// asin(0.1) in degrees: the phase of a 10 % magnitude bound.
constexpr double kAsinTenthDeg = 5.7391704772667866;

class ComputeModelTest : public ::testing::Test {
protected:
    void SetUp() override { SetCoverageTraceStream(nullptr); }
    void TearDown() override { SetCoverageTraceStream(stdout); }

    // Computes the model into `results_`, expecting success and no message.
    void Compute(ModelInfo* model) {
        testing::CapturedMessages captured;
        ASSERT_EQ(ComputeModel(model, results_.get()), 1);
        EXPECT_TRUE(captured.all().empty()) << captured.all()[0].text;
    }

    Owned<ModelInfo> model_ = testing::QuietModel();
    Owned<UncertaintyInfo> results_{CreateUncertaintyInfo()};
};

TEST(Conversions, FollowTheSignConventionsOfTheTerms) {
    EXPECT_FLOAT_EQ(DBToLinear(-20.0f), 0.1f);
    EXPECT_FLOAT_EQ(DBToLinear(20.0f), 10.0f);
    EXPECT_FLOAT_EQ(LossToLinear(40.0f), 0.01f);
    EXPECT_EQ(LossToLinear(40.0f), LossToLinear(-40.0f));
    EXPECT_FLOAT_EQ(GainToLinear(20.0f), 10.0f);
    EXPECT_EQ(GainToLinear(0.1f), GainToLinear(-0.1f));
    EXPECT_FLOAT_EQ(DBmToWatts(0.0f), 1e-3f);
    EXPECT_FLOAT_EQ(DBmToWatts(-80.0f), 1e-11f);
    EXPECT_EQ(LinearToDB(0.0f), -200.0f);
    EXPECT_FLOAT_EQ(LinearToDB(-0.1f), -20.0f);
}

TEST(CascadeTwoPorts, ConnectsTheSecondBehindTheFirst) {
    const TwoPort a = MakeTwoPort(0.1f, 0.9f, 0.8f, 0.5f);
    const TwoPort b = MakeTwoPort(0.2f, 0.7f, 0.6f, 0.3f);
    const TwoPort c = CascadeTwoPorts(a, b);
    const double d = 1.0 - 0.5f * 0.2f; // 0.9
    EXPECT_FLOAT_EQ(c.s11, static_cast<float>(0.1 + 0.9 * 0.8 * 0.2 / d));
    EXPECT_FLOAT_EQ(c.s12, static_cast<float>(0.9 * 0.7 / d));
    EXPECT_FLOAT_EQ(c.s21, static_cast<float>(0.8 * 0.6 / d));
    EXPECT_FLOAT_EQ(c.s22, static_cast<float>(0.3 + 0.7 * 0.6 * 0.5 / d));
}

TEST(TermTwoPorts, PlaceEachTermWhereItActsOverItsOwnFactor) {
    // Every factor distinct, so that a term divided by another term's factor is seen.
    const CoverageFactors k{2, 4, 5, 8, 10, 16, 20, 25, 32, 40, 50, 64};
    // Loss-type terms divide by their factor; gain-type terms divide their deviation from 1.
    const TwoPort load = LoadSideTwoPort(20.0f, 20.0f, k);
    EXPECT_FLOAT_EQ(load.s11, 0.1f / 5);
    EXPECT_FLOAT_EQ(load.s21, 1.0f + 9.0f / 10);
    EXPECT_EQ(load.s12, 0.0f);
    EXPECT_EQ(load.s22, 0.0f);
    const TwoPort cable = CableDriftTwoPort(-20.0f, k);
    EXPECT_FLOAT_EQ(cable.s12, 1.0f + 9.0f / 25);
    EXPECT_EQ(cable.s12, cable.s21);
    EXPECT_EQ(cable.s11, 0.0f);
    // The transmission repeatability is added to 1, not a deviation of a gain.
    const TwoPort connector = ConnectorTwoPort(40.0f, 20.0f, k);
    EXPECT_FLOAT_EQ(connector.s11, 0.01f / 32);
    EXPECT_FLOAT_EQ(connector.s21, 1.0f + 0.1f / 32);
    EXPECT_EQ(connector.s22, connector.s11);
    EXPECT_EQ(connector.s12, connector.s21);
    const TwoPort source = SourceSideTwoPort(20.0f, -20.0f, 40.0f, k);
    EXPECT_FLOAT_EQ(source.s11, 0.1f / 2);
    EXPECT_FLOAT_EQ(source.s12, 1.0f + 9.0f / 8);
    EXPECT_EQ(source.s21, 1.0f);
    EXPECT_FLOAT_EQ(source.s22, 0.01f / 4);
}

TEST_F(ComputeModelTest, WithoutErrorTermsTheBoundIsTheNominalMagnitude) {
    Compute(model_.get());
    const Entry r = Refl(results_.get());
    EXPECT_FLOAT_EQ(r.nominal, 0.1f);
    EXPECT_FLOAT_EQ(r.upper, 0.1f);
    EXPECT_NEAR(r.phase, 0.0f, 1e-6);
    // A reflection-only DUT also gets transmission results, at S21 = -140 dB.
    const Entry t = Trans(results_.get());
    EXPECT_FLOAT_EQ(t.nominal, 1e-7f);
    EXPECT_FLOAT_EQ(t.upper, 1e-7f);
    EXPECT_NEAR(t.phase, 0.0f, 1e-4);
    EXPECT_EQ(results_->type, DUT_REFLECTION_ONLY);
    EXPECT_EQ(results_->numFreqs, 1);
    EXPECT_EQ(results_->numDUTValues, 1);
    EXPECT_EQ(results_->frequenciesHz[0], 1.5e9);
}

TEST_F(ComputeModelTest, DirectivityOf40DbGivesTenPercent) {
    SetTerm(model_.get(), kTermDirectivity, 40.0f);
    Compute(model_.get());
    Entry r = Refl(results_.get());
    EXPECT_FLOAT_EQ(r.upper, 0.11f);
    EXPECT_NEAR(r.phase, kAsinTenthDeg, 1e-5);
    EXPECT_NEAR(LinearToDB(r.upper) - LinearToDB(r.nominal), 0.8278537, 1e-5);

    // The factor divides the term and k multiplies the combination.
    SetFactor(model_.get(), kCoverageDirectivity, 2.0f);
    SetFactor(model_.get(), kCoverageK, 2.0f);
    Compute(model_.get());
    r = Refl(results_.get());
    EXPECT_FLOAT_EQ(r.upper, 0.11f);
    EXPECT_NEAR(r.phase, kAsinTenthDeg, 1e-5);

    // A loss-type term means the same stored as -40.
    SetTerm(model_.get(), kTermDirectivity, -40.0f);
    Compute(model_.get());
    EXPECT_FLOAT_EQ(Refl(results_.get()).upper, 0.11f);
}

TEST_F(ComputeModelTest, ReceiverNoiseScalesWithBandwidthAndAveraging) {
    SetTerm(model_.get(), kTermReceiverNoise, 80.0f); // -80 dBm against a -20 dBm signal
    Compute(model_.get());
    EXPECT_FLOAT_EQ(Refl(results_.get()).upper, 0.1001f);

    // Twice the bandwidth raises the noise power by 3.01 dB: sqrt(2) times the amplitude.
    ASSERT_EQ(SetModelIFBW(model_.get(), 2000.0f), 1);
    Compute(model_.get());
    EXPECT_FLOAT_EQ(Refl(results_.get()).upper, static_cast<float>(0.1 + 1e-4 * std::sqrt(2.0)));

    // Twice the averaging lowers it by the same amount.
    ASSERT_EQ(SetModelIFBW(model_.get(), 1000.0f), 1);
    ASSERT_EQ(SetModelAverages(model_.get(), 2), 1);
    Compute(model_.get());
    EXPECT_FLOAT_EQ(Refl(results_.get()).upper, static_cast<float>(0.1 + 1e-4 / std::sqrt(2.0)));

    // The noise-floor factor divides the noise amplitude.
    ASSERT_EQ(SetModelAverages(model_.get(), 1), 1);
    SetFactor(model_.get(), kCoverageNoiseFloor, 4.0f);
    Compute(model_.get());
    EXPECT_FLOAT_EQ(Refl(results_.get()).upper, 0.100025f);
}

TEST_F(ComputeModelTest, GainTermsMeanTheSameDeviationEitherSign) {
    // 1 dB of reflection tracking, source uncertainty or receiver uncertainty: 12.2 % high.
    const float high = static_cast<float>(0.1 * std::pow(10.0, 1.0 / 20.0));
    for (const float db : {1.0f, -1.0f}) {
        Owned<ModelInfo> model = testing::QuietModel();
        SetTerm(model.get(), kTermReflectionTracking, db);
        Compute(model.get());
        EXPECT_FLOAT_EQ(Refl(results_.get()).upper, high);

        model = testing::QuietModel();
        SetTerm(model.get(), kTermSourceUncertainty, db);
        Compute(model.get());
        EXPECT_FLOAT_EQ(Refl(results_.get()).upper, high);
    }
}

TEST_F(ComputeModelTest, ReceiverUncertaintyIsLookedUpAtTheSignalPowerAtTheReceiver) {
    // 1 dB at -20 dBm (the reflected signal); the table ends at -10 dBm, below the port power,
    // so a lookup at the port power would fail. The transmitted signal of -140 dBm lies below
    // the table and takes its first value.
    testing::FillTable(model_->vna->src, {{-30.0, 0.0f}, {-10.0, 2.0f}});
    Compute(model_.get());
    EXPECT_FLOAT_EQ(Refl(results_.get()).upper, static_cast<float>(0.1 * std::pow(10.0, 0.05)));
    EXPECT_FLOAT_EQ(Trans(results_.get()).upper, 1e-7f);
}

TEST_F(ComputeModelTest, MatchTermsEnterTheTransmissionThroughTheCascades) {
    // A matched -20 dB two-port between a 20 dB source match and a 20 dB load match: the load
    // match reflected through the DUT (1e-4 = 0.1 x 0.1 x 0.01) meets the source match in the
    // last cascade's denominator, d = 1 - 0.1 x 1.0001e-3.
    ASSERT_EQ(SetDUTType(model_->dut, DUT_TRANSMISSION_ONLY), 1);
    ASSERT_EQ(SetDUTTransNumValues(model_->dut, 1), 1);
    ASSERT_EQ(SetDUTTransMin(model_->dut, -20.0f), 1);
    ASSERT_EQ(SetDUTTransMax(model_->dut, -20.0f), 1);
    SetTerm(model_.get(), kTermSourceMatch, 20.0f);
    SetTerm(model_.get(), kTermLoadMatch, 20.0f);
    Compute(model_.get());
    const double x = 0.1 * (1e-7 + 0.1 * 0.1 * 0.1 / (1.0 - 1e-7 * 0.1));
    EXPECT_NEAR(Trans(results_.get()).upper, 0.1 / (1.0 - x), 1.5e-8);
    EXPECT_EQ(results_->type, DUT_TRANSMISSION_ONLY);

    // Crosstalk adds root-sum-square to the transmission only.
    SetTerm(model_.get(), kTermSourceMatch, 300.0f);
    SetTerm(model_.get(), kTermLoadMatch, 300.0f);
    SetTerm(model_.get(), kTermCrosstalk, 60.0f);
    Compute(model_.get());
    EXPECT_FLOAT_EQ(Trans(results_.get()).upper, 0.101f);
    EXPECT_NEAR(Trans(results_.get()).phase, std::asin(0.01) * 180.0 / M_PI, 1e-5);
    EXPECT_FLOAT_EQ(Refl(results_.get()).upper, 1e-7f);
}

TEST_F(ComputeModelTest, CablePhaseDriftAddsTwiceToReflectionAndOnceToTransmission) {
    SetTerm(model_.get(), kTermDirectivity, 40.0f);
    SetTerm(model_.get(), kTermCrosstalk, 140.0f);
    Compute(model_.get());
    const Entry r0 = Refl(results_.get());
    const Entry t0 = Trans(results_.get());

    SetTerm(model_.get(), kTermCable1PhaseDrift, 0.5f);
    SetTerm(model_.get(), kTermCable2PhaseDrift, 0.25f);
    Compute(model_.get());
    EXPECT_NEAR(Refl(results_.get()).phase - r0.phase, 1.0, 1e-5);
    EXPECT_NEAR(Trans(results_.get()).phase - t0.phase, 0.75, 1e-5);

    // The drift factor divides the phase drift; k does not multiply it.
    SetFactor(model_.get(), kCoverageDrift, 2.0f);
    SetFactor(model_.get(), kCoverageK, 3.0f);
    Compute(model_.get());
    EXPECT_NEAR(Refl(results_.get()).phase - std::asin(0.3) * 180.0 / M_PI, 0.5, 1e-5);
}

TEST_F(ComputeModelTest, ABoundOfMoreThanTwiceTheNominalGivesNinetyDegrees) {
    SetTerm(model_.get(), kTermDirectivity, 10.0f);
    SetTerm(model_.get(), kTermCable1PhaseDrift, 0.5f);
    Compute(model_.get());
    EXPECT_GT(Refl(results_.get()).upper, 0.2f);
    EXPECT_FLOAT_EQ(Refl(results_.get()).phase, 91.0f);
}

TEST_F(ComputeModelTest, SweepsRunOverEveryFrequencyAndDUTValue) {
    testing::SetFrequencies(model_.get(), {1e9, 1.5e9, 2e9});
    ASSERT_EQ(SetDUTReflNumValues(model_->dut, 3), 1);
    ASSERT_EQ(SetDUTReflMin(model_->dut, -40.0f), 1);
    ASSERT_EQ(SetDUTReflMax(model_->dut, 0.0f), 1);
    // Directivity from 40 dB at 1 GHz to 20 dB at 2 GHz: 0.01, 0.055 and 0.1 absolute.
    testing::FillTable(testing::TermTable(model_.get(), kTermDirectivity),
                       {{1e9, 40.0f}, {2e9, 20.0f}});
    Compute(model_.get());
    ASSERT_EQ(results_->numFreqs, 3);
    ASSERT_EQ(results_->numDUTValues, 3);
    const double directivity[] = {0.01, std::pow(10.0, -1.5), 0.1};
    const double nominal[] = {0.01, 0.1, 1.0};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const Entry r = Refl(results_.get(), i, j);
            EXPECT_FLOAT_EQ(r.nominal, static_cast<float>(nominal[j]));
            EXPECT_FLOAT_EQ(r.upper, static_cast<float>(nominal[j] + directivity[i]))
                << i << "," << j;
        }
}

TEST_F(ComputeModelTest, PreparationFailuresLeaveTheResultUntouched) {
    ASSERT_EQ(SetUncertaintyNumFreqs(results_.get(), 2), 1);
    ASSERT_EQ(SetUncertaintyNumDUTValues(results_.get(), 3), 1);
    ASSERT_EQ(InitializeUncertainty(results_.get()), 1);
    ASSERT_EQ(SetUncertaintyRefl(results_.get(), 1, 2, 0.5f, 0.6f, 7.0f), 1);

    struct Case {
        void (*spoil)(ModelInfo*);
        const char* message;
    };
    const Case cases[] = {
        {[](ModelInfo* m) { m->averages = 0; }, "ComputeModel: Invalid averaging factor."},
        {[](ModelInfo* m) { m->nrcAverages = 0; },
         "ComputeModel: Invalid averaging factor where NRc defined."},
        {[](ModelInfo* m) { m->ifBandwidthHz = 0.0f; }, "ComputeModel: Invalid IF bandwidth."},
        {[](ModelInfo* m) { m->nrcIfBandwidthHz = -1.0f; },
         "ComputeModel: Invalid IF bandwidth where NRc defined."},
        {[](ModelInfo* m) { m->numFreqs = 0; }, "ComputeModel: Invalid number of frequencies."},
        {[](ModelInfo* m) { m->dut->type = 4; }, "ComputeModel: Invalid DUT type."},
        {[](ModelInfo* m) { m->dut->reflNumValues = 0; },
         "ComputeModel: Invalid number of DUT values."},
    };
    for (const Case& c : cases) {
        Owned<ModelInfo> model = testing::QuietModel();
        c.spoil(model.get());
        testing::CapturedMessages captured;
        EXPECT_EQ(ComputeModel(model.get(), results_.get()), 0);
        EXPECT_EQ(captured.errors(), Strings{c.message});
        EXPECT_EQ(results_->numFreqs, 2);
        EXPECT_EQ(Refl(results_.get(), 1, 2).upper, 0.6f);
    }

    testing::CapturedMessages captured;
    EXPECT_EQ(ComputeModel(model_.get(), nullptr), 0);
    EXPECT_EQ(ComputeModel(nullptr, results_.get()), 0);
    model_->dut.reset();
    EXPECT_EQ(ComputeModel(model_.get(), results_.get()), 0);
    EXPECT_EQ(captured.errors(), (Strings{
                                     "ComputeModel: NULL pointer to the uncertainty data.",
                                     "CheckModel: NULL info pointer.",
                                     "GetDUTParam: NULL info pointer.",
                                     "ComputeModel: Error in a called routine.",
                                 }));
}

TEST_F(ComputeModelTest, AnAllocationFailureIsReportedBeforeTheResultIsTouched) {
    Compute(model_.get());
    testing::CapturedMessages captured;
    {
        // The terms of the DUT values are the computation's first allocation.
        testing::ScopedAllocationFailure failure(0);
        EXPECT_EQ(ComputeModel(model_.get(), results_.get()), 0);
    }
    EXPECT_EQ(captured.errors(), Strings{"ComputeModel: error allocating memory."});
    EXPECT_FLOAT_EQ(Refl(results_.get()).upper, 0.1f);
}

TEST_F(ComputeModelTest, ASweepBeyondTheMachinesMemoryIsRefusedBeforeAllocating) {
    Compute(model_.get());
    // One frequency: 10 doubles of DUT-value terms and 6 floats of results for each value, in
    // all just over the physical memory, each part well below it.
    const std::size_t values =
        PhysicalMemoryBytes() / (10 * sizeof(double) + 6 * sizeof(float)) + 1;
    if (values > std::size_t{INT_MAX}) GTEST_SKIP() << "more memory than a DUT count can ask for";
    ASSERT_EQ(SetDUTReflNumValues(model_->dut, static_cast<int>(values)), 1);
    testing::CapturedMessages captured;
    EXPECT_EQ(ComputeModel(model_.get(), results_.get()), 0);
    EXPECT_EQ(captured.errors(), Strings{"ComputeModel: error allocating memory."});
    EXPECT_FLOAT_EQ(Refl(results_.get()).upper, 0.1f);
}

TEST_F(ComputeModelTest, AFailedDimensioningLeavesNoStaleResults) {
    Compute(model_.get());
    // Five frequencies announced, three set: the fourth is 0 Hz.
    testing::SetFrequencies(model_.get(), {1e9, 1.2e9, 1.4e9});
    model_->numFreqs = 5;
    model_->frequenciesHz[4] = 2e9;
    testing::CapturedMessages captured;
    EXPECT_EQ(ComputeModel(model_.get(), results_.get()), 0);
    float a = 0, b = 0, c = 0;
    EXPECT_EQ(GetUncertaintyRefl(results_.get(), 0, 0, &a, &b, &c), 0);
    EXPECT_EQ(captured.errors(), (Strings{
                                     "SetUncertaintyParam: Invalid frequency value.",
                                     "ComputeModel: Error in a called routine.",
                                     "GetUncertaintyParam: NULL pointer.",
                                 }));
}

TEST_F(ComputeModelTest, AFailingLookupKeepsWhatWasStoredBeforeIt) {
    // Reflection values -30, -20 and -10 dB at 0 dBm: the receiver table ends at -15 dBm, so the
    // third value fails at the first frequency, after two stored pairs.
    testing::SetFrequencies(model_.get(), {1e9, 2e9});
    ASSERT_EQ(SetDUTReflNumValues(model_->dut, 3), 1);
    ASSERT_EQ(SetDUTReflMin(model_->dut, -30.0f), 1);
    ASSERT_EQ(SetDUTReflMax(model_->dut, -10.0f), 1);
    testing::FillTable(model_->vna->src, {{-200.0, 0.0f}, {-15.0, 0.0f}});
    testing::CapturedMessages captured;
    EXPECT_EQ(ComputeModel(model_.get(), results_.get()), 0);
    EXPECT_EQ(captured.errors(), (Strings{"PVInterpolate: abscissa out of range.",
                                          "ComputeModel: Error in a called routine."}));
    EXPECT_FLOAT_EQ(Refl(results_.get(), 0, 0).upper, static_cast<float>(std::pow(10.0, -1.5)));
    EXPECT_FLOAT_EQ(Refl(results_.get(), 0, 1).upper, 0.1f);
    EXPECT_EQ(Refl(results_.get(), 0, 2).upper, 0.0f);
    EXPECT_EQ(Trans(results_.get(), 1, 0).upper, 0.0f);
}

TEST_F(ComputeModelTest, AResultThatIsNotAFiniteNumberFailsAtTheFirstSuchPoint) {
    testing::SetFrequencies(model_.get(), {1e9, 2e9});
    ASSERT_EQ(SetDUTReflNumValues(model_->dut, 3), 1);
    ASSERT_EQ(SetDUTReflMin(model_->dut, -30.0f), 1);
    ASSERT_EQ(SetDUTReflMax(model_->dut, -10.0f), 1);
    // A receiver deviation beyond single precision from -20 dBm on: the second DUT value of the
    // first frequency has an infinite bound; the first value keeps its result.
    testing::FillTable(model_->vna->src, {{-200.0, 0.0f}, {-25.0, 0.0f}, {0.0, 1e6f}});
    testing::CapturedMessages captured;
    EXPECT_EQ(ComputeModel(model_.get(), results_.get()), 0);
    EXPECT_EQ(captured.errors(), Strings{"ComputeModel: Result is not a finite number. Reflection "
                                         "at 1 GHz for DUT S11 = -20 dB."});
    EXPECT_FLOAT_EQ(Refl(results_.get(), 0, 0).upper, static_cast<float>(std::pow(10.0, -1.5)));
    EXPECT_EQ(Refl(results_.get(), 0, 1).upper, 0.0f);

    // A cable drift of a million dB at the second frequency (a cable a million metres long) makes
    // every transmission result there NaN; the whole first row stays.
    Owned<ModelInfo> model = testing::QuietModel();
    testing::SetFrequencies(model.get(), {1e9, 1.25e9});
    model->dut->type = DUT_TRANSMISSION_ONLY;
    ASSERT_EQ(SetDUTTransNumValues(model->dut, 2), 1);
    ASSERT_EQ(SetDUTTransMin(model->dut, -6.5f), 1);
    ASSERT_EQ(SetDUTTransMax(model->dut, 0.0f), 1);
    testing::FillTable(testing::TermTable(model.get(), kTermCable2MagnitudeDrift),
                       {{1e9, 0.0f}, {2e9, 4e6f}});
    captured.clear();
    EXPECT_EQ(ComputeModel(model.get(), results_.get()), 0);
    EXPECT_EQ(captured.errors(), Strings{"ComputeModel: Result is not a finite number. "
                                         "Transmission at 1.25 GHz for DUT S21 = -6.5 dB."});
    EXPECT_FLOAT_EQ(Trans(results_.get(), 0, 1).upper, 1.0f);
    EXPECT_EQ(Trans(results_.get(), 1, 0).upper, 0.0f);
}

TEST_F(ComputeModelTest, AFrequencyTableWithoutALookupRuleFailsAtTheFirstPoint) {
    FVInfo* table = testing::TermTable(model_.get(), kTermCable2MagnitudeDrift);
    ASSERT_EQ(SetFVInterpType(table, INTERP_SMOOTH_FIT), 1);
    testing::CapturedMessages captured;
    EXPECT_EQ(ComputeModel(model_.get(), results_.get()), 0);
    EXPECT_EQ(captured.errors(), (Strings{"GetFVValue: invalid interpolation type.",
                                          "ComputeModel: Error in a called routine."}));
    EXPECT_EQ(Refl(results_.get()).upper, 0.0f);
}

TEST_F(ComputeModelTest, TracesTheCoverageFactorsToTheChosenStream) {
    std::FILE* trace = std::tmpfile();
    ASSERT_NE(trace, nullptr);
    SetCoverageTraceStream(trace);
    ASSERT_EQ(SetDUTCoverageFactors(model_->dut, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 2.25f), 1);
    EXPECT_EQ(ComputeModel(model_.get(), nullptr), 0); // the trace comes before this check
    std::rewind(trace);
    std::string text;
    for (int c = std::fgetc(trace); c != EOF; c = std::fgetc(trace))
        text.push_back(char(c));
    std::fclose(trace);
    EXPECT_EQ(text, "directivity = 1.0 \nSM = 2.0 \nLM = 3.0 \nRT = 4.0 \nTT = 5.0 \n"
                    "crosstalk = 6.0 \nnoise floor = 7.0 \ndrift = 8.0 \n"
                    "connector repeatability = 9.0 \nsource uncertainty = 10.0 \n"
                    "receiver uncertainty = 11.0 \nk factor = 2.2 \n");
}

} // namespace
} // namespace tolvane
