#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "conditions/conditions.hpp"
#include "record/design_record.hpp"

namespace flyback::conditions {
namespace {

using winding::Plan;

// 60 W, 24 V out of 249–373 V DC at 100 kHz, 80 % efficient.
const numtext::InputTexts kSupply{"60", "373", "249", "100", "80", "24"};

Plan PlanOf(const winding::Options& options) {
    const winding::PlanOutcome outcome =
        winding::PlanWinding(record::RecordPress(kSupply), options, catalogue::BuiltIn());
    EXPECT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
    return *outcome.plan;
}

void ExpectRelative(double actual, double expected, const std::string& what, double within = 1e-9) {
    EXPECT_NEAR(actual / expected, 1, within) << what << ": " << actual << " against " << expected;
}

struct PlanCase {
    std::string name;
    winding::Options options;
};

std::vector<PlanCase> PlanCases() {
    std::vector<PlanCase> cases;
    cases.push_back({"boundary", {}});
    winding::Options ripple;
    ripple.choices.conduction = winding::Conduction::Ripple;
    ripple.choices.KRP = 0.6;
    cases.push_back({"continuous, KRP 0.6", ripple});
    winding::Options small;
    small.choices.conduction = winding::Conduction::Inductance;
    small.choices.Lp_H = 250e-6;
    cases.push_back({"discontinuous, Lp 250 µH", small});
    winding::Options several;
    several.choices.outputs = {{24, 2, 0.5}, {12, 0.5, 0.7}};
    several.Vaux_V = 15;
    several.choices.biasI_A = 0.05;
    several.order = winding::Order::PSP;
    cases.push_back({"two outputs and a loaded bias, P-S-P", several});
    return cases;
}

// At the plan's own conditions the analysis is the plan's: the same
// currents, flux and losses, split windings, several outputs and a loaded
// bias winding included.
TEST(ConditionsTest, AtThePlansOwnConditionsEveryFigureIsThePlans) {
    for (const PlanCase& c : PlanCases()) {
        SCOPED_TRACE(c.name);
        const Plan plan = PlanOf(c.options);
        const Analysed low = Analyse(plan, {"low", plan.atVmin.Vin, 1, plan.f_Hz});
        ExpectRelative(low.point.Ipk, plan.atVmin.Ipk, "Ipk");
        ExpectRelative(low.point.D, plan.atVmin.D, "D");
        ExpectRelative(low.Bpk_T, plan.BpkMinSection_T, "Bpk");
        ExpectRelative(low.deltaB_T, plan.deltaB_T, "ΔB");
        ASSERT_TRUE(low.Pcore_W && low.Pcopper_W);
        // The plan's losses are its last thermal step's, taken within 0.01 K
        // of the temperature it settled at, which the analysis takes: a
        // ferrite's loss moves up to 2 % a kelvin there.
        ExpectRelative(*low.Pcore_W, *plan.Pcore_W, "core loss", 2e-4);
        ExpectRelative(*low.Pcopper_W, *plan.Pcopper_W, "copper loss", 2e-4);
        const Analysed high = Analyse(plan, {"high", plan.atVmax.Vin, 1, plan.f_Hz});
        ExpectRelative(high.point.Ipk, plan.atVmax.Ipk, "Ipk at the maximum input");
        EXPECT_EQ(high.point.mode, plan.atVmax.mode);
        const winding::Corner& light = plan.corners[2];
        ASSERT_EQ(light.kind, winding::CornerKind::LightLoad);
        const Analysed idle = Analyse(plan, {"light", light.point.Vin, light.load, plan.f_Hz});
        ExpectRelative(idle.point.Ipk, light.point.Ipk, "Ipk at light load");
        ExpectRelative(idle.Bpk_T, light.Bpk_T, "Bpk at light load");
    }
}

// Discontinuous, the core delivers ½·Lp·Ipk²·f each second: twice the
// frequency, the peak falls by √2 and the duty with it. The copper's AC
// share grows with the frequency, and less load loses less in the copper.
TEST(ConditionsTest, TheCurrentAndLossesFollowTheFrequencyAndTheLoad) {
    winding::Options small;
    small.choices.conduction = winding::Conduction::Inductance;
    small.choices.Lp_H = 250e-6;
    const Plan plan = PlanOf(small);
    const Analysed base = Analyse(plan, {"", 373, 1, plan.f_Hz});
    const Analysed faster = Analyse(plan, {"", 373, 1, 2 * plan.f_Hz});
    ASSERT_EQ(base.point.mode, winding::Mode::Discontinuous);
    ASSERT_EQ(faster.point.mode, winding::Mode::Discontinuous);
    EXPECT_NEAR(faster.point.Ipk * std::sqrt(2) / base.point.Ipk, 1, 1e-12);
    EXPECT_NEAR(faster.Bpk_T * std::sqrt(2) / base.Bpk_T, 1, 1e-12);
    // The RMS falls as 2^(-1/4) while the AC factor rises: more than that
    // fall alone would leave.
    EXPECT_GT(*faster.Pcopper_W, *base.Pcopper_W / std::sqrt(2));
    const Analysed half = Analyse(plan, {"", 373, 0.5, plan.f_Hz});
    EXPECT_LT(*half.Pcopper_W, *base.Pcopper_W);
    EXPECT_LT(*half.Pcore_W, *base.Pcore_W);
}

TEST(ConditionsTest, AConditionNoTransformerRunsAtIsSaid) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        Condition condition;
        Problem problem;
    } cases[] = {
        {{"", 249, 1, 100e3}, Problem::None},    {{"", 249, 10, 100e3}, Problem::None},
        {{"", 0, 1, 100e3}, Problem::Voltage},   {{"", nan, 1, 100e3}, Problem::Voltage},
        {{"", inf, 1, 100e3}, Problem::Voltage}, {{"", 249, 0, 100e3}, Problem::Load},
        {{"", 249, 10.5, 100e3}, Problem::Load}, {{"", 249, nan, 100e3}, Problem::Load},
        {{"", 249, 1, 0}, Problem::Frequency},   {{"", 249, 1, inf}, Problem::Frequency},
        {{"", -1, 0, 0}, Problem::Voltage},  // the first found
    };
    for (const auto& c : cases) {
        const Condition& k = c.condition;
        EXPECT_EQ(Check(k), c.problem) << k.Vin_V << " V, " << k.load << ", " << k.f_Hz;
        EXPECT_EQ(ProblemCaption(Check(k)).empty(), c.problem == Problem::None);
    }
    EXPECT_EQ(ProblemCaption(Problem::Load), "负载须大于零，且不超过满载的 10 倍");
}

TEST(ConditionsTest, ALineSaysTheConditionAndWhatItDoes) {
    const Plan plan = PlanOf({});
    const Line line = Words(Analyse(plan, {"满载", 249, 1, 100e3}));
    EXPECT_EQ(line.caption, "满载");
    EXPECT_EQ(line.text.find("输入电压 249 V，频率 100 kHz，负载 100 %，模式 "), 0U) << line.text;
    EXPECT_NE(line.text.find("磁芯损耗 "), std::string::npos);
}

}  // namespace
}  // namespace flyback::conditions
