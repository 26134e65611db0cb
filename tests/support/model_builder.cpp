#include "support/model_builder.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"

#include <gtest/gtest.h>

namespace tolvane::testing {

FVInfo* TermTable(ModelInfo* model, ModelTerm term) {
    return TermFrequencyTable(model, DescribeModelTerm(term));
}

void FillTable(FVInfo* table, const Pairs& pairs, int type) {
    ASSERT_EQ(SetFVInterpType(table, type), 1);
    ASSERT_EQ(SetFVNumPairs(table, static_cast<int>(pairs.size())), 1);
    for (int i = 0; i < static_cast<int>(pairs.size()); ++i) {
        ASSERT_EQ(SetFVFreq(table, i, pairs[static_cast<std::size_t>(i)].first), 1);
        ASSERT_EQ(SetFVValueAt(table, i, pairs[static_cast<std::size_t>(i)].second), 1);
    }
}

void FillTable(PVInfo* table, const Pairs& pairs, int type) {
    ASSERT_EQ(SetPVInterpType(table, type), 1);
    ASSERT_EQ(SetPVNumPairs(table, static_cast<int>(pairs.size())), 1);
    for (int i = 0; i < static_cast<int>(pairs.size()); ++i) {
        const auto& [power, value] = pairs[static_cast<std::size_t>(i)];
        ASSERT_EQ(SetPVPower(table, i, static_cast<float>(power)), 1);
        ASSERT_EQ(SetPVValueAt(table, i, value), 1);
    }
}

void SetTerm(ModelInfo* model, ModelTerm term, float value) {
    FillTable(TermTable(model, term), {{1e9, value}, {2e9, value}});
}

void FillAllTerms(ModelInfo* model, double lowHz, double highHz, float value) {
    for (ModelTerm term : kRangeCheckedTerms)
        FillTable(TermTable(model, term), {{lowHz, value}, {highHz, value}});
}

void SetFrequencies(ModelInfo* model, const std::vector<double>& frequenciesHz) {
    ASSERT_EQ(SetModelNumFreqs(model, static_cast<int>(frequenciesHz.size())), 1);
    for (int i = 0; i < static_cast<int>(frequenciesHz.size()); ++i)
        ASSERT_EQ(SetModelFreq(model, i, frequenciesHz[static_cast<std::size_t>(i)]), 1);
}

Owned<ModelInfo> QuietModel() {
    Owned<ModelInfo> model(CreateModelInfo());
    EXPECT_NE(model, nullptr);
    if (model == nullptr) return model;
    constexpr double kLow = 1e9, kHigh = 2e9;
    for (ModelTerm term :
         {kTermDirectivity, kTermSourceMatch, kTermLoadMatch, kTermCrosstalk,
          kTermConnector1Reflection, kTermConnector1Transmission, kTermConnector2Reflection,
          kTermConnector2Transmission, kTermReceiverNoise})
        FillTable(TermTable(model.get(), term), {{kLow, 300.0f}, {kHigh, 300.0f}});
    for (ModelTerm term : {kTermReflectionTracking, kTermTransmissionTracking,
                           kTermSourceUncertainty, kTermCable1MagnitudeDrift, kTermCable1PhaseDrift,
                           kTermCable2MagnitudeDrift, kTermCable2PhaseDrift})
        FillTable(TermTable(model.get(), term), {{kLow, 0.0f}, {kHigh, 0.0f}});
    FillTable(model->vna->src, {{-200.0, 0.0f}, {100.0, 0.0f}});
    SetFrequencies(model.get(), {1.5e9});
    EXPECT_EQ(SetModelPower(model.get(), 0.0f), 1);
    EXPECT_EQ(SetModelAverages(model.get(), 1), 1);
    EXPECT_EQ(SetModelNRcAverages(model.get(), 1), 1);
    EXPECT_EQ(SetModelIFBW(model.get(), 1000.0f), 1);
    EXPECT_EQ(SetModelNRcIFBW(model.get(), 1000.0f), 1);
    DUTInfo* dut = model->dut;
    EXPECT_EQ(SetDUTType(dut, DUT_REFLECTION_ONLY), 1);
    EXPECT_EQ(SetDUTReflNumValues(dut, 1), 1);
    EXPECT_EQ(SetDUTReflMin(dut, -20.0f), 1);
    EXPECT_EQ(SetDUTReflMax(dut, -20.0f), 1);
    EXPECT_EQ(SetDUTCoverageFactors(dut, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1), 1);
    return model;
}

} // namespace tolvane::testing
