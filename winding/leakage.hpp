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

// How much each winding moves the ampere-turns across the window, per
// ampere of primary current (Plan::windings' order).
std::vector<double> AmpereTurnSteps(const Plan& plan);

// Marks each winding whose ampere-turns pass through zero (an interleaved
// build's middle winding) with the fraction of its build from the inner side.
void MmfCrossings(Plan& plan);

// The leakage of the build as wound, referred to the primary, with the
// secondaries shorted; none without a mean turn length or width.
std::optional<double> BuildLeakage(const Plan& plan);

// The leakage inductances of the whole windings (WholeWindings' order) as a
// circuit couples them, henries in each winding's own current, every
// current counted as magnetising: the field energy of currents i is
// ½ iᵀ L i, beside the core's Lp (the plan's, referred to each winding by its
// turns). The field closes at the gap in the centre leg, so the window holds
// at each height the ampere-turns wound outside it: a primary alone stores
// only the field within its own layers, and any two windings driven against
// each other give LeakageMatrixOf's figure. None where the build has none.
std::optional<std::vector<std::vector<double>>> LeakageInductances(const Plan& plan);

}  // namespace flyback::winding
