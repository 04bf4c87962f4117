#include "capacitance/capacitance.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "portable_math/portable_math.hpp"

namespace flyback::capacitance {
namespace {

// Enough steps that the sum over the pitch is within a part in ten
// thousand of its limit for the thinnest insulation wound.
constexpr int kSteps = 400;

// A straight line at height y across a round conductor's copper (radius a)
// and insulation (radius b) meets the plane at b: insulation first, then air.
double PathAt(double y, double a, double b, double relative) {
    const double copperEdge = std::sqrt(a * a - y * y);
    const double outerEdge = std::sqrt(b * b - y * y);
    return (outerEdge - copperEdge) / relative + (b - outerEdge);
}

}  // namespace

double HalfLayerPerArea(const Conductor& c) {
    if (c.flat) return std::numeric_limits<double>::infinity();
    if (c.prepared_F_m2 > 0) return c.prepared_F_m2;
    const double a = c.copper_mm / 2 * 1e-3, b = c.outer_mm / 2 * 1e-3;
    // y = a sin θ across the copper's shadow; the midpoint of each step.
    double sum = 0;
    const double step = std::numbers::pi / kSteps;
    for (int i = 0; i < kSteps; ++i) {
        const double theta = -std::numbers::pi / 2 + (i + 0.5) * step;
        const double y = a * flyback_sin(theta);
        sum += a * flyback_cos(theta) * step / PathAt(y, a, b, c.relative);
    }
    return kEpsilon0 * sum / (2 * b) * c.coverage;
}

Conductor Prepared(Conductor conductor) {
    conductor.prepared_F_m2 = 0;
    if (!conductor.flat) conductor.prepared_F_m2 = HalfLayerPerArea(conductor);
    return conductor;
}

double PerArea(const Conductor& inner, const std::vector<Slab>& slabs, const Conductor& outer) {
    double elastance = 1 / HalfLayerPerArea(inner) + 1 / HalfLayerPerArea(outer);
    for (const Slab& s : slabs) elastance += s.thickness_mm * 1e-3 / (kEpsilon0 * s.relative);
    return 1 / elastance;
}

Facing Between(const std::vector<Layer>& layers, int inner) {
    const Layer& a = layers[static_cast<std::size_t>(inner)];
    const Layer& b = layers[static_cast<std::size_t>(inner) + 1];
    Facing f;
    f.inner = inner;
    f.outer = inner + 1;
    f.area_mm2 = std::min(a.width_mm, b.width_mm) * a.faceTurn_mm;
    f.C_F = PerArea(a.conductor, a.toNext, b.conductor) * f.area_mm2 * 1e-6;
    f.distance_mm = f.C_F > 0 ? kEpsilon0 * f.area_mm2 * 1e-3 / f.C_F : 0;
    const double d0 = a.edge0 - b.edge0, d1 = a.edge1 - b.edge1;
    f.drainShare_F = f.C_F * (d0 * d0 + d0 * d1 + d1 * d1) / 3;
    f.charge_F = f.C_F * (d0 + d1) / 2;
    return f;
}

std::vector<Facing> Facings(const std::vector<Layer>& layers) {
    std::vector<Facing> facings;
    for (std::size_t i = 0; i + 1 < layers.size(); ++i)
        facings.push_back(Between(layers, static_cast<int>(i)));
    return facings;
}

Totals Sum(const std::vector<Layer>& layers, const std::vector<Facing>& facings) {
    Totals t;
    for (const Facing& f : facings) {
        t.drain_F += f.drainShare_F;
        const Layer& a = layers[static_cast<std::size_t>(f.inner)];
        const Layer& b = layers[static_cast<std::size_t>(f.outer)];
        if (a.secondarySide == b.secondarySide) continue;
        t.primarySecondary_F += f.C_F;
        // The charge moves from the inner layer to the outer: from the
        // primary side where the primary side is within.
        t.commonMode_F += b.secondarySide ? f.charge_F : -f.charge_F;
    }
    return t;
}

double OwnCapacitance(const std::vector<Layer>& layers, const std::vector<Facing>& facings,
                      int group, double swingOfDrain) {
    double share = 0;
    for (const Facing& f : facings) {
        if (layers[static_cast<std::size_t>(f.inner)].group == group &&
            layers[static_cast<std::size_t>(f.outer)].group == group)
            share += f.drainShare_F;
    }
    return swingOfDrain > 0 ? share / (swingOfDrain * swingOfDrain) : 0;
}

namespace {

// The voltage difference across a facing at one edge, as weights of the
// four ends (a's dot, a's end, b's dot, b's end); none where a layer is of
// neither winding.
std::optional<std::array<double, 4>> Weights(const Layer& inner, double innerAt, const Layer& outer,
                                             double outerAt, int a, int b) {
    std::array<double, 4> w{};
    const auto add = [&](const Layer& l, double at, double sign) {
        const int base = l.winding == a ? 0 : l.winding == b ? 2 : -1;
        if (base < 0) return false;
        w[static_cast<std::size_t>(base)] += sign * (1 - at);
        w[static_cast<std::size_t>(base) + 1] += sign * at;
        return true;
    };
    if (!add(inner, innerAt, 1) || !add(outer, outerAt, -1)) return std::nullopt;
    return w;
}

}  // namespace

std::array<double, 6> SixCapacitors(const std::vector<Layer>& layers,
                                    const std::vector<Facing>& facings, int a, int b) {
    double M[4][4] = {};
    for (const Facing& f : facings) {
        const Layer& i = layers[static_cast<std::size_t>(f.inner)];
        const Layer& o = layers[static_cast<std::size_t>(f.outer)];
        const auto c0 = Weights(i, i.along0, o, o.along0, a, b);
        const auto c1 = Weights(i, i.along1, o, o.along1, a, b);
        if (!c0 || !c1) continue;
        // ½ C (Δ0² + Δ0 Δ1 + Δ1²) ÷ 3 = ½ vᵀ M v.
        for (std::size_t r = 0; r < 4; ++r) {
            for (std::size_t c = 0; c < 4; ++c) {
                M[r][c] += f.C_F / 3 *
                           ((*c0)[r] * (*c0)[c] + (*c1)[r] * (*c1)[c] +
                            ((*c0)[r] * (*c1)[c] + (*c1)[r] * (*c0)[c]) / 2);
            }
        }
    }
    return {-M[0][1], -M[2][3], -M[0][2], -M[1][3], -M[0][3], -M[1][2]};
}

double GroupsBetween(const std::vector<Layer>& layers, const std::vector<Facing>& facings, int a,
                     int b) {
    double C = 0;
    for (const Facing& f : facings) {
        const int i = layers[static_cast<std::size_t>(f.inner)].group;
        const int o = layers[static_cast<std::size_t>(f.outer)].group;
        if ((i == a && o == b) || (i == b && o == a)) C += f.C_F;
    }
    return C;
}

}  // namespace flyback::capacitance
