#pragma once

#include <ostream>
#include <string>

#include "winding/plan.hpp"

namespace flyback::cli {

// The plan as the value of --json's key "winding": SI units as each key
// names them, every number in full precision, null where absent; without a
// plan, {"error": why}.
std::string WindingJson(const winding::PlanOutcome& outcome);

// The plan for a terminal after the results table: the premise, the windings,
// then one line per value, captions padded to a column.
void PrintWindingSheet(const winding::PlanOutcome& outcome, std::ostream& out);

}  // namespace flyback::cli
