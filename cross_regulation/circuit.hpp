#pragma once

#include <optional>
#include <vector>

#include "winding/plan.hpp"

namespace flyback::cross_regulation {

// A rectified output as the circuit loads it: one of the plan's outputs, or
// the bias winding's load.
inline constexpr int kBias = -1;
struct Rail {
    int output = 0;  // the plan's output, from 0 (the regulated one); kBias
    double V_set = 0, I_full_A = 0, I_min_A = 0, VF_V = 0;
    double Vexpected_V = 0;  // with the plan's turns, the regulated output held
};

// The plan's transformer and its bench as a circuit: the whole windings,
// the primary first and then one a rail, each with its turns and the
// resistance that loses the plan's copper loss; their inductances (the
// core's Lp referred by the turns, plus the build's leakage between every
// pair); each rectifier an exponential diode that drops its VF at its full
// load; the switch's drop, the clamp's voltage and the input at the minimum.
struct Circuit {
    double f_Hz = 0, Vin = 0, clamp_V = 0, Lp_H = 0, Vor = 0, Ipk_A = 0, D = 0;
    double switchDrop_V = 0, switchOn_ohm = 0;
    std::vector<double> turns, R_ohm;
    std::vector<std::vector<double>> L_H;
    std::vector<Rail> rails;                // winding k + 1's
    std::vector<double> diodeSaturation_A;  // each rail's rectifier's Is
    // Stacked outputs: the rail whose tap each rail's winding starts from,
    // −1 for the common return (each winding on its own is all −1).
    std::vector<int> below;
    // Resistance the loops share (LoopsOf): a stacked section's in each
    // loop through it; empty where none is shared.
    std::vector<std::vector<double>> sharedR_ohm;
};

// The switch's on-resistance the bench gives it.
inline constexpr double kSwitchOn_ohm = 0.05;
// ngspice's thermal voltage at its default 27 °C.
inline constexpr double kThermalVoltage = 0.025852;
// An unloaded bias winding's load: its regulator's quiescent current.
inline constexpr double kUnloadedBias_ohm = 10e3;
// The least load an output is held at where none is given, of its full one.
inline constexpr double kLeastLoadShare = 0.1;

// A diode that drops `VF` at `I`: Is = I × exp(−VF ÷ Vt).
double DiodeSaturation_A(double VF, double I);

// A winding's resistance that loses, with its own RMS current, what the plan
// finds its copper losing over the current's harmonics; its DC resistance
// where the plan has no AC loss.
double LossResistance(const winding::Winding& w);
// A whole winding's, its parts' in series: the primary's at least 0.1 mΩ.
double PrimaryResistance(const winding::Plan& plan);
// The switch's own drop while it is on: what the primary side loses beyond
// its copper and the clamp, spent as a steady drop by the input's mean
// current, as the plan spends it.
double SwitchDrop(const winding::Plan& plan);

// The plan's rails: the outputs in order, then a bias winding's load.
std::vector<Rail> RailsOf(const winding::Plan& plan);

// None where the build gives no leakage (no mean turn, no width).
std::optional<Circuit> CircuitOf(const winding::Plan& plan);

// The circuit as loops, one a rail: a rail's loop runs from the return up
// through every winding stacked below it to its rectifier, so its turns,
// inductances and resistances are those windings' summed (L' = Tᵀ L T), and
// the resistance of a section two loops pass through is shared between
// them. A circuit of windings on their own is its own loops.
Circuit LoopsOf(const Circuit& c);

}  // namespace flyback::cross_regulation
