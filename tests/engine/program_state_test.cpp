#include "engine/program_state.h"

#include "engine/uncertainty.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

class ResultSlotsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetResultSlots();
        state().results[0] = CreateUncertaintyInfo();
        ASSERT_NE(state().results[0], nullptr);
    }
    void TearDown() override {
        (void)DestroyUncertaintyInfo(state().results[0]);
        state().results[0] = nullptr;
        ResetResultSlots();
    }
    static ProgramState& state() { return GlobalProgramState(); }
    static void ExpectSlotAndCount(int slot, int count) {
        EXPECT_EQ(state().currentResultSlot, slot);
        EXPECT_EQ(state().resultCount, count);
    }
    // A computation into the current slot; only slot 0's content matters to the rules.
    static void Compute() {
        if (state().currentResultSlot == 0) {
            ASSERT_EQ(SetUncertaintyNumFreqs(CurrentResult(), 1), 1);
        }
        AdvanceResultSlot();
    }
};

TEST_F(ResultSlotsTest, ReplaceModeKeepsFillingSlotZero) {
    ExpectSlotAndCount(0, 0);
    Compute();
    Compute();
    ExpectSlotAndCount(0, 1);
    // Checking it again when on changes nothing.
    SetResultReplaceMode(true);
    ExpectSlotAndCount(0, 1);
}

TEST_F(ResultSlotsTest, LeavingReplaceModeKeepsAResultInSlotZeroAndEnteringItReturnsThere) {
    SetResultReplaceMode(false);
    ExpectSlotAndCount(0, 0); // nothing in slot 0 yet: it is filled first
    Compute();
    ExpectSlotAndCount(1, 1);
    SetResultReplaceMode(true);
    ExpectSlotAndCount(0, 1);
    SetResultReplaceMode(false);
    ExpectSlotAndCount(1, 1); // the result in slot 0 stays
    Compute();
    ExpectSlotAndCount(2, 2);
}

TEST_F(ResultSlotsTest, SlotsWrapFromNineteenToOneWithTheCountStayingAtTwenty) {
    Compute();
    SetResultReplaceMode(false);
    for (int slot = 1; slot < kResultSlots; ++slot) {
        ExpectSlotAndCount(slot, slot);
        Compute();
    }
    ExpectSlotAndCount(1, kResultSlots);
    Compute();
    ExpectSlotAndCount(2, kResultSlots);
    ResetResultSlots();
    ExpectSlotAndCount(0, 0);
    EXPECT_TRUE(state().replaceResults);
}

} // namespace
} // namespace tolvane
