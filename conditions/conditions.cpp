#include "conditions/conditions.hpp"

#include <cmath>

#include "record/readable.hpp"
#include "runtime/arithmetic.hpp"
#include "winding/ac_resistance.hpp"
#include "winding/core_loss.hpp"
#include "winding/physics.hpp"
#include "winding/valley_switching.hpp"
#include "winding/wire_choice.hpp"

namespace flyback::conditions {
namespace {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using winding::OperatingPoint;
using winding::Plan;
using winding::Ramp;
using winding::Winding;

// More than this many times the full load is a short or a fault, not a load.
constexpr double kMostLoad = 10;

double NpAe(const Plan& plan) {
    return Multiply(plan.Np, Multiply(plan.core->Ae_mm2, 1e-6));
}

// The plan's copper and core stand at the temperature its losses settled at.
double PlanCelsius(const Plan& plan) {
    return plan.hot_C.value_or(winding::physics::kWorkingTemperature_C);
}

// A secondary-side winding's mean current over the period at the plan's
// design point: its trapezoid's area in the reset time.
double DesignMean(const Winding& w, const OperatingPoint& design) {
    const double r = Divide(design.Iv, design.Ipk);
    return Multiply(Multiply(*w.Ipeak_A, Divide(Add(1, r), 2)), design.D2);
}

struct Current {
    std::vector<Ramp> ramps;
    double rms = 0;
};

Current CurrentAt(const Winding& w, const Plan& plan, const OperatingPoint& p, double load) {
    if (w.role == winding::Role::Primary)
        return {winding::PrimaryWaveform(p.Ipk, p.Iv, p.D),
                winding::TrapezoidRms(p.Ipk, p.Iv, p.D)};
    const winding::Trapezoid t =
        winding::SecondaryCurrent(Multiply(DesignMean(w, plan.atVmin), load), p);
    return {winding::SecondaryWaveform(t.peak, t.valley, p.D, p.D2), t.rms};
}

// Each winding's DC resistance as the plan settled it, its current at this
// point, and Dowell's factor at this frequency over that current's harmonics.
std::optional<double> CopperLoss(const Plan& plan, const OperatingPoint& p, double load) {
    const double celsius = PlanCelsius(plan);
    const double deeper = SquareRoot(Divide(p.f_Hz, plan.f_Hz));  // Δ grows as √f
    double total = 0;
    for (const Winding& w : plan.windings) {
        if (!w.Irms_A || !w.Ipeak_A) continue;  // a bias winding without a load
        if (!w.R_ohm) return std::nullopt;
        const Current current = CurrentAt(w, plan, p, load);
        const double delta = Multiply(winding::PenetrationOf(w, plan, celsius), deeper);
        const double ratio = winding::AcToDc(current.ramps, delta, winding::DowellLayers(w)).ratio;
        total = Add(total, Multiply(Multiply(Power(current.rms, 2), *w.R_ohm), ratio));
    }
    return total;
}

std::optional<double> CoreLoss(const Plan& plan, const OperatingPoint& p) {
    const double swing = Divide(Multiply(p.Lp, runtime::Subtract(p.Ipk, p.Iv)), NpAe(plan));
    const std::optional<double> density =
        winding::TriangleLossDensity(*plan.material, p.f_Hz, swing, p.D, p.D2, PlanCelsius(plan));
    if (!density) return std::nullopt;
    return Multiply(*density, Multiply(plan.core->Ve_mm3, 1e-9));
}

}  // namespace

Problem Check(const Condition& condition) {
    if (!(condition.Vin_V > 0) || !std::isfinite(condition.Vin_V)) return Problem::Voltage;
    if (!(condition.load > 0) || !(condition.load <= kMostLoad)) return Problem::Load;
    if (!(condition.f_Hz > 0) || !std::isfinite(condition.f_Hz)) return Problem::Frequency;
    return Problem::None;
}

std::string ProblemCaption(Problem problem) {
    switch (problem) {
        case Problem::None:
            return {};
        case Problem::Voltage:
            return "输入电压须大于零";
        case Problem::Load:
            return "负载须大于零，且不超过满载的 " + record::ReadableNumber(kMostLoad) + " 倍";
        case Problem::Frequency:
            return "开关频率须大于零";
    }
    return {};
}

Losses LossesAt(const Plan& plan, const OperatingPoint& point, double load) {
    return {CoreLoss(plan, point), CopperLoss(plan, point, load)};
}

std::optional<Losses> CornerLosses(const Plan& plan, const winding::Corner& corner) {
    if (winding::AtCurrentLimit(corner.kind)) return std::nullopt;
    return LossesAt(plan, corner.point, corner.load);
}

OperatingPoint RunningAt(const Plan& plan, double Vin, double load, double f_Hz) {
    winding::Load flow = plan.load;
    flow.P_W = Multiply(flow.P_W, load);
    flow.f_Hz = f_Hz;
    return winding::Running(Vin, plan.Vor_V, plan.Lp_H, flow, plan.switching);
}

Analysed Analyse(const Plan& plan, const Condition& condition) {
    Analysed a;
    a.condition = condition;
    a.point = RunningAt(plan, condition.Vin_V, condition.load, condition.f_Hz);
    a.condition.f_Hz = a.point.f_Hz;
    // Judged where the core is narrowest, as the plan's corners are.
    a.Bpk_T = Divide(Multiply(plan.Lp_H, a.point.Ipk),
                     Multiply(plan.Np, winding::NarrowestSection_m2(*plan.core)));
    a.deltaB_T =
        Divide(Multiply(plan.Lp_H, runtime::Subtract(a.point.Ipk, a.point.Iv)), NpAe(plan));
    const Losses losses = LossesAt(plan, a.point, condition.load);
    a.Pcore_W = losses.Pcore_W;
    a.Pcopper_W = losses.Pcopper_W;
    return a;
}

Line Words(const Analysed& a) {
    using record::ReadableValue;
    const auto watts = [](const std::optional<double>& value) {
        return value ? ReadableValue(*value, "W") : std::string("—");
    };
    const OperatingPoint& p = a.point;
    return {a.condition.name,
            "输入电压 " + ReadableValue(p.Vin, "V") + "，频率 " +
                ReadableValue(a.condition.f_Hz, "Hz") + "，负载 " +
                ReadableValue(a.condition.load * 100, "%") + "，模式 " +
                std::string(winding::ModeCaption(p.mode)) + "，占空比 " + ReadableValue(p.D, "") +
                "，峰值电流 " + ReadableValue(p.Ipk, "A") + "，谷值电流 " +
                ReadableValue(p.Iv, "A") + "，峰值磁通密度 " + ReadableValue(a.Bpk_T, "T") +
                "，磁芯损耗 " + watts(a.Pcore_W) + "，铜损 " + watts(a.Pcopper_W)};
}

std::vector<Line> FilePointLines(const Plan& plan, const std::vector<Condition>& points) {
    std::vector<Line> lines;
    for (const Condition& point : points) {
        const Problem problem = Check(point);
        Line line = problem == Problem::None
                        ? Words(Analyse(plan, point))
                        : Line{point.name, "无法分析：" + ProblemCaption(problem)};
        line.caption = "文件工作点：" + line.caption;
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace flyback::conditions
