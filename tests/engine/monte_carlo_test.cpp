#include "engine/monte_carlo.h"

#include "components/vna.h"
#include "engine/budget.h"
#include "engine/uncertainty.h"
#include "engine/uncertainty_methods.h"
#include "files/model_file.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace tolvane {
namespace {

// The quiet model with every term vanishing exactly (losses of 1000 dB are 0 in single
// precision), or with the help's example terms, every coverage factor and k 1 and no noise.
Owned<ModelInfo> NeutralModel() {
    Owned<ModelInfo> model = testing::QuietModel();
    for (ModelTerm term :
         {kTermDirectivity, kTermSourceMatch, kTermLoadMatch, kTermCrosstalk,
          kTermConnector1Reflection, kTermConnector1Transmission, kTermConnector2Reflection,
          kTermConnector2Transmission, kTermReceiverNoise})
        testing::SetTerm(model.get(), term, 1000.0f);
    return model;
}
Owned<ModelInfo> NoiselessModel() {
    Owned<ModelInfo> model = testing::QuietModel();
    const std::pair<ModelTerm, float> terms[] = {{kTermDirectivity, 40.0f},
                                                 {kTermSourceMatch, 35.0f},
                                                 {kTermReflectionTracking, 0.05f},
                                                 {kTermLoadMatch, 40.0f},
                                                 {kTermTransmissionTracking, 0.05f},
                                                 {kTermSourceUncertainty, 0.02f},
                                                 {kTermCable1MagnitudeDrift, 0.02f},
                                                 {kTermCable2MagnitudeDrift, 0.012f},
                                                 {kTermConnector1Reflection, 55.0f},
                                                 {kTermConnector2Reflection, 55.0f},
                                                 {kTermConnector1Transmission, 60.0f},
                                                 {kTermConnector2Transmission, 60.0f}};
    for (const auto& [term, value] : terms)
        testing::SetTerm(model.get(), term, value);
    testing::FillTable(model->vna->src, {{-200.0, 0.04f}, {100.0, 0.04f}});
    return model;
}

double Deviation(const ModelInfo& model, const UncertaintyPoint& point, UncertaintyMethod method) {
    double deviation = -1.0;
    EXPECT_EQ(ComputePointDeviation(model, model.dut->coverageFactors, point, method, {20000, 7},
                                    &deviation),
              1);
    return deviation;
}

// Every trial is one set of phases of the terms the worst case adds in phase: with coverage
// factors and k of 1 and no noise or crosstalk, no trial measures more than the worst-case bound.
TEST(MonteCarlo, NoTrialExceedsTheWorstCaseWhenBothSeeTheSameTerms) {
    const Owned<ModelInfo> model = NoiselessModel();
    const MonteCarloTrials trials(20000, 3);
    for (float valueDb : {-30.0f, -3.0f}) {
        for (MeasuredParameter parameter : {MeasuredParameter::S11, MeasuredParameter::S21}) {
            const UncertaintyPoint point = SweepPoint(1.5e9, valueDb, parameter);
            TermMagnitudes terms;
            ASSERT_EQ(LookUpTermMagnitudes(*model, point, &terms), 1);
            std::vector<double> work;
            const CoverageInterval interval = EvaluateMonteCarlo(terms, parameter, trials, work);
            MeasureTrials(terms, parameter, trials, work);
            const double worst = Deviation(*model, point, UncertaintyMethod::WorstCase);
            const double nominal = parameter == MeasuredParameter::S11 ? terms.s11 : terms.s21;
            const double largest = std::sqrt(*std::max_element(work.begin(), work.end()));
            EXPECT_LE(largest - nominal, worst * (1 + 1e-5)) << valueDb;
            // The trials reach well into the bound: the phases do vary.
            EXPECT_GT(largest - nominal, 0.5 * worst) << valueDb;
            EXPECT_LT(interval.lowerDeviation, 0.0);
            EXPECT_LT(interval.upperDeviation, worst);
        }
    }
}

// Directivity alone, far below the DUT's reflection: the reading is m + d cos(phase), whose
// 97.5 % quantile is d cos(0.025 pi).
TEST(MonteCarlo, ASingleTermGivesTheQuantileOfACosine) {
    const Owned<ModelInfo> model = NeutralModel();
    testing::SetTerm(model.get(), kTermDirectivity, 60.0f);
    CoverageInterval interval;
    ASSERT_EQ(MonteCarloPoint(*model, SweepPoint(1.5e9, -20.0f, MeasuredParameter::S11),
                              {kDefaultPointTrials, kDefaultMonteCarloSeed}, &interval),
              1);
    const double expected = 0.001 * std::cos(0.025 * M_PI);
    EXPECT_NEAR(interval.upperDeviation, expected, 0.002 * 0.001);
    EXPECT_NEAR(interval.lowerDeviation, -expected, 0.002 * 0.001);
}

TEST(MonteCarlo, EveryMethodGivesZeroWhenEveryTermIsNeutral) {
    const Owned<ModelInfo> model = NeutralModel();
    for (MeasuredParameter parameter : {MeasuredParameter::S11, MeasuredParameter::S21}) {
        const UncertaintyPoint point = SweepPoint(1.5e9, -6.0f, parameter);
        for (UncertaintyMethod method :
             {UncertaintyMethod::WorstCase, UncertaintyMethod::Rss, UncertaintyMethod::MonteCarlo})
            EXPECT_EQ(Deviation(*model, point, method), 0.0) << UncertaintyMethodName(method);
    }
}

TEST(MonteCarlo, TheSeedDecidesTheTrials) {
    const Owned<ModelInfo> model = NoiselessModel();
    const UncertaintyPoint point = SweepPoint(1.5e9, -10.0f, MeasuredParameter::S21);
    CoverageInterval a, b, c;
    ASSERT_EQ(MonteCarloPoint(*model, point, {1000, 5}, &a), 1);
    ASSERT_EQ(MonteCarloPoint(*model, point, {1000, 5}, &b), 1);
    ASSERT_EQ(MonteCarloPoint(*model, point, {1000, 6}, &c), 1);
    EXPECT_EQ(a.upperDeviation, b.upperDeviation);
    EXPECT_EQ(a.lowerDeviation, b.lowerDeviation);
    EXPECT_NE(a.upperDeviation, c.upperDeviation);
}

} // namespace
} // namespace tolvane
