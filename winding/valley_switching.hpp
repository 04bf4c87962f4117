#pragma once

#include <optional>

#include "winding/operating_point.hpp"

// Quasi-resonant (valley) switching: the switch turns on in a valley of the
// drain's ring after the secondaries' current has ended, so the period is
// the on-time, the reset time and the wait for that valley,
//   T = ton + tdemag + (k − ½) × 2π √(Lp × Cds),
// ton = Lp × Ipk ÷ Von and tdemag = Lp × Ipk ÷ Vreset (the magnetising
// voltages as the load's shares give them), and the core stores
// ½ × Lp × Ipk² each period. The frequency falls with load and rises with
// line; the switch turns on at the valley's voltage Vin − Vor (none where
// Vor ≥ Vin: zero-voltage switching), losing ½ × Cds × Vvalley² × f.
namespace flyback::winding {

struct Resonance {
    double Cds_F = 100e-12;         // the drain's capacitance: the switch's Coss and the winding's
    int firstValley = 1;            // the valley the controller turns on in at full load
    int lastValley = 1;             // the deepest it waits for to keep within fmax
    std::optional<double> fmax_Hz;  // the controller's frequency clamp
    bool fmaxAssumed = false;       // not typed: twice the design frequency
};

// The wait from the end of the reset to valley k: (k − ½) rings.
double ValleyWait(double Lp_H, double Cds_F, int valley);

// The inductance that runs at `load.f_Hz` in `valley` at `Vin` (the
// minimum input at full load): with a = 1 ÷ Von + 1 ÷ Vreset and
// c = (valley − ½) × 2π √Cds, Lp = (T ÷ (a × √(2 × P_stored × T) + c))².
double DesignedInductance(double Vin, double Vor, const Load& load, double Cds_F, int valley);

// A point switched in a valley: the operating point (discontinuous, its
// frequency and valley its own) and what the period is made of.
struct ValleySwitched {
    OperatingPoint point;
    double ton_s = 0, tdemag_s = 0, twait_s = 0;
    bool clamped = false;  // fmax held even at the last valley: the frequency is above it
    double Vvalley_V = 0, PturnOn_W = 0;
};

// Inductance `Lp` at `Vin` carrying `load` (its P and shares; its f is not
// used): the peak from ½ × Lp × Ipk² = P_stored × T with T as above,
//   Ipk = P × a + √((P × a)² + 2 × P × twait ÷ Lp),
// in the first valley, or the first from there to the last that keeps within
// fmax.
ValleySwitched AtInput(double Vin, double Vor, double Lp_H, const Load& load,
                       const Resonance& resonance);

// The same switch held at the peak `Ipk` (the controller's current limit):
// the period follows from the peak alone.
ValleySwitched AtPeak(double Vin, double Vor, double Lp_H, double Ipk, const Load& load,
                      const Resonance& resonance);

// The drain's voltage at the point's valley, Vin − Vor (zero where the ring
// reaches down to it), and what turning on there loses, ½ × Cds × V² × f.
double ValleyVoltage(const OperatingPoint& point);
double TurnOnLoss(const OperatingPoint& point, double Cds_F);

// The point at `Vin` with inductance `Lp`: in a valley where the switch is
// valley-switched, else at the load's fixed frequency (WithInductance).
OperatingPoint Running(double Vin, double Vor, double Lp_H, const Load& load,
                       const std::optional<Resonance>& resonance);

}  // namespace flyback::winding
