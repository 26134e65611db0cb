#include "engine/uncertainty_methods.h"

#include "components/vna.h"
#include "engine/budget.h"
#include "engine/uncertainty.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"

#include <gtest/gtest.h>

#include <memory>

namespace tolvane {
namespace {

// Terms of every kind, growing with frequency, at three frequencies; coverage factors of 2.
Owned<ModelInfo> SweepModel(int dutType) {
    Owned<ModelInfo> model = testing::QuietModel();
    const std::pair<ModelTerm, std::pair<float, float>> terms[] = {
        {kTermDirectivity, {46, 34}},
        {kTermSourceMatch, {40, 30}},
        {kTermReflectionTracking, {0.02f, 0.1f}},
        {kTermLoadMatch, {42, 32}},
        {kTermTransmissionTracking, {0.03f, 0.1f}},
        {kTermCrosstalk, {110, 90}},
        {kTermSourceUncertainty, {0.01f, 0.05f}},
        {kTermReceiverNoise, {110, 95}},
        {kTermCable1MagnitudeDrift, {0, 0.04f}},
        {kTermCable1PhaseDrift, {0, 1}},
        {kTermCable2MagnitudeDrift, {0, 0.02f}},
        {kTermConnector1Reflection, {60, 45}},
        {kTermConnector2Reflection, {60, 45}},
        {kTermConnector1Transmission, {65, 50}},
        {kTermConnector2Transmission, {65, 50}}};
    for (const auto& [term, values] : terms)
        testing::FillTable(testing::TermTable(model.get(), term),
                           {{1e9, values.first}, {2e9, values.second}});
    testing::FillTable(model->vna->src, {{-200.0, 0.1f}, {100.0, 0.01f}});
    testing::SetFrequencies(model.get(), {1.0e9, 1.5e9, 2.0e9});
    DUTInfo* dut = model->dut;
    EXPECT_EQ(SetDUTType(dut, dutType), 1);
    EXPECT_EQ(SetDUTReflNumValues(dut, 4) && SetDUTReflMin(dut, -40) && SetDUTReflMax(dut, 0), 1);
    EXPECT_EQ(SetDUTTransNumValues(dut, 4) && SetDUTTransMin(dut, -60) && SetDUTTransMax(dut, 0),
              1);
    dut->coverageFactors.fill(2.0f);
    return model;
}

Owned<UncertaintyInfo> Compute(ModelInfo* model, const MethodOptions& options) {
    testing::CapturedMessages captured;
    Owned<UncertaintyInfo> results(CreateUncertaintyInfo());
    EXPECT_EQ(ComputeModelByMethod(model, results.get(), options), 1);
    EXPECT_TRUE(captured.all().empty());
    return results;
}

// Each result entry of a sweep for both measurements of DUT types 1, 2 and 3.
template <typename Check> void ForEachShownEntry(const UncertaintyInfo& results, Check check) {
    for (int i = 0; i < results.numFreqs; ++i)
        for (int j = 0; j < results.numDUTValues; ++j)
            for (MeasuredParameter parameter : {MeasuredParameter::S11, MeasuredParameter::S21}) {
                const bool reflection = parameter == MeasuredParameter::S11;
                if ((results.type & (reflection ? 1 : 2)) == 0) continue;
                float nominal = 0, upper = 0, phase = 0;
                ASSERT_EQ(reflection
                              ? GetUncertaintyRefl(&results, i, j, &nominal, &upper, &phase)
                              : GetUncertaintyTrans(&results, i, j, &nominal, &upper, &phase),
                          1);
                check(i, j, parameter, PointResult{nominal, upper, phase});
            }
}

class UncertaintyMethodsTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { SetCoverageTraceStream(nullptr); }
    void TearDown() override { SetCoverageTraceStream(stdout); }
};

// Every point of an RSS or Monte Carlo sweep (on two threads) is what the point alone gives, with
// the worst case's nominal magnitude and its phase drift beside the method's arcsine part.
TEST_P(UncertaintyMethodsTest, ASweepPointIsThePointAlone) {
    const Owned<ModelInfo> model = SweepModel(GetParam());
    const Owned<UncertaintyInfo> worst = Compute(model.get(), {});
    MethodOptions options;
    options.method = UncertaintyMethod::Rss;
    const Owned<UncertaintyInfo> rss = Compute(model.get(), options);
    options.method = UncertaintyMethod::MonteCarlo;
    options.monteCarlo = {2000, 11};
    options.threads = 2;
    const Owned<UncertaintyInfo> monteCarlo = Compute(model.get(), options);

    const CoverageFactors k = [&] {
        CoverageFactors f{};
        std::copy(model->dut->coverageFactors.begin(), model->dut->coverageFactors.end(),
                  f.begin());
        return f;
    }();
    ForEachShownEntry(*worst, [&](int i, int j, MeasuredParameter parameter, PointResult w) {
        UncertaintyPoint point;
        ASSERT_EQ(ModelPoint(model.get(), i, j, parameter, &point), 1);
        const double drift = w.phaseDeg - ArcsinePhaseDeg(w.upperBound - w.nominal, w.nominal);
        for (const auto& [results, method] :
             {std::pair{rss.get(), UncertaintyMethod::Rss},
              std::pair{monteCarlo.get(), UncertaintyMethod::MonteCarlo}}) {
            double deviation = 0.0;
            ASSERT_EQ(
                ComputePointDeviation(*model, k, point, method, options.monteCarlo, &deviation), 1);
            ForEachShownEntry(*results, [&](int i2, int j2, MeasuredParameter p2, PointResult r) {
                if (i2 != i || j2 != j || p2 != parameter) return;
                EXPECT_EQ(r.nominal, w.nominal);
                EXPECT_EQ(r.upperBound, static_cast<float>(w.nominal + deviation))
                    << UncertaintyMethodName(method) << " " << i << "," << j;
                EXPECT_NEAR(r.phaseDeg, ArcsinePhaseDeg(deviation, w.nominal) + drift, 1e-4);
                if (method == UncertaintyMethod::Rss) {
                    EXPECT_LE(r.upperBound, w.upperBound);
                }
            });
        }
    });
}

INSTANTIATE_TEST_SUITE_P(DUTTypes, UncertaintyMethodsTest,
                         ::testing::Values(DUT_REFLECTION_ONLY, DUT_TRANSMISSION_ONLY,
                                           DUT_USER_DEFINED));

TEST(UncertaintyMethods, ProgressReportsAMonteCarloSweepAndCanCancelItSilently) {
    const Owned<ModelInfo> model = SweepModel(DUT_TRANSMISSION_ONLY);
    SetCoverageTraceStream(nullptr);
    MethodOptions options;
    options.method = UncertaintyMethod::MonteCarlo;
    options.monteCarlo = {1000, 1};
    std::vector<std::pair<long long, long long>> calls;
    bool proceed = true;
    options.progress = [&](long long done, long long total) {
        calls.emplace_back(done, total);
        return proceed;
    };
    testing::CapturedMessages captured;
    Owned<UncertaintyInfo> results(CreateUncertaintyInfo());
    EXPECT_EQ(ComputeModelByMethod(model.get(), results.get(), options), 1);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front(), std::make_pair(0LL, 12LL));
    EXPECT_EQ(calls.back(), std::make_pair(12LL, 12LL));

    proceed = false;
    calls.clear();
    EXPECT_EQ(ComputeModelByMethod(model.get(), results.get(), options), 0);
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_TRUE(captured.all().empty());
    SetCoverageTraceStream(stdout);
}

} // namespace
} // namespace tolvane
