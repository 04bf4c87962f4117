#include <algorithm>
#include <iterator>

#include "runtime/arithmetic.hpp"
#include "winding/ac_resistance.hpp"
#include "winding/layout.hpp"
#include "winding/plan_design.hpp"
#include "winding/wire_candidates.hpp"
#include "winding/wire_choice.hpp"

// The least copper loss a winding could have on any conductor the choice
// tries: a search's floor, which chooses no conductor.
namespace flyback::winding {

using plan_design::PlanLimit;
using runtime::Add;
using runtime::Divide;
using runtime::Multiply;

namespace {

// A DC loss this much below another passes it whatever the rounding of an AC
// ratio that sums to one (the harmonics' squares add up to the whole square
// only to within rounding).
constexpr double kBelowRounding = 1 - 1e-9;

}  // namespace

std::optional<ConductorFloor> LeastConductorLoss(const Winding& w, const Plan& sketch,
                                                 const catalogue::Catalogue& parts,
                                                 double coolest_C, double hottest_C, int harmonics,
                                                 double inside_mm) {
    if (!sketch.core->MLT_mm || !w.Irms_A) return std::nullopt;
    std::vector<WireCandidate> candidates = {AsItIs(w)};
    if (w.Ipeak_A) {
        const std::vector<WireCandidate> more = CandidatesFor(
            w, sketch, WireStockOf(parts, sketch.options.choices.rules.finestStrand_mm));
        // A light winding is one round wire whatever its loss: only those
        // could be chosen.
        const bool oneWire = OneWireWinding(w, sketch.options.choices.rules);
        std::copy_if(more.begin(), more.end(), std::back_inserter(candidates),
                     [&](const WireCandidate& c) {
                         return !oneWire || (c.conductor == Conductor::Round && c.strands == 1);
                     });
    }
    // Each conductor's DC loss first: the AC loss is never below it where
    // Dowell's factor is at least one (a layer or more), so from the least DC
    // loss up, a conductor whose DC loss already passes the least found needs
    // no harmonics (the floor is the same, found sooner).
    struct Priced {
        Winding wound;
        double dc;
    };
    std::vector<Priced> priced;
    for (const WireCandidate& c : candidates) {
        Winding wound;
        try {
            wound = Wound(w, c, std::max(sketch.insulation.width_mm, c.outer_mm));
        } catch (const PlanLimit&) {
            continue;
        }
        // The shortest its turns could be: on the least build inside them.
        const double mlt_m =
            Multiply(*TurnLengthAt(*sketch.core, Add(inside_mm, Divide(wound.height_mm, 2))), 1e-3);
        const double dc =
            Divide(Multiply(Multiply(*w.Irms_A, *w.Irms_A),
                            Multiply(Multiply(CopperResistivity(coolest_C), mlt_m), wound.turns)),
                   Multiply(CopperArea_mm2(wound), 1e-6));
        priced.push_back({wound, dc});
    }
    std::stable_sort(priced.begin(), priced.end(),
                     [](const Priced& a, const Priced& b) { return a.dc < b.dc; });
    std::optional<ConductorFloor> least;
    for (const auto& [wound, dc] : priced) {
        if (least) least->height_mm = std::min(least->height_mm, wound.height_mm);
        const double layers = DowellLayers(wound);
        if (least && layers >= 1 && dc * kBelowRounding > least->loss_W) continue;
        // The hotter the copper, the deeper the skin and the smaller Δ.
        const double ratio =
            w.Ipeak_A ? AcToDcFloor(CurrentOf(wound, sketch),
                                    PenetrationOf(wound, sketch, hottest_C), layers, harmonics)
                      : 1;
        const double loss = Multiply(dc, ratio);
        if (!least) least = ConductorFloor{loss, wound.height_mm};
        least->loss_W = std::min(least->loss_W, loss);
    }
    return least;
}

}  // namespace flyback::winding
