// Six arbitrary byte strings through a press and the winding plan on it, with
// the options a byte of the input picks. The plan is either made, with every
// number finite and every count positive, or refused with a reason; never a
// crash or a NaN. An absent value (std::nullopt) is allowed.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "catalogue/catalogue.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "record/design_record.hpp"
#include "winding/plan.hpp"

#include "six_texts.hpp"

namespace {

using flyback::winding::Plan;

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckFinite(double value) {
    Check(std::isfinite(value));
}

void CheckFinite(const std::optional<double>& value) {
    if (value) CheckFinite(*value);
}

flyback::winding::Options OptionsFor(std::uint8_t pick) {
    flyback::winding::Options options;
    if (pick & 1) options.Vaux_V = 15;
    if (pick & 2) options.construction = flyback::winding::Construction::Tiw;
    if (pick & 4) options.Bmax_T = 0.1;
    if (pick & 8) options.core = "E13/7/4";
    if (pick & 16) options.material = "PC40";  // a material without data
    return options;
}

// The engineer's choices a second byte picks: outputs, each way of fixing
// Vor and the inductance, fixed turns, clamp and current limit.
void ChooseFor(std::uint8_t pick, flyback::winding::Choices& c) {
    using namespace flyback::winding;
    // An unloaded output among them, as a design may have.
    if (pick & 1) c.outputs = {{12, 1.5, 0.5}, {5, 1, 0.4}, {30, 0.02, 0.7}, {3.3, 0, 0.3}};
    if (pick & 2) c.biasI_A = 0.05;
    switch ((pick >> 2) & 3) {
        case 1:
            c.vorSource = VorSource::Value, c.Vor_V = 90;
            break;
        case 2:
            c.vorSource = VorSource::SwitchRating, c.VdsRating_V = 650;
            break;
        case 3:
            c.vorSource = VorSource::MaxDuty, c.Dmax = 0.45;
            break;
    }
    if (pick & 16) c.conduction = Conduction::Ripple, c.KRP = 0.4;
    if (pick & 32) c.conduction = Conduction::Inductance, c.Lp_H = 300e-6;
    if (pick & 64) c.Np = 60, c.Ns = 6;
    if (pick & 128) c.Vclamp_V = 200, c.Ilimit_A = 2;
}

void CheckPlan(const Plan& p) {
    Check(p.Np >= 1 && p.Ns >= 1);
    for (const double v : {p.Vor_V, p.Dmax, p.Lp_H, p.Ipk_A, p.Bpk_T, p.BpkLimit_T, p.AL_nH,
                           p.gap_mm, p.skinDepth_mm, p.fill, p.build_mm, p.clamp.V, p.clamp.R_ohm,
                           p.clamp.C_F, p.clamp.P_W, p.Vrectifier_V, p.Vswitch_V}) {
        CheckFinite(v);
    }
    for (const auto& v : {p.Bsat100_T, p.Pcopper_W, p.Pcore_W, p.dT_K, p.IcapRms_A}) CheckFinite(v);
    for (const double v : {p.Ivalley_A, p.KRP, p.deltaB_T, p.atVmax.D, p.atVmax.Ipk, p.Pout_W}) {
        CheckFinite(v);
    }
    for (const auto& out : p.outputs) {
        Check(out.turns >= 1);
        for (const double v : {out.Vexpected_V, out.error_pct, out.Irms_A, out.Ipeak_A}) {
            CheckFinite(v);
        }
    }
    for (const auto& w : p.windings) {
        Check(w.turns >= 1 && w.strands >= 1 && w.layers >= 1 &&
              (w.wire != nullptr || w.conductor == flyback::winding::Conductor::Foil));
        for (const auto& v : {w.Irms_A, w.Ipeak_A, w.J_A_mm2, w.R_ohm, w.P_W}) CheckFinite(v);
    }
    flyback::plan_sheet::PlanLines(p);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SixTexts six(data, size);
    const auto record = flyback::record::RecordPress(six.inputs);
    auto options = OptionsFor(size > 0 ? data[0] : 0);
    ChooseFor(size > 1 ? data[1] : 0, options.choices);
    const auto outcome =
        flyback::winding::PlanWinding(record, options, flyback::catalogue::BuiltIn());
    Check(outcome.plan.has_value() != !flyback::plan_sheet::FailureText(outcome).empty());
    if (outcome.plan) CheckPlan(*outcome.plan);
    return 0;
}
