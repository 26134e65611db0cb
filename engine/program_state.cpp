#include "engine/program_state.h"

#include "engine/uncertainty.h"

#include <algorithm>
#include <utility>

namespace tolvane {

ProgramState& GlobalProgramState() {
    static ProgramState state;
    return state;
}

void ResetResultSlots() {
    ProgramState& state = GlobalProgramState();
    state.currentResultSlot = 0;
    state.resultCount = 0;
    state.replaceResults = true;
}

void SetResultReplaceMode(bool replace) {
    ProgramState& state = GlobalProgramState();
    if (replace == state.replaceResults) return;
    state.replaceResults = replace;
    if (replace) {
        state.currentResultSlot = 0;
        state.resultCount = 1;
        return;
    }
    int frequencies = 0;
    UncertaintyInfo* first = state.results[0];
    const bool slotZeroFilled =
        state.measuredResults[0] != nullptr ||
        (first != nullptr && GetUncertaintyNumFreqs(first, &frequencies) != 0 && frequencies >= 1);
    state.currentResultSlot = slotZeroFilled ? 1 : 0;
    state.resultCount = slotZeroFilled ? 1 : 0;
}

void SetCurrentMeasuredResults(std::shared_ptr<const MeasuredResults> results) {
    ProgramState& state = GlobalProgramState();
    if (state.currentResultSlot >= 0 && state.currentResultSlot < kResultSlots)
        state.measuredResults[static_cast<std::size_t>(state.currentResultSlot)] =
            std::move(results);
}

void AdvanceResultSlot() {
    ProgramState& state = GlobalProgramState();
    if (state.replaceResults) {
        state.currentResultSlot = 0;
        state.resultCount = 1;
    } else if (state.currentResultSlot >= kResultSlots - 1) {
        state.resultCount = kResultSlots;
        state.currentResultSlot = 1;
    } else {
        ++state.currentResultSlot;
        // Once the slots have wrapped every one holds a result, and the export reads slots 0 to
        // count - 1: the count stays at 20.
        state.resultCount = std::min(state.resultCount + 1, kResultSlots);
    }
}

UncertaintyInfo* CurrentResult() {
    const ProgramState& state = GlobalProgramState();
    if (state.currentResultSlot < 0 || state.currentResultSlot >= kResultSlots) return nullptr;
    return state.results[static_cast<std::size_t>(state.currentResultSlot)];
}

} // namespace tolvane
