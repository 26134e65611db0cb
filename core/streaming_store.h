#pragma once

#include <span>

namespace tolvane {

/// Copies `from` to `to` with stores that bypass the caches (x86-64: non-temporal stores), for
/// large arrays written once and read much later: an ordinary store first reads each destination
/// cache line from memory and then evicts data still in use, which for a result of 120 MB costs
/// about as much time as computing it. Elsewhere an ordinary copy. The arrays must not overlap.
void StreamFloats(std::span<const float> from, float* to);

/// Orders the streaming stores of this thread before its later stores, so that a thread told by
/// those later stores (a lock, a flag) that the copies are done sees them. Call it before handing
/// the copied arrays to another thread.
void FinishStreamingStores();

} // namespace tolvane
