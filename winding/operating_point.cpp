#include "winding/operating_point.hpp"

#include "runtime/arithmetic.hpp"

namespace flyback::winding {
namespace {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using runtime::Subtract;

}  // namespace

std::string_view ModeName(Mode mode) {
    switch (mode) {
        case Mode::Boundary:
            return "boundary";
        case Mode::Continuous:
            return "continuous";
        case Mode::Discontinuous:
            return "discontinuous";
    }
    return {};
}

std::string_view ModeCaption(Mode mode) {
    switch (mode) {
        case Mode::Boundary:
            return "临界";
        case Mode::Continuous:
            return "连续";
        case Mode::Discontinuous:
            return "断续";
    }
    return {};
}

double Load::InputPower() const {
    return Divide(P_W, eta);
}

double Load::StoredPower() const {
    return Multiply(InputPower(), onShare);
}

double OperatingPoint::KRP() const {
    return Divide(Subtract(Ipk, Iv), Ipk);
}

namespace {

// The voltages the magnetising inductance sees at `Vin` and `Vor`.
void Magnetising(OperatingPoint& point, double Vin, double Vor, const Load& load) {
    point.Vin = Vin;
    point.Vor = Vor;
    point.Von = Multiply(Vin, load.onShare);
    point.Vreset = Multiply(Vor, load.resetRise);
    point.f_Hz = load.f_Hz;
}

}  // namespace

OperatingPoint Designed(double Vin, double Vor, double KRP, const Load& load) {
    OperatingPoint point;
    point.mode = KRP == 1 ? Mode::Boundary : Mode::Continuous;
    Magnetising(point, Vin, Vor, load);
    point.D = Divide(point.Vreset, Add(point.Vreset, point.Von));
    point.D2 = Subtract(1, point.D);
    const double twoP = Multiply(2, load.P_W);
    point.Ipk =
        Divide(twoP, Multiply(Multiply(Multiply(load.eta, Vin), point.D), Subtract(2, KRP)));
    point.Iv = Multiply(point.Ipk, Subtract(1, KRP));
    // Von × D ÷ (f × KRP × Ipk), Ipk put in; with Von = Vin the press's form.
    point.Lp = Divide(
        Multiply(Multiply(load.eta, Multiply(Multiply(Vin, point.D), Multiply(point.Von, point.D))),
                 Divide(Subtract(2, KRP), KRP)),
        Multiply(twoP, load.f_Hz));
    return point;
}

OperatingPoint WithInductance(double Vin, double Vor, double Lp, const Load& load) {
    const OperatingPoint edge = Designed(Vin, Vor, 1, load);
    if (Lp == edge.Lp) return edge;
    OperatingPoint point;
    Magnetising(point, Vin, Vor, load);
    point.Lp = Lp;
    if (Lp > edge.Lp) {
        point.mode = Mode::Continuous;
        point.D = edge.D;
        point.D2 = edge.D2;
        const double meanOn = Divide(load.InputPower(), Multiply(Vin, point.D));
        const double halfRipple =
            Divide(Multiply(point.Von, point.D), Multiply(Multiply(2, Lp), load.f_Hz));
        point.Ipk = Add(meanOn, halfRipple);
        point.Iv = Subtract(meanOn, halfRipple);
        return point;
    }
    point.mode = Mode::Discontinuous;
    point.Ipk = SquareRoot(Divide(Multiply(2, load.StoredPower()), Multiply(Lp, load.f_Hz)));
    const double voltSeconds = Multiply(Multiply(Lp, point.Ipk), load.f_Hz);
    point.D = Divide(voltSeconds, point.Von);
    point.D2 = Divide(voltSeconds, point.Vreset);
    return point;
}

std::optional<double> EdgeInput(double Vor, double Lp, const Load& load) {
    const double onVolts = SquareRoot(Multiply(
        Divide(Multiply(Multiply(Multiply(2, load.P_W), load.f_Hz), Lp), load.eta), load.onShare));
    const double reset = Multiply(Vor, load.resetRise);
    if (!(onVolts < reset)) return std::nullopt;
    return Divide(Divide(Multiply(onVolts, reset), Subtract(reset, onVolts)), load.onShare);
}

double TrapezoidRms(double peak, double valley, double duty) {
    if (peak == 0) return 0;  // an unloaded output's winding carries nothing
    const double r = Divide(valley, peak);
    return Multiply(peak, SquareRoot(Divide(Multiply(duty, Add(Add(1, r), Multiply(r, r))), 3)));
}

Trapezoid SecondaryCurrent(double mean, const OperatingPoint& point) {
    const double r = Divide(point.Iv, point.Ipk);
    Trapezoid current;
    current.peak = Divide(Multiply(2, mean), Multiply(point.D2, Add(1, r)));
    current.valley = Multiply(r, current.peak);
    current.rms = TrapezoidRms(current.peak, current.valley, point.D2);
    return current;
}

}  // namespace flyback::winding
