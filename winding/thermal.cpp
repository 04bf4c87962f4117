#include "winding/thermal.hpp"

#include <algorithm>
#include <cmath>

#include "runtime/arithmetic.hpp"
#include "winding/ac_resistance.hpp"
#include "winding/core_loss.hpp"
#include "winding/wire_choice.hpp"

namespace flyback::winding {
namespace {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using runtime::Subtract;
namespace k = physics;

// The temperature iteration: settled within this, given up after so many steps.
constexpr double kSettled_K = 0.01;
constexpr int kMostThermalSteps = 50;
constexpr double kRunaway_C = 400;

// The copper and core losses with the copper and the core at `celsius`.
void LossesAt(Plan& plan, double f_Hz, double celsius) {
    double copper = 0;
    bool copperKnown = true;
    for (Winding& w : plan.windings) {
        WindingCopperLoss(w, *plan.core, celsius);
        WindingAcLoss(w, plan, celsius);
        if (w.role == Role::Bias && !w.Irms_A) continue;  // a bias winding without a load
        if (w.P_W) {
            copper = Add(copper, w.Pac_W.value_or(*w.P_W));
        } else {
            copperKnown = false;
        }
    }
    plan.Pcopper_W = copperKnown ? std::optional(copper) : std::nullopt;
    const double volume_m3 = Multiply(plan.core->Ve_mm3, 1e-9);
    const auto sine =
        catalogue::LossDensity(*plan.material, f_Hz, Divide(plan.deltaB_T, 2), celsius);
    plan.PcoreSine_W = sine ? std::optional(Multiply(*sine, volume_m3)) : std::nullopt;
    const auto ramps = TriangleLossDensity(*plan.material, f_Hz, plan.deltaB_T, plan.atVmin.D,
                                           plan.atVmin.D2, celsius);
    plan.Pcore_W = ramps ? std::optional(Multiply(*ramps, volume_m3)) : std::nullopt;
}

}  // namespace

double CopperResistivity(double celsius) {
    return Multiply(k::kCopperResistivity20C,
                    Add(1, Multiply(k::kCopperTemperatureCoefficient, Subtract(celsius, 20))));
}

double RiseOf(double loss_W, double surface_cm2) {
    return Multiply(k::kRiseFactor, Power(Divide(loss_W, surface_cm2), k::kRiseExponent));
}

void WindingCopperLoss(Winding& w, const catalogue::Core& core, double celsius) {
    const std::optional<double> mlt = w.mlt_mm ? w.mlt_mm : core.MLT_mm;
    if (!mlt || !w.Irms_A) return;
    const double copper_m2 = Multiply(CopperArea_mm2(w), 1e-6);
    const double length_m = Multiply(Multiply(*mlt, 1e-3), w.turns);
    w.R_ohm = Divide(Multiply(CopperResistivity(celsius), length_m), copper_m2);
    w.P_W = Multiply(Power(*w.Irms_A, 2), *w.R_ohm);
}

void WindingAcLoss(Winding& w, const Plan& plan, double celsius) {
    if (!w.P_W || !w.Ipeak_A) return;
    const AcLoss ac = AcToDc(CurrentOf(w, plan), PenetrationOf(w, plan, celsius), DowellLayers(w));
    w.Fr = ac.FrFundamental;
    w.Rac_ohm = Multiply(*w.R_ohm, ac.FrFundamental);
    w.Pac_W = Multiply(*w.P_W, ac.ratio);
}

// The surface the losses leave by, from the core's area product.
void CoolingSurface(Plan& plan) {
    const catalogue::Core& core = *plan.core;
    const bool potShaped = core.family == "RM" || core.family == "EP";
    const double Ks = potShaped ? k::kSurfaceCoefficientPot : k::kSurfaceCoefficientE;
    // A bobbin's window is a little smaller than the core's: where the data
    // lacks the latter, the surface comes out smaller and the rise higher.
    plan.thermalWindowIsCores = core.coreWindow_mm2.has_value();
    plan.thermalWindow_mm2 = core.coreWindow_mm2.value_or(core.window_mm2);
    const double window_cm2 = Multiply(plan.thermalWindow_mm2, 1e-2);
    plan.areaProduct_cm4 = Multiply(Multiply(core.Ae_mm2, 1e-2), window_cm2);
    plan.surface_cm2 = Multiply(Ks, SquareRoot(*plan.areaProduct_cm4));
}

// The losses at the temperature they bring the transformer to: from the
// design temperature, the copper's resistance and the core's loss are taken
// at ambient plus the rise until it moves less than a hundredth of a kelvin.
void SettleLosses(Plan& plan, double f_Hz) {
    double celsius = k::kWorkingTemperature_C;
    for (plan.thermalSteps = 1; plan.thermalSteps <= kMostThermalSteps; ++plan.thermalSteps) {
        LossesAt(plan, f_Hz, celsius);
        if (!plan.Pcopper_W || !plan.Pcore_W) return;
        const double loss = Add(*plan.Pcopper_W, *plan.Pcore_W);
        plan.dT_K = RiseOf(loss, *plan.surface_cm2);
        const double reached = Add(plan.options.ambient_C, *plan.dT_K);
        if (!(reached < kRunaway_C)) break;  // far past any insulation class: a runaway
        const bool settled = std::abs(Subtract(reached, celsius)) < kSettled_K;
        celsius = reached;
        if (settled) {
            plan.hot_C = celsius;
            return;
        }
    }
    plan.thermalSteps =
        std::min(plan.thermalSteps, kMostThermalSteps);  // did not settle: a warning says so
}

}  // namespace flyback::winding
