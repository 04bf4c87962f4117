// The engineer's choices: outputs, the reflected voltage, the conduction mode,
// fixed turns; checked against the physics a flyback cannot escape.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

#include "plan_sheet/plan_sheet.hpp"
#include "winding/plan.hpp"

namespace flyback::winding {
namespace {

const catalogue::Catalogue& Parts() {
    return catalogue::BuiltIn();
}

PlanOutcome PlanFor(const numtext::InputTexts& texts, const Choices& choices,
                    std::string core = {}) {
    Options options;
    options.choices = choices;
    options.core = std::move(core);
    return PlanWinding(record::RecordPress(texts), options, Parts());
}

// The three modes at one point: what no operating point may break.
struct PointCase {
    const char* name;
    std::function<OperatingPoint(const Load&)> point;
    Mode mode;
};

const Load kLoad{24, 0.8, 65e3};

const PointCase kPoints[] = {
    {"edge", [](const Load& l) { return Designed(120, 100, 1, l); }, Mode::Boundary},
    {"ripple 0.4", [](const Load& l) { return Designed(120, 100, 0.4, l); }, Mode::Continuous},
    {"Lp twice the edge's",
     [](const Load& l) { return WithInductance(120, 100, 2 * Designed(120, 100, 1, l).Lp, l); },
     Mode::Continuous},
    {"Lp half the edge's",
     [](const Load& l) { return WithInductance(120, 100, Designed(120, 100, 1, l).Lp / 2, l); },
     Mode::Discontinuous},
    {"the edge's Lp",
     [](const Load& l) { return WithInductance(120, 100, Designed(120, 100, 1, l).Lp, l); },
     Mode::Boundary},
    {"high line, Lp of the low line's edge",
     [](const Load& l) { return WithInductance(375, 100, Designed(120, 100, 1, l).Lp, l); },
     Mode::Discontinuous},
};

class PointTest : public testing::TestWithParam<PointCase> {};

TEST_P(PointTest, VoltSecondsEnergyAndRippleHold) {
    const OperatingPoint p = GetParam().point(kLoad);
    EXPECT_EQ(p.mode, GetParam().mode);
    // The core resets: the volt-seconds on equal those off.
    EXPECT_NEAR(p.Vin * p.D, p.Vor * p.D2, 1e-9 * p.Vin);
    if (p.mode != Mode::Discontinuous) {
        EXPECT_NEAR(p.D + p.D2, 1, 1e-12);
    }
    EXPECT_LE(p.D + p.D2, 1 + 1e-12);
    // What the inductance takes each period is the input power.
    const double Pin = kLoad.P_W / kLoad.eta;
    EXPECT_NEAR(0.5 * p.Lp * (p.Ipk * p.Ipk - p.Iv * p.Iv) * kLoad.f_Hz, Pin, 1e-9 * Pin);
    // The ripple is the inductance's: Vin × D ÷ (Lp × f).
    EXPECT_NEAR(p.Ipk - p.Iv, p.Vin * p.D / (p.Lp * kLoad.f_Hz), 1e-9 * p.Ipk);
    EXPECT_GE(p.Iv, 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, PointTest, testing::ValuesIn(kPoints), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
});

TEST(PointTest, TheTrapezoidsRmsIsTheIntegralsAndTheTriangleTheLimit) {
    const double cases[][3] = {{3, 0, 0.4}, {3, 1, 0.4}, {3, 3, 0.5}, {2, 1.5, 1}};
    for (const auto& [peak, valley, duty] : cases) {
        double sum = 0;  // the square's mean, summed over the ramp
        constexpr int kSteps = 200000;
        for (int i = 0; i < kSteps; ++i) {
            const double x = (i + 0.5) / kSteps;
            const double current = valley + (peak - valley) * x;
            sum += current * current;
        }
        EXPECT_NEAR(TrapezoidRms(peak, valley, duty), std::sqrt(duty * sum / kSteps), 1e-9);
    }
}

// Designs in all three modes, with several outputs and a bias load.
struct ChoicesCase {
    const char* name;
    numtext::InputTexts texts;
    std::function<void(Choices&)> choose;
    Mode mode;
};

const ChoicesCase kDesigns[] = {
    {"one output at the edge",
     {"12", "375", "120", "65", "80", "12"},
     [](Choices&) {},
     Mode::Boundary},
    {"three outputs, ripple 0.5",
     {"30", "375", "100", "65", "80", "12"},
     [](Choices& c) {
         c.outputs = {{12, 1.5, 0.5}, {5, 1, 0.4}, {30, 0.1, 0.7}};
         c.conduction = Conduction::Ripple;
         c.KRP = 0.5;
     },
     Mode::Continuous},
    {"two outputs and a loaded bias, Vor 90 V, Lp 300 uH",
     {"20", "375", "100", "100", "80", "5"},
     [](Choices& c) {
         c.outputs = {{5, 2, 0.4}, {12, 0.8, 0.5}};
         c.biasI_A = 0.02;
         c.vorSource = VorSource::Value;
         c.Vor_V = 90;
         c.conduction = Conduction::Inductance;
         c.Lp_H = 300e-6;
     },
     Mode::Discontinuous},
};

class ChoicesTest : public testing::TestWithParam<ChoicesCase> {};

TEST_P(ChoicesTest, EveryOutputCarriesItsOwnCharge) {
    Choices choices;
    GetParam().choose(choices);
    Options options;
    options.choices = choices;
    if (choices.biasI_A > 0) options.Vaux_V = 15;
    const PlanOutcome outcome =
        PlanWinding(record::RecordPress(GetParam().texts), options, Parts());
    ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
    const Plan& plan = *outcome.plan;
    EXPECT_EQ(plan.mode, GetParam().mode);
    const OperatingPoint& p = plan.atVmin;
    // The magnetising inductance's volt-seconds: the on-time's volts the primary side
    // leaves it against the reset's, which the secondary side raises above Vor.
    EXPECT_NEAR(p.Von * p.D, p.Vreset * p.D2, 1e-9 * p.Vin);
    EXPECT_GE(p.Vreset, plan.Vor_V);
    for (const Winding& w : plan.windings) {
        if (w.role == Role::Primary || !w.Irms_A) continue;
        const double I = w.role == Role::Bias ? choices.biasI_A : plan.outputs[w.output].set.I_A;
        const double valley = *w.Ipeak_A * (p.Iv / p.Ipk);
        EXPECT_NEAR(p.D2 * (*w.Ipeak_A + valley) / 2, I, 1e-9) << WindingName(w);
    }
    // The secondaries' ampere-turns together are the primary's at the switch's turn-off.
    double ampereTurns = 0;
    for (const OutputResult& out : plan.outputs) ampereTurns += out.Ipeak_A * out.turns;
    EXPECT_GT(ampereTurns, 0);
    // Each output's turns from the regulated one's, its voltage and error beside it.
    const OutputResult& regulated = plan.outputs.front();
    EXPECT_TRUE(regulated.regulated);
    EXPECT_EQ(regulated.turns, plan.Ns);
    for (const OutputResult& out : plan.outputs) {
        const double Vexpected =
            (regulated.set.V + regulated.set.VF_V) * out.turns / plan.Ns - out.set.VF_V;
        EXPECT_NEAR(out.Vexpected_V, Vexpected, 1e-9);
        EXPECT_NEAR(out.error_pct, (Vexpected - out.set.V) / out.set.V * 100, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Designs, ChoicesTest, testing::ValuesIn(kDesigns),
                         [](const auto& info) { return std::to_string(info.index); });

// A ripple ratio of one is the edge the plan always designed to, to the bit.
TEST(ChoicesTest, ARippleRatioOfOneIsTodaysPlan) {
    const numtext::InputTexts texts{"60", "373", "249", "100", "80", "24"};
    Choices edge;
    edge.conduction = Conduction::Ripple;
    edge.KRP = 1;
    const PlanOutcome a = PlanFor(texts, {}), b = PlanFor(texts, edge);
    ASSERT_TRUE(a.plan && b.plan);
    EXPECT_EQ(a.plan->Np, b.plan->Np);
    EXPECT_EQ(a.plan->Ns, b.plan->Ns);
    for (const auto member : {&Plan::Lp_H, &Plan::Ipk_A, &Plan::Bpk_T, &Plan::gap_mm, &Plan::Dmax,
                              &Plan::fill, &Plan::Vswitch_V}) {
        EXPECT_EQ((*a.plan).*member, (*b.plan).*member);
    }
    EXPECT_EQ(*a.plan->Pcore_W, *b.plan->Pcore_W);
    EXPECT_EQ(*a.plan->windings[1].Irms_A, *b.plan->windings[1].Irms_A);
}

// Each way of fixing the reflected voltage meets its own constraint before
// whole turns, and the turns keep it within a few per cent.
TEST(ChoicesTest, EachWayOfFixingVorMeetsItsConstraint) {
    const numtext::InputTexts texts{"12", "375", "120", "65", "80", "12"};
    struct Way {
        std::function<void(Choices&)> choose;
        std::function<double(const Plan&)> miss;  // how far the designed Vor is off its constraint
    };
    const Way ways[] = {
        {[](Choices& c) { c.vorSource = VorSource::Value, c.Vor_V = 90; },
         [](const Plan& p) { return p.VorDesigned_V - 90; }},
        // The switch sees Vmax plus the clamp, held at a multiple of Vor.
        {[](Choices& c) { c.vorSource = VorSource::SwitchRating, c.VdsRating_V = 650; },
         [](const Plan& p) { return 375 + 1.5 * p.VorDesigned_V - 0.8 * 650; }},
        {[](Choices& c) {
             c.vorSource = VorSource::SwitchRating, c.VdsRating_V = 800, c.derating = 0.9,
             c.clampRatio = 2;
         },
         [](const Plan& p) { return 375 + 2 * p.VorDesigned_V - 0.9 * 800; }},
        // The duty is the charge's: Vin × D × the mean on-time current is
        // P_in, the reset's mean current the outputs', so D ÷ (1 − D) =
        // Vor × P_in ÷ (Vin × P_rectified), wherever the loss sits.
        {[](Choices& c) { c.vorSource = VorSource::MaxDuty, c.Dmax = 0.45; },
         [](const Plan& p) {
             const double on = 120 * p.rectified_W, reset = p.VorDesigned_V * p.InputPower();
             return reset / (reset + on) - 0.45;
         }},
    };
    for (const Way& way : ways) {
        Choices choices;
        way.choose(choices);
        const PlanOutcome outcome = PlanFor(texts, choices);
        ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
        EXPECT_NEAR(way.miss(*outcome.plan), 0, 1e-9);
        EXPECT_NEAR(outcome.plan->Vor_V / outcome.plan->VorDesigned_V, 1, 0.1);
    }
}

// A transformer already wound (core, turns, Lp) analysed at the point it was
// designed for gives back what its design computed.
TEST(ChoicesTest, AFixedTransformerIsAnalysedBackToItsDesign) {
    const numtext::InputTexts texts{"24", "375", "100", "65", "80", "12"};
    Choices ripple;
    ripple.conduction = Conduction::Ripple;
    ripple.KRP = 0.6;
    const PlanOutcome designed = PlanFor(texts, ripple);
    ASSERT_TRUE(designed.plan) << winding::PlanFailureName(designed.failure);
    const Plan& d = *designed.plan;
    Choices fixed;
    fixed.Np = d.Np;
    fixed.Ns = d.Ns;
    fixed.conduction = Conduction::Inductance;
    fixed.Lp_H = d.Lp_H;
    const PlanOutcome analysed = PlanFor(texts, fixed, d.core->name);
    ASSERT_TRUE(analysed.plan) << winding::PlanFailureName(analysed.failure);
    const Plan& a = *analysed.plan;
    EXPECT_EQ(a.mode, Mode::Continuous);
    for (const auto member : {&Plan::Ipk_A, &Plan::Ivalley_A, &Plan::Dmax, &Plan::Bpk_T, &Plan::KRP,
                              &Plan::gap_mm, &Plan::Vor_V}) {
        // Each settles its own stored power, to a millionth.
        EXPECT_NEAR(a.*member, d.*member, 1e-5 * std::abs(d.*member));
    }
    // At high line the same transformer runs discontinuous, from the input
    // where its inductance is the edge's.
    EXPECT_EQ(a.atVmax.mode, Mode::Discontinuous);
    EXPECT_LT(a.atVmax.D, a.Dmax);
    ASSERT_TRUE(a.Vedge_V);
    EXPECT_NEAR(Designed(*a.Vedge_V, a.Vor_V, 1, a.load).Lp, a.Lp_H, 1e-9 * a.Lp_H);
    EXPECT_GT(*a.Vedge_V, 100);
    EXPECT_LT(*a.Vedge_V, 375);
}

TEST(ChoicesTest, ImpossibleChoicesAreNamed) {
    using Kind = ChoiceProblem::Kind;
    const struct {
        std::function<void(Choices&)> choose;
        Kind kind;
    } cases[] = {
        {[](Choices&) {}, Kind::None},
        {[](Choices& c) {
             c.outputs = {{12, 1, 0.5}, {0, 1, 0.5}};
         },
         Kind::Output},
        {[](Choices& c) {
             c.outputs = {{12, -1, 0.5}};
         },
         Kind::Output},
        {[](Choices& c) {
             c.outputs = {{12, 1, 12}};  // a drop as large as the output
         },
         Kind::Output},
        {[](Choices& c) {
             c.outputs = {{12, 1, 19}};
         },
         Kind::Output},
        {[](Choices& c) {
             c.outputs = {{12, 1, 11.9}};
         },
         Kind::None},
        {[](Choices& c) {
             c.outputs = {{12, 1, 0.5, 1}};  // the least load may be the full one
         },
         Kind::None},
        {[](Choices& c) {
             c.outputs = {{12, 1, 0.5, 1.1}};
         },
         Kind::Output},
        {[](Choices& c) {
             c.outputs = {{12, 1, 0.5, -0.1}};
         },
         Kind::Output},
        {[](Choices& c) {
             c.outputs = {{12, 1, 0.5}, {5, 0, 0.4}};  // an unloaded output is a design
         },
         Kind::None},
        {[](Choices& c) {
             c.outputs.assign(kMostOutputs, {5, 1, 0.4});
         },
         Kind::None},
        {[](Choices& c) {
             c.outputs.assign(kMostOutputs + 1, {5, 1, 0.4});
         },
         Kind::Outputs},
        {[](Choices& c) {
             c.outputs.assign(30000, {5, 1, 0.4});
         },
         Kind::Outputs},
        {[](Choices& c) { c.biasI_A = -0.1; }, Kind::Bias},
        {[](Choices& c) { c.vorSource = VorSource::Value; }, Kind::Vor},
        {[](Choices& c) {
             c.vorSource = VorSource::SwitchRating, c.VdsRating_V = 650, c.derating = 1.2;
         },
         Kind::Rating},
        {[](Choices& c) { c.vorSource = VorSource::MaxDuty, c.Dmax = 1; }, Kind::Duty},
        {[](Choices& c) { c.conduction = Conduction::Ripple, c.KRP = 0; }, Kind::Ripple},
        {[](Choices& c) { c.conduction = Conduction::Ripple, c.KRP = NAN; }, Kind::Ripple},
        {[](Choices& c) { c.conduction = Conduction::Inductance; }, Kind::Inductance},
        {[](Choices& c) { c.Np = 40, c.Ns = 0; }, Kind::Turns},
        {[](Choices& c) { c.Np = 0, c.Ns = 9; }, Kind::Turns},  // a file's zero primary turns
        {[](Choices& c) { c.Np = 0, c.Naux = 3; }, Kind::Turns},
        {[](Choices& c) { c.Np = 40, c.Ns = 4, c.vorSource = VorSource::Value, c.Vor_V = 90; },
         Kind::TurnsAndVor},
        {[](Choices& c) { c.Np = 40, c.Ns = 4, c.vorSource = VorSource::MaxDuty, c.Dmax = 0.5; },
         Kind::TurnsAndVor},
        {[](Choices& c) {
             c.Np = 40, c.Ns = 4, c.vorSource = VorSource::SwitchRating, c.VdsRating_V = 650;
         },
         Kind::None},
        {[](Choices& c) { c.Vclamp_V = 0; }, Kind::Clamp},
        {[](Choices& c) { c.Ilimit_A = -1; }, Kind::CurrentLimit},
        // A winder's rules: within their rows, counts whole, a share from 0 to 1.
        {[](Choices& c) { c.rules.mostLayers = 0; }, Kind::Bounds},
        {[](Choices& c) { c.rules.mostLayers = 2.5; }, Kind::Bounds},
        {[](Choices& c) { c.rules.foilMostTurns = 0; }, Kind::None},  // never foil
        {[](Choices& c) { c.rules.litzLeastGain = 1.5; }, Kind::Bounds},
        {[](Choices& c) { c.rules.litzLeastGain = 0.07; }, Kind::None},
        {[](Choices& c) { c.rules.finestStrand_mm = 0.01; }, Kind::Bounds},
        {[](Choices& c) { c.rules.oneWireBelow_A = NAN; }, Kind::Bounds},
        // Every number of a way taken within its box's bounds, so that no
        // front end shows a file's value brought within them.
        {[](Choices& c) { c.vorSource = VorSource::MaxDuty, c.Dmax = 0.02; }, Kind::Bounds},
        {[](Choices& c) { c.Dmax = 0.02; }, Kind::None},  // a way not taken is not read
        {[](Choices& c) { c.conduction = Conduction::Ripple, c.KRP = 0.01; }, Kind::Bounds},
        {[](Choices& c) {
             c.vorSource = VorSource::SwitchRating, c.VdsRating_V = 650, c.clampRatio = 1.02;
         },
         Kind::None},
        {[](Choices& c) {
             c.vorSource = VorSource::SwitchRating, c.VdsRating_V = 650, c.derating = 0.05;
         },
         Kind::Bounds},
        {[](Choices& c) { c.biasI_A = 20; }, Kind::Bounds},
    };
    for (const auto& [choose, kind] : cases) {
        Choices choices;
        choose(choices);
        EXPECT_EQ(CheckChoices(choices).kind, kind);
        if (kind != Kind::None) {
            EXPECT_FALSE(ChoiceProblemCaption(CheckChoices(choices)).empty());
        }
        if (kind == Kind::Bounds) {  // the caption names the rule
            const std::string caption(Info(CheckChoices(choices).number).caption);
            EXPECT_NE(ChoiceProblemCaption(CheckChoices(choices)).find(caption), std::string::npos);
        }
    }
}

// A current limit below the full-load peak would stop the supply short of
// its power: said; one above it is not.
TEST(ChoicesTest, ACurrentLimitBelowThePeakIsSaid) {
    const numtext::InputTexts texts{"12", "375", "120", "65", "80", "12"};
    for (const double limit : {0.1, 5.0}) {
        Choices choices;
        choices.Ilimit_A = limit;
        const PlanOutcome outcome = PlanFor(texts, choices);
        ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
        const auto& warnings = outcome.plan->warnings;
        const bool said = std::any_of(warnings.begin(), warnings.end(), [](const auto& w) {
            return w.code == "current_limit_below_peak";
        });
        EXPECT_EQ(said, limit < outcome.plan->Ipk_A) << limit;
    }
}

TEST(ChoicesTest, AVorThatLeavesNoDutyOrAClampBelowItIsSaid) {
    const numtext::InputTexts texts{"12", "375", "120", "65", "80", "12"};
    Choices low;
    low.vorSource = VorSource::SwitchRating;
    low.VdsRating_V = 400;  // 0.8 × 400 is below Vmax alone
    EXPECT_NE(plan_sheet::FailureText(PlanFor(texts, low)).find("反射电压"), std::string::npos);
    Choices clamp;
    clamp.Vclamp_V = 50;
    EXPECT_NE(plan_sheet::FailureText(PlanFor(texts, clamp)).find("钳位电压"), std::string::npos);
}

TEST(ChoicesTest, OutputsAndTurnsAreReadAsTyped) {
    const struct {
        const char* text;
        bool read;
        OutputLoad load;
    } outputs[] = {
        {"12:1", true, {12, 1, 0.5}},
        {"5:2:0.4", true, {5, 2, 0.4}},
        {"12", false, {}},
        {"12:", false, {}},
        {"a:1", false, {}},
        {"1:2:0.3:0.2", true, {1, 2, 0.3, 0.2}},
        {"1:2:3:4:5", false, {}},
        {"1:2::0.2", false, {}},
        {"3.3:1.5e0", true, {3.3, 1.5, 0.5}},
    };
    for (const auto& [text, read, load] : outputs) {
        const auto got = ReadOutputLoad(text, 0.5);
        ASSERT_EQ(got.has_value(), read) << text;
        if (!read) continue;
        EXPECT_EQ(got->V, load.V);
        EXPECT_EQ(got->I_A, load.I_A);
        EXPECT_EQ(got->VF_V, load.VF_V);
        EXPECT_EQ(got->Imin_A, load.Imin_A) << text;
    }
    const struct {
        const char* text;
        bool read;
        int Np, Ns;
        std::optional<int> Naux;
    } turns[] = {
        {"150:9", true, 150, 9, {}},
        {"150:9:15", true, 150, 9, 15},
        {"150", false, 0, 0, {}},
        {"150:9.5", false, 0, 0, {}},
        {"0:9", false, 0, 0, {}},
        {"150:9:15:1", false, 0, 0, {}},
        // One turns limit, the boxes', the files' and the plan's alike.
        {"100000:1", true, kMostTurns, 1, {}},
        {"100001:1", false, 0, 0, {}},
        {"1:1:100001", false, 0, 0, {}},
    };
    for (const auto& t : turns) {
        Choices choices;
        ASSERT_EQ(ReadTurns(t.text, choices), t.read) << t.text;
        if (!t.read) continue;
        EXPECT_EQ(choices.Np, t.Np);
        EXPECT_EQ(choices.Ns, t.Ns);
        EXPECT_EQ(choices.Naux, t.Naux);
    }
}

// The bias winding's load is power the core stores: 15 V at 0.1 A beside a
// 5 W output raises the peak current by 1.5 W's worth, in every mode, and
// nothing without a bias winding to carry it.
TEST(ChoicesTest, TheBiasLoadIsStoredInTheCore) {
    const numtext::InputTexts five{"5", "375", "120", "65", "75", "5"};
    for (const Conduction mode : {Conduction::Boundary, Conduction::Ripple}) {
        Choices choices;
        choices.conduction = mode;
        choices.KRP = 0.6;
        choices.Np = 120;
        choices.Ns = 6;  // fixed turns: the same Vor and duty with the load or without
        Options options;
        options.choices = choices;
        options.core = "EFD20/10/7";
        options.Vaux_V = 15;
        const PlanOutcome without = PlanWinding(record::RecordPress(five), options, Parts());
        options.choices.biasI_A = 0.1;
        const PlanOutcome with = PlanWinding(record::RecordPress(five), options, Parts());
        ASSERT_TRUE(without.plan && with.plan)
            << winding::PlanFailureName(without.failure) << winding::PlanFailureName(with.failure);
        EXPECT_DOUBLE_EQ(with.plan->Pbias_W, 1.5);
        EXPECT_DOUBLE_EQ(with.plan->Pout_W, 5);
        EXPECT_NEAR(with.plan->Ipk_A / without.plan->Ipk_A, 1.3, 1e-9);
        options.Vaux_V.reset();  // no bias winding: the load has nowhere to be
        const PlanOutcome none = PlanWinding(record::RecordPress(five), options, Parts());
        ASSERT_TRUE(none.plan);
        EXPECT_EQ(none.plan->Ipk_A, without.plan->Ipk_A);
    }
}

// A design that spends current says so: a reflected voltage below 0.2 × Vmax
// (a 500 V switch at 375 V DC leaves 17 V), or a duty below 0.3 at the
// minimum input (a narrow input range); the usual design says neither, nor
// a 650 V switch, whose clamp at 1.5 × Vor leaves Vor 96 V.
TEST(ChoicesTest, ALowReflectedVoltageOrDutyIsACaution) {
    Choices rated;
    rated.vorSource = VorSource::SwitchRating;
    rated.VdsRating_V = 500;
    Choices usual = rated;
    usual.VdsRating_V = 650;
    const struct {
        numtext::InputTexts texts;
        Choices choices;
        const char* warned;  // or none
    } cases[] = {
        {{"5", "375", "120", "65", "75", "5"}, rated, "reflected_voltage_low"},
        {{"12", "375", "350", "65", "80", "12"}, {}, "duty_cycle_low"},
        {{"12", "375", "120", "65", "80", "12"}, {}, nullptr},
        {{"5", "375", "120", "65", "75", "5"}, usual, nullptr},
    };
    for (const auto& c : cases) {
        const PlanOutcome outcome = PlanFor(c.texts, c.choices);
        ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
        std::set<std::string> codes;
        for (const PlanWarning& w : outcome.plan->warnings) codes.emplace(w.code);
        for (const char* code : {"reflected_voltage_low", "duty_cycle_low"}) {
            EXPECT_EQ(codes.contains(code), c.warned != nullptr && std::string(c.warned) == code)
                << c.texts[2] << " " << code;
        }
    }
}

}  // namespace
}  // namespace flyback::winding

namespace flyback::winding {
namespace {

// The choices' table, which every front end and the design file read: a row
// per choice in the enumeration's order, each name once, each first value a
// box can show, each default the one the plan takes, and each value held
// where the plan reads it.
TEST(ChoiceTableTest, EachRowIsItsChoiceOnceAndHoldsWhereThePlanReads) {
    std::set<std::string_view> flags, fileKeys, keptKeys;
    const Choices none;
    for (std::size_t i = 0; i < std::size(kChoiceNumbers); ++i) {
        const ChoiceNumberInfo& info = kChoiceNumbers[i];
        SCOPED_TRACE(std::string(info.fileKey));
        EXPECT_EQ(static_cast<std::size_t>(info.choice), i);
        EXPECT_TRUE(info.flag.empty() || flags.insert(info.flag).second);
        EXPECT_TRUE(fileKeys.insert(info.fileKey).second);
        EXPECT_TRUE(keptKeys.insert(info.keptKey).second);
        EXPECT_FALSE(info.caption.empty());
        EXPECT_TRUE(info.low <= info.first && info.first <= info.high);
        EXPECT_FALSE(info.vorSource && info.conduction);
        // Only a choice the plan may be left to make is unset without one.
        EXPECT_EQ(HeldValue(none, info.choice).has_value(), info.none.empty());
        if (info.isDefault) {
            EXPECT_EQ(*HeldValue(none, info.choice), info.first / info.shownPerHeld);
        }
        Choices set;
        SetHeldValue(set, info.choice, info.high / info.shownPerHeld);
        EXPECT_EQ(HeldValue(set, info.choice), info.high / info.shownPerHeld);
        if (!info.none.empty()) {
            SetHeldValue(set, info.choice, std::nullopt);
            EXPECT_FALSE(HeldValue(set, info.choice));
        }
    }
    // Each row reaches its own field: all set at once, each reads back its own.
    Choices all;
    for (const ChoiceNumberInfo& info : kChoiceNumbers)
        SetHeldValue(all, info.choice, 1000 + static_cast<double>(info.choice));
    for (const ChoiceNumberInfo& info : kChoiceNumbers)
        EXPECT_EQ(HeldValue(all, info.choice), 1000 + static_cast<double>(info.choice));
    EXPECT_EQ(all.Vor_V, 1000 + static_cast<double>(ChoiceNumber::Vor));
    EXPECT_EQ(all.Lp_H, 1000 + static_cast<double>(ChoiceNumber::Lp));
    EXPECT_EQ(all.Ilimit_A, 1000 + static_cast<double>(ChoiceNumber::Ilimit));
}

// A new output row takes its share of the press's power: the first is the
// press's own output, each further one at 12 V the power the rows before
// leave, or a tenth of it where they leave none; without a press, the
// columns' first values.
TEST(ChoicesTest, ANewOutputTakesThePowerTheRowsLeave) {
    const struct {
        std::vector<OutputLoad> rows;
        std::optional<double> P, Vo;
        double V, I;
    } cases[] = {
        {{}, 60, 5, 5, 12},
        {{{5, 12, 0.5}}, 60, 5, 12, 0.1 * 60 / 12},
        {{{5, 6, 0.5}}, 60, 5, 12, 2.5},
        {{{5, 2, 0.5}}, 30, 5, 12, 1.667},  // to the column's decimals
        {{{5, 2, 0.5}, {12, 1.667, 0.7}}, 30, 5, 12, 0.25},
        {{}, std::nullopt, 5, 12, 1},
        {{}, 60, 0, 12, 1},
        {{}, 1e9, 1e6, 1000, 1000},  // within the columns' bounds
    };
    for (const auto& c : cases) {
        const OutputLoad row = NewOutput(c.rows, c.P, c.Vo);
        EXPECT_EQ(row.V, c.V) << c.rows.size() << " rows, P " << c.P.value_or(-1);
        EXPECT_DOUBLE_EQ(row.I_A, c.I) << c.rows.size() << " rows, P " << c.P.value_or(-1);
        EXPECT_EQ(row.VF_V, kOutputColumns[2].first);
        EXPECT_FALSE(row.Imin_A);
    }
}

}  // namespace
}  // namespace flyback::winding
