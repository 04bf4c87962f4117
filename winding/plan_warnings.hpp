#pragma once

#include <string>

#include "winding/plan.hpp"

namespace flyback::winding {

// What an engineer would check on the plan before winding it: flux density,
// saturation at the current limit, a gap too small to make, windings that do
// not fit, wire too thin, current density out of the usual range, a hot
// transformer, a duty cycle over one half, and values the data could not give.
// With the engineer's choices: the switch above its derated rating, the duty
// above the controller's limit, an output's voltage off what was asked, the
// outputs' power not the press's P.
struct WarningContext {
    double AeRequired_m2 = 0;
    double P_W = 0;  // the press's output power
    bool noneFits =
        false;  // no core of the catalogue held the windings: the plan is on the largest
};
void AddWarnings(Plan& plan, const WarningContext& context);

// A winder's rule a conductor breaks, in Chinese with its value and the
// rule's: "绕 6 层，多于规则的 4 层".
std::string RuleBreachText(const RuleBreach& breach);

}  // namespace flyback::winding
