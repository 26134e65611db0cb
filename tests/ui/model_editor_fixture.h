#pragma once

// Models, configurations and tables for the tests of the model's editors.

#include "core/fv_table.h"
#include "core/owned.h"
#include "core/pv_table.h"
#include "engine/config.h"
#include "support/model_builder.h"

#include <memory>
#include <utility>
#include <vector>

namespace tolvane::testing {

/// A new model with empty tables.
inline Owned<ModelInfo> EmptyModel() {
    return Owned<ModelInfo>(CreateModelInfo());
}

/// Replaces the table's pairs and type; false when a setter refused.
inline bool Fill(FVInfo* table, const Pairs& pairs, int type = INTERP_LINEAR) {
    const int n = static_cast<int>(pairs.size());
    if (SetFVInterpType(table, type) == 0 || SetFVNumPairs(table, n) == 0) return false;
    for (int i = 0; i < n; ++i) {
        const auto [frequencyHz, value] = pairs[static_cast<std::size_t>(i)];
        if (SetFVFreq(table, i, frequencyHz) == 0 || SetFVValueAt(table, i, value) == 0)
            return false;
    }
    return true;
}
inline bool Fill(PVInfo* table, const Pairs& pairs, int type = INTERP_LINEAR) {
    const int n = static_cast<int>(pairs.size());
    if (SetPVInterpType(table, type) == 0 || SetPVNumPairs(table, n) == 0) return false;
    for (int i = 0; i < n; ++i) {
        const auto [powerDbm, value] = pairs[static_cast<std::size_t>(i)];
        if (SetPVPower(table, i, static_cast<float>(powerDbm)) == 0 ||
            SetPVValueAt(table, i, value) == 0)
            return false;
    }
    return true;
}

/// The table's pairs, read straight from its arrays.
inline Pairs PairsOf(const FVInfo* table) {
    Pairs pairs;
    for (int i = 0; i < table->numPairs; ++i)
        pairs.emplace_back(table->frequenciesHz[static_cast<std::size_t>(i)],
                           table->values[static_cast<std::size_t>(i)]);
    return pairs;
}
inline Pairs PairsOf(const PVInfo* table) {
    Pairs pairs;
    for (int i = 0; i < table->numPairs; ++i)
        pairs.emplace_back(table->powersDbm[static_cast<std::size_t>(i)],
                           table->values[static_cast<std::size_t>(i)]);
    return pairs;
}

} // namespace tolvane::testing
