#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "winding/operating_point.hpp"
#include "winding/valley_switching.hpp"

namespace flyback::winding {

// The operating corners a transformer is checked at besides its design point.
enum class CornerKind {
    MinimumInput,  // full load
    MaximumInput,  // full load
    LightLoad,     // maximum input, a tenth of the load
    CurrentLimit,  // start-up and overload: Lp and the limit at their upper tolerance, hot
    Shorted,       // the output shorted: the bias collapses, the switch runs at the limit
    Capability,    // minimum input, Lp and the limit at their lower tolerance: what it delivers
};
inline constexpr CornerKind kCornerKinds[] = {CornerKind::MinimumInput, CornerKind::MaximumInput,
                                              CornerKind::LightLoad,    CornerKind::CurrentLimit,
                                              CornerKind::Shorted,      CornerKind::Capability};

// Shorted, the current at each turn-on: held at the limit, climbing cycle by
// cycle to where the secondary's resistance stops it (the switch cannot turn
// off before its minimum on-time), or climbing until the core saturates
// first (or without a known resistance to stop it, or a known saturation to
// say it stops short of).
enum class Ratchet { None, Settles, RunsAway };
inline constexpr std::string_view kRatchetNames[] = {"none", "settles", "runs_away"};

// "minimum input, full load", ...; "最低输入、满载", ...
std::string_view CornerName(CornerKind kind);
std::string_view CornerCaption(CornerKind kind);
// The corners whose current is the controller's limit, not the load's.
bool AtCurrentLimit(CornerKind kind);

// The transformer at one corner.
struct Corner {
    CornerKind kind = CornerKind::MinimumInput;
    OperatingPoint point;  // its input, mode, duty, peak and valley; Lp as the corner has it
    double load = 1;       // the power the outputs take, a fraction of full load
    double Bpk_T = 0;
    double Vclamp_V = 0;               // what the RCD clamp settles at with this peak current
    double Vds_peak_V = 0;             // the input plus the clamp's voltage
    std::vector<double> Vrectifier_V;  // each output's rectifier, reverse, in the outputs' order
    // Shorted: whether the minimum on-time's rise outruns the reset's fall,
    // and each over a period (at the limit's current).
    // Where it climbs, the peak the secondary's resistance would stop it at
    // (the corner's own peak where it settles below saturation; running
    // away, the corner keeps the limit's numbers).
    Ratchet ratchet = Ratchet::None;
    double riseInMinimumOn_A = 0, fallInReset_A = 0;
    std::optional<double> ratchetPeak_A;
};

// What the corners are worked out from, all of one plan.
struct CornerInput {
    OperatingPoint atVmin, atVmax;  // full load, nominal Lp
    Load load;                      // the power the core stores, the efficiency, f
    int Np = 0;
    double Ae_m2 = 0;  // the section the corners' flux is judged in: the narrowest
    // At the current limit: the inductance and the limit at their upper
    // tolerances; and both at their lower.
    double LpHigh_H = 0, IlimitHigh_A = 0;
    double LpLow_H = 0, IlimitLow_A = 0;
    // The shortest the controller can hold the switch on (its current
    // sense's blanking), and the regulated secondary's resistance, which is
    // all that checks a ratcheting current besides the rectifier's drop.
    double tOnMin_s = 0;
    std::optional<double> secondaryR_ohm;
    std::optional<double> Bsat_T;  // the hot core's saturation, where known
    // The clamp as the plan sized it: its voltage at the design point's peak
    // and the resistor and leakage that set it elsewhere.
    double Vclamp_V = 0, clampR_ohm = 0, leakage_H = 0, designIpk_A = 0;
    struct Output {
        double V = 0, VF_V = 0;
        int turns = 0;
    };
    std::vector<Output> outputs;  // the regulated one first
    // Valley-switched, each corner runs at the frequency its valley gives.
    std::optional<Resonance> resonance;
};

// The primary's current when the switch turns off at `Ipk`: continuous where
// the ripple Von × D ÷ (Lp × f) at the balanced duty is below the peak,
// otherwise discontinuous with D = Lp × Ipk × f ÷ Von (the magnetising
// voltages as `load` divides the loss).
OperatingPoint AtPeakCurrent(double Vin, double Vor, double Lp, double Ipk, const Load& load);

// The voltage an RCD clamp settles at when its resistor R takes the leakage's
// energy: Vc × (Vc − Vor) = R × ½ × L × Ipk² × f.
double ClampVoltage(double Vor, double R_ohm, double leakage_H, double Ipk, double f_Hz);

std::vector<Corner> Corners(const CornerInput& in);

}  // namespace flyback::winding
