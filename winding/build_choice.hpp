#pragma once

// The build the plan picks where the options leave it open: the winding
// order, margins or triple-insulated wire, and the same build stacked beside
// one wound apart.

#include <memory>

#include "winding/plan.hpp"
#include "winding/plan_design.hpp"

namespace flyback::winding::plan_design {

// The settled plan with the order and construction the options name, or
// where they leave them to the plan, the one that fits and loses least.
Plan ConstructedFlow(const Chain& chain, const Options& options, const catalogue::Catalogue& parts,
                     const catalogue::Material& material, bool& noneFits);

// The plan's build with its outputs stacked: the same core, construction
// and order; none where the outputs are stacked already, alone, split
// around the primary, or the stack cannot be wound.
std::shared_ptr<const Plan> StackedAlike(const Plan& plan, const Chain& chain,
                                         const catalogue::Catalogue& parts,
                                         const catalogue::Material& material);

}  // namespace flyback::winding::plan_design
