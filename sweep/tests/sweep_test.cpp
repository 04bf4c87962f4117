#include "sweep/plot.hpp"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "runtime/decimal_conversion.hpp"
#include "sweep/sweep.hpp"

namespace flyback::sweep {
namespace {

// How many nodes `xpath` finds in the SVG, read with a real XML parser; -1
// when the SVG is not well-formed.
int Count(const std::string& svg, const std::string& xpath) {
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlReadMemory(svg.data(), static_cast<int>(svg.size()), "plot.svg", nullptr,
                      XML_PARSE_NONET),
        xmlFreeDoc);
    if (doc == nullptr) return -1;
    const std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(
        xmlXPathNewContext(doc.get()), xmlXPathFreeContext);
    xmlXPathRegisterNs(context.get(), reinterpret_cast<const xmlChar*>("s"),
                       reinterpret_cast<const xmlChar*>("http://www.w3.org/2000/svg"));
    const std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), context.get()),
        xmlXPathFreeObject);
    return result && result->nodesetval ? result->nodesetval->nodeNr : 0;
}

// What a sweep's plot collects of `text` over `texts`, with the plan (on the
// built-in catalogue's defaults) or without.
SweepData Swept(std::string_view text, const numtext::InputTexts& texts, bool withPlan) {
    RangeProblem problem{};
    const auto range = ReadSweep(text, problem);
    EXPECT_TRUE(range) << text;
    SweepData data(range.value_or(SweepRange{}), withPlan);
    if (!range) return data;
    std::optional<PlanSetting> plan;
    if (withPlan) plan = PlanSetting{{}, &catalogue::BuiltIn()};
    RunSweep(*range, texts, plan, [&](const SweepPoint& point) {
        data.Add(point);
        return true;
    });
    return data;
}

TEST(SweepTest, PointsRunFromOneEndToTheOther) {
    RangeProblem problem{};
    const auto range = ReadSweep("eta=50:90:5", problem);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->input, numtext::Input::Efficiency);
    EXPECT_EQ(SweepText(*range, 0), "50");
    EXPECT_EQ(SweepText(*range, 1), "60");
    EXPECT_EQ(SweepText(*range, 4), "90");
    const auto thirds = ReadSweep("P=0.1:0.3:3", problem);
    EXPECT_EQ(SweepValue(*thirds, 2), 0.3);  // the end itself, not 0.1 + 2 × 0.1
    const auto down = ReadSweep("P=0.7:0.1:4", problem);
    EXPECT_EQ(SweepValue(*down, 3), 0.1);  // not 0.7 + 3 × −0.2 = 0.09999999999999998
    EXPECT_EQ(SweepText(*down, 3), "0.1");
}

TEST(SweepTest, PlotHasAPanelPerSeriesWithTheCoreChangesMarked) {
    const SweepData data = Swept("P=5:300:60", {"", "373", "249", "100", "80", "24"}, true);
    ASSERT_EQ(data.x.size(), 60u);
    EXPECT_FALSE(data.coreChanges.empty());
    const std::string svg = PlotSvg(data);
    // The chain's 7, and the plan's 8 beside its core.
    EXPECT_EQ(Count(svg, "//s:g[@class='plot']"), 15);
    EXPECT_EQ(Count(svg, "//s:g[@class='plot'][1]/s:line[@class='mark']"),
              static_cast<int>(data.coreChanges.size() + data.warningStarts.size()));
    EXPECT_GE(Count(svg, "//s:polyline[@class='series']"), 15);
}

// Ticks for ranges that once looped for ever or drew nothing: a span of a few
// bits, a span beyond the double range, one of zero, reversed ends.
TEST(SweepTest, TicksAreFewAndInsideTheirRange) {
    const double np = 19.86552567237164;
    const struct {
        const char* name;
        double low, high;
        std::size_t most;
    } cases[] = {
        {"ordinary", 0, 100, 7},
        {"a few bits wide", np, std::nextafter(np, 100.0), 2},
        {"a few bits wide far out", 1e300, std::nextafter(1e300, 2e300), 2},
        {"the whole double range", -1.7e308, 1.7e308, 7},
        {"zero wide", 5, 5, 1},
        {"reversed", 10, 1, 1},
        {"denormal", 0, 5e-324, 2},
    };
    for (const auto& c : cases) {
        const std::vector<double> ticks = Ticks(c.low, c.high, 5);
        EXPECT_GE(ticks.size(), 1u) << c.name;
        EXPECT_LE(ticks.size(), c.most) << c.name;
        for (const double t : ticks) {
            EXPECT_TRUE(std::isfinite(t)) << c.name;
            if (c.low <= c.high) {
                EXPECT_GE(t, c.low - (c.high - c.low) * 1e-6) << c.name;
                EXPECT_LE(t, c.high + (c.high - c.low) * 1e-6) << c.name;
            }
        }
    }
    EXPECT_EQ(Ticks(0, 100, 5), (std::vector<double>{0, 20, 40, 60, 80, 100}));
    EXPECT_EQ(Ticks(0, 25, 5), (std::vector<double>{0, 5, 10, 15, 20, 25}));  // 5s
    EXPECT_EQ(Ticks(0, 1, 5), (std::vector<double>{0, 0.2, 0.4, 0.6000000000000001, 0.8, 1}));
}

TEST(SweepTest, AFlatSeriesIsCentredWithRoom) {
    const double np = 19.86552567237164;
    const struct {
        std::vector<double> values;
        double low, high;
    } cases[] = {
        {{np, std::nextafter(np, 100.0), np}, np * 0.9, np * 1.1},
        {{5, 5}, 4.5, 5.5},
        {{0, 0}, -1, 1},
        {{NAN, NAN}, 0, 1},
        {{1, 3}, 1, 3},
    };
    for (const auto& c : cases) {
        const AxisRange r = RangeOf(c.values);
        EXPECT_NEAR(r.low, c.low, 1e-9 * std::fabs(c.low) + 1e-12);
        EXPECT_NEAR(r.high, c.high, 1e-9 * std::fabs(c.high) + 1e-12);
    }
}

// The efficiency sweep whose Np varies only in its last bit: it once looped
// until memory ran out. Every panel now has its ticks, every coordinate is a
// number, and the points lie inside their panel.
TEST(SweepTest, ASweepOfFewBitsIsPlotted) {
    for (const char* text : {"eta=37.5:112.5:3", "P=5:5:3", "P=10:1:4", "f=1e300:1e300:2"}) {
        const SweepData data = Swept(text, {"150", "375", "100", "100", "75", "24"}, false);
        const std::string svg = PlotSvg(data);
        EXPECT_EQ(Count(svg, "//s:g[@class='plot']"), 7) << text;
        EXPECT_EQ(svg.find("nan"), std::string::npos) << text;
        EXPECT_EQ(svg.find("inf"), std::string::npos) << text;
        EXPECT_GE(Count(svg, "//s:g[@class='plot'][4]/s:text"), 3) << text;  // Np's ticks
    }
}

TEST(SweepTest, ARangesProblemIsNamed) {
    const struct {
        const char* text;
        RangeProblem problem;
    } cases[] = {
        {"f=20:100", RangeProblem::Form},
        {"f=a:2:3", RangeProblem::Form},
        {"Lp=1:2:3", RangeProblem::UnknownInput},
        {"f=1:2:1", RangeProblem::Points},
        {"f=1:2:2.5", RangeProblem::Points},
        {"f=1:2:x", RangeProblem::Points},
        {"P=-1e308:1e308:3", RangeProblem::TooFarApart},
        {"P=1:2:3", RangeProblem::None},
        {"vor=80:140:13", RangeProblem::None},
        {"krp=0.3:1:8", RangeProblem::None},
        {"lp=1e-3:3e-3:11", RangeProblem::None},
        {"Vor=80:140:13", RangeProblem::UnknownInput},  // the chain's Vor is no input
    };
    for (const auto& c : cases) {
        RangeProblem problem{};
        ReadSweep(c.text, problem);
        EXPECT_EQ(problem, c.problem) << c.text;
        EXPECT_EQ(RangeProblemCaption(problem).empty(), c.problem == RangeProblem::None);
    }
}

// What a person reads of a plot names quantities as engineers write them,
// never by a program's column names.
TEST(SweepTest, APlotsTextsHoldNoProgramNames) {
    const SweepData data = Swept("P=5:300:30", {"", "373", "249", "100", "80", "24"}, true);
    for (const Series& s : data.series) EXPECT_EQ(s.Label().find('_'), std::string::npos);
    for (const auto* marks : {&data.coreChanges, &data.warningStarts}) {
        for (const Mark& mark : *marks) EXPECT_EQ(mark.text.find('_'), std::string::npos);
    }
    const std::string svg = PlotSvg(data);
    std::string texts;  // every text element's content
    for (std::size_t at = svg.find("<text"); at != std::string::npos;
         at = svg.find("<text", at + 1)) {
        const std::size_t start = svg.find('>', at) + 1;
        texts += svg.substr(start, svg.find("</text>", start) - start) + "\n";
    }
    EXPECT_EQ(texts.find("plan_"), std::string::npos) << texts;
    EXPECT_NE(texts.find("峰值磁通密度 Bpk（T）"), std::string::npos);
    // Inductance read in µH or mH, never as a power of ten.
    EXPECT_TRUE(texts.find("Lp（µH）") != std::string::npos ||
                texts.find("Lp（mH）") != std::string::npos)
        << texts;
    EXPECT_EQ(texts.find("×10"), std::string::npos) << texts;
}

// On a phone's width the panels stack in one column, each as large as in two;
// the marks are listed one a line, and every text lies within the plot.
TEST(SweepTest, PanelsStackInOneColumnWhenAsked) {
    const SweepData data = Swept("P=5:300:30", {"", "373", "249", "100", "80", "24"}, true);
    const std::string two = PlotSvg(data), one = PlotSvg(data, 1);
    EXPECT_EQ(Count(one, "//s:g[@class='plot']"), Count(two, "//s:g[@class='plot']"));
    EXPECT_EQ(Count(one, "//s:rect[@class='panel'][@x='64']"), 15);
    EXPECT_EQ(Count(two, "//s:rect[@class='panel'][@x='64']"), 8);
    EXPECT_EQ(Count(one, "//s:rect[@class='panel'][@width='330']"), 15);
    // Narrower than a panel: the panels narrow, the heading and the marks
    // wrap, the picture no wider than asked and no text below 11 pixels.
    const std::string narrow = PlotSvg(data, 1, 348);
    EXPECT_EQ(Count(narrow, "//s:rect[@class='panel'][@width='254']"), 15);
    EXPECT_NE(narrow.find("width=\"348\""), std::string::npos);
    EXPECT_EQ(narrow.find("font-size=\"10\""), std::string::npos);
}

// The window's one panel fills the room it is given, ticked as densely as
// the page's (no closer than about 66 pixels across, 37 up), with the marks
// as dashed lines; below half a panel it stops shrinking.
TEST(SweepTest, OnePanelFillsItsRoom) {
    const SweepData data = Swept("P=5:300:30", {"", "373", "249", "100", "80", "24"}, true);
    const int marks = static_cast<int>(data.coreChanges.size() + data.warningStarts.size());
    const struct {
        double width, height;
        const char *svgWidth, *svgHeight, *panelWidth, *panelHeight;
    } cases[] = {
        {424, 208, "424", "208", "330", "150"},  // the page's panel
        {1000, 500, "1000", "500", "906", "442"},
        {100, 50, "294", "133", "200", "75"},  // the least it draws
    };
    for (const auto& c : cases) {
        const std::string svg = PanelSvg(data, 0, c.width, c.height);
        const std::string rect = "//s:rect[@class='panel'][@width='" + std::string(c.panelWidth) +
                                 "'][@height='" + c.panelHeight + "']";
        EXPECT_EQ(Count(svg, rect), 1) << c.width;
        EXPECT_EQ(Count(svg, "/s:svg[@width='" + std::string(c.svgWidth) + "'][@height='" +
                                 c.svgHeight + "']"),
                  1)
            << c.width;
        EXPECT_EQ(Count(svg, "//s:line[@class='mark']"), marks) << c.width;
        EXPECT_EQ(Count(svg, "//s:polyline[@class='series']"), 1) << c.width;
    }
    // The page's panel ticked as the page's; a larger one more densely, both
    // across (the vertical grid lines) and up.
    const std::string page = PlotSvg(data, 1), small = PanelSvg(data, 0, 424, 208),
                      large = PanelSvg(data, 0, 1000, 500);
    const std::string first = page.substr(0, page.find("</g>")) + "</g></svg>";
    for (const std::string grid :
         {"//s:line[@class='grid'][@x1=@x2]", "//s:line[@class='grid'][@y1=@y2]"}) {
        EXPECT_GE(Count(small, grid), 2) << grid;
        EXPECT_EQ(Count(small, grid), Count(first, grid)) << grid;
        EXPECT_GT(Count(large, grid), Count(small, grid)) << grid;
    }
}

// Whole turns tick at whole turns, never at half a turn.
TEST(SweepTest, TurnsTickAtWholeTurns) {
    const SweepData data = Swept("Vmin=240:260:5", {"60", "373", "", "100", "80", "24"}, true);
    const std::string svg = PlotSvg(data);
    const std::size_t panel = svg.find("data-symbol=\"plan_Ns\"");
    ASSERT_NE(panel, std::string::npos);
    const std::string ns = svg.substr(panel, svg.find("</g>", panel) - panel);
    for (std::size_t at = ns.find("text-anchor=\"end\""); at != std::string::npos;
         at = ns.find("text-anchor=\"end\"", at + 1)) {
        const std::size_t start = ns.find('>', at) + 1;
        const std::string label = ns.substr(start, ns.find('<', start) - start);
        EXPECT_EQ(label.find('.'), std::string::npos) << label;
    }
}

// A column a caption, in the CSV's order, each with its unit.
TEST(SweepTest, ColumnsHaveCaptionsWithUnits) {
    for (const bool withPlan : {false, true}) {
        const std::vector<std::string> captions = ColumnCaptions(withPlan);
        const std::string header = CsvHeader(withPlan);
        EXPECT_EQ(captions.size(),
                  static_cast<std::size_t>(std::count(header.begin(), header.end(), ',') + 1));
        for (const std::string& caption : captions)
            EXPECT_EQ(caption.find("plan_"), std::string::npos);
    }
    const std::vector<std::string> captions = ColumnCaptions(true);
    EXPECT_EQ(captions[3], "工作频率 f（Hz）");
    EXPECT_NE(std::find(captions.begin(), captions.end(), "方案初级匝数 Np（匝）"), captions.end());
}

// The table on screen reads as the CSV does, cell for cell under the
// captions, but a core by its Chinese caption and a fault in words.
TEST(SweepTest, TableCellsAreTheCsvsInPeoplesWords) {
    RangeProblem problem{};
    const auto range = ReadSweep("Vmin=0:200:2", problem);  // the first point divides by zero
    std::optional<PlanSetting> plan = PlanSetting{{}, &catalogue::BuiltIn()};
    plan->options.core = "RM8";
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> csv;
    RunSweep(*range, {"12", "375", "", "65", "80", "12"}, plan, [&](const SweepPoint& point) {
        rows.push_back(TableCells(point));
        csv.push_back(CsvLine(point));
        return true;
    });
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& cells : rows) EXPECT_EQ(cells.size(), ColumnCaptions(true).size());
    EXPECT_EQ(rows[0].back(), "除数为零");
    EXPECT_TRUE(csv[0].ends_with(",division_by_zero\n")) << csv[0];
    EXPECT_EQ(rows[1].back(), "");
    EXPECT_NE(std::find(rows[1].begin(), rows[1].end(), "RM8（带中心孔）"), rows[1].end());
    EXPECT_NE(csv[1].find(",RM8 (with centre hole),"), std::string::npos) << csv[1];
}

// A sweep of the plan's own choice presses the six texts once and steps the
// choice: the CSV leads with it and each point's plan is designed to it.
TEST(SweepTest, AChoiceOfThePlanIsSweptInThePlan) {
    const numtext::InputTexts texts{"12", "375", "120", "65", "80", "12"};
    const struct {
        const char* text;
        std::function<double(const winding::Plan&)> chosen;
    } cases[] = {
        {"vor=80:140:4", [](const winding::Plan& p) { return p.VorDesigned_V; }},
        {"krp=0.4:1:4", [](const winding::Plan& p) { return p.options.choices.KRP; }},
        {"lp=1e-3:4e-3:4", [](const winding::Plan& p) { return p.Lp_H; }},
    };
    for (const auto& c : cases) {
        RangeProblem problem{};
        const auto range = ReadSweep(c.text, problem);
        ASSERT_TRUE(range && range->choice) << c.text;
        const std::string header = CsvHeader(true, ',', range->choice);
        const std::string name(c.text);
        EXPECT_EQ(header.substr(0, header.find(',')), name.substr(0, name.find('=')));
        int points = 0;
        RunSweep(*range, texts, PlanSetting{{}, &catalogue::BuiltIn()}, [&](const SweepPoint& p) {
            EXPECT_EQ(p.record.trace.inputs.OutputPower, 12);
            EXPECT_TRUE(CsvLine(p).starts_with(runtime::decimal::ShortestText(p.typed) + ","));
            EXPECT_TRUE(p.plan && p.plan->plan)
                << c.text << ": " << winding::PlanFailureName(p.plan->failure);
            if (p.plan->plan) {
                EXPECT_NEAR(c.chosen(*p.plan->plan), p.typed, 1e-12 * p.typed) << c.text;
            }
            ++points;
            return true;
        });
        EXPECT_EQ(points, 4);
        EXPECT_FALSE(SweepData(*range, true).xCaption.empty());
    }
}

TEST(SweepTest, ASweepStopsWhenAskedTo) {
    RangeProblem problem{};
    const auto range = ReadSweep("P=1:100:1000", problem);
    int seen = 0;
    RunSweep(*range, {"", "368", "200", "20", "75", "5"}, std::nullopt,
             [&](const SweepPoint&) { return ++seen < 3; });
    EXPECT_EQ(seen, 3);
}

// The frequency columns of each point: a quasi-resonant plan's own at
// either end of the input and the swept load (rising as the load falls and
// the line rises, the input's at the minimum input and full load); a fixed
// frequency plan's the input's throughout. At full load the flux and losses
// are the plan's own; at part load its transformer's there.
TEST(SweepTest, TheFrequencyFollowsTheSweptLoadAndLine) {
    const numtext::InputTexts adapter{"18", "374.77", "100.45", "65", "85", "12"};
    PlanSetting quasiResonant{{}, &catalogue::BuiltIn()};
    quasiResonant.options.choices.conduction = winding::Conduction::QuasiResonant;
    quasiResonant.options.choices.fmax_Hz = 10e6;  // no clamp in reach: no valley skipped
    const auto figures = [](const SweepPoint& point) {
        return PlanFigures(*point.plan->plan, point.load);
    };
    constexpr std::size_t kBpk = 2, kCopper = 3, kVmin = 6, kVmax = 7;
    RangeProblem problem{};
    std::vector<std::vector<std::optional<double>>> byLoad;
    RunSweep(*ReadSweep("load=0.2:1:5", problem), adapter, quasiResonant,
             [&](const SweepPoint& point) {
                 byLoad.push_back(figures(point));
                 if (point.load == 1) {
                     EXPECT_EQ(byLoad.back()[kBpk], point.plan->plan->Bpk_T);
                     EXPECT_EQ(byLoad.back()[kCopper], point.plan->plan->Pcopper_W);
                 }
                 return true;
             });
    ASSERT_EQ(byLoad.size(), 5U);
    EXPECT_NEAR(*byLoad.back()[kVmin] / 65e3, 1, 1e-12);
    for (std::size_t i = 1; i < byLoad.size(); ++i) {
        EXPECT_LT(*byLoad[i][kVmin], *byLoad[i - 1][kVmin]);
        EXPECT_LT(*byLoad[i][kVmax], *byLoad[i - 1][kVmax]);
        EXPECT_GT(*byLoad[i][kBpk], *byLoad[i - 1][kBpk]);
    }
    std::vector<double> byLine;
    RunSweep(*ReadSweep("Vmax=150:375:4", problem), adapter, quasiResonant,
             [&](const SweepPoint& point) {
                 EXPECT_NEAR(*figures(point)[kVmin] / 65e3, 1, 1e-12);
                 byLine.push_back(*figures(point)[kVmax]);
                 return true;
             });
    EXPECT_TRUE(std::is_sorted(byLine.begin(), byLine.end()));
    EXPECT_LT(byLine.front(), byLine.back());
    RunSweep(*ReadSweep("load=0.2:1:3", problem), adapter, PlanSetting{{}, &catalogue::BuiltIn()},
             [&](const SweepPoint& point) {
                 EXPECT_EQ(figures(point)[kVmin], 65e3);
                 EXPECT_EQ(figures(point)[kVmax], 65e3);
                 return true;
             });
}

}  // namespace
}  // namespace flyback::sweep
