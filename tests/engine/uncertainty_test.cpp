#include "engine/uncertainty.h"

#include "core/owned.h"
#include "support/allocation_failure.h"
#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Strings = std::vector<std::string>;

// A record dimensioned for `rows` x `columns`.
Owned<UncertaintyInfo> Dimensioned(int rows, int columns) {
    Owned<UncertaintyInfo> results(CreateUncertaintyInfo());
    EXPECT_NE(results, nullptr);
    EXPECT_EQ(SetUncertaintyNumFreqs(results.get(), rows), 1);
    EXPECT_EQ(SetUncertaintyNumDUTValues(results.get(), columns), 1);
    EXPECT_EQ(InitializeUncertainty(results.get()), 1);
    return results;
}

struct Entry {
    float nominal = -1.0f, upper = -1.0f, phase = -1.0f;
    bool operator==(const Entry&) const = default;
};

Entry Refl(const UncertaintyInfo* results, int i, int j) {
    Entry e;
    EXPECT_EQ(GetUncertaintyRefl(results, i, j, &e.nominal, &e.upper, &e.phase), 1);
    return e;
}
Entry Trans(const UncertaintyInfo* results, int i, int j) {
    Entry e;
    EXPECT_EQ(GetUncertaintyTrans(results, i, j, &e.nominal, &e.upper, &e.phase), 1);
    return e;
}

TEST(UncertaintyEntries, AreStoredRowMajorByFrequency) {
    Owned<UncertaintyInfo> results = Dimensioned(2, 3);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(Refl(results.get(), i, j), (Entry{0, 0, 0}));
            EXPECT_EQ(Trans(results.get(), i, j), (Entry{0, 0, 0}));
        }

    ASSERT_EQ(SetUncertaintyRefl(results.get(), 1, 2, 0.1f, 0.11f, 5.7f), 1);
    ASSERT_EQ(SetUncertaintyTrans(results.get(), 1, 2, 0.5f, 0.6f, 9.0f), 1);
    ASSERT_EQ(SetUncertaintyRefl(results.get(), 0, 1, 0.2f, 0.3f, 1.0f), 1);
    EXPECT_EQ(results->reflNominal[5], 0.1f);
    EXPECT_EQ(results->reflUpperBound[5], 0.11f);
    EXPECT_EQ(results->reflPhaseDeg[5], 5.7f);
    EXPECT_EQ(results->transNominal[5], 0.5f);
    EXPECT_EQ(results->transUpperBound[5], 0.6f);
    EXPECT_EQ(results->transPhaseDeg[5], 9.0f);
    EXPECT_EQ(results->reflNominal[1], 0.2f);
    EXPECT_EQ(Refl(results.get(), 1, 2), (Entry{0.1f, 0.11f, 5.7f}));
    EXPECT_EQ(Trans(results.get(), 1, 2), (Entry{0.5f, 0.6f, 9.0f}));
    EXPECT_EQ(Trans(results.get(), 0, 1), (Entry{0, 0, 0})); // the two measurements are separate
}

TEST(UncertaintyEntries, IndicesOutsideTheCountsAreRefused) {
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results = Dimensioned(2, 3);
    Entry e;
    EXPECT_EQ(SetUncertaintyRefl(results.get(), 2, 0, 1, 1, 1), 0);
    EXPECT_EQ(SetUncertaintyRefl(results.get(), 1, 3, 1, 1, 1), 0);
    EXPECT_EQ(SetUncertaintyTrans(results.get(), 1, 3, 1, 1, 1), 0);
    EXPECT_EQ(SetUncertaintyTrans(results.get(), -1, 0, 1, 1, 1), 0);
    EXPECT_EQ(GetUncertaintyRefl(results.get(), 0, -1, &e.nominal, &e.upper, &e.phase), 0);
    EXPECT_EQ(GetUncertaintyTrans(results.get(), 2, 0, &e.nominal, &e.upper, &e.phase), 0);
    EXPECT_EQ(messages.errors(), (Strings{"SetUncertaintyParam: Invalid frequency array index.",
                                          "SetUncertaintyParam: Invalid reflection array index.",
                                          "SetUncertaintyParam: Invalid transmission array index.",
                                          "SetUncertaintyParam: Invalid frequency array index.",
                                          "GetUncertaintyParam: Invalid reflection array index.",
                                          "GetUncertaintyParam: Invalid frequency array index."}));
    EXPECT_EQ(e, (Entry{})); // outputs untouched
    for (float value : results->reflNominal)
        EXPECT_EQ(value, 0.0f);
}

TEST(UncertaintyEntries, NeedArraysDimensionedForTheCurrentCounts) {
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results(CreateUncertaintyInfo());
    ASSERT_NE(results, nullptr);
    Entry e;
    // No rows yet.
    EXPECT_EQ(GetUncertaintyRefl(results.get(), 0, 0, &e.nominal, &e.upper, &e.phase), 0);
    // Counts set, arrays not yet dimensioned.
    ASSERT_EQ(SetUncertaintyNumFreqs(results.get(), 2), 1);
    ASSERT_EQ(SetUncertaintyNumDUTValues(results.get(), 3), 1);
    EXPECT_EQ(GetUncertaintyRefl(results.get(), 0, 0, &e.nominal, &e.upper, &e.phase), 0);
    EXPECT_EQ(SetUncertaintyTrans(results.get(), 1, 2, 1, 1, 1), 0);
    // Dimensioned, then a count changed: the arrays no longer match and are not used.
    ASSERT_EQ(InitializeUncertainty(results.get()), 1);
    ASSERT_EQ(SetUncertaintyNumDUTValues(results.get(), 5), 1);
    EXPECT_EQ(SetUncertaintyRefl(results.get(), 1, 4, 1, 1, 1), 0);
    EXPECT_EQ(messages.errors(),
              (Strings{"GetUncertaintyParam: Invalid frequency array index.",
                       "GetUncertaintyParam: NULL pointer.", "SetUncertaintyParam: NULL pointer.",
                       "SetUncertaintyParam: NULL pointer."}));
    EXPECT_EQ(results->reflNominal.size(), 6u);
    // Back to the dimensioned counts, the arrays are in use again.
    ASSERT_EQ(SetUncertaintyNumDUTValues(results.get(), 3), 1);
    EXPECT_EQ(SetUncertaintyRefl(results.get(), 1, 2, 1, 1, 1), 1);
}

TEST(UncertaintyInitialize, RedimensionsZeroFilledAndRefusesEmptyCounts) {
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results = Dimensioned(2, 3);
    ASSERT_EQ(SetUncertaintyRefl(results.get(), 1, 2, 7, 7, 7), 1);
    ASSERT_EQ(SetUncertaintyNumFreqs(results.get(), 3), 1);
    ASSERT_EQ(InitializeUncertainty(results.get()), 1);
    EXPECT_EQ(results->transPhaseDeg.size(), 9u);
    EXPECT_EQ(Refl(results.get(), 1, 2), (Entry{0, 0, 0})); // earlier results are gone

    Owned<UncertaintyInfo> empty(CreateUncertaintyInfo());
    EXPECT_EQ(InitializeUncertainty(empty.get()), 0);
    ASSERT_EQ(SetUncertaintyNumFreqs(empty.get(), 1), 1);
    EXPECT_EQ(InitializeUncertainty(empty.get()), 0);
    EXPECT_EQ(InitializeUncertainty(nullptr), 0);
    EXPECT_EQ(messages.errors(), (Strings{"InitializeUncertainty: Invalid number of frequencies.",
                                          "InitializeUncertainty: Invalid number of DUT values.",
                                          "InitializeUncertainty: NULL info pointer."}));
}

TEST(UncertaintyInitialize, KeepsArraysOfAnUnchangedSize) {
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results = Dimensioned(2, 3);
    const float* storage = results->transPhaseDeg.data();
    ASSERT_EQ(SetUncertaintyTrans(results.get(), 1, 2, 7, 7, 7), 1);
    ASSERT_EQ(InitializeUncertainty(results.get()), 1);
    EXPECT_EQ(results->transPhaseDeg.data(), storage);
    EXPECT_EQ(Trans(results.get(), 1, 2), (Entry{0, 0, 0})); // zeroed all the same

    // For a writer of every entry: dimensioned as 3 x 2 in the same storage, nothing zeroed
    // until the writer zeroes what it did not store.
    ASSERT_EQ(SetUncertaintyTrans(results.get(), 1, 0, 4, 4, 4), 1); // position 3
    ASSERT_EQ(SetUncertaintyTrans(results.get(), 1, 2, 5, 5, 5), 1); // position 5
    ASSERT_EQ(SetUncertaintyNumFreqs(results.get(), 3), 1);
    ASSERT_EQ(SetUncertaintyNumDUTValues(results.get(), 2), 1);
    ASSERT_EQ(InitializeUncertaintyForWriting(results.get()), 1);
    EXPECT_EQ(results->transPhaseDeg.data(), storage);
    EXPECT_EQ(Trans(results.get(), 1, 1), (Entry{4, 4, 4}));
    EXPECT_EQ(Trans(results.get(), 2, 1), (Entry{5, 5, 5}));
    ZeroUncertaintyFrom(results.get(), 4);
    EXPECT_EQ(Trans(results.get(), 1, 1), (Entry{4, 4, 4}));
    EXPECT_EQ(Trans(results.get(), 2, 0), (Entry{0, 0, 0}));
    EXPECT_EQ(Trans(results.get(), 2, 1), (Entry{0, 0, 0}));
    ZeroUncertaintyFrom(results.get(), 100); // beyond the end: nothing
    ZeroUncertaintyFrom(nullptr, 0);
    EXPECT_TRUE(messages.all().empty());

    // It checks and reports as InitializeUncertainty does, and a failure leaves no arrays.
    ASSERT_EQ(SetUncertaintyNumFreqs(results.get(), 1), 1);
    results->numDUTValues = 0;
    EXPECT_EQ(InitializeUncertaintyForWriting(results.get()), 0);
    EXPECT_EQ(InitializeUncertaintyForWriting(nullptr), 0);
    EXPECT_TRUE(results->reflNominal.empty());
    EXPECT_EQ(messages.errors(), (Strings{"InitializeUncertainty: Invalid number of DUT values.",
                                          "InitializeUncertainty: NULL info pointer."}));
}

TEST(UncertaintyInitialize, AFailedArrayAllocationLeavesNoArrays) {
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results = Dimensioned(2, 3);
    ASSERT_EQ(SetUncertaintyNumFreqs(results.get(), 3), 1); // a new size: new arrays
    {
        testing::ScopedAllocationFailure failure(3); // the fourth of the six arrays
        EXPECT_EQ(InitializeUncertainty(results.get()), 0);
        EXPECT_EQ(failure.failed(), 1);
    }
    for (const auto* array :
         {&results->reflNominal, &results->reflUpperBound, &results->reflPhaseDeg,
          &results->transNominal, &results->transUpperBound, &results->transPhaseDeg})
        EXPECT_TRUE(array->empty());
    Entry e;
    EXPECT_EQ(GetUncertaintyRefl(results.get(), 0, 0, &e.nominal, &e.upper, &e.phase), 0);
    EXPECT_EQ(messages.errors(), (Strings{"InitializeUncertainty: error allocating memory.",
                                          "GetUncertaintyParam: NULL pointer."}));
    EXPECT_EQ(InitializeUncertainty(results.get()), 1); // dimensioning again recovers
    EXPECT_EQ(Refl(results.get(), 2, 2), (Entry{0, 0, 0}));

    testing::ScopedAllocationFailure failure;
    EXPECT_EQ(CreateUncertaintyInfo(), nullptr);
    EXPECT_EQ(messages.errors().back(), "CreateUncertaintyInfo: error allocating memory.");
}

TEST(UncertaintyInitialize, ArraysBeyondThePhysicalMemoryAreRefusedBeforeAllocating) {
    const std::size_t memory = PhysicalMemoryBytes();
    if (memory == std::size_t(-1)) GTEST_SKIP() << "the physical memory is not known here";
    // Twice the memory in all, each array a third of it: the system would grant every one of them
    // and end the program while they are written.
    const std::size_t columns = memory / (5000 * 6 * sizeof(float)) * 2 + 1;
    ASSERT_LE(columns, std::size_t{INT_MAX});
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results = Dimensioned(2, 3);
    ASSERT_EQ(SetUncertaintyNumFreqs(results.get(), 5000), 1);
    ASSERT_EQ(SetUncertaintyNumDUTValues(results.get(), static_cast<int>(columns)), 1);
    EXPECT_EQ(InitializeUncertainty(results.get()), 0);
    EXPECT_TRUE(results->reflNominal.empty());
    EXPECT_EQ(messages.errors(), Strings{"InitializeUncertainty: error allocating memory."});

    ASSERT_EQ(SetUncertaintyNumDUTValues(results.get(), 1001), 1);
    EXPECT_EQ(InitializeUncertainty(results.get()), 1);
    EXPECT_EQ(results->transPhaseDeg.size(), std::size_t{5000 * 1001});
}

TEST(UncertaintyInitialize, TheLargestRequestIsSizedWithoutOverflow) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer aborts on a failed allocation instead of throwing";
#else
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results = Dimensioned(2, 3);
    // 5000 x INT_MAX floats, six times: far more than any machine can give. Counted in int the
    // product would wrap to a small size and succeed.
    ASSERT_EQ(SetUncertaintyNumFreqs(results.get(), kMaxUncertaintyFrequencies), 1);
    ASSERT_EQ(SetUncertaintyNumDUTValues(results.get(), INT_MAX), 1);
    EXPECT_EQ(InitializeUncertainty(results.get()), 0);
    EXPECT_TRUE(results->reflNominal.empty());
    EXPECT_TRUE(results->transPhaseDeg.empty());
    ASSERT_EQ(SetUncertaintyNumFreqs(results.get(), 2), 1);
    ASSERT_EQ(SetUncertaintyNumDUTValues(results.get(), 3), 1);
    Entry e;
    EXPECT_EQ(GetUncertaintyTrans(results.get(), 0, 0, &e.nominal, &e.upper, &e.phase), 0);
    EXPECT_EQ(messages.errors(), (Strings{"InitializeUncertainty: error allocating memory.",
                                          "GetUncertaintyParam: NULL pointer."}));
#endif
}

TEST(UncertaintyFields, SettersCheckTheirValuesAndKeepTheOldOnes) {
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results(CreateUncertaintyInfo());
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(SetUncertaintyType(results.get(), 4), 0);
    EXPECT_EQ(SetUncertaintyType(results.get(), 0), 0);
    EXPECT_EQ(SetUncertaintyType(results.get(), 5), 1); // contains the reflection bit
    EXPECT_EQ(SetUncertaintyNumFreqs(results.get(), 0), 0);
    EXPECT_EQ(SetUncertaintyNumFreqs(results.get(), kMaxUncertaintyFrequencies + 1), 0);
    EXPECT_EQ(SetUncertaintyNumFreqs(results.get(), kMaxUncertaintyFrequencies), 1);
    EXPECT_EQ(SetUncertaintyNumDUTValues(results.get(), -2), 0);
    EXPECT_EQ(SetUncertaintyFreq(results.get(), 5000, 1e9), 0);
    EXPECT_EQ(SetUncertaintyFreq(results.get(), 5000, 0.0), 0); // the value is checked first
    EXPECT_EQ(SetUncertaintyFreq(results.get(), 3, -1.0), 0);
    EXPECT_EQ(SetUncertaintyFreq(results.get(), 4999, 65e9), 1);
    EXPECT_EQ(messages.errors(), (Strings{"SetUncertaintyParam: Invalid uncertainty type.",
                                          "SetUncertaintyParam: Invalid uncertainty type.",
                                          "SetUncertaintyParam: Invalid number of frequencies.",
                                          "SetUncertaintyParam: Invalid number of frequencies.",
                                          "SetUncertaintyParam: Invalid number of DUT values.",
                                          "SetUncertaintyParam: Invalid frequency array index.",
                                          "SetUncertaintyParam: Invalid frequency value.",
                                          "SetUncertaintyParam: Invalid frequency value."}));

    int type = 0, rows = 0, columns = -1;
    double frequency = 0.0;
    ASSERT_EQ(GetUncertaintyType(results.get(), &type), 1);
    ASSERT_EQ(GetUncertaintyNumFreqs(results.get(), &rows), 1);
    ASSERT_EQ(GetUncertaintyNumDUTValues(results.get(), &columns), 1);
    ASSERT_EQ(GetUncertaintyFreq(results.get(), 4999, &frequency), 1);
    EXPECT_EQ(type, 5);
    EXPECT_EQ(rows, kMaxUncertaintyFrequencies);
    EXPECT_EQ(columns, 0);
    EXPECT_EQ(frequency, 65e9);
    ASSERT_EQ(GetUncertaintyFreq(results.get(), 3, &frequency), 1);
    EXPECT_EQ(frequency, 0.0);
}

TEST(UncertaintyFields, NullArgumentsAreReportedUnderTheirRoutine) {
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results = Dimensioned(1, 1);
    int value = 0;
    double frequency = 0.0;
    float a = 0, b = 0;
    EXPECT_EQ(DestroyUncertaintyInfo(nullptr), 0);
    EXPECT_EQ(GetUncertaintyType(nullptr, &value), 0);
    EXPECT_EQ(GetUncertaintyNumFreqs(results.get(), nullptr), 0);
    EXPECT_EQ(GetUncertaintyFreq(results.get(), -1, &frequency), 0);
    EXPECT_EQ(GetUncertaintyRefl(results.get(), 0, 0, &a, nullptr, &b), 0);
    EXPECT_EQ(SetUncertaintyTrans(nullptr, 0, 0, 1, 1, 1), 0);
    DeallocateUncertaintyArrays(nullptr); // silent
    EXPECT_EQ(messages.errors(), (Strings{"DestroyUncertaintyInfo: NULL info pointer.",
                                          "GetUncertaintyParam: NULL info pointer.",
                                          "GetUncertaintyParam: NULL parameter pointer.",
                                          "GetUncertaintyParam: Invalid frequency array index.",
                                          "GetUncertaintyParam: NULL parameter pointer.",
                                          "SetUncertaintyParam: NULL info pointer."}));
}

TEST(UncertaintyRows, WritingARowEqualsSettingEachEntry) {
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> fast = Dimensioned(3, 4);
    Owned<UncertaintyInfo> slow = Dimensioned(3, 4);
    for (int i = 0; i < 3; ++i) {
        UncertaintyRow row;
        ASSERT_EQ(GetUncertaintyRow(fast.get(), i, &row), 1);
        ASSERT_EQ(row.reflNominal.size(), 4u);
        ASSERT_EQ(row.transPhaseDeg.size(), 4u);
        for (int j = 0; j < 4; ++j) {
            const float v = static_cast<float>(10 * i + j);
            row.reflNominal[j] = v;
            row.reflUpperBound[j] = v + 0.1f;
            row.reflPhaseDeg[j] = v + 0.2f;
            row.transNominal[j] = v + 0.3f;
            row.transUpperBound[j] = v + 0.4f;
            row.transPhaseDeg[j] = v + 0.5f;
            ASSERT_EQ(SetUncertaintyRefl(slow.get(), i, j, v, v + 0.1f, v + 0.2f), 1);
            ASSERT_EQ(SetUncertaintyTrans(slow.get(), i, j, v + 0.3f, v + 0.4f, v + 0.5f), 1);
        }
    }
    EXPECT_EQ(fast->reflNominal, slow->reflNominal);
    EXPECT_EQ(fast->reflUpperBound, slow->reflUpperBound);
    EXPECT_EQ(fast->reflPhaseDeg, slow->reflPhaseDeg);
    EXPECT_EQ(fast->transNominal, slow->transNominal);
    EXPECT_EQ(fast->transUpperBound, slow->transUpperBound);
    EXPECT_EQ(fast->transPhaseDeg, slow->transPhaseDeg);
    EXPECT_TRUE(messages.all().empty());
}

TEST(UncertaintyRows, AreCheckedOnceLikeTheEntrySetters) {
    testing::CapturedMessages messages;
    Owned<UncertaintyInfo> results = Dimensioned(2, 3);
    UncertaintyRow row;
    EXPECT_EQ(GetUncertaintyRow(results.get(), 2, &row), 0);
    EXPECT_EQ(GetUncertaintyRow(results.get(), -1, &row), 0);
    EXPECT_EQ(GetUncertaintyRow(results.get(), 0, nullptr), 0);
    EXPECT_EQ(GetUncertaintyRow(nullptr, 0, &row), 0);
    ASSERT_EQ(SetUncertaintyNumFreqs(results.get(), 4), 1);
    EXPECT_EQ(GetUncertaintyRow(results.get(), 3, &row), 0);
    EXPECT_EQ(messages.errors(), (Strings{"SetUncertaintyParam: Invalid frequency array index.",
                                          "SetUncertaintyParam: Invalid frequency array index.",
                                          "SetUncertaintyParam: NULL parameter pointer.",
                                          "SetUncertaintyParam: NULL info pointer.",
                                          "SetUncertaintyParam: NULL pointer."}));
    EXPECT_TRUE(row.reflNominal.empty());
}

} // namespace
} // namespace tolvane
