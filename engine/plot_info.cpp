#include "engine/plot_info.h"

#include <new>

namespace tolvane {
namespace {

constexpr NumberedText kPlotRoutines[] = {
    {kRoutineCreatePlotInfo, "CreatePlotInfo: "},
    {kRoutineDestroyPlotInfo, "DestroyPlotInfo: "},
    {kRoutineDeallocatePlotArrays, "DeallocatePlotArrays: "},
    {kRoutineCreatePlot, "CreatePlot: "},
    {kRoutineDrawPlot, "DrawPlot: "},
    {kRoutinePrintPlot, "PrintPlot: "},
};

constexpr NumberedText kPlotMessages[] = {
    {kPlotMsgNullInfo, "NULL info pointer."},
    {kPlotMsgAllocation, "error allocating memory."},
    {kPlotMsgCalledRoutine, "Error in a called routine."},
};

} // namespace

void ReportPlotError(ErrorCode code) {
    ReportModuleError(ModuleErrorTexts{kPlotRoutines, kPlotMessages}, code);
}

PlotInfo* CreatePlotInfo() {
    auto* plot = new (std::nothrow) PlotInfo{};
    if (plot == nullptr) ReportPlotError(MakeErrorCode(kPlotMsgAllocation, kRoutineCreatePlotInfo));
    return plot;
}

int DestroyPlotInfo(PlotInfo* plot) {
    if (plot == nullptr) {
        ReportPlotError(MakeErrorCode(kPlotMsgNullInfo, kRoutineDestroyPlotInfo));
        return 0;
    }
    DeallocatePlotArrays(plot);
    delete plot;
    return 1;
}

void DeallocatePlotArrays(PlotInfo* /*plot*/) {}

PlotInfo* FindPlotInfoByWindow(const InfoList* plots, const void* chartWindow) {
    const int count = GetInfoListCount(plots);
    for (int i = 0; i < count; ++i) {
        auto* plot = GetInfoListRecord<PlotInfo>(plots, i);
        if (plot != nullptr && plot->chartWindow == chartWindow) return plot;
    }
    return nullptr;
}

int ForgetPlotWindow(InfoList* plots, const void* chartWindow) {
    PlotInfo* plot = FindPlotInfoByWindow(plots, chartWindow);
    if (plot == nullptr) return 0;
    (void)RemoveInfoListItem(plots, plot);
    return DestroyPlotInfo(plot);
}

} // namespace tolvane
