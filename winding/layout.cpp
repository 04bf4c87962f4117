#include "winding/layout.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "runtime/arithmetic.hpp"
#include "winding/physics.hpp"
#include "winding/plan_design.hpp"

namespace flyback::winding {

using plan_design::kMaxTurns;
using plan_design::WholeCount;
using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::SquareRoot;
using runtime::Subtract;
namespace k = physics;

double SkinDepth_mm(double hertz, double celsius) {
    const double metres = SquareRoot(
        Divide(CopperResistivity(celsius), Multiply(Multiply(std::numbers::pi, hertz), k::kMu0)));
    return Multiply(metres, 1e3);
}

std::vector<Ramp> CurrentOf(const Winding& w, const Plan& plan) {
    const OperatingPoint& p = plan.atVmin;
    if (w.role == Role::Primary) return PrimaryWaveform(p.Ipk, p.Iv, p.D);
    const double valley = Multiply(*w.Ipeak_A, Divide(p.Iv, p.Ipk));
    return SecondaryWaveform(*w.Ipeak_A, valley, p.D, p.D2);
}

double ConductorsAcross(double width_mm, double outer_mm) {
    return std::max(1.0, runtime::Floor(Divide(width_mm, outer_mm)));
}

namespace {

double LitzRows(const Winding& w) {
    return w.conductor == Conductor::Litz ? SquareRoot(w.strands) : 1;
}

}  // namespace

double PenetrationOf(const Winding& w, const Plan& plan, double celsius) {
    const double skin = SkinDepth_mm(plan.f_Hz, celsius);
    if (w.conductor == Conductor::Foil) return Divide(w.foilThickness_mm, skin);
    const double width = std::max(plan.insulation.width_mm, w.outer_mm);
    if (w.conductor == Conductor::Litz) {
        const double across = Multiply(w.turnsPerLayer, LitzRows(w));
        return PenetrationRatio(w.wire->conductor_mm, across, width, skin);
    }
    const double across = ConductorsAcross(width, w.outer_mm);
    const double perLayer = std::min(across, static_cast<double>(w.turnsPerLayer) * w.strands);
    return PenetrationRatio(w.wire->conductor_mm, perLayer, width, skin);
}

// A winding whose ampere-turns cross zero at fraction f of its build loses as
// two from zero, of f·m and (1 − f)·m layers; Dowell's factor, quadratic in
// the layers, makes that one winding of m·√(f³ + (1 − f)³).
double DowellLayers(const Winding& w) {
    const double layers = Multiply(w.layers, LitzRows(w));
    const double f = w.mmfCrossing;
    if (f <= 0) return layers;
    const double g = Subtract(1, f);
    return Multiply(layers,
                    SquareRoot(Add(Multiply(Multiply(f, f), f), Multiply(Multiply(g, g), g))));
}

void LayOut(Winding& w, double width_mm) {
    if (w.conductor == Conductor::Foil) {
        w.turnsPerLayer = 1;
        w.layers = w.turns;
        w.height_mm = Multiply(w.layers, w.outer_mm);
        return;
    }
    if (w.conductor == Conductor::Round) w.outer_mm = *w.wire->Outer();
    const double perTurn = ConductorsPerTurn(w);
    const double across = ConductorsAcross(width_mm, w.outer_mm);
    const double perLayer = runtime::Floor(Divide(across, perTurn));
    double layers = 0;
    if (perLayer >= 1) {
        w.turnsPerLayer = WholeCount(perLayer, kMaxTurns, Counted::TurnsPerLayer);
        layers = std::ceil(Divide(w.turns, perLayer));
    } else {  // a turn's strands take more than one row
        w.turnsPerLayer = 1;
        layers = Multiply(w.turns, std::ceil(Divide(perTurn, across)));
    }
    w.layers = WholeCount(layers, kMaxTurns, Counted::Layers);
    w.height_mm = Multiply(w.layers, w.outer_mm);
}

}  // namespace flyback::winding
