#pragma once

// The plan's own parts, shared by its files and by nothing else: what the
// plan takes from the press, what it designs to before whole turns (the
// outputs, the energy flow, the reflected voltage, the ideal operating
// point), and the whole turns the flux limits leave.

#include <optional>
#include <vector>

#include "record/design_record.hpp"
#include "runtime/arithmetic.hpp"
#include "winding/operating_point.hpp"
#include "winding/plan.hpp"

namespace flyback::winding::plan_design {

// Beyond the most turns a box or a file gives a winding nobody winds a
// transformer; a plan that needs more is refused rather than counted out.
inline constexpr double kMaxTurns = kMostTurns;

struct PlanLimit {
    PlanFailure failure;
    FailureDetail detail = {};
};

FailureDetail BeyondTables(const insulation::Conditions& conditions);

// What the plan takes from the press, in SI units.
struct Chain {
    double P, Vmax, Vmin, f, eta, Vo, Lp, Ipk, Vor, Vspike, AeRequired_m2;
};

Chain ChainOf(const record::DesignRecord& record);
bool Meaningful(const Chain& c);
// A count as a whole number; beyond `limit` the plan is refused (TooMany).
int WholeCount(double count, double limit, Counted what);
double SquareMillimetres(double diameter_mm);

// What the plan designs to, before whole turns: the outputs, their power,
// the power the core stores, the reflected voltage and the operating point at
// the minimum input.
struct Design {
    std::vector<OutputLoad> outputs;  // the regulated one first
    Load load;                        // the outputs' power and the bias load's
    double Vor = 0;
    OperatingPoint ideal;
    const Choices& choices;
    const Options& options;
    double outputsP_W = 0, biasP_W = 0;
    double rectified_W = 0;  // what the outputs and the bias take at their rectifiers
    double stored_W = 0;     // what the core stores, the rectified power and more

    double RegulatedVolts() const { return runtime::Add(outputs.front().V, outputs.front().VF_V); }
};

Design DesignOf(const Chain& c, const Options& options, double secondaryLoss_W);
double StoredPower(const Load& load, double rectified_W, double secondaryLoss_W,
                   const Options& options);
double CurrentLimit(const Choices& choices, double Ipk);

// The flux at the current limit as a part may have it: the inductance at its
// upper tolerance and the limit at its own, at start-up or in an overload.
struct AtLimit {
    double Lp_H, Ilimit_A;
};
AtLimit HighAtLimit(double Lp, double Ilimit, const Options& o);
AtLimit LowAtLimit(double Lp, double Ilimit, const Options& o);
double FluxAtLimit(double Lp, double Ilimit, double NpAe, const Options& o);

int OutputTurns(int Ns, const OutputLoad& out, double regulatedVolts);
std::optional<int> BiasTurns(int Ns, const Design& d);

// The whole turns and what follows from them at the minimum input.
struct Turns {
    int Np = 0, Ns = 0;
    double Bpk = 0;
    OperatingPoint point;
    Load load;  // the loss's division about the core with these turns
};

// The fewest turns that keep the flux within Bmax at the design point and
// below the material's saturation at the current limit with its tolerances.
struct FluxLimits {
    double Bmax = 0;
    std::optional<double> Bsat;
    const Options& options;

    bool Kept(const Turns& t, double Ae_m2) const;
    double LeastTurns(const OperatingPoint& ideal, double Ae_m2) const;
};

Turns ChooseTurns(const Chain& c, const Design& d, double Ae_m2, const FluxLimits& limits);

// What a plan on one core is made from.
struct PlanInput {
    const Chain& chain;
    const Design& design;
    const Options& options;
    const catalogue::Catalogue& parts;
    const catalogue::Material& material;
};

// How far a plan goes: in full, or a sketch without its losses and the
// temperature they settle at, which take most of a plan's time.
enum class Depth { Full, Sketch };

// The plan on `core`: whole turns, gap, windings, build, losses, clamp and
// corners, for the design and options `in` carries.
Plan PlanOn(const catalogue::Core& core, const PlanInput& in, Depth depth = Depth::Full);

}  // namespace flyback::winding::plan_design
