#include "components/cal_kit.h"

#include "components/connector.h"
#include "support/captured_messages.h"
#include "support/scoped_component_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

TEST(CalKit, SixCodesSelectTheTermsInFileOrder) {
    CalInfo* cal = CreateCalInfo();
    ASSERT_NE(cal, nullptr);
    for (int code = kCalCDr; code <= kCalCTt; ++code) {
        int type = 0;
        ASSERT_EQ(GetCalFVInterpType(cal, code, &type), 1);
        EXPECT_EQ(type, INTERP_LINEAR);
        ASSERT_EQ(SetCalFVNumPairs(cal, code, code), 1); // each table sized by its code
    }
    EXPECT_EQ(cal->CDr->numPairs, 1);
    EXPECT_EQ(cal->CSm->numPairs, 2);
    EXPECT_EQ(cal->CRt->numPairs, 3);
    EXPECT_EQ(cal->CXt->numPairs, 4);
    EXPECT_EQ(cal->CLm->numPairs, 5);
    EXPECT_EQ(cal->CTt->numPairs, 6);

    ASSERT_EQ(SetCalFVFreq(cal, kCalCXt, 3, 2e9), 1);
    ASSERT_EQ(SetCalFVValueAt(cal, kCalCXt, 3, -90.0f), 1);
    ASSERT_EQ(SetCalFVInterpType(cal, kCalCXt, INTERP_STEP), 1);
    float value = 0.0f;
    double frequencyHz = 0.0;
    int n = 0;
    ASSERT_EQ(GetCalFVNumPairs(cal, kCalCLm, &n), 1);
    ASSERT_EQ(GetCalFVFreq(cal, kCalCXt, 3, &frequencyHz), 1);
    ASSERT_EQ(GetCalFVValueAt(cal, kCalCXt, 3, &value), 1);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(frequencyHz, 2e9);
    EXPECT_EQ(value, -90.0f);
    ASSERT_EQ(GetCalFVValue(cal, kCalCXt, 1e9, &value), 1);
    EXPECT_EQ(value, -90.0f); // step: the pair above 1 GHz

    testing::CapturedMessages captured;
    EXPECT_EQ(GetCalFVValue(cal, 7, 1e9, &value), 0);
    EXPECT_EQ(GetCalFVValue(cal, 0, 1e9, &value), 0);
    EXPECT_EQ(SetCalFVValueAt(cal, 7, 0, 1.0f), 0);
    EXPECT_EQ(GetCalFVValue(nullptr, 1, 1e9, &value), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"GetCalParam: unknown parameter.", "GetCalParam: unknown parameter.",
                     "SetCalParam: unknown parameter.", "GetCalParam: NULL info pointer."}));
    EXPECT_EQ(DestroyCalInfo(cal), 1);
}

TEST(CalKit, NamesAreKeptApartAndChecked) {
    CalInfo* cal = CreateCalInfo();
    char name[128] = "x";
    char connName[8] = "x";
    ASSERT_EQ(GetCalConnName(cal, connName, sizeof connName), 1);
    EXPECT_STREQ(connName, "");
    ASSERT_EQ(SetCalName(cal, "85052D"), 1);
    ASSERT_EQ(SetCalConnName(cal, "3.5 mm female"), 1);
    ASSERT_EQ(GetCalName(cal, name, sizeof name), 1);
    ASSERT_EQ(GetCalConnName(cal, connName, sizeof connName), 1);
    EXPECT_STREQ(name, "85052D");
    EXPECT_STREQ(connName, "3.5 mm ");

    testing::CapturedMessages captured;
    EXPECT_EQ(GetCalConnName(nullptr, name, sizeof name), 0);
    EXPECT_EQ(GetCalName(cal, nullptr, 1), 0);
    EXPECT_EQ(SetCalConnName(cal, nullptr), 0);
    EXPECT_EQ(DestroyCalInfo(nullptr), 0);
    EXPECT_EQ(
        captured.errors(),
        (Texts{"GetCalParam: NULL info pointer.", "GetCalParam: NULL parameter pointer.",
               "SetCalParam: NULL parameter pointer.", "DestroyCalInfo: NULL info pointer."}));
    EXPECT_EQ(DestroyCalInfo(cal), 1);
}

TEST(CalKit, CopiedKitStillLeadsToItsConnector) {
    testing::ScopedComponentLists components;
    ConnInfo* connector = components.addConnector("Type-N");
    CalInfo* listed = components.addCalKit("85054B", "Type-N");
    ASSERT_EQ(SetCalFVNumPairs(listed, kCalCTt, 2), 1);
    ASSERT_EQ(SetCalFVValueAt(listed, kCalCTt, 1, 0.05f), 1);

    CalInfo* found = FindCalInfo("85054B");
    ASSERT_EQ(found, listed);
    CalInfo* model = CreateCalInfo();
    ASSERT_EQ(SetCalFVNumPairs(model, kCalCDr, 9), 1);
    ASSERT_EQ(CopyCalInfo(found, model), 1);
    EXPECT_EQ(model->CDr->numPairs, 0);
    EXPECT_EQ(model->CTt->values, (std::vector<float>{0.0f, 0.05f}));
    EXPECT_NE(model->CTt, listed->CTt); // the copy owns its tables
    char connName[128];
    ASSERT_EQ(GetCalConnName(model, connName, sizeof connName), 1);
    EXPECT_EQ(FindConnInfo(connName), connector);

    testing::CapturedMessages captured;
    EXPECT_EQ(FindCalInfo("85054b"), nullptr);
    EXPECT_EQ(FindCalInfo(nullptr), nullptr);
    EXPECT_EQ(CopyCalInfo(nullptr, model), 0);
    DeallocateCalArrays(listed);
    EXPECT_EQ(CopyCalInfo(listed, model), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"FindCalInfo: a calibration of the chosen type does not exist.",
                     "FindCalInfo: NULL pointer.", "CopyCalInfo: NULL info pointer.",
                     "CopyFVInfo: NULL info pointer.", "CopyCalInfo: Error in a called routine."}));
    EXPECT_EQ(DestroyCalInfo(model), 1);
}

} // namespace
} // namespace tolvane
