#include "engine/budget.h"

#include "engine/uncertainty.h"
#include "engine/uncertainty_methods.h"
#include "files/model_file.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace tolvane {
namespace {

UncertaintyBudget Budget(const ModelInfo& model, const UncertaintyPoint& point) {
    testing::CapturedMessages captured;
    UncertaintyBudget budget;
    EXPECT_EQ(ComputeUncertaintyBudget(model, model.dut->coverageFactors, point, &budget), 1);
    EXPECT_TRUE(captured.all().empty());
    return budget;
}

Owned<ModelInfo> ShippedModel() {
    Owned<ModelInfo> model(CreateModelInfo());
    EXPECT_EQ(ReadModelFile(model.get(), TOLVANE_SHIPPED_DATA_DIR "/default.mdl"), 1);
    return model;
}

// Directivity 40 dB (0.01) and noise at -80 dBm (1e-4) on a -20 dB reflection: the hand-worked
// answers of the computation, now split by term.
TEST(UncertaintyBudget, SplitsAHandWorkedBoundIntoItsTerms) {
    const Owned<ModelInfo> model = testing::QuietModel();
    testing::SetTerm(model.get(), kTermDirectivity, 40.0f);
    testing::SetTerm(model.get(), kTermReceiverNoise, 80.0f);
    testing::SetTerm(model.get(), kTermCable1PhaseDrift, 0.5f);
    const UncertaintyBudget b = Budget(*model, SweepPoint(1.5e9, -20.0f, MeasuredParameter::S11));
    EXPECT_FLOAT_EQ(b.nominal, 0.1);
    EXPECT_NEAR(b.worstCaseDeviation, std::hypot(0.01, 1e-4), 1e-8);
    EXPECT_NEAR(b.terms[kCoverageDirectivity].aloneDeviation, 0.01, 1e-8);
    EXPECT_NEAR(b.terms[kCoverageDirectivity].withoutDeviation, 1e-4, 1e-8);
    EXPECT_NEAR(b.terms[kCoverageNoiseFloor].aloneDeviation, 1e-4, 1e-8);
    EXPECT_NEAR(b.terms[kCoverageNoiseFloor].withoutDeviation, 0.01, 1e-8);
    EXPECT_NEAR(b.terms[kCoverageDirectivity].sharePercent, 100.0 / 1.0001, 1e-4);
    for (int term : {kCoverageSourceMatch, kCoverageDrift, kCoverageReceiverUncertainty}) {
        EXPECT_EQ(b.terms[std::size_t(term)].aloneDeviation, 0.0) << BudgetTermName(term);
        EXPECT_FLOAT_EQ(b.terms[std::size_t(term)].withoutDeviation, b.worstCaseDeviation);
    }
    EXPECT_NEAR(b.rssDeviation, b.worstCaseDeviation, 1e-8);
    // The phase: the arcsine of the 10 % bound and twice the drift of cable 1.
    EXPECT_NEAR(b.asinPhaseDeg, std::asin(0.0100005 / 0.1) * 180.0 / M_PI, 1e-4);
    EXPECT_NEAR(b.cablePhaseDriftDeg, 1.0, 1e-5);
    EXPECT_STREQ(BudgetTermName(kCoverageConnectorRepeatability), "connector repeatability");
}

// On the shipped model: the budget's worst case is the sweep's point to the bit, no term alone or
// without exceeds it, the shares add up to 100 % and the RSS stays below the worst case.
TEST(UncertaintyBudget, AgreesWithTheSweepAndHoldsTogether) {
    const Owned<ModelInfo> model = ShippedModel();
    SetCoverageTraceStream(nullptr);
    UncertaintyInfo* results = CreateUncertaintyInfo();
    ASSERT_EQ(ComputeModel(model.get(), results), 1);
    for (int i : {0, 3, 5}) {
        for (int j : {0, 45, 90}) {
            UncertaintyPoint point;
            ASSERT_EQ(ModelPoint(model.get(), i, j, MeasuredParameter::S21, &point), 1);
            const UncertaintyBudget b = Budget(*model, point);
            float nominal = 0, upper = 0, phase = 0;
            ASSERT_EQ(GetUncertaintyTrans(results, i, j, &nominal, &upper, &phase), 1);
            EXPECT_EQ(static_cast<float>(b.nominal + b.worstCaseDeviation), upper);
            EXPECT_EQ(static_cast<float>(b.phaseDeg), phase);
            double shares = 0.0;
            for (const BudgetLine& line : b.terms) {
                EXPECT_LE(line.aloneDeviation, b.worstCaseDeviation * (1 + 1e-6));
                EXPECT_LE(line.withoutDeviation, b.worstCaseDeviation * (1 + 1e-6));
                shares += line.sharePercent;
            }
            EXPECT_NEAR(shares, 100.0, 1e-9);
            EXPECT_LE(b.rssDeviation, b.worstCaseDeviation);
            EXPECT_GT(b.rssDeviation, 0.0);
        }
    }
    (void)DestroyUncertaintyInfo(results);
    SetCoverageTraceStream(stdout);
}

} // namespace
} // namespace tolvane
