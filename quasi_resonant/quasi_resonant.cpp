#include "quasi_resonant/quasi_resonant.hpp"

#include <algorithm>
#include <numbers>

#include "runtime/arithmetic.hpp"

namespace flyback::quasi_resonant {
namespace {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using runtime::Subtract;

// 1 ÷ Von + 1 ÷ Vreset: the period's on and reset times per volt-second.
double TimePerCharge(double Von, double Vreset) {
    return Add(Divide(1, Von), Divide(1, Vreset));
}

Point InValley(double Vin, double Vor, double Lp, const winding::Load& load, double Cds,
               int valley) {
    Point p;
    p.valley = valley;
    winding::OperatingPoint& o = p.point;
    o.mode = winding::Mode::Discontinuous;
    o.Vin = Vin;
    o.Vor = Vor;
    o.Lp = Lp;
    o.Von = Multiply(Vin, load.onShare);
    o.Vreset = Multiply(Vor, load.resetRise);
    const double P = load.StoredPower();
    const double Pa = Multiply(P, TimePerCharge(o.Von, o.Vreset));
    p.twait_s = ValleyWait(Lp, Cds, valley);
    o.Ipk = Add(Pa, SquareRoot(Add(Power(Pa, 2), Divide(Multiply(Multiply(2, P), p.twait_s), Lp))));
    p.ton_s = Divide(Multiply(Lp, o.Ipk), o.Von);
    p.tdemag_s = Divide(Multiply(Lp, o.Ipk), o.Vreset);
    const double T = Add(Add(p.ton_s, p.tdemag_s), p.twait_s);
    p.f_Hz = Divide(1, T);
    o.D = Divide(p.ton_s, T);
    o.D2 = Divide(p.tdemag_s, T);
    // The drain rings about the input by the reflected voltage: its valley
    // is Vin − Vor, or zero where the ring reaches down to it.
    p.Vvalley_V = std::max(0.0, Subtract(Vin, Vor));
    p.PturnOn_W = Multiply(Multiply(Multiply(0.5, Cds), Power(p.Vvalley_V, 2)), p.f_Hz);
    return p;
}

}  // namespace

double ValleyWait(double Lp_H, double Cds_F, int valley) {
    const double ring = Multiply(2 * std::numbers::pi, SquareRoot(Multiply(Lp_H, Cds_F)));
    return Multiply(Subtract(valley, 0.5), ring);
}

double DesignedInductance(double Vin, double Vor, const winding::Load& load, double Cds_F,
                          int valley) {
    const double T = Divide(1, load.f_Hz);
    const double a = TimePerCharge(Multiply(Vin, load.onShare), Multiply(Vor, load.resetRise));
    const double c =
        Multiply(Multiply(Subtract(valley, 0.5), 2 * std::numbers::pi), SquareRoot(Cds_F));
    const double x =
        Divide(T, Add(Multiply(a, SquareRoot(Multiply(Multiply(2, load.StoredPower()), T))), c));
    return Power(x, 2);
}

Point AtInput(double Vin, double Vor, double Lp_H, const winding::Load& load,
              const Resonance& resonance) {
    Point p = InValley(Vin, Vor, Lp_H, load, resonance.Cds_F, resonance.firstValley);
    if (!resonance.fmax_Hz) return p;
    while (p.f_Hz > *resonance.fmax_Hz && p.valley < resonance.lastValley)
        p = InValley(Vin, Vor, Lp_H, load, resonance.Cds_F, p.valley + 1);
    p.clamped = p.f_Hz > *resonance.fmax_Hz;
    return p;
}

}  // namespace flyback::quasi_resonant
