#pragma once

#include "core/error_report.h"
#include "core/info_list.h"

namespace tolvane {

/// What a chart window shows. Kinds 1 to 4 are plotted against the DUT value, 5 to 8 against
/// frequency (a frequency chart also has a quantity 1 to 4, numbered like kinds 1 to 4, which is
/// not kept in the record).
enum PlotKind : int {
    kPlotReflectionMagnitude = 1,
    kPlotReflectionPhase = 2,
    kPlotTransmissionMagnitude = 3,
    kPlotTransmissionPhase = 4,
    kPlotFrequencyMagnitude = 5,
    kPlotFrequencyPhase = 6,
    kPlotMeasuredMagnitude = 7, ///< a measured DUT's magnitude with its band against frequency
    kPlotMeasuredPhase = 8,     ///< and its phase
};

/// One open chart window. The record is in the program's plot list exactly as long as its window
/// exists.
struct PlotInfo {
    int kind = 0;
    /// The chart window, owned by the user interface; the library never looks inside it.
    void* chartWindow = nullptr;
};

/// Routine numbers of the Plot module's reporter.
enum PlotRoutine : std::uint32_t {
    kRoutineCreatePlotInfo = 1,
    kRoutineDestroyPlotInfo = 2,
    kRoutineDeallocatePlotArrays = 3,
    kRoutineCreatePlot = 4,
    kRoutineDrawPlot = 5,
    kRoutinePrintPlot = 6,
};

/// Message numbers of the Plot module; only these three exist.
enum PlotMessage : std::uint32_t {
    kPlotMsgNullInfo = 1,      ///< "NULL info pointer."
    kPlotMsgAllocation = 2,    ///< "error allocating memory."
    kPlotMsgCalledRoutine = 3, ///< "Error in a called routine."
};

/// A new zero-filled record, or null after reporting "CreatePlotInfo: error allocating memory.".
[[nodiscard]] PlotInfo* CreatePlotInfo();
/// Frees the record; a null record reports "DestroyPlotInfo: NULL info pointer." and returns 0.
int DestroyPlotInfo(PlotInfo* plot);
/// A plot record owns no arrays: nothing to release.
void DeallocatePlotArrays(PlotInfo* plot);

/// The first record of `plots` whose chart window is `chartWindow`, or null.
[[nodiscard]] PlotInfo* FindPlotInfoByWindow(const InfoList* plots, const void* chartWindow);
/// Removes the record of `chartWindow` from `plots` and destroys it (the window is being
/// destroyed). 0 when no record holds that window.
int ForgetPlotWindow(InfoList* plots, const void* chartWindow);

void ReportPlotError(ErrorCode code);

} // namespace tolvane
