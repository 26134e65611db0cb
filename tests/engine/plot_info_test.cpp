#include "engine/plot_info.h"

#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

TEST(PlotInfo, CreatesZeroFilledAndDestroyReportsNull) {
    testing::CapturedMessages captured;
    PlotInfo* plot = CreatePlotInfo();
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot->kind, 0);
    EXPECT_EQ(plot->chartWindow, nullptr);
    EXPECT_EQ(DestroyPlotInfo(plot), 1);
    EXPECT_EQ(DestroyPlotInfo(nullptr), 0);
    EXPECT_EQ(captured.errors(), std::vector<std::string>{"DestroyPlotInfo: NULL info pointer."});
}

TEST(PlotInfo, ReporterKnowsOnlyThreeMessages) {
    testing::CapturedMessages captured;
    ReportPlotError(MakeErrorCode(kPlotMsgCalledRoutine, kRoutineCreatePlot));
    ReportPlotError(MakeErrorCode(kPlotMsgAllocation, kRoutineDrawPlot));
    ReportPlotError(MakeErrorCode(4, kRoutinePrintPlot));
    EXPECT_EQ(captured.errors(),
              (std::vector<std::string>{"CreatePlot: Error in a called routine.",
                                        "DrawPlot: error allocating memory.", "PrintPlot: "}));
}

TEST(PlotInfo, ForgettingAWindowRemovesOnlyItsRecord) {
    int windowA = 0;
    int windowB = 0;
    InfoList* plots = CreateInfoList();
    PlotInfo* first = CreatePlotInfo();
    PlotInfo* second = CreatePlotInfo();
    first->chartWindow = &windowA;
    second->chartWindow = &windowB;
    ASSERT_EQ(AddInfoListItem(plots, first), 1);
    ASSERT_EQ(AddInfoListItem(plots, second), 1);

    EXPECT_EQ(FindPlotInfoByWindow(plots, &windowB), second);
    EXPECT_EQ(ForgetPlotWindow(plots, &windowA), 1);
    EXPECT_EQ(ForgetPlotWindow(plots, &windowA), 0);
    EXPECT_EQ(GetInfoListCount(plots), 1);
    EXPECT_EQ(GetInfoListRecord<PlotInfo>(plots, 0), second);
    EXPECT_EQ(FindPlotInfoByWindow(nullptr, &windowB), nullptr);

    DestroyInfoListAndItems<PlotInfo>(plots, DestroyPlotInfo);
}

} // namespace
} // namespace tolvane
