#pragma once

#include <string>
#include <vector>

namespace tolvane {
struct ConfigInfo;
struct ModelInfo;
} // namespace tolvane

namespace tolvane::testing {

/// Every field of a configuration or a model, its DUT and (for a model) its component records and
/// their tables, one line each ("powerDbm 0x0p+0", "vna.ssr[2] 0x1.dcd65p+30 0x1.99999ap-4").
/// Numbers are written in hexadecimal floating point, so equal lines mean equal bits; frequency
/// list entries beyond the count are listed too (when not zero), since editors must keep them.
[[nodiscard]] std::vector<std::string> RecordFields(const ConfigInfo& config);
[[nodiscard]] std::vector<std::string> RecordFields(const ModelInfo& model);

/// The first line at which two field lists differ ("line 12: 'a' / 'b'"), or "" when they are
/// equal: a test compares two records field by field and names the first field that changed.
[[nodiscard]] std::string FirstDifference(const std::vector<std::string>& expected,
                                          const std::vector<std::string>& actual);

} // namespace tolvane::testing
