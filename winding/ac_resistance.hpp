#pragma once

#include <vector>

namespace flyback::winding {

// The copper loss of a winding carrying a flyback's current, from Dowell's
// one-dimensional model (P. L. Dowell, "Effects of eddy currents in
// transformer windings", Proc. IEE 113(8), 1966): a layer of round wire is an
// equivalent foil of thickness d × √(π/4) with the porosity of its conductors
// across the width, and a winding of m layers (counted from where the field
// is zero) has, at a penetration ratio Δ,
//   Fr = Δ × [(sinh 2Δ + sin 2Δ) ÷ (cosh 2Δ − cos 2Δ)
//             + 2 (m² − 1) ÷ 3 × (sinh Δ − sin Δ) ÷ (cosh Δ + cos Δ)].
double DowellFactor(double delta, double layers);

// Δ at the fundamental: the equivalent foil over the skin depth, times the
// square root of the porosity (the conductors' share of the width).
double PenetrationRatio(double conductor_mm, double conductorsPerLayer, double width_mm,
                        double skinDepth_mm);

// A piece of a current's period: from t0 to t1 (fractions of the period) the
// current runs straight from i0 to i1.
struct Ramp {
    double t0, t1, i0, i1;
};

// The primary's current (a ramp from the valley to the peak while the switch
// is on) and a secondary's (from its peak to its valley in the reset time);
// zero the rest of the period.
std::vector<Ramp> PrimaryWaveform(double peak, double valley, double duty);
std::vector<Ramp> SecondaryWaveform(double peak, double valley, double duty, double reset);

struct AcLoss {
    double FrFundamental = 1;  // Dowell's factor at the switching frequency
    double ratio = 1;          // the AC loss over the DC loss of the same RMS current
    int harmonics = 0;         // how many were summed
};

// The loss of `waveform` in a winding of `layers` layers whose Δ is
// `delta1` at the fundamental: Σ I_h² × R_dc × Fr(Δ1 × √h) over the DC part
// and the harmonics (exact Fourier coefficients of the ramps) until 99.9 %
// of the current's square is accounted for, over I_rms² × R_dc.
AcLoss AcToDc(const std::vector<Ramp>& waveform, double delta1, double layers);

// A ratio AcToDc cannot be below for any Δ at the fundamental of at least
// `delta1`, from the first `harmonics` alone (the rest counted at the next
// one's factor): a search bounds a candidate's copper loss by it before
// computing the loss in full, more closely the more harmonics it sums.
double AcToDcFloor(const std::vector<Ramp>& waveform, double delta1, double layers,
                   int harmonics = 12);

}  // namespace flyback::winding
