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
// P ÷ eta in at the primary, and the switching frequency; and how the loss
// divides about the core. The core stores only what the secondary side takes
// (the outputs, their rectifiers, the secondary copper, the core's own loss);
// the primary side's loss (switch, primary copper, clamp) is spent while the
// switch is on and never passes through the core. So the magnetising
// inductance sees the input times `onShare` = P_stored ÷ P_in while the
// switch is on, and resets against the reflected voltage times `resetRise` =
// the reset voltage ÷ Vor, the secondary copper and the core raising it above
// the outputs' and rectifiers'. Both 1: every watt passes through the core.
struct Load {
    double P_W = 0, eta = 0, f_Hz = 0;
    double onShare = 1, resetRise = 1;

    double InputPower() const;
    double StoredPower() const;  // P ÷ eta × onShare
};

// The primary's current at one input voltage and full load.
struct OperatingPoint {
    Mode mode = Mode::Boundary;
    double Vin = 0, Vor = 0;  // the input, and the output reflected to the primary
    // What the magnetising inductance sees: Vin × onShare while the switch is
    // on, Vor × resetRise while the secondaries conduct.
    double Von = 0, Vreset = 0;
    double D = 0;            // the switch's on time, a fraction of the period
    double D2 = 0;           // the reset (the secondaries' conduction) time
    double Ipk = 0, Iv = 0;  // the primary current's peak and valley
    double Lp = 0;
    double f_Hz = 0;  // the switching frequency the point runs at
    int valley = 0;   // the ring's valley the switch turns on in; 0: at a fixed frequency

    // (peak − valley) ÷ peak: 1 at the edge and below it, less in continuous conduction.
    double KRP() const;
};

// The inductance that gives the ripple ratio `KRP` at `Vin` (1: the edge of
// continuous conduction, as the press designs), with the current it carries:
//   D = Vreset ÷ (Vreset + Von),  Ipk = 2 × P ÷ (eta × Vin × D × (2 − KRP)),
//   Iv = Ipk × (1 − KRP),   Lp = Von × D ÷ (f × (Ipk − Iv))
// so that Vin × the mean current is P ÷ eta and ½ × Lp × (Ipk² − Iv²) × f
// is the power stored. With every watt through the core and KRP = 1 the
// press's own formulas remain, bit for bit.
OperatingPoint Designed(double Vin, double Vor, double KRP, const Load& load);

// What a given inductance does at `Vin`: continuous (or at the edge) when Lp is
// at least the edge's, with the mean on-time current P ÷ eta ÷ (Vin × D) and
// the ripple Von × D ÷ (Lp × f) about it; discontinuous below it, with
//   Ipk = √(2 × P_stored ÷ (Lp × f)),  D = Lp × Ipk × f ÷ Von,  D2 = Lp × Ipk × f ÷ Vreset.
OperatingPoint WithInductance(double Vin, double Vor, double Lp, const Load& load);

// The input at which inductance `Lp` sits at the edge for `Vor`: the input
// voltage V whose on-time voltage Von = V × onShare gives
// Von × Vreset ÷ (Vreset + Von) = √(2 × P_stored × f × Lp); continuous below
// it, discontinuous above. None where it is at no input (Lp so large that
// every input is continuous).
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
