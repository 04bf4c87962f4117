#include "winding/clamp.hpp"

#include "runtime/arithmetic.hpp"
#include "winding/capacitances.hpp"
#include "winding/physics.hpp"

namespace flyback::winding {
using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using runtime::Subtract;
namespace k = physics;

namespace plan_design {

// The voltage the clamp holds the drain's ringing at: the one chosen, the
// rating route's multiple of Vor, or Vor plus the press's spike allowance.
double ClampSetting(const Plan& plan, const PlanInput& in) {
    const Choices& choices = in.design.choices;
    if (choices.Vclamp_V) return *choices.Vclamp_V;
    if (choices.vorSource == VorSource::SwitchRating)
        return Multiply(choices.clampRatio, plan.Vor_V);
    return Add(plan.Vor_V, in.chain.Vspike);
}

// The clamp holds the drain at Vclamp (by default the reflected voltage and
// the press's spike allowance above it) and takes the leakage's energy.
void ClampAndStresses(Plan& plan, const PlanInput& in) {
    const Chain& c = in.chain;
    Clamp& clamp = plan.clamp;
    const std::optional<double>& chosen = in.design.choices.Vclamp_V;
    const bool rated = in.design.choices.vorSource == VorSource::SwitchRating;
    clamp.V = ClampSetting(plan, in);
    if (!(clamp.V > plan.Vor_V)) {
        FailureDetail detail;
        detail.value = clamp.V;
        detail.bound = plan.Vor_V;
        throw PlanLimit{PlanFailure::ClampNotAboveVor, detail};
    }
    if (in.options.leakage) {
        clamp.source = LeakageSource::Given;
        clamp.leakage_H = Multiply(*in.options.leakage, plan.Lp_H);
    } else if (plan.buildLeakage_H) {
        // Real parts measure above the one-dimensional estimate: the clamp is
        // sized for the limit the shop tests to.
        clamp.source = LeakageSource::Build;
        clamp.leakage_H = Multiply(*plan.buildLeakage_H, in.options.leakageFactor);
    } else {
        clamp.source = LeakageSource::Assumed;
        clamp.leakage_H = Multiply(k::kAssumedLeakage, plan.Lp_H);
    }
    clamp.P_W = Divide(Multiply(Multiply(Multiply(0.5, clamp.leakage_H), Power(plan.Ipk_A, 2)),
                                Multiply(c.f, clamp.V)),
                       Subtract(clamp.V, plan.Vor_V));
    clamp.R_ohm = Divide(Power(clamp.V, 2), clamp.P_W);
    clamp.C_F = Divide(1, Multiply(Multiply(k::kClampRipple, clamp.R_ohm), c.f));
    plan.Vrectifier_V = plan.outputs.front().Vrectifier_V;
    if (clamp.source == LeakageSource::Build) clamp.estimate_H = plan.buildLeakage_H;
    plan.Vswitch_V =
        chosen || rated ? Add(c.Vmax, clamp.V) : Add(Add(c.Vmax, plan.Vor_V), c.Vspike);
    if (rated) {
        plan.VdsRating_V = in.design.choices.VdsRating_V;
    } else {
        plan.VdsRating_V = AssumedRating_V(c.Vmax);
        plan.ratingAssumed = plan.VdsRating_V.has_value();
    }
}

}  // namespace plan_design

std::optional<double> AssumedRating_V(double Vmax) {
    if (Vmax <= 400) return 650;
    if (Vmax <= 560) return 800;
    return std::nullopt;
}

double TypicalClampLoss(const Plan& plan) {
    const Clamp& c = plan.clamp;
    if (!c.estimate_H) return c.P_W;
    const double settled = ClampVoltage(plan.Vor_V, c.R_ohm, *c.estimate_H, plan.Ipk_A, plan.f_Hz);
    return Divide(Multiply(settled, settled), c.R_ohm);
}

double ClampShareFromTheCore(const Plan& plan) {
    const double loss = TypicalClampLoss(plan);
    const double settled = SquareRoot(Multiply(loss, plan.clamp.R_ohm));
    return Divide(Multiply(loss, plan.Vor_V), settled);
}

}  // namespace flyback::winding
