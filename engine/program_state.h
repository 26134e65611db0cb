#pragma once

#include "core/info_list.h"

#include <array>
#include <memory>
#include <string>

namespace tolvane {

struct ConfigInfo;
struct MeasuredResults;
struct ModelInfo;
struct UncertaintyInfo;

/// Number of result records kept for the whole run (slots 0 to 19).
inline constexpr int kResultSlots = 20;

/// Everything the program keeps from start-up to shut-down, apart from the four component lists
/// (GlobalComponentLists()). StartUp creates the records and ShutDown destroys them; the state
/// owns every record it points to.
struct ProgramState {
    /// PlotInfo records, one per open chart window; empty at start.
    InfoList* plots = nullptr;
    /// The result table; records are created at start-up and reused, never replaced.
    std::array<UncertaintyInfo*, kResultSlots> results{};
    /// The slots that hold a measured DUT's results instead of their record's: set by the
    /// measured computation, emptied when another computation fills the slot.
    std::array<std::shared_ptr<const MeasuredResults>, kResultSlots> measuredResults{};
    /// The slot the next computation fills and new charts read (0 at start).
    int currentResultSlot = 0;
    /// How many slots, from slot 0, hold results to export (0 at start).
    int resultCount = 0;
    /// The set-up edited by the configuration dialogs.
    ConfigInfo* currentConfig = nullptr;
    /// The model edited by the model dialogs; a configuration computation never replaces it.
    ModelInfo* currentModel = nullptr;
    /// The subtitle every new chart takes: "VNA / kit[ / Reflection Only| / Transmission Only]",
    /// composed by ComputeConfig and emptied by "Compute Model". Names of up to 127 characters
    /// make it at most 277 characters long.
    std::string plotSubtitle;
};

/// The one program-wide state.
[[nodiscard]] ProgramState& GlobalProgramState();

/// The result record of the current result slot, or null when the slot index is out of range or
/// the slot is empty.
[[nodiscard]] UncertaintyInfo* CurrentResult();

} // namespace tolvane
