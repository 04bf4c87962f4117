#pragma once

#include "winding/plan.hpp"

namespace flyback::winding {

// What an engineer would check on the plan before winding it: flux density,
// saturation at the current limit, a gap too small to make, windings that do
// not fit, wire too thin, current density out of the usual range, a hot
// transformer, a duty cycle over one half, and values the data could not give.
// `noneFits`: no core of the catalogue held the windings, the plan is on the
// largest.
void AddWarnings(Plan& plan, double AeRequired_m2, bool noneFits);

}  // namespace flyback::winding
