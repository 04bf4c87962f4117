#include "winding/core_choice.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/arithmetic.hpp"
#include "winding/barrier.hpp"
#include "winding/clamp.hpp"

namespace flyback::winding {
using runtime::Multiply;

namespace plan_design {
namespace {

bool FamilyAllowed(const catalogue::Core& core, const Options& options) {
    return options.families.empty() || std::find(options.families.begin(), options.families.end(),
                                                 core.family) != options.families.end();
}

// Why a chosen core is too small to sign: its rise above the one the plan
// warns of (or losses that never settle), its hot spot above the limit, or
// losses beyond what the efficiency leaves (a low, wide core's leakage
// spends it in the clamp). Where the data gives no losses there is nothing
// to hold it to.
std::optional<SizedBy> TooSmall(const Plan& plan) {
    if (!plan.dT_K) return std::nullopt;
    if (!plan.hot_C || *plan.dT_K > plan.options.maxRise_K) return SizedBy::Rise;
    if (*plan.hot_C > HotLimit(plan.options)) return SizedBy::HotSpot;
    const std::optional<LossBudget> losses = LossesAgainstBudget(plan);
    if (losses && losses->named_W > losses->budget_W) return SizedBy::Losses;
    return std::nullopt;
}

}  // namespace

Plan ChooseCore(const PlanInput& in, bool& noneFits) {
    std::vector<const catalogue::Core*> cores;
    for (const catalogue::Core& core : in.parts.cores) {
        if (core.Automatic() && FamilyAllowed(core, in.options)) cores.push_back(&core);
    }
    if (cores.empty()) throw PlanLimit{PlanFailure::NoCore};
    std::stable_sort(cores.begin(), cores.end(),
                     [](const auto* a, const auto* b) { return a->Ve_mm3 < b->Ve_mm3; });
    // The smallest by volume that is large enough, holds the windings and
    // runs cool enough; the reason the one before it failed sized it.
    std::optional<Plan> firstFit;
    SizedBy failed = SizedBy::Smallest;
    for (const catalogue::Core* core : cores) {
        if (Multiply(core->Ae_mm2, 1e-6) < in.chain.AeRequired_m2) {
            failed = SizedBy::Flux;
            continue;
        }
        if (!PlanOn(*core, in, Depth::Sketch).fits) {  // the build needs no losses
            failed = SizedBy::Window;
            continue;
        }
        Plan plan = PlanOn(*core, in);
        const std::optional<SizedBy> hot = TooSmall(plan);
        if (!hot) {
            plan.sizedBy = failed;
            return plan;
        }
        failed = *hot;
        if (!firstFit) firstFit = std::move(plan);
    }
    // No core that holds the windings runs cool: the smallest that holds
    // them, whose rise or hot spot the plan warns of.
    if (firstFit) {
        firstFit->sizedBy = SizedBy::NoneCool;
        return std::move(*firstFit);
    }
    noneFits = true;
    Plan largest = PlanOn(*cores.back(), in);
    largest.sizedBy = SizedBy::NoneFits;
    return largest;
}

}  // namespace plan_design

std::vector<Plan::StockOffer> StockOffers(const Plan& plan) {
    std::vector<Plan::StockOffer> offers;
    for (const catalogue::StockPart* part : catalogue::StockOf(*plan.core, *plan.material)) {
        if (!part->gap_mm) {
            offers.push_back({part, false});
        } else if (std::abs(*part->gap_mm - plan.gap_mm) <= kStockGapShare * plan.gap_mm) {
            offers.push_back({part, true});
        }
    }
    return offers;
}

std::optional<LossBudget> LossesAgainstBudget(const Plan& plan) {
    if (!plan.Pcopper_W || !plan.Pcore_W) return std::nullopt;
    double named = *plan.Pcopper_W + *plan.Pcore_W + TypicalClampLoss(plan);
    for (const OutputResult& out : plan.outputs) named += out.set.VF_V * out.set.I_A;
    const double load = plan.Pout_W + plan.Pbias_W;
    return LossBudget{named, load / plan.eta - load};
}

}  // namespace flyback::winding
