#include "core/pv_table.h"

#include "core/owned.h"
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

Owned<PVInfo> MakeTable(std::initializer_list<std::pair<float, float>> pairs, int type) {
    Owned<PVInfo> table(CreatePVInfo());
    EXPECT_EQ(SetPVInterpType(table.get(), type), 1);
    EXPECT_EQ(SetPVNumPairs(table.get(), static_cast<int>(pairs.size())), 1);
    int i = 0;
    for (const auto& [powerDbm, value] : pairs) {
        EXPECT_EQ(SetPVPower(table.get(), i, powerDbm), 1);
        EXPECT_EQ(SetPVValueAt(table.get(), i, value), 1);
        ++i;
    }
    return table;
}

constexpr float kUntouched = -1234.5f;

float LookUp(const PVInfo* table, float powerDbm) {
    float value = kUntouched;
    const int ok = GetPVValue(table, powerDbm, &value);
    EXPECT_EQ(ok == 1, value != kUntouched) << "at " << powerDbm << " dBm";
    return value;
}

float LookUpAs(PVInfo* table, int type, float powerDbm) {
    EXPECT_EQ(SetPVInterpType(table, type), 1);
    return LookUp(table, powerDbm);
}

TEST(PVTable, AFreshTableHasNoTypeAndRefusesLookups) {
    testing::CapturedMessages captured;
    Owned<PVInfo> table(CreatePVInfo());
    ASSERT_NE(table, nullptr);
    int type = -1;
    ASSERT_EQ(GetPVInterpType(table.get(), &type), 1);
    EXPECT_EQ(type, 0);
    ASSERT_EQ(SetPVNumPairs(table.get(), 1), 1); // one pair (0 dBm, 0)
    EXPECT_EQ(LookUp(table.get(), 0.0f), kUntouched);
    // The copy sets the source's type on the destination, which refuses 0.
    Owned<PVInfo> destination(CreatePVInfo());
    EXPECT_EQ(CopyPVInfo(table.get(), destination.get()), 0);
    EXPECT_EQ(captured.errors(), (Texts{"GetPVValue: invalid interpolation type.",
                                        "SetPVParam: invalid interpolation type.",
                                        "CopyPVInfo: Error in a called routine."}));
}

TEST(PVTable, ReportsUnderItsOwnRoutineNames) {
    Owned<PVInfo> table = MakeTable({{0.0f, 1.0f}}, INTERP_LINEAR);
    testing::CapturedMessages captured;
    float value = 0.0f;
    EXPECT_EQ(GetPVPower(table.get(), 1, &value), 0);
    EXPECT_EQ(GetPVValueAt(table.get(), 1, &value), 0);
    EXPECT_EQ(SetPVNumPairs(table.get(), -1), 0);
    EXPECT_EQ(DestroyPVInfo(nullptr), 0);
    EXPECT_EQ(PVSmoothFit(nullptr, nullptr, 0, 0.0f, &value), 0);
    EXPECT_EQ(PVNonInterpolate(table->powersDbm.data(), table->values.data(), 0, 0.0f, &value), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"GetPVParam: invalid array index.", "GetPVValue: invalid array index.",
                     "SetPVParam: invalid number of pairs.", "DestroyPVInfo: NULL info pointer.",
                     "PVInterpolate: NULL pointer.", "PVNonInterpolate: NULL pointer."}));

    Owned<PVInfo> copy(CreatePVInfo());
    ASSERT_EQ(CopyPVInfo(table.get(), copy.get()), 1);
    EXPECT_EQ(copy->interpType, INTERP_LINEAR);
    EXPECT_EQ(copy->powersDbm, table->powersDbm);
    EXPECT_EQ(copy->values, table->values);
}

TEST(PVTable, ThreeRulesBetweenTwoPairs) {
    Owned<PVInfo> table = MakeTable({{0.0f, 1.0f}, {10.0f, 100.0f}}, INTERP_LINEAR);
    EXPECT_FLOAT_EQ(LookUpAs(table.get(), INTERP_LINEAR, 5.0f), 50.5f);
    EXPECT_EQ(LookUpAs(table.get(), INTERP_STEP, 5.0f), 100.0f);
    EXPECT_FLOAT_EQ(LookUpAs(table.get(), INTERP_SMOOTH_FIT, 5.0f), 10.0f);
    // 1 × 100^(2.5 / 10)
    EXPECT_NEAR(LookUpAs(table.get(), INTERP_SMOOTH_FIT, 2.5f), 3.16227766, 1e-5);

    // Negative values (a loss stored as -60 dB): the geometric line through -60 and -40 gives
    // -60 × (2/3)^(1/2) at the midpoint.
    Owned<PVInfo> loss = MakeTable({{0.0f, -60.0f}, {10.0f, -40.0f}}, INTERP_LINEAR);
    EXPECT_FLOAT_EQ(LookUpAs(loss.get(), INTERP_LINEAR, 5.0f), -50.0f);
    EXPECT_NEAR(LookUpAs(loss.get(), INTERP_SMOOTH_FIT, 5.0f), -48.98979, 1e-4);
}

TEST(PVTable, ClampsBelowAndFailsAboveBeyondTheTolerance) {
    Owned<PVInfo> table = MakeTable({{-10.0f, 0.5f}, {0.0f, 0.7f}, {20.0f, 0.9f}}, INTERP_LINEAR);
    testing::CapturedMessages captured;
    for (int type : {INTERP_LINEAR, INTERP_STEP, INTERP_SMOOTH_FIT}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(LookUpAs(table.get(), type, -20.0f), 0.5f);
        EXPECT_EQ(LookUpAs(table.get(), type, 20.005f), 0.9f);
        EXPECT_EQ(LookUpAs(table.get(), type, 0.009f), 0.7f);
        EXPECT_EQ(LookUpAs(table.get(), type, 20.02f), kUntouched);
        EXPECT_EQ(LookUpAs(table.get(), type, std::nanf("")), kUntouched);
    }
    // The smooth fit reports under the linear lookup's routine.
    EXPECT_EQ(
        captured.errors(),
        (Texts{"PVInterpolate: abscissa out of range.", "PVInterpolate: abscissa out of range.",
               "PVNonInterpolate: abscissa out of range.",
               "PVNonInterpolate: abscissa out of range.", "PVInterpolate: abscissa out of range.",
               "PVInterpolate: abscissa out of range."}));

    // Just outside the tolerance of an inner pair, step takes the upper neighbour.
    EXPECT_EQ(LookUpAs(table.get(), INTERP_STEP, 0.02f), 0.9f);
    EXPECT_EQ(LookUpAs(table.get(), INTERP_STEP, -0.02f), 0.7f);
}

TEST(PVTable, OnePairTableAnswersUpToItsPowerAndTheTolerance) {
    Owned<PVInfo> table = MakeTable({{5.0f, 0.25f}}, INTERP_SMOOTH_FIT);
    testing::CapturedMessages captured;
    EXPECT_EQ(LookUp(table.get(), -50.0f), 0.25f);
    EXPECT_EQ(LookUp(table.get(), 5.009f), 0.25f);
    EXPECT_EQ(LookUp(table.get(), 5.011f), kUntouched);
    EXPECT_EQ(captured.errors(), Texts{"PVInterpolate: abscissa out of range."});
}

TEST(PVTable, SmoothFitWithoutARealLineFallsBackToLinear) {
    // A zero neighbour, both zero, or opposite signs: log10 of the ratio has no real value.
    testing::CapturedMessages captured;
    Owned<PVInfo> zeroLow = MakeTable({{0.0f, 0.0f}, {10.0f, 100.0f}}, INTERP_SMOOTH_FIT);
    Owned<PVInfo> zeroHigh = MakeTable({{0.0f, 4.0f}, {10.0f, 0.0f}}, INTERP_SMOOTH_FIT);
    Owned<PVInfo> zeroBoth = MakeTable({{0.0f, 0.0f}, {10.0f, 0.0f}}, INTERP_SMOOTH_FIT);
    Owned<PVInfo> opposite = MakeTable({{0.0f, -1.0f}, {10.0f, 3.0f}}, INTERP_SMOOTH_FIT);
    EXPECT_FLOAT_EQ(LookUp(zeroLow.get(), 5.0f), 50.0f);
    EXPECT_FLOAT_EQ(LookUp(zeroHigh.get(), 2.5f), 3.0f);
    EXPECT_EQ(LookUp(zeroBoth.get(), 5.0f), 0.0f);
    EXPECT_FLOAT_EQ(LookUp(opposite.get(), 7.5f), 2.0f);
    EXPECT_TRUE(captured.errors().empty());
}

TEST(PVTable, SmoothFitFarFromZeroDbmStaysOnTheLine) {
    // At -115 dBm between (-120, 0.001) and (-110, 100) the factor v[i]·r^(-p[i]/Δ) is 1e57,
    // beyond single precision; the line itself gives 0.001 × (1e5)^(1/2).
    Owned<PVInfo> table = MakeTable({{-120.0f, 0.001f}, {-110.0f, 100.0f}}, INTERP_SMOOTH_FIT);
    const float value = LookUp(table.get(), -115.0f);
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_NEAR(value, 0.316227766, 1e-5);
}

} // namespace
} // namespace tolvane
