#pragma once

// The automatic core: the smallest of the allowed families that holds the
// flux and the windings and runs cool enough, and what sized it.

#include "winding/plan.hpp"
#include "winding/plan_design.hpp"

namespace flyback::winding::plan_design {

// The plan on the chosen core, with `sizedBy` saying why; `noneFits` where
// no core holds the windings (the largest is planned). Refused (PlanLimit)
// where no core is allowed.
Plan ChooseCore(const PlanInput& in, bool& noneFits);

}  // namespace flyback::winding::plan_design
