#include "winding/valley_switching.hpp"

#include <algorithm>
#include <numbers>

#include "runtime/arithmetic.hpp"

namespace flyback::winding {
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

ValleySwitched Start(double Vin, double Vor, double Lp, const Load& load, int valley) {
    ValleySwitched v;
    OperatingPoint& o = v.point;
    o.mode = Mode::Discontinuous;
    o.Vin = Vin;
    o.Vor = Vor;
    o.Lp = Lp;
    o.valley = valley;
    o.Von = Multiply(Vin, load.onShare);
    o.Vreset = Multiply(Vor, load.resetRise);
    return v;
}

// The period from the peak: on, reset and the wait, and what they make.
void Period(ValleySwitched& v, double Cds) {
    OperatingPoint& o = v.point;
    v.ton_s = Divide(Multiply(o.Lp, o.Ipk), o.Von);
    v.tdemag_s = Divide(Multiply(o.Lp, o.Ipk), o.Vreset);
    const double T = Add(Add(v.ton_s, v.tdemag_s), v.twait_s);
    o.f_Hz = Divide(1, T);
    o.D = Divide(v.ton_s, T);
    o.D2 = Divide(v.tdemag_s, T);
    v.Vvalley_V = ValleyVoltage(o);
    v.PturnOn_W = TurnOnLoss(o, Cds);
}

ValleySwitched InValley(double Vin, double Vor, double Lp, const Load& load, double Cds,
                        int valley) {
    ValleySwitched v = Start(Vin, Vor, Lp, load, valley);
    const double P = load.StoredPower();
    const double Pa = Multiply(P, TimePerCharge(v.point.Von, v.point.Vreset));
    v.twait_s = ValleyWait(Lp, Cds, valley);
    v.point.Ipk =
        Add(Pa, SquareRoot(Add(Power(Pa, 2), Divide(Multiply(Multiply(2, P), v.twait_s), Lp))));
    Period(v, Cds);
    return v;
}

// The first valley from the resonance's own that keeps within its clamp.
template <class Switch>
ValleySwitched Clamped(const Resonance& r, Switch inValley) {
    ValleySwitched v = inValley(r.firstValley);
    if (!r.fmax_Hz) return v;
    while (v.point.f_Hz > *r.fmax_Hz && v.point.valley < r.lastValley)
        v = inValley(v.point.valley + 1);
    v.clamped = v.point.f_Hz > *r.fmax_Hz;
    return v;
}

}  // namespace

double ValleyWait(double Lp_H, double Cds_F, int valley) {
    const double ring = Multiply(2 * std::numbers::pi, SquareRoot(Multiply(Lp_H, Cds_F)));
    return Multiply(Subtract(valley, 0.5), ring);
}

double DesignedInductance(double Vin, double Vor, const Load& load, double Cds_F, int valley) {
    const double T = Divide(1, load.f_Hz);
    const double a = TimePerCharge(Multiply(Vin, load.onShare), Multiply(Vor, load.resetRise));
    const double c =
        Multiply(Multiply(Subtract(valley, 0.5), 2 * std::numbers::pi), SquareRoot(Cds_F));
    const double rootPT = SquareRoot(Multiply(Multiply(2, load.StoredPower()), T));
    return Power(Divide(T, Add(Multiply(a, rootPT), c)), 2);
}

ValleySwitched AtInput(double Vin, double Vor, double Lp_H, const Load& load,
                       const Resonance& resonance) {
    return Clamped(resonance, [&](int valley) {
        return InValley(Vin, Vor, Lp_H, load, resonance.Cds_F, valley);
    });
}

ValleySwitched AtPeak(double Vin, double Vor, double Lp_H, double Ipk, const Load& load,
                      const Resonance& resonance) {
    return Clamped(resonance, [&](int valley) {
        ValleySwitched v = Start(Vin, Vor, Lp_H, load, valley);
        v.point.Ipk = Ipk;
        v.twait_s = ValleyWait(Lp_H, resonance.Cds_F, valley);
        Period(v, resonance.Cds_F);
        return v;
    });
}

double ValleyVoltage(const OperatingPoint& point) {
    // The drain rings about the input by the reflected voltage.
    return std::max(0.0, Subtract(point.Vin, point.Vor));
}

double TurnOnLoss(const OperatingPoint& point, double Cds_F) {
    return Multiply(Multiply(Multiply(0.5, Cds_F), Power(ValleyVoltage(point), 2)), point.f_Hz);
}

OperatingPoint Running(double Vin, double Vor, double Lp_H, const Load& load,
                       const std::optional<Resonance>& resonance) {
    if (resonance) return AtInput(Vin, Vor, Lp_H, load, *resonance).point;
    return WithInductance(Vin, Vor, Lp_H, load);
}

}  // namespace flyback::winding
