#include "winding/build_choice.hpp"

#include <memory>
#include <utility>

#include "runtime/arithmetic.hpp"
#include "runtime/error.hpp"
#include "winding/energy_flow.hpp"

namespace flyback::winding {
using runtime::Multiply;

namespace plan_design {
namespace {

// With the order left to the plan, P-S-B, P-S-P and S-P-S each planned and
// the one that loses least kept (the earlier on a tie, P-S-B where the losses
// are unknown); an order the turns cannot split is passed over.
Plan OrderedFlow(const Chain& chain, const Options& options, const catalogue::Catalogue& parts,
                 const catalogue::Material& material, bool& noneFits) {
    if (options.order != Order::Auto) return SettledFlow(chain, options, parts, material, noneFits);
    Options usual = options;
    usual.order = Order::PSB;
    Plan best = SettledFlow(chain, usual, parts, material, noneFits);
    best.orderChosen = true;
    for (const Order order : {Order::PSP, Order::SPS}) {
        Options split = options;
        split.order = order;
        if (CheckCombination(split) != Combination::None) continue;
        try {
            bool splitNoneFits = false;
            Plan other = SettledFlow(chain, split, parts, material, splitNoneFits);
            const std::optional<double> a = LossWithClamp(best), b = LossWithClamp(other);
            if (a && b && *b < *a && (other.fits || !best.fits)) {
                other.orderChosen = true;
                noneFits = splitNoneFits;
                best = std::move(other);
            }
        } catch (const PlanLimit&) {  // a single turn cannot be split
        }
    }
    return best;
}

// Margins that take much of the bobbin's width, or a build that does not
// fit with them: where triple-insulated wire may do better.
bool MarginsCost(const Plan& plan) {
    return !plan.fits || Multiply(2, plan.insulation.margin_mm) >
                             Multiply(kMarginShareWeighed, plan.core->winding_width_mm);
}

Plan::OtherConstruction Summary(const Plan& plan) {
    return {plan.options.construction, plan.core, plan.fits, plan.build_mm, plan.hot_C,
            LossWithClamp(plan)};
}

}  // namespace

// With the construction left to the plan: margins, and where they cost,
// triple-insulated secondaries too; the one that fits is kept, and of two
// that fit (or neither) the one that loses less, margins where the losses
// are unknown.
Plan ConstructedFlow(const Chain& chain, const Options& options, const catalogue::Catalogue& parts,
                     const catalogue::Material& material, bool& noneFits) {
    if (options.construction != Construction::Auto)
        return OrderedFlow(chain, options, parts, material, noneFits);
    Options margin = options;
    margin.construction = Construction::Margin;
    Plan best = OrderedFlow(chain, margin, parts, material, noneFits);
    best.constructionChosen = true;
    if (!MarginsCost(best)) return best;
    Options tiw = options;
    tiw.construction = Construction::Tiw;
    bool tiwNoneFits = false;
    Plan other = OrderedFlow(chain, tiw, parts, material, tiwNoneFits);
    other.constructionChosen = true;
    const std::optional<double> a = LossWithClamp(best), b = LossWithClamp(other);
    const bool takeOther = other.fits != best.fits ? other.fits : a && b && *b < *a;
    if (!takeOther) {
        best.otherConstruction = Summary(other);
        return best;
    }
    other.otherConstruction = Summary(best);
    noneFits = tiwNoneFits;
    return other;
}

// The plan's build with its outputs stacked: the same core, construction
// and order; none where the outputs are stacked already, alone, split
// around the primary, or the stack cannot be wound.
std::shared_ptr<const Plan> StackedAlike(const Plan& plan, const Chain& chain,
                                         const catalogue::Catalogue& parts,
                                         const catalogue::Material& material) {
    Options o = plan.options;
    o.stack = true;
    o.core = plan.core->name;
    o.construction = plan.insulation.tripleInsulated ? Construction::Tiw : Construction::Margin;
    if (plan.options.stack || CheckCombination(o) != Combination::None) return nullptr;
    try {
        bool noneFits = false;
        return std::make_shared<const Plan>(OrderedFlow(chain, o, parts, material, noneFits));
    } catch (const PlanLimit&) {
        return nullptr;
    } catch (const runtime::RuntimeError&) {
        return nullptr;
    }
}

}  // namespace plan_design
}  // namespace flyback::winding
