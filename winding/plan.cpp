#include "winding/plan.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "runtime/arithmetic.hpp"
#include "winding/physics.hpp"
#include "winding/plan_warnings.hpp"

namespace flyback::winding {
namespace {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using runtime::Subtract;
namespace k = physics;

// Beyond these nobody winds a transformer; a plan that needs more is refused
// rather than counted out.
constexpr double kMaxTurns = 100000;
constexpr double kMaxStrands = 10000;

struct PlanLimit {
    std::string message;
};

// What the plan takes from the press, in SI units.
struct Chain {
    double P, Vmax, Vmin, f, eta, Vo, Lp, Ipk, Vor, Vspike, AeRequired_m2;
};

Chain ChainOf(const record::DesignRecord& record) {
    const design::DesignInputs& in = record.trace.inputs;
    const design::DesignResults& r = record.trace.results;
    return {in.OutputPower,
            in.MaxInputVoltage,
            in.MinInputVoltage,
            in.Frequency,
            in.Efficiency,
            in.OutputVoltage,
            r.PrimaryInductance,
            r.PeakCurrent,
            r.ReflectedVoltage,
            r.SpikeAllowance,
            Multiply(r.RequiredCoreArea, 1e-4)};
}

// What a transformer can be wound for: every quantity the plan starts from
// above zero, the efficiency at most one and the input range in order.
bool Meaningful(const Chain& c) {
    for (const double v :
         {c.P, c.Vmax, c.Vmin, c.f, c.eta, c.Vo, c.Lp, c.Ipk, c.Vor, c.Vspike, c.AeRequired_m2}) {
        if (!(v > 0)) return false;
    }
    return c.eta <= 1 && c.Vmin <= c.Vmax;
}

int WholeCount(double count, double limit, std::string_view what) {
    if (!(count <= limit)) {
        throw PlanLimit{"需要的" + std::string(what) + "超过 " +
                        std::to_string(static_cast<long>(limit)) + "，无法绕制。"};
    }
    return static_cast<int>(count);
}

double SquareMillimetres(double diameter_mm) {
    return Multiply(std::numbers::pi / 4, Multiply(diameter_mm, diameter_mm));
}

double CopperResistivity() {
    return Multiply(
        k::kCopperResistivity20C,
        Add(1, Multiply(k::kCopperTemperatureCoefficient, Subtract(k::kWorkingTemperature_C, 20))));
}

double SkinDepth_mm(double hertz) {
    const double metres = SquareRoot(
        Divide(CopperResistivity(), Multiply(Multiply(std::numbers::pi, hertz), k::kMu0)));
    return Multiply(metres, 1e3);
}

// The whole turns and what follows from them at the minimum input, at the edge
// of continuous conduction as the chain designs.
struct Turns {
    int Np = 0, Ns = 0;
    double Vor = 0, D = 0, Lp = 0, Ipk = 0, Bpk = 0;
};

Turns WithTurns(const Chain& c, double Ae_m2, int Np, int Ns) {
    Turns t{Np, Ns};
    t.Vor = Divide(Multiply(Add(c.Vo, k::kRectifierDrop), Np), Ns);
    t.D = Divide(t.Vor, Add(t.Vor, c.Vmin));
    t.Lp =
        Divide(Multiply(c.eta, Power(Multiply(c.Vmin, t.D), 2)), Multiply(Multiply(2, c.P), c.f));
    t.Ipk = Divide(Multiply(2, c.P), Multiply(Multiply(c.eta, c.Vmin), t.D));
    t.Bpk = Divide(Multiply(t.Lp, t.Ipk), Multiply(Np, Ae_m2));
    return t;
}

Turns ChooseTurns(const Chain& c, double Ae_m2, double Bmax) {
    const double ratio = Divide(c.Vor, Add(c.Vo, k::kRectifierDrop));
    const double NpMin = Divide(Multiply(c.Lp, c.Ipk), Multiply(Bmax, Ae_m2));
    const double NpFloor = std::ceil(NpMin);
    WholeCount(NpFloor, kMaxTurns, "初级匝数");
    double Ns = std::max(1.0, std::ceil(Divide(NpMin, ratio)));
    for (;;) {
        const double Np = std::max(NpFloor, std::round(Multiply(Ns, ratio)));
        const Turns t = WithTurns(c, Ae_m2, WholeCount(Np, kMaxTurns, "初级匝数"),
                                  WholeCount(Ns, kMaxTurns, "次级匝数"));
        if (t.Bpk <= Bmax) return t;
        Ns = Add(Ns, 1);
    }
}

// The wires of a kind that have an outer diameter to wind with and are not
// too fine to wind, thinnest first.
std::vector<const catalogue::Wire*> WiresOfKind(const catalogue::Catalogue& parts,
                                                catalogue::WireKind kind) {
    std::vector<const catalogue::Wire*> wires;
    for (const catalogue::Wire& wire : parts.wires) {
        if (wire.kind == kind && wire.Outer() && wire.conductor_mm >= k::kThinnestWire_mm)
            wires.push_back(&wire);
    }
    std::stable_sort(wires.begin(), wires.end(), [](const auto* a, const auto* b) {
        return a->conductor_mm < b->conductor_mm;
    });
    return wires;
}

// The next larger wire for the copper area; where that is thicker than twice
// the skin depth, the fewest strands of the thickest wire within it.
void ChooseWire(Winding& w, const std::vector<const catalogue::Wire*>& wires, double J,
                double skin_mm) {
    if (wires.empty()) throw PlanLimit{"目录中没有可用的导线。"};
    w.wire = wires.front();
    if (!w.Irms_A) return;
    const double area = Divide(*w.Irms_A, J);
    const auto single = std::find_if(wires.begin(), wires.end(), [&](const auto* wire) {
        return SquareMillimetres(wire->conductor_mm) >= area;
    });
    const double limit = Multiply(2, skin_mm);
    if (single != wires.end() && (*single)->conductor_mm <= limit) {
        w.wire = *single;
        return;
    }
    for (const catalogue::Wire* wire : wires) {
        if (wire->conductor_mm <= limit) w.wire = wire;
    }
    w.strands = WholeCount(std::ceil(Divide(area, SquareMillimetres(w.wire->conductor_mm))),
                           kMaxStrands, "并绕股数");
}

// Conductors side by side across the winding width: at least one.
double ConductorsAcross(double width_mm, double outer_mm) {
    return std::max(1.0, runtime::Floor(Divide(width_mm, outer_mm)));
}

// Turns side by side across the winding width, each turn's strands together.
void LayOut(Winding& w, double width_mm) {
    w.outer_mm = *w.wire->Outer();
    const double across = ConductorsAcross(width_mm, w.outer_mm);
    const double perLayer = runtime::Floor(Divide(across, w.strands));
    double layers = 0;
    if (perLayer >= 1) {
        w.turnsPerLayer = WholeCount(perLayer, kMaxTurns, "每层匝数");
        layers = std::ceil(Divide(w.turns, perLayer));
    } else {  // a turn's strands take more than one row
        w.turnsPerLayer = 1;
        layers = Multiply(w.turns, std::ceil(Divide(w.strands, across)));
    }
    w.layers = WholeCount(layers, kMaxTurns, "层数");
    w.height_mm = Multiply(w.layers, w.outer_mm);
}

void CopperLoss(Winding& w, const catalogue::Core& core) {
    if (!core.MLT_mm || !w.Irms_A) return;
    const double copper_m2 =
        Multiply(Multiply(SquareMillimetres(w.wire->conductor_mm), w.strands), 1e-6);
    const double length_m = Multiply(Multiply(*core.MLT_mm, 1e-3), w.turns);
    w.R_ohm = Divide(Multiply(CopperResistivity(), length_m), copper_m2);
    w.P_W = Multiply(Power(*w.Irms_A, 2), *w.R_ohm);
}

struct PlanInput {
    const Chain& chain;
    const Options& options;
    const catalogue::Catalogue& parts;
    const catalogue::Material& material;
};

Winding NewWinding(Role role, int turns) {
    Winding w;
    w.role = role;
    w.turns = turns;
    return w;
}

// The primary carries the input power, P ÷ eta; the secondary only the
// output's charge: its mean rectifier current is the output current, whatever
// the efficiency, so its triangle during the reset time 1 − D' peaks at
// 2 × Io ÷ (1 − D'). The difference is the loss, spent in the clamp, the
// copper, the core and the switch.
void Windings(Plan& plan, const PlanInput& in) {
    const Chain& c = in.chain;
    const double Io = Divide(c.P, c.Vo);
    const double reset = Subtract(1, plan.Dmax);
    const double Isp = Divide(Multiply(2, Io), reset);
    Winding primary = NewWinding(Role::Primary, plan.Np);
    primary.Irms_A = Multiply(plan.Ipk_A, SquareRoot(Divide(plan.Dmax, 3)));
    primary.Ipeak_A = plan.Ipk_A;
    Winding secondary = NewWinding(Role::Secondary, plan.Ns);
    secondary.Irms_A = Multiply(Isp, SquareRoot(Divide(reset, 3)));
    secondary.Ipeak_A = Isp;
    plan.windings = {primary, secondary};
    if (plan.Naux) plan.windings.push_back(NewWinding(Role::Bias, *plan.Naux));

    const auto enamelled = WiresOfKind(in.parts, catalogue::WireKind::Enamelled);
    const auto tripleInsulated = WiresOfKind(in.parts, catalogue::WireKind::TripleInsulated);
    for (Winding& w : plan.windings) {
        const bool tiw = w.role == Role::Secondary && in.options.tripleInsulatedSecondary;
        ChooseWire(w, tiw ? tripleInsulated : enamelled, in.options.J_A_mm2, plan.skinDepth_mm);
        LayOut(w, plan.core->winding_width_mm);
        if (w.Irms_A) {
            w.J_A_mm2 =
                Divide(*w.Irms_A, Multiply(SquareMillimetres(w.wire->conductor_mm), w.strands));
        }
        CopperLoss(w, *plan.core);
    }
    const double ripple = Subtract(Power(*secondary.Irms_A, 2), Power(Io, 2));
    if (ripple >= 0) plan.IcapRms_A = SquareRoot(ripple);
}

void Build(Plan& plan) {
    double build = 0, copper = 0;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        Winding& w = plan.windings[i];
        if (i > 0) {
            const int tapes = w.role == Role::Secondary ? k::kTapeLayersPrimaryToSecondary
                                                        : k::kTapeLayersBetweenWindings;
            w.tapeBefore_mm = Multiply(tapes, k::kTape_mm);
            build = Add(build, w.tapeBefore_mm);
        }
        build = Add(build, w.height_mm);
        copper = Add(copper, Multiply(Multiply(SquareMillimetres(w.wire->conductor_mm), w.strands),
                                      w.turns));
    }
    plan.build_mm = build;
    plan.fill = Divide(copper, plan.core->window_mm2);
    plan.fits = plan.build_mm <= plan.core->winding_height_mm && plan.fill <= plan.options.fillMax;
}

void Losses(Plan& plan, const Chain& c) {
    double copper = 0;
    bool copperKnown = true;
    for (const Winding& w : plan.windings) {
        if (w.role == Role::Bias) continue;
        if (w.P_W) {
            copper = Add(copper, *w.P_W);
        } else {
            copperKnown = false;
        }
    }
    if (copperKnown) plan.Pcopper_W = copper;
    const auto density = catalogue::LossDensity(*plan.material, c.f, Divide(plan.Bpk_T, 2),
                                                k::kWorkingTemperature_C);
    if (density) plan.Pcore_W = Multiply(*density, Multiply(plan.core->Ve_mm3, 1e-9));
    const catalogue::Core& core = *plan.core;
    const bool potShaped = core.family == "RM" || core.family == "EP";
    const double Ks = potShaped ? k::kSurfaceCoefficientPot : k::kSurfaceCoefficientE;
    // A bobbin's window is a little smaller than the core's: where the data
    // lacks the latter, the surface comes out smaller and the rise higher.
    plan.thermalWindowIsCores = core.coreWindow_mm2.has_value();
    plan.thermalWindow_mm2 = core.coreWindow_mm2.value_or(core.window_mm2);
    const double window_cm2 = Multiply(plan.thermalWindow_mm2, 1e-2);
    plan.areaProduct_cm4 = Multiply(Multiply(core.Ae_mm2, 1e-2), window_cm2);
    plan.surface_cm2 = Multiply(Ks, SquareRoot(*plan.areaProduct_cm4));
    if (!plan.Pcopper_W || !plan.Pcore_W) return;
    const double loss = Add(*plan.Pcopper_W, *plan.Pcore_W);
    plan.dT_K = Multiply(k::kRiseFactor, Power(Divide(loss, *plan.surface_cm2), k::kRiseExponent));
}

void ClampAndStresses(Plan& plan, const PlanInput& in) {
    const Chain& c = in.chain;
    Clamp& clamp = plan.clamp;
    clamp.V = Add(plan.Vor_V, c.Vspike);
    clamp.leakage_H = Multiply(in.options.leakage, plan.Lp_H);
    clamp.P_W = Divide(Multiply(Multiply(Multiply(0.5, clamp.leakage_H), Power(plan.Ipk_A, 2)),
                                Multiply(c.f, clamp.V)),
                       Subtract(clamp.V, plan.Vor_V));
    clamp.R_ohm = Divide(Power(clamp.V, 2), clamp.P_W);
    clamp.C_F = Divide(1, Multiply(Multiply(k::kClampRipple, clamp.R_ohm), c.f));
    plan.Vrectifier_V = Add(c.Vo, Divide(Multiply(c.Vmax, plan.Ns), plan.Np));
    plan.Vswitch_V = Add(Add(c.Vmax, plan.Vor_V), c.Vspike);
}

Plan PlanOn(const catalogue::Core& core, const PlanInput& in) {
    const Chain& c = in.chain;
    const Options& o = in.options;
    Plan plan;
    plan.options = o;
    plan.core = &core;
    plan.material = &in.material;
    const double Ae_m2 = Multiply(core.Ae_mm2, 1e-6);
    const Turns t = ChooseTurns(c, Ae_m2, o.Bmax_T);
    plan.Np = t.Np;
    plan.Ns = t.Ns;
    plan.Vor_V = t.Vor;
    plan.Dmax = t.D;
    plan.Lp_H = t.Lp;
    plan.Ipk_A = t.Ipk;
    plan.Bpk_T = t.Bpk;
    plan.BpkLimit_T = Multiply(k::kCurrentLimitMargin, t.Bpk);
    if (in.material.Bsat_100C_mT) plan.Bsat100_T = Divide(*in.material.Bsat_100C_mT, 1000);
    if (o.Vaux_V) {
        const double turns = std::ceil(Divide(Multiply(t.Ns, Add(*o.Vaux_V, k::kBiasDiodeDrop)),
                                              Add(c.Vo, k::kRectifierDrop)));
        plan.Naux = WholeCount(turns, kMaxTurns, "辅助绕组匝数");
    }
    const double Np2 = Multiply(t.Np, t.Np);
    plan.AL_nH = Multiply(Divide(t.Lp, Np2), 1e9);
    double gap_m = Divide(Multiply(Multiply(k::kMu0, Np2), Ae_m2), t.Lp);
    if (in.material.mu_i)
        gap_m = Subtract(gap_m, Divide(Multiply(core.le_mm, 1e-3), *in.material.mu_i));
    plan.gap_mm = Multiply(gap_m, 1e3);
    plan.skinDepth_mm = SkinDepth_mm(c.f);
    plan.f_Hz = c.f;
    Windings(plan, in);
    Build(plan);
    Losses(plan, c);
    ClampAndStresses(plan, in);
    return plan;
}

bool FamilyAllowed(const catalogue::Core& core, const Options& options) {
    return options.families.empty() || std::find(options.families.begin(), options.families.end(),
                                                 core.family) != options.families.end();
}

// The smallest core by volume that is large enough and holds the windings;
// when none holds them, the largest, which comes nearest.
Plan ChooseCore(const PlanInput& in, bool& noneFits) {
    std::vector<const catalogue::Core*> cores;
    for (const catalogue::Core& core : in.parts.cores) {
        if (core.Automatic() && FamilyAllowed(core, in.options)) cores.push_back(&core);
    }
    if (cores.empty()) throw PlanLimit{"所选磁芯系列中没有带骨架数据的磁芯。"};
    std::stable_sort(cores.begin(), cores.end(),
                     [](const auto* a, const auto* b) { return a->Ve_mm3 < b->Ve_mm3; });
    for (const catalogue::Core* core : cores) {
        if (Multiply(core->Ae_mm2, 1e-6) < in.chain.AeRequired_m2) continue;
        Plan plan = PlanOn(*core, in);
        if (plan.fits) return plan;
    }
    noneFits = true;
    return PlanOn(*cores.back(), in);
}

}  // namespace

std::vector<long> ConductorsPerLayer(const Winding& w, double width_mm) {
    const auto capacity = static_cast<long>(ConductorsAcross(width_mm, w.outer_mm));
    std::vector<long> layers;
    if (w.strands <= capacity) {
        const long across = static_cast<long>(w.turnsPerLayer) * w.strands;
        for (long left = static_cast<long>(w.turns) * w.strands; left > 0; left -= across) {
            layers.push_back(std::min(across, left));
        }
        return layers;
    }
    for (int turn = 0; turn < w.turns; ++turn) {
        for (long left = w.strands; left > 0; left -= capacity) {
            layers.push_back(std::min(capacity, left));
        }
    }
    return layers;
}

std::string_view RoleCaption(Role role) {
    switch (role) {
        case Role::Primary:
            return "初级";
        case Role::Secondary:
            return "次级";
        case Role::Bias:
            return "辅助";
    }
    return {};
}

std::string_view RoleName(Role role) {
    switch (role) {
        case Role::Primary:
            return "primary";
        case Role::Secondary:
            return "secondary";
        case Role::Bias:
            return "bias";
    }
    return {};
}

PlanOutcome PlanWinding(const record::DesignRecord& record, const Options& options,
                        const catalogue::Catalogue& parts) {
    if (record.outcome.error) return {std::nullopt, "计算没有完成，没有绕制方案。"};
    for (const record::Warning& warning : record.warnings) {
        if (warning.strength == record::Warning::Strength::Invalid) {
            return {std::nullopt, "输入无效，没有绕制方案：" + warning.Line()};
        }
    }
    if (const OptionProblem problem = CheckOptions(options, parts)) {
        return {std::nullopt, "绕制方案的选项有误：" + OptionProblemCaption(problem)};
    }
    const catalogue::Material& material = *parts.FindMaterial(options.material);
    try {
        const Chain chain = ChainOf(record);
        if (!Meaningful(chain))
            return {std::nullopt, "计算结果不能用于绕制（有不为正的量），没有绕制方案。"};
        const PlanInput in{chain, options, parts, material};
        bool noneFits = false;
        Plan plan = options.core.empty() ? ChooseCore(in, noneFits)
                                         : PlanOn(*parts.FindCore(options.core), in);
        AddWarnings(plan, chain.AeRequired_m2, noneFits);
        // A doubtful input (a frequency typed in Hz, say) comes first: the
        // plan is of the numbers as typed, which may not be what was meant.
        std::vector<PlanWarning> doubts;
        for (const record::Warning& warning : record.warnings) {
            if (warning.box != record::Warning::Box::Input) continue;
            if (warning.strength != record::Warning::Strength::Caution) continue;
            doubts.push_back({kInputDoubtful, record::Warning::Strength::Caution,
                              "输入可疑，以下方案按所输入的值计算：" +
                                  std::string(warning.BoxCaption()) + "：" + warning.message});
        }
        plan.warnings.insert(plan.warnings.begin(), doubts.begin(), doubts.end());
        return {std::move(plan), {}};
    } catch (const PlanLimit& limit) {
        return {std::nullopt, limit.message};
    } catch (const runtime::RuntimeError& fault) {
        return {std::nullopt, "绕制方案无法算出：" + std::string(fault.what())};
    }
}

}  // namespace flyback::winding
