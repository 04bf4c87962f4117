#pragma once

#include <utility>

#include "winding/plan.hpp"

namespace flyback::winding {

// A layer's voltage at its two edges across the width, per volt the drain
// swings. Every winding starts at its dot, innermost, wound to and fro,
// its turns spread evenly over its layers; the dots swing together with
// the drain, and each winding's other end is quiet (the primary's at the
// bulk, a secondary's at its output's return, the bias at the primary's
// return), so a turn n from the dot of a winding of N turns swings
// (N − n) ÷ Np; a stacked section's turns swing besides as much as the
// turns below its tap.
std::pair<double, double> LayerSwing(const Plan& plan, const Winding& w, int layer);

// The shields the options ask for, at every face where the primary side and
// the secondaries meet, as tall as they wind; a wound shield has the turns
// that cancel the secondary layer it faces.
std::vector<ShieldPlan> Shields(const Plan& plan);

// The build's capacitances, or why there are none (Plan::capacitanceGap),
// with the drain's capacitance as `drain_F` (the given Cds, or the switch's
// Coss and the build's share) and its rings.
void Capacitance(Plan& plan);

}  // namespace flyback::winding
