#include "components/dut.h"

#include "core/owned.h"
#include "support/allocation_failure.h"
#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Strings = std::vector<std::string>;

Owned<DUTInfo> NewDUT() {
    Owned<DUTInfo> dut(CreateDUTInfo());
    EXPECT_NE(dut, nullptr);
    return dut;
}

struct SParams {
    float s11 = 1.0f, s12 = 1.0f, s21 = 1.0f, s22 = 1.0f;
};

SParams SParamsAt(const DUTInfo* dut, int k) {
    SParams s;
    EXPECT_EQ(GetDUTSParams(dut, k, &s.s11, &s.s12, &s.s21, &s.s22), 1) << "k = " << k;
    return s;
}

TEST(DUTSParams, NewRecordIsAReciprocalTransmissionSweepFromMinus80To10) {
    testing::CapturedMessages messages;
    Owned<DUTInfo> dut = NewDUT();
    int type = 0, n = 0;
    ASSERT_EQ(GetDUTType(dut.get(), &type), 1);
    ASSERT_EQ(GetDUTTransNumValues(dut.get(), &n), 1);
    EXPECT_EQ(type, DUT_TRANSMISSION_ONLY);
    EXPECT_EQ(n, 91);

    const SParams first = SParamsAt(dut.get(), 0);
    EXPECT_EQ(first.s21, -80.0f);
    EXPECT_EQ(first.s12, -80.0f);
    EXPECT_EQ(first.s11, -140.0f);
    EXPECT_EQ(first.s22, -140.0f);
    EXPECT_EQ(SParamsAt(dut.get(), 45).s21, -35.0f);
    EXPECT_EQ(SParamsAt(dut.get(), 45).s12, -35.0f);
    EXPECT_EQ(SParamsAt(dut.get(), 90).s21, 10.0f);
    EXPECT_TRUE(messages.all().empty());
}

TEST(DUTSParams, NonReciprocalTransmissionUsesTheReverseTransmission) {
    Owned<DUTInfo> dut = NewDUT();
    ASSERT_EQ(SetDUTReverseTrans(dut.get(), -60.0f), 1);
    ASSERT_EQ(SetDUTReverseTransSaved(dut.get(), -50.0f), 1); // the files' copy is not read here
    for (int reciprocal : {0, 2, -1}) {
        ASSERT_EQ(SetDUTReciprocal(dut.get(), reciprocal), 1);
        for (int k : {0, 17, 90}) {
            const SParams s = SParamsAt(dut.get(), k);
            EXPECT_EQ(s.s12, -60.0f) << "reciprocal " << reciprocal << ", k " << k;
            EXPECT_EQ(s.s21, -80.0f + static_cast<float>(k));
        }
    }
}

TEST(DUTSParams, ReflectionSweepRunsFromMinimumToMaximumInEqualSteps) {
    Owned<DUTInfo> dut = NewDUT();
    ASSERT_EQ(SetDUTType(dut.get(), DUT_REFLECTION_ONLY), 1);
    // Default reflection sweep: 41 values from -40 dB to 0 dB in 1 dB steps.
    const SParams s = SParamsAt(dut.get(), 13);
    EXPECT_EQ(s.s11, -27.0f);
    EXPECT_EQ(s.s22, -27.0f);
    EXPECT_EQ(s.s12, -140.0f);
    EXPECT_EQ(s.s21, -140.0f);
    EXPECT_EQ(SParamsAt(dut.get(), 40).s11, 0.0f);

    // -10 dB to 0 dB in three steps of 10/3 dB.
    ASSERT_EQ(SetDUTReflMin(dut.get(), -10.0f), 1);
    ASSERT_EQ(SetDUTReflNumValues(dut.get(), 4), 1);
    EXPECT_FLOAT_EQ(SParamsAt(dut.get(), 1).s11, -20.0f / 3.0f);
    EXPECT_FLOAT_EQ(SParamsAt(dut.get(), 2).s11, -10.0f / 3.0f);
    EXPECT_NEAR(SParamsAt(dut.get(), 3).s11, 0.0f, 1e-6f);

    // A minimum above its maximum is accepted: the sweep then descends.
    ASSERT_EQ(SetDUTReflMax(dut.get(), -30.0f), 1);
    EXPECT_FLOAT_EQ(SParamsAt(dut.get(), 3).s11, -30.0f);
}

TEST(DUTSParams, SingleValueSweepAndIndexOutsideTheSweep) {
    testing::CapturedMessages messages;
    Owned<DUTInfo> dut = NewDUT();
    ASSERT_EQ(SetDUTType(dut.get(), DUT_REFLECTION_ONLY), 1);
    ASSERT_EQ(SetDUTReflNumValues(dut.get(), 1), 1);
    EXPECT_EQ(SParamsAt(dut.get(), 0).s11, -40.0f);

    SParams s;
    EXPECT_EQ(GetDUTSParams(dut.get(), 1, &s.s11, &s.s12, &s.s21, &s.s22), 0);
    EXPECT_EQ(GetDUTSParams(dut.get(), -1, &s.s11, &s.s12, &s.s21, &s.s22), 0);
    ASSERT_EQ(SetDUTType(dut.get(), DUT_TRANSMISSION_ONLY), 1);
    EXPECT_EQ(GetDUTSParams(dut.get(), 91, &s.s11, &s.s12, &s.s21, &s.s22), 0);
    EXPECT_EQ(messages.errors(), Strings(3, "GetDUTParam: invalid index."));
    EXPECT_EQ(s.s11, 1.0f); // outputs untouched on failure
    EXPECT_EQ(s.s21, 1.0f);
}

TEST(DUTSParams, UserDefinedReturnsItsValuesForAnyIndex) {
    testing::CapturedMessages messages;
    Owned<DUTInfo> dut = NewDUT();
    ASSERT_EQ(SetDUTType(dut.get(), DUT_USER_DEFINED), 1);
    ASSERT_EQ(SetDUTUserSParams(dut.get(), -200.0f, -30.0f, 3.5f, -12.0f), 1);
    for (int k : {0, 1000, -5}) {
        const SParams s = SParamsAt(dut.get(), k);
        EXPECT_EQ(s.s11, -200.0f); // user values have no floor
        EXPECT_EQ(s.s12, -30.0f);
        EXPECT_EQ(s.s21, 3.5f);
        EXPECT_EQ(s.s22, -12.0f);
    }
    EXPECT_TRUE(messages.all().empty());
}

TEST(DUTSParams, ATypeOutsideTheThreeIsRefusedByTheReaders) {
    testing::CapturedMessages messages;
    Owned<DUTInfo> dut = NewDUT();
    dut->type = 7; // only reachable by writing the field directly
    SParams s;
    float start = 0, stop = 0;
    int points = 0;
    EXPECT_EQ(GetDUTSParams(dut.get(), 0, &s.s11, &s.s12, &s.s21, &s.s22), 0);
    EXPECT_EQ(GetDUTUserValues(dut.get(), &s.s11, &s.s12, &s.s21, &s.s22, &start, &stop, &points),
              0);
    EXPECT_EQ(messages.errors(), Strings(2, "GetDUTParam: invalid DUT type."));
    EXPECT_EQ(points, 0);
}

TEST(DUTSetters, LevelsBelowTheFloorAreRaisedToIt) {
    Owned<DUTInfo> dut = NewDUT();
    using Setter = int (*)(DUTInfo*, float);
    using Getter = int (*)(const DUTInfo*, float*);
    const std::pair<Setter, Getter> levels[] = {
        {SetDUTReflMin, GetDUTReflMin},
        {SetDUTReflMax, GetDUTReflMax},
        {SetDUTTransMin, GetDUTTransMin},
        {SetDUTTransMax, GetDUTTransMax},
        {SetDUTReverseTrans, GetDUTReverseTrans},
        {SetDUTReverseTransSaved, GetDUTReverseTransSaved},
    };
    for (auto [set, get] : levels) {
        float value = 0.0f;
        ASSERT_EQ(set(dut.get(), -200.0f), 1);
        ASSERT_EQ(get(dut.get(), &value), 1);
        EXPECT_EQ(value, -140.0f);
        ASSERT_EQ(set(dut.get(), -139.5f), 1);
        ASSERT_EQ(get(dut.get(), &value), 1);
        EXPECT_EQ(value, -139.5f);
    }
    // Setting one reverse transmission leaves the other alone.
    float reverse = 0.0f;
    ASSERT_EQ(SetDUTReverseTrans(dut.get(), -70.0f), 1);
    ASSERT_EQ(GetDUTReverseTransSaved(dut.get(), &reverse), 1);
    EXPECT_EQ(reverse, -139.5f);
}

TEST(DUTSetters, RefusedValuesLeaveTheRecordUnchanged) {
    testing::CapturedMessages messages;
    Owned<DUTInfo> dut = NewDUT();
    const DUTInfo before = *dut;
    EXPECT_EQ(SetDUTType(dut.get(), 4), 0);
    EXPECT_EQ(SetDUTType(dut.get(), 0), 0);
    EXPECT_EQ(SetDUTReflNumValues(dut.get(), 0), 0);
    EXPECT_EQ(SetDUTTransNumValues(dut.get(), -3), 0);
    EXPECT_EQ(messages.errors(),
              (Strings{"SetDUTParam: invalid DUT type.", "SetDUTParam: invalid DUT type.",
                       "SetDUTParam: invalid number of values.",
                       "SetDUTParam: invalid number of values."}));
    EXPECT_EQ(*dut, before);
}

TEST(DUTRecord, NewRecordHoldsTheDocumentedDefaults) {
    Owned<DUTInfo> dut = NewDUT();
    float s11, s12, s21, s22, start, stop;
    int points = 0, reciprocal = 0, sweep = -1;
    ASSERT_EQ(GetDUTUserValues(dut.get(), &s11, &s12, &s21, &s22, &start, &stop, &points), 1);
    EXPECT_EQ((std::vector<float>{s11, s12, s21, s22, start, stop}),
              (std::vector<float>{-20.0f, -20.0f, 10.0f, -20.0f, 0.04f, 65.0f}));
    EXPECT_EQ(points, 101);
    ASSERT_EQ(GetDUTReciprocal(dut.get(), &reciprocal), 1);
    ASSERT_EQ(GetDUTFreqSweep(dut.get(), &sweep), 1);
    EXPECT_EQ(reciprocal, 1);
    EXPECT_EQ(sweep, 0);
    float reverse = 0, reverseSaved = 0;
    ASSERT_EQ(GetDUTReverseTrans(dut.get(), &reverse), 1);
    ASSERT_EQ(GetDUTReverseTransSaved(dut.get(), &reverseSaved), 1);
    EXPECT_EQ(reverse, -80.0f);
    EXPECT_EQ(reverseSaved, 10.0f);

    float f[kNumCoverageFactors] = {};
    ASSERT_EQ(GetDUTCoverageFactors(dut.get(), &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6],
                                    &f[7], &f[8], &f[9], &f[10], &f[11]),
              1);
    for (float factor : f)
        EXPECT_EQ(factor, 4.0f);
}

TEST(DUTRecord, CoverageFactorsAndUserValuesKeepTheirOrder) {
    Owned<DUTInfo> dut = NewDUT();
    ASSERT_EQ(SetDUTCoverageFactors(dut.get(), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12), 1);
    float f[kNumCoverageFactors] = {};
    ASSERT_EQ(GetDUTCoverageFactors(dut.get(), &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6],
                                    &f[7], &f[8], &f[9], &f[10], &f[11]),
              1);
    for (int i = 0; i < kNumCoverageFactors; ++i)
        EXPECT_EQ(f[i], static_cast<float>(i + 1));
    EXPECT_EQ(dut->coverageFactors[kCoverageK], 12.0f);
    EXPECT_EQ(dut->coverageFactors[kCoverageDirectivity], 1.0f);

    ASSERT_EQ(SetDUTUserValues(dut.get(), -1, -2, -3, -4, 0.5f, 20.0f, 11), 1);
    float s11, s12, s21, s22, start, stop;
    int points = 0;
    ASSERT_EQ(GetDUTUserValues(dut.get(), &s11, &s12, &s21, &s22, &start, &stop, &points), 1);
    EXPECT_EQ((std::vector<float>{s11, s12, s21, s22, start, stop}),
              (std::vector<float>{-1, -2, -3, -4, 0.5f, 20.0f}));
    EXPECT_EQ(points, 11);
}

TEST(DUTRecord, CopyTakesEveryField) {
    Owned<DUTInfo> source = NewDUT();
    Owned<DUTInfo> destination = NewDUT();
    ASSERT_EQ(SetDUTType(source.get(), DUT_USER_DEFINED), 1);
    ASSERT_EQ(SetDUTReflNumValues(source.get(), 7), 1);
    ASSERT_EQ(SetDUTTransNumValues(source.get(), 9), 1);
    ASSERT_EQ(SetDUTReflMin(source.get(), -33), 1);
    ASSERT_EQ(SetDUTReflMax(source.get(), -3), 1);
    ASSERT_EQ(SetDUTTransMin(source.get(), -66), 1);
    ASSERT_EQ(SetDUTTransMax(source.get(), 6), 1);
    ASSERT_EQ(SetDUTReverseTrans(source.get(), -44), 1);
    ASSERT_EQ(SetDUTReverseTransSaved(source.get(), -45), 1);
    ASSERT_EQ(SetDUTReciprocal(source.get(), 0), 1);
    ASSERT_EQ(SetDUTFreqSweep(source.get(), 1), 1);
    ASSERT_EQ(SetDUTUserValues(source.get(), -1, -2, -3, -4, 1.5f, 2.5f, 3), 1);
    ASSERT_EQ(SetDUTCoverageFactors(source.get(), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12), 1);
    ASSERT_NE(*source, *destination);

    ASSERT_EQ(CopyDUTInfo(source.get(), destination.get()), 1);
    EXPECT_EQ(*destination, *source);
}

TEST(DUTRecord, CreateReportsAnAllocationFailure) {
    testing::CapturedMessages messages;
    {
        testing::ScopedAllocationFailure failure;
        EXPECT_EQ(CreateDUTInfo(), nullptr);
    }
    EXPECT_EQ(messages.errors(), Strings{"CreateDUTInfo: error allocating memory."});
}

TEST(DUTRecord, NullArgumentsAreReportedUnderTheirRoutine) {
    testing::CapturedMessages messages;
    Owned<DUTInfo> dut = NewDUT();
    int n = 0;
    float f[kNumCoverageFactors] = {};
    EXPECT_EQ(DestroyDUTInfo(nullptr), 0);
    EXPECT_EQ(CopyDUTInfo(dut.get(), nullptr), 0);
    EXPECT_EQ(CopyDUTInfo(nullptr, dut.get()), 0);
    EXPECT_EQ(GetDUTReflNumValues(nullptr, &n), 0);
    EXPECT_EQ(GetDUTReflNumValues(dut.get(), nullptr), 0);
    EXPECT_EQ(GetDUTCoverageFactors(dut.get(), &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6],
                                    &f[7], &f[8], &f[9], &f[10], nullptr),
              0);
    EXPECT_EQ(GetDUTSParams(dut.get(), 0, &f[0], &f[1], nullptr, &f[3]), 0);
    EXPECT_EQ(SetDUTReflMin(nullptr, 0.0f), 0);
    EXPECT_EQ(SetDUTCoverageFactors(nullptr, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1), 0);
    EXPECT_EQ(
        messages.errors(),
        (Strings{"DestroyDUTInfo: NULL info pointer.", "CopyDUTInfo: NULL info pointer.",
                 "CopyDUTInfo: NULL info pointer.", "GetDUTParam: NULL info pointer.",
                 "GetDUTParam: NULL parameter pointer.", "GetDUTParam: NULL parameter pointer.",
                 "GetDUTParam: NULL parameter pointer.", "SetDUTParam: NULL info pointer.",
                 "SetDUTParam: NULL info pointer."}));
    for (float factor : f)
        EXPECT_EQ(factor, 0.0f); // nothing written when one output is null
}

} // namespace
} // namespace tolvane
