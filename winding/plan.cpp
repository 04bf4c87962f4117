#include "winding/plan.hpp"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

#include "runtime/arithmetic.hpp"
#include "winding/ac_resistance.hpp"
#include "winding/barrier.hpp"
#include "winding/build.hpp"
#include "winding/build_choice.hpp"
#include "winding/capacitances.hpp"
#include "winding/clamp.hpp"
#include "winding/energy_flow.hpp"
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

}  // namespace

Plan plan_design::PlanOn(const catalogue::Core& core, const PlanInput& in, Depth depth) {
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

std::string_view PlanFailureName(PlanFailure failure) {
    return kPlanFailureNames[static_cast<int>(failure)];
}

namespace {

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
        plan.stock = StockOffers(plan);
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
                                  std::string(warning.BoxCaption()) + "：" + warning.message,
                              std::nullopt});
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
