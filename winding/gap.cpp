#include "winding/gap.hpp"

#include <algorithm>
#include <cmath>

#include "portable_math/portable_math.hpp"
#include "runtime/arithmetic.hpp"
#include "winding/physics.hpp"

namespace flyback::winding {
namespace {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::SquareRoot;
using runtime::Subtract;
namespace k = physics;

constexpr int kMostGapSteps = 50;

}  // namespace

double FringingFactor(double gap_m, double Ae_m2, double windowHeight_m) {
    if (!(gap_m > 0)) return 1;
    return std::max(
        1.0, Add(1, Multiply(Divide(gap_m, SquareRoot(Ae_m2)),
                             portable_math::Log(Divide(Multiply(2, windowHeight_m), gap_m)))));
}

void GrindGap(Plan& plan, const catalogue::Material& material, double Ae_m2) {
    const double Np2 = Multiply(plan.Np, plan.Np);
    plan.AL_nH = Multiply(Divide(plan.Lp_H, Np2), 1e9);
    const double air = Divide(Multiply(Multiply(k::kMu0, Np2), Ae_m2), plan.Lp_H);
    const double ferrite =
        material.mu_i ? Divide(Multiply(plan.core->le_mm, 1e-3), *material.mu_i) : 0;
    double gap_m = Subtract(air, ferrite);
    plan.gapPlain_mm = Multiply(gap_m, 1e3);
    const double height_m =
        Multiply(plan.core->coreWindowHeight_mm.value_or(plan.core->winding_width_mm), 1e-3);
    // gap = air × F(gap) − ferrite, to a nanometre; it settles in a few steps.
    for (int step = 0; step < kMostGapSteps && gap_m > 0; ++step) {
        plan.fringing = FringingFactor(gap_m, Ae_m2, height_m);
        const double next = Subtract(Multiply(air, plan.fringing), ferrite);
        const bool settled = std::abs(Subtract(next, gap_m)) < 1e-9;
        gap_m = next;
        if (settled) break;
    }
    plan.gap_mm = Multiply(gap_m, 1e3);
}

double InductanceOfGap(const catalogue::Core& core, const catalogue::Material& material, int Np,
                       double gap_mm) {
    const double Ae_m2 = Multiply(core.Ae_mm2, 1e-6), gap_m = Multiply(gap_mm, 1e-3);
    const double height_m =
        Multiply(core.coreWindowHeight_mm.value_or(core.winding_width_mm), 1e-3);
    const double ferrite = material.mu_i ? Divide(Multiply(core.le_mm, 1e-3), *material.mu_i) : 0;
    // gap = air × F(gap) − ferrite, air = μ0 Np² Ae ÷ Lp.
    const double air = Divide(Add(gap_m, ferrite), FringingFactor(gap_m, Ae_m2, height_m));
    return Divide(Multiply(Multiply(k::kMu0, Multiply(Np, Np)), Ae_m2), air);
}

}  // namespace flyback::winding
