#pragma once

#include "catalogue/catalogue.hpp"
#include "winding/physics.hpp"
#include "winding/plan.hpp"

// The plan's losses and the temperature they bring it to: each winding's
// copper at DC and over its current's harmonics, the core's, the surface
// they leave by and the rise above ambient, settled together.
namespace flyback::winding {

// A winding's DC resistance and loss with its copper at `celsius` (its own
// mean turn, else the core's); nothing without a current or a mean turn.
void WindingCopperLoss(Winding& w, const catalogue::Core& core,
                       double celsius = physics::kWorkingTemperature_C);
// Its resistance and loss over the harmonics (Dowell), from the DC ones.
void WindingAcLoss(Winding& w, const Plan& plan, double celsius = physics::kWorkingTemperature_C);

// The surface the losses leave by, from the core's area product.
void CoolingSurface(Plan& plan);

// The losses at the temperature they bring the transformer to: from the
// design temperature, the copper's resistance and the core's loss are taken
// at ambient plus the rise until it moves less than a hundredth of a kelvin.
void SettleLosses(Plan& plan, double f_Hz);

}  // namespace flyback::winding
