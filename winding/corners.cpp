#include "winding/corners.hpp"

#include <algorithm>

#include "runtime/arithmetic.hpp"

namespace flyback::winding {
namespace {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using runtime::Subtract;

constexpr double kLightLoad = 0.1;

struct CornerWords {
    std::string_view name, caption;
};
constexpr CornerWords kWords[] = {
    {"minimum input, full load", "最低输入、满载"},
    {"maximum input, full load", "最高输入、满载"},
    {"maximum input, 10 % load", "最高输入、10 % 负载"},
    {"current limit, Lp and limit high, hot", "限流（启动、过载；Lp 与限流值偏高，热态）"},
    {"output shorted", "输出短路"},
    {"minimum input, Lp and limit low (capability)", "最低输入、Lp 与限流值偏低（带载能力）"},
};

class CornerMaker {
  public:
    explicit CornerMaker(const CornerInput& in) : in_(in) {}

    Corner Loaded(CornerKind kind, const OperatingPoint& point, double load) const {
        Corner corner = Named(kind, point, load);
        corner.Bpk_T = Divide(Multiply(point.Lp, point.Ipk), Multiply(in_.Np, in_.Ae_m2));
        return corner;
    }

    // At the limit both tolerances are against the core: the part's
    // inductance and the controller's limit high.
    Corner Limited(CornerKind kind, double Vin, double Vor, double Lp, double Ipk,
                   bool shorted) const {
        // Shorted, the core resets against the rectifier's drop alone, the
        // least it can: the copper's share of full load does not carry over.
        Load flow = in_.load;
        if (shorted) flow.resetRise = 1;
        const OperatingPoint point = in_.resonance
                                         ? AtPeak(Vin, Vor, Lp, Ipk, flow, *in_.resonance).point
                                         : AtPeakCurrent(Vin, Vor, Lp, Ipk, flow);
        double load = 0;  // a shorted output takes no power at its terminals
        if (!shorted) {
            const double Pin = MeanInputPower(point);
            load = Divide(Multiply(Pin, in_.load.eta), in_.load.P_W);
        }
        Corner corner = Named(kind, point, load);
        corner.Bpk_T = Divide(Multiply(Lp, Ipk), Multiply(in_.Np, in_.Ae_m2));
        if (shorted) {
            for (std::size_t i = 0; i < in_.outputs.size(); ++i)
                corner.Vrectifier_V[i] = Reflected(Vin, in_.outputs[i].turns);
        }
        return corner;
    }

    // The output shorted at the maximum input. At a fixed frequency the
    // switch stays on for its minimum on-time however soon the limit is
    // reached, and the core resets only against the rectifier's drop and
    // the secondary's resistance: where the on-time's rise outruns the
    // reset's fall the current climbs cycle by cycle until the resistance's
    // drop makes them equal. Valley-switched, the controller waits for the
    // reset, so the current cannot climb.
    Corner Shorted(double Vor) const {
        const double Vin = in_.atVmax.Vin, Lp = in_.LpHigh_H;
        Corner corner = Limited(CornerKind::Shorted, Vin, Vor, Lp, in_.IlimitHigh_A, true);
        if (in_.resonance || !(in_.tOnMin_s > 0)) return corner;
        const Climb climb = ClimbAt(Vin, Lp);
        corner.riseInMinimumOn_A = climb.rise;
        corner.fallInReset_A = climb.fallAtLimit;
        if (!(climb.rise > climb.fallAtLimit)) return corner;
        corner.ratchet = Ratchet::RunsAway;
        if (!climb.peak) return corner;
        corner.ratchetPeak_A = climb.peak;
        const double Bpk = Divide(Multiply(Lp, *climb.peak), Multiply(in_.Np, in_.Ae_m2));
        // Saturated long before, or nothing says it would not be: the corner
        // keeps the limit's numbers.
        if (!in_.Bsat_T || Bpk > *in_.Bsat_T) return corner;
        OperatingPoint& p = corner.point;
        p.mode = Mode::Continuous;
        p.Ipk = *climb.peak;
        p.Iv = Subtract(p.Ipk, climb.rise);
        p.D = Multiply(in_.tOnMin_s, in_.load.f_Hz);
        p.D2 = Subtract(1, p.D);
        p.f_Hz = in_.load.f_Hz;
        p.Lp = Lp;
        const Corner settled = Named(CornerKind::Shorted, p, 0);
        corner.Vclamp_V = settled.Vclamp_V;
        corner.Vds_peak_V = settled.Vds_peak_V;
        corner.Bpk_T = Bpk;
        corner.ratchet = Ratchet::Settles;
        return corner;
    }

  private:
    // The minimum on-time's rise against the reset's fall, each over a
    // period, the fall at the limit's mean current; and the peak where they
    // balance, none where nothing but saturation would stop the climb.
    struct Climb {
        double rise = 0, fallAtLimit = 0;
        std::optional<double> peak;
    };

    Climb ClimbAt(double Vin, double Lp) const {
        const CornerInput::Output& regulated = in_.outputs.front();
        const double n = Divide(in_.Np, static_cast<double>(regulated.turns));
        const double Von = Multiply(Vin, in_.load.onShare);
        const double toff = Subtract(Divide(1, in_.load.f_Hz), in_.tOnMin_s);
        const double R = in_.secondaryR_ohm.value_or(0);
        Climb climb;
        climb.rise = Divide(Multiply(Von, in_.tOnMin_s), Lp);
        // The reset's volts on the primary at a primary current i: n × (VF + n × i × R).
        const double i = Subtract(in_.IlimitHigh_A, Divide(climb.rise, 2));
        const double Vreset = Multiply(n, Add(regulated.VF_V, Multiply(Multiply(n, i), R)));
        climb.fallAtLimit = Divide(Multiply(Vreset, std::max(0.0, toff)), Lp);
        if (!(toff > 0) || !(R > 0)) return climb;
        // rise = fall(i): the mean current the climb stops at.
        const double mean =
            Divide(Subtract(Divide(Multiply(Von, in_.tOnMin_s), toff), Multiply(n, regulated.VF_V)),
                   Multiply(Multiply(n, n), R));
        climb.peak = Add(mean, Divide(climb.rise, 2));
        return climb;
    }

    Corner Named(CornerKind kind, const OperatingPoint& point, double load) const {
        Corner corner;
        corner.kind = kind;
        corner.point = point;
        corner.load = load;
        corner.Vclamp_V =
            point.Ipk == in_.designIpk_A && point.Vor == in_.atVmin.Vor
                ? in_.Vclamp_V
                : ClampVoltage(point.Vor, in_.clampR_ohm, in_.leakage_H, point.Ipk, point.f_Hz);
        corner.Vds_peak_V = Add(point.Vin, corner.Vclamp_V);
        for (const CornerInput::Output& out : in_.outputs)
            corner.Vrectifier_V.push_back(Add(out.V, Reflected(point.Vin, out.turns)));
        return corner;
    }

    double Reflected(double Vin, int turns) const { return Divide(Multiply(Vin, turns), in_.Np); }

    // The power drawn from the input: Vin times the on-time's mean current.
    double MeanInputPower(const OperatingPoint& p) const {
        return Multiply(Multiply(p.Vin, p.D), Divide(Add(p.Ipk, p.Iv), 2));
    }

    const CornerInput& in_;
};

}  // namespace

std::string_view CornerName(CornerKind kind) {
    return kWords[static_cast<int>(kind)].name;
}

std::string_view CornerCaption(CornerKind kind) {
    return kWords[static_cast<int>(kind)].caption;
}

bool AtCurrentLimit(CornerKind kind) {
    return kind == CornerKind::CurrentLimit || kind == CornerKind::Shorted ||
           kind == CornerKind::Capability;
}

OperatingPoint AtPeakCurrent(double Vin, double Vor, double Lp, double Ipk, const Load& load) {
    OperatingPoint p;
    p.Vin = Vin;
    p.Vor = Vor;
    p.Von = Multiply(Vin, load.onShare);
    p.Vreset = Multiply(Vor, load.resetRise);
    p.Lp = Lp;
    p.Ipk = Ipk;
    p.f_Hz = load.f_Hz;
    const double f_Hz = load.f_Hz;
    const double balanced = Divide(p.Vreset, Add(p.Vreset, p.Von));
    const double ripple = Divide(Multiply(p.Von, balanced), Multiply(Lp, f_Hz));
    if (ripple < Ipk) {
        p.mode = Mode::Continuous;
        p.D = balanced;
        p.D2 = Subtract(1, balanced);
        p.Iv = Subtract(Ipk, ripple);
        return p;
    }
    p.mode = ripple == Ipk ? Mode::Boundary : Mode::Discontinuous;
    const double voltSeconds = Multiply(Multiply(Lp, Ipk), f_Hz);
    p.D = Divide(voltSeconds, p.Von);
    p.D2 = Divide(voltSeconds, p.Vreset);
    return p;
}

double ClampVoltage(double Vor, double R_ohm, double leakage_H, double Ipk, double f_Hz) {
    const double K =
        Multiply(R_ohm, Multiply(Multiply(Multiply(0.5, leakage_H), Power(Ipk, 2)), f_Hz));
    return Divide(Add(Vor, SquareRoot(Add(Power(Vor, 2), Multiply(4, K)))), 2);
}

std::vector<Corner> Corners(const CornerInput& in) {
    const CornerMaker make(in);
    Load light = in.load;
    light.P_W = Multiply(in.load.P_W, kLightLoad);
    const OperatingPoint lightPoint =
        Running(in.atVmax.Vin, in.atVmax.Vor, in.atVmin.Lp, light, in.resonance);
    // Shorted, the secondary holds only its rectifier's drop.
    const CornerInput::Output& regulated = in.outputs.front();
    const double shortedVor =
        Divide(Multiply(regulated.VF_V, in.Np), static_cast<double>(regulated.turns));
    return {
        make.Loaded(CornerKind::MinimumInput, in.atVmin, 1),
        make.Loaded(CornerKind::MaximumInput, in.atVmax, 1),
        make.Loaded(CornerKind::LightLoad, lightPoint, kLightLoad),
        make.Limited(CornerKind::CurrentLimit, in.atVmax.Vin, in.atVmin.Vor, in.LpHigh_H,
                     in.IlimitHigh_A, false),
        make.Shorted(shortedVor),
        make.Limited(CornerKind::Capability, in.atVmin.Vin, in.atVmin.Vor, in.LpLow_H,
                     in.IlimitLow_A, false),
    };
}

}  // namespace flyback::winding
