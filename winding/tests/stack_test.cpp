#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "catalogue/catalogue.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "record/design_record.hpp"
#include "record/readable.hpp"
#include "winding/capacitances.hpp"
#include "winding/leakage.hpp"
#include "winding/plan.hpp"

namespace flyback::winding {
namespace {

// The classic three outputs: a 5 V main, a 12 V rail and a 30 V tuning
// supply, on a 25 W supply from a wide input.
const std::vector<OutputLoad> kThreeOutputs = {{5, 2, 0.5}, {12, 1.2, 0.7}, {30, 0.02, 0.7}};

PlanOutcome PlanOf(std::vector<OutputLoad> outputs, bool stack, Order order = Order::PSB) {
    Options options;
    options.choices.outputs = std::move(outputs);
    options.stack = stack;
    options.order = order;
    return PlanWinding(record::RecordPress({"25", "375", "100", "65", "80", "5"}), options,
                       catalogue::BuiltIn());
}

std::vector<const Winding*> Secondaries(const Plan& plan) {
    std::vector<const Winding*> found;
    for (const Winding& w : plan.windings) {
        if (w.role == Role::Secondary) found.push_back(&w);
    }
    return found;
}

// The stack from the return up, in each order the secondaries may be wound
// in: each section's turns the difference to the tap below, so the tap
// reaches the output's own turns; the sections wound together, base first;
// the regulated output needs not be the base (12 V regulated, 5 V below it).
TEST(StackTest, EachSectionIsTheTurnsFromTheTapBelow) {
    const struct {
        std::vector<OutputLoad> outputs;
        Order order;
        std::vector<int> fromTheReturn;  // outputs, fewest turns first
    } cases[] = {
        {kThreeOutputs, Order::PSB, {0, 1, 2}},
        {kThreeOutputs, Order::PBS, {0, 1, 2}},
        {kThreeOutputs, Order::PSP, {0, 1, 2}},
        {{{12, 1, 0.7}, {5, 1, 0.5}}, Order::PSB, {1, 0}},
    };
    for (const auto& c : cases) {
        const PlanOutcome outcome = PlanOf(c.outputs, true, c.order);
        ASSERT_TRUE(outcome.plan) << plan_sheet::FailureText(outcome);
        const Plan& plan = *outcome.plan;
        EXPECT_EQ(StackOrder(plan), c.fromTheReturn);
        const std::vector<const Winding*> sections = Secondaries(plan);
        ASSERT_EQ(sections.size(), c.outputs.size());
        int reached = 0;
        for (std::size_t s = 0; s < sections.size(); ++s) {
            const Winding& w = *sections[s];
            EXPECT_EQ(w.output, c.fromTheReturn[s]);
            EXPECT_EQ(TurnsBelow(plan, w), reached);
            reached += w.turns;
            EXPECT_EQ(reached, plan.outputs[static_cast<std::size_t>(w.output)].turns);
        }
        // Wound one after another, nothing between them.
        const Winding* first = sections.front();
        for (std::size_t s = 0; s < sections.size(); ++s) EXPECT_EQ(first + s, sections[s]);
    }
}

// All the rectifiers conduct through the reset with one shape, so a section
// carries the charge of its own output and of every output above it, and
// its RMS current is theirs summed.
TEST(StackTest, ASectionCarriesTheChargeOfEveryOutputAboveIt) {
    const PlanOutcome outcome = PlanOf(kThreeOutputs, true);
    ASSERT_TRUE(outcome.plan);
    const Plan& plan = *outcome.plan;
    const double carried[] = {2 + 1.2 + 0.02, 1.2 + 0.02, 0.02};  // mean A, base first
    const std::vector<const Winding*> sections = Secondaries(plan);
    for (std::size_t s = 0; s < sections.size(); ++s) {
        double mean = 0, summed = 0;
        for (std::size_t o = 0; o < plan.outputs.size(); ++o) {
            if (!CarriesOutput(plan, *sections[s], static_cast<int>(o))) continue;
            mean += plan.outputs[o].set.I_A;
            summed += plan.outputs[o].Irms_A;
        }
        EXPECT_NEAR(mean, carried[s], 1e-12) << s;
        EXPECT_NEAR(*sections[s]->Irms_A, summed, 1e-9 * summed) << s;
        // One shape: the peak to RMS of any output.
        EXPECT_NEAR(*sections[s]->Ipeak_A / *sections[s]->Irms_A,
                    plan.outputs[0].Ipeak_A / plan.outputs[0].Irms_A, 1e-9)
            << s;
    }
    // Apart, each winding carries its own output alone.
    const PlanOutcome apart = PlanOf(kThreeOutputs, false);
    ASSERT_TRUE(apart.plan);
    for (const Winding* w : Secondaries(*apart.plan)) {
        for (int o = 0; o < 3; ++o) EXPECT_EQ(CarriesOutput(*apart.plan, *w, o), o == w->output);
        EXPECT_EQ(TurnsBelow(*apart.plan, *w), 0);
    }
}

// A section's turns swing above the tap it starts from: its dot as far as
// its output's turns, its last layer down to the tap below.
TEST(StackTest, TheSectionsSwingAboveTheirTaps) {
    const PlanOutcome outcome = PlanOf(kThreeOutputs, true);
    ASSERT_TRUE(outcome.plan);
    const Plan& plan = *outcome.plan;
    for (const Winding* w : Secondaries(plan)) {
        const auto [dot, quiet] = LayerSwing(plan, *w, 0);
        const double top = plan.outputs[static_cast<std::size_t>(w->output)].turns;
        EXPECT_DOUBLE_EQ(dot, top / plan.Np) << WindingName(*w);
        const auto [last0, last1] = LayerSwing(plan, *w, w->layers - 1);
        const double lowest = std::min(last0, last1);
        EXPECT_NEAR(lowest, double(TurnsBelow(plan, *w)) / plan.Np, 1e-12) << WindingName(*w);
    }
}

// What cannot be stacked is refused with why: one output, a stack split
// around the primary, two outputs on the same turns.
TEST(StackTest, WhatCannotStackIsRefusedWithWhy) {
    const struct {
        std::vector<OutputLoad> outputs;
        Order order;
        PlanFailure failure;
        Combination combination;
        std::string said;
    } cases[] = {
        {{}, Order::PSB, PlanFailure::OptionInvalid, Combination::StackOneOutput, "至少两路"},
        {{{5, 2, 0.5}},
         Order::PSB,
         PlanFailure::OptionInvalid,
         Combination::StackOneOutput,
         "至少两路"},
        {kThreeOutputs, Order::SPS, PlanFailure::OptionInvalid, Combination::StackSplit, "S-P-S"},
        {{{5, 2, 0.5}, {5.1, 1, 0.5}},
         Order::PSB,
         PlanFailure::StackSameTurns,
         Combination::None,
         "叠绕时两抽头之间没有匝数"},
    };
    for (const auto& c : cases) {
        const PlanOutcome outcome = PlanOf(c.outputs, true, c.order);
        ASSERT_FALSE(outcome.plan) << c.said;
        EXPECT_EQ(outcome.failure, c.failure) << c.said;
        EXPECT_EQ(outcome.detail.combination, c.combination) << c.said;
        EXPECT_NE(plan_sheet::FailureText(outcome).find(c.said), std::string::npos)
            << plan_sheet::FailureText(outcome);
    }
    // Left to the plan, the order never splits a stack.
    const PlanOutcome chosen = PlanOf(kThreeOutputs, true, Order::Auto);
    ASSERT_TRUE(chosen.plan);
    EXPECT_NE(chosen.plan->options.order, Order::SPS);
}

// Outputs wound apart carry the same build stacked beside them; a stacked
// plan, one output, or outputs that cannot stack carry none.
TEST(StackTest, OutputsApartCarryTheSameBuildStacked) {
    const PlanOutcome apart = PlanOf(kThreeOutputs, false);
    ASSERT_TRUE(apart.plan && apart.plan->stacked);
    const Plan& stacked = *apart.plan->stacked;
    EXPECT_TRUE(stacked.options.stack);
    EXPECT_EQ(stacked.core, apart.plan->core);
    EXPECT_EQ(stacked.options.order, apart.plan->options.order);
    EXPECT_EQ(stacked.insulation.tripleInsulated, apart.plan->insulation.tripleInsulated);
    for (std::size_t o = 0; o < 3; ++o)
        EXPECT_EQ(stacked.outputs[o].turns, apart.plan->outputs[o].turns) << o;
    const PlanOutcome none[] = {PlanOf(kThreeOutputs, true), PlanOf({}, false),
                                PlanOf({{5, 2, 0.5}, {5.1, 1, 0.5}}, false),
                                PlanOf(kThreeOutputs, false, Order::SPS)};
    for (const PlanOutcome& outcome : none) {
        ASSERT_TRUE(outcome.plan);
        EXPECT_FALSE(outcome.plan->stacked);
    }
}

// The plan says the stack from its return up.
TEST(StackTest, ThePlanSaysTheStack) {
    const PlanOutcome outcome = PlanOf(kThreeOutputs, true);
    ASSERT_TRUE(outcome.plan);
    std::string said;
    for (const plan_sheet::SheetLine& line : plan_sheet::PlanLines(*outcome.plan)) {
        if (line.caption == "叠绕") said = line.value;
    }
    const Plan& plan = *outcome.plan;
    for (const Winding* w : Secondaries(plan)) {
        const std::string turns =
            std::to_string(plan.outputs[static_cast<std::size_t>(w->output)].turns) + " 匝抽头";
        EXPECT_NE(said.find(turns), std::string::npos) << said;
    }
}

// How far an output may move is a choice: the summary and the stacked
// comparison say which outputs leave it (the three outputs apart move from
// −13.9 % to +2.9 %, stacked from −4.4 % to +2.9 %).
TEST(StackTest, TheRegulationBandIsAChoice) {
    const struct {
        double band;
        std::size_t apartOutside, stackedOutside;
    } cases[] = {{1, 2, 2}, {5, 2, 0}, {15, 0, 0}};
    for (const auto& c : cases) {
        Options options;
        options.choices.outputs = kThreeOutputs;
        options.choices.regulationBand_pct = c.band;
        const PlanOutcome outcome =
            PlanWinding(record::RecordPress({"25", "375", "100", "65", "80", "5"}), options,
                        catalogue::BuiltIn());
        ASSERT_TRUE(outcome.plan);
        std::map<std::string, std::string> lines;
        for (const plan_sheet::SheetLine& line : plan_sheet::PlanLines(*outcome.plan))
            lines[line.caption] = line.value;
        const auto outside = [&](const std::string& caption) {
            std::size_t n = 0;
            const std::string said = "超出 ±" + record::ReadableValue(c.band, "%");
            for (std::size_t at = lines[caption].find(said); at != std::string::npos;
                 at = lines[caption].find(said, at + 1))
                ++n;
            return n;
        };
        EXPECT_EQ(outside("交叉调整"), c.apartOutside) << c.band;
        EXPECT_EQ(outside("交叉调整（叠绕对比）"), c.stackedOutside) << c.band;
        bool chosen = false;
        for (const plan_sheet::SheetLine& line : plan_sheet::OptionLines(options))
            chosen = chosen || line.caption == "交叉调整允许偏差";
        EXPECT_EQ(chosen, c.band != 5) << c.band;
    }
}

}  // namespace
}  // namespace flyback::winding
