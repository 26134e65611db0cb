#pragma once

#include <string>

namespace tolvane {

struct ConfigInfo;
struct ModelInfo;

/// One line naming the set-up a result was computed for, for the caption of its charts, printed
/// pages and images, so that a chart on paper can be traced to its set-up: analyzer, calibration
/// kit, the two cables, port power, IF bandwidth, averaging factor and k, for example
/// "VNA 26.5 GHz | 3.5 mm Fixed Load SOLT | cables PTFE Low Density 0.600 m, PTFE Low Density
/// 0.600 m | 0.0 dBm | IF BW 100 Hz | averaging 1 | k = 2". Reads the records' fields directly
/// and reports nothing; a missing part is left out.
[[nodiscard]] std::string DescribeSetUp(const ConfigInfo& config);
/// The same for a model, as "Compute Model" computes it (k from the model's DUT).
[[nodiscard]] std::string DescribeSetUp(const ModelInfo& model);

} // namespace tolvane
