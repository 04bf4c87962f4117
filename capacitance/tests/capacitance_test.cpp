#include "capacitance/capacitance.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace flyback::capacitance {
namespace {

Layer Flat(int group, bool secondary, double edge0, double edge1, std::vector<Slab> toNext = {}) {
    Layer l;
    l.group = group;
    l.secondarySide = secondary;
    l.conductor.flat = true;
    l.width_mm = 10;
    l.faceTurn_mm = 50;
    l.edge0 = edge0;
    l.edge1 = edge1;
    l.toNext = std::move(toNext);
    return l;
}

const Slab kTape{0.06, 3.3};

// Plates 10 mm × 50 mm across 0.06 mm of polyester: ε0 × 3.3 × 500 mm² ÷ 0.06 mm.
TEST(CapacitanceTest, FlatLayersAcrossATapeAreAParallelPlate) {
    const std::vector<Layer> layers = {Flat(0, false, 1, 1, {kTape}), Flat(1, true, 0, 0)};
    const Facing f = Between(layers, 0);
    const double byHand = kEpsilon0 * 3.3 * 500e-6 / 0.06e-3;  // 243.5 pF
    EXPECT_NEAR(f.C_F, byHand, byHand * 1e-12);
    EXPECT_NEAR(f.distance_mm, 0.06 / 3.3, 1e-12);
    // A whole volt across it everywhere: its energy ½ C, its charge C.
    EXPECT_NEAR(f.drainShare_F, byHand, byHand * 1e-12);
    EXPECT_NEAR(f.charge_F, byHand, byHand * 1e-12);
    EXPECT_NEAR(Sum(layers, {f}).commonMode_F, byHand, byHand * 1e-12);
}

// With air for insulation (εr = 1) the straight lines' sum has a closed
// form: ∫ a cos θ dθ ÷ (b − a cos θ) over ±π/2 = b I − π, where
// I = 4 ÷ √(b² − a²) × atan(√((b + a) ÷ (b − a))).
TEST(CapacitanceTest, RoundLayerMatchesItsClosedFormInAir) {
    const struct {
        double copper_mm, outer_mm;
    } kWires[] = {{0.25, 0.30}, {0.5, 0.54}, {1.0, 1.1}, {0.1, 0.125}};
    for (const auto& w : kWires) {
        const double a = w.copper_mm / 2 * 1e-3, b = w.outer_mm / 2 * 1e-3;
        const double I = 4 / std::sqrt(b * b - a * a) * std::atan(std::sqrt((b + a) / (b - a)));
        const double byHand = kEpsilon0 * (b * I - std::numbers::pi) / (2 * b);
        const double ours = HalfLayerPerArea({false, w.copper_mm, w.outer_mm, 1});
        EXPECT_NEAR(ours, byHand, byHand * 1e-4) << w.copper_mm;
    }
}

// Enamel holds more field than air, and a thicker insulation less: the
// half-layer rises with the permittivity and falls as the wire's build grows.
TEST(CapacitanceTest, RoundLayerFollowsItsInsulation) {
    const double air = HalfLayerPerArea({false, 0.5, 0.54, 1});
    const double enamel = HalfLayerPerArea({false, 0.5, 0.54, 3.8});
    const double thick = HalfLayerPerArea({false, 0.5, 0.65, 3.8});
    EXPECT_GT(enamel, air);
    EXPECT_LT(thick, enamel);
    // Never above a plate at the insulation's own thickness.
    EXPECT_LT(enamel, kEpsilon0 * 3.8 / 0.02e-3);
}

// A winding of m equal layers wound to and fro: adjacent layers meet at one
// edge at the same turn and differ by two layers' voltage at the other, so
// its own capacitance is 4 C (m − 1) ÷ (3 m²) of one pair's C.
TEST(CapacitanceTest, AWindingsOwnCapacitanceIsTheEnergyMethods) {
    for (const int m : {2, 3, 4, 6}) {
        std::vector<Layer> layers;
        for (int j = 0; j < m; ++j) {
            const double from = 1 - static_cast<double>(j) / m, to = 1 - (j + 1.0) / m;
            layers.push_back(j % 2 == 0 ? Flat(0, false, from, to, {kTape})
                                        : Flat(0, false, to, from, {kTape}));
        }
        const std::vector<Facing> facings = Facings(layers);
        const double pair = facings.front().C_F;
        EXPECT_NEAR(OwnCapacitance(layers, facings, 0, 1), 4 * pair * (m - 1) / (3.0 * m * m),
                    pair * 1e-12)
            << m;
        // The same winding of a tenth of the drain's swing: its own ends see
        // a hundredth of the energy per drain volt.
        for (Layer& l : layers) l.edge0 /= 10, l.edge1 /= 10;
        const std::vector<Facing> tenth = Facings(layers);
        EXPECT_NEAR(OwnCapacitance(layers, tenth, 0, 0.1), 4 * pair * (m - 1) / (3.0 * m * m),
                    pair * 1e-12);
    }
}

// The charge the drain's swing drives across the barrier, per volt: the
// primary's last layer (a third of the swing down to its quiet end) against
// a one-layer secondary of a tenth of the primary's turns, its swinging end
// first; a grounded foil between them leaves the secondary's own swing; a
// wound shield of the secondary's turns, in phase, cancels it.
TEST(CapacitanceTest, AShieldTakesTheCommonModeChargeAway) {
    const double ns = 0.1;  // the secondary's swing, of the drain's
    const Layer primary = Flat(0, false, 1.0 / 3, 0, {kTape});
    const Layer secondary = Flat(1, true, ns, 0);
    const std::vector<Layer> bare = {primary, secondary};
    const double C = Between(bare, 0).C_F;
    EXPECT_NEAR(Sum(bare, Facings(bare)).commonMode_F, C * (1.0 / 3 - ns) / 2, C * 1e-12);

    const std::vector<Layer> foil = {primary, Flat(2, false, 0, 0, {kTape}), secondary};
    EXPECT_NEAR(Sum(foil, Facings(foil)).commonMode_F, -C * ns / 2, C * 1e-12);

    const std::vector<Layer> wound = {primary, Flat(2, false, ns, 0, {kTape}), secondary};
    EXPECT_NEAR(Sum(wound, Facings(wound)).commonMode_F, 0, C * 1e-15);
    // The bridge sees the barrier's plates either way.
    EXPECT_NEAR(Sum(wound, Facings(wound)).primarySecondary_F, C, C * 1e-12);
    EXPECT_NEAR(GroupsBetween(wound, Facings(wound), 2, 1), C, C * 1e-12);
    EXPECT_EQ(GroupsBetween(wound, Facings(wound), 0, 1), 0);
}

// Two plates facing, each a winding from its dot at one edge to its end at
// the other: by hand, the quadratic form gives C1 = C2 = −C ÷ 6, C3 = C4 =
// C ÷ 3 and C5 = C6 = C ÷ 6; the four between them sum to C. Swapping one
// winding's direction swaps which ends face.
TEST(CapacitanceTest, TwoWindingsSixCapacitorsAreTheFieldsEnergy) {
    std::vector<Layer> layers = {Flat(0, false, 1, 0, {kTape}), Flat(1, true, 0, 0)};
    layers[0].winding = 0, layers[0].along0 = 0, layers[0].along1 = 1;
    layers[1].winding = 1, layers[1].along0 = 0, layers[1].along1 = 1;
    const std::vector<Facing> facings = Facings(layers);
    const double C = facings.front().C_F;
    const std::array<double, 6> same = SixCapacitors(layers, facings, 0, 1);
    const double byHand[] = {-C / 6, -C / 6, C / 3, C / 3, C / 6, C / 6};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(same[i], byHand[i], C * 1e-12) << i;
    EXPECT_NEAR(same[2] + same[3] + same[4] + same[5], C, C * 1e-12);

    layers[1].along0 = 1, layers[1].along1 = 0;
    const std::array<double, 6> crossed = SixCapacitors(layers, facings, 0, 1);
    EXPECT_NEAR(crossed[4], C / 3, C * 1e-12);  // a's dot faces b's end
    EXPECT_NEAR(crossed[5], C / 3, C * 1e-12);
    EXPECT_NEAR(crossed[2], C / 6, C * 1e-12);
    // Neither winding a layer of: nothing.
    for (const double c : SixCapacitors(layers, facings, 2, 3)) EXPECT_EQ(c, 0);
}

}  // namespace
}  // namespace flyback::capacitance
