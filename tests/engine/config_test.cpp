#include "engine/config.h"

#include "components/dut.h"
#include "support/allocation_failure.h"
#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

struct ConfigFixture : ::testing::Test {
    void SetUp() override { ASSERT_NE(config, nullptr); }
    void TearDown() override { EXPECT_EQ(DestroyConfigInfo(config), 1); }
    ConfigInfo* config = CreateConfigInfo();
};

TEST_F(ConfigFixture, NewRecordHoldsItsDefaultsAndAFreshDUT) {
    testing::CapturedMessages captured;
    int n = -1, averages = -1;
    float length1 = 0, length2 = 0, tempVar = 0, power = 0, ifbw = 0;
    ASSERT_TRUE(GetConfigNumFreqs(config, &n) && GetConfigAverages(config, &averages) &&
                GetConfigCableLength(config, 1, &length1) &&
                GetConfigCableLength(config, 2, &length2) && GetConfigTempVar(config, &tempVar) &&
                GetConfigPower(config, &power) && GetConfigIFBW(config, &ifbw));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(averages, 512);
    EXPECT_EQ(length1, 1000.0f);
    EXPECT_EQ(length2, 1000.0f);
    EXPECT_EQ(tempVar, 1000.0f);
    EXPECT_EQ(power, 1000.0f);
    EXPECT_EQ(ifbw, 1000.0f);

    char name[128] = "x";
    ASSERT_TRUE(GetConfigVNAName(config, name, sizeof name));
    EXPECT_STREQ(name, "");
    ASSERT_TRUE(GetConfigCalName(config, name, sizeof name));
    EXPECT_STREQ(name, "");
    ASSERT_TRUE(GetConfigDielName(config, 2, name, sizeof name));
    EXPECT_STREQ(name, "");

    double frequencyHz = -1.0;
    ASSERT_TRUE(GetConfigFreq(config, 4999, &frequencyHz));
    EXPECT_EQ(frequencyHz, 0.0);

    DUTInfo* dut = nullptr;
    ASSERT_TRUE(GetConfigDUT(config, &dut));
    ASSERT_NE(dut, nullptr);
    int type = 0;
    ASSERT_TRUE(GetDUTType(dut, &type));
    EXPECT_EQ(type, DUT_TRANSMISSION_ONLY);
    EXPECT_TRUE(captured.all().empty());
}

TEST_F(ConfigFixture, SettersRefuseBadValuesWithTheirMessagesAndKeepTheField) {
    testing::CapturedMessages captured;
    // The length is tested before the cable number.
    EXPECT_EQ(SetConfigCableLength(config, 3, -1.0f), 0);
    EXPECT_EQ(SetConfigCableLength(config, 3, 2.0f), 0);
    EXPECT_EQ(SetConfigCableLength(config, 1, NAN), 0);
    EXPECT_EQ(SetConfigTempVar(config, -0.5f), 0);
    EXPECT_EQ(SetConfigAverages(config, 0), 0);
    EXPECT_EQ(SetConfigNumFreqs(config, 0), 0);
    EXPECT_EQ(SetConfigNumFreqs(config, 5001), 0);
    // The value is tested before the index.
    EXPECT_EQ(SetConfigFreq(config, 5000, -1.0), 0);
    EXPECT_EQ(SetConfigFreq(config, 5000, 1.0e9), 0);
    EXPECT_EQ(SetConfigFreq(config, -1, 1.0e9), 0);
    EXPECT_EQ(SetConfigFreq(config, 0, 0.0), 0);
    EXPECT_EQ(SetConfigFreq(config, 0, NAN), 0);
    EXPECT_EQ(SetConfigDielName(config, 0, "PTFE"), 0);
    EXPECT_EQ(captured.errors(), (Texts{
                                     "SetConfigParam: Invalid cable length.",
                                     "SetConfigParam: unknown parameter.",
                                     "SetConfigParam: Invalid cable length.",
                                     "SetConfigParam: Invalid temperature variation.",
                                     "SetConfigParam: Invalid number of averages.",
                                     "SetConfigParam: Invalid number of frequencies.",
                                     "SetConfigParam: Too many frequencies, maximum is 5000.",
                                     "SetConfigParam: Invalid frequency value.",
                                     "SetConfigParam: Invalid index into the frequency array.",
                                     "SetConfigParam: Invalid index into the frequency array.",
                                     "SetConfigParam: Invalid frequency value.",
                                     "SetConfigParam: Invalid frequency value.",
                                     "SetConfigParam: unknown parameter.",
                                 }));

    int n = -1, averages = -1;
    float length = 0, tempVar = 0;
    double frequencyHz = -1.0;
    ASSERT_TRUE(GetConfigNumFreqs(config, &n) && GetConfigAverages(config, &averages) &&
                GetConfigCableLength(config, 1, &length) && GetConfigTempVar(config, &tempVar) &&
                GetConfigFreq(config, 0, &frequencyHz));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(averages, 512);
    EXPECT_EQ(length, 1000.0f);
    EXPECT_EQ(tempVar, 1000.0f);
    EXPECT_EQ(frequencyHz, 0.0);
}

TEST_F(ConfigFixture, LimitsThatAreAccepted) {
    testing::CapturedMessages captured;
    EXPECT_EQ(SetConfigCableLength(config, 2, 0.0f), 1);
    EXPECT_EQ(SetConfigTempVar(config, 0.0f), 1);
    EXPECT_EQ(SetConfigAverages(config, 1), 1);
    EXPECT_EQ(SetConfigNumFreqs(config, 1), 1);
    EXPECT_EQ(SetConfigNumFreqs(config, 5000), 1);
    EXPECT_EQ(SetConfigFreq(config, 4999, 1.0e-3), 1);
    // No checks on power and IF bandwidth: the computation tests the power.
    EXPECT_EQ(SetConfigPower(config, -200.0f), 1);
    EXPECT_EQ(SetConfigIFBW(config, 0.0f), 1);
    EXPECT_TRUE(captured.all().empty());

    float length1 = 0, length2 = 0, power = 0;
    ASSERT_TRUE(GetConfigCableLength(config, 1, &length1) &&
                GetConfigCableLength(config, 2, &length2) && GetConfigPower(config, &power));
    EXPECT_EQ(length1, 1000.0f) << "cable 2's setter must not touch cable 1";
    EXPECT_EQ(length2, 0.0f);
    EXPECT_EQ(power, -200.0f);
}

TEST_F(ConfigFixture, FrequencyListIsIndependentOfTheCount) {
    ASSERT_TRUE(SetConfigFreq(config, 0, 1.0e9));
    ASSERT_TRUE(SetConfigFreq(config, 4999, 26.5e9));
    ASSERT_TRUE(SetConfigNumFreqs(config, 1));
    ASSERT_TRUE(SetConfigNumFreqs(config, 3));
    double first = 0.0, last = 0.0;
    ASSERT_TRUE(GetConfigFreq(config, 0, &first) && GetConfigFreq(config, 4999, &last));
    EXPECT_EQ(first, 1.0e9);
    EXPECT_EQ(last, 26.5e9);

    testing::CapturedMessages captured;
    EXPECT_EQ(GetConfigFreq(config, 5000, &last), 0);
    EXPECT_EQ(GetConfigFreq(config, -1, &last), 0);
    EXPECT_EQ(last, 26.5e9);
    EXPECT_EQ(captured.errors(),
              (Texts{"GetConfigParam: Invalid index into the frequency array.",
                     "GetConfigParam: Invalid index into the frequency array."}));
}

TEST_F(ConfigFixture, NamesKeep127CharactersAndTheGetterTerminates) {
    const std::string longName(200, 'v');
    ASSERT_TRUE(SetConfigVNAName(config, longName.c_str()));
    char name[128] = {};
    ASSERT_TRUE(GetConfigVNAName(config, name, sizeof name));
    EXPECT_EQ(std::string(name), longName.substr(0, 127));

    ASSERT_TRUE(SetConfigCalName(config, "Kit 3.5mm"));
    char shortBuffer[10];
    ASSERT_TRUE(GetConfigCalName(config, shortBuffer, sizeof shortBuffer));
    EXPECT_STREQ(shortBuffer, "Kit 3.5mm");
    ASSERT_TRUE(SetConfigCalName(config, "Calibration kit 2.4mm"));
    ASSERT_TRUE(GetConfigCalName(config, shortBuffer, sizeof shortBuffer));
    EXPECT_STREQ(shortBuffer, "Calibrati");

    ASSERT_TRUE(SetConfigDielName(config, 1, "PTFE solid"));
    ASSERT_TRUE(SetConfigDielName(config, 2, "PE foam"));
    ASSERT_TRUE(GetConfigDielName(config, 1, name, sizeof name));
    EXPECT_STREQ(name, "PTFE solid");
    ASSERT_TRUE(GetConfigDielName(config, 2, name, sizeof name));
    EXPECT_STREQ(name, "PE foam");
}

TEST_F(ConfigFixture, NullArgumentsAreReportedUnderTheirRoutine) {
    testing::CapturedMessages captured;
    int n = 0;
    char name[8];
    DUTInfo* dut = nullptr;
    EXPECT_EQ(GetConfigNumFreqs(nullptr, &n), 0);
    EXPECT_EQ(GetConfigNumFreqs(config, nullptr), 0);
    EXPECT_EQ(GetConfigDielName(config, 1, nullptr, 8), 0);
    EXPECT_EQ(GetConfigDUT(config, nullptr), 0);
    EXPECT_EQ(SetConfigPower(nullptr, 0.0f), 0);
    EXPECT_EQ(SetConfigVNAName(config, nullptr), 0);
    EXPECT_EQ(GetConfigVNAName(nullptr, name, sizeof name), 0);
    EXPECT_EQ(GetConfigDUT(nullptr, &dut), 0);
    EXPECT_EQ(DestroyConfigInfo(nullptr), 0);
    DeallocateConfigArrays(nullptr);
    EXPECT_EQ(captured.errors(), (Texts{
                                     "GetConfigParam: NULL info pointer.",
                                     "GetConfigParam: NULL parameter pointer.",
                                     "GetConfigParam: NULL parameter pointer.",
                                     "GetConfigParam: NULL parameter pointer.",
                                     "SetConfigParam: NULL info pointer.",
                                     "SetConfigParam: NULL parameter pointer.",
                                     "GetConfigParam: NULL info pointer.",
                                     "GetConfigParam: NULL info pointer.",
                                     "DestroyConfigInfo: NULL info pointer.",
                                 }));
}

TEST_F(ConfigFixture, TheDUTIsEditedInPlaceAndReleasedOnce) {
    DUTInfo* dut = nullptr;
    ASSERT_TRUE(GetConfigDUT(config, &dut));
    ASSERT_TRUE(SetDUTType(dut, DUT_USER_DEFINED));
    DUTInfo* again = nullptr;
    ASSERT_TRUE(GetConfigDUT(config, &again));
    EXPECT_EQ(again, dut);
    int type = 0;
    ASSERT_TRUE(GetDUTType(again, &type));
    EXPECT_EQ(type, DUT_USER_DEFINED);

    // After the arrays are released the record no longer points at the DUT, so destroying the
    // record (TearDown) frees nothing twice.
    DeallocateConfigArrays(config);
    ASSERT_TRUE(GetConfigDUT(config, &again));
    EXPECT_EQ(again, nullptr);
}

TEST(CreateConfigInfo, AllocationFailuresReturnNullAndLeaveNothingBehind) {
    testing::CapturedMessages captured;
    {
        testing::ScopedAllocationFailure failRecord(0);
        EXPECT_EQ(CreateConfigInfo(), nullptr);
    }
    {
        // The record is allocated, its DUT is not: the record is freed again.
        testing::ScopedAllocationFailure failDUT(1);
        EXPECT_EQ(CreateConfigInfo(), nullptr);
        EXPECT_EQ(failDUT.failed(), 1);
    }
    EXPECT_EQ(captured.errors(), (Texts{"CreateConfigInfo: error allocating memory.",
                                        "CreateDUTInfo: error allocating memory."}));
}

TEST(ConfigReporter, ComputeRoutineAndItsMessages) {
    testing::CapturedMessages captured;
    ReportConfigError(MakeErrorCode(kConfigMsgPowerTooSmall, kRoutineComputeConfig));
    ReportConfigError(MakeErrorCode(kConfigMsgCalledRoutine, kRoutineComputeConfig));
    ReportConfigError(MakeErrorCode(kConfigMsgPowerTooLarge, kRoutineDeallocateConfigArrays));
    EXPECT_EQ(captured.errors(), (Texts{"ComputeConfig: Port power is too small.",
                                        "ComputeConfig: Error in a called routine.",
                                        "DeallocateConfigArrays: Port power is too large."}));
}

} // namespace
} // namespace tolvane
