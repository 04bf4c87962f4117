#pragma once

#include <vector>

#include "pins/pins.hpp"
#include "winding/plan.hpp"

namespace flyback::pins {

// A winding's two ends. Every winding is wound the same way and starts at
// its dotted end: the primary's start at the drain, buried under the rest of
// the build to shield its swing; each secondary's and the bias winding's start
// at its rectifier.
struct Ends {
    int start = 0, finish = 0;
};

// The ends of each of the plan's windings, in the plan's order. The halves of a
// split primary meet at a junction pin: the first free pin after the
// primary's pair.
// A stack's sections share their taps: the return on the secondaries' first
// pin and each tap on the next, the fewest turns' lowest.
std::vector<Ends> PinsOf(const winding::Plan& plan, const Pins& pins);

}  // namespace flyback::pins
