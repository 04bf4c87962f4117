#pragma once

// The energy the core stores depends on the losses the plan finds on the
// secondary side, and they on the currents it carries: the plan made again
// until both settle.

#include <optional>

#include "winding/plan.hpp"
#include "winding/plan_design.hpp"

namespace flyback::winding::plan_design {

// A sketch on the options' core, storing the rectified power alone (or the
// options' split), a floor of the whole.
Plan SketchedFlow(const Chain& chain, const Options& options, const catalogue::Catalogue& parts,
                  const catalogue::Material& material);

// The plan (on the options' core, or the automatic one) whose stored power
// and valley-switched drain have settled.
Plan SettledFlow(const Chain& chain, const Options& given, const catalogue::Catalogue& parts,
                 const catalogue::Material& material, bool& noneFits);

// The plan's loss with the clamp's: what the order changes (the copper's
// proximity, and the leakage the clamp spends); none where it is unknown.
std::optional<double> LossWithClamp(const Plan& plan);

}  // namespace flyback::winding::plan_design
