#pragma once

#include <array>
#include <optional>
#include <vector>

namespace flyback::capacitance {

// The electric field of a wound build, layer by layer, in one dimension:
// each pair of facing layers is a capacitor across the insulation between
// them, its voltage the difference of the two layers' voltages along the
// width. Where the voltages run linearly across the width (a layer's turns
// spread evenly over it), the field's energy and the charge it moves follow
// from the two edges alone.

// The permittivity of free space, F/m.
inline constexpr double kEpsilon0 = 8.8541878128e-12;

// A layer's conductor as the field between the layers sees it: round (a
// wire, or a litz bundle taken as one round conductor), touching its
// neighbours across the layer, with its own insulation; or flat (foil, a
// foil shield) lying on the insulation beside it.
struct Conductor {
    bool flat = false;
    double copper_mm = 0;  // round: the copper's diameter
    double outer_mm = 0;   // round: across its insulation, the layer's pitch
    double relative = 1;   // round: its insulation's permittivity
    // round: the share of the layer's width its conductors cover (turns
    // spread over a layer leave gaps the field does not cross).
    double coverage = 1;
    // Its half-layer per area once worked out (Prepared): a winding's
    // layers share one conductor, and the sum across a pitch is the work.
    double prepared_F_m2 = 0;
};

// The conductor with its half-layer per area worked out once.
Conductor Prepared(Conductor conductor);

// A slab of insulation between two layers: a tape's thickness or the
// insulation wound with foil, and its permittivity.
struct Slab {
    double thickness_mm = 0;
    double relative = 1;
};

// One layer of the build, counted from the centre out.
struct Layer {
    int group = 0;               // the winding (or the shield) it belongs to
    bool secondarySide = false;  // beyond the barrier, with the outputs' return
    Conductor conductor;
    double width_mm = 0;  // across the bobbin
    // Its voltage at either edge of the width, per volt the drain swings.
    double edge0 = 0, edge1 = 0;
    // The whole winding it is part of (a split winding's halves share one;
    // negative for a shield), and where its edges lie along that winding,
    // from its dot (0) to its other end (1).
    int winding = -1;
    double along0 = 0, along1 = 0;
    // The mean turn length where it faces the next layer out, and the
    // insulation between them.
    double faceTurn_mm = 0;
    std::vector<Slab> toNext;
};

// Two facing layers: the capacitance between them as a bridge measures it
// (each side's ends joined), the plate area and the distance that
// capacitance equals in the insulation's own terms, and, per volt of the
// drain's swing, what they add to the drain's capacitance (twice their
// field's energy) and the charge the swing moves from the inner to the
// outer layer.
struct Facing {
    int inner = 0, outer = 0;  // the layers' indices
    double C_F = 0, area_mm2 = 0, distance_mm = 0;
    double drainShare_F = 0, charge_F = 0;
};

// Per square metre, F/m²: a layer of round conductors against a plane
// touching their insulation, by straight field lines from the copper through
// its insulation and the air beside it, summed across one pitch; infinite
// for a flat conductor (it lies on the plane).
double HalfLayerPerArea(const Conductor& conductor);

// Per square metre: two layers in series with the slabs between them.
double PerArea(const Conductor& inner, const std::vector<Slab>& slabs, const Conductor& outer);

// A pair of facing layers: the layers' voltages run linearly from edge0 to
// edge1, so the difference does too, Δ0 to Δ1; the energy ½ C (Δ0² + Δ0 Δ1
// + Δ1²) ÷ 3 and the charge C (Δ0 + Δ1) ÷ 2.
Facing Between(const std::vector<Layer>& layers, int inner);

std::vector<Facing> Facings(const std::vector<Layer>& layers);

// Sums over the facings.
struct Totals {
    double drain_F = 0;             // what the build adds to the drain's capacitance
    double commonMode_F = 0;        // charge per drain volt from the primary side to the secondary
    double primarySecondary_F = 0;  // every facing across the barrier, as a bridge measures it
};
Totals Sum(const std::vector<Layer>& layers, const std::vector<Facing>& facings);

// A group's own capacitance referred to its own ends: its facings' share of
// the drain's capacitance times the square of the drain's swing over its
// own (a winding of N turns swings N ÷ Np of the drain).
double OwnCapacitance(const std::vector<Layer>& layers, const std::vector<Facing>& facings,
                      int group, double swingOfDrain);

// Two windings' four ends as six capacitors, from the field's energy as a
// quadratic form of the ends' voltages (each layer's voltage runs between
// its winding's ends in proportion to where it lies along it): C1 across
// a (dot to end), C2 across b, C3 a's dot to b's dot, C4 end to end, C5 a's
// dot to b's end, C6 a's end to b's dot. Linear distributions may make an
// element negative; the four between the windings sum to the bridge's C.
std::array<double, 6> SixCapacitors(const std::vector<Layer>& layers,
                                    const std::vector<Facing>& facings, int a, int b);

// The capacitance between two groups, as a bridge measures it: their facings' C.
double GroupsBetween(const std::vector<Layer>& layers, const std::vector<Facing>& facings, int a,
                     int b);

}  // namespace flyback::capacitance
