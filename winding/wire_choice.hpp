#pragma once

#include <optional>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "winding/ac_resistance.hpp"
#include "winding/layout.hpp"
#include "winding/plan.hpp"

// What each winding is wound of. The strand rule (the next wire up for the
// current density, or strands no thicker than twice the skin depth) gives a
// first build; the plan then tries, for every winding, one round wire, several
// in parallel, litz and copper foil, and keeps the one with the least loss over
// the current's own harmonics that the bobbin still holds. The strand rule's
// wire is always among them, so the choice never loses more than it.
namespace flyback::winding {

// The strand rule's wire for every winding of the plan, laid out.
void StrandRuleWires(Plan& plan, const catalogue::Catalogue& parts);

// Each winding's conductor for the least loss, within the height and copper
// the build leaves (plan.build_mm and plan.fill as the strand rule laid them).
void ChooseConductors(Plan& plan, const catalogue::Catalogue& parts);

// The least copper loss `w` could have on any conductor the choice tries
// (the strand rule's among them), its copper anywhere from `coolest_C` to
// `hottest_C`, from its current's first `harmonics`, its turns no further
// out than `inside_mm` of build inside it; and the least height any of them
// builds. A floor a search bounds a sketch by, which chooses no conductor.
// None without a mean turn length.
struct ConductorFloor {
    double loss_W = 0;
    double height_mm = 0;
};
std::optional<ConductorFloor> LeastConductorLoss(const Winding& w, const Plan& sketch,
                                                 const catalogue::Catalogue& parts,
                                                 double coolest_C, double hottest_C, int harmonics,
                                                 double inside_mm);

}  // namespace flyback::winding
