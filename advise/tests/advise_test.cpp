#include "advise/advise.hpp"

#include "advise/advice_output.hpp"
#include "advise/setting_rows.hpp"
#include "drawing/svg.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <tuple>

namespace flyback::advise {
namespace {

// Two cores and two materials of the built-in catalogue: small enough to
// weigh every candidate in a test.
catalogue::Catalogue Small() {
    catalogue::Catalogue parts = catalogue::BuiltIn();
    std::erase_if(parts.cores, [](const catalogue::Core& c) {
        return c.name != "EFD20/10/7" && c.name != "EFD25/13/9";
    });
    std::erase_if(parts.materials,
                  [](const catalogue::Material& m) { return m.name != "N87" && m.name != "3C95"; });
    return parts;
}

const record::DesignRecord& TwelveVolts() {
    static const record::DesignRecord record =
        record::RecordPress({"12", "375", "120", "65", "80", "12"});
    return record;
}

using Key = std::tuple<std::string, std::string, int, int>;
Key KeyOf(const Candidate& c) {
    return {c.core->name, c.material ? c.material->name : "", c.Np, c.Ns};
}

std::set<Key> Keys(const std::vector<Candidate>& list) {
    std::set<Key> keys;
    for (const Candidate& c : list) keys.insert(KeyOf(c));
    return keys;
}

// No candidate both smaller and cooler than one on the front; every
// candidate no other beats so is on it.
bool Dominated(const Candidate& c, const std::vector<Candidate>& all) {
    return std::any_of(all.begin(), all.end(), [&](const Candidate& o) {
        return o.volume_cm3 <= c.volume_cm3 && o.loss_W <= c.loss_W &&
               (o.volume_cm3 < c.volume_cm3 || o.loss_W < c.loss_W);
    });
}

// The materials as a buyer types them, the same for the command line and the
// page.
TEST(AdviseTest, AMaterialListIsTheNamesBetweenItsCommas) {
    const struct {
        const char* typed;
        std::vector<std::string> names;
    } cases[] = {
        {"", {}},
        {"N87", {"N87"}},
        {"N87,PC95", {"N87", "PC95"}},
        {" N87 , 3C95 ", {"N87", "3C95"}},
        {",,N87,,", {"N87"}},
        {"all", {"all"}},
    };
    for (const auto& c : cases) EXPECT_EQ(MaterialList(c.typed), c.names) << c.typed;
}

// Each of the adviser's numbers is set only within its row's limits, a
// whole number only whole; a value refused leaves the setting as it was.
TEST(AdviseTest, TheSettingsRowsTakeOnlyWhatTheirLimitsAllow) {
    const struct {
        SettingNumber number;
        double value;
        bool taken;
    } cases[] = {
        {SettingNumber::LossWeight, 0, true},
        {SettingNumber::LossWeight, kMostWeight, true},
        {SettingNumber::RiseWeight, 0.25, true},
        {SettingNumber::RiseWeight, -0.01, false},
        {SettingNumber::VolumeWeight, 2e6, false},
        {SettingNumber::VolumeWeight, NAN, false},
        {SettingNumber::Top, 1, true},
        {SettingNumber::Top, 1000, true},
        {SettingNumber::Top, 0, false},
        {SettingNumber::Top, 2.5, false},
        {SettingNumber::Top, 1001, false},
        {SettingNumber::Top, INFINITY, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(Info(c.number).caption) + " " + std::to_string(c.value));
        Settings settings;
        const double before = SettingValue(settings, c.number);
        EXPECT_EQ(SetSettingValue(settings, c.number, c.value), c.taken);
        EXPECT_EQ(SettingValue(settings, c.number), c.taken ? c.value : before);
    }
    Settings weighted;
    weighted.rank = Rank::Weighted;
    weighted.weights = {0, 0, 0};
    EXPECT_TRUE(SettingsProblem(weighted));
    weighted.rank = Rank::Loss;  // the weights are not read
    EXPECT_FALSE(SettingsProblem(weighted));
}

TEST(AdviseTest, TheFrontIsNonDominatedAndComplete) {
    const auto core = [](const char* name, double volume) {
        catalogue::Core x;
        x.name = name;
        x.Ve_mm3 = volume;
        return x;
    };
    const catalogue::Core a = core("a", 1000), b = core("b", 2000), c = core("c", 3000);
    const auto make = [](const catalogue::Core& core, double loss, int Np) {
        Candidate x;
        x.core = &core;
        x.Np = Np;
        x.volume_cm3 = core.Ve_mm3 / 1000;
        x.loss_W = loss;
        return x;
    };
    const struct {
        std::vector<Candidate> all;
        std::size_t front;
    } cases[] = {
        {{make(a, 3, 1), make(b, 2, 2), make(c, 1, 3)}, 3},  // a staircase: all on it
        {{make(a, 1, 1), make(b, 2, 2), make(c, 3, 3)}, 1},  // the smallest is also the coolest
        {{make(a, 2, 1), make(a, 2, 2), make(b, 2, 3)}, 2},  // ties of one core both kept
        {{make(a, 2, 1), make(a, 1, 2), make(b, 1, 3), make(c, 0.5, 4)}, 2},
        {{}, 0},
    };
    for (const auto& t : cases) {
        const std::vector<Candidate> front = ParetoFront(t.all);
        EXPECT_EQ(front.size(), t.front);
        for (const Candidate& f : front) EXPECT_FALSE(Dominated(f, t.all));
        for (const Candidate& x : t.all) {
            if (!Dominated(x, t.all)) {
                EXPECT_TRUE(Keys(front).contains(KeyOf(x)));
            }
        }
    }
}

const record::DesignRecord& FiveVolts() {
    static const record::DesignRecord record =
        record::RecordPress({"10", "373", "127", "100", "80", "5"});
    return record;
}

// Skipping what cannot matter changes neither the front nor the ranking, by
// any rank, for any supply and choices: the floors the search skips by are
// below every loss; the front holds against every feasible candidate.
TEST(AdviseTest, PruningLosesNothing) {
    const catalogue::Catalogue parts = Small();
    const auto ranked = [](Rank rank, std::array<double, 3> weights = {1, 1, 1}, int top = 10) {
        Settings s;
        s.rank = rank;
        s.weights = weights;
        s.top = top;
        return s;
    };
    winding::Options continuous;
    continuous.choices.conduction = winding::Conduction::Ripple;
    continuous.choices.KRP = 0.5;
    winding::Options bias;
    bias.Vaux_V = 15;
    bias.choices.biasI_A = 0.02;
    bias.order = winding::Order::PSP;
    winding::Options valley;
    valley.choices.conduction = winding::Conduction::QuasiResonant;
    const struct {
        const record::DesignRecord& record;
        winding::Options options;
        Settings settings;
    } cases[] = {
        {TwelveVolts(), {}, ranked(Rank::Loss)},
        {TwelveVolts(), {}, ranked(Rank::Rise)},
        {TwelveVolts(), {}, ranked(Rank::Volume, {1, 1, 1}, 3)},
        {TwelveVolts(), {}, ranked(Rank::Weighted, {1, 0.05, 0.2})},
        {TwelveVolts(), {}, ranked(Rank::Loss, {1, 1, 1}, 1)},
        {FiveVolts(), continuous, ranked(Rank::Loss)},
        {FiveVolts(), bias, ranked(Rank::Rise)},
        {TwelveVolts(), valley, ranked(Rank::Loss)},
        {FiveVolts(), valley, ranked(Rank::Weighted, {1, 0.05, 0.2})},
        {TwelveVolts(), {}, ranked(Rank::Price, {1, 1, 1}, 3)},
    };
    long planned = 0, exhaustively = 0;
    for (const auto& c : cases) {
        Settings exhaustive = c.settings;
        exhaustive.prune = false;
        const Advice all = Advise(c.record, c.options, parts, exhaustive);
        const Advice pruned = Advise(c.record, c.options, parts, c.settings);
        const std::string rank(kRankNames[static_cast<std::size_t>(c.settings.rank)]);
        ASSERT_GT(all.feasible, 10) << rank;
        // The clamp's loss, which dominates a small supply's total, has only
        // a loose floor: one rank may prune nothing, the table as a whole must.
        EXPECT_LE(pruned.tried - pruned.pruned, all.tried) << rank;
        planned += pruned.tried - pruned.pruned;
        exhaustively += all.tried;
        EXPECT_EQ(Keys(pruned.front), Keys(all.front)) << rank;
        EXPECT_EQ(Keys(pruned.top), Keys(all.top)) << rank;
        for (const Candidate& f : all.front) EXPECT_FALSE(Dominated(f, all.all)) << rank;
        for (const Candidate& x : all.all) {
            if (!Dominated(x, all.all)) {
                EXPECT_TRUE(Keys(all.front).contains(KeyOf(x))) << rank;
            }
        }
    }
    EXPECT_LT(planned, exhaustively * 9 / 10);
}

// The best by loss is never worse than the plan's own choice, which is among
// the candidates.
// The same on a sample across the whole catalogue: every second core by
// volume (the smallest to the largest, most families) and every second material
// with loss data, so that no floor's soundness rests on two cores alone.
catalogue::Catalogue Sample() {
    catalogue::Catalogue parts = catalogue::BuiltIn();
    std::vector<catalogue::Core> cores = parts.cores;
    std::stable_sort(cores.begin(), cores.end(),
                     [](const auto& a, const auto& b) { return a.Ve_mm3 < b.Ve_mm3; });
    parts.cores.clear();
    for (std::size_t i = 0; i < cores.size(); i += 2) parts.cores.push_back(cores[i]);
    std::vector<catalogue::Material> materials;
    for (const catalogue::Material& m : parts.materials) {
        if (!m.steinmetz.empty()) materials.push_back(m);
    }
    parts.materials.clear();
    for (std::size_t i = 0; i < materials.size(); i += 2) parts.materials.push_back(materials[i]);
    return parts;
}

TEST(AdviseTest, PruningLosesNothingAcrossTheCatalogue) {
    const catalogue::Catalogue parts = Sample();
    ASSERT_GE(parts.cores.size(), 15u);
    ASSERT_GE(parts.materials.size(), 5u);
    // Vor fixed keeps the exhaustive search to one ratio of turns a core.
    winding::Options boundary;
    boundary.choices.vorSource = winding::VorSource::Value;
    boundary.choices.Vor_V = 90;
    winding::Options continuous = boundary;
    continuous.choices.Vor_V = 80;  // above 0.2 × Vmax, which the plan cautions below
    continuous.choices.conduction = winding::Conduction::Ripple;
    continuous.choices.KRP = 0.6;
    Settings weighted;
    weighted.rank = Rank::Weighted;
    weighted.weights = {1, 0.05, 0.2};
    Settings rise, volume;
    rise.rank = Rank::Rise;
    volume.rank = Rank::Volume;
    volume.top = 3;
    winding::Options valley = boundary;  // its turn-on at the maximum input in every total
    valley.choices.conduction = winding::Conduction::QuasiResonant;
    Settings byLoss;
    byLoss.rank = Rank::Loss;
    const struct {
        const record::DesignRecord& record;
        winding::Options options;
        Settings settings;
    } cases[] = {{TwelveVolts(), boundary, {}},     {TwelveVolts(), valley, {}},
                 {TwelveVolts(), valley, byLoss},   {TwelveVolts(), boundary, rise},
                 {FiveVolts(), continuous, volume}, {FiveVolts(), continuous, weighted}};
    for (const auto& c : cases) {
        Settings exhaustive = c.settings;
        exhaustive.prune = false;
        const Advice all = Advise(c.record, c.options, parts, exhaustive);
        const Advice pruned = Advise(c.record, c.options, parts, c.settings);
        ASSERT_GT(all.feasible, 10);
        EXPECT_GT(pruned.pruned, 0);
        EXPECT_EQ(Keys(pruned.front), Keys(all.front));
        EXPECT_EQ(Keys(pruned.top), Keys(all.top));
    }
}

// The options a plan of a candidate has when no rating is given: the switch
// assumed (650 V at 375 V), its clamp at the ratio times Vor'.
winding::Options OnTheAssumedSwitch(winding::Options options) {
    options.choices.vorSource = winding::VorSource::SwitchRating;
    options.choices.VdsRating_V = *winding::AssumedRating_V(375);
    return options;
}

TEST(AdviseTest, TheBestBeatsThePlansOwn) {
    const catalogue::Catalogue parts = Small();
    Settings byLoss;
    byLoss.rank = Rank::Loss;
    const Advice advice = Advise(TwelveVolts(), {}, parts, byLoss);
    // The plan's own, on the switch every candidate is held to.
    const winding::PlanOutcome own =
        winding::PlanWinding(TwelveVolts(), OnTheAssumedSwitch({}), parts);
    ASSERT_TRUE(own.plan && own.plan->Pcopper_W && own.plan->Pcore_W);
    ASSERT_FALSE(advice.top.empty());
    EXPECT_LE(advice.top.front().loss_W,
              *own.plan->Pcopper_W + *own.plan->Pcore_W + winding::TypicalClampLoss(*own.plan));
    EXPECT_TRUE(
        std::is_sorted(advice.top.begin(), advice.top.end(),
                       [](const Candidate& x, const Candidate& y) { return x.loss_W < y.loss_W; }));
}

// By price, the cheapest stocked set first and every unstocked one after;
// each price is a set of the candidate's own core and material that its plan
// offers, with its distributor and day beside it.
TEST(AdviseTest, ByPriceTheCheapestStockedSetComesFirst) {
    catalogue::Catalogue parts = Small();
    Settings byPrice;
    byPrice.rank = Rank::Price;
    byPrice.materials = {"all"};
    byPrice.top = 1000;
    const Advice advice = Advise(TwelveVolts(), {}, parts, byPrice);
    ASSERT_GT(advice.top.size(), 10u);
    const auto priced = std::partition_point(advice.top.begin(), advice.top.end(),
                                             [](const Candidate& c) { return c.stock; });
    ASSERT_NE(priced, advice.top.begin()) << "no candidate stocked";
    ASSERT_NE(priced, advice.top.end()) << "every candidate stocked: nothing after";
    EXPECT_TRUE(std::all_of(priced, advice.top.end(), [](const Candidate& c) { return !c.stock; }));
    EXPECT_TRUE(std::is_sorted(
        advice.top.begin(), priced,
        [](const Candidate& x, const Candidate& y) { return x.stock->cost < y.stock->cost; }));
    for (auto c = advice.top.begin(); c != priced; ++c) {
        const auto sets = catalogue::StockOf(*c->core, *c->material);
        EXPECT_NE(std::find(sets.begin(), sets.end(), c->stock), sets.end()) << c->core->name;
        const std::string cell = Row(*c)[13];
        EXPECT_NE(cell.find(c->stock->distributor + " " + c->stock->date), std::string::npos)
            << cell;
    }
    EXPECT_EQ(Row(advice.top.back())[13], "—");
    EXPECT_NE(advice.whyFirst.find(advice.top.front().stock->reference), std::string::npos);
    // Read back from what is handed on: the JSON and the CSV give the same
    // price and set as the candidate; an unstocked one none, and no score.
    const catalogue::StockPart& first = *advice.top.front().stock;
    const nlohmann::json json = nlohmann::json::parse(Json(advice));
    const nlohmann::json& top = json.contains("advise") ? json["advise"]["top"] : json["top"];
    EXPECT_EQ(top.front()["price"].get<double>(), first.cost);
    EXPECT_EQ(top.front()["stock_part"], first.maker + " " + first.reference);
    EXPECT_EQ(top.front()["price_date"], first.date);
    EXPECT_FALSE(top.back().contains("price"));
    EXPECT_TRUE(top.back()["score"].is_null());
    const std::string csv = Csv({advice.top.front()});
    const auto cells = [](std::string_view line) {
        std::vector<std::string> out(1);
        for (const char c : line.substr(0, line.find('\n'))) {
            if (c == ',') {
                out.emplace_back();
            } else {
                out.back().push_back(c);
            }
        }
        return out;
    };
    const std::vector<std::string> header = cells(csv), row = cells(csv.substr(csv.find('\n') + 1));
    const auto price = std::find(header.begin(), header.end(), "price") - header.begin();
    ASSERT_LT(static_cast<std::size_t>(price + 1), row.size());
    EXPECT_EQ(std::stod(row[static_cast<std::size_t>(price)]), first.cost);
    EXPECT_EQ(row[static_cast<std::size_t>(price) + 1], "\"" + first.reference + "\"");
}

// What is handed on reads back as the candidates themselves: each CSV row's
// and each JSON entry's numbers are the candidate's to the bit, in the order
// ranked; the limits held to are said.
TEST(AdviseTest, TheCsvAndTheJsonReadBackAsEachCandidatesNumbers) {
    const catalogue::Catalogue parts = Small();  // the candidates point into it
    const Advice advice = Advise(TwelveVolts(), {}, parts, {});
    ASSERT_GT(advice.top.size(), 2u);
    const auto cells = [](std::string_view line) {
        std::vector<std::string> out(1);
        for (const char c : line) {
            if (c == ',') {
                out.emplace_back();
            } else {
                out.back().push_back(c);
            }
        }
        return out;
    };
    std::vector<std::string> lines;
    const std::string csv = Csv(advice.top);
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = csv.find('\n', at);
        lines.push_back(csv.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), advice.top.size() + 1);
    const std::vector<std::string> header = cells(lines.front());
    const auto column = [&](const std::vector<std::string>& row, std::string_view name) {
        const auto at = std::find(header.begin(), header.end(), name);
        EXPECT_NE(at, header.end()) << name;
        return std::strtod(row.at(static_cast<std::size_t>(at - header.begin())).c_str(), nullptr);
    };
    const nlohmann::json json = nlohmann::json::parse(Json(advice))["advise"];
    ASSERT_EQ(json["top"].size(), advice.top.size());
    EXPECT_EQ(json["max_rise_K"].get<double>(), advice.maxRise_K);
    EXPECT_EQ(json["hottest_C"].get<double>(), advice.hottest_C);
    for (std::size_t i = 0; i < advice.top.size(); ++i) {
        const Candidate& c = advice.top[i];
        const std::vector<std::string> row = cells(lines[i + 1]);
        const nlohmann::json& entry = json["top"][i];
        EXPECT_EQ(row[0], "\"" + c.core->name + "\"");
        EXPECT_EQ(entry["core"], c.core->name);
        const std::pair<std::string_view, double> figures[] = {{"Np", c.Np},
                                                               {"Ns", c.Ns},
                                                               {"Vor_V", c.Vor_V},
                                                               {"Bpk_T", c.Bpk_T},
                                                               {"fill", c.fill},
                                                               {"P_copper_W", c.Pcopper_W},
                                                               {"P_core_W", c.Pcore_W},
                                                               {"P_clamp_W", c.Pclamp_W},
                                                               {"P_total_W", c.loss_W},
                                                               {"dT_K", c.rise_K},
                                                               {"Vds_V", c.Vds_V},
                                                               {"Ve_cm3", c.volume_cm3}};
        for (const auto& [name, value] : figures) {
            EXPECT_EQ(column(row, name), value) << name << " of " << c.core->name;
            EXPECT_EQ(entry[std::string(name)].get<double>(), value) << name;
        }
    }
}

// Valley-switched, the turns set the valley's voltage at the maximum input:
// each candidate's total counts the switch's turn-on loss there, as its own
// plan has it. At a fixed frequency there is none to count.
TEST(AdviseTest, AValleySwitchedCandidateCountsItsTurnOnLoss) {
    const catalogue::Catalogue parts = Small();
    winding::Options valley;
    valley.choices.conduction = winding::Conduction::QuasiResonant;
    Settings byLoss;
    byLoss.rank = Rank::Loss;
    const Advice a = Advise(TwelveVolts(), valley, parts, byLoss);
    ASSERT_GT(a.feasible, 10);
    for (const Candidate& c : a.top) {
        ASSERT_TRUE(c.PturnOn_W) << c.core->name << " " << c.Np << ":" << c.Ns;
        const winding::PlanOutcome plan =
            winding::PlanWinding(TwelveVolts(), OptionsOf(c, OnTheAssumedSwitch(valley)), parts);
        ASSERT_TRUE(plan.plan);
        EXPECT_DOUBLE_EQ(*c.PturnOn_W,
                         winding::TurnOnLoss(plan.plan->atVmax, plan.plan->switching->Cds_F));
        EXPECT_DOUBLE_EQ(c.Pclamp_W, winding::TypicalClampLoss(*plan.plan));
        EXPECT_DOUBLE_EQ(c.loss_W, c.Pcopper_W + c.Pcore_W + c.Pclamp_W + *c.PturnOn_W);
    }
    EXPECT_NE(Row(a.top.front())[9], "—");
    EXPECT_NE(WhyFirst(a).find("开关管开通损耗"), std::string::npos);
    const Advice fixed = Advise(TwelveVolts(), {}, parts, byLoss);
    ASSERT_FALSE(fixed.all.empty());
    for (const Candidate& c : fixed.all) EXPECT_FALSE(c.PturnOn_W);
    EXPECT_EQ(Row(fixed.top.front())[9], "—");
    EXPECT_EQ(WhyFirst(fixed).find("开通损耗"), std::string::npos);
}

// The search's floor of a valley-switched candidate's turn-on loss, from its
// sketch, never above what its full plan gives, yet close enough to prune
// by: across supplies, drain capacitances, valleys, a second output with its
// own drop (the reset's voltage then below Vor), a bias winding and a
// lossy energy flow.
TEST(AdviseTest, TheTurnOnFloorBoundsEveryPlansTurnOnLoss) {
    const numtext::InputTexts kSupplies[] = {{"12", "375", "120", "65", "80", "12"},
                                             {"18", "374.77", "100.45", "65", "85", "12"},
                                             {"60", "373", "249", "100", "70", "24"}};
    const struct {
        std::string name;
        double Cds_F;
        int valley;
        bool twoOutputs, bias;
    } kWays[] = {{"100 pF, first valley", 100e-12, 1, false, false},
                 {"1 nF, second valley", 1e-9, 2, false, false},
                 {"a 5 V output beside, 1 V drop", 220e-12, 1, true, false},
                 {"a bias winding", 100e-12, 3, false, true}};
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    for (const numtext::InputTexts& supply : kSupplies) {
        const record::DesignRecord record = record::RecordPress(supply);
        for (const auto& way : kWays) {
            SCOPED_TRACE(std::string(supply[0]) + " W, " + way.name);
            winding::Options o;
            o.choices.conduction = winding::Conduction::QuasiResonant;
            o.choices.Cds_F = way.Cds_F;
            o.choices.valley = o.choices.lastValley = way.valley;
            o.choices.fmax_Hz = 10e6;  // no clamp in reach: each corner in its first valley
            if (way.twoOutputs) {
                const double V = record.trace.inputs.OutputVoltage;
                const double P = record.trace.inputs.OutputPower;
                o.choices.outputs = {{V, 0.8 * P / V}, {5, 0.2 * P / 5, 1}};
            }
            if (way.bias) {
                o.Vaux_V = 15;
                o.choices.biasI_A = 0.05;
            }
            for (const char* core : {"EFD20/10/7", "PQ26/25", "ETD39/20/13"}) {
                o.core = core;
                const winding::PlanOutcome sketch = winding::SketchWinding(record, o, parts);
                const winding::PlanOutcome plan = winding::PlanWinding(record, o, parts);
                ASSERT_TRUE(sketch.plan && plan.plan) << core;
                const winding::Resonance r = *o.choices.Switching();
                const double floor = TurnOnFloor(*sketch.plan, r);
                const double actual = winding::TurnOnLoss(plan.plan->atVmax, r.Cds_F);
                EXPECT_LE(floor, actual) << core;
                EXPECT_GT(floor, 0.5 * actual) << core;
            }
        }
    }
}

// Each reason a candidate is dropped, where it applies.
TEST(AdviseTest, EveryDroppedCandidateHasItsReason) {
    catalogue::Catalogue weak = Small();
    for (catalogue::Material& m : weak.materials) m.Bsat_100C_mT = 120;  // saturates early
    Settings cool;
    cool.hotLimit_C = 55;  // 15 K above the ambient: some cool enough, many not
    Settings rated;
    rated.vdsRating = 600;  // 480 V derated, below most switch peaks at 373 V in
    rated.dmax = 0.9;
    const struct {
        const catalogue::Catalogue* parts;
        Settings settings;
        Drop reason;
    } cases[] = {
        {&weak, {}, Drop::Saturates},
        {nullptr, cool, Drop::TooHot},
        {nullptr, {}, Drop::DoesNotFit},
    };
    const catalogue::Catalogue small = Small();
    for (const auto& c : cases) {
        Settings s = c.settings;
        s.prune = false;
        const Advice a = Advise(TwelveVolts(), {}, c.parts ? *c.parts : small, s);
        EXPECT_GT(a.droppedBy[static_cast<std::size_t>(c.reason)], 0)
            << kDropNames[static_cast<std::size_t>(c.reason)];
        long counted = a.feasible;
        for (const long n : a.droppedBy) counted += n;
        EXPECT_EQ(counted, a.tried);  // every candidate tried is feasible or dropped
    }
    // A rating bound narrows the reflected voltage: every candidate keeps the
    // switch's peak within the derated rating.
    const VorRange range = VorRangeOf(TwelveVolts(), {}, rated);
    EXPECT_LT(range.high, 480);
    const Advice bounded = Advise(TwelveVolts(), {}, small, rated);
    for (const Candidate& x : bounded.all) EXPECT_LE(x.Vds_V, 480 * 1.02);
}

// The most rise is the plan's option: the adviser ranks nothing above it and
// says it, and a lower one drops candidates the usual one keeps.
TEST(AdviseTest, TheMostRiseIsThePlansOption) {
    const catalogue::Catalogue small = Small();
    Settings s;
    s.prune = false;
    const Advice usual = Advise(TwelveVolts(), {}, small, s);
    EXPECT_EQ(usual.maxRise_K, winding::Options{}.maxRise_K);
    winding::Options cool;
    cool.maxRise_K = 15;
    const Advice cooler = Advise(TwelveVolts(), cool, small, s);
    EXPECT_EQ(cooler.maxRise_K, 15);
    EXPECT_LT(cooler.feasible, usual.feasible);
    const auto tooHot = static_cast<std::size_t>(Drop::TooHot);
    EXPECT_GT(cooler.droppedBy[tooHot], usual.droppedBy[tooHot]);
    for (const Candidate& c : cooler.all) EXPECT_LE(c.rise_K, 15) << c.core->name;
}

// The choices' ways to the reflected voltage become the search's bounds in
// the window and the page, as --dmax and --vds-rating do on the command line:
// the same range of candidates either way.
// Nothing the adviser lists, ranks or puts on its front is what the plan
// would warn of: its flux within Bmax, its flux at the current limit below
// the hot saturation with the inductance and the limit at their upper
// tolerances. Once an 18 W adapter's front led with a PQ20/20 at 0.322 T
// against 0.3 T.
TEST(AdviseTest, EveryCandidateShownKeepsThePlansLimits) {
    const struct {
        numtext::InputTexts texts;
        double Bmax_T;
    } designs[] = {
        {{"12", "375", "120", "65", "80", "12"}, 0.3},
        {{"18", "375", "100", "65", "85", "12"}, 0.3},
        {{"60", "373", "249", "100", "80", "24"}, 0.25},
    };
    for (const auto& d : designs) {
        winding::Options options;
        options.Bmax_T = d.Bmax_T;
        const Advice a = Advise(record::RecordPress(d.texts), options, catalogue::BuiltIn());
        EXPECT_GT(a.droppedBy[static_cast<std::size_t>(Drop::FluxAboveBmax)], 0) << d.texts[0];
        ASSERT_FALSE(a.front.empty()) << d.texts[0];
        for (const std::vector<Candidate>* shown : {&a.top, &a.front, &a.all}) {
            for (const Candidate& c : *shown) {
                EXPECT_LE(c.Bpk_T, d.Bmax_T) << d.texts[0] << " " << c.core->name << " " << c.Np;
                const double hot_C = options.ambient_C + c.rise_K;
                EXPECT_LE(c.BpkLimit_T, *winding::SaturationAt_T(*c.material, hot_C))
                    << c.core->name;
            }
        }
        for (const Candidate& c : a.front) {  // opened as a plan, no flux warning
            winding::Options opened = options;
            opened.core = c.core->name;
            opened.material = c.material->name;
            opened.choices.Np = c.Np;
            opened.choices.Ns = c.Ns;
            const winding::PlanOutcome plan =
                winding::PlanWinding(record::RecordPress(d.texts), opened, catalogue::BuiltIn());
            ASSERT_TRUE(plan.plan) << winding::PlanFailureName(plan.failure);
            for (const winding::PlanWarning& w : plan.plan->warnings) {
                EXPECT_NE(w.code, "flux_above_bmax") << c.core->name;
                EXPECT_NE(w.code, "saturation_at_current_limit") << c.core->name;
            }
        }
    }
}

// One judge: every candidate listed (the ranking and the front), planned
// again as it opens, breaks no bound the user gave or the switch assumed,
// and carries no caution of its plan but the ones its row shows. Each row of
// the table a supply the adviser once recommended against itself for.
TEST(AdviseTest, EveryCandidateListedIsOneThePlanWouldSign) {
    const auto outputs = [](std::vector<winding::OutputLoad> loads) {
        winding::Options o;
        o.choices.outputs = std::move(loads);
        return o;
    };
    winding::Options valley;
    valley.choices.conduction = winding::Conduction::QuasiResonant;
    Settings dmax;
    dmax.dmax = 0.45;
    dmax.rank = Rank::Loss;
    const struct {
        numtext::InputTexts texts;
        winding::Options options;
        Settings settings;
    } supplies[] = {
        {{"18", "374.77", "100.45", "65", "85", "12"}, {}, {}},  // the 18 W adapter
        {{"5", "375", "120", "65", "80", "5"}, {}, {}},
        {{"60", "373", "249", "100", "80", "24"}, {}, dmax},
        {{"10", "373", "127", "100", "80", "5"}, {}, dmax},
        {{"16", "375", "120", "65", "80", "12"}, outputs({{12, 1, 0.5}, {5, 0.8, 0.4}}), {}},
        {{"18", "374.77", "100.45", "65", "85", "12"}, valley, {}},
    };
    for (const auto& s : supplies) {
        winding::Options options = s.options;
        options.families = {"EFD", "PQ"};
        const record::DesignRecord record = record::RecordPress(s.texts);
        const Advice a = Advise(record, options, catalogue::BuiltIn(), s.settings);
        ASSERT_TRUE(a.problem.empty()) << a.problem;
        ASSERT_FALSE(a.top.empty()) << s.texts[0];
        ASSERT_TRUE(a.vdsRating_V);
        long dropped = a.feasible + a.pruned;
        for (const long n : a.droppedBy) dropped += n;
        EXPECT_EQ(dropped, a.tried) << s.texts[0];  // every candidate counted once
        for (const std::vector<Candidate>* listed : {&a.top, &a.front}) {
            for (const Candidate& c : *listed) {
                const std::string name = std::string(s.texts[0]) + " W " + c.core->name + " " +
                                         std::to_string(c.Np) + ":" + std::to_string(c.Ns);
                const winding::PlanOutcome opened =
                    winding::PlanWinding(record, OptionsOf(c, a.plannedWith), catalogue::BuiltIn());
                ASSERT_TRUE(opened.plan) << name;
                const winding::Plan& p = *opened.plan;
                EXPECT_DOUBLE_EQ(p.Vswitch_V, c.Vds_V) << name;
                EXPECT_LE(p.Vswitch_V, 0.8 * *a.vdsRating_V) << name;
                EXPECT_LE(p.Bpk_T, p.options.Bmax_T) << name;
                EXPECT_LE(p.BpkLimit_T, *p.BsatHot_T) << name;
                EXPECT_GE(*p.saturationMargin, 1.1) << name;
                if (s.settings.dmax) {
                    EXPECT_LE(p.atVmin.D, *s.settings.dmax) << name;
                }
                EXPECT_LE(*p.dT_K, a.maxRise_K) << name;
                for (const winding::PlanWarning& w : p.warnings) {
                    if (w.strength == record::Warning::Strength::Note) continue;
                    EXPECT_NE(std::find(c.cautions.begin(), c.cautions.end(), w.code),
                              c.cautions.end())
                        << name << ": " << w.code << " not shown";
                }
            }
        }
    }
}

// A wide input on the switch's rating leaves every candidate a short duty
// (249 to 386 V on 650 V: Vor' at most 89 V): a caution shown with the
// candidate, never a reason to drop it; while a reflected voltage below a
// fifth of the maximum input, which the turns alone set, is dropped by its
// sketch and counted with the plan's cautions.
TEST(AdviseTest, AShortDutyIsShownALowReflectedVoltageDropped) {
    winding::Options options;
    options.families = {"EFD", "PQ"};
    const record::DesignRecord record =
        record::RecordPress({"30", "386", "249", "100", "80", "12"});
    const Advice a = Advise(record, options, catalogue::BuiltIn());
    ASSERT_TRUE(a.problem.empty()) << a.problem;
    ASSERT_FALSE(a.top.empty());
    ASSERT_LT(a.vor.low, winding::kLowestVorOfVmax * 386);  // the range reaches below a fifth
    for (const Candidate& c : a.top) {
        EXPECT_NE(std::find(c.cautions.begin(), c.cautions.end(), "duty_cycle_low"),
                  c.cautions.end())
            << c.core->name;
    }
    for (const Candidate& c : a.all) EXPECT_GE(c.Vor_V, winding::kLowestVorOfVmax * 386);
    EXPECT_GT(a.droppedBy[static_cast<std::size_t>(Drop::Caution)], 0);
}

// A rating given as the search's bound (the command line's --vds-rating)
// clamps every candidate at the ratio times its own Vor, as a plan on the
// rating does; with the press's clamp in its place every candidate failed.
TEST(AdviseTest, ARatingBoundSetsEachCandidatesClamp) {
    Settings s;
    s.vdsRating = 600;
    const Advice low = Advise(TwelveVolts(), {}, catalogue::BuiltIn(), s);
    // (0.8 × 600 − 375) ÷ 1.5 = 70 V, below 0.2 × 375 V: said, and none
    // recommended, as the plan itself cautions every one of them.
    EXPECT_EQ(low.vor.high, 70);
    EXPECT_TRUE(low.vor.AllTooLow());
    EXPECT_NE(Summary(low).find("都低于最大输入电压的 0.2 倍（75 V）"), std::string::npos)
        << Summary(low);
    EXPECT_EQ(low.feasible, 0);
    EXPECT_GT(low.droppedBy[static_cast<std::size_t>(Drop::Caution)], 0);
    s.vdsRating = 700;
    const Advice a = Advise(TwelveVolts(), {}, catalogue::BuiltIn(), s);
    EXPECT_FALSE(a.vor.AllTooLow());
    EXPECT_GT(a.feasible, 0);
    for (const Candidate& c : a.all) {
        EXPECT_LE(c.Vds_V, 0.8 * 700) << c.core->name << " " << c.Np << ":" << c.Ns;
        EXPECT_NEAR(c.Vds_V, 375 + 1.5 * c.Vor_V, 1e-9);
    }
}

TEST(AdviseTest, TheChoicesWaysToVorBecomeItsBounds) {
    winding::Choices duty;
    duty.vorSource = winding::VorSource::MaxDuty;
    duty.Dmax = 0.45;
    winding::Choices rating;
    rating.vorSource = winding::VorSource::SwitchRating;
    rating.VdsRating_V = 650;
    rating.derating = 0.75;
    winding::Choices typed;
    typed.vorSource = winding::VorSource::Value;
    typed.Vor_V = 100;
    winding::Choices clamped = rating;
    clamped.clampRatio = 2;
    Settings byDuty, byRating;
    byDuty.dmax = 0.45;
    byRating.vdsRating = 650;
    byRating.derating = 0.75;
    Settings byClamp = byRating;
    byClamp.clampRatio = 2;
    const struct {
        winding::Choices choices;
        Settings flags;  // what the command line's flags give
    } cases[] = {{duty, byDuty}, {rating, byRating}, {clamped, byClamp}, {typed, {}}, {{}, {}}};
    for (const auto& c : cases) {
        Settings s;
        BoundsFrom(c.choices, s);
        winding::Options o;
        o.choices = c.choices;
        const VorRange range = VorRangeOf(TwelveVolts(), o, s);
        const VorRange expected = VorRangeOf(TwelveVolts(), o, c.flags);
        EXPECT_EQ(std::tie(range.low, range.high), std::tie(expected.low, expected.high));
    }
    winding::Options fixed;
    fixed.choices = typed;
    EXPECT_EQ(VorRangeOf(TwelveVolts(), fixed, {}).high, 100);  // a typed Vor is its own range
}

// What the summary says adds up: every candidate tried is pruned, dropped by
// a reason, or planned.
TEST(AdviseTest, TheSummarySaysWhatWasWeighed) {
    const Advice a = Advise(TwelveVolts(), {}, Small());
    const std::string summary = Summary(a);
    for (const long n : {a.tried, a.pruned, a.planned, a.feasible})
        EXPECT_NE(summary.find(" " + std::to_string(n) + " 个"), std::string::npos) << n;
    EXPECT_NE(summary.find("用时 "), std::string::npos);
    // Ended once, here, for every front end alike.
    EXPECT_TRUE(summary.ends_with("。")) << summary;
    EXPECT_EQ(summary.find("。。"), std::string::npos) << summary;
    EXPECT_LE(a.feasible, a.planned);
    EXPECT_LT(a.pruned + a.planned, a.tried);
}

// A supply whose own plan fails alike for every candidate (an unloaded
// supply, a mains beyond the insulation tables) is not searched: the reason
// is said at once instead of a search every candidate fails.
TEST(AdviseTest, NothingIsWeighedThatEveryCandidateWouldFail) {
    winding::Options beyond;
    beyond.insulation.mains_Vrms = 650;
    beyond.insulation.grade = insulation::Grade::Basic;
    winding::Options unloaded;
    unloaded.choices.outputs = {{12, 0, 0.5}};
    for (const winding::Options& options : {beyond, unloaded}) {
        const Advice a = Advise(TwelveVolts(), options, catalogue::BuiltIn());
        EXPECT_FALSE(a.problem.empty());
        EXPECT_EQ(a.tried, 0);
        EXPECT_EQ(Summary(a).rfind("没有比较：", 0), 0u) << Summary(a);
        EXPECT_TRUE(Summary(a).ends_with("。")) << Summary(a);
        EXPECT_EQ(Summary(a).find("。。"), std::string::npos) << Summary(a);
        EXPECT_NE(Json(a).find("\"problem\""), std::string::npos);
    }
    // An output unloaded beside a loaded one is a design, and is weighed.
    winding::Options oneUnloaded;
    oneUnloaded.choices.outputs = {{12, 1, 0.5}, {5, 0, 0.4}};
    const Advice weighed = Advise(TwelveVolts(), oneUnloaded, Small());
    EXPECT_TRUE(weighed.problem.empty()) << weighed.problem;
    EXPECT_GT(weighed.feasible, 0);
}

// Lists the adviser crashed on (no material left, or one without loss
// data first) or read in part without a word: each refused before any
// candidate is weighed, with the names it can weigh.
TEST(AdviseTest, MaterialsItCannotWeighAreRefusedWithTheOnesItCan) {
    const struct {
        std::vector<std::string> names;
        std::vector<std::string> unknown, withoutLoss;
    } cases[] = {
        {{"nonexistent"}, {"nonexistent"}, {}},
        {{"PC40"}, {}, {"PC40"}},
        {{"N87", "bogus"}, {"bogus"}, {}},
        {{"pc40", "n87", "x"}, {"x"}, {"PC40"}},
    };
    for (const auto& c : cases) {
        const MaterialsProblem problem = CheckMaterials(catalogue::BuiltIn(), c.names);
        EXPECT_EQ(problem.unknown, c.unknown);
        EXPECT_EQ(problem.withoutLoss, c.withoutLoss);
        EXPECT_NE(std::find(problem.usable.begin(), problem.usable.end(), "N87"),
                  problem.usable.end());
        Settings settings;
        settings.materials = c.names;
        const Advice a = Advise(TwelveVolts(), {}, catalogue::BuiltIn(), settings);
        EXPECT_EQ(a.tried, 0);
        EXPECT_NE(a.problem.find("可比较的材料："), std::string::npos) << a.problem;
    }
    for (const auto& fine : {std::vector<std::string>{}, {"all"}, {"N87", "3C95"}})
        EXPECT_FALSE(CheckMaterials(catalogue::BuiltIn(), fine));
    // The plan's own material without loss data leaves nothing to weigh.
    winding::Options pc40;
    pc40.material = "PC40";
    const Advice none = Advise(TwelveVolts(), pc40, catalogue::BuiltIn());
    EXPECT_EQ(none.tried, 0);
    EXPECT_FALSE(none.problem.empty());
}

// A tiny output is a real design (a bias, a signal rail): however small the
// load, the pairs weighed on a core stay bounded, where they grew as the
// square of the turns (4.4 million candidates for a 1 nA output). Between
// the 18 W adapter's rows, every pair is still weighed.
TEST(AdviseTest, TheWorkIsBoundedHoweverSmallTheLoad) {
    const catalogue::Catalogue parts = Small();
    const auto tried = [&](double amps, const std::string& power) {
        winding::Options options;
        options.choices.outputs = {{12, amps, 0.5}};
        return Advise(record::RecordPress({power, "375", "120", "65", "80", "12"}), options, parts)
            .tried;
    };
    // Weighed pair by pair, the nanoampere's rows ran to fifty times the
    // adapter's candidates on these two cores.
    EXPECT_LT(tried(1e-9, "1.2e-8"), 10 * tried(1, "12"));
}

// A catalogue far beyond any maker's range is refused before the search, not
// weighed for hours.
TEST(AdviseTest, MorePairsOfCoreAndMaterialThanTheBoundAreRefused) {
    catalogue::Catalogue parts = Small();
    const catalogue::Core one = parts.cores.front();
    for (std::size_t i = 0; parts.cores.size() * 2 <= kMostWeighed; ++i) {
        catalogue::Core copy = one;
        copy.name += " #" + std::to_string(i);
        parts.cores.push_back(std::move(copy));
    }
    Settings both;
    both.materials = {"all"};
    const Advice a = Advise(TwelveVolts(), {}, parts, both);
    EXPECT_EQ(a.tried, 0);
    EXPECT_NE(a.problem.find(std::to_string(kMostWeighed)), std::string::npos) << a.problem;
}

TEST(AdviseTest, WeightsThatRankNothingOrOverflowAreRefused) {
    const struct {
        std::array<double, 3> weights;
        bool usable;
    } cases[] = {
        {{1, 1, 1}, true},    {{0, 0, 1}, true},         {{1e6, 0, 0}, true},
        {{0, 0, 0}, false},   {{1e308, 1, 1}, false},    {{-1, 1, 1}, false},
        {{NAN, 1, 1}, false}, {{INFINITY, 0, 0}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(WeightsUsable(c.weights), c.usable);
}

// The chart's axes are ticked at round numbers (1, 2 or 5 times a power of
// ten, and their multiples), not at quarters of the largest value.
TEST(AdviseTest, TheChartIsTickedAtRoundNumbers) {
    const std::string svg = Svg(Advise(TwelveVolts(), {}, Small()));
    int ticks = 0;
    for (std::size_t end = svg.find("</text>"); end != std::string::npos;
         end = svg.find("</text>", end + 1)) {
        const std::size_t start = svg.rfind('>', end) + 1;
        std::string digits = svg.substr(start, end - start);
        if (digits.empty() || digits.find_first_not_of("0123456789.") != std::string::npos)
            continue;  // a name or a caption, not a tick
        const std::string shown = digits;
        digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
        digits.erase(0, digits.find_first_not_of('0'));
        if (!digits.empty()) digits.erase(digits.find_last_not_of('0') + 1);
        EXPECT_LE(digits.size(), 2u) << shown;
        ++ticks;
    }
    EXPECT_GE(ticks, 6);
}

// The chart fills the place it is given within its limits, the page's the
// same as ever (the axes 460 tall, a line more for the key under a narrow
// one); a click picks the front member whose red dot is there, a click
// beside every dot none.
TEST(AdviseTest, AClickOnTheChartPicksTheFrontMemberDrawnThere) {
    const catalogue::Catalogue parts = Small();  // the candidates point into it
    const Advice advice = Advise(TwelveVolts(), {}, parts);
    ASSERT_GE(advice.front.size(), 2u);
    const struct {
        ChartFrame frame;
        double width, height;
    } cases[] = {
        {FrameOf(advice), 720, 460},
        {FrameOf(advice, 390), 390, 484},
        {FrameOf(advice, 2000), 720, 460},
        {FrameOf(advice, 900, 300), 720, 300},
        {FrameOf(advice, 500, 300), 500, 300},
        {FrameOf(advice, 100, 100), 300, 264},  // the least it draws
        {FrameOf(advice, 720, 1000), 720, 460},
    };
    for (const auto& c : cases) {
        const ChartFrame& frame = c.frame;
        EXPECT_EQ(frame.width, c.width);
        EXPECT_EQ(frame.height, c.height) << c.width;
        const std::string svg = Svg(advice, frame);
        EXPECT_NE(svg.find("height=\"" + drawing::Coordinate(c.height) + "\""), std::string::npos)
            << c.width;
        for (const Candidate& member : advice.front) {
            const double x = frame.X(member.volume_cm3), y = frame.Y(member.loss_W);
            EXPECT_GT(y, 0);
            EXPECT_LT(y, frame.axesHeight);
            // Where the picture draws its dot, that is where a click finds it.
            EXPECT_NE(svg.find("<circle cx=\"" + drawing::Coordinate(x) + "\" cy=\"" +
                               drawing::Coordinate(y) + "\" r=\"4.5\""),
                      std::string::npos)
                << c.width << " " << member.core->name;
            const Candidate* picked = FrontMemberAt(advice, frame, x + 3, y - 3);
            ASSERT_NE(picked, nullptr) << c.width;
            EXPECT_EQ(frame.X(picked->volume_cm3), x);
            EXPECT_EQ(frame.Y(picked->loss_W), y);
            // Beside the dot: the nearest dot within a finger's width (10), or none.
            for (const auto& [dx, dy] : {std::pair{12.0, 0.0}, {0.0, -12.0}, {7.0, 7.0}}) {
                const double atX = x + dx, atY = y + dy;
                const auto distance = [&](const Candidate* m) {
                    return std::hypot(frame.X(m->volume_cm3) - atX, frame.Y(m->loss_W) - atY);
                };
                const Candidate* nearest = &advice.front.front();
                for (const Candidate& m : advice.front)
                    if (distance(&m) < distance(nearest)) nearest = &m;
                const Candidate* beside = FrontMemberAt(advice, frame, atX, atY);
                if (distance(nearest) <= 10) {
                    ASSERT_NE(beside, nullptr);
                    EXPECT_EQ(distance(beside), distance(nearest));
                } else {
                    EXPECT_EQ(beside, nullptr) << distance(nearest);
                }
            }
        }
        EXPECT_EQ(FrontMemberAt(advice, frame, frame.width, 0), nullptr) << c.width;
        EXPECT_EQ(FrontMemberAt(advice, frame, -50, frame.height + 50), nullptr) << c.width;
    }
    EXPECT_EQ(Svg(advice, 390), Svg(advice, FrameOf(advice, 390)));
}

TEST(AdviseTest, CsvTextsAreQuotedAndNeverFormulas) {
    const struct {
        const char *text, *cell;
    } cases[] = {
        {"PQ20/20", "\"PQ20/20\""},
        {"=2+3", "\"'=2+3\""},
        {"+1", "\"'+1\""},
        {"-1", "\"'-1\""},
        {"@SUM(A1)", "\"'@SUM(A1)\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"a,b", "\"a,b\""},
        {"", "\"\""},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvText(c.text), c.cell) << c.text;
}

}  // namespace
}  // namespace flyback::advise
