#include "winding/build.hpp"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "insulation/requirements.hpp"
#include "runtime/arithmetic.hpp"
#include "winding/ac_resistance.hpp"
#include "winding/capacitances.hpp"
#include "winding/leakage.hpp"
#include "winding/thermal.hpp"
#include "winding/wire_choice.hpp"

namespace flyback::winding {
using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Subtract;

namespace plan_design {
namespace {

Winding NewWinding(Role role, int turns, int output = 0) {
    Winding w;
    w.role = role;
    w.turns = turns;
    w.output = output;
    return w;
}

void Carries(Winding& w, double rms, double peak) {
    w.Irms_A = rms;
    w.Ipeak_A = peak;
}

// A winding split in two halves in series, the inner one the larger by a
// turn if odd; each carries the whole winding's current.
std::pair<Winding, Winding> Halves(const Winding& whole) {
    Winding inner = whole, outer = whole;
    inner.turns = (whole.turns + 1) / 2;
    outer.turns = whole.turns / 2;
    inner.half = 1;
    outer.half = 2;
    return {inner, outer};
}

// Each output's winding of its own turns and current.
std::vector<Winding> Separate(const Plan& plan) {
    std::vector<Winding> secondaries;
    for (std::size_t i = 0; i < plan.outputs.size(); ++i) {
        const OutputResult& out = plan.outputs[i];
        Winding secondary = NewWinding(Role::Secondary, out.turns, static_cast<int>(i));
        Carries(secondary, out.Irms_A, out.Ipeak_A);
        secondaries.push_back(secondary);
    }
    return secondaries;
}

// The stack from the return up: each section the turns from the tap below
// to its own, carrying its output's current and those of every output
// above. The rectifiers all conduct through the reset with one shape, so
// the section's current is that shape at the sum of the outputs' currents.
std::vector<Winding> Stacked(const Plan& plan) {
    std::vector<Winding> sections;
    int below = 0;
    for (const int o : StackOrder(plan)) {
        const OutputResult& out = plan.outputs[static_cast<std::size_t>(o)];
        if (out.turns == below) {
            FailureDetail detail;
            detail.value = below;
            throw PlanLimit{PlanFailure::StackSameTurns, detail};
        }
        Winding section = NewWinding(Role::Secondary, out.turns - below, o);
        const Trapezoid current = SecondaryCurrent(CarriedCurrent(plan, section), plan.atVmin);
        Carries(section, current.rms, current.peak);
        sections.push_back(section);
        below = out.turns;
    }
    return sections;
}

// The windings in the order they are wound, from the centre leg out.
std::vector<Winding> InOrder(const Plan& plan, const PlanInput& in) {
    Winding primary = NewWinding(Role::Primary, plan.Np);
    Carries(primary, TrapezoidRms(plan.Ipk_A, plan.Ivalley_A, plan.Dmax), plan.Ipk_A);
    std::vector<Winding> secondaries = in.options.stack ? Stacked(plan) : Separate(plan);
    std::vector<Winding> bias;
    if (plan.Naux) {
        bias.push_back(NewWinding(Role::Bias, *plan.Naux));
        if (in.design.choices.biasI_A > 0) {
            const Trapezoid current = SecondaryCurrent(in.design.choices.biasI_A, plan.atVmin);
            Carries(bias.back(), current.rms, current.peak);
        }
    }
    std::vector<Winding> order;
    const auto add = [&](const std::vector<Winding>& ws) {
        order.insert(order.end(), ws.begin(), ws.end());
    };
    switch (in.options.order) {
        case Order::PSB:
        case Order::Auto:  // chosen before a plan is made; a sketch winds the usual order
            add({primary}), add(secondaries), add(bias);
            break;
        case Order::PBS:
            add({primary}), add(bias), add(secondaries);
            break;
        case Order::PSP: {
            if (plan.Np < 2) throw PlanLimit{PlanFailure::SplitPrimaryTooFew};
            const auto [inner, outer] = Halves(primary);
            add({inner}), add(secondaries), add({outer}), add(bias);
            break;
        }
        case Order::SPS: {
            if (secondaries.front().turns < 2) throw PlanLimit{PlanFailure::SplitSecondaryTooFew};
            const auto [inner, outer] = Halves(secondaries.front());
            secondaries.front() = outer;
            add({inner}), add({primary}), add(secondaries), add(bias);
            break;
        }
    }
    return order;
}

// The windings on the secondary side face those on the primary side across
// the insulation the tables ask for; windings on one side are kept apart by
// one layer.
bool SecondarySide(Role role) {
    return role == Role::Secondary;
}

int TapeLayersBetween(const Plan& plan, Role before, Role after) {
    const InsulationPlan& insulation = plan.insulation;
    if (SecondarySide(before) == SecondarySide(after) || insulation.tripleInsulated ||
        !insulation.requirements) {
        return 1;
    }
    return insulation.requirements->tapeLayers;
}

// A shield's copper across the window: a foil's section, or the wound
// shield's wires.
double ShieldCopper_mm2(const Plan& plan, const ShieldPlan& s) {
    if (s.kind == Shield::Foil) return Multiply(s.foil_mm, plan.insulation.width_mm);
    if (!s.wire) return 0;
    const double d = s.wire->conductor_mm;
    return Multiply(Multiply(s.turns, s.strands), Multiply(std::numbers::pi / 4, Multiply(d, d)));
}

}  // namespace

void Windings(Plan& plan, const PlanInput& in) {
    plan.windings = InOrder(plan, in);
    MmfCrossings(plan);
    StrandRuleWires(plan, in.parts);
    plan.IcapRms_A = plan.outputs.front().IcapRms_A;
}

// Each winding's current density and DC loss, as wound.
void Densities(Plan& plan) {
    for (Winding& w : plan.windings) {
        if (w.Irms_A) w.J_A_mm2 = Divide(*w.Irms_A, CopperArea_mm2(w));
        WindingCopperLoss(w, *plan.core);
    }
}

void Build(Plan& plan) {
    const double tape_mm = insulation::PlanTape().thickness_mm;
    plan.shields = Shields(plan);
    double build = 0, copper = 0;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        Winding& w = plan.windings[i];
        w.shieldBefore_mm = 0;
        if (i > 0) {
            const int layers = TapeLayersBetween(plan, plan.windings[i - 1].role, w.role);
            w.tapeBefore_mm = Multiply(layers, tape_mm);
            build = Add(build, w.tapeBefore_mm);
        }
        if (const ShieldPlan* s = ShieldBefore(plan, i)) {
            w.shieldBefore_mm = Add(s->height_mm, tape_mm);
            build = Add(build, w.shieldBefore_mm);
            copper = Add(copper, ShieldCopper_mm2(plan, *s));
        }
        w.mlt_mm = TurnLengthAt(*plan.core, Add(build, Divide(w.height_mm, 2)));
        build = Add(build, w.height_mm);
        copper = Add(copper, Multiply(CopperArea_mm2(w), w.turns));
    }
    plan.build_mm = build;
    plan.fill = Divide(copper, plan.core->window_mm2);
    plan.fits = plan.insulation.width_mm > 0 && plan.build_mm <= plan.core->winding_height_mm &&
                plan.fill <= plan.options.fillMax;
}

}  // namespace plan_design

std::optional<double> TurnLengthAt(const catalogue::Core& core, double y_mm) {
    if (!core.MLT_mm) return std::nullopt;
    const double pi = std::numbers::pi;
    return Add(Subtract(*core.MLT_mm, Multiply(pi, core.winding_height_mm)),
               Multiply(Multiply(2, pi), y_mm));
}

}  // namespace flyback::winding
