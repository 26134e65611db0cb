#pragma once

namespace tolvane {

struct ConfigInfo;
struct ModelInfo;

/// Builds a temporary model from `config`: the calibration kit, its connector (on both ports) and
/// the VNA copied from the component lists by name, both cables' drift tables made from their
/// dielectrics at the configuration's frequencies, the configuration's power, IF bandwidth,
/// averaging, DUT and frequencies. Refuses a port power more than 0.001 dB outside the VNA's
/// limits. Composes the program's plot subtitle ("VNA / kit", then " / Reflection Only" or
/// " / Transmission Only" by DUT type), computes the model into the current result slot and
/// destroys the temporary model on every path. When the computation fails on a term table's
/// frequency range, the frequency advice follows in a "Help" box.
///
/// Reports under "ComputeConfig: " (routine 7 of the Config module); 1 on success, 0 on failure.
/// The configuration and the program's current model are not changed.
int ComputeConfig(const ConfigInfo* config);

/// The model ComputeConfig computes, built into `model` (a new model from CreateModelInfo): the
/// components copied from the lists, the cables' drift tables, the conditions, the checked port
/// power, the DUT and the frequencies. Reports under "ComputeConfig: " as ComputeConfig does and
/// leaves the program's state (result slots, plot subtitle) alone; 1 on success, 0 on failure.
int BuildConfigModel(const ConfigInfo* config, ModelInfo* model);

} // namespace tolvane
