#pragma once

#include <optional>
#include <vector>

#include "winding/plan.hpp"

namespace flyback::winding {

// The leakage inductance of the build for ampere-turns `steps` (one a
// winding, per ampere of the primary, summing to zero), referred to the
// primary: the one-dimensional field across the window, the windings as
// current sheets, tape and shields as field alone:
// Llk = μ0 × MLT ÷ bw × ∫ N(x)² dx, for primary then secondary the familiar
// μ0 Np² MLT ÷ bw × (h_p ÷ 3 + h_gap + h_s ÷ 3). None without a mean turn
// length or a width to wind on.
std::optional<double> LeakageOfSteps(const Plan& plan, const std::vector<double>& steps);

// The leakage between every pair of whole windings, each pair driven against
// each other with the rest open, referred to the primary (a split winding's
// halves carry one current); the primary against a lone secondary with the
// bias unloaded is the build's leakage itself. None where the build has none.
std::optional<LeakageMatrix> LeakageMatrixOf(const Plan& plan);

}  // namespace flyback::winding
