#include "components/dielectric.h"

#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

TEST(Dielectric, HoldsItsCoefficientsAndName) {
    DielInfo* diel = CreateDielInfo();
    ASSERT_NE(diel, nullptr);
    float magCoef = -1.0f, phaseCoef = -1.0f;
    char name[16] = "x";
    ASSERT_EQ(GetDielMagCoef(diel, &magCoef), 1);
    ASSERT_EQ(GetDielPhaseCoef(diel, &phaseCoef), 1);
    ASSERT_EQ(GetDielName(diel, name, sizeof name), 1);
    EXPECT_EQ(magCoef, 0.0f);
    EXPECT_EQ(phaseCoef, 0.0f);
    EXPECT_STREQ(name, "");

    ASSERT_EQ(SetDielMagCoef(diel, -0.02f), 1); // any value is accepted
    ASSERT_EQ(SetDielPhaseCoef(diel, 0.5f), 1);
    ASSERT_EQ(SetDielName(diel, "PTFE semi-rigid"), 1);
    ASSERT_EQ(GetDielMagCoef(diel, &magCoef), 1);
    ASSERT_EQ(GetDielPhaseCoef(diel, &phaseCoef), 1);
    ASSERT_EQ(GetDielName(diel, name, 5), 1);
    EXPECT_EQ(magCoef, -0.02f);
    EXPECT_EQ(phaseCoef, 0.5f);
    EXPECT_STREQ(name, "PTFE");
    EXPECT_EQ(DestroyDielInfo(diel), 1);
}

TEST(Dielectric, ReportsNullArguments) {
    testing::CapturedMessages captured;
    DielInfo* diel = CreateDielInfo();
    float coef = 0.0f;
    EXPECT_EQ(GetDielPhaseCoef(nullptr, &coef), 0);
    EXPECT_EQ(GetDielMagCoef(diel, nullptr), 0);
    EXPECT_EQ(GetDielName(diel, nullptr, 10), 0);
    EXPECT_EQ(SetDielName(diel, nullptr), 0);
    EXPECT_EQ(SetDielMagCoef(nullptr, 1.0f), 0);
    EXPECT_EQ(DestroyDielInfo(nullptr), 0);
    EXPECT_EQ(DestroyDielInfo(diel), 1);
    EXPECT_EQ(
        captured.errors(),
        (Texts{"GetDielParam: NULL info pointer.", "GetDielParam: NULL parameter pointer.",
               "GetDielParam: NULL parameter pointer.", "SetDielParam: NULL parameter pointer.",
               "SetDielParam: NULL info pointer.", "DestroyDielInfo: NULL info pointer."}));
}

} // namespace
} // namespace tolvane
