#include "engine/set_up_caption.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/dut.h"
#include "components/vna.h"
#include "engine/config.h"
#include "support/model_builder.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(SetUpCaption, NamesEveryPartOfTheSetUp) {
    ConfigInfo* config = CreateConfigInfo();
    ASSERT_NE(config, nullptr);
    ASSERT_TRUE(SetConfigVNAName(config, "VNA 26.5 GHz") &&
                SetConfigCalName(config, "3.5 mm Fixed Load SOLT") &&
                SetConfigDielName(config, 1, "PTFE Low Density") &&
                SetConfigDielName(config, 2, "Polyethylene Foam") &&
                SetConfigCableLength(config, 1, 0.6f) && SetConfigCableLength(config, 2, 1.25f) &&
                SetConfigPower(config, -10.0f) && SetConfigIFBW(config, 100.0f) &&
                SetConfigAverages(config, 16));
    config->dut->coverageFactors[kCoverageK] = 2.0f;
    EXPECT_EQ(DescribeSetUp(*config),
              "VNA 26.5 GHz | 3.5 mm Fixed Load SOLT | cables PTFE Low Density 0.600 m, "
              "Polyethylene Foam 1.250 m | -10.0 dBm | IF BW 100 Hz | averaging 16 | k = 2");
    EXPECT_EQ(DestroyConfigInfo(config), 1);

    testing::ModelPtr model = testing::QuietModel();
    StoreRecordName(model->vna->name, "VNA 8.5 GHz");
    StoreRecordName(model->calKit->name, "Type N");
    StoreRecordName(model->cable1->dielName, "Air");
    StoreRecordName(model->cable2->dielName, "Air");
    model->cable1->lengthM = model->cable2->lengthM = 1.0f;
    model->dut->coverageFactors[kCoverageK] = 1.96f;
    model->averages = 4;
    EXPECT_EQ(DescribeSetUp(*model), "VNA 8.5 GHz | Type N | cables Air 1.000 m, Air 1.000 m | "
                                     "0.0 dBm | IF BW 1000 Hz | averaging 4 | k = 1.96");
}

} // namespace
} // namespace tolvane
