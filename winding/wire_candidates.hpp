#pragma once

#include <vector>

#include "catalogue/catalogue.hpp"
#include "winding/plan.hpp"

// The ways a winding can be wound, which the conductor choice weighs and a
// search's floor bounds: one round wire or several in parallel, litz of
// strands no thicker than the skin, copper foil; each laid out on the bobbin.
namespace flyback::winding {

// The strand counts of the litz constructions Rubadue lists in the MAS wire
// data (data/wires.ndjson: 5/32 … 825/44); the plan makes them of the
// catalogue's IEC 60317 enamelled strands.
extern const std::vector<int> kLitzStrandCounts;
// The strands litz is made of, where the catalogue has them and they are no
// thicker than the skin depth.
extern const std::vector<double> kLitzStrands_mm;
// Copper foil thicknesses tried for a secondary: steps within the range of
// soft copper strip made for transformer windings (0.1 mm up); thinner foil
// is sold for shields.
extern const std::vector<double> kFoilThicknesses_mm;

// A way of winding a group: its conductor, wire, strands and sizes, and how
// simple it is to wind (one round wire simplest, then strands in parallel by
// their count, foil, litz).
struct WireCandidate {
    Conductor conductor = Conductor::Round;
    const catalogue::Wire* wire = nullptr;
    int strands = 1;
    double outer_mm = 0, foilThickness_mm = 0, foilWidth_mm = 0;
    int complexity = 0;
};

// The wires the choice winds with, thinnest first, none finer than the
// winder's finest.
struct WireStock {
    std::vector<const catalogue::Wire*> enamelled, tripleInsulated;
};

WireStock WireStockOf(const catalogue::Catalogue& parts, double finest_mm);
std::vector<const catalogue::Wire*> WiresOfKind(const catalogue::Catalogue& parts,
                                                catalogue::WireKind kind, double finest_mm);

// The bias, or a winding of little current: wound of one round wire,
// whatever its loss.
bool OneWireWinding(const Winding& w, const WinderRules& rules);

bool TripleInsulated(const Winding& w, const Plan& plan);

// The winding as it is wound now, as a candidate.
WireCandidate AsItIs(const Winding& w);

// Every way of winding `w` the choice tries, besides the strand rule's.
std::vector<WireCandidate> CandidatesFor(const Winding& w, const Plan& plan,
                                         const WireStock& stock);

// `w` wound of the candidate and laid out across `width_mm`; throws
// PlanLimit for a build beyond what anyone winds.
Winding Wound(const Winding& w, const WireCandidate& c, double width_mm);

}  // namespace flyback::winding
