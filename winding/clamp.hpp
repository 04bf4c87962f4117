#pragma once

// The clamp that holds the drain's ringing, the leakage it takes the energy
// of, and the stresses on the switch and rectifier that follow.

#include "winding/plan.hpp"
#include "winding/plan_design.hpp"

namespace flyback::winding::plan_design {

// The voltage the clamp holds the drain's ringing at: the one chosen, the
// rating route's multiple of Vor, or Vor plus the press's spike allowance.
double ClampSetting(const Plan& plan, const PlanInput& in);

// The clamp's leakage (given, the build's with the shop's factor, or
// assumed), its loss, resistor and capacitor; the switch's and rectifier's
// voltages and the switch's rating. Refused (PlanLimit) where the clamp is
// not above Vor.
void ClampAndStresses(Plan& plan, const PlanInput& in);

}  // namespace flyback::winding::plan_design
