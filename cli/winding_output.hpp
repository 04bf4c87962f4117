#pragma once

#include <ostream>
#include <string>

#include "conditions/conditions.hpp"
#include "winding/plan.hpp"

namespace flyback::cli {

// The plan as the value of --json's key "winding": SI units as each key
// names them, every number in full precision, null where absent; without a
// plan, {"error": why}.
std::string WindingJson(const winding::PlanOutcome& outcome);

// The plan for a terminal after the results table: the premise, the windings,
// then one line per value, captions padded to a column.
void PrintWindingSheet(const winding::PlanOutcome& outcome, std::ostream& out);

// The planned transformer at each operating point an opened file gives: a
// line each, captioned by the file's name for it; as JSON, an array of its
// current, flux and losses (a point no transformer runs at, its error).
void PrintAtConditions(const winding::Plan& plan, const std::vector<conditions::Condition>& points,
                       std::ostream& out);
std::string AtConditionsJson(const winding::Plan& plan,
                             const std::vector<conditions::Condition>& points);

}  // namespace flyback::cli
