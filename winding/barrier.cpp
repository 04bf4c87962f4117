#include "winding/barrier.hpp"

#include <algorithm>
#include <cmath>

#include "insulation/requirements.hpp"
#include "runtime/arithmetic.hpp"
#include "winding/clamp.hpp"

namespace flyback::winding {
using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Subtract;

namespace plan_design {
namespace {

// A typed mains rating whose peak at its upper tolerance is below the DC
// maximum cannot be what feeds the bus.
bool MainsBelowBus(const Insulation& o, double Vmax) {
    if (!o.mains_Vrms) return false;
    const double peak =
        Multiply(Multiply(*o.mains_Vrms, insulation::kMainsTolerance), std::sqrt(2.0));
    return Multiply(peak, 1 + insulation::kRoundingSlack) < Vmax;
}

}  // namespace

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

}  // namespace plan_design

double HotLimit(const Options& options) {
    const std::optional<double> tape = insulation::PlanTape().class_C;
    return tape ? std::min(options.hotLimit_C, *tape) : options.hotLimit_C;
}

}  // namespace flyback::winding
