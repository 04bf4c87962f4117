#pragma once

#include "catalogue/catalogue.hpp"
#include "winding/plan.hpp"

namespace flyback::winding {

// The gap ground in the centre leg for the plan's Lp on its core and
// material: the air's reluctance less the ferrite's, widened by the
// fringing flux; sets the plan's AL, its gap with and without the fringing,
// and the factor. (InductanceOfGap goes back from a gap to Lp.)
void GrindGap(Plan& plan, const catalogue::Material& material, double Ae_m2);

// McLyman's fringing flux factor for a gap in the centre leg (Colonel Wm. T.
// McLyman, "Transformer and Inductor Design Handbook", 3rd ed., chapter 8):
// F = 1 + lg ÷ √Ae × ln(2G ÷ lg), G the window's height along the leg. The
// fringing flux adds to the gap's, so the gap that gives Lp is wider by it.
double FringingFactor(double gap_m, double Ae_m2, double windowHeight_m);

}  // namespace flyback::winding
