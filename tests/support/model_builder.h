#pragma once

#include "core/fv_table.h"
#include "core/owned.h"
#include "core/pv_table.h"
#include "engine/model.h"
#include "engine/model_terms.h"

#include <memory>
#include <utility>
#include <vector>

namespace tolvane::testing {

/// The model's own table of `term`.
[[nodiscard]] FVInfo* TermTable(ModelInfo* model, ModelTerm term);

/// (abscissa, value) pairs: frequencies in Hz or powers in dBm.
using Pairs = std::vector<std::pair<double, float>>;

/// Replaces the table's contents; asserts that every setter accepted its value.
void FillTable(FVInfo* table, const Pairs& pairs, int type = INTERP_LINEAR);
void FillTable(PVInfo* table, const Pairs& pairs, int type = INTERP_LINEAR);

/// Sets the term's table to `value` over 1 to 2 GHz (two pairs).
void SetTerm(ModelInfo* model, ModelTerm term, float value);

/// Sets every frequency term to one constant over [lowHz, highHz] (two pairs).
void FillAllTerms(ModelInfo* model, double lowHz, double highHz, float value);

/// Sets the model's frequency list.
void SetFrequencies(ModelInfo* model, const std::vector<double>& frequenciesHz);

/// A model whose error terms vanish: losses of 300 dB, gain deviations and phase drifts of 0,
/// NRc of 300 (noise at -300 dBm), SRc 0 dB from -200 to 100 dBm, every coverage factor 1, port
/// power 0 dBm, equal IF bandwidths (1000 Hz) and averaging factors (1), the tables spanning 1 to
/// 2 GHz, one frequency of 1.5 GHz and a reflection-only DUT of one value, -20 dB.
[[nodiscard]] Owned<ModelInfo> QuietModel();

} // namespace tolvane::testing
