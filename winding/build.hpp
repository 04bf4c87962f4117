#pragma once

// The build's geometry: the windings in the order they are wound, the tape
// and shields between them, each winding's mean turn, and whether the whole
// fits the bobbin.

#include "winding/plan.hpp"
#include "winding/plan_design.hpp"

namespace flyback::winding::plan_design {

// The windings in the order they are wound, from the centre leg out (an
// interleaved winding as two halves), each with the current it carries and
// the strand rule's wire; where its ampere-turns cross zero.
void Windings(Plan& plan, const PlanInput& in);

// Each winding's current density and DC loss, as wound.
void Densities(Plan& plan);

// The tape, shields and windings stacked from the centre leg out: each
// winding's mean turn at its middle, the build's height, the copper fill and
// whether the build fits the bobbin with its margins.
void Build(Plan& plan);

}  // namespace flyback::winding::plan_design
