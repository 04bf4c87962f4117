#pragma once

#include <ostream>
#include <string>

#include "advise/advise.hpp"

namespace flyback::cli {

// The adviser's answer for --json: {"advise": {"candidates_tried",
// "feasible", "dropped_by", "vor_range_V", "front", "top", "elapsed_ms"}},
// each candidate with the plan's numbers in SI units.
std::string AdviceJson(const advise::Advice& advice);

// The chart as SVG: the feasible candidates (advise::ChartPoints) by
// loss against core volume, the front over them with its cores named.
std::string AdviceSvg(const advise::Advice& advice);

// For a terminal: what was weighed and dropped, the top candidates as a
// table, and the front.
void PrintAdvice(const advise::Advice& advice, std::ostream& out);

}  // namespace flyback::cli
