#pragma once

#include "engine/uncertainty_methods.h"

#include <span>
#include <string>

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

/// ComputeConfig with the method of `options` (ComputeConfig is its worst case).
int ComputeConfigByMethod(const ConfigInfo* config, const MethodOptions& options);

/// The configuration's frequency list as ComputeConfig computes it.
[[nodiscard]] std::span<const double> ConfigFrequencies(const ConfigInfo* config);

/// ExplainPoint for a point of the configuration's set-up at any frequency: the model is built as
/// ComputeConfig builds it for a list of that one frequency (the cable drift is made at it), with
/// the configuration DUT's coverage factors. 1 on success; 0 after the failure was reported, with
/// the frequency advice after a term table that does not cover the frequency.
int ExplainConfigPoint(const ConfigInfo* config, const UncertaintyPoint& point,
                       const MonteCarloOptions& monteCarlo, PointExplanation* explanation);

/// The model ComputeConfig computes, built into `model` (a new model) for `frequenciesHz` instead
/// of the configuration's list: the components copied by name, the cables' drift tables made at
/// those frequencies, the port power checked, the configuration's DUT and the frequencies copied.
/// `setUp`, when not null, receives "VNA / kit", the start of ComputeConfig's plot subtitle.
/// Reports under "ComputeConfig: " as ComputeConfig does; 1 on success, 0 on failure.
[[nodiscard]] int BuildModelFromConfig(const ConfigInfo* config,
                                       std::span<const double> frequenciesHz, ModelInfo* model,
                                       std::string* setUp);

/// The advice after a failed computation of a model built from a configuration: a "Help" box with
/// the frequency advice when a term table did not cover the frequencies, then the port-power
/// advice when the model's power flag says so.
void ShowComputationAdvice(const ModelInfo* model);

} // namespace tolvane
