#include "build_sheet/build_sheet.hpp"

#include <gtest/gtest.h>

#include <libxml/parser.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "record/design_record.hpp"
#include "record/readable.hpp"

namespace flyback::build_sheet {
namespace {

using winding::Options;
using winding::Order;
using winding::PlanOutcome;

const numtext::InputTexts kSixtyWatts{"60", "373", "249", "100", "80", "24"};

PlanOutcome PlanFor(const Options& options) {
    static const catalogue::Catalogue parts = catalogue::BuiltIn();
    return winding::PlanWinding(record::RecordPress(kSixtyWatts), options, parts);
}

Options WithBias(Order order) {
    Options options;
    options.Vaux_V = 15;
    options.order = order;
    return options;
}

std::string Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return std::to_string(n);
}

const plan_sheet::SheetLine* Line(const std::vector<plan_sheet::SheetLine>& lines,
                                  std::string_view caption) {
    const auto at = std::find_if(lines.begin(), lines.end(), [&](const plan_sheet::SheetLine& l) {
        return l.caption == caption;
    });
    return at == lines.end() ? nullptr : &*at;
}

// Each winding's ends by the default pins, in the order wound: the primary
// from pin 1, the bias winding from 3, the secondaries from 6 a pair each; a
// split winding's halves meeting at the first free pin after its side's pairs.
TEST(BuildSheetTest, PinsFollowTheOrderAndTheDefaults) {
    Options twoOutputs = WithBias(Order::PSB);
    twoOutputs.choices.outputs = {{24, 2.0, 0.5}, {12, 1.0, 0.5}};
    // Stacked, the 12 V section is the base: the return on 6, its tap on 7
    // where the 24 V section starts, and that one's tap on 8.
    Options stacked = twoOutputs;
    stacked.stack = true;
    const struct {
        Options options;
        std::vector<std::string> names;
        std::vector<std::pair<int, int>> ends;
    } cases[] = {
        {WithBias(Order::PSB), {"primary", "secondary 1", "bias"}, {{1, 2}, {6, 7}, {3, 4}}},
        {WithBias(Order::PBS), {"primary", "bias", "secondary 1"}, {{1, 2}, {3, 4}, {6, 7}}},
        {WithBias(Order::PSP),
         {"primary 1", "secondary 1", "primary 2", "bias"},
         {{1, 5}, {6, 7}, {5, 2}, {3, 4}}},
        {WithBias(Order::SPS),
         {"secondary 1.1", "primary", "secondary 1.2", "bias"},
         {{6, 8}, {1, 2}, {8, 7}, {3, 4}}},
        {twoOutputs,
         {"primary", "secondary 1", "secondary 2", "bias"},
         {{1, 2}, {6, 7}, {8, 9}, {3, 4}}},
        {Options{}, {"primary", "secondary 1"}, {{1, 2}, {6, 7}}},
        {stacked,
         {"primary", "secondary 2", "secondary 1", "bias"},
         {{1, 2}, {7, 6}, {8, 7}, {3, 4}}},
    };
    for (const auto& c : cases) {
        const PlanOutcome outcome = PlanFor(c.options);
        ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
        const std::vector<Ends> ends = PinsOf(*outcome.plan, Pins{});
        ASSERT_EQ(ends.size(), c.names.size());
        for (std::size_t i = 0; i < ends.size(); ++i) {
            EXPECT_EQ(winding::WindingName(outcome.plan->windings[i]), c.names[i]);
            EXPECT_EQ(std::pair(ends[i].start, ends[i].finish), c.ends[i]) << c.names[i];
        }
        EXPECT_FALSE(CheckPins(*outcome.plan, Pins{}));
    }
}

// A stack is drawn as one coil with its taps, and the notes say which tap
// feeds which output's rectifier.
TEST(BuildSheetTest, AStackIsOneTappedCoilWithItsTapsNamed) {
    Options options;
    options.choices.outputs = {{5, 2, 0.5}, {12, 1.2, 0.7}, {30, 0.02, 0.7}};
    options.stack = true;
    const PlanOutcome outcome = PlanFor(options);
    ASSERT_TRUE(outcome.plan);
    const Sheet sheet = SheetOf(*outcome.plan, Pins{});
    const plan_sheet::SheetLine* note = Line(sheet.notes, "叠绕");
    ASSERT_NE(note, nullptr);
    for (const std::string said : {"6 脚为各路输出的公共回线", "7 脚接输出 1（5 V）",
                                   "8 脚接输出 2（12 V）", "9 脚接输出 3（30 V）"})
        EXPECT_NE(note->value.find(said), std::string::npos) << note->value;
    const std::string svg = Schematic(*outcome.plan, Pins{}, 640);
    std::size_t coils = 0;
    for (std::size_t at = svg.find("次级叠绕组"); at != std::string::npos;
         at = svg.find("次级叠绕组", at + 1))
        ++coils;
    EXPECT_EQ(coils, 1u);
    EXPECT_EQ(svg.find(">次级 1"), std::string::npos) << "no section drawn apart";
}

// The winder is told which winding is split, and where a secondary lies
// against the bobbin's inner wall that the bobbin is the barrier to the core.
TEST(BuildSheetTest, TheNotesSayWhichWindingIsSplit) {
    Options functional = WithBias(Order::SPS);
    functional.insulation.grade = insulation::Grade::Functional;
    const struct {
        Options options;
        std::vector<std::string> present, absent;
    } cases[] = {
        {WithBias(Order::PSB), {}, {"初级分半", "次级分半", "骨架"}},
        {WithBias(Order::PSP), {"初级分半"}, {"次级分半", "骨架"}},
        {WithBias(Order::SPS), {"次级分半", "骨架"}, {"初级分半"}},
        {functional, {"次级分半"}, {"初级分半", "骨架"}},
    };
    for (const auto& c : cases) {
        const PlanOutcome outcome = PlanFor(c.options);
        ASSERT_TRUE(outcome.plan);
        const Sheet sheet = SheetOf(*outcome.plan, Pins{});
        for (const std::string& caption : c.present)
            EXPECT_NE(Line(sheet.notes, caption), nullptr) << caption;
        for (const std::string& caption : c.absent)
            EXPECT_EQ(Line(sheet.notes, caption), nullptr) << caption;
        // Each winding's wire once, under its own name, a split one's too.
        std::set<std::string> captions;
        for (const plan_sheet::SheetLine& line : sheet.materials)
            EXPECT_TRUE(captions.insert(line.caption).second) << line.caption;
        EXPECT_TRUE(captions.contains("初级导线"));
        EXPECT_TRUE(captions.contains("次级导线"));
    }
}

// A shield is a step of its own before the winding it precedes, tied to the
// primary's quiet pin (the end at the bulk, the primary's last pin), with
// the steps numbered on; the tape after the primary side's winding is one
// layer and the barrier's stands between the shield and the secondary; the
// materials and the notes name it, and the sheet says the capacitances.
TEST(BuildSheetTest, AShieldIsAStepTiedToThePrimarysQuietEnd) {
    for (const winding::Shield shield : {winding::Shield::Foil, winding::Shield::Winding}) {
        Options options = WithBias(Order::PSB);
        options.construction = winding::Construction::Margin;
        options.shield = shield;
        const PlanOutcome outcome = PlanFor(options);
        ASSERT_TRUE(outcome.plan);
        const winding::Plan& plan = *outcome.plan;
        ASSERT_EQ(plan.shields.size(), 2U);  // primary | secondary | bias
        const Sheet sheet = SheetOf(plan, Pins{});
        ASSERT_EQ(sheet.steps.size(), plan.windings.size() + 2);
        for (std::size_t n = 0; n < sheet.steps.size(); ++n)
            EXPECT_EQ(sheet.steps[n][0], std::to_string(n + 1));
        const StepRow& first = sheet.steps[1];
        EXPECT_TRUE(first[1].starts_with("屏蔽")) << first[1];
        const std::vector<Ends> ends = PinsOf(plan, Pins{});
        EXPECT_TRUE(first[2].starts_with(std::to_string(ends[0].finish) + "（")) << first[2];
        EXPECT_EQ(sheet.steps[0][7], "1 层");
        const int barrier = plan.insulation.requirements->tapeLayers;
        EXPECT_EQ(first[7], std::to_string(barrier) + " 层");
        // After the secondary the barrier, then one layer to the bias.
        EXPECT_EQ(sheet.steps[2][7], std::to_string(barrier) + " 层");
        EXPECT_EQ(sheet.steps[3][7], "1 层");
        EXPECT_NE(Line(sheet.materials, "屏蔽"), nullptr);
        EXPECT_NE(Line(sheet.notes, "屏蔽"), nullptr);
        ASSERT_NE(Line(sheet.tests, "绕组电容（估算）"), nullptr);
        EXPECT_NE(
            Line(sheet.tests, "绕组电容（估算）")
                ->value.find(record::ReadableValue(plan.capacitance->primarySecondary_F, "F")),
            std::string::npos);
    }
}

// A bobbin with its pins in the data: the sheet names them, and where the
// windings are numbered past the last one it says so first among its notes.
TEST(BuildSheetTest, ABobbinWithTooFewPinsIsSaidFirst) {
    const PlanOutcome outcome = PlanFor(WithBias(Order::PSB));  // pins up to 7
    ASSERT_TRUE(outcome.plan);
    const struct {
        std::optional<int> pins;
        std::optional<double> pitch_mm;
        const char* layout;
        const char* bobbin;  // the end of the materials' 骨架 line
        const char* tooFew;  // the first note's text, or nullptr
    } cases[] = {
        {std::nullopt, std::nullopt, "", "引脚至少到第 7 脚", nullptr},
        {8, 5, "vertical", "引脚至少到第 7 脚；骨架 8 脚（立式，脚距 5 mm）", nullptr},
        {7, std::nullopt, "horizontal", "；骨架 7 脚（卧式）", nullptr},
        {6, 2.5, "", "；骨架 6 脚（脚距 2.5 mm）",
         "骨架只有 6 脚，绕组编号用到第 7 脚：须重排引脚、改用引脚更多的骨架，或由飞线引出。"},
    };
    for (const auto& c : cases) {
        winding::Plan plan = *outcome.plan;
        catalogue::Core core = *plan.core;
        core.bobbinPins = c.pins;
        core.pinPitch_mm = c.pitch_mm;
        core.pinLayout = c.layout;
        plan.core = &core;
        const Sheet sheet = SheetOf(plan, Pins{});
        const plan_sheet::SheetLine* bobbin = Line(sheet.materials, "骨架");
        ASSERT_NE(bobbin, nullptr);
        EXPECT_TRUE(bobbin->value.ends_with(c.bobbin)) << bobbin->value;
        const plan_sheet::SheetLine* tooFew = Line(sheet.notes, "引脚不够");
        if (c.tooFew == nullptr) {
            EXPECT_EQ(tooFew, nullptr);
        } else {
            ASSERT_EQ(tooFew, &sheet.notes.front());
            EXPECT_EQ(tooFew->value, c.tooFew);
        }
    }
}

TEST(BuildSheetTest, PinsThatClashOrRunOutAreNamed) {
    const PlanOutcome outcome = PlanFor(WithBias(Order::PSB));
    ASSERT_TRUE(outcome.plan);
    const struct {
        Pins pins;
        const char* problem;
    } cases[] = {
        {{1, 2, 6}, "引脚 2 同时用于初级和辅助。"},
        {{1, 3, 4}, "引脚 4 同时用于次级和辅助。"},
        {{0, 3, 6}, "初级的引脚 0 超出 1 至 99。"},
        {{1, 3, 99}, "次级的引脚 100 超出 1 至 99。"},
        {{10, 20, 1}, ""},  // any side may come first
    };
    for (const auto& c : cases) {
        const PinsClash clash = CheckPins(*outcome.plan, c.pins);
        EXPECT_EQ(PinsClashCaption(clash), c.problem);
        EXPECT_EQ(static_cast<bool>(clash), *c.problem != '\0');
        // The sheet says it and copies nothing.
        if (!clash) continue;
        EXPECT_NE(HtmlSection(outcome, c.pins).find(report::HtmlEscape(c.problem)),
                  std::string::npos);
        EXPECT_EQ(TabSeparated(outcome, c.pins), "");
    }
}

// The steps as wound, with the tape each boundary needs after each winding;
// margins both sides on a margin-wound build and none with triple-insulated
// wire; the materials and the tests as the insulation asks.
TEST(BuildSheetTest, StepsMaterialsAndTestsFollowTheInsulation) {
    Options tiw = WithBias(Order::PSB);
    tiw.construction = winding::Construction::Tiw;
    Options functional = WithBias(Order::PSB);
    functional.insulation.grade = insulation::Grade::Functional;
    // Vmax 373 V is a mains of 264 V rms at most: a 240 V rating, 4 kV, two
    // layers of 4.5 kV tape.
    const struct {
        Options options;
        std::vector<std::string> tapeAfter;
        bool margins;
        std::string hipot;  // in the 耐压测试 line
    } cases[] = {
        {WithBias(Order::PSB), {"2 层", "2 层", "外层包覆固定"}, true, "4 kV"},
        {WithBias(Order::PBS), {"1 层", "2 层", "外层包覆固定"}, true, "4 kV"},
        {tiw, {"1 层", "1 层", "外层包覆固定"}, false, "4 kV"},
        {functional, {"1 层", "1 层", "外层包覆固定"}, false, "功能绝缘"},
    };
    for (const auto& c : cases) {
        const PlanOutcome outcome = PlanFor(c.options);
        ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
        const winding::Plan& plan = *outcome.plan;
        const Sheet sheet = SheetOf(plan, Pins{});
        ASSERT_EQ(sheet.steps.size(), plan.windings.size());
        for (std::size_t i = 0; i < sheet.steps.size(); ++i) {
            const StepRow& step = sheet.steps[i];
            EXPECT_EQ(step[0], std::to_string(i + 1));
            EXPECT_EQ(step[3], std::to_string(plan.windings[i].turns) + " 匝");
            EXPECT_EQ(step[7], c.tapeAfter[i]) << i;
            EXPECT_EQ(step[6] != "—", c.margins) << i;
        }
        EXPECT_EQ(Line(sheet.materials, "挡墙胶带") != nullptr, c.margins);
        // The shop grinds each half to half the plan's total gap, never the total.
        const std::string& gap = Line(sheet.materials, "气隙")->value;
        EXPECT_EQ(gap.rfind("中柱总计 " + record::ReadableValue(plan.gap_mm, "mm"), 0), 0u) << gap;
        EXPECT_NE(gap.find("两半各磨 " + record::ReadableValue(plan.gap_mm / 2, "mm")),
                  std::string::npos)
            << gap;
        ASSERT_NE(Line(sheet.tests, "耐压测试"), nullptr);
        const std::string& hipot = Line(sheet.tests, "耐压测试")->value;
        EXPECT_NE(hipot.find(c.hipot), std::string::npos) << hipot;
        EXPECT_NE(hipot.find("初级侧（1、2、3、4）— 次级侧（6、7）"), std::string::npos) << hipot;
        const std::string& leakage = Line(sheet.tests, "漏感")->value;
        EXPECT_EQ(leakage.rfind("≤ " + record::ReadableValue(plan.clamp.leakage_H, "H"), 0), 0u)
            << leakage;
        EXPECT_NE(Line(sheet.tests, "初级电感 Lp")->value.find("± 10 %"), std::string::npos);
        // The limit is the build's estimate times the factor, and says so.
        ASSERT_TRUE(plan.clamp.estimate_H);
        EXPECT_EQ(plan.clamp.leakage_H, *plan.clamp.estimate_H * 2);
        EXPECT_NE(
            leakage.find("估算 " + record::ReadableValue(*plan.clamp.estimate_H, "H") + " × 2"),
            std::string::npos)
            << leakage;
    }
    // The shop is held to the tolerance the corners took.
    winding::Options wider;
    wider.lpTolerance = 0.05;
    const PlanOutcome outcome = PlanFor(wider);
    ASSERT_TRUE(outcome.plan);
    const Sheet sheet = SheetOf(*outcome.plan, Pins{});
    EXPECT_NE(Line(sheet.tests, "初级电感 Lp")->value.find("± 5 %"), std::string::npos);
}

// What to order: the maker's set of the plan's core and material, with its
// price, distributor and day, where one is stocked; nothing made up where
// none is.
// Each winding's wire line says what decided it, as the plan has it.
TEST(BuildSheetTest, EachWiresLineSaysWhatDecidedIt) {
    for (const Order order : {Order::PSB, Order::PSP}) {
        const PlanOutcome outcome = PlanFor(WithBias(order));
        ASSERT_TRUE(outcome.plan);
        const Sheet sheet = SheetOf(*outcome.plan, Pins{});
        for (const winding::Winding& w : outcome.plan->windings) {
            if (w.half == 2) continue;
            const std::string caption =
                winding::WindingCaption(*outcome.plan, winding::Whole(w)) + "导线";
            const plan_sheet::SheetLine* line = Line(sheet.materials, caption);
            ASSERT_NE(line, nullptr) << caption;
            EXPECT_NE(line->value.find(plan_sheet::ConductorReasonText(*outcome.plan, w)),
                      std::string::npos)
                << line->value;
        }
    }
}

TEST(BuildSheetTest, TheCoreToOrderIsAStockedSetWhereOneIs) {
    const struct {
        const char* core;
        const char* material;
        const char* ordered;  // in the 磁芯订货 line; none: no such line
    } cases[] = {
        {"E25/13/7", "N87", "TDK B66317G0000X187 (N87)（未开气隙，按方案研磨），单价 0.83"},
        {"E25/13/7", "3C94", "Ferroxcube E25/13/7-3C94"},
        {"E25/13/7", "DMR40", nullptr},  // no DMEGC set in the stock data
    };
    for (const auto& c : cases) {
        Options options;
        options.core = c.core;
        options.material = c.material;
        const PlanOutcome outcome = PlanFor(options);
        ASSERT_TRUE(outcome.plan) << c.material;
        const Sheet sheet = SheetOf(*outcome.plan, Pins{});
        const plan_sheet::SheetLine* line = Line(sheet.materials, "磁芯订货");
        ASSERT_EQ(line != nullptr, c.ordered != nullptr) << c.material;
        if (line) {
            EXPECT_NE(line->value.find(c.ordered), std::string::npos) << line->value;
            EXPECT_NE(line->value.find("未注明币种"), std::string::npos) << line->value;
            // Every set the plan offers (up to three), with its own price.
            for (std::size_t i = 0; i < outcome.plan->stock.size() && i < 3; ++i) {
                const catalogue::StockPart& part = *outcome.plan->stock[i].part;
                EXPECT_NE(line->value.find(part.reference + "（"), std::string::npos) << i;
                EXPECT_NE(line->value.find("单价 " + record::ReadableValue(part.cost, "")),
                          std::string::npos)
                    << i;
            }
        }
    }
}

// The schematic is well-formed, draws a dot per coil (a split winding one
// coil with its junction) and every pin once.
TEST(BuildSheetTest, TheSchematicDrawsEveryPinAndADotPerCoil) {
    const struct {
        Order order;
        const char* dots;
        std::vector<int> pins;
    } cases[] = {
        {Order::PSB, "3", {1, 2, 3, 4, 6, 7}},
        {Order::PSP, "3", {1, 5, 2, 3, 4, 6, 7}},
        {Order::SPS, "3", {1, 2, 3, 4, 6, 8, 7}},
    };
    for (const auto& c : cases) {
        const PlanOutcome outcome = PlanFor(WithBias(c.order));
        ASSERT_TRUE(outcome.plan);
        const std::string svg = Schematic(*outcome.plan, Pins{});
        const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
            xmlReadMemory(svg.data(), static_cast<int>(svg.size()), "s.svg", nullptr,
                          XML_PARSE_NONET),
            xmlFreeDoc);
        EXPECT_NE(doc, nullptr);
        EXPECT_EQ(Count(svg, "class=\"dot\""), c.dots);
        EXPECT_EQ(Count(svg, "class=\"pin\""), std::to_string(c.pins.size()));
        for (const int pin : c.pins)
            EXPECT_NE(svg.find(">" + std::to_string(pin) + "</text>"), std::string::npos) << pin;
        // The page's width, and a phone's: the same schematic, drawn to fit.
        EXPECT_EQ(svg, Schematic(*outcome.plan, Pins{}, 640));
        const std::string narrow = Schematic(*outcome.plan, Pins{}, 340);
        EXPECT_NE(narrow.find("width=\"340\""), std::string::npos);
        EXPECT_EQ(Count(narrow, "class=\"pin\""), std::to_string(c.pins.size()));
    }
}

TEST(BuildSheetTest, TheSectionStandsOnAPageOfItsOwnOrSaysWhyNot) {
    const PlanOutcome outcome = PlanFor(WithBias(Order::PSB));
    const std::string html = HtmlSection(outcome, Pins{});
    EXPECT_NE(html.find("page-break-before: always\">变压器规格书</h2>"), std::string::npos);
    EXPECT_NE(html.find("<svg"), std::string::npos);
    EXPECT_NE(html.find("耐压测试"), std::string::npos);
    EXPECT_NE(HtmlSection(outcome, {1, 2, 6}).find("引脚 2 同时用于"), std::string::npos);
    EXPECT_NE(HtmlSection(PlanOutcome{}, Pins{}).find("没有绕制方案"), std::string::npos);
    // A page that refuses inline styles breaks the page itself.
    EXPECT_EQ(HtmlSection(outcome, Pins{}, true, false).find("style="), std::string::npos);
    EXPECT_EQ(TabSeparated(PlanOutcome{}, Pins{}), "");
    EXPECT_NE(TabSeparated(outcome, Pins{}).find("变压器规格书：步骤 1\t"), std::string::npos);
}

// The sheet alone, for the winding shop: a page of its own in the report's
// style, the transformer named under its title, the section's every part and
// no blank page before it.
TEST(BuildSheetTest, TheSheetAloneIsADocumentOfItsOwn) {
    const PlanOutcome outcome = PlanFor(WithBias(Order::PSB));
    const std::string html = HtmlDocument(outcome, Pins{}, "2026-12-08");
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("<title>单端反激变换式开关电源变压器的设计 — 变压器规格书</title>"),
              std::string::npos);
    EXPECT_NE(html.find("<p class=\"meta\">变压器规格书 · 2026-12-08 · flyback-designer "),
              std::string::npos);
    EXPECT_NE(html.find("，Np " + std::to_string(outcome.plan->Np) + "</h2>"), std::string::npos);
    EXPECT_EQ(html.find("page-break-before"), std::string::npos);
    for (const char* part : {"<svg", "耐压测试", "材料", "说明"})
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_NE(html.find("</body>\n</html>\n"), std::string::npos);
    EXPECT_NE(HtmlDocument(PlanOutcome{}, Pins{}, "d").find("没有绕制方案"), std::string::npos);
}

// The report says which design to build: with a plan, the plan and its sheet
// lead and the original method's results follow as the first estimate, the
// plan's core, Lp, gap and turns beside them; the record's own sections are
// the same bytes wherever they stand. Without a plan, the report as it was.
TEST(BuildSheetTest, TheReportLeadsWithWhatIsBuilt) {
    const record::DesignRecord record = record::RecordPress(kSixtyWatts);
    const PlanOutcome outcome = PlanFor(WithBias(Order::PSB));
    const std::string html = Report(record, "2026-12-08", false, outcome, WithBias(Order::PSB), {});
    const std::size_t plan = html.find("<h2>绕制方案</h2>"),
                      sheet = html.find(">变压器规格书</h2>"),
                      estimate = html.find(">原计算方法的初步估算</h2>"),
                      summary = html.find("<h2>设计摘要</h2>");
    EXPECT_LT(plan, sheet);
    EXPECT_LT(sheet, estimate);
    EXPECT_LT(estimate, summary);
    ASSERT_NE(summary, std::string::npos);
    const winding::Plan& p = *outcome.plan;
    for (const std::string& figure :
         {" " + p.material->name + "</td>", "<td>" + record::ReadableValue(p.Lp_H, "H") + "</td>",
          "<td>" + record::ReadableValue(p.gap_mm * 1e-3, "m") + "</td>",
          "<td>" + std::to_string(p.Np) + "</td>", "<td>" + std::to_string(p.Ns) + "</td>"})
        EXPECT_NE(html.find(figure, estimate), std::string::npos) << figure;
    const std::string original = report::HtmlReport(record, "2026-12-08");
    const std::size_t from = original.find("<h2>设计摘要</h2>");
    const std::size_t to = original.find("<p class=\"note\">结果框中的数值截断");
    EXPECT_NE(html.find(original.substr(from, to - from)), std::string::npos);

    const PlanOutcome none{{}, false, winding::PlanFailure::NoCore};
    EXPECT_EQ(Report(record, "d", true, none, {}, {}),
              report::HtmlReport(record, "d", true, ReportSections(none, {}, {})));
}

}  // namespace
}  // namespace flyback::build_sheet
