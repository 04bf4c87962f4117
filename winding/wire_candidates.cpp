#include "winding/wire_candidates.hpp"

#include <algorithm>

#include "insulation/requirements.hpp"
#include "runtime/arithmetic.hpp"
#include "winding/layout.hpp"
#include "winding/plan_design.hpp"

namespace flyback::winding {

using plan_design::SquareMillimetres;
using runtime::Divide;
using runtime::Multiply;
using runtime::SquareRoot;

const std::vector<int> kLitzStrandCounts = {5,  7,   9,   16,  19,  20,  25,  35,  40,
                                            66, 100, 120, 135, 150, 230, 360, 550, 825};
const std::vector<double> kLitzStrands_mm = {0.1, 0.12, 0.15, 0.2};
const std::vector<double> kFoilThicknesses_mm = {0.1, 0.12, 0.15, 0.2, 0.25, 0.3, 0.4, 0.5};

namespace {

// A litz bundle's diameter over its bare strands, d × √n times this: the
// largest of the Rubadue constructions in the MAS wire data once their outer
// insulation is taken off (825/44: 2.075 mm over 0.0508 mm × √825, 1.42;
// 100/38 and 120/38: 1.31; 550/44: 1.33). The serving adds about 0.06 mm
// (C. R. Sullivan, "Litz wire: dc resistance factors", Dartmouth).
constexpr double kLitzBundleOverStrands = 1.42;
constexpr double kLitzServing_mm = 0.06;
// More turns than this are not wound of foil: each turn is a layer with tape.
constexpr int kMostFoilTurns = 12;
// Round wires tried above the thinnest that carries the current, and strands
// in parallel up to this many ("bifilar", "trifilar" …).
constexpr int kLargerSizesTried = 2;
constexpr int kMostParallel = 8;

void RoundCandidates(std::vector<WireCandidate>& out,
                     const std::vector<const catalogue::Wire*>& wires, double area) {
    for (int n = 1; n <= kMostParallel; ++n) {
        int tried = 0;
        for (const catalogue::Wire* wire : wires) {
            if (Multiply(SquareMillimetres(wire->conductor_mm), n) < area) continue;
            out.push_back({Conductor::Round, wire, n, *wire->Outer(), 0, 0, n > 1 ? n : 0});
            if (++tried > kLargerSizesTried) break;
        }
    }
}

// Litz of strands no thicker than the skin depth at the switching frequency,
// the fewest strands that carry the current and the next two constructions.
void LitzCandidates(std::vector<WireCandidate>& out,
                    const std::vector<const catalogue::Wire*>& wires, double area, double skin_mm) {
    for (const catalogue::Wire* strand : wires) {
        if (strand->conductor_mm > skin_mm) break;
        if (std::find(kLitzStrands_mm.begin(), kLitzStrands_mm.end(), strand->conductor_mm) ==
            kLitzStrands_mm.end())
            continue;
        int tried = 0;
        for (int n : kLitzStrandCounts) {
            if (Multiply(SquareMillimetres(strand->conductor_mm), n) < area) continue;
            const double bundle =
                Multiply(Multiply(kLitzBundleOverStrands, strand->conductor_mm), SquareRoot(n));
            out.push_back({Conductor::Litz, strand, n, bundle + kLitzServing_mm, 0, 0, 100});
            if (++tried > 2) break;
        }
    }
}

void FoilCandidates(std::vector<WireCandidate>& out, const Winding& w, double width_mm,
                    double area) {
    if (w.role != Role::Secondary || w.turns > kMostFoilTurns || !(width_mm > 0)) return;
    const double tape = insulation::PlanTape().thickness_mm;
    for (double t : kFoilThicknesses_mm) {
        if (Multiply(t, width_mm) < area) continue;
        out.push_back({Conductor::Foil, nullptr, 1, t + tape, t, width_mm, 50});
    }
}

}  // namespace

// The wires of a kind that have an outer diameter to wind with and are no
// finer than the winder's finest, thinnest first.
std::vector<const catalogue::Wire*> WiresOfKind(const catalogue::Catalogue& parts,
                                                catalogue::WireKind kind, double finest_mm) {
    std::vector<const catalogue::Wire*> wires;
    for (const catalogue::Wire& wire : parts.wires) {
        if (wire.kind == kind && wire.Outer() && wire.conductor_mm >= finest_mm)
            wires.push_back(&wire);
    }
    std::stable_sort(wires.begin(), wires.end(), [](const auto* a, const auto* b) {
        return a->conductor_mm < b->conductor_mm;
    });
    return wires;
}

bool OneWireWinding(const Winding& w, const WinderRules& rules) {
    return w.role == Role::Bias || *w.Irms_A < rules.oneWireBelow_A;
}

bool TripleInsulated(const Winding& w, const Plan& plan) {
    return w.role == Role::Secondary && plan.options.construction == Construction::Tiw;
}

WireCandidate AsItIs(const Winding& w) {
    WireCandidate c{w.conductor, w.wire, w.strands, w.outer_mm, w.foilThickness_mm, w.foilWidth_mm};
    c.complexity = w.strands > 1 ? w.strands : 0;
    return c;
}

Winding Wound(const Winding& w, const WireCandidate& c, double width_mm) {
    Winding wound = w;
    wound.conductor = c.conductor;
    wound.wire = c.wire;
    wound.strands = c.strands;
    wound.outer_mm = c.outer_mm;
    wound.foilThickness_mm = c.foilThickness_mm;
    wound.foilWidth_mm = c.foilWidth_mm;
    LayOut(wound, width_mm);
    return wound;
}

std::vector<WireCandidate> CandidatesFor(const Winding& w, const Plan& plan,
                                         const WireStock& stock) {
    const bool tiw = TripleInsulated(w, plan);
    const double area = Divide(*w.Irms_A, plan.options.J_A_mm2);
    std::vector<WireCandidate> candidates;
    RoundCandidates(candidates, tiw ? stock.tripleInsulated : stock.enamelled, area);
    if (!tiw) {
        LitzCandidates(candidates, stock.enamelled, area, plan.skinDepth_mm);
        FoilCandidates(candidates, w, plan.insulation.width_mm, area);
    }
    return candidates;
}

WireStock WireStockOf(const catalogue::Catalogue& parts, double finest_mm) {
    return {WiresOfKind(parts, catalogue::WireKind::Enamelled, finest_mm),
            WiresOfKind(parts, catalogue::WireKind::TripleInsulated, finest_mm)};
}

}  // namespace flyback::winding
