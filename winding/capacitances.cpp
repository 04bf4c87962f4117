#include "winding/capacitances.hpp"

#include <cmath>
#include <numbers>

#include "capacitance/capacitance.hpp"
#include "insulation/requirements.hpp"
#include "winding/ac_resistance.hpp"
#include "winding/layout.hpp"
#include "winding/physics.hpp"
#include "winding/wire_candidates.hpp"

namespace flyback::winding {

std::pair<double, double> LayerSwing(const Plan& plan, const Winding& w, int layer) {
    const double whole = WholeTurns(plan, w);
    // A second half continues the turns of the first.
    const double before = w.half == 2 ? whole - w.turns : 0;
    const double perLayer = static_cast<double>(w.turns) / w.layers;
    const double from = before + layer * perLayer, to = from + perLayer;
    const double Np = plan.Np;
    // A stacked section's lower end is the tap below, which swings too.
    const double below = TurnsBelow(plan, w);
    const double start = (below + whole - from) / Np, end = (below + whole - to) / Np;
    if (layer % 2 == 0) return {start, end};
    return {end, start};
}

namespace {

bool SecondarySide(const Winding& w) {
    return w.role == Role::Secondary;
}

// The wire a wound shield is wound of: the bias winding's, else the
// primary's (a litz primary's strand).
const catalogue::Wire* ShieldWire(const Plan& plan) {
    for (const Role role : {Role::Bias, Role::Primary}) {
        for (const Winding& w : plan.windings) {
            if (w.role == role && w.wire && w.wire->Outer()) return w.wire;
        }
    }
    return nullptr;
}

// Cancelling the secondary layer it faces: the shield's charge per drain
// volt is its mean swing, turns ÷ (2 Np) from its tied end; the layer's is
// the mean of its edges.
int CancellingTurns(const Plan& plan, const Winding& secondary, int layer) {
    const auto [edge0, edge1] = LayerSwing(plan, secondary, layer);
    return std::max(1, static_cast<int>(std::lround((edge0 + edge1) * plan.Np)));
}

ShieldPlan WoundShield(const Plan& plan, ShieldPlan s, const Winding& secondary, int layer) {
    s.wire = ShieldWire(plan);
    s.turns = CancellingTurns(plan, secondary, layer);
    if (!s.wire) return s;
    const double outer = *s.wire->Outer();
    const double width = plan.insulation.width_mm;
    s.height_mm = outer;
    if (!(width > 0)) return s;  // margins take the whole width: nothing fits anyway
    const double across = std::floor(width / (s.turns * outer));
    s.strands = std::max(1, static_cast<int>(across));
    s.layers = across >= 1 ? 1 : static_cast<int>(std::ceil(s.turns * outer / width));
    s.height_mm = s.layers * outer;
    return s;
}

}  // namespace

std::vector<ShieldPlan> Shields(const Plan& plan) {
    std::vector<ShieldPlan> shields;
    const Shield kind = plan.options.shield;
    if (kind == Shield::None) return shields;
    for (std::size_t i = 1; i < plan.windings.size(); ++i) {
        const Winding& before = plan.windings[i - 1];
        const Winding& after = plan.windings[i];
        if (SecondarySide(before) == SecondarySide(after)) continue;
        ShieldPlan s;
        s.kind = kind;
        s.before = static_cast<int>(i);
        if (kind == Shield::Foil) {
            s.foil_mm = kFoilThicknesses_mm.front();
            s.height_mm = s.foil_mm;
        } else if (SecondarySide(after)) {
            s = WoundShield(plan, s, after, 0);
        } else {
            s = WoundShield(plan, s, before, before.layers - 1);
        }
        shields.push_back(s);
    }
    return shields;
}

namespace {

using capacitance::Conductor;
using capacitance::Layer;
using capacitance::Slab;

double Relative(std::string_view material) {
    const insulation::Dielectric* d = insulation::DielectricOf(material);
    return d ? d->relative : 0;
}

// Its insulation's permittivity; none where the data has no figure for it.
std::optional<double> InsulationOf(const catalogue::Wire& wire) {
    if (wire.kind == catalogue::WireKind::Enamelled) return Relative("enamel");
    if (wire.insulation.find("ETFE") != std::string::npos) return Relative("ETFE");
    return std::nullopt;
}

double TapeRelative() {
    return Relative(insulation::TapeMaterial(insulation::PlanTape()));
}

// The share of the width a layer's conductors cover: their field is that
// share of a full row's.
double Coverage(double conductors, double outer_mm, double width_mm) {
    return std::min(1.0, conductors * outer_mm / width_mm);
}

struct Stack {
    std::vector<Layer> layers;
    const catalogue::Wire* unknown = nullptr;  // a wire whose insulation has no figure
};

Conductor RoundOf(const catalogue::Wire& wire, double outer_mm, double copper_mm, Stack& stack) {
    const std::optional<double> relative = InsulationOf(wire);
    if (!relative) stack.unknown = &wire;
    return {false, copper_mm, outer_mm, relative.value_or(1), 1};
}

Conductor ConductorOf(const Winding& w, const Plan& plan, Stack& stack) {
    if (w.conductor == winding::Conductor::Foil) return {true};
    const catalogue::Wire& wire = *w.wire;
    const double strandBuild = *wire.Outer() - wire.conductor_mm;
    // A litz bundle as one round conductor: its outermost strands' enamel
    // between its copper and its surface, the serving taken as air.
    const double copper =
        w.conductor == winding::Conductor::Litz ? w.outer_mm - strandBuild : wire.conductor_mm;
    Conductor c = RoundOf(wire, w.outer_mm, copper, stack);
    const double perLayer = static_cast<double>(w.turns) / w.layers * ConductorsPerTurn(w);
    c.coverage =
        Coverage(w.conductor == winding::Conductor::Litz ? static_cast<double>(w.turns) / w.layers
                                                         : perLayer,
                 w.outer_mm, plan.insulation.width_mm);
    return c;
}

Layer ShieldLayer(const Plan& plan, const ShieldPlan& s, int group, Stack& stack) {
    Layer l;
    l.group = group;
    l.width_mm = plan.insulation.width_mm;
    if (s.kind == Shield::Foil || !s.wire) {
        l.conductor.flat = true;
        return l;
    }
    l.conductor = RoundOf(*s.wire, *s.wire->Outer(), s.wire->conductor_mm, stack);
    l.conductor.coverage = Coverage(static_cast<double>(s.turns) * s.strands / s.layers,
                                    *s.wire->Outer(), plan.insulation.width_mm);
    l.edge1 = static_cast<double>(s.turns) / plan.Np;
    return l;
}

double TurnAt(const Plan& plan, double y_mm) {
    return TurnLengthAt(*plan.core, y_mm).value_or(0);
}

// The insulation between the last layer laid and the next, and the shield
// among it where there is one (on the primary side, a tape from its winding).
void Between(const Plan& plan, std::size_t i, Stack& stack, double& y) {
    const Winding& w = plan.windings[i];
    const Slab barrier{w.tapeBefore_mm, TapeRelative()};
    const Slab tape{insulation::PlanTape().thickness_mm, TapeRelative()};
    const ShieldPlan* s = ShieldBefore(plan, i);
    if (!s) {
        stack.layers.back().toNext = {barrier};
        y += w.tapeBefore_mm;
        return;
    }
    const int group = static_cast<int>(plan.windings.size() + (s - plan.shields.data()));
    const bool fromPrimarySide = !SecondarySide(plan.windings[i - 1]);
    const Slab first = fromPrimarySide ? tape : barrier, second = fromPrimarySide ? barrier : tape;
    stack.layers.back().toNext = {first};
    y += first.thickness_mm + s->height_mm;
    Layer shield = ShieldLayer(plan, *s, group, stack);
    shield.conductor = capacitance::Prepared(shield.conductor);
    shield.faceTurn_mm = TurnAt(plan, y);
    shield.toNext = {second};
    stack.layers.push_back(shield);
    y += second.thickness_mm;
}

Stack StackOf(const Plan& plan) {
    Stack stack;
    double y = 0;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const Winding& w = plan.windings[i];
        if (i > 0) Between(plan, i, stack, y);
        const Conductor conductor = capacitance::Prepared(ConductorOf(w, plan, stack));
        for (int j = 0; j < w.layers; ++j) {
            Layer l;
            l.group = static_cast<int>(i);
            l.secondarySide = SecondarySide(w);
            l.conductor = conductor;
            l.width_mm =
                w.conductor == winding::Conductor::Foil ? w.foilWidth_mm : plan.insulation.width_mm;
            std::tie(l.edge0, l.edge1) = LayerSwing(plan, w, j);
            // The swing falls from 1 at the dot to 0 at the end, in Np's
            // share of the whole winding: where each edge lies along it.
            l.winding = WholeIndex(plan, i);
            const double whole = static_cast<double>(WholeTurns(plan, w)) / plan.Np;
            const double below = static_cast<double>(TurnsBelow(plan, w)) / plan.Np;
            l.along0 = 1 - (l.edge0 - below) / whole;
            l.along1 = 1 - (l.edge1 - below) / whole;
            y += w.outer_mm;
            l.faceTurn_mm = TurnAt(plan, y);
            // Foil is wound with its tape; round layers lie on each other.
            if (w.conductor == winding::Conductor::Foil)
                l.toNext = {{w.outer_mm - w.foilThickness_mm, TapeRelative()}};
            stack.layers.push_back(l);
        }
    }
    return stack;
}

// The primary's copper at the ring's frequency: each half's resistance
// times Dowell's factor with the penetration grown as √f.
std::optional<double> PrimaryResistanceAt(const Plan& plan, double hertz) {
    double sum = 0;
    for (const Winding& w : plan.windings) {
        if (w.role != Role::Primary) continue;
        if (!w.R_ohm) return std::nullopt;
        const double delta =
            PenetrationOf(w, plan, physics::kWorkingTemperature_C) * std::sqrt(hertz / plan.f_Hz);
        sum += *w.R_ohm * DowellFactor(delta, DowellLayers(w));
    }
    return sum;
}

double Ring(double L_H, double C_F) {
    return 1 / (2 * std::numbers::pi * std::sqrt(L_H * C_F));
}

void Rings(Capacitances& c, const Plan& plan) {
    const double leakage = plan.clamp.estimate_H.value_or(plan.clamp.leakage_H);
    c.leakageRing_Hz = Ring(leakage, c.drain_F);
    c.valleyRing_Hz = Ring(plan.Lp_H, c.drain_F);
    if (const std::optional<double> R = PrimaryResistanceAt(plan, c.leakageRing_Hz))
        c.damping = *R / 2 * std::sqrt(c.drain_F / leakage);
    c.edge_V_s = plan.Ipk_A / c.drain_F;
    c.displacement_A = std::abs(c.commonMode_F) * c.edge_V_s;
}

}  // namespace

void Capacitance(Plan& plan) {
    plan.capacitance.reset();
    plan.capacitanceGap = CapacitanceGap::None;
    plan.capacitanceWire = nullptr;
    if (!plan.core->MLT_mm) {
        plan.capacitanceGap = CapacitanceGap::NoMeanTurn;
        return;
    }
    if (!(plan.insulation.width_mm > 0)) {
        plan.capacitanceGap = CapacitanceGap::NoWidth;
        return;
    }
    const Stack stack = StackOf(plan);
    if (stack.unknown) {
        plan.capacitanceGap = CapacitanceGap::Insulation;
        plan.capacitanceWire = stack.unknown;
        return;
    }
    const std::vector<capacitance::Facing> facings = capacitance::Facings(stack.layers);
    const capacitance::Totals totals = capacitance::Sum(stack.layers, facings);
    Capacitances c;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const Winding& w = plan.windings[i];
        const double swing = static_cast<double>(WholeTurns(plan, w)) / plan.Np;
        c.windings.push_back(
            {capacitance::OwnCapacitance(stack.layers, facings, static_cast<int>(i), swing)});
        if (w.role == Role::Primary)
            c.primarySelf_F +=
                capacitance::OwnCapacitance(stack.layers, facings, static_cast<int>(i), 1);
    }
    for (const capacitance::Facing& f : facings) {
        const int inner = stack.layers[static_cast<std::size_t>(f.inner)].group;
        const int outer = stack.layers[static_cast<std::size_t>(f.outer)].group;
        if (inner != outer) c.facings.push_back({inner, outer, f.C_F, f.area_mm2, f.distance_mm});
    }
    const std::vector<int> wholes = WholeWindings(plan);
    for (std::size_t a = 0; a < wholes.size(); ++a) {
        for (std::size_t b = a + 1; b < wholes.size(); ++b) {
            const auto six =
                capacitance::SixCapacitors(stack.layers, facings, wholes[a], wholes[b]);
            if (six[2] + six[3] + six[4] + six[5] != 0)
                c.pairs.push_back({wholes[a], wholes[b], six});
        }
    }
    c.primarySecondary_F = totals.primarySecondary_F;
    c.build_F = totals.drain_F;
    c.commonMode_F = totals.commonMode_F;
    const Choices& choices = plan.options.choices;
    c.drain_F = choices.Cds_F.value_or(choices.Coss_F + c.build_F);
    Rings(c, plan);
    plan.capacitance = c;
}

}  // namespace flyback::winding
