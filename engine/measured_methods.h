#pragma once

#include "engine/measured_dut.h"
#include "engine/uncertainty_methods.h"

namespace tolvane {

struct ConfigInfo;

/// ComputeMeasuredDUT by `options.method`. The worst case is ComputeMeasuredDUT itself. RSS and
/// Monte Carlo run it first (its checks, messages, nominal magnitudes and each bound's cable phase
/// drift) and then replace every upper bound by the method's for the configuration's set-up at
/// that one frequency (built as for a configuration of that frequency alone) with a user-defined
/// DUT of the measured values, the reverse direction with ports, cables and connectors exchanged:
/// each bound is what ComputeConfigByMethod gives for that configuration, its phase as
/// ReplaceBound forms it. Monte Carlo takes the options' trials at every point, on the options'
/// threads, and reports its progress in bounds done. `results` is replaced only on success; 1 on
/// success, 0 after reporting, or without a message when the progress callback cancelled.
[[nodiscard]] int ComputeMeasuredByMethod(const ConfigInfo* config, const Measurement& measurement,
                                          const MethodOptions& options, MeasuredResults* results);

} // namespace tolvane
