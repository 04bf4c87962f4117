#pragma once

#include <string>

#include "advise/advise.hpp"

namespace flyback::advise {

// The answer as JSON, the same bytes wherever it is computed but for
// "elapsed_ms": {"advise": {"candidates_tried", "feasible", "pruned",
// "planned_in_full", "dropped_by", "vor_range_V", "front", "top",
// "elapsed_ms"}}, each candidate with the plan's numbers in SI units.
std::string Json(const Advice& advice);

// The chart as SVG: the feasible candidates (ChartPoints) by loss against
// core volume, the front over them with its cores named. Drawn for `width`
// CSS pixels (at least 300, at most kChartWidth), its text 12 pixels at any.
inline constexpr double kChartWidth = 720;
std::string Svg(const Advice& advice, double width = kChartWidth);

}  // namespace flyback::advise
