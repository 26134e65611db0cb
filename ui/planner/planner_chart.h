#pragma once

#include "engine/plan.h"

#include <QStringList>

#include <cstddef>
#include <optional>

class QChart;

namespace tolvane {

/// Fills `chart` (emptied first) with a plan's figures: the worst-case magnitude uncertainty
/// against the varied quantity, one curve per point of interest (named by `pointLabels`), on the
/// left axis; the estimated sweep time, dashed, on a second axis at the right; and, when `best`
/// names a value, that value marked on every curve. Numbers run along a value axis (logarithmic
/// for IF bandwidths and averaging factors), names along a category axis in the plan's order.
/// A point that was not computed leaves a gap in its curve's markers.
void FillPlannerChart(QChart* chart, const Plan& plan, const PlanResult& result,
                      const QStringList& pointLabels, std::optional<std::size_t> best);

} // namespace tolvane
