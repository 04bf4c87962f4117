#include "winding/plan.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>
#include <utility>

#include "portable_math/portable_math.hpp"
#include "record/readable.hpp"
#include "runtime/arithmetic.hpp"
#include "winding/ac_resistance.hpp"
#include "winding/capacitances.hpp"
#include "winding/core_loss.hpp"
#include "winding/gap.hpp"
#include "winding/leakage.hpp"
#include "winding/physics.hpp"
#include "winding/plan_design.hpp"
#include "winding/plan_warnings.hpp"
#include "winding/thermal.hpp"
#include "winding/wire_choice.hpp"

namespace flyback::winding {
namespace {

// The plan's own parts (plan_design.hpp) read as this file's own.
using namespace plan_design;  // NOLINT(google-build-using-namespace)

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using runtime::Subtract;
namespace k = physics;

// The stored power's iteration: settled within this share, given up after
// so many plans (whole turns may flip between two counts).
constexpr double kFlowSettled = 1e-6;
constexpr int kMostFlowRounds = 8;

struct PlanInput {
    const Chain& chain;
    const Design& design;
    const Options& options;
    const catalogue::Catalogue& parts;
    const catalogue::Material& material;
};

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

// Each output's winding: its whole turns from the regulated output's (at
// least one), the voltage they give, and the current that carries the
// output's charge: its mean rectifier current is the output current,
// whatever the efficiency, flowing in the reset time with the primary's shape.
// The primary carries the input power, P ÷ eta; the difference is the loss,
// spent in the clamp, the copper, the core and the switch.
void Outputs(Plan& plan, const PlanInput& in) {
    const Design& d = in.design;
    const double regulated = d.RegulatedVolts();
    for (std::size_t i = 0; i < d.outputs.size(); ++i) {
        OutputResult out;
        out.set = d.outputs[i];
        out.regulated = i == 0;
        out.turns = out.regulated ? plan.Ns : OutputTurns(plan.Ns, out.set, regulated);
        out.Vexpected_V = Subtract(Divide(Multiply(regulated, out.turns), plan.Ns), out.set.VF_V);
        out.error_pct = Multiply(Divide(Subtract(out.Vexpected_V, out.set.V), out.set.V), 100);
        const Trapezoid current = SecondaryCurrent(out.set.I_A, plan.atVmin);
        out.Irms_A = current.rms;
        out.Ipeak_A = current.peak;
        const double ripple = Subtract(Power(current.rms, 2), Power(out.set.I_A, 2));
        if (ripple >= 0) out.IcapRms_A = SquareRoot(ripple);
        out.Vrectifier_V = Add(out.set.V, Divide(Multiply(in.chain.Vmax, out.turns), plan.Np));
        plan.outputs.push_back(out);
    }
}

// How much each winding moves the ampere-turns across the window, per
// ampere of primary current, with the secondaries carrying the current the
// primary hands over: the primary's turns rising, each secondary's share of
// the outputs' power (a half its share of the turns) falling, an unloaded
// bias winding's none.
std::vector<double> AmpereTurnSteps(const Plan& plan) {
    double outputs = 0;
    for (const OutputResult& out : plan.outputs)
        outputs = Add(outputs, Multiply(out.set.V, out.set.I_A));
    std::vector<double> steps;
    for (const Winding& w : plan.windings) {
        double step = 0;
        if (w.role == Role::Primary) step = w.turns;
        for (std::size_t o = 0; w.role == Role::Secondary && outputs > 0 && o < plan.outputs.size();
             ++o) {
            if (!CarriesOutput(plan, w, static_cast<int>(o))) continue;
            const OutputResult& out = plan.outputs[o];
            double share = -Multiply(plan.Np, Divide(Multiply(out.set.V, out.set.I_A), outputs));
            if (w.half > 0 || w.turns != out.turns)
                share = Multiply(share, Divide(w.turns, out.turns));
            step = Add(step, share);
        }
        steps.push_back(step);
    }
    return steps;
}

// Where a winding's ampere-turns pass through zero (an interleaved build's
// middle winding), the fraction of its build from the inner side; the two
// sides then lose as two windings each starting from zero. Ends that merely
// round to either side of zero are not a crossing.
void MmfCrossings(Plan& plan) {
    const std::vector<double> steps = AmpereTurnSteps(plan);
    double mmf = 0;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const double next = Add(mmf, steps[i]);
        const double least = Multiply(1e-9, std::abs(steps[i]));
        const bool crosses = (mmf > least && next < -least) || (mmf < -least && next > least);
        plan.windings[i].mmfCrossing = crosses ? Divide(std::abs(mmf), std::abs(steps[i])) : 0;
        mmf = next;
    }
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

// A typed mains rating whose peak at its upper tolerance is below the DC
// maximum cannot be what feeds the bus.
bool MainsBelowBus(const Insulation& o, double Vmax) {
    if (!o.mains_Vrms) return false;
    const double peak =
        Multiply(Multiply(*o.mains_Vrms, insulation::kMainsTolerance), std::sqrt(2.0));
    return Multiply(peak, 1 + insulation::kRoundingSlack) < Vmax;
}

// What the barrier faces: the mains (typed, or Vmax ÷ √2; never a rating
// below the bus's), the peak between the windings (the drain's Vmax + Vor'
// over the highest output), the mains' rms across it; and the margins and
// width that follow.
insulation::Conditions Barrier(const Chain& c, const Insulation& o) {
    insulation::Conditions conditions = ConditionsOf(o);
    conditions.grade =
        o.grade.value_or(c.Vmax > kExtraLowVoltage_V ? insulation::Grade::Reinforced
                                                     : insulation::Grade::Functional);
    // The highest AC the rectified input comes from, and the rating it is
    // the upper tolerance of; a DC input below every rating is taken as is.
    const double highest = Divide(c.Vmax, std::sqrt(2.0));
    const double ofTheBus = insulation::RatedMains_Vrms(highest).value_or(highest);
    conditions.mains_Vrms = o.mains_Vrms.value_or(ofTheBus);
    if (MainsBelowBus(o, c.Vmax)) conditions.mains_Vrms = ofTheBus;
    return conditions;
}

// The voltage the clamp holds the drain's ringing at: the one chosen, the
// rating route's multiple of Vor, or Vor plus the press's spike allowance.
double ClampSetting(const Plan& plan, const PlanInput& in) {
    const Choices& choices = in.design.choices;
    if (choices.Vclamp_V) return *choices.Vclamp_V;
    if (choices.vorSource == VorSource::SwitchRating)
        return Multiply(choices.clampRatio, plan.Vor_V);
    return Add(plan.Vor_V, in.chain.Vspike);
}

void Insulate(Plan& plan, const PlanInput& in) {
    const Chain& c = in.chain;
    insulation::Conditions& conditions = plan.insulation.conditions;
    conditions = Barrier(c, in.options.insulation);
    if (MainsBelowBus(in.options.insulation, c.Vmax))
        plan.insulation.mainsBelowBus_Vrms = in.options.insulation.mains_Vrms;
    double highest = 0;
    for (const OutputLoad& out : in.design.outputs) highest = std::max(highest, out.V);
    // Between the windings: the bulk's DC, the drain's ringing up to the
    // clamp, and the highest output on the other side.
    conditions.workingPeak_V = Add(Add(c.Vmax, ClampSetting(plan, in)), highest);
    conditions.workingRms_V = conditions.mains_Vrms;
    conditions.frequency_Hz = c.f;
    plan.insulation.requirements = insulation::Require(conditions);
    // Beyond the tables there is nothing to build to: refused, never wound
    // as if functional insulation had been asked for.
    if (conditions.grade != insulation::Grade::Functional && !plan.insulation.requirements)
        throw PlanLimit{PlanFailure::BeyondTables, BeyondTables(conditions)};
    plan.insulation.tripleInsulated = in.options.construction == Construction::Tiw;
    if (plan.insulation.requirements && !plan.insulation.tripleInsulated)
        plan.insulation.margin_mm = plan.insulation.requirements->margin_mm;
    plan.insulation.width_mm =
        Subtract(plan.core->winding_width_mm, Multiply(2, plan.insulation.margin_mm));
}

// The leakage inductance of the build, referred to the primary: the
// one-dimensional field across the window with the secondaries shorted, the
// windings as current sheets (the primary's ampere-turns rising through it,
// each secondary's share, by its output power, falling through it; an
// unloaded bias winding carries none), tape as field alone:
// Llk = μ0 × MLT ÷ bw × ∫ N(x)² dx, for primary then secondary the familiar
// μ0 Np² MLT ÷ bw × (h_p ÷ 3 + h_gap + h_s ÷ 3).
std::optional<double> BuildLeakage(const Plan& plan) {
    return LeakageOfSteps(plan, AmpereTurnSteps(plan));
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

// The flux at the peak, its swing in a period, and at the controller's
// current limit (by default 1.3 × the peak), against the material's saturation.
void Flux(Plan& plan, const PlanInput& in, double Ae_m2, double Amin_m2) {
    const double NpAe = Multiply(plan.Np, Ae_m2);
    plan.deltaB_T = Divide(Multiply(plan.Lp_H, Subtract(plan.Ipk_A, plan.Ivalley_A)), NpAe);
    plan.Ilimit_A = CurrentLimit(in.design.choices, plan.Ipk_A);
    plan.BpkLimit_T = FluxAtLimit(plan.Lp_H, plan.Ilimit_A, Multiply(plan.Np, Amin_m2), in.options);
    if (in.material.Bsat_100C_mT) plan.Bsat100_T = Divide(*in.material.Bsat_100C_mT, 1000);
}

// The regulated secondary as a whole, both halves of a split one in series;
// none where a half's resistance is unknown. A stacked section below its tap
// also carries the outputs above: its share of the drop counts it, as a
// resistance in the regulated output's own current.
std::optional<double> RegulatedSecondaryResistance(const Plan& plan) {
    std::optional<double> R = 0.0;
    const double own = plan.outputs.front().set.I_A;
    for (const Winding& w : plan.windings) {
        if (!CarriesOutput(plan, w, 0)) continue;
        if (!w.R_ohm) return std::nullopt;
        const double carried = CarriedCurrent(plan, w);
        R = Add(*R,
                own > 0 && carried != own ? Multiply(*w.R_ohm, Divide(carried, own)) : *w.R_ohm);
    }
    return R;
}

// The transformer at every corner, and how near the worst comes to
// saturation in the core's narrowest section.
void CheckCorners(Plan& plan, const PlanInput& in, double Amin_m2) {
    const AtLimit high = HighAtLimit(plan.Lp_H, plan.Ilimit_A, in.options);
    const AtLimit low = LowAtLimit(plan.Lp_H, plan.Ilimit_A, in.options);
    CornerInput corners;
    corners.atVmin = plan.atVmin;
    corners.atVmax = plan.atVmax;
    corners.load = plan.load;
    corners.Np = plan.Np;
    corners.Ae_m2 = Amin_m2;
    corners.LpHigh_H = high.Lp_H;
    corners.IlimitHigh_A = high.Ilimit_A;
    corners.LpLow_H = low.Lp_H;
    corners.IlimitLow_A = low.Ilimit_A;
    corners.tOnMin_s = in.design.choices.tOnMin_s;
    corners.secondaryR_ohm = RegulatedSecondaryResistance(plan);
    corners.Vclamp_V = plan.clamp.V;
    corners.clampR_ohm = plan.clamp.R_ohm;
    corners.leakage_H = plan.clamp.leakage_H;
    corners.designIpk_A = plan.Ipk_A;
    corners.resonance = plan.switching;
    plan.BsatHot_T = plan.hot_C ? SaturationAt_T(in.material, *plan.hot_C) : plan.Bsat100_T;
    corners.Bsat_T = plan.BsatHot_T;
    for (const OutputResult& out : plan.outputs)
        corners.outputs.push_back({out.set.V, out.set.VF_V, out.turns});
    plan.corners = Corners(corners);
    if (!plan.BsatHot_T) return;
    double worst = 0;
    for (const Corner& corner : plan.corners) worst = std::max(worst, corner.Bpk_T);
    plan.saturationMargin = Divide(*plan.BsatHot_T, worst);
}

// How far a plan goes: in full, or a sketch without its losses and the
// temperature they settle at, which take most of a plan's time.
enum class Depth { Full, Sketch };

Plan PlanOn(const catalogue::Core& core, const PlanInput& in, Depth depth = Depth::Full) {
    const Chain& c = in.chain;
    const Options& o = in.options;
    Plan plan;
    plan.options = o;
    plan.core = &core;
    plan.material = &in.material;
    const double Ae_m2 = Multiply(core.Ae_mm2, 1e-6);
    // Saturation and Bmax are judged where the flux crowds most, the
    // narrowest section; the inductance and the core's loss keep Ae and Ve.
    const double Amin_m2 = NarrowestSection_m2(core);
    // The turns keep the margin at 100 °C; the check is made again at the
    // hot spot once the losses have set it.
    std::optional<double> Bsat;
    if (in.material.Bsat_100C_mT) {
        Bsat =
            Divide(Divide(*in.material.Bsat_100C_mT, 1000), in.design.choices.minSaturationMargin);
    }
    Turns t = ChooseTurns(c, in.design, Amin_m2, FluxLimits{o.Bmax_T, std::nullopt, o});
    if (const FluxLimits both{o.Bmax_T, Bsat, o};
        !in.design.choices.FixedTurns() && !both.Kept(t, Amin_m2)) {
        t = ChooseTurns(c, in.design, Amin_m2, both);
        plan.turnsForSaturation = true;
    }
    plan.Np = t.Np;
    plan.Ns = t.Ns;
    plan.atVmin = t.point;
    plan.Vor_V = t.point.Vor;
    plan.Dmax = t.point.D;
    plan.Lp_H = t.point.Lp;
    plan.Ipk_A = t.point.Ipk;
    plan.Ivalley_A = t.point.Iv;
    plan.KRP = t.point.KRP();
    plan.mode = t.point.mode;
    plan.BpkMinSection_T = t.Bpk;
    plan.Bpk_T = Divide(Multiply(plan.Lp_H, plan.Ipk_A), Multiply(plan.Np, Ae_m2));
    plan.Pout_W = in.design.outputsP_W;
    plan.Pbias_W = in.design.biasP_W;
    plan.VorDesigned_V = in.design.Vor;
    plan.load = t.load;
    plan.rectified_W = in.design.rectified_W;
    plan.stored_W = in.design.stored_W;
    plan.switching = in.design.choices.SwitchingAt(c.f);
    plan.atVmax = Running(c.Vmax, plan.Vor_V, plan.Lp_H, plan.load, plan.switching);
    if (plan.atVmin.mode == Mode::Continuous && plan.atVmax.mode == Mode::Discontinuous)
        plan.Vedge_V = EdgeInput(plan.Vor_V, plan.Lp_H, plan.load);
    Flux(plan, in, Ae_m2, Amin_m2);
    plan.Naux = BiasTurns(plan.Ns, in.design);
    GrindGap(plan, in.material, Ae_m2);
    plan.skinDepth_mm = SkinDepth_mm(c.f, k::kWorkingTemperature_C);
    plan.f_Hz = c.f;
    plan.eta = c.eta;
    Outputs(plan, in);
    Insulate(plan, in);
    Windings(plan, in);
    Build(plan);
    // A sketch keeps the strand rule's wire: a search bounds what the choice
    // could reach by CopperLossFloor, over every conductor it tries.
    if (depth == Depth::Full) {
        ChooseConductors(plan, in.parts);
        Build(plan);
    }
    Densities(plan);
    plan.buildLeakage_H = BuildLeakage(plan);
    CoolingSurface(plan);
    if (depth == Depth::Full) SettleLosses(plan, c.f);
    ClampAndStresses(plan, in);
    // A valley-switched drain without a typed Cds needs the build's share each
    // round of the flow; any other plan has it worked out once, at the end.
    if (depth == Depth::Full && in.design.choices.conduction == Conduction::QuasiResonant &&
        !in.design.choices.Cds_F)
        Capacitance(plan);
    CheckCorners(plan, in, Amin_m2);
    return plan;
}

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
    if (!plan.hot_C || *plan.dT_K > kHighestRise_K) return SizedBy::Rise;
    if (*plan.hot_C > HotLimit(plan.options)) return SizedBy::HotSpot;
    const std::optional<LossBudget> losses = LossesAgainstBudget(plan);
    if (losses && losses->named_W > losses->budget_W) return SizedBy::Losses;
    return std::nullopt;
}

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

}  // namespace

double NarrowestSection_m2(const catalogue::Core& core) {
    return Multiply(core.Amin_mm2 > 0 ? core.Amin_mm2 : core.Ae_mm2, 1e-6);
}

std::optional<double> SaturationAt_T(const catalogue::Material& m, double celsius) {
    std::array<catalogue::SaturationPoint, 2> figures{};
    const std::span<const catalogue::SaturationPoint> curve =
        catalogue::SaturationCurve(m, figures);
    if (curve.empty()) return std::nullopt;
    const auto tesla = [](const catalogue::SaturationPoint& p) { return Divide(p.mT, 1000); };
    if (curve.size() == 1) return tesla(curve.front());
    // The points either side, or beyond the hottest the hottest two's line.
    std::size_t upper = 1;
    while (upper + 1 < curve.size() && curve[upper].celsius < celsius) ++upper;
    const catalogue::SaturationPoint &low = curve[upper - 1], &high = curve[upper];
    const double share =
        Divide(Subtract(celsius, low.celsius), Subtract(high.celsius, low.celsius));
    const double at = Add(tesla(low), Multiply(share, Subtract(tesla(high), tesla(low))));
    return std::clamp(at, 0.0, tesla(curve.front()));
}

std::optional<double> AssumedRating_V(double Vmax) {
    if (Vmax <= 400) return 650;
    if (Vmax <= 560) return 800;
    return std::nullopt;
}

std::vector<Plan::StockOffer> StockOffers(const Plan& plan, const catalogue::Catalogue& parts) {
    std::vector<Plan::StockOffer> offers;
    for (const catalogue::StockPart* part : catalogue::StockOf(parts, *plan.core, *plan.material)) {
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

double ClampShareFromTheCore(const Plan& plan) {
    const double loss = TypicalClampLoss(plan);
    const double settled = SquareRoot(Multiply(loss, plan.clamp.R_ohm));
    return Divide(Multiply(loss, plan.Vor_V), settled);
}

std::string_view PlanFailureName(PlanFailure failure) {
    return kPlanFailureNames[static_cast<int>(failure)];
}

double HotLimit(const Options& options) {
    const std::optional<double> tape = insulation::PlanTape().class_C;
    return tape ? std::min(options.hotLimit_C, *tape) : options.hotLimit_C;
}

double Plan::PrimarySide_W() const {
    return Subtract(InputPower(), stored_W);
}

std::optional<double> Plan::LossSplit() const {
    const double loss = Subtract(InputPower(), load.P_W);
    if (!(loss > 0)) return std::nullopt;
    return Divide(Subtract(stored_W, load.P_W), loss);
}

double TypicalClampLoss(const Plan& plan) {
    const Clamp& c = plan.clamp;
    if (!c.estimate_H) return c.P_W;
    const double settled = ClampVoltage(plan.Vor_V, c.R_ohm, *c.estimate_H, plan.Ipk_A, plan.f_Hz);
    return Divide(Multiply(settled, settled), c.R_ohm);
}

std::optional<double> TurnLengthAt(const catalogue::Core& core, double y_mm) {
    if (!core.MLT_mm) return std::nullopt;
    const double pi = std::numbers::pi;
    return Add(Subtract(*core.MLT_mm, Multiply(pi, core.winding_height_mm)),
               Multiply(Multiply(2, pi), y_mm));
}

namespace {

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

PlanOutcome Failed(PlanFailure failure, bool candidateFree, FailureDetail detail = {}) {
    return {std::nullopt, candidateFree, failure, std::move(detail)};
}

// What is wrong with the options, choices, insulation or their combination,
// the first found.
std::optional<FailureDetail> OptionsProblem(const Options& options,
                                            const catalogue::Catalogue& parts) {
    FailureDetail detail;
    detail.option = CheckOptions(options, parts);
    if (detail.option) return detail;
    detail.choice = CheckChoices(options.choices);
    if (detail.choice) return detail;
    if (CheckInsulation(options.insulation) != insulation::ConditionProblem::None) {
        detail.insulation = options.insulation;
        return detail;
    }
    detail.combination = CheckCombination(options);
    if (detail.combination != Combination::None) return detail;
    return std::nullopt;
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

PlanOutcome PlanTo(Depth depth, const record::DesignRecord& record, const Options& options,
                   const catalogue::Catalogue& parts, Beside beside = Beside::Nothing) {
    if (record.outcome.error) return Failed(PlanFailure::PressIncomplete, true);
    for (const record::Warning& warning : record.warnings) {
        if (warning.strength == record::Warning::Strength::Invalid) {
            FailureDetail detail;
            detail.inputLine = warning.Line();
            return Failed(PlanFailure::InputInvalid, true, detail);
        }
    }
    if (std::optional<FailureDetail> problem = OptionsProblem(options, parts))
        return Failed(PlanFailure::OptionInvalid, true, std::move(*problem));
    const catalogue::Material& material = *parts.FindMaterial(options.material);
    try {
        const Chain chain = ChainOf(record);
        if (!Meaningful(chain)) return Failed(PlanFailure::NotMeaningful, true);
        const insulation::Conditions barrier = Barrier(chain, options.insulation);
        if (insulation::CheckConditions(barrier) == insulation::ConditionProblem::MainsBeyondTables)
            return Failed(PlanFailure::BeyondTables, true, BeyondTables(barrier));
        try {
            DesignOf(chain, options, 0);
        } catch (const PlanLimit& limit) {
            return Failed(limit.failure, true, limit.detail);
        }
        bool noneFits = false;
        Plan plan = depth == Depth::Sketch
                        ? SketchedFlow(chain, options, parts, material)
                        : ConstructedFlow(chain, options, parts, material, noneFits);
        if (depth == Depth::Sketch) return {std::move(plan)};
        plan.stock = StockOffers(plan, parts);
        if (beside == Beside::StackedTwin)
            plan.stacked = StackedAlike(plan, chain, parts, material);
        Capacitance(plan);
        plan.leakageMatrix = LeakageMatrixOf(plan);
        AddWarnings(plan, {chain.AeRequired_m2, chain.P, noneFits});
        // A doubtful input (a frequency typed in Hz, say) comes first: the
        // plan is of the numbers as typed, which may not be what was meant.
        std::vector<PlanWarning> doubts;
        for (const record::Warning& warning : record.warnings) {
            if (warning.box != record::Warning::Box::Input) continue;
            if (warning.strength != record::Warning::Strength::Caution) continue;
            doubts.push_back({kInputDoubtful, record::Warning::Strength::Caution,
                              "输入可疑，以下方案按所输入的值计算：" +
                                  std::string(warning.BoxCaption()) + "：" + warning.message});
        }
        plan.warnings.insert(plan.warnings.begin(), doubts.begin(), doubts.end());
        return {std::move(plan)};
    } catch (const PlanLimit& limit) {
        return Failed(limit.failure, false, limit.detail);
    } catch (const runtime::RuntimeError& fault) {
        FailureDetail detail;
        detail.fault = fault.what();
        return Failed(PlanFailure::ArithmeticFault, false, detail);
    }
}

}  // namespace

PlanOutcome PlanWinding(const record::DesignRecord& record, const Options& options,
                        const catalogue::Catalogue& parts, Beside beside) {
    return PlanTo(Depth::Full, record, options, parts, beside);
}

PlanOutcome SketchWinding(const record::DesignRecord& record, const Options& options,
                          const catalogue::Catalogue& parts) {
    if (options.core.empty()) return Failed(PlanFailure::SketchWithoutCore, false);
    return PlanTo(Depth::Sketch, record, options, parts);
}

std::optional<double> CopperLossFloor(const Plan& sketch, const catalogue::Catalogue& parts,
                                      double coolest_C, double hottest_C, int harmonics) {
    // Each winding's turns no shorter than on the least build inside it: the
    // tape, and the least height each winding before it could take.
    double floor = 0, inside = 0;
    for (const Winding& w : sketch.windings) {
        inside += w.tapeBefore_mm;
        if (w.role == Role::Bias && !w.Irms_A) continue;  // as the losses leave it out
        const std::optional<ConductorFloor> least =
            LeastConductorLoss(w, sketch, parts, coolest_C, hottest_C, harmonics, inside);
        if (!least) return std::nullopt;
        floor += least->loss_W;
        inside += least->height_mm;
    }
    return floor;
}

}  // namespace flyback::winding
