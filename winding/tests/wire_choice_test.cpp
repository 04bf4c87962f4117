#include "winding/wire_choice.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <thread>

#include "insulation/requirements.hpp"
#include "record/design_record.hpp"
#include "record/readable.hpp"
#include "winding/physics.hpp"

namespace flyback::winding {
namespace {

const catalogue::Catalogue& Parts() {
    return catalogue::BuiltIn();
}

Plan PlanOf(const numtext::InputTexts& texts, const Options& options = {}) {
    PlanOutcome outcome = PlanWinding(record::RecordPress(texts), options, Parts());
    EXPECT_TRUE(outcome.plan) << PlanFailureName(outcome.failure);
    return outcome.plan ? *outcome.plan : Plan{};
}

// A winding's copper loss at the temperature the choice is made at.
double LossAtWorkingTemperature(const Winding& w, const Plan& plan) {
    const double celsius = physics::kWorkingTemperature_C;
    const double dc = *w.Irms_A * *w.Irms_A * CopperResistivity(celsius) *
                      (*plan.core->MLT_mm * 1e-3) * w.turns / (CopperArea_mm2(w) * 1e-6);
    return dc * AcToDc(CurrentOf(w, plan), PenetrationOf(w, plan, celsius), DowellLayers(w)).ratio;
}

struct Design {
    numtext::InputTexts texts;
    std::string core;  // empty: the plan's own choice
    bool tiw = false;
};

const Design kDesigns[] = {
    {{"18", "374.77", "100.45", "65", "85", "12"}, "", false},
    {{"10", "374.77", "100.45", "65", "80", "5"}, "", false},
    {{"60", "373", "249", "100", "80", "24"}, "", false},
    {{"60", "373", "249", "100", "80", "24"}, "PQ20/20", false},
    {{"12", "375", "120", "65", "80", "12"}, "EFD20", true},
    {{"30", "373", "100", "130", "80", "15"}, "", false},
    {{"60", "373", "249", "200", "80", "24"}, "", false},
    {{"5", "375", "100", "400", "80", "12"}, "", false},
};

TEST(WireChoiceTest, NoWindingLosesMoreThanTheStrandRulesWireWould) {
    for (const Design& d : kDesigns) {
        Options options;
        options.core = d.core;
        options.construction = d.tiw ? Construction::Tiw : Construction::Margin;
        const Plan chosen = PlanOf(d.texts, options);
        ASSERT_TRUE(chosen.core) << d.texts[0];
        Plan rule = chosen;
        StrandRuleWires(rule, Parts());
        for (std::size_t i = 0; i < chosen.windings.size(); ++i) {
            const Winding& w = chosen.windings[i];
            // The strand rule's wire is a candidate only where the rules allow it.
            if (!w.Irms_A || rule.windings[i].layers > options.choices.rules.mostLayers) continue;
            EXPECT_LE(LossAtWorkingTemperature(w, chosen),
                      LossAtWorkingTemperature(rule.windings[i], rule) * (1 + 1e-12))
                << d.texts[0] << " W " << d.texts[5] << " V, " << WindingName(w);
        }
        if (d.core.empty()) {  // an automatic core holds what it chose
            EXPECT_TRUE(chosen.fits) << d.texts[0];
        }
    }
}

Options WithRule(Options options, ChoiceNumber rule, double held) {
    SetHeldValue(options.choices, rule, held);
    return options;
}

// Every winding keeps to the winder's rules, or says which it breaks and by
// how much: the designs above, and those the rules were made for (a 15 W
// adapter left to its own order, a 20 mA bias, a 60 W adapter on PQ26/20).
TEST(WireChoiceTest, EveryConductorKeepsToTheWindersRulesOrSaysWhichItBreaks) {
    std::vector<std::pair<numtext::InputTexts, Options>> cases;
    for (const Design& d : kDesigns) {
        Options o;
        o.core = d.core;
        o.construction = d.tiw ? Construction::Tiw : Construction::Margin;
        cases.emplace_back(d.texts, o);
    }
    const numtext::InputTexts adapter = {"15", "373", "100", "65", "85", "12"};
    Options automatic;
    automatic.order = Order::Auto;
    cases.emplace_back(adapter, automatic);
    Options bias;
    bias.Vaux_V = 15;
    bias.choices.biasI_A = 0.02;
    cases.emplace_back(adapter, bias);
    Options pq;
    pq.core = "PQ26/20";
    pq.construction = Construction::Margin;
    cases.emplace_back(numtext::InputTexts{"60", "373", "100", "100", "88", "12"}, pq);
    // Where nothing the rules allow fits, the least lossy that fits is kept
    // with the rule it breaks and by how much: the 60 W adapter's primary on
    // PQ26/20, margin-wound, in six layers against four.
    std::vector<RuleBreach> broken;
    for (const auto& [texts, options] : cases) {
        const Plan plan = PlanOf(texts, options);
        const WinderRules& rules = plan.options.choices.rules;
        for (const Winding& w : plan.windings) {
            SCOPED_TRACE(std::string(texts[0]) + " W " + options.core + " " + WindingName(w));
            if (!w.Irms_A) continue;
            if (w.breach) {
                broken.push_back(*w.breach);
                if (w.breach->rule == ChoiceNumber::MostLayers) {
                    EXPECT_EQ(w.breach->value, w.layers);
                }
                EXPECT_EQ(w.decidedBy, ConductorReason::RulesBroken);
                EXPECT_GT(w.breach->value, w.breach->limit);
                EXPECT_TRUE(std::any_of(
                    plan.warnings.begin(), plan.warnings.end(), [](const PlanWarning& warning) {
                        return warning.code == "winder_rule_broken" &&
                               warning.strength == record::Warning::Strength::Caution;
                    }));
                continue;
            }
            EXPECT_NE(w.decidedBy, ConductorReason::RulesBroken);
            if (w.wire) {
                EXPECT_GE(w.wire->conductor_mm, rules.finestStrand_mm);
            }
            if (w.conductor == Conductor::Foil) {
                EXPECT_LE(w.turns, rules.foilMostTurns);
                EXPECT_GE(*w.Irms_A, rules.foilLeastCurrent_A);
            } else {
                EXPECT_LE(w.layers, rules.mostLayers);
            }
            if (w.conductor == Conductor::Litz) {
                EXPECT_GE(*w.Irms_A, rules.litzLeastCurrent_A);
                EXPECT_EQ(w.decidedBy, ConductorReason::LitzSaves);
            }
            if (w.role == Role::Bias || *w.Irms_A < rules.oneWireBelow_A) {
                EXPECT_EQ(w.decidedBy, ConductorReason::OneWire);
                EXPECT_EQ(w.conductor, Conductor::Round);
                EXPECT_EQ(w.strands, 1);
            }
        }
    }
    EXPECT_TRUE(std::any_of(broken.begin(), broken.end(), [](const RuleBreach& b) {
        return b.rule == ChoiceNumber::MostLayers && b.limit == 4 && b.value > 4;
    }));
}

// Each rule, loosened, gives back the conductor a shop would send back: a
// six-layer primary of five 0.106 mm strands, seven turns of foil for a
// 2.2 A secondary; at its default it keeps the build within it.
struct RuleCase {
    const char* what;
    numtext::InputTexts texts;
    ChoiceNumber rule;
    double loosened;
    std::size_t winding;
    std::function<bool(const Winding&)> keepsTo;
};

TEST(WireChoiceTest, EachRuleDecidesTheBuildThatBrokeIt) {
    const numtext::InputTexts adapter18 = {"12", "375", "120", "65", "80", "12"};
    const numtext::InputTexts adapter15 = {"15", "373", "100", "65", "85", "12"};
    const numtext::InputTexts adapter10 = {"10", "373", "127", "100", "80", "5"};
    const auto fewLayers = [](const Winding& w) { return w.layers <= 4; };
    const auto notFoil = [](const Winding& w) { return w.conductor != Conductor::Foil; };
    const auto oneWire = [](const Winding& w) {
        return w.conductor == Conductor::Round && w.strands == 1;
    };
    Options margins;  // the builds a shop sent back were margin-wound
    margins.construction = Construction::Margin;
    const RuleCase cases[] = {
        {"most layers", adapter15, ChoiceNumber::MostLayers, 50, 0, fewLayers},
        {"foil's turns", adapter15, ChoiceNumber::FoilTurns, 12, 1, notFoil},
        {"foil's current", adapter15, ChoiceNumber::FoilCurrent, 0, 1, notFoil},
        {"one wire", adapter18, ChoiceNumber::OneWireCurrent, 0, 0, oneWire},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.what);
        Options loosened = WithRule(margins, c.rule, c.loosened);
        if (c.rule == ChoiceNumber::FoilTurns) loosened.choices.rules.foilLeastCurrent_A = 0;
        if (c.rule == ChoiceNumber::FoilCurrent) loosened.choices.rules.foilMostTurns = 12;
        if (c.rule == ChoiceNumber::OneWireCurrent) loosened.choices.rules.mostLayers = 50;
        if (c.rule == ChoiceNumber::MostLayers) loosened.choices.rules.oneWireBelow_A = 0;
        const Plan kept = PlanOf(c.texts, margins);
        const Plan broken = PlanOf(c.texts, loosened);
        EXPECT_TRUE(c.keepsTo(kept.windings[c.winding]));
        EXPECT_FALSE(c.keepsTo(broken.windings[c.winding]));
        EXPECT_FALSE(kept.windings[c.winding].breach);
    }
    // Foil where the rules allow it: five turns of 3.3 A.
    EXPECT_EQ(PlanOf(adapter10, margins).windings[1].conductor, Conductor::Foil);
    // No strand below the finest, on any winding.
    for (const Winding& w :
         PlanOf(adapter18, WithRule({}, ChoiceNumber::FinestStrand, 0.3)).windings) {
        if (w.wire) {
            EXPECT_GE(w.wire->conductor_mm, 0.3);
        }
    }
}

// Left to the plan, the construction is margins unless they take more than
// 30 % of the bobbin's width or do not fit; then triple-insulated
// secondaries are planned too, and the one that fits and loses less is
// taken, with the other's build, warmth and loss beside it. Forced either
// way, nothing else is weighed.
TEST(WireChoiceTest, TripleInsulatedWireWhereMarginsCostAndItPays) {
    const numtext::InputTexts charger = {"10", "373", "127", "100", "80", "5"};
    const numtext::InputTexts adapter60 = {"60", "373", "100", "100", "88", "12"};
    const numtext::InputTexts wide = {"60", "373", "249", "100", "80", "24"};
    Options pq;
    pq.core = "PQ26/20";
    Options forcedMargins, forcedTiw;
    forcedMargins.construction = Construction::Margin;
    forcedTiw.construction = Construction::Tiw;
    const struct {
        const char* what;
        numtext::InputTexts texts;
        Options options;
        Construction taken;
        std::optional<bool> otherFits;  // none: no other weighed
    } cases[] = {
        {"EFD20: margins take 4.8 of 14 mm; TIW loses less", charger, {}, Construction::Tiw, true},
        {"PQ26/20: margins do not fit", adapter60, pq, Construction::Tiw, false},
        {"EFD30: margins take under 30 %", wide, {}, Construction::Margin, std::nullopt},
        {"margins forced", charger, forcedMargins, Construction::Margin, std::nullopt},
        {"TIW forced", charger, forcedTiw, Construction::Tiw, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Plan plan = PlanOf(c.texts, c.options);
        EXPECT_EQ(plan.options.construction, c.taken);
        EXPECT_EQ(plan.insulation.tripleInsulated, c.taken == Construction::Tiw);
        EXPECT_EQ(plan.insulation.margin_mm > 0, c.taken == Construction::Margin);
        EXPECT_EQ(plan.constructionChosen, c.options.construction == Construction::Auto);
        ASSERT_EQ(plan.otherConstruction.has_value(), c.otherFits.has_value());
        if (!c.otherFits) continue;
        const Plan::OtherConstruction& other = *plan.otherConstruction;
        EXPECT_NE(other.construction, c.taken);
        EXPECT_EQ(other.fits, *c.otherFits);
        EXPECT_TRUE(plan.fits || !other.fits);
        // The one taken is the plan of that construction, forced.
        Options same = c.options;
        same.construction = c.taken;
        EXPECT_EQ(PlanOf(c.texts, same).Pcopper_W, plan.Pcopper_W);
        if (other.fits && plan.fits) {
            ASSERT_TRUE(other.loss_W);
            EXPECT_LT(*plan.Pcopper_W + *plan.Pcore_W + TypicalClampLoss(plan), *other.loss_W);
        }
    }
}

TEST(WireChoiceTest, TheHalvesOfASplitPrimaryAreWoundOfTheSameWire) {
    Options options;
    options.order = Order::PSP;
    const Plan plan = PlanOf({"60", "373", "249", "100", "80", "24"}, options);
    const Winding& inner = plan.windings.front();
    const Winding& outer = plan.windings[2];
    ASSERT_EQ(outer.half, 2);
    EXPECT_EQ(inner.conductor, outer.conductor);
    EXPECT_EQ(inner.wire, outer.wire);
    EXPECT_EQ(inner.strands, outer.strands);
}

TEST(WireChoiceTest, FoilWoundWhereItLosesLeastAndOnlyForFewTurns) {
    const Plan low = PlanOf({"10", "374.77", "100.45", "65", "80", "5"});  // 5 V 2 A
    const Winding& secondary = low.windings[1];
    ASSERT_EQ(secondary.role, Role::Secondary);
    EXPECT_EQ(secondary.conductor, Conductor::Foil);
    // As wide as the bobbin less the margins, each turn a layer with tape.
    EXPECT_DOUBLE_EQ(secondary.foilWidth_mm, low.insulation.width_mm);
    EXPECT_EQ(secondary.layers, secondary.turns);
    EXPECT_DOUBLE_EQ(secondary.outer_mm,
                     secondary.foilThickness_mm + insulation::PlanTape().thickness_mm);
    // A 48 V secondary of many turns, and every primary, stay wire.
    const Plan high = PlanOf({"24", "375", "100", "100", "80", "48"});
    for (const Winding& w : high.windings) EXPECT_NE(w.conductor, Conductor::Foil);
    for (const Winding& w : low.windings) {
        if (w.role != Role::Secondary) {
            EXPECT_NE(w.conductor, Conductor::Foil);
        }
    }
}

TEST(WireChoiceTest, TripleInsulatedSecondariesStayTripleInsulatedRoundWire) {
    Options options;
    options.construction = Construction::Tiw;
    const Plan plan = PlanOf({"10", "374.77", "100.45", "65", "80", "5"}, options);
    for (const Winding& w : plan.windings) {
        if (w.role != Role::Secondary) continue;
        EXPECT_EQ(w.conductor, Conductor::Round);
        EXPECT_EQ(w.wire->kind, catalogue::WireKind::TripleInsulated);
    }
}

TEST(WireChoiceTest, ALitzBundleIsOneConductorAndRootNStrandRowsDeep) {
    Winding w;
    w.conductor = Conductor::Litz;
    w.wire = Parts().FindWire("0.1 mm");
    ASSERT_TRUE(w.wire);
    w.strands = 49;
    w.outer_mm = 1.0;
    w.turns = 30;
    LayOut(w, 10.5);
    EXPECT_EQ(w.turnsPerLayer, 10);
    EXPECT_EQ(w.layers, 3);
    EXPECT_DOUBLE_EQ(DowellLayers(w), 21);
    EXPECT_EQ(ConductorsPerTurn(w), 1);
    EXPECT_NEAR(CopperArea_mm2(w), 49 * 0.1 * 0.1 * 3.14159265358979 / 4, 1e-12);
}

// The order left to the plan is whichever of P-S-B, P-S-P and S-P-S loses
// least, copper, core and the clamp's typical loss together (the earlier on a
// tie, and never one that does not fit over one that does).
TEST(WireChoiceTest, TheAutomaticOrderIsTheOneThatLosesLeast) {
    const auto total = [](const Plan& p) {
        return *p.Pcopper_W + *p.Pcore_W + TypicalClampLoss(p);
    };
    std::map<Order, int> wins;
    for (const Design& d : kDesigns) {
        Options automatic;
        automatic.core = d.core;
        automatic.construction = d.tiw ? Construction::Tiw : Construction::Margin;
        automatic.order = Order::Auto;
        const Plan chosen = PlanOf(d.texts, automatic);
        ASSERT_TRUE(chosen.orderChosen);
        std::optional<Plan> best;
        for (const Order order : {Order::PSB, Order::PSP, Order::SPS}) {
            Options fixed = automatic;
            fixed.order = order;
            const Plan p = PlanOf(d.texts, fixed);
            if (!best || (total(p) < total(*best) && (p.fits || !best->fits))) best = p;
        }
        EXPECT_EQ(chosen.options.order, best->options.order) << d.texts[0];
        EXPECT_DOUBLE_EQ(total(chosen), total(*best)) << d.texts[0];
        ++wins[chosen.options.order];
    }
    // Splitting a winding around the other halves the proximity and the
    // leakage the clamp spends: on most designs here one of them wins.
    EXPECT_GT(wins[Order::PSP] + wins[Order::SPS], wins[Order::PSB]);
}

struct HotCase {
    double limit_C;
    double applied_C;  // the tape's class caps it
};

TEST(WireChoiceTest, TheHotLimitIsTheOptionsCappedByTheTapesClass) {
    ASSERT_TRUE(insulation::PlanTape().class_C);
    EXPECT_DOUBLE_EQ(*insulation::PlanTape().class_C, 130);
    for (const HotCase c : {HotCase{100, 100}, HotCase{60, 60}, HotCase{150, 130}}) {
        Options options;
        options.hotLimit_C = c.limit_C;
        EXPECT_DOUBLE_EQ(HotLimit(options), c.applied_C) << c.limit_C;
    }
}

TEST(WireChoiceTest, AnAutomaticCoreKeepsToTheHotLimitAndSaysWhatSizedIt) {
    for (const Design& d : kDesigns) {
        if (!d.core.empty()) continue;
        const Plan plan = PlanOf(d.texts);
        ASSERT_TRUE(plan.core);
        if (plan.sizedBy == SizedBy::NoneCool || plan.sizedBy == SizedBy::NoneFits) continue;
        ASSERT_TRUE(plan.hot_C);
        EXPECT_LE(*plan.hot_C, HotLimit(plan.options)) << d.texts[0];
    }
    // A lower limit takes a larger core, sized by the heat.
    const numtext::InputTexts texts = {"60", "373", "249", "100", "80", "24"};
    const Plan usual = PlanOf(texts);
    Options cool;
    cool.hotLimit_C = *usual.hot_C - 5;
    const Plan cooler = PlanOf(texts, cool);
    EXPECT_GT(cooler.core->Ve_mm3, usual.core->Ve_mm3);
    EXPECT_LE(*cooler.hot_C, cool.hotLimit_C);
    EXPECT_EQ(cooler.sizedBy, SizedBy::HotSpot);
    // A named core is given, and warned of when it runs too hot.
    Options named;
    named.core = usual.core->name;
    named.hotLimit_C = *usual.hot_C - 5;
    const Plan given = PlanOf(texts, named);
    EXPECT_EQ(given.sizedBy, SizedBy::Given);
    bool warned = false;
    for (const PlanWarning& w : given.warnings) warned |= w.code == "hot_spot_above_limit";
    EXPECT_TRUE(warned);
}

bool Warns(const Plan& plan, std::string_view code) {
    return std::any_of(plan.warnings.begin(), plan.warnings.end(),
                       [&](const PlanWarning& w) { return w.code == code; });
}

// The most rise is one option: the plan warns above it, naming it, and an
// automatic core keeps to it, sized by the rise.
TEST(WireChoiceTest, TheMostRiseIsTheOptionsForTheWarningAndTheCore) {
    const numtext::InputTexts texts = {"60", "373", "249", "100", "80", "24"};
    const Plan usual = PlanOf(texts);
    ASSERT_TRUE(usual.dT_K);
    EXPECT_FALSE(Warns(usual, "temperature_rise_high"));
    struct Case {
        double below_K;  // the most rise, this far below the usual plan's rise
        bool named;      // on the usual plan's core, or left to the plan
        bool warned;
    };
    for (const Case c : {Case{5, true, true}, Case{-5, true, false}, Case{5, false, false}}) {
        Options o;
        o.maxRise_K = *usual.dT_K - c.below_K;
        if (c.named) o.core = usual.core->name;
        const Plan plan = PlanOf(texts, o);
        SCOPED_TRACE(std::to_string(o.maxRise_K) + (c.named ? " named" : " automatic"));
        EXPECT_EQ(Warns(plan, "temperature_rise_high"), c.warned);
        if (c.warned) {
            const auto warning = std::find_if(
                plan.warnings.begin(), plan.warnings.end(),
                [](const PlanWarning& w) { return w.code == "temperature_rise_high"; });
            EXPECT_NE(warning->message.find(record::ReadableValue(o.maxRise_K, "K")),
                      std::string::npos)
                << warning->message;
        }
        if (!c.named) {
            EXPECT_GT(plan.core->Ve_mm3, usual.core->Ve_mm3);
            EXPECT_LE(*plan.dT_K, o.maxRise_K);
            EXPECT_EQ(plan.sizedBy, SizedBy::Rise);
        }
    }
}

}  // namespace
}  // namespace flyback::winding

namespace flyback::winding {
namespace {

// The conductors chosen are kept per thread to answer the same question
// again; a plan must never depend on what was planned before it. Each
// order's plan, after the others in this thread, is the one a fresh thread
// makes.
TEST(WireChoiceTest, APlanNeverDependsOnWhatWasPlannedBefore) {
    for (const Design& d : kDesigns) {
        for (const Order order : {Order::PSB, Order::PSP, Order::SPS}) {
            Options options;
            options.core = d.core;
            options.construction = d.tiw ? Construction::Tiw : Construction::Margin;
            options.order = order;
            std::optional<Plan> fresh;
            std::thread([&] { fresh = PlanOf(d.texts, options); }).join();
            const Plan after = PlanOf(d.texts, options);
            ASSERT_TRUE(fresh && fresh->Pcopper_W && after.Pcopper_W);
            EXPECT_EQ(*after.Pcopper_W, *fresh->Pcopper_W) << d.texts[0] << " " << int(order);
        }
    }
}

}  // namespace
}  // namespace flyback::winding
