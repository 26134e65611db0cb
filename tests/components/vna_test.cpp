#include "components/vna.h"

#include "core/component_lists.h"
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

Owned<VNAInfo> NewVNA(const char* name = "") {
    Owned<VNAInfo> vna(CreateVNAInfo());
    EXPECT_NE(vna, nullptr);
    EXPECT_EQ(SetVNAName(vna.get(), name), 1);
    return vna;
}

// Fills a frequency table (code 1 or 3) with the pairs (frequency Hz, value).
void FillFV(VNAInfo* vna, int code, const std::vector<std::pair<double, float>>& pairs) {
    ASSERT_EQ(SetVNAFVNumPairs(vna, code, static_cast<int>(pairs.size())), 1);
    for (int i = 0; i < static_cast<int>(pairs.size()); ++i) {
        ASSERT_EQ(SetVNAFVFreq(vna, code, i, pairs[i].first), 1);
        ASSERT_EQ(SetVNAFVValueAt(vna, code, i, pairs[i].second), 1);
    }
}

void FillSRc(VNAInfo* vna, int type, const std::vector<std::pair<float, float>>& pairs) {
    ASSERT_EQ(SetVNAPVInterpType(vna, kVNATableSRc, type), 1);
    ASSERT_EQ(SetVNAPVNumPairs(vna, kVNATableSRc, static_cast<int>(pairs.size())), 1);
    for (int i = 0; i < static_cast<int>(pairs.size()); ++i) {
        ASSERT_EQ(SetVNAPVPower(vna, kVNATableSRc, i, pairs[i].first), 1);
        ASSERT_EQ(SetVNAPVValueAt(vna, kVNATableSRc, i, pairs[i].second), 1);
    }
}

std::vector<float> IFBandwidths(const VNAInfo* vna) {
    int count = 0;
    EXPECT_EQ(GetVNANumIFBWs(vna, &count), 1);
    std::vector<float> values(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(GetVNAIFBW(vna, i, &values[i]), 1);
    return values;
}

std::string NameOf(const VNAInfo* vna) {
    char buffer[128];
    EXPECT_EQ(GetVNAName(vna, buffer, sizeof buffer), 1);
    return buffer;
}

TEST(VNARecord, NewRecordHasDefaultLimitsAndAnUntypedReceiverTable) {
    testing::CapturedMessages messages;
    Owned<VNAInfo> vna = NewVNA();
    float minPower = 0, maxPower = 0, defaultPower = 1, nrcIfbw = 1;
    int averages = 1, count = 1, ssrType = 0, nrcType = 0, srcType = -1, pairs = -1;
    ASSERT_EQ(GetVNAMinPower(vna.get(), &minPower), 1);
    ASSERT_EQ(GetVNAMaxPower(vna.get(), &maxPower), 1);
    ASSERT_EQ(GetVNADefaultPower(vna.get(), &defaultPower), 1);
    ASSERT_EQ(GetVNANRcIFBW(vna.get(), &nrcIfbw), 1);
    ASSERT_EQ(GetVNANRcAverages(vna.get(), &averages), 1);
    ASSERT_EQ(GetVNANumIFBWs(vna.get(), &count), 1);
    EXPECT_EQ(minPower, -30.0f);
    EXPECT_EQ(maxPower, 10.0f);
    EXPECT_EQ(defaultPower, 0.0f);
    EXPECT_EQ(nrcIfbw, 0.0f);
    EXPECT_EQ(averages, 0);
    EXPECT_EQ(count, 0);

    ASSERT_EQ(GetVNAFVInterpType(vna.get(), kVNATableSSr, &ssrType), 1);
    ASSERT_EQ(GetVNAFVInterpType(vna.get(), kVNATableNRc, &nrcType), 1);
    ASSERT_EQ(GetVNAPVInterpType(vna.get(), kVNATableSRc, &srcType), 1);
    ASSERT_EQ(GetVNAPVNumPairs(vna.get(), kVNATableSRc, &pairs), 1);
    EXPECT_EQ(ssrType, INTERP_LINEAR);
    EXPECT_EQ(nrcType, INTERP_LINEAR);
    EXPECT_EQ(srcType, 0);
    EXPECT_EQ(pairs, 0);
    EXPECT_TRUE(messages.all().empty());

    // SRc refuses lookups until its type is set, even once it has pairs.
    ASSERT_EQ(SetVNAPVNumPairs(vna.get(), kVNATableSRc, 1), 1);
    float value = 123.0f;
    EXPECT_EQ(GetVNAPVValue(vna.get(), kVNATableSRc, 0.0f, &value), 0);
    EXPECT_EQ(messages.errors(), Strings{"GetPVValue: invalid interpolation type."});
    EXPECT_EQ(value, 123.0f);
    ASSERT_EQ(SetVNAPVInterpType(vna.get(), kVNATableSRc, INTERP_STEP), 1);
    EXPECT_EQ(GetVNAPVValue(vna.get(), kVNATableSRc, 0.0f, &value), 1);
    EXPECT_EQ(value, 0.0f);
}

TEST(VNATables, CodesSelectTheirOwnTable) {
    testing::CapturedMessages messages;
    Owned<VNAInfo> vna = NewVNA();
    FillFV(vna.get(), kVNATableSSr, {{1e9, 0.1f}, {2e9, 0.3f}});
    FillFV(vna.get(), kVNATableNRc, {{1e9, 110.0f}, {3e9, 90.0f}});
    FillSRc(vna.get(), INTERP_LINEAR, {{-20.0f, 0.02f}, {0.0f, 0.06f}});

    // Code 1 is the record's SSr table and code 3 its NRc table.
    EXPECT_EQ(vna->ssr->values, (std::vector<float>{0.1f, 0.3f}));
    EXPECT_EQ(vna->nrc->values, (std::vector<float>{110.0f, 90.0f}));
    EXPECT_EQ(vna->src->values, (std::vector<float>{0.02f, 0.06f}));

    float ssr = 0, nrc = 0, src = 0;
    ASSERT_EQ(GetVNAFVValue(vna.get(), kVNATableSSr, 1.5e9, &ssr), 1);
    ASSERT_EQ(GetVNAFVValue(vna.get(), kVNATableNRc, 2e9, &nrc), 1);
    ASSERT_EQ(GetVNAPVValue(vna.get(), kVNATableSRc, -10.0f, &src), 1);
    EXPECT_FLOAT_EQ(ssr, 0.2f);
    EXPECT_FLOAT_EQ(nrc, 100.0f);
    EXPECT_FLOAT_EQ(src, 0.04f);

    double frequency = 0;
    float power = 0, value = 0;
    int n = 0;
    ASSERT_EQ(GetVNAFVFreq(vna.get(), kVNATableNRc, 1, &frequency), 1);
    ASSERT_EQ(GetVNAFVValueAt(vna.get(), kVNATableSSr, 1, &value), 1);
    ASSERT_EQ(GetVNAPVPower(vna.get(), kVNATableSRc, 0, &power), 1);
    ASSERT_EQ(GetVNAFVNumPairs(vna.get(), kVNATableSSr, &n), 1);
    EXPECT_EQ(frequency, 3e9);
    EXPECT_EQ(value, 0.3f);
    EXPECT_EQ(power, -20.0f);
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(messages.all().empty());
}

TEST(VNATables, UnknownCodesAndNullRecordsAreTheVNAModulesOwnFailures) {
    testing::CapturedMessages messages;
    Owned<VNAInfo> vna = NewVNA();
    FillFV(vna.get(), kVNATableSSr, {{1e9, 0.1f}});
    float value = 7.0f;
    int n = 0;
    EXPECT_EQ(GetVNAFVValue(vna.get(), kVNATableSRc, 1e9, &value), 0);
    EXPECT_EQ(GetVNAPVValue(vna.get(), kVNATableSSr, 0.0f, &value), 0);
    EXPECT_EQ(GetVNAPVNumPairs(vna.get(), kVNATableNRc, &n), 0);
    EXPECT_EQ(SetVNAFVNumPairs(vna.get(), 0, 3), 0);
    EXPECT_EQ(SetVNAPVInterpType(vna.get(), 4, INTERP_LINEAR), 0);
    EXPECT_EQ(GetVNAFVNumPairs(nullptr, kVNATableSSr, &n), 0);
    EXPECT_EQ(SetVNAPVPower(nullptr, kVNATableSRc, 0, 0.0f), 0);
    EXPECT_EQ(messages.errors(),
              (Strings{"GetVNAParam: unknown parameter.", "GetVNAParam: unknown parameter.",
                       "GetVNAParam: unknown parameter.", "SetVNAParam: unknown parameter.",
                       "SetVNAParam: unknown parameter.", "GetVNAParam: NULL info pointer.",
                       "SetVNAParam: NULL info pointer."}));
    EXPECT_EQ(value, 7.0f);
    ASSERT_EQ(GetVNAFVNumPairs(vna.get(), kVNATableSSr, &n), 1);
    EXPECT_EQ(n, 1); // the refused resize changed nothing

    // Every other failure is the table's own, with nothing added by the VNA module.
    messages.clear();
    EXPECT_EQ(GetVNAFVValue(vna.get(), kVNATableSSr, 5e9, &value), 0);
    EXPECT_EQ(SetVNAFVFreq(vna.get(), kVNATableNRc, 0, 1e9), 0);
    EXPECT_EQ(messages.errors(), (Strings{"FVInterpolate: abscissa out of range.",
                                          "SetFVParam: invalid array index."}));
}

TEST(VNAIFBandwidths, AreKeptInTheOrderTheyWereAdded) {
    testing::CapturedMessages messages;
    Owned<VNAInfo> vna = NewVNA();
    for (float ifbw : {10.0f, 100.0f, 1000.0f})
        ASSERT_EQ(AddVNAIFBW(vna.get(), ifbw), 1);
    EXPECT_EQ(IFBandwidths(vna.get()), (std::vector<float>{10.0f, 100.0f, 1000.0f}));

    float value = -1.0f;
    EXPECT_EQ(GetVNAIFBW(vna.get(), 3, &value), 0);
    EXPECT_EQ(GetVNAIFBW(vna.get(), -1, &value), 0);
    EXPECT_EQ(GetVNAIFBW(vna.get(), 0, nullptr), 0);
    EXPECT_EQ(AddVNAIFBW(nullptr, 10.0f), 0);
    EXPECT_EQ(messages.errors(),
              (Strings{"GetVNAParam: invalid IF bandwidth list index.",
                       "GetVNAParam: invalid IF bandwidth list index.",
                       "GetVNAParam: NULL parameter pointer.", "SetVNAParam: NULL info pointer."}));
    EXPECT_EQ(value, -1.0f);

    // After the arrays are freed the record lists nothing, and a new entry starts a new list.
    DeallocateVNAArrays(vna.get());
    EXPECT_TRUE(IFBandwidths(vna.get()).empty());
    ASSERT_EQ(AddVNAIFBW(vna.get(), 30.0f), 1);
    EXPECT_EQ(IFBandwidths(vna.get()), std::vector<float>{30.0f});
}

// A source VNA with every field set and tables of several pairs.
Owned<VNAInfo> FilledSource() {
    Owned<VNAInfo> source = NewVNA("Analyzer 67 GHz");
    EXPECT_EQ(SetVNANRcAverages(source.get(), 16), 1);
    EXPECT_EQ(SetVNANRcIFBW(source.get(), 10.0f), 1);
    EXPECT_EQ(SetVNAMinPower(source.get(), -55.0f), 1);
    EXPECT_EQ(SetVNAMaxPower(source.get(), 8.5f), 1);
    EXPECT_EQ(SetVNADefaultPower(source.get(), -5.0f), 1);
    for (float ifbw : {10.0f, 100.0f, 1000.0f})
        EXPECT_EQ(AddVNAIFBW(source.get(), ifbw), 1);
    FillFV(source.get(), kVNATableSSr, {{1e7, 0.05f}, {2e10, 0.1f}, {6.7e10, 0.3f}});
    FillFV(source.get(), kVNATableNRc, {{1e7, 100.0f}, {6.7e10, 85.0f}});
    EXPECT_EQ(SetVNAFVInterpType(source.get(), kVNATableNRc, INTERP_STEP), 1);
    FillSRc(source.get(), INTERP_SMOOTH_FIT, {{-10.0f, 0.01f}, {0.0f, 0.02f}, {10.0f, 0.1f}});
    return source;
}

TEST(VNACopy, CopiesTablesNameAndLimitsAndAppendsIFBandwidths) {
    testing::CapturedMessages messages;
    Owned<VNAInfo> source = FilledSource();
    Owned<VNAInfo> destination = NewVNA("old name");
    ASSERT_EQ(AddVNAIFBW(destination.get(), 30.0f), 1);
    ASSERT_EQ(SetVNADefaultPower(destination.get(), 3.0f), 1);
    FillFV(destination.get(), kVNATableSSr, {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}});

    ASSERT_EQ(CopyVNAInfo(source.get(), destination.get()), 1);
    EXPECT_TRUE(messages.all().empty());
    EXPECT_EQ(NameOf(destination.get()), "Analyzer 67 GHz");
    EXPECT_EQ(destination->nrcAverages, 16);
    EXPECT_EQ(destination->nrcIfBandwidthHz, 10.0f);
    EXPECT_EQ(destination->minPowerDbm, -55.0f);
    EXPECT_EQ(destination->maxPowerDbm, 8.5f);
    EXPECT_EQ(destination->defaultPowerDbm, 3.0f); // the default port power is not copied
    EXPECT_EQ(IFBandwidths(destination.get()), (std::vector<float>{30.0f, 10.0f, 100.0f, 1000.0f}));

    for (auto [table, copy] : {std::pair{source->ssr.get(), destination->ssr.get()},
                               std::pair{source->nrc.get(), destination->nrc.get()}}) {
        EXPECT_EQ(copy->interpType, table->interpType);
        EXPECT_EQ(copy->numPairs, table->numPairs);
        EXPECT_EQ(copy->frequenciesHz, table->frequenciesHz);
        EXPECT_EQ(copy->values, table->values);
    }
    EXPECT_EQ(destination->src->interpType, INTERP_SMOOTH_FIT);
    EXPECT_EQ(destination->src->powersDbm, source->src->powersDbm);
    EXPECT_EQ(destination->src->values, source->src->values);

    // The copy is independent of its source.
    ASSERT_EQ(SetVNAFVValueAt(source.get(), kVNATableSSr, 0, 9.0f), 1);
    ASSERT_EQ(AddVNAIFBW(source.get(), 3.0f), 1);
    EXPECT_EQ(destination->ssr->values[0], 0.05f);
    EXPECT_EQ(IFBandwidths(destination.get()).size(), 4u);
}

TEST(VNACopy, OntoItselfChangesNothing) {
    Owned<VNAInfo> vna = FilledSource();
    ASSERT_EQ(CopyVNAInfo(vna.get(), vna.get()), 1);
    EXPECT_EQ(IFBandwidths(vna.get()), (std::vector<float>{10.0f, 100.0f, 1000.0f}));
    EXPECT_EQ(vna->ssr->values, (std::vector<float>{0.05f, 0.1f, 0.3f}));
    EXPECT_EQ(vna->src->values, (std::vector<float>{0.01f, 0.02f, 0.1f}));
}

TEST(VNACopy, AFailingTableStopsTheCopyWithAChainOfMessages) {
    testing::CapturedMessages messages;
    Owned<VNAInfo> source = FilledSource();
    Owned<VNAInfo> destination = NewVNA("kept");
    // A record whose SRc table could not be created.
    source->src.reset();

    EXPECT_EQ(CopyVNAInfo(source.get(), destination.get()), 0);
    EXPECT_EQ(messages.errors(), (Strings{"CopyPVInfo: NULL info pointer.",
                                          "CopyVNAInfo: Error in a called routine."}));
    EXPECT_EQ(destination->ssr->numPairs, 3); // copied before the failure
    EXPECT_EQ(NameOf(destination.get()), "kept");
    EXPECT_EQ(destination->minPowerDbm, -30.0f);
    EXPECT_TRUE(IFBandwidths(destination.get()).empty());

    messages.clear();
    EXPECT_EQ(CopyVNAInfo(nullptr, destination.get()), 0);
    EXPECT_EQ(CopyVNAInfo(source.get(), nullptr), 0);
    EXPECT_EQ(messages.errors(), Strings(2, "CopyVNAInfo: NULL info pointer."));
}

// Installs a VNA list of its own in the global component lists for one test.
class VNAListFixture : public ::testing::Test {
protected:
    VNAListFixture() : previous_(GlobalComponentLists().vnas) {
        GlobalComponentLists().vnas = CreateInfoList();
    }
    ~VNAListFixture() override {
        DestroyInfoListAndItems<VNAInfo>(GlobalComponentLists().vnas, DestroyVNAInfo);
        GlobalComponentLists().vnas = previous_;
    }
    VNAInfo* Add(const char* name) {
        VNAInfo* vna = NewVNA(name).release();
        EXPECT_EQ(AddInfoListItem(GlobalComponentLists().vnas, vna), 1);
        return vna;
    }

private:
    InfoList* previous_;
};

TEST_F(VNAListFixture, FindReturnsTheFirstExactMatchOfTheList) {
    testing::CapturedMessages messages;
    VNAInfo* upper = Add("ZVA 24");
    VNAInfo* lower = Add("zva 24");
    Add("ZVA 24"); // a later duplicate is never found
    EXPECT_EQ(FindVNAInfo("ZVA 24"), upper);
    EXPECT_EQ(FindVNAInfo("zva 24"), lower);
    EXPECT_TRUE(messages.all().empty());

    EXPECT_EQ(FindVNAInfo("ZVA"), nullptr);
    EXPECT_EQ(FindVNAInfo("ZVA 24 "), nullptr);
    EXPECT_EQ(FindVNAInfo(nullptr), nullptr);
    EXPECT_EQ(messages.errors(), (Strings{"FindVNAInfo: a VNA of the chosen type does not exist.",
                                          "FindVNAInfo: a VNA of the chosen type does not exist.",
                                          "FindVNAInfo: NULL pointer."}));
}

TEST_F(VNAListFixture, FindInAnEmptyOrMissingListFindsNothing) {
    testing::CapturedMessages messages;
    EXPECT_EQ(FindVNAInfo("ZVA 24"), nullptr);
    InfoList* list = GlobalComponentLists().vnas;
    GlobalComponentLists().vnas = nullptr;
    EXPECT_EQ(FindVNAInfo("ZVA 24"), nullptr);
    GlobalComponentLists().vnas = list;
    EXPECT_EQ(messages.errors(),
              Strings(2, "FindVNAInfo: a VNA of the chosen type does not exist."));
}

TEST(VNARecord, NamesAreCutTo127CharactersAndNullArgumentsReported) {
    testing::CapturedMessages messages;
    Owned<VNAInfo> vna = NewVNA(std::string(200, 'N').c_str());
    EXPECT_EQ(NameOf(vna.get()), std::string(127, 'N'));
    char shortBuffer[10];
    ASSERT_EQ(GetVNAName(vna.get(), shortBuffer, sizeof shortBuffer), 1);
    EXPECT_EQ(std::string(shortBuffer), std::string(9, 'N'));

    float power = 0;
    EXPECT_EQ(DestroyVNAInfo(nullptr), 0);
    EXPECT_EQ(SetVNAName(vna.get(), nullptr), 0);
    EXPECT_EQ(GetVNAName(vna.get(), nullptr, 10), 0);
    EXPECT_EQ(GetVNAMaxPower(nullptr, &power), 0);
    EXPECT_EQ(GetVNAMaxPower(vna.get(), nullptr), 0);
    EXPECT_EQ(SetVNAMinPower(nullptr, 0.0f), 0);
    DeallocateVNAArrays(nullptr); // silent
    EXPECT_EQ(messages.errors(),
              (Strings{"DestroyVNAInfo: NULL info pointer.", "SetVNAParam: NULL parameter pointer.",
                       "GetVNAParam: NULL parameter pointer.", "GetVNAParam: NULL info pointer.",
                       "GetVNAParam: NULL parameter pointer.", "SetVNAParam: NULL info pointer."}));
}

TEST(VNAAllocation, ARecordWithoutATableIsStillUsable) {
    testing::CapturedMessages messages;
    {
        testing::ScopedAllocationFailure failure; // the record itself
        EXPECT_EQ(CreateVNAInfo(), nullptr);
    }
    Owned<VNAInfo> withoutSSr;
    {
        testing::ScopedAllocationFailure failure(1); // the SSr table
        withoutSSr.reset(CreateVNAInfo());
    }
    EXPECT_EQ(messages.errors(), (Strings{"CreateVNAInfo: error allocating memory.",
                                          "CreateFVInfo: error allocating memory."}));
    ASSERT_NE(withoutSSr, nullptr);
    EXPECT_EQ(withoutSSr->ssr, nullptr);
    EXPECT_NE(withoutSSr->src, nullptr);
    EXPECT_NE(withoutSSr->nrc, nullptr);

    messages.clear();
    ASSERT_EQ(AddVNAIFBW(withoutSSr.get(), 100.0f), 1);
    EXPECT_EQ(IFBandwidths(withoutSSr.get()), std::vector<float>{100.0f});
    float value = 0;
    EXPECT_EQ(GetVNAFVValue(withoutSSr.get(), kVNATableSSr, 1e9, &value), 0);
    EXPECT_EQ(messages.errors(), Strings{"GetFVValue: NULL info pointer."});
}

TEST(VNAAllocation, IFBandwidthAllocationFailures) {
    testing::CapturedMessages messages;
    Owned<VNAInfo> vna = NewVNA();
    {
        testing::ScopedAllocationFailure failure;
        EXPECT_EQ(AddVNAIFBW(vna.get(), 10.0f), 0);
    }
    EXPECT_EQ(messages.errors(), Strings{"SetVNAParam: error allocating memory."});
    EXPECT_TRUE(IFBandwidths(vna.get()).empty());

    // While copying, an IF bandwidth that cannot be stored is left out without a message.
    messages.clear();
    Owned<VNAInfo> source = NewVNA("source");
    ASSERT_EQ(SetVNAPVInterpType(source.get(), kVNATableSRc, INTERP_LINEAR), 1); // copyable
    for (float ifbw : {10.0f, 100.0f, 1000.0f})
        ASSERT_EQ(AddVNAIFBW(source.get(), ifbw), 1);
    Owned<VNAInfo> destination = NewVNA();
    {
        testing::ScopedAllocationFailure failure(1); // the list's growth for the second entry
        EXPECT_EQ(CopyVNAInfo(source.get(), destination.get()), 1);
        EXPECT_EQ(failure.failed(), 1);
    }
    EXPECT_TRUE(messages.all().empty());
    const std::vector<float> copied = IFBandwidths(destination.get());
    ASSERT_EQ(copied.size(), 2u);
    EXPECT_EQ(copied[0], 10.0f);
    EXPECT_EQ(copied[1], 1000.0f);
    EXPECT_EQ(NameOf(destination.get()), "source");
}

} // namespace
} // namespace tolvane
