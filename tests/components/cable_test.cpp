#include "components/cable.h"

#include "core/owned.h"
#include "support/allocation_failure.h"
#include "support/captured_messages.h"
#include "support/scoped_component_lists.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

constexpr double kGHz = 1e9;

struct CableFixture : ::testing::Test {
    testing::ScopedComponentLists components;
    Owned<CableInfo> cable{CreateCableInfo()};

    void SetUp() override {
        components.addDielectric("PTFE", 0.01f, 0.5f);
        ASSERT_NE(cable, nullptr);
        ASSERT_EQ(SetCableDielName(cable.get(), "PTFE"), 1);
        ASSERT_EQ(SetCableLength(cable.get(), 1.5f), 1);
        ASSERT_EQ(SetCableTempVar(cable.get(), 2.0f), 1);
    }

    float drift(int code, double frequencyHz) const {
        float value = NAN;
        EXPECT_EQ(GetCableFVValue(cable.get(), code, frequencyHz, &value), 1);
        return value;
    }
    int numPairs(int code) const {
        int n = -1;
        EXPECT_EQ(GetCableFVNumPairs(cable.get(), code, &n), 1);
        return n;
    }
};

TEST_F(CableFixture, DriftGrowsWithLengthTemperatureAndFrequency) {
    // 1.5 m × 0.01 dB × 2 °C × 10 GHz = 0.3 dB; 1.5 m × 0.5° × 2 °C × 10 GHz = 15°.
    const double frequencies[] = {1 * kGHz, 10 * kGHz};
    ASSERT_EQ(MakeCableFVs(cable.get(), 2, frequencies), 1);
    EXPECT_EQ(numPairs(kCableDCbTm), 2);
    EXPECT_EQ(numPairs(kCableDCbTp), 2);
    EXPECT_FLOAT_EQ(drift(kCableDCbTm, 10 * kGHz), 0.3f);
    EXPECT_FLOAT_EQ(drift(kCableDCbTp, 10 * kGHz), 15.0f);
    EXPECT_FLOAT_EQ(drift(kCableDCbTm, 1 * kGHz), 0.03f);
    EXPECT_FLOAT_EQ(drift(kCableDCbTp, 5.5 * kGHz), 8.25f); // linear between the pairs
    double frequencyHz = 0.0;
    ASSERT_EQ(GetCableFVFreq(cable.get(), kCableDCbTp, 1, &frequencyHz), 1);
    EXPECT_EQ(frequencyHz, 10 * kGHz);

    // A single frequency builds one-pair tables; a zero temperature variation, zero drift.
    ASSERT_EQ(SetCableTempVar(cable.get(), 0.0f), 1);
    const double single[] = {3 * kGHz};
    ASSERT_EQ(MakeCableFVs(cable.get(), 1, single), 1);
    EXPECT_EQ(numPairs(kCableDCbTm), 1);
    EXPECT_EQ(drift(kCableDCbTm, 3 * kGHz), 0.0f);
    EXPECT_EQ(drift(kCableDCbTp, 3 * kGHz), 0.0f);
}

TEST_F(CableFixture, RebuildMakesTablesLinearAgain) {
    ASSERT_EQ(SetCableFVInterpType(cable.get(), kCableDCbTm, INTERP_STEP), 1);
    ASSERT_EQ(SetCableFVNumPairs(cable.get(), kCableDCbTp, 7), 1);
    const double frequencies[] = {1 * kGHz, 2 * kGHz, 4 * kGHz};
    ASSERT_EQ(MakeCableFVs(cable.get(), 3, frequencies), 1);
    int type = 0;
    ASSERT_EQ(GetCableFVInterpType(cable.get(), kCableDCbTm, &type), 1);
    EXPECT_EQ(type, INTERP_LINEAR);
    EXPECT_EQ(numPairs(kCableDCbTp), 3);
    EXPECT_FLOAT_EQ(drift(kCableDCbTm, 3 * kGHz), 0.09f);
}

TEST_F(CableFixture, RefusedArgumentsLeaveTheTablesAsTheyWere) {
    const double built[] = {1 * kGHz, 2 * kGHz};
    ASSERT_EQ(MakeCableFVs(cable.get(), 2, built), 1);
    testing::CapturedMessages captured;
    const double negativeStart[] = {-1.0, 2 * kGHz};
    const double descending[] = {5 * kGHz, 1 * kGHz};
    const double negativeStop[] = {0.0, -1.0};
    EXPECT_EQ(MakeCableFVs(nullptr, 2, built), 0);
    EXPECT_EQ(MakeCableFVs(cable.get(), 0, built), 0);
    EXPECT_EQ(MakeCableFVs(cable.get(), 2, nullptr), 0);
    EXPECT_EQ(MakeCableFVs(cable.get(), 2, negativeStart), 0);
    EXPECT_EQ(MakeCableFVs(cable.get(), 2, descending), 0);
    EXPECT_EQ(MakeCableFVs(cable.get(), 2, negativeStop), 0);
    cable->lengthM = -1.0f; // the setter refuses it; the check does not rely on that
    EXPECT_EQ(MakeCableFVs(cable.get(), 2, built), 0);
    cable->lengthM = 1.5f;
    cable->tempVarC = NAN;
    EXPECT_EQ(MakeCableFVs(cable.get(), 2, built), 0);
    EXPECT_EQ(
        captured.errors(),
        (Texts{"MakeCableFVs: NULL info pointer.", "MakeCableFVs: invalid number of frequencies.",
               "MakeCableFVs: NULL parameter pointer.", "MakeCableFVs: invalid start frequency.",
               "MakeCableFVs: invalid stop frequency.", "MakeCableFVs: invalid stop frequency.",
               "MakeCableFVs: invalid length.", "MakeCableFVs: invalid temperature variation."}));
    EXPECT_EQ(numPairs(kCableDCbTm), 2);
    EXPECT_FLOAT_EQ(drift(kCableDCbTm, 2 * kGHz), 0.06f);
}

TEST_F(CableFixture, DielectricIsFoundByExactNameFirstMatchWins) {
    components.addDielectric("PTFE", 1.0f, 1.0f); // a later namesake is never used
    const double frequencies[] = {1 * kGHz};
    ASSERT_EQ(MakeCableFVs(cable.get(), 1, frequencies), 1);
    EXPECT_FLOAT_EQ(drift(kCableDCbTm, 1 * kGHz), 0.03f);

    testing::CapturedMessages captured;
    ASSERT_EQ(SetCableDielName(cable.get(), "ptfe"), 1);
    EXPECT_EQ(MakeCableFVs(cable.get(), 1, frequencies), 0);
    ASSERT_EQ(SetCableDielName(cable.get(), "PTFE "), 1);
    EXPECT_EQ(MakeCableFVs(cable.get(), 1, frequencies), 0);
    EXPECT_EQ(captured.errors(), Texts(2, "MakeCableFVs: unknown dielectric."));
}

TEST(CableWithoutDielectrics, EmptyOrMissingListIsUnknownDielectric) {
    testing::CapturedMessages captured;
    Owned<CableInfo> cable(CreateCableInfo());
    const double frequencies[] = {1 * kGHz};
    ASSERT_EQ(GlobalComponentLists().dielectrics, nullptr);
    EXPECT_EQ(MakeCableFVs(cable.get(), 1, frequencies), 0);
    {
        testing::ScopedComponentLists empty;
        EXPECT_EQ(MakeCableFVs(cable.get(), 1, frequencies), 0);
    }
    EXPECT_EQ(captured.errors(), Texts(2, "MakeCableFVs: unknown dielectric."));
}

TEST_F(CableFixture, SettersRefuseNegativeAndKeepTheOldValue) {
    testing::CapturedMessages captured;
    EXPECT_EQ(SetCableLength(cable.get(), -0.1f), 0);
    EXPECT_EQ(SetCableLength(cable.get(), NAN), 0);
    EXPECT_EQ(SetCableTempVar(cable.get(), -1.0f), 0);
    EXPECT_EQ(SetCableDielName(cable.get(), nullptr), 0);
    EXPECT_EQ(SetCableLength(nullptr, 1.0f), 0);
    EXPECT_EQ(
        captured.errors(),
        (Texts{"SetCableParam: invalid length.", "SetCableParam: invalid length.",
               "SetCableParam: invalid temperature variation.",
               "SetCableParam: NULL parameter pointer.", "SetCableParam: NULL info pointer."}));
    EXPECT_EQ(cable->lengthM, 1.5f);
    EXPECT_EQ(cable->tempVarC, 2.0f);
    EXPECT_EQ(SetCableLength(cable.get(), 0.0f), 1);
}

TEST_F(CableFixture, TableCodesAreCheckedHereAndTheRestByTheTable) {
    testing::CapturedMessages captured;
    float value = 0.0f;
    int n = 0;
    EXPECT_EQ(GetCableFVValue(cable.get(), 0, 1 * kGHz, &value), 0);
    EXPECT_EQ(GetCableFVNumPairs(cable.get(), 3, &n), 0);
    EXPECT_EQ(SetCableFVValueAt(cable.get(), 3, 0, 1.0f), 0);
    EXPECT_EQ(GetCableFVValueAt(nullptr, 1, 0, &value), 0);
    EXPECT_EQ(SetCableFVFreq(nullptr, 1, 0, 1.0), 0);
    EXPECT_EQ(GetCableFVValueAt(cable.get(), kCableDCbTp, 0, &value), 0);
    EXPECT_EQ(GetCableFVValue(cable.get(), kCableDCbTm, 1 * kGHz, &value), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"GetCableParam: unknown parameter.", "GetCableParam: unknown parameter.",
                     "SetCableParam: unknown parameter.", "GetCableParam: NULL info pointer.",
                     "SetCableParam: NULL info pointer.", "GetFVValue: invalid array index.",
                     "FVInterpolate: NULL pointer."}));
}

TEST_F(CableFixture, MissingTablesAreRecreatedByTheBuild) {
    DeallocateCableArrays(cable.get());
    DeallocateCableArrays(nullptr); // silent
    EXPECT_EQ(cable->DCbTm, nullptr);
    {
        testing::CapturedMessages captured;
        int n = 0;
        EXPECT_EQ(GetCableFVNumPairs(cable.get(), kCableDCbTm, &n), 0);
        EXPECT_EQ(captured.errors(), Texts{"GetFVParam: NULL info pointer."});
    }
    const double frequencies[] = {10 * kGHz};
    ASSERT_EQ(MakeCableFVs(cable.get(), 1, frequencies), 1);
    EXPECT_FLOAT_EQ(drift(kCableDCbTp, 10 * kGHz), 15.0f);
}

TEST(CableAllocation, ATableThatCannotBeCreatedStaysNull) {
    testing::CapturedMessages captured;
    Owned<CableInfo> cable;
    {
        testing::ScopedAllocationFailure failFirstTable(1); // the record succeeds
        cable.reset(CreateCableInfo());
    }
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(cable->DCbTm, nullptr);
    EXPECT_NE(cable->DCbTp, nullptr);
    {
        testing::ScopedAllocationFailure failRecord;
        EXPECT_EQ(CreateCableInfo(), nullptr);
    }
    EXPECT_EQ(captured.errors(), (Texts{"CreateFVInfo: error allocating memory.",
                                        "CreateCableInfo: error allocating memory."}));
}

} // namespace
} // namespace tolvane
