#pragma once

// What the barrier between primary and secondary faces, and the margins,
// tape and width the insulation tables ask of the build for it.

#include "insulation/requirements.hpp"
#include "winding/plan.hpp"
#include "winding/plan_design.hpp"

namespace flyback::winding::plan_design {

// What the barrier faces: the mains (typed, or Vmax ÷ √2; never a rating
// below the bus's) with the grade the input asks for.
insulation::Conditions Barrier(const Chain& c, const Insulation& o);

// The barrier's conditions with the working voltage across it, what the
// tables ask for, and the margins and width to wind on that follow; refused
// (PlanLimit) beyond the tables.
void Insulate(Plan& plan, const PlanInput& in);

}  // namespace flyback::winding::plan_design
