#pragma once

#include "engine/model.h"

namespace tolvane {

/// Aborts the benchmark program unless `result` is 1.
void Require(int result);

/// A transmission-only model of `numFreqs` frequencies and `numValues` DUT values, as users
/// compute it: cable drift tables as long as the frequency list, the other tables of 200 entries
/// over 10 MHz to 67 GHz.
[[nodiscard]] ModelInfo* BenchModel(int numFreqs, int numValues);

} // namespace tolvane
