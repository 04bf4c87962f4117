#include "winding/energy_flow.hpp"

#include <cmath>

#include "runtime/arithmetic.hpp"
#include "winding/clamp.hpp"
#include "winding/core_choice.hpp"

namespace flyback::winding {
using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Subtract;

namespace plan_design {
namespace {

// The stored power's iteration: settled within this share, given up after
// so many plans (whole turns may flip between two counts).
constexpr double kFlowSettled = 1e-6;
constexpr int kMostFlowRounds = 8;

// The loss the core stores besides what the rectifiers take: every winding's
// but the primary's copper, the core's own, and the clamp's share of it;
// none where the copper or the core is unknown.
std::optional<double> SecondarySideLoss(const Plan& plan) {
    if (!plan.Pcore_W) return std::nullopt;
    double loss = Add(*plan.Pcore_W, ClampShareFromTheCore(plan));
    for (const Winding& w : plan.windings) {
        if (w.role == Role::Primary || !w.Irms_A) continue;
        if (!w.P_W) return std::nullopt;
        loss = Add(loss, w.Pac_W.value_or(*w.P_W));
    }
    return loss;
}

// A valley-switched drain without a typed Cds rings on the switch's Coss
// and the build's own capacitance, which the plan knows only once it is
// wound: the build's share is carried into the next round until it moves
// less than the flow's own settling share. False where it has settled or
// does not count.
bool DrainMoved(const Plan& plan, Options& options) {
    Choices& choices = options.choices;
    if (choices.conduction != Conduction::QuasiResonant || choices.Cds_F || !plan.capacitance)
        return false;
    const double found = plan.capacitance->build_F, used = choices.buildDrain_F;
    choices.buildDrain_F = found;
    return std::abs(Subtract(found, used)) > Multiply(kFlowSettled, Add(choices.Coss_F, found));
}

}  // namespace

// The power the core stores depends on the losses the plan finds, and they
// on the currents it carries: the plan is made again from the secondary
// side's loss it found until that settles. A sketch, without losses, stores
// the rectified power alone (or the options' split), a floor of the whole.
Plan SketchedFlow(const Chain& chain, const Options& options, const catalogue::Catalogue& parts,
                  const catalogue::Material& material) {
    const Design design = DesignOf(chain, options, 0);
    return PlanOn(*parts.FindCore(options.core), {chain, design, options, parts, material},
                  Depth::Sketch);
}

Plan SettledFlow(const Chain& chain, const Options& given, const catalogue::Catalogue& parts,
                 const catalogue::Material& material, bool& noneFits) {
    Options options = given;
    double secondaryLoss = 0;
    for (int round = 1;; ++round) {
        const Design design = DesignOf(chain, options, secondaryLoss);
        const PlanInput in{chain, design, options, parts, material};
        noneFits = false;
        Plan plan = options.core.empty() ? ChooseCore(in, noneFits)
                                         : PlanOn(*parts.FindCore(options.core), in);
        plan.flowRounds = round;
        const bool drainMoved = DrainMoved(plan, options);
        if (round == kMostFlowRounds) return plan;
        const std::optional<double> found = SecondarySideLoss(plan);
        bool storedSettled = options.lossSplit || !found;
        if (!storedSettled) {
            const double stored = StoredPower(design.load, design.rectified_W, *found, options);
            storedSettled =
                std::abs(Subtract(stored, design.stored_W)) <= Multiply(kFlowSettled, stored);
            if (!storedSettled) secondaryLoss = *found;
        }
        if (storedSettled && !drainMoved) return plan;
    }
}

// The plan's loss with the clamp's: what the order changes (the copper's
// proximity, and the leakage the clamp spends).
std::optional<double> LossWithClamp(const Plan& plan) {
    if (!plan.Pcopper_W || !plan.Pcore_W) return std::nullopt;
    return *plan.Pcopper_W + *plan.Pcore_W + TypicalClampLoss(plan);
}

}  // namespace plan_design

double Plan::PrimarySide_W() const {
    return Subtract(InputPower(), stored_W);
}

std::optional<double> Plan::LossSplit() const {
    const double loss = Subtract(InputPower(), load.P_W);
    if (!(loss > 0)) return std::nullopt;
    return Divide(Subtract(stored_W, load.P_W), loss);
}

}  // namespace flyback::winding
