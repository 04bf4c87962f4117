#include "winding/plan_design.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "runtime/arithmetic.hpp"
#include "winding/physics.hpp"

namespace flyback::winding::plan_design {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Subtract;
namespace k = physics;

FailureDetail BeyondTables(const insulation::Conditions& conditions) {
    FailureDetail detail;
    detail.conditions = conditions;
    return detail;
}

Chain ChainOf(const record::DesignRecord& record) {
    const design::DesignInputs& in = record.trace.inputs;
    const design::DesignResults& r = record.trace.results;
    return {in.OutputPower,
            in.MaxInputVoltage,
            in.MinInputVoltage,
            in.Frequency,
            in.Efficiency,
            in.OutputVoltage,
            r.PrimaryInductance,
            r.PeakCurrent,
            r.ReflectedVoltage,
            r.SpikeAllowance,
            Multiply(r.RequiredCoreArea, 1e-4)};
}

// What a transformer can be wound for: every quantity the plan starts from
// above zero, the efficiency at most one and the input range in order.
bool Meaningful(const Chain& c) {
    for (const double v :
         {c.P, c.Vmax, c.Vmin, c.f, c.eta, c.Vo, c.Lp, c.Ipk, c.Vor, c.Vspike, c.AeRequired_m2}) {
        if (!(v > 0)) return false;
    }
    return c.eta <= 1 && c.Vmin <= c.Vmax;
}

int WholeCount(double count, double limit, Counted what) {
    if (!(count <= limit)) {
        FailureDetail detail;
        detail.counted = what;
        detail.value = limit;
        throw PlanLimit{PlanFailure::TooMany, detail};
    }
    return static_cast<int>(count);
}

double SquareMillimetres(double diameter_mm) {
    return Multiply(std::numbers::pi / 4, Multiply(diameter_mm, diameter_mm));
}

std::vector<OutputLoad> OutputsOf(const Chain& c, const Choices& choices) {
    if (!choices.outputs.empty()) return choices.outputs;
    return {{c.Vo, Divide(c.P, c.Vo), k::kRectifierDrop}};
}

double OutputPower(const Chain& c, const Choices& choices) {
    if (choices.outputs.empty()) return c.P;
    double P = 0;
    for (const OutputLoad& o : choices.outputs) P = Add(P, Multiply(o.V, o.I_A));
    return P;
}

double ReflectedVoltage(const Chain& c, const Choices& choices, const Load& load) {
    switch (choices.vorSource) {
        case VorSource::Press:
            break;
        case VorSource::Value:
            return choices.Vor_V;
        case VorSource::SwitchRating:
            // The switch sees Vmax plus the clamp's voltage, which an RCD
            // clamp holds at a stated multiple of Vor.
            return Divide(Subtract(Multiply(choices.derating, choices.VdsRating_V), c.Vmax),
                          choices.clampRatio);
        case VorSource::MaxDuty:
            // The duty is the magnetising inductance's: the on-time volts
            // the primary side leaves it over the reset volts.
            return Divide(Multiply(choices.Dmax, Multiply(c.Vmin, load.onShare)),
                          Multiply(Subtract(1, choices.Dmax), load.resetRise));
    }
    return c.Vor;
}

// The operating point at `Vin` for the reflected voltage `Vor`: the typed
// inductance's, the one designed for the ripple ratio (1: the edge), or the
// one that runs at the design's frequency in its valley.
OperatingPoint PointAt(const Design& d, double Vin, double Vor, const Load& load) {
    const Choices& choices = d.choices;
    if (std::optional<Resonance> resonance = choices.Switching()) {
        // The design point runs at the input's frequency in its own valley,
        // whatever the clamp: a warning says where that is above fmax.
        resonance->fmax_Hz.reset();
        const double Lp =
            DesignedInductance(Vin, Vor, load, resonance->Cds_F, resonance->firstValley);
        return AtInput(Vin, Vor, Lp, load, *resonance).point;
    }
    if (choices.conduction == Conduction::Inductance)
        return WithInductance(Vin, Vor, choices.Lp_H, load);
    const double KRP = choices.conduction == Conduction::Ripple ? choices.KRP : 1;
    return Designed(Vin, Vor, KRP, load);
}

// The bias winding's load is stored in the core like any output's: a
// controller drawing 0.1 A at 15 V is 1.5 W the transformer carries.
double BiasPower(const Options& options) {
    const double current = options.choices.biasI_A;
    if (!options.Vaux_V || !(current > 0)) return 0;
    return Multiply(*options.Vaux_V, current);
}

// What the outputs and the bias winding take at their rectifiers: each
// (V + VF) × I.
double RectifiedPower(const std::vector<OutputLoad>& outputs, const Options& options) {
    double P = 0;
    for (const OutputLoad& o : outputs) P = Add(P, Multiply(Add(o.V, o.VF_V), o.I_A));
    if (BiasPower(options) > 0) {
        P = Add(P,
                Multiply(Add(*options.Vaux_V, options.choices.biasVF_V), options.choices.biasI_A));
    }
    return P;
}

// What the core stores when the secondary side loses `secondaryLoss_W`
// besides its rectifiers, or, where the options give it, the share Z of the
// whole loss that is the secondary side's: P_out + Z × (P_in − P_out), never
// below what the rectifiers take nor above what comes in.
double StoredPower(const Load& load, double rectified_W, double secondaryLoss_W,
                   const Options& options) {
    const double Pin = load.InputPower();
    double stored = Add(rectified_W, secondaryLoss_W);
    if (options.lossSplit) {
        stored = std::max(rectified_W,
                          Add(load.P_W, Multiply(*options.lossSplit, Subtract(Pin, load.P_W))));
    }
    return std::min(stored, Pin);
}

// The loss's division about the core for a reflected voltage `Vor` whose
// secondaries take `referred_A` of current referred to the primary (Σ N × I ÷ Np).
Load Flowing(const Design& d, double Vor, double referred_A) {
    Load load = d.load;
    const double Pin = load.InputPower();
    load.onShare = d.stored_W == Pin ? 1 : Divide(d.stored_W, Pin);
    const double reflected = Multiply(Vor, referred_A);
    load.resetRise = d.stored_W == reflected ? 1 : Divide(d.stored_W, reflected);
    return load;
}

Design DesignOf(const Chain& c, const Options& options, double secondaryLoss_W) {
    const Choices& choices = options.choices;
    const double outputs = OutputPower(c, choices), bias = BiasPower(options);
    Design d{OutputsOf(c, choices),
             {bias > 0 ? Add(outputs, bias) : outputs, c.eta, c.f},
             0,
             {},
             choices,
             options};
    d.outputsP_W = outputs;
    d.biasP_W = bias;
    d.rectified_W = RectifiedPower(d.outputs, options);
    d.stored_W = StoredPower(d.load, d.rectified_W, secondaryLoss_W, options);
    // Before whole turns every output's ratio is its own: the secondaries'
    // referred current is the rectified power over Vor, whatever Vor is.
    d.load = Flowing(d, 1, d.rectified_W);
    d.Vor = ReflectedVoltage(c, choices, d.load);
    if (!(d.Vor > 0)) {
        FailureDetail detail;
        detail.value = d.Vor;
        throw PlanLimit{PlanFailure::NoReflectedVoltage, detail};
    }
    if (!(d.load.P_W > 0)) throw PlanLimit{PlanFailure::NoLoad};
    d.ideal = PointAt(d, c.Vmin, d.Vor, d.load);
    return d;
}

// The controller's current limit: the one given, or a margin above the peak.
double CurrentLimit(const Choices& choices, double Ipk) {
    return choices.Ilimit_A ? *choices.Ilimit_A : Multiply(k::kCurrentLimitMargin, Ipk);
}

AtLimit HighAtLimit(double Lp, double Ilimit, const Options& o) {
    return {Multiply(Lp, Add(1, o.lpTolerance)), Multiply(Ilimit, Add(1, o.ilimitTolerance))};
}

AtLimit LowAtLimit(double Lp, double Ilimit, const Options& o) {
    return {Multiply(Lp, Subtract(1, o.lpTolerance)),
            Multiply(Ilimit, Subtract(1, o.ilimitTolerance))};
}

double FluxAtLimit(double Lp, double Ilimit, double NpAe, const Options& o) {
    const AtLimit high = HighAtLimit(Lp, Ilimit, o);
    return Divide(Multiply(high.Lp_H, high.Ilimit_A), NpAe);
}

// An output's whole turns beside the regulated one's `Ns`: the nearest, at
// least one.
int OutputTurns(int Ns, const OutputLoad& out, double regulatedVolts) {
    const double turns = std::round(Divide(Multiply(Ns, Add(out.V, out.VF_V)), regulatedVolts));
    return WholeCount(std::max(1.0, turns), kMaxTurns, Counted::SecondaryTurns);
}

std::optional<int> BiasTurns(int Ns, const Design& d) {
    const Choices& choices = d.choices;
    if (!d.options.Vaux_V) return std::nullopt;
    if (choices.FixedTurns() && choices.Naux) return choices.Naux;
    // Rounded up: the bias rail must clear the controller's start threshold.
    const double turns = std::ceil(
        Divide(Multiply(Ns, Add(*d.options.Vaux_V, choices.biasVF_V)), d.RegulatedVolts()));
    return WholeCount(turns, kMaxTurns, Counted::BiasTurns);
}

// The secondaries' current referred to the primary, Σ N × I ÷ Np: what
// takes the primary's ampere-turns when the switch turns off.
double ReferredCurrent(const Design& d, int Np, int Ns) {
    double ampereTurns = 0;
    for (std::size_t i = 0; i < d.outputs.size(); ++i) {
        const int turns = i == 0 ? Ns : OutputTurns(Ns, d.outputs[i], d.RegulatedVolts());
        ampereTurns = Add(ampereTurns, Multiply(turns, d.outputs[i].I_A));
    }
    if (const std::optional<int> bias = BiasTurns(Ns, d); bias && d.biasP_W > 0)
        ampereTurns = Add(ampereTurns, Multiply(*bias, d.choices.biasI_A));
    return Divide(ampereTurns, Np);
}

Turns WithTurns(const Chain& c, const Design& d, double Ae_m2, int Np, int Ns) {
    Turns t;
    t.Np = Np;
    t.Ns = Ns;
    const double Vor = Divide(Multiply(d.RegulatedVolts(), Np), Ns);
    t.load = Flowing(d, Vor, ReferredCurrent(d, Np, Ns));
    t.point = PointAt(d, c.Vmin, Vor, t.load);
    t.Bpk = Divide(Multiply(t.point.Lp, t.point.Ipk), Multiply(Np, Ae_m2));
    return t;
}

bool FluxLimits::Kept(const Turns& t, double Ae_m2) const {
    if (t.Bpk > Bmax) return false;
    if (!Bsat) return true;
    const double limit = CurrentLimit(options.choices, t.point.Ipk);
    return FluxAtLimit(t.point.Lp, limit, Multiply(t.Np, Ae_m2), options) <= *Bsat;
}

double FluxLimits::LeastTurns(const OperatingPoint& ideal, double Ae_m2) const {
    const double forBmax = Divide(Multiply(ideal.Lp, ideal.Ipk), Multiply(Bmax, Ae_m2));
    if (!Bsat) return forBmax;
    const double limit = CurrentLimit(options.choices, ideal.Ipk);
    const double forSaturation = Divide(FluxAtLimit(ideal.Lp, limit, Ae_m2, options), *Bsat);
    return std::max(forBmax, forSaturation);
}

Turns ChooseTurns(const Chain& c, const Design& d, double Ae_m2, const FluxLimits& limits) {
    if (d.choices.FixedTurns()) return WithTurns(c, d, Ae_m2, d.choices.Np, d.choices.Ns);
    const double ratio = Divide(d.Vor, d.RegulatedVolts());
    const double NpMin = limits.LeastTurns(d.ideal, Ae_m2);
    const double NpFloor = std::ceil(NpMin);
    WholeCount(NpFloor, kMaxTurns, Counted::PrimaryTurns);
    double Ns = std::max(1.0, std::ceil(Divide(NpMin, ratio)));
    for (;;) {
        const double Np = std::max(NpFloor, std::round(Multiply(Ns, ratio)));
        const Turns t = WithTurns(c, d, Ae_m2, WholeCount(Np, kMaxTurns, Counted::PrimaryTurns),
                                  WholeCount(Ns, kMaxTurns, Counted::SecondaryTurns));
        if (limits.Kept(t, Ae_m2)) return t;
        Ns = Add(Ns, 1);
    }
}

}  // namespace flyback::winding::plan_design
