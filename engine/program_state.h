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
    // The result-slot rules keep the slots, the count and the mode consistent: change them
    // through the functions below only.
    /// The slot the next computation fills and new charts read (0 at start).
    int currentResultSlot = 0;
    /// How many slots, from slot 0, hold results to export (0 at start).
    int resultCount = 0;
    /// "Replace Existing Plot Windows": each computation fills slot 0 (on at start).
    bool replaceResults = true;
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

/// The result slots as at start-up: slot 0 current, no result to export, replace mode on.
void ResetResultSlots();

/// Enters or leaves replace mode; nothing changes when the mode is already `replace`. Entering it
/// makes slot 0 current with one result to export. Leaving it keeps a result already in slot 0,
/// its record's or a measured one (the next computation then fills slot 1); an empty slot 0 is
/// filled first.
void SetResultReplaceMode(bool replace);

/// What the current slot holds from now on: a measured DUT's results, or (null) its record's.
void SetCurrentMeasuredResults(std::shared_ptr<const MeasuredResults> results);

/// A computation has filled the current slot: counts it and makes current the slot the next
/// computation fills. In replace mode that is slot 0 again; otherwise the next slot, and after
/// slot 19 slot 1 (slot 0 keeps the result from before replace mode was left), the count then
/// staying at 20.
void AdvanceResultSlot();

/// The result record of the current result slot, or null when the slot index is out of range or
/// the slot is empty.
[[nodiscard]] UncertaintyInfo* CurrentResult();

} // namespace tolvane
