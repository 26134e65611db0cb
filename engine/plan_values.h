#pragma once

#include "engine/plan.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

/// Port power step of the default power values, dB.
inline constexpr double kDefaultPlanPowerStepDb = 5.0;
/// Largest averaging factor the planner offers (1, 2, 4, ... up to it).
inline constexpr int kMaxPlanAveraging = 1024;

/// The values a plan of `quantity` takes when the user gives none:
/// - IF bandwidth: the configuration's analyzer's IF bandwidths, in its order;
/// - averaging factor: 1, 2, 4, ... 1024;
/// - port power: from the analyzer's minimum in steps of `powerStepDb`, and its maximum;
/// - cable length: 0.25, 0.5, 1, 1.5, 2 and 3 m;
/// - calibration kit: every kit (each name once) whose connector is the connector of the
///   configuration's kit, all kits when that kit is not in the database;
/// - analyzer: every analyzer of the database, each name once.
/// Empty when the configuration's analyzer is not in the database (IF bandwidth, port power).
[[nodiscard]] std::vector<PlanValue>
DefaultPlanValues(const ConfigInfo* config, PlanQuantity quantity,
                  double powerStepDb = kDefaultPlanPowerStepDb);

/// The value as its editor shows it: "%.1f" for IF bandwidths (Hz) and port powers (dBm), "%d"
/// for averaging factors, "%.3f" for cable lengths (m), the name for kits and analyzers.
[[nodiscard]] std::string PlanValueText(PlanQuantity quantity, const PlanValue& value);

/// The configuration's own value of the quantity (cable 1's length for both cables).
[[nodiscard]] std::optional<PlanValue> CurrentPlanValue(const ConfigInfo* config,
                                                        PlanQuantity quantity, PlanCable cable);

/// Writes the value into the configuration through its setters alone, which report what they
/// refuse; 0 then.
[[nodiscard]] int SetPlanValue(ConfigInfo* config, PlanQuantity quantity, PlanCable cable,
                               const PlanValue& value);

/// Writes the value as its editor would, with the editor's checks first, so that a refused value
/// changes nothing: an IF bandwidth must be one the analyzer offers, a port power within the
/// analyzer's limits, a kit or an analyzer in the database, and a new analyzer must accept the
/// configuration's port power. Reports what it refuses; 1 when written.
[[nodiscard]] int ApplyPlanValue(ConfigInfo* config, PlanQuantity quantity, PlanCable cable,
                                 const PlanValue& value);

/// The quantity's name on the command line ("ifbw", "averages", "power", "cable-length", "kit",
/// "vna") and back.
[[nodiscard]] std::string_view PlanQuantityKeyword(PlanQuantity quantity);
[[nodiscard]] std::optional<PlanQuantity> PlanQuantityFromKeyword(std::string_view keyword);

/// The quantity as a chart axis or table column names it, with its unit ("IF Bandwidth (Hz)").
[[nodiscard]] std::string_view PlanQuantityTitle(PlanQuantity quantity);

/// One value as typed: a number in the quantity's unit (a whole number of 1 or more for an
/// averaging factor), or a name for kits and analyzers; white space around it is dropped. None
/// when the text is not such a value.
[[nodiscard]] std::optional<PlanValue> ParsePlanValue(PlanQuantity quantity, std::string_view text);

/// A point as typed, "GHZ:DB" or "GHZ:DB:S11" or "GHZ:DB:S21" (letter case free): frequency in
/// GHz above 0, DUT value in dB; `defaultPort` when the measurement is not named. None when the
/// text is not such a point.
[[nodiscard]] std::optional<PlanPoint> ParsePlanPoint(std::string_view text, PlanPort defaultPort);

/// True for the quantities whose values are names.
[[nodiscard]] constexpr bool PlanQuantityIsNamed(PlanQuantity quantity) {
    return quantity == PlanQuantity::CalKit || quantity == PlanQuantity::Analyzer;
}

} // namespace tolvane
