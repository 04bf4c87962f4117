#pragma once

// A winding laid out across the bobbin's width: its conductors side by side,
// its layers, and what the current's skin and proximity effects make of
// them (the skin depth, Dowell's penetration and layer count).

#include <vector>

#include "winding/ac_resistance.hpp"
#include "winding/plan.hpp"

namespace flyback::winding {

// Copper's skin depth at `hertz`, with the copper at `celsius`.
double SkinDepth_mm(double hertz, double celsius);

// The winding's current over a period, as the mode shapes it: the primary's
// ramp while the switch is on, a secondary's while the core resets.
std::vector<Ramp> CurrentOf(const Winding& w, const Plan& plan);

// Dowell's Δ at the fundamental and his layer count m of the winding as laid
// out, its copper at `celsius`. A litz bundle of n strands is taken as √n
// strand rows deep and √n strands across, each strand a round conductor.
double PenetrationOf(const Winding& w, const Plan& plan, double celsius);
double DowellLayers(const Winding& w);

// Conductors side by side across the winding width: at least one.
double ConductorsAcross(double width_mm, double outer_mm);

// Turns side by side across the winding width, each turn's conductors together.
void LayOut(Winding& w, double width_mm);

}  // namespace flyback::winding
