#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "winding/valley_switching.hpp"

namespace flyback::winding {
namespace {

void ExpectRelative(double actual, double expected, const std::string& what) {
    EXPECT_NEAR(actual / expected, 1, 1e-12) << what << ": " << actual << " against " << expected;
}

struct DesignCase {
    std::string name;
    double Vin, Vor;
    Load load;
    double Cds_F;
    int valley;
};

const DesignCase kDesigns[] = {
    {"18 W adapter, first valley", 120, 100, {18, 0.85, 65e3}, 100e-12, 1},
    {"60 W, second valley", 249, 120, {60, 0.8, 100e3}, 220e-12, 2},
    {"shares of the loss about the core", 100, 90, {12, 0.8, 65e3, 0.95, 1.04}, 150e-12, 1},
};

// At the design point the period is the frequency's, the volt-seconds
// balance, and the core stores the power each period.
TEST(ValleySwitchingTest, TheDesignedInductanceRunsAtTheFrequencyAskedFor) {
    for (const DesignCase& c : kDesigns) {
        SCOPED_TRACE(c.name);
        const double Lp = DesignedInductance(c.Vin, c.Vor, c.load, c.Cds_F, c.valley);
        Resonance resonance{c.Cds_F, c.valley, c.valley, std::nullopt};
        const ValleySwitched p = AtInput(c.Vin, c.Vor, Lp, c.load, resonance);
        ExpectRelative(p.point.f_Hz, c.load.f_Hz, "frequency");
        ExpectRelative(p.ton_s + p.tdemag_s + p.twait_s, 1 / c.load.f_Hz, "period");
        ExpectRelative(p.point.Von * p.ton_s, p.point.Vreset * p.tdemag_s, "volt-seconds");
        ExpectRelative(0.5 * Lp * p.point.Ipk * p.point.Ipk * p.point.f_Hz, c.load.StoredPower(),
                       "energy per period");
        ExpectRelative(p.twait_s, (c.valley - 0.5) * 2 * std::numbers::pi * std::sqrt(Lp * c.Cds_F),
                       "wait");
        EXPECT_EQ(p.point.Iv, 0);
        // Held at that peak, the switch runs the same period.
        const ValleySwitched held = AtPeak(c.Vin, c.Vor, Lp, p.point.Ipk, c.load, resonance);
        ExpectRelative(held.point.f_Hz, p.point.f_Hz, "frequency at the same peak");
    }
}

// Without a ring to wait for, valley switching is the edge of continuous
// conduction: the boundary design's inductance and peak.
TEST(ValleySwitchingTest, WithoutCapacitanceItIsTheBoundaryDesign) {
    for (const DesignCase& c : kDesigns) {
        SCOPED_TRACE(c.name);
        const double Lp = DesignedInductance(c.Vin, c.Vor, c.load, 0, 1);
        const OperatingPoint edge = Designed(c.Vin, c.Vor, 1, c.load);
        EXPECT_NEAR(Lp / edge.Lp, 1, 1e-12);
        const ValleySwitched p = AtInput(c.Vin, c.Vor, Lp, c.load, {0, 1, 1, std::nullopt});
        EXPECT_NEAR(p.point.Ipk / edge.Ipk, 1, 1e-12);
        EXPECT_NEAR(p.point.D / edge.D, 1, 1e-12);
    }
}

// The switch turns on at Vin − Vor, losing ½ × Cds × V² × f; at no voltage
// where the ring reaches zero.
TEST(ValleySwitchingTest, TheValleysVoltageSetsTheTurnOnLoss) {
    const Load load{18, 0.85, 65e3};
    const struct {
        double Vin, Vor, Vvalley;
    } cases[] = {{373, 100, 273}, {120, 100, 20}, {100, 100, 0}, {90, 120, 0}};
    for (const auto& c : cases) {
        const double Lp = DesignedInductance(c.Vin, c.Vor, load, 100e-12, 1);
        const ValleySwitched p = AtInput(c.Vin, c.Vor, Lp, load, {100e-12, 1, 1, std::nullopt});
        EXPECT_DOUBLE_EQ(p.Vvalley_V, c.Vvalley) << c.Vin << " V, Vor " << c.Vor;
        EXPECT_NEAR(p.PturnOn_W, 0.5 * 100e-12 * c.Vvalley * c.Vvalley * p.point.f_Hz, 1e-15);
    }
}

// The frequency rises with the line and falls with the load; a controller's
// clamp sends it to a deeper valley, the first that keeps within fmax, and
// says so where even the last does not.
TEST(ValleySwitchingTest, TheFrequencyFollowsLineAndLoadAndTheClampPicksTheValley) {
    const Load full{18, 0.85, 65e3};
    const double Lp = DesignedInductance(120, 100, full, 100e-12, 1);
    const Resonance free{100e-12, 1, 1, std::nullopt};
    double before = 0;
    for (const double Vin : {120.0, 200.0, 300.0, 373.0}) {
        const double f = AtInput(Vin, 100, Lp, full, free).point.f_Hz;
        EXPECT_GT(f, before) << Vin << " V";
        before = f;
    }
    before = 0;
    for (const double share : {1.0, 0.5, 0.25, 0.1}) {
        Load part = full;
        part.P_W = full.P_W * share;
        const double f = AtInput(373, 100, Lp, part, free).point.f_Hz;
        EXPECT_GT(f, before) << share;
        before = f;
    }
    Load light = full;
    light.P_W = full.P_W / 10;
    const ValleySwitched unclamped = AtInput(373, 100, Lp, light, free);
    const ValleySwitched clamped = AtInput(373, 100, Lp, light, {100e-12, 1, 8, 130e3});
    EXPECT_GT(unclamped.point.f_Hz, 130e3);
    EXPECT_LE(clamped.point.f_Hz, 130e3);
    EXPECT_GT(clamped.point.valley, 1);
    EXPECT_FALSE(clamped.clamped);
    const ValleySwitched shallower =
        AtInput(373, 100, Lp, light,
                {100e-12, clamped.point.valley - 1, clamped.point.valley - 1, std::nullopt});
    EXPECT_GT(shallower.point.f_Hz, 130e3);  // the valley before did not keep within it
    const ValleySwitched held = AtInput(373, 100, Lp, light, {100e-12, 1, 2, 30e3});
    EXPECT_EQ(held.point.valley, 2);
    EXPECT_TRUE(held.clamped);
}

}  // namespace
}  // namespace flyback::winding
