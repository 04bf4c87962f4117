#include "winding/capacitances.hpp"
#include "winding/leakage.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "record/design_record.hpp"
#include "winding/plan.hpp"

namespace flyback::winding {
namespace {

const numtext::InputTexts kAdapter{"18", "374.77", "100.45", "65", "85", "12"};

Plan AdapterPlan(const Options& options, const catalogue::Catalogue& parts = catalogue::BuiltIn()) {
    const PlanOutcome outcome = PlanWinding(record::RecordPress(kAdapter), options, parts);
    EXPECT_TRUE(outcome.plan) << PlanFailureName(outcome.failure);
    return *outcome.plan;
}

double Height(const Plan& plan) {
    double shields = 0;
    for (const Winding& w : plan.windings) shields += w.shieldBefore_mm;
    return shields;
}

// The secondary's own swing against a quiet foil: each face of a foil and
// the secondary's layer moves −C × that layer's mean swing across the barrier.
double AgainstQuietFoils(const Plan& plan) {
    double charge = 0;
    const int windings = static_cast<int>(plan.windings.size());
    for (const FacingCapacitance& f : plan.capacitance->facings) {
        const bool shieldInside = f.inner >= windings;
        const int secondary = shieldInside ? f.outer : f.inner;
        if ((f.inner >= windings) == (f.outer >= windings)) continue;
        const Winding& w = plan.windings[static_cast<std::size_t>(secondary)];
        if (w.role != Role::Secondary) continue;
        const auto [edge0, edge1] = LayerSwing(plan, w, shieldInside ? 0 : w.layers - 1);
        charge -= f.C_F * (edge0 + edge1) / 2;
    }
    return charge;
}

// The 18 W adapter, P-S-B and P-S-P, with each shield: one shield at every
// face where the primary side meets a secondary, as tall as it winds with a
// tape from the primary side's winding; a foil takes the primary's swing
// off the barrier and leaves the secondary's own against a quiet sheet
// (which a primary buried under four layers had all but done already), a
// wound shield of the turns its secondary layer swings cancels it; the
// field the leakage is reckoned from crosses the shield too; the margins
// and the creepage stay as they were.
TEST(CapacitancesTest, AShieldLowersTheCommonModeChargeAndWidensTheBuild) {
    for (const Order order : {Order::PSB, Order::PSP}) {
        SCOPED_TRACE(std::string(kOrderNames[static_cast<int>(order)]));
        Options options;
        options.order = order;
        options.construction = Construction::Margin;
        const Plan bare = AdapterPlan(options);
        ASSERT_TRUE(bare.capacitance);
        EXPECT_TRUE(bare.shields.empty());
        const double unshielded = std::abs(bare.capacitance->commonMode_F);
        EXPECT_GT(unshielded, 1e-12);

        for (const Shield shield : {Shield::Foil, Shield::Winding}) {
            SCOPED_TRACE(std::string(kShieldNames[static_cast<int>(shield)]));
            options.shield = shield;
            const Plan shielded = AdapterPlan(options);
            ASSERT_TRUE(shielded.capacitance);
            EXPECT_EQ(shielded.shields.size(), order == Order::PSP ? 2U : 1U);
            const double tape = insulation::PlanTape().thickness_mm;
            double expected = 0;
            for (const ShieldPlan& s : shielded.shields) expected += s.height_mm + tape;
            EXPECT_NEAR(Height(shielded), expected, 1e-12);
            EXPECT_GT(*shielded.buildLeakage_H, *bare.buildLeakage_H);
            EXPECT_EQ(shielded.insulation.margin_mm, bare.insulation.margin_mm);
            const double left = std::abs(shielded.capacitance->commonMode_F);
            if (shield == Shield::Foil) {
                const double byHand = AgainstQuietFoils(shielded);
                EXPECT_NEAR(shielded.capacitance->commonMode_F, byHand, std::abs(byHand) * 1e-12);
                EXPECT_LT(byHand, 0);
            } else {
                EXPECT_LT(left, unshielded * 1e-9);
                for (const ShieldPlan& s : shielded.shields) {
                    EXPECT_GE(s.turns, 1);
                    ASSERT_NE(s.wire, nullptr);
                    EXPECT_LE(s.turns * s.strands * *s.wire->Outer(),
                              shielded.insulation.width_mm * s.layers + 1e-9);
                }
            }
        }
    }
}

// The adapter's one-layer secondary of 7 turns swings 7 ÷ Np at its dot and
// nothing at its return: its cancelling shield has its 7 turns.
TEST(CapacitancesTest, TheCancellingShieldHasTheTurnsItsSecondaryLayerSwings) {
    Options options;
    options.shield = Shield::Winding;
    const Plan plan = AdapterPlan(options);
    const Winding& secondary = plan.windings[1];
    ASSERT_EQ(secondary.role, Role::Secondary);
    ASSERT_EQ(secondary.layers, 1);
    ASSERT_EQ(plan.shields.size(), 1U);
    EXPECT_EQ(plan.shields.front().turns, secondary.turns);
    const auto [dot, quiet] = LayerSwing(plan, secondary, 0);
    EXPECT_DOUBLE_EQ(dot, static_cast<double>(secondary.turns) / plan.Np);
    EXPECT_EQ(quiet, 0);
    // The primary's first layer starts at the drain, the whole swing.
    EXPECT_EQ(LayerSwing(plan, plan.windings[0], 0).first, 1);
}

// Valley-switched without a Cds, the drain rings on the switch's Coss and
// the build's own capacitance, carried until it settles; a typed Cds is the
// drain's whole capacitance.
TEST(CapacitancesTest, TheValleysDrainIsTheSwitchsAndTheBuildsUnlessTyped) {
    const struct {
        std::optional<double> Cds_F;
        double Coss_F;
    } kCases[] = {{std::nullopt, 50e-12}, {std::nullopt, 20e-12}, {330e-12, 50e-12}};
    for (const auto& c : kCases) {
        Options options;
        options.choices.conduction = Conduction::QuasiResonant;
        options.choices.Cds_F = c.Cds_F;
        options.choices.Coss_F = c.Coss_F;
        const Plan plan = AdapterPlan(options);
        ASSERT_TRUE(plan.capacitance && plan.switching);
        const Capacitances& cap = *plan.capacitance;
        if (c.Cds_F) {
            EXPECT_EQ(plan.switching->Cds_F, *c.Cds_F);
            EXPECT_EQ(cap.drain_F, *c.Cds_F);
        } else {
            EXPECT_NEAR(plan.switching->Cds_F / (c.Coss_F + cap.build_F), 1, 1e-6);
            EXPECT_DOUBLE_EQ(cap.drain_F, c.Coss_F + cap.build_F);
            EXPECT_GT(cap.build_F, 10e-12);
        }
        // The rings, from the drain's capacitance.
        const double leakage = *plan.clamp.estimate_H;
        EXPECT_NEAR(cap.leakageRing_Hz * 2 * std::numbers::pi * std::sqrt(leakage * cap.drain_F), 1,
                    1e-12);
        EXPECT_NEAR(cap.valleyRing_Hz * 2 * std::numbers::pi * std::sqrt(plan.Lp_H * cap.drain_F),
                    1, 1e-12);
        EXPECT_NEAR(cap.edge_V_s, plan.Ipk_A / cap.drain_F, cap.edge_V_s * 1e-12);
    }
}

// A wire whose insulation the data gives no permittivity for is never
// guessed at: the plan names it and has no capacitances.
TEST(CapacitancesTest, AnInsulationWithoutAPermittivityLeavesNoCapacitance) {
    catalogue::Catalogue parts = catalogue::BuiltIn();
    std::erase_if(parts.wires, [](const catalogue::Wire& w) {
        return w.kind == catalogue::WireKind::TripleInsulated &&
               w.insulation.find("ETFE") != std::string::npos;
    });
    Options options;
    options.construction = Construction::Tiw;
    const Plan plan = AdapterPlan(options, parts);
    EXPECT_FALSE(plan.capacitance);
    EXPECT_EQ(plan.capacitanceGap, CapacitanceGap::Insulation);
    ASSERT_NE(plan.capacitanceWire, nullptr);
    EXPECT_EQ(plan.capacitanceWire->kind, catalogue::WireKind::TripleInsulated);
}

// Each pair of windings driven against each other, the rest open, by the
// field the build's leakage is reckoned from: the primary against a lone
// secondary is the build's leakage itself, to the bit, in every order and
// with a loaded bias or a shield beside it; the matrix is symmetric with a
// zero diagonal, and a winding farther out leaks more against the primary.
TEST(LeakageMatrixTest, ThePrimaryAgainstALoneSecondaryIsTheBuildsLeakage) {
    for (const Order order : {Order::PSB, Order::PBS, Order::PSP, Order::SPS}) {
        for (const Shield shield : {Shield::None, Shield::Foil}) {
            SCOPED_TRACE(std::string(kOrderNames[static_cast<int>(order)]) + " " +
                         std::string(kShieldNames[static_cast<int>(shield)]));
            Options options;
            options.order = order;
            options.shield = shield;
            options.Vaux_V = 15;
            options.choices.biasI_A = 0.05;
            const Plan plan = AdapterPlan(options);
            ASSERT_TRUE(plan.leakageMatrix && plan.buildLeakage_H);
            const LeakageMatrix& m = *plan.leakageMatrix;
            ASSERT_EQ(m.windings.size(), 3U);  // in the order wound
            const auto index = [&](Role role) {
                for (std::size_t i = 0; i < 3; ++i) {
                    if (plan.windings[static_cast<std::size_t>(m.windings[i])].role == role)
                        return i;
                }
                return std::size_t{3};
            };
            const std::size_t p = index(Role::Primary), s = index(Role::Secondary),
                              b = index(Role::Bias);
            ASSERT_TRUE(p < 3 && s < 3 && b < 3);
            EXPECT_EQ(m.H[p][s], *plan.buildLeakage_H);
            for (std::size_t a = 0; a < 3; ++a) {
                EXPECT_EQ(m.H[a][a], 0);
                for (std::size_t b = 0; b < 3; ++b) {
                    EXPECT_EQ(m.H[a][b], m.H[b][a]);
                    if (a != b) {
                        EXPECT_GT(m.H[a][b], 0);
                    }
                }
            }
            if (order == Order::PSB) {
                EXPECT_GT(m.H[p][b], m.H[p][s]);  // the bias outermost
            }
        }
    }
}

}  // namespace
}  // namespace flyback::winding
