#include "winding/corners.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "winding/plan.hpp"

namespace flyback::winding {
namespace {

// An 18 W adapter on universal mains (85–265 V AC through a bridge into the
// bulk capacitor: 100.45 to 374.77 V DC), 12 V 1.5 A at 65 kHz, reinforced.
const numtext::InputTexts kAdapter{"18", "374.77", "100.45", "65", "85", "12"};

Plan AdapterPlan(const Options& options = {}) {
    const PlanOutcome outcome =
        PlanWinding(record::RecordPress(kAdapter), options, catalogue::BuiltIn());
    EXPECT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
    return *outcome.plan;
}

bool Warns(const Plan& plan, std::string_view code) {
    return std::any_of(plan.warnings.begin(), plan.warnings.end(),
                       [&](const PlanWarning& w) { return w.code == code; });
}

// The current when the switch turns off at a given peak: the magnetising
// inductance's volt-seconds balance in both modes, and the ripple it sets;
// the primary side's loss shortens the on-time's volts, the secondary's
// raises the reset's.
TEST(CornersTest, APeakCurrentGivesItsModeByTheRipple) {
    const struct {
        double Vin, Vor, Lp, Ipk, onShare, resetRise;
        Mode mode;
    } cases[] = {
        {375, 100, 2e-3, 1.0, 1, 1, Mode::Continuous},        // ripple 0.609 A below the peak
        {375, 100, 2e-3, 0.5, 1, 1, Mode::Discontinuous},     // the same ripple above it
        {375, 0.5, 2e-3, 1.0, 1, 1, Mode::Continuous},        // a shorted output: barely any reset
        {375, 100, 2e-3, 1.0, 0.85, 1.04, Mode::Continuous},  // losses on both sides
        {375, 100, 2e-3, 0.5, 0.85, 1.04, Mode::Discontinuous},
    };
    const double f = 65e3;
    for (const auto& c : cases) {
        const OperatingPoint p =
            AtPeakCurrent(c.Vin, c.Vor, c.Lp, c.Ipk, {0, 0, f, c.onShare, c.resetRise});
        const double Von = c.Vin * c.onShare, Vreset = c.Vor * c.resetRise;
        EXPECT_EQ(p.mode, c.mode) << c.Ipk;
        EXPECT_EQ(p.Ipk, c.Ipk);
        EXPECT_NEAR(Von * p.D, Vreset * p.D2, 1e-12 * c.Vin) << c.Ipk;
        EXPECT_NEAR(p.Ipk - p.Iv, Von * p.D / (c.Lp * f), 1e-12) << c.Ipk;
        EXPECT_GE(p.Iv, 0);
        EXPECT_LE(p.D + p.D2, 1 + 1e-12);
    }
}

// The RCD clamp's settling law gives back, at the plan's own peak, the
// voltage the plan sized it for.
TEST(CornersTest, TheClampSettlesWhereItsResistorTakesTheLeakagesEnergy) {
    const Plan plan = AdapterPlan();
    const Clamp& c = plan.clamp;
    EXPECT_NEAR(ClampVoltage(plan.Vor_V, c.R_ohm, c.leakage_H, plan.Ipk_A, plan.f_Hz), c.V,
                1e-9 * c.V);
}

// Each corner of the adapter worked by hand from the plan's own numbers.
TEST(CornersTest, EachCornerOfTheAdapterAsWorkedByHand) {
    const Plan plan = AdapterPlan();
    ASSERT_EQ(plan.corners.size(), std::size(kCornerKinds));
    for (std::size_t i = 0; i < plan.corners.size(); ++i)
        EXPECT_EQ(plan.corners[i].kind, kCornerKinds[i]);
    const double P = plan.Pout_W, eta = plan.eta, f = plan.f_Hz, Lp = plan.Lp_H;
    const double Vmin = plan.atVmin.Vin, Vmax = plan.atVmax.Vin;
    // Every corner's flux is judged in the narrowest section.
    const double NpAe = plan.Np * plan.core->Amin_mm2 * 1e-6;
    const auto clampAt = [&](double Vor, double Ipk) {
        const double K = plan.clamp.R_ohm * 0.5 * plan.clamp.leakage_H * Ipk * Ipk * f;
        return (Vor + std::sqrt(Vor * Vor + 4 * K)) / 2;
    };

    const Corner& low = plan.corners[0];
    EXPECT_EQ(low.point.Vin, Vmin);
    EXPECT_EQ(low.point.Ipk, plan.Ipk_A);
    EXPECT_EQ(low.Vds_peak_V, Vmin + plan.clamp.V);
    EXPECT_NEAR(low.Bpk_T, plan.BpkMinSection_T, 1e-12);
    EXPECT_NEAR(plan.Bpk_T, plan.BpkMinSection_T * plan.core->Amin_mm2 / plan.core->Ae_mm2, 1e-12);

    const Corner& high = plan.corners[1];
    EXPECT_EQ(high.point.Vin, Vmax);
    EXPECT_EQ(high.load, 1);
    EXPECT_NEAR(high.Vrectifier_V[0], 12 + Vmax * plan.Ns / plan.Np, 1e-9);

    // A tenth of the load at the highest input: discontinuous, the core
    // storing a tenth of what it stores at full load: ½·Lp·Ipk²·f = 0.1·P_stored.
    const Corner& light = plan.corners[2];
    EXPECT_EQ(light.point.mode, Mode::Discontinuous);
    EXPECT_NEAR(light.point.Ipk, std::sqrt(2 * 0.1 * plan.stored_W / (Lp * f)), 1e-12);
    EXPECT_NEAR(light.Vds_peak_V, Vmax + clampAt(plan.Vor_V, light.point.Ipk), 1e-9);

    // The limit: 1.3·Ipk, 7 % high, through 10 % more inductance, at the highest input.
    const Corner& limit = plan.corners[3];
    const double Ilimit = 1.3 * plan.Ipk_A * 1.07, Lhigh = 1.1 * Lp;
    EXPECT_NEAR(limit.point.Ipk, Ilimit, 1e-12);
    EXPECT_NEAR(limit.point.Lp, Lhigh, 1e-15);
    EXPECT_NEAR(limit.Bpk_T, Lhigh * Ilimit / NpAe, 1e-12);
    EXPECT_EQ(limit.point.mode, Mode::Discontinuous);
    // What the input gives while the core stores ½·L·I²·f, the primary
    // side's share on top.
    const double share = plan.load.onShare;
    EXPECT_NEAR(limit.load, 0.5 * Lhigh * Ilimit * Ilimit * f / share * eta / P, 1e-9);
    EXPECT_NEAR(limit.Vds_peak_V, Vmax + clampAt(plan.Vor_V, Ilimit), 1e-9);
    EXPECT_GT(limit.Vds_peak_V, high.Vds_peak_V);

    // Shorted: the secondary holds only its rectifier's 0.5 V, so the core
    // barely resets and the current stays near the limit.
    const Corner& shorted = plan.corners[4];
    const double Vor = 0.5 * plan.Np / plan.Ns, Von = Vmax * share, D = Vor / (Vor + Von);
    EXPECT_EQ(shorted.point.mode, Mode::Continuous);
    EXPECT_NEAR(shorted.point.D, D, 1e-12);
    EXPECT_NEAR(shorted.point.Iv, Ilimit - Von * D / (Lhigh * f), 1e-12);
    EXPECT_EQ(shorted.load, 0);
    EXPECT_NEAR(shorted.Vrectifier_V[0], Vmax * plan.Ns / plan.Np, 1e-9);
    EXPECT_EQ(shorted.Bpk_T, limit.Bpk_T);

    // The 300 ns the switch must stay on gives more than the 0.5 V reset
    // takes back: the current would climb past saturation before the
    // secondary's resistance stopped it, so the corner keeps the limit's.
    EXPECT_EQ(shorted.ratchet, Ratchet::RunsAway);
    EXPECT_TRUE(Warns(plan, "shorted_output_runs_away"));

    ASSERT_TRUE(plan.saturationMargin);
    EXPECT_NEAR(*plan.saturationMargin, *plan.BsatHot_T / limit.Bpk_T, 1e-12);
    EXPECT_GE(*plan.saturationMargin, 1.1);
}

// The tolerances are the options': none at all leaves the nominal limit.
TEST(CornersTest, TheTolerancesAreTheOptions) {
    const struct { double lp, limit; } cases[] = {{0, 0}, {0.1, 0.07}, {0.2, 0.1}};
    for (const auto& c : cases) {
        Options options;
        options.lpTolerance = c.lp;
        options.ilimitTolerance = c.limit;
        const Plan plan = AdapterPlan(options);
        const double NpAe = plan.Np * plan.core->Amin_mm2 * 1e-6;
        EXPECT_NEAR(plan.BpkLimit_T,
                    (1 + c.lp) * plan.Lp_H * (1 + c.limit) * 1.3 * plan.Ipk_A / NpAe, 1e-12)
            << c.lp;
        EXPECT_LE(plan.BpkLimit_T, *plan.Bsat100_T) << c.lp;
    }
}

// At start-up the clamp climbs with the limit's current; a switch used to its
// full rating in steady state is warned of there, by the corner's name.
TEST(CornersTest, TheSwitchAtTheLimitIsCheckedAgainstItsRating) {
    const struct {
        double derating;
        bool warned;
    } cases[] = {{1.0, true}, {0.8, false}};
    for (const auto& c : cases) {
        Options options;
        options.choices.vorSource = VorSource::SwitchRating;
        options.choices.VdsRating_V = 650;
        options.choices.derating = c.derating;
        const Plan plan = AdapterPlan(options);
        EXPECT_EQ(Warns(plan, "switch_above_rating_at_limit"), c.warned) << c.derating;
        for (const PlanWarning& w : plan.warnings) {
            if (w.code != "switch_above_rating_at_limit") continue;
            EXPECT_NE(w.message.find(CornerCaption(CornerKind::CurrentLimit)), std::string::npos);
        }
    }
}

// The 12 W supply shorted: 300 ns at 375 V adds more than its 0.5 V
// rectifier takes back in the rest of the period, so the current climbs
// until the secondary's copper, n² × R referred, makes the reset's fall the
// on-time's rise: Von × ton = (n × VF + n² × R × i) × toff at the mean
// current i, the peak half a rise above it.
TEST(CornersTest, AShortedOutputRatchetsToWhereTheSecondarysResistanceHoldsIt) {
    Options options;
    options.core = "E20/10/6";
    options.construction = Construction::Margin;  // its thin secondary's resistance holds it
    const PlanOutcome outcome = PlanWinding(
        record::RecordPress({"12", "375", "120", "65", "80", "12"}), options, catalogue::BuiltIn());
    ASSERT_TRUE(outcome.plan);
    const Plan& plan = *outcome.plan;
    const Corner& shorted = plan.corners[4];
    ASSERT_EQ(shorted.ratchet, Ratchet::Settles);
    const double ton = 300e-9, toff = 1 / plan.f_Hz - ton, L = 1.1 * plan.Lp_H;
    const double n = static_cast<double>(plan.Np) / plan.Ns, VF = 0.5;
    const double R = *plan.windings[1].R_ohm;
    const double Von = plan.atVmax.Vin * plan.load.onShare, rise = Von * ton / L;
    const double mean = (Von * ton / toff - n * VF) / (n * n * R);
    EXPECT_NEAR(shorted.riseInMinimumOn_A, rise, 1e-12);
    EXPECT_GT(rise, shorted.fallInReset_A);
    EXPECT_NEAR(shorted.point.Ipk, mean + rise / 2, 1e-9);
    EXPECT_NEAR(shorted.point.Iv, mean - rise / 2, 1e-9);
    EXPECT_NEAR(shorted.point.D, ton * plan.f_Hz, 1e-12);
    EXPECT_GT(shorted.point.Ipk, 1.3 * 1.07 * plan.Ipk_A);  // past the limit
    EXPECT_NEAR(shorted.Bpk_T, L * shorted.point.Ipk / (plan.Np * plan.core->Amin_mm2 * 1e-6),
                1e-12);
    // The climb is judged as any corner: the worst flux is the shorted one's.
    EXPECT_NEAR(*plan.saturationMargin, *plan.BsatHot_T / shorted.Bpk_T, 1e-12);
    const bool said = std::any_of(plan.warnings.begin(), plan.warnings.end(), [](const auto& w) {
        return w.code == "shorted_output_ratchets" &&
               w.message.find("300 ns（假定）") != std::string::npos;
    });
    EXPECT_TRUE(said);
}

// Every output's rectifier at every corner: its own voltage and the input
// reflected by its turns, and with the output shorted the reflected input
// alone, on each of three outputs.
TEST(CornersTest, EveryOutputsRectifierIsCheckedAtEveryCorner) {
    Options options;
    options.choices.outputs = {{5, 2, 0.5}, {12, 1.2, 0.7}, {30, 0.02, 0.7}};
    const PlanOutcome outcome = PlanWinding(
        record::RecordPress({"60", "368", "200", "65", "80", "5"}), options, catalogue::BuiltIn());
    ASSERT_TRUE(outcome.plan);
    const Plan& plan = *outcome.plan;
    ASSERT_EQ(plan.outputs.size(), 3u);
    for (const Corner& corner : plan.corners) {
        ASSERT_EQ(corner.Vrectifier_V.size(), plan.outputs.size());
        const bool shorted = corner.kind == CornerKind::Shorted;
        for (std::size_t i = 0; i < plan.outputs.size(); ++i) {
            const OutputResult& out = plan.outputs[i];
            const double reflected = corner.point.Vin * out.turns / plan.Np;
            EXPECT_NEAR(corner.Vrectifier_V[i], shorted ? reflected : out.set.V + reflected,
                        1e-9 * corner.Vrectifier_V[i])
                << CornerCaption(corner.kind) << ", output " << i + 1;
        }
    }
}

// At the minimum input, Lp 10 % and the limit 7 % low: the power the limit
// lets through, worked by the ripple's test for the mode.
TEST(CornersTest, TheLowLineCapabilityIsWhatTheLowLimitLetsThrough) {
    const Plan plan = AdapterPlan();
    const Corner& able = plan.corners[5];
    ASSERT_EQ(able.kind, CornerKind::Capability);
    const double L = 0.9 * plan.Lp_H, I = 0.93 * 1.3 * plan.Ipk_A, f = plan.f_Hz;
    const double Vin = plan.atVmin.Vin, Von = Vin * plan.load.onShare;
    const double Vreset = plan.Vor_V * plan.load.resetRise;
    const double balanced = Vreset / (Vreset + Von), ripple = Von * balanced / (L * f);
    double D = 0, Iv = 0;
    if (ripple < I) {
        D = balanced;
        Iv = I - ripple;
    } else {
        D = L * I * f / Von;
    }
    const double Pin = Vin * D * (I + Iv) / 2;
    EXPECT_EQ(able.point.Vin, Vin);
    EXPECT_NEAR(able.point.Ipk, I, 1e-12);
    EXPECT_NEAR(able.load, Pin * plan.eta / plan.Pout_W, 1e-9);
    EXPECT_GT(able.load, 1);  // the default limit, 1.3 × Ipk, has room
    EXPECT_NEAR(able.Bpk_T, L * I / (plan.Np * plan.core->Amin_mm2 * 1e-6), 1e-12);
}

// Saturation at a temperature: on the line through the data's points either
// side (its two figures where it gives no points), never above the coolest,
// the hottest two's line beyond the data, a lone point's figure throughout.
TEST(CornersTest, SaturationFollowsTheMaterialsLineWithTemperature) {
    catalogue::Material both;
    both.Bsat_25C_mT = 490;
    both.Bsat_100C_mT = 390;
    catalogue::Material hotOnly;
    hotOnly.Bsat_100C_mT = 390;
    // DMEGC DMR40's points as MAS gives them (mT), and its two figures,
    // which the points stand before.
    catalogue::Material curve;
    curve.Bsat_25C_mT = 999;
    curve.Bsat_100C_mT = 999;
    curve.saturation = {{25, 503}, {80, 429}, {100, 394}, {120, 362}};
    catalogue::Material lone;
    lone.saturation = {{25, 362}};
    const struct {
        const catalogue::Material& material;
        double celsius;
        std::optional<double> expected_T;
    } cases[] = {
        {both, 25, 0.49},     {both, 100, 0.39},
        {both, 62.5, 0.44},   {both, 0, 0.49},
        {both, 115, 0.37},  // a little beyond the data, on its line
        {both, 1000, 0},      {hotOnly, 60, 0.39},
        {hotOnly, 120, 0.39}, {catalogue::Material{}, 60, std::nullopt},
        {curve, 10, 0.503},   {curve, 25, 0.503},
        {curve, 52.5, 0.466},  // halfway from 25 to 80 °C
        {curve, 90, 0.4115},  {curve, 120, 0.362},
        {curve, 130, 0.346},  // beyond 120 °C on the line through 100 and 120 °C
        {lone, 25, 0.362},    {lone, 150, 0.362},
    };
    for (const auto& c : cases) {
        const std::optional<double> Bsat = SaturationAt_T(c.material, c.celsius);
        ASSERT_EQ(Bsat.has_value(), c.expected_T.has_value()) << c.celsius;
        if (Bsat) {
            EXPECT_NEAR(*Bsat, *c.expected_T, 1e-12) << c.celsius;
        }
    }
}

}  // namespace
}  // namespace flyback::winding
