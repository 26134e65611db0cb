#include "engine/program_state.h"

namespace tolvane {

ProgramState& GlobalProgramState() {
    static ProgramState state;
    return state;
}

UncertaintyInfo* CurrentResult() {
    const ProgramState& state = GlobalProgramState();
    if (state.currentResultSlot < 0 || state.currentResultSlot >= kResultSlots) return nullptr;
    return state.results[static_cast<std::size_t>(state.currentResultSlot)];
}

} // namespace tolvane
