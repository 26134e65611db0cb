#pragma once

#include "core/owned.h"
#include "engine/model.h"
#include "engine/uncertainty_methods.h"

#include <memory>
#include <vector>

namespace tolvane {

struct ConfigInfo;
struct ModelInfo;

/// The frequencies, in Hz, of a user-defined DUT's own sweep: `points` frequencies from
/// |startGHz| to |stopGHz| in equal steps. A sweep of one point is its start frequency alone.
/// Empty when `points` is less than 1.
[[nodiscard]] std::vector<double> UserSweepFrequencies(float startGHz, float stopGHz, int points);

/// What "Compute Configuration" computes, without the windows: ComputeConfig into the current
/// result slot. For a user-defined DUT with its frequency sweep on, the sweep's frequencies take
/// the place of the configuration's list for the duration of the computation; the list (count and
/// every entry) is exactly as before afterwards, on every path.
/// 1 on success; 0 after the failing routine has reported.
/// The method of `options` gives the bounds (the worst case unless said).
int ComputeConfigurationCommand(ConfigInfo* config, const MethodOptions& options = {});

/// ComputeModel on `model` into the current result slot with the model DUT's own coverage
/// factors; for a user-defined DUT with its frequency sweep on, over the sweep's frequencies, the
/// model's list (count and every entry) being exactly as before afterwards, on every path.
/// 1 on success; 0 after the failing routine has reported.
int ComputeModelOverDUTSweep(ModelInfo* model, const MethodOptions& options = {});

/// What "Compute Model" computes, without the windows: empties the plot subtitle, copies the
/// twelve coverage factors of the configuration's DUT into the model's DUT, then
/// ComputeModelOverDUTSweep.
/// 1 on success; 0 after the failing routine has reported.
int ComputeModelCommand(ModelInfo* model, const ConfigInfo* config,
                        const MethodOptions& options = {});

/// A model the caller owns, destroyed with DestroyModelInfo.
using ModelHandle = Owned<ModelInfo>;

/// A deep copy of `model`: its scalars, frequency list and every component record. Null after
/// reporting.
[[nodiscard]] ModelHandle CopyModel(const ModelInfo* model);

/// The model "Compute Configuration" computes for `config` (a user-defined DUT's sweep in place of
/// the frequency list), kept to explain its results later: its points, its budget, its other
/// methods. The configuration is as before afterwards. Null after reporting.
[[nodiscard]] ModelHandle ConfigurationCommandModel(ConfigInfo* config);
/// The model "Compute Model" computes: a copy of `model` with the configuration DUT's coverage
/// factors and a user-defined DUT's sweep in place of the frequency list. Null after reporting.
[[nodiscard]] ModelHandle ModelCommandModel(const ModelInfo* model, const ConfigInfo* config);

} // namespace tolvane
