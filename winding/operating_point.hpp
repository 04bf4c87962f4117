#pragma once

#include <optional>
#include <string_view>

namespace flyback::winding {

// How the primary's current runs in a period at full load: rising from zero
// and falling to zero with no pause (the edge of continuous conduction), from
// a valley above zero (continuous), or falling to zero before the next period
// starts (discontinuous, with an idle time 1 − D − D2).
enum class Mode { Boundary, Continuous, Discontinuous };

// "boundary", "continuous", "discontinuous"; "临界", "连续", "断续".
std::string_view ModeName(Mode mode);
std::string_view ModeCaption(Mode mode);

// What the transformer carries: the outputs' power, the efficiency that puts
// P ÷ eta in at the primary, and the switching frequency.
struct Load {
    double P_W = 0, eta = 0, f_Hz = 0;
};

// The primary's current at one input voltage and full load.
struct OperatingPoint {
    Mode mode = Mode::Boundary;
    double Vin = 0, Vor = 0;  // the input, and the output reflected to the primary
    double D = 0;             // the switch's on time, a fraction of the period
    double D2 = 0;            // the reset (the secondaries' conduction) time
    double Ipk = 0, Iv = 0;   // the primary current's peak and valley
    double Lp = 0;

    // (peak − valley) ÷ peak: 1 at the edge and below it, less in continuous conduction.
    double KRP() const;
};

// The inductance that gives the ripple ratio `KRP` at `Vin` (1: the edge of
// continuous conduction, as the press designs), with the current it carries:
//   D = Vor ÷ (Vor + Vin),  Ipk = 2 × P ÷ (eta × Vin × D × (2 − KRP)),
//   Iv = Ipk × (1 − KRP),   Lp = eta × (Vin × D)² × (2 − KRP) ÷ KRP ÷ (2 × P × f)
// (the last is Vin × D ÷ (f × (Ipk − Iv)) with Ipk put in). At KRP = 1 the
// factors are exactly one and the press's own formulas remain, bit for bit.
OperatingPoint Designed(double Vin, double Vor, double KRP, const Load& load);

// What a given inductance does at `Vin`: continuous (or at the edge) when Lp is
// at least the edge's, with the mean on-time current P ÷ eta ÷ (Vin × D) and
// the ripple Vin × D ÷ (Lp × f) about it; discontinuous below it, with
//   Ipk = √(2 × P ÷ eta ÷ (Lp × f)),  D = Lp × Ipk × f ÷ Vin,  D2 = Lp × Ipk × f ÷ Vor.
OperatingPoint WithInductance(double Vin, double Vor, double Lp, const Load& load);

// The input at which inductance `Lp` sits at the edge for `Vor`: the input
// voltage V with V × Vor ÷ (Vor + V) = √(2 × P × f × Lp ÷ eta); continuous
// below it, discontinuous above. None where it is at no input (Lp so large
// that every input is continuous).
std::optional<double> EdgeInput(double Vor, double Lp, const Load& load);

// The RMS of a current rising or falling between `peak` and `valley` for
// `duty` of the period: peak × √(duty × (1 + r + r²) ÷ 3), r = valley ÷ peak
// (the triangle's peak × √(duty ÷ 3) when the valley is zero).
double TrapezoidRms(double peak, double valley, double duty);

// A winding's current that carries the mean `mean` during the reset time of
// `point`, shaped as the primary's: peak 2 × mean ÷ (D2 × (1 + r)), valley r × peak.
struct Trapezoid {
    double peak = 0, valley = 0, rms = 0;
};
Trapezoid SecondaryCurrent(double mean, const OperatingPoint& point);

}  // namespace flyback::winding
