#include "core/fv_table.h"

#include "core/owned.h"
#include "support/allocation_failure.h"
#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

Owned<FVInfo> MakeTable(std::initializer_list<std::pair<double, float>> pairs,
                        int type = INTERP_LINEAR) {
    Owned<FVInfo> table(CreateFVInfo());
    EXPECT_EQ(SetFVInterpType(table.get(), type), 1);
    EXPECT_EQ(SetFVNumPairs(table.get(), static_cast<int>(pairs.size())), 1);
    int i = 0;
    for (const auto& [frequencyHz, value] : pairs) {
        EXPECT_EQ(SetFVFreq(table.get(), i, frequencyHz), 1);
        EXPECT_EQ(SetFVValueAt(table.get(), i, value), 1);
        ++i;
    }
    return table;
}

constexpr double kGHz = 1e9;
constexpr float kUntouched = -1234.5f;

/// The lookup's result, or kUntouched when it failed (the output must then be left alone).
float LookUp(const FVInfo* table, double frequencyHz) {
    float value = kUntouched;
    const int ok = GetFVValue(table, frequencyHz, &value);
    EXPECT_EQ(ok == 1, value != kUntouched) << "at " << frequencyHz << " Hz";
    return value;
}

TEST(FVTable, StartsEmptyAndLinearAndChecksEveryAccessInOrder) {
    testing::CapturedMessages captured;
    Owned<FVInfo> table(CreateFVInfo());
    ASSERT_NE(table, nullptr);
    int type = 0, n = -1;
    ASSERT_EQ(GetFVInterpType(table.get(), &type), 1);
    ASSERT_EQ(GetFVNumPairs(table.get(), &n), 1);
    EXPECT_EQ(type, INTERP_LINEAR);
    EXPECT_EQ(n, 0);

    double frequencyHz = 0.0;
    float value = 0.0f;
    EXPECT_EQ(GetFVNumPairs(nullptr, &n), 0);
    EXPECT_EQ(GetFVNumPairs(table.get(), nullptr), 0);
    EXPECT_EQ(GetFVFreq(table.get(), 0, &frequencyHz), 0);
    ASSERT_EQ(SetFVNumPairs(table.get(), 2), 1);
    EXPECT_EQ(GetFVFreq(table.get(), 2, &frequencyHz), 0);
    EXPECT_EQ(GetFVValueAt(table.get(), -1, &value), 0); // reported under the lookup's routine
    EXPECT_EQ(SetFVFreq(table.get(), 2, 1.0), 0);
    EXPECT_EQ(SetFVValueAt(nullptr, 0, 1.0f), 0);
    EXPECT_EQ(DestroyFVInfo(nullptr), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"GetFVParam: NULL info pointer.", "GetFVParam: NULL parameter pointer.",
                     "GetFVParam: invalid array index.", "GetFVParam: invalid array index.",
                     "GetFVValue: invalid array index.", "SetFVParam: invalid array index.",
                     "SetFVParam: NULL info pointer.", "DestroyFVInfo: NULL info pointer."}));
}

TEST(FVTable, RefusedTypeOrSizeKeepsTheTable) {
    Owned<FVInfo> table = MakeTable({{1 * kGHz, 0.1f}, {2 * kGHz, 0.2f}}, INTERP_STEP);
    testing::CapturedMessages captured;
    EXPECT_EQ(SetFVInterpType(table.get(), 0), 0);
    EXPECT_EQ(SetFVInterpType(table.get(), 4), 0);
    EXPECT_EQ(SetFVNumPairs(table.get(), -1), 0);
    EXPECT_EQ(captured.errors(), (Texts{"SetFVParam: invalid interpolation type.",
                                        "SetFVParam: invalid interpolation type.",
                                        "SetFVParam: invalid number of pairs."}));
    EXPECT_EQ(table->interpType, INTERP_STEP);
    EXPECT_EQ(LookUp(table.get(), 2 * kGHz), 0.2f);

    // Resizing discards the pairs: new ones are zero. Zero pairs is a valid, empty table.
    ASSERT_EQ(SetFVNumPairs(table.get(), 3), 1);
    double frequencyHz = -1.0;
    float value = -1.0f;
    ASSERT_EQ(GetFVFreq(table.get(), 1, &frequencyHz), 1);
    ASSERT_EQ(GetFVValueAt(table.get(), 1, &value), 1);
    EXPECT_EQ(frequencyHz, 0.0);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(SetFVNumPairs(table.get(), 0), 1);
    EXPECT_EQ(table->numPairs, 0);
}

TEST(FVTable, LinearAndStepBetweenTwoPairs) {
    Owned<FVInfo> table = MakeTable({{1 * kGHz, 0.1f}, {2 * kGHz, 0.3f}});
    EXPECT_FLOAT_EQ(LookUp(table.get(), 1.5 * kGHz), 0.2f);
    EXPECT_FLOAT_EQ(LookUp(table.get(), 1.25 * kGHz), 0.15f);
    ASSERT_EQ(SetFVInterpType(table.get(), INTERP_STEP), 1);
    // Step takes the upper neighbour, even right above the lower pair.
    EXPECT_EQ(LookUp(table.get(), 1.5 * kGHz), 0.3f);
    EXPECT_EQ(LookUp(table.get(), 1 * kGHz + 2.0), 0.3f);
}

TEST(FVTable, OneHertzToleranceAtTheEndsAndInside) {
    Owned<FVInfo> table = MakeTable({{1 * kGHz, 1.0f}, {2 * kGHz, 2.0f}, {3 * kGHz, 3.0f}});
    testing::CapturedMessages captured;
    EXPECT_EQ(LookUp(table.get(), 0.9999999995 * kGHz), 1.0f); // 0.5 Hz below the first
    EXPECT_EQ(LookUp(table.get(), 1 * kGHz - 2.0), kUntouched);
    EXPECT_EQ(LookUp(table.get(), 1 * kGHz - 1.0), kUntouched); // the tolerance is strict
    EXPECT_EQ(LookUp(table.get(), 3 * kGHz + 0.5), 3.0f);
    EXPECT_EQ(LookUp(table.get(), 3 * kGHz + 2.0), kUntouched);
    EXPECT_EQ(LookUp(table.get(), std::nan("")), kUntouched);
    EXPECT_EQ(captured.errors(), Texts(4, "FVInterpolate: abscissa out of range."));

    // Within 1 Hz of an inner pair, both rules take that pair, not a neighbour.
    EXPECT_EQ(LookUp(table.get(), 2 * kGHz + 0.9), 2.0f);
    ASSERT_EQ(SetFVInterpType(table.get(), INTERP_STEP), 1);
    EXPECT_EQ(LookUp(table.get(), 2 * kGHz - 0.9), 2.0f);
    captured.clear();
    EXPECT_EQ(LookUp(table.get(), 3 * kGHz + 2.0), kUntouched);
    EXPECT_EQ(captured.errors(), Texts{"FVNonInterpolate: abscissa out of range."});
}

TEST(FVTable, UnorderedTableStopsAtTheFirstFrequencyAbove) {
    // Nothing sorts a table: the scan stops at the first pair above x (4 GHz), not at the
    // nearest one, and interpolates from the pair before it.
    Owned<FVInfo> table =
        MakeTable({{1 * kGHz, 10.0f}, {4 * kGHz, 40.0f}, {2 * kGHz, 20.0f}, {8 * kGHz, 80.0f}});
    EXPECT_FLOAT_EQ(LookUp(table.get(), 3 * kGHz), 30.0f);
    ASSERT_EQ(SetFVInterpType(table.get(), INTERP_STEP), 1);
    EXPECT_EQ(LookUp(table.get(), 3 * kGHz), 40.0f);
}

TEST(FVTable, OnePairAndEmptyTables) {
    Owned<FVInfo> single = MakeTable({{5 * kGHz, 7.0f}});
    testing::CapturedMessages captured;
    EXPECT_EQ(LookUp(single.get(), 5 * kGHz - 0.99), 7.0f);
    EXPECT_EQ(LookUp(single.get(), 5 * kGHz + 0.99), 7.0f);
    EXPECT_EQ(LookUp(single.get(), 5 * kGHz + 1.5), kUntouched);
    EXPECT_EQ(LookUp(single.get(), 1 * kGHz), kUntouched);
    EXPECT_EQ(captured.errors(), Texts(2, "FVInterpolate: abscissa out of range."));

    captured.clear();
    Owned<FVInfo> empty(CreateFVInfo());
    EXPECT_EQ(LookUp(empty.get(), 5 * kGHz), kUntouched);
    ASSERT_EQ(SetFVNumPairs(empty.get(), 0), 1);
    ASSERT_EQ(SetFVInterpType(empty.get(), INTERP_STEP), 1);
    EXPECT_EQ(LookUp(empty.get(), 5 * kGHz), kUntouched);
    EXPECT_EQ(captured.errors(),
              (Texts{"FVInterpolate: NULL pointer.", "FVNonInterpolate: NULL pointer."}));
}

TEST(FVTable, SmoothFitIsKeptButNotLookedUp) {
    Owned<FVInfo> table = MakeTable({{1 * kGHz, 1.0f}, {2 * kGHz, 2.0f}}, INTERP_SMOOTH_FIT);
    testing::CapturedMessages captured;
    EXPECT_EQ(table->interpType, INTERP_SMOOTH_FIT);
    EXPECT_EQ(LookUp(table.get(), 1 * kGHz), kUntouched);
    float value = 0.0f;
    EXPECT_EQ(GetFVValue(nullptr, 1 * kGHz, &value), 0);
    EXPECT_EQ(GetFVValue(table.get(), 1 * kGHz, nullptr), 0);
    double f[] = {1.0};
    EXPECT_EQ(FVInterpolate(f, nullptr, 1, 1.0, &value), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"GetFVValue: invalid interpolation type.", "GetFVValue: NULL info pointer.",
                     "GetFVValue: NULL parameter pointer.", "FVInterpolate: NULL pointer."}));
}

TEST(FVTable, CopyReplacesEveryPair) {
    Owned<FVInfo> source =
        MakeTable({{1 * kGHz, 1.0f}, {2 * kGHz, 2.0f}, {3 * kGHz, 3.0f}}, INTERP_STEP);
    Owned<FVInfo> destination(CreateFVInfo());
    ASSERT_EQ(SetFVNumPairs(destination.get(), 10), 1);
    ASSERT_EQ(CopyFVInfo(source.get(), destination.get()), 1);
    EXPECT_EQ(destination->interpType, INTERP_STEP);
    EXPECT_EQ(destination->numPairs, 3);
    EXPECT_EQ(destination->frequenciesHz, source->frequenciesHz);
    EXPECT_EQ(destination->values, source->values);

    // A table copied onto itself keeps its pairs.
    ASSERT_EQ(CopyFVInfo(source.get(), source.get()), 1);
    EXPECT_EQ(source->values, (std::vector<float>{1.0f, 2.0f, 3.0f}));

    testing::CapturedMessages captured;
    EXPECT_EQ(CopyFVInfo(nullptr, destination.get()), 0);
    DeallocateFVArrays(source.get()); // three pairs announced, no arrays
    EXPECT_EQ(CopyFVInfo(source.get(), destination.get()), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"CopyFVInfo: NULL info pointer.", "GetFVParam: NULL pointer.",
                     "CopyFVInfo: Error in a called routine."}));
}

TEST(FVTable, FailedResizeLeavesPairsWithoutArraysUntilResizedAgain) {
    Owned<FVInfo> table = MakeTable({{1 * kGHz, 1.0f}, {2 * kGHz, 2.0f}});
    testing::CapturedMessages captured;
    {
        testing::ScopedAllocationFailure failValues(1); // the frequencies succeed, the values fail
        EXPECT_EQ(SetFVNumPairs(table.get(), 4), 0);
        EXPECT_EQ(failValues.failed(), 1);
    }
    int n = 0;
    ASSERT_EQ(GetFVNumPairs(table.get(), &n), 1);
    EXPECT_EQ(n, 4);
    EXPECT_FALSE(table->arraysPresent);
    EXPECT_TRUE(table->frequenciesHz.empty());
    double frequencyHz = 0.0;
    EXPECT_EQ(GetFVFreq(table.get(), 0, &frequencyHz), 0);
    EXPECT_EQ(SetFVValueAt(table.get(), 3, 1.0f), 0);
    EXPECT_EQ(LookUp(table.get(), 1 * kGHz), kUntouched);
    EXPECT_EQ(captured.errors(),
              (Texts{"SetFVParam: error allocating memory.", "GetFVParam: NULL pointer.",
                     "SetFVParam: NULL pointer.", "FVInterpolate: NULL pointer."}));

    ASSERT_EQ(SetFVNumPairs(table.get(), 1), 1);
    ASSERT_EQ(SetFVFreq(table.get(), 0, 1 * kGHz), 1);
    EXPECT_EQ(LookUp(table.get(), 1 * kGHz), 0.0f);

    captured.clear();
    {
        testing::ScopedAllocationFailure failRecord;
        EXPECT_EQ(CreateFVInfo(), nullptr);
    }
    EXPECT_EQ(captured.errors(), Texts{"CreateFVInfo: error allocating memory."});
}

} // namespace
} // namespace tolvane
