#include "engine/model.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "core/owned.h"
#include "support/allocation_failure.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Strings = std::vector<std::string>;

TEST(ModelInfo, CreatesDefaultsAndSevenComponents) {
    Owned<ModelInfo> model(CreateModelInfo());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->numFreqs, 0);
    EXPECT_EQ(model->averages, 0);
    EXPECT_EQ(model->powerDbm, 0.0f);
    EXPECT_EQ(model->ifBandwidthHz, 1000.0f);
    EXPECT_EQ(model->nrcIfBandwidthHz, 1000.0f);

    const void* expected[] = {model->vna,    model->connector1, model->connector2, model->cable1,
                              model->cable2, model->calKit,     model->dut};
    for (int code = kModelVNA; code <= kModelDUT; ++code) {
        void* component = nullptr;
        ASSERT_EQ(GetModelComponent(model.get(), code, &component), 1);
        EXPECT_NE(component, nullptr);
        EXPECT_EQ(component, expected[code - 1]) << "code " << code;
    }
    EXPECT_NE(model->connector1, model->connector2);
    EXPECT_NE(model->cable1, model->cable2);
}

TEST(ModelInfo, AllocationFailuresLeaveNothingBehind) {
    testing::CapturedMessages captured;
    {
        testing::ScopedAllocationFailure failure(0);
        EXPECT_EQ(CreateModelInfo(), nullptr);
    }
    {
        // The model block is allocated; its first component record is not.
        testing::ScopedAllocationFailure failure(1);
        EXPECT_EQ(CreateModelInfo(), nullptr);
    }
    EXPECT_EQ(captured.errors(), (Strings{"CreateModelInfo: error allocating memory.",
                                          "CreateVNAInfo: error allocating memory."}));
    // Whichever later allocation fails, the model is either whole enough to destroy or gone;
    // the sanitizer build proves that nothing leaks on either path.
    for (int let = 2;; ++let) {
        ModelInfo* model = nullptr;
        int failed = 0;
        {
            testing::ScopedAllocationFailure failure(let);
            model = CreateModelInfo();
            failed = failure.failed();
        }
        if (model != nullptr) (void)DestroyModelInfo(model);
        if (failed == 0) break;
    }
}

TEST(ModelInfo, NullRecordsAndPointersAreReported) {
    testing::CapturedMessages captured;
    int n = 0;
    float f = 0.0f;
    double hz = 0.0;
    void* component = nullptr;
    EXPECT_EQ(DestroyModelInfo(nullptr), 0);
    DeallocateModelArrays(nullptr);
    EXPECT_EQ(GetModelNumFreqs(nullptr, &n), 0);
    EXPECT_EQ(GetModelPower(nullptr, &f), 0);
    EXPECT_EQ(SetModelIFBW(nullptr, 10.0f), 0);
    EXPECT_EQ(SetModelCouplerLoss(nullptr, 1.0f), 0);
    EXPECT_EQ(CheckModel(nullptr), 0);
    Owned<ModelInfo> model(CreateModelInfo());
    EXPECT_EQ(GetModelAverages(model.get(), nullptr), 0);
    EXPECT_EQ(GetModelFreq(model.get(), 0, nullptr), 0);
    EXPECT_EQ(GetModelComponent(model.get(), 1, nullptr), 0);
    EXPECT_EQ(GetModelFreq(nullptr, 0, &hz), 0);
    EXPECT_EQ(GetModelComponent(nullptr, 1, &component), 0);
    EXPECT_EQ(captured.errors(), (Strings{
                                     "DestroyModelInfo: NULL info pointer.",
                                     "GetModelParam: NULL info pointer.",
                                     "GetModelParam: NULL info pointer.",
                                     "SetModelParam: NULL info pointer.",
                                     "SetModelParam: NULL info pointer.",
                                     "CheckModel: NULL info pointer.",
                                     "GetModelParam: NULL parameter pointer.",
                                     "GetModelParam: NULL parameter pointer.",
                                     "GetModelParam: NULL parameter pointer.",
                                     "GetModelParam: NULL info pointer.",
                                     "GetModelParam: NULL info pointer.",
                                 }));
}

TEST(ModelInfo, NumberOfFrequenciesIsLimitedToOneTo5000) {
    testing::CapturedMessages captured;
    Owned<ModelInfo> model(CreateModelInfo());
    EXPECT_EQ(SetModelNumFreqs(model.get(), 5000), 1);
    EXPECT_EQ(SetModelNumFreqs(model.get(), 5001), 0);
    EXPECT_EQ(SetModelNumFreqs(model.get(), 0), 0);
    int n = 0;
    ASSERT_EQ(GetModelNumFreqs(model.get(), &n), 1);
    EXPECT_EQ(n, 5000);
    EXPECT_EQ(captured.errors(), (Strings{
                                     "SetModelParam: Too many frequencies, maximum is 5000.",
                                     "SetModelParam: Invalid number of frequencies.",
                                 }));
}

TEST(ModelInfo, FrequencyListChecksValueBeforeIndexAndIgnoresTheCount) {
    testing::CapturedMessages captured;
    Owned<ModelInfo> model(CreateModelInfo());
    EXPECT_EQ(SetModelFreq(model.get(), 6000, 0.0), 0);
    EXPECT_EQ(SetModelFreq(model.get(), 5000, 1e9), 0);
    EXPECT_EQ(SetModelFreq(model.get(), -1, 1e9), 0);
    double hz = 0.0;
    EXPECT_EQ(GetModelFreq(model.get(), -1, &hz), 0);
    EXPECT_EQ(GetModelFreq(model.get(), 5000, &hz), 0);
    // Any index up to 4999 whatever the count; changing the count keeps the entries.
    EXPECT_EQ(SetModelFreq(model.get(), 4999, 3.5e9), 1);
    ASSERT_EQ(SetModelNumFreqs(model.get(), 2), 1);
    ASSERT_EQ(SetModelNumFreqs(model.get(), 5000), 1);
    ASSERT_EQ(GetModelFreq(model.get(), 4999, &hz), 1);
    EXPECT_EQ(hz, 3.5e9);
    EXPECT_EQ(captured.errors(), (Strings{
                                     "SetModelParam: Invalid frequency value.",
                                     "SetModelParam: Invalid index in the frequency array.",
                                     "SetModelParam: Invalid index in the frequency array.",
                                     "GetModelParam: Invalid index in the frequency array.",
                                     "GetModelParam: Invalid index in the frequency array.",
                                 }));
}

TEST(ModelInfo, ScalarAccessorsStoreWithoutChecksAndCouplerLossKeepsNothing) {
    testing::CapturedMessages captured;
    Owned<ModelInfo> model(CreateModelInfo());
    ASSERT_EQ(SetModelAverages(model.get(), -3), 1);
    ASSERT_EQ(SetModelNRcAverages(model.get(), 7), 1);
    ASSERT_EQ(SetModelPower(model.get(), -12.5f), 1);
    ASSERT_EQ(SetModelIFBW(model.get(), 0.0f), 1);
    ASSERT_EQ(SetModelNRcIFBW(model.get(), 10.0f), 1);
    const auto records = [&] {
        const ModelInfo& m = *model;
        return std::array<const void*, 7>{m.vna,    m.connector1, m.connector2, m.cable1,
                                          m.cable2, m.calKit,     m.dut};
    };
    const ModelSettings before = *model;
    const auto recordsBefore = records();
    EXPECT_EQ(SetModelCouplerLoss(model.get(), 20.0f), 1);
    EXPECT_EQ(std::memcmp(&before, static_cast<ModelSettings*>(model.get()), sizeof before), 0);
    EXPECT_EQ(records(), recordsBefore);

    int averages = 0, nrcAverages = 0, rangeFlag = -1, powerFlag = -1;
    float power = 0.0f, ifbw = -1.0f, nrcIfbw = 0.0f;
    ASSERT_EQ(GetModelAverages(model.get(), &averages), 1);
    ASSERT_EQ(GetModelNRcAverages(model.get(), &nrcAverages), 1);
    ASSERT_EQ(GetModelPower(model.get(), &power), 1);
    ASSERT_EQ(GetModelIFBW(model.get(), &ifbw), 1);
    ASSERT_EQ(GetModelNRcIFBW(model.get(), &nrcIfbw), 1);
    ASSERT_EQ(GetModelFreqRangeError(model.get(), &rangeFlag), 1);
    ASSERT_EQ(GetModelPowerRangeError(model.get(), &powerFlag), 1);
    EXPECT_EQ(averages, -3);
    EXPECT_EQ(nrcAverages, 7);
    EXPECT_EQ(power, -12.5f);
    EXPECT_EQ(ifbw, 0.0f);
    EXPECT_EQ(nrcIfbw, 10.0f);
    EXPECT_EQ(rangeFlag, 0);
    EXPECT_EQ(powerFlag, 0);

    void* component = nullptr;
    EXPECT_EQ(GetModelComponent(model.get(), 8, &component), 0);
    EXPECT_EQ(GetModelComponent(model.get(), 0, &component), 0);
    EXPECT_EQ(captured.errors(),
              (Strings{"GetModelParam: unknown parameter.", "GetModelParam: unknown parameter."}));
}

// A model whose sixteen frequency tables span 1 to 2 GHz, with frequencies `lowHz` to `highHz`.
Owned<ModelInfo> CoveredModel(double lowHz, double highHz) {
    Owned<ModelInfo> model(CreateModelInfo());
    testing::FillAllTerms(model.get(), 1e9, 2e9, 1.0f);
    testing::SetFrequencies(model.get(), {lowHz, 1.5e9, highHz});
    return model;
}

TEST(CheckModel, AllowsLessThanOneHertzBeyondEitherEnd) {
    testing::CapturedMessages captured;
    Owned<ModelInfo> model = CoveredModel(1e9 - 0.5, 2e9 + 0.999);
    EXPECT_EQ(CheckModel(model.get()), 1);
    EXPECT_TRUE(captured.errors().empty());
}

TEST(CheckModel, ReportsEachTableByItsNameAndSetsTheRangeFlag) {
    const char* names[] = {"CDR",    "CSM",    "CRT",    "CXT",    "CLM",    "CTT",
                           "SSR",    "NRC",    "DCB1TM", "DCB1TP", "DCB2TM", "DCB2TP",
                           "RCN1TM", "RCN1RM", "RCN2TM", "RCN2RM"};
    int index = 0;
    for (ModelTerm term : kRangeCheckedTerms) {
        const std::string name = names[index++];
        for (const bool low : {true, false}) {
            testing::CapturedMessages captured;
            Owned<ModelInfo> model = CoveredModel(1e9, 2e9);
            // Only this table is one hertz too short at one end.
            FVInfo* table = testing::TermTable(model.get(), term);
            ASSERT_EQ(SetFVFreq(table, low ? 0 : 1, low ? 1e9 + 1.0 : 2e9 - 1.0), 1);
            EXPECT_EQ(CheckModel(model.get()), 0);
            const std::string expected =
                low ? "CheckModel: Minimum frequency of " + name + " term is too high."
                    : "CheckModel: Maximum frequency of " + name + " term is too low.";
            EXPECT_EQ(captured.errors(), Strings{expected});
            int flag = 0;
            ASSERT_EQ(GetModelFreqRangeError(model.get(), &flag), 1);
            EXPECT_EQ(flag, 1);
        }
    }
}

TEST(CheckModel, StopsAtTheFirstFailingTableAndClearsTheFlagOnTheNextCheck) {
    testing::CapturedMessages captured;
    Owned<ModelInfo> model = CoveredModel(1e9, 2e9);
    testing::FillTable(testing::TermTable(model.get(), kTermDirectivity), {{1.2e9, 0}, {2e9, 0}});
    testing::FillTable(testing::TermTable(model.get(), kTermReceiverNoise), {{1.2e9, 0}, {2e9, 0}});
    EXPECT_EQ(CheckModel(model.get()), 0);
    EXPECT_EQ(captured.errors(), Strings{"CheckModel: Minimum frequency of CDR term is too high."});

    testing::FillTable(testing::TermTable(model.get(), kTermDirectivity), {{1e9, 0}, {2e9, 0}});
    testing::FillTable(testing::TermTable(model.get(), kTermReceiverNoise), {{1e9, 0}, {2e9, 0}});
    EXPECT_EQ(CheckModel(model.get()), 1);
    EXPECT_EQ(model->freqRangeError, 0);
}

TEST(CheckModel, UsesTheFirstAndLastEntriesOfTheListAsStored) {
    testing::CapturedMessages captured;
    Owned<ModelInfo> model = CoveredModel(1e9, 2e9);
    // A list in descending order: its "highest" entry lies below the tables' span end, its
    // "lowest" above the start, so the check passes although 2.5 GHz is not covered.
    testing::SetFrequencies(model.get(), {1.5e9, 2.5e9, 1.9e9});
    EXPECT_EQ(CheckModel(model.get()), 1);
    testing::SetFrequencies(model.get(), {1.5e9, 2.5e9});
    EXPECT_EQ(CheckModel(model.get()), 0);
    EXPECT_EQ(captured.errors(), Strings{"CheckModel: Maximum frequency of CDR term is too low."});
}

TEST(CheckModel, AnEmptyTableIsACalledRoutineFailureNotARangeFailure) {
    testing::CapturedMessages captured;
    Owned<ModelInfo> model = CoveredModel(1e9, 2e9);
    ASSERT_EQ(SetFVNumPairs(testing::TermTable(model.get(), kTermConnector2Reflection), 0), 1);
    model->freqRangeError = 1;
    EXPECT_EQ(CheckModel(model.get()), 0);
    EXPECT_EQ(model->freqRangeError, 0);
    ASSERT_EQ(captured.errors().size(), 2u);
    EXPECT_EQ(captured.errors()[1], "CheckModel: Error in a called routine.");
}

TEST(CheckModel, AModelWithoutFrequenciesPasses) {
    testing::CapturedMessages captured;
    Owned<ModelInfo> model(CreateModelInfo());
    EXPECT_EQ(CheckModel(model.get()), 1);
    EXPECT_TRUE(captured.errors().empty());
}

} // namespace
} // namespace tolvane
