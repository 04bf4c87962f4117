#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "plan_sheet/plan_sheet.hpp"
#include "record/readable.hpp"
#include "winding/plan.hpp"

namespace flyback::winding {

// The plan's lines are read back where the plan is checked.
using plan_sheet::PlanLines;
using plan_sheet::SheetLine;
namespace {

// 60 W, 24 V out of 249–373 V DC at 100 kHz, 80 % efficient.
const numtext::InputTexts kSupply{"60", "373", "249", "100", "80", "24"};

Plan PlanOf(const Options& options) {
    const PlanOutcome outcome =
        PlanWinding(record::RecordPress(kSupply), options, catalogue::BuiltIn());
    EXPECT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
    return *outcome.plan;
}

void ExpectRelative(double actual, double expected, double within, const std::string& what) {
    EXPECT_NEAR(actual / expected, 1, within) << what << ": " << actual << " against " << expected;
}

struct FlowCase {
    std::string name;
    Options options;
    Mode mode;
};

std::vector<FlowCase> FlowCases() {
    std::vector<FlowCase> cases;
    cases.push_back({"boundary", {}, Mode::Boundary});
    Options ripple;
    ripple.choices.conduction = Conduction::Ripple;
    ripple.choices.KRP = 0.6;
    cases.push_back({"continuous, KRP 0.6", ripple, Mode::Continuous});
    Options small;
    small.choices.conduction = Conduction::Inductance;
    small.choices.Lp_H = 250e-6;
    cases.push_back({"discontinuous, Lp 250 µH", small, Mode::Discontinuous});
    Options several;
    several.choices.outputs = {{24, 2, 0.5}, {12, 0.5, 0.7}};
    several.Vaux_V = 15;
    several.choices.biasI_A = 0.05;
    several.order = Order::PSP;
    cases.push_back({"two outputs and a loaded bias, P-S-P", several, Mode::Boundary});
    Options given;
    given.lossSplit = 0.5;
    cases.push_back({"the loss split given", given, Mode::Boundary});
    Options givenContinuous = ripple;
    givenContinuous.lossSplit = 0.3;
    cases.push_back({"the loss split given, continuous", givenContinuous, Mode::Continuous});
    return cases;
}

// One energy flow with every law true at once: the core stores what the
// secondary side takes, the input gives P ÷ eta, the secondaries together
// take the primary's ampere-turns at switch-off, and each output's
// rectifier carries its own current on average.
TEST(EnergyFlowTest, EveryLawHoldsTogetherInEachMode) {
    for (const FlowCase& c : FlowCases()) {
        SCOPED_TRACE(c.name);
        const Plan plan = PlanOf(c.options);
        const OperatingPoint& p = plan.atVmin;
        EXPECT_EQ(p.mode, c.mode);

        const double stored = 0.5 * plan.Lp_H * (p.Ipk * p.Ipk - p.Iv * p.Iv) * plan.f_Hz;
        ExpectRelative(stored, plan.stored_W, 1e-9, "½·Lp·(Ipk² − Iv²)·f");

        const double drawn = p.Vin * 0.5 * (p.Ipk + p.Iv) * p.D;
        ExpectRelative(drawn, (plan.Pout_W + plan.Pbias_W) / plan.eta, 1e-9, "Vmin × mean current");

        double ampereTurns = 0;
        for (const OutputResult& out : plan.outputs) ampereTurns += out.turns * out.Ipeak_A;
        for (const Winding& w : plan.windings) {
            if (w.role == Role::Bias && w.Ipeak_A) ampereTurns += w.turns * *w.Ipeak_A;
        }
        ExpectRelative(ampereTurns, plan.Np * p.Ipk, 1e-9, "Σ Ns × Isp");

        const double valleyShare = p.Iv / p.Ipk;
        for (const OutputResult& out : plan.outputs) {
            const double mean = 0.5 * out.Ipeak_A * (1 + valleyShare) * p.D2;
            ExpectRelative(mean, out.set.I_A, 1e-9, "an output's mean rectifier current");
        }
        // The magnetising inductance's volt-seconds balance where the
        // current runs on, and the reset ends in time where it does not.
        if (p.mode != Mode::Discontinuous) {
            ExpectRelative(p.Von * p.D, p.Vreset * (1 - p.D), 1e-9, "Von·D = Vreset·(1 − D)");
        } else {
            EXPECT_LT(p.D + p.D2, 1);
        }
        EXPECT_LE(plan.stored_W, plan.InputPower());
        EXPECT_GE(plan.stored_W, plan.rectified_W);
        // The sheet, the report and the copy hand on the same figures.
        std::string flow;
        for (const SheetLine& line : PlanLines(plan)) {
            if (line.caption == "能量分配") flow = line.value;
        }
        for (const double watts : {plan.stored_W, plan.rectified_W, plan.PrimarySide_W()}) {
            EXPECT_NE(flow.find(record::ReadableValue(watts, "W")), std::string::npos)
                << flow << " lacks " << watts;
        }
    }
}

// What the core stores: the options' split of the loss, or the plan's own
// secondary copper, core loss and the clamp's share of the magnetising
// energy over the rectified power, settled.
TEST(EnergyFlowTest, TheStoredPowerIsTheSplitOrThePlansOwnSecondaryLoss) {
    for (const FlowCase& c : FlowCases()) {
        SCOPED_TRACE(c.name);
        const Plan plan = PlanOf(c.options);
        const double Pin = plan.InputPower(), Pout = plan.Pout_W + plan.Pbias_W;
        if (c.options.lossSplit) {
            ExpectRelative(plan.stored_W, Pout + *c.options.lossSplit * (Pin - Pout), 1e-12, "Z");
            continue;
        }
        double secondary = *plan.Pcore_W + ClampShareFromTheCore(plan);
        for (const Winding& w : plan.windings) {
            if (w.role != Role::Primary && w.Irms_A) secondary += *w.Pac_W;
        }
        ExpectRelative(plan.stored_W, plan.rectified_W + secondary, 1e-5, "settled");
        ASSERT_TRUE(plan.LossSplit());
        ExpectRelative(*plan.LossSplit(), (plan.stored_W - Pout) / (Pin - Pout), 1e-12, "Z found");
        EXPECT_GT(plan.flowRounds, 1);
    }
}

// A split below what the rectifiers alone take is taken at their share: the
// core never stores less than the outputs draw through them.
TEST(EnergyFlowTest, ASplitBelowTheRectifiersIsTakenAtTheirShare) {
    Options options;
    options.lossSplit = 0.01;
    const Plan plan = PlanOf(options);
    EXPECT_EQ(plan.stored_W, plan.rectified_W);
    EXPECT_EQ(plan.rectified_W, (24 + 0.5) * 2.5);
}

// The bias winding's load is stored in the core like any output's: 1.5 W on
// a 5 W supply raises the peak current with it.
TEST(EnergyFlowTest, TheBiasLoadMovesThePeakCurrent) {
    const numtext::InputTexts five{"5", "373", "127", "100", "75", "5"};
    const auto peak = [&](double biasI) {
        Options options;
        options.Vaux_V = 15;
        options.choices.biasI_A = biasI;
        const PlanOutcome outcome =
            PlanWinding(record::RecordPress(five), options, catalogue::BuiltIn());
        EXPECT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
        return outcome.plan->Ipk_A;
    };
    EXPECT_GT(peak(0.1) / peak(0), 1.2);
}

}  // namespace
}  // namespace flyback::winding
