#include "drawing/pictures.hpp"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "drawing/svg.hpp"

namespace flyback::drawing {
namespace {

// An SVG read back with libxml2: it must be well-formed XML.
class Parsed {
  public:
    explicit Parsed(const std::string& svg)
        : doc_(xmlReadMemory(svg.data(), static_cast<int>(svg.size()), "drawing.svg", nullptr,
                             XML_PARSE_NONET),
               xmlFreeDoc) {}
    bool WellFormed() const { return doc_ != nullptr; }

    // The value of `attribute` on each node `xpath` finds (SVG's namespace as s:).
    std::vector<double> Numbers(const std::string& xpath, const char* attribute) const {
        const std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(
            xmlXPathNewContext(doc_.get()), xmlXPathFreeContext);
        xmlXPathRegisterNs(context.get(), reinterpret_cast<const xmlChar*>("s"),
                           reinterpret_cast<const xmlChar*>("http://www.w3.org/2000/svg"));
        const std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
            xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), context.get()),
            xmlXPathFreeObject);
        std::vector<double> values;
        if (result == nullptr || result->nodesetval == nullptr) return values;
        for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
            xmlChar* text = xmlGetProp(result->nodesetval->nodeTab[i],
                                       reinterpret_cast<const xmlChar*>(attribute));
            values.push_back(text != nullptr ? std::stod(reinterpret_cast<char*>(text)) : 0);
            xmlFree(text);
        }
        return values;
    }

    struct TextNode {
        double x = 0;
        std::string anchor, content;
    };
    std::vector<TextNode> Texts() const {
        std::vector<TextNode> texts;
        const std::vector<double> xs = Numbers("//s:text", "x");
        const std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(
            xmlXPathNewContext(doc_.get()), xmlXPathFreeContext);
        xmlXPathRegisterNs(context.get(), reinterpret_cast<const xmlChar*>("s"),
                           reinterpret_cast<const xmlChar*>("http://www.w3.org/2000/svg"));
        const std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
            xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>("//s:text"), context.get()),
            xmlXPathFreeObject);
        for (int i = 0; result && result->nodesetval && i < result->nodesetval->nodeNr; ++i) {
            xmlNode* node = result->nodesetval->nodeTab[i];
            xmlChar* anchor = xmlGetProp(node, reinterpret_cast<const xmlChar*>("text-anchor"));
            xmlChar* content = xmlNodeGetContent(node);
            texts.push_back({xs[static_cast<std::size_t>(i)],
                             anchor != nullptr ? reinterpret_cast<char*>(anchor) : "start",
                             reinterpret_cast<char*>(content)});
            xmlFree(anchor);
            xmlFree(content);
        }
        return texts;
    }

  private:
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc_;
};

// Every text inside its picture's width, at its font size (12 or smaller),
// reckoned as the pictures reckon a text's width.
void ExpectTextsInside(const std::string& svg) {
    const Parsed parsed(svg);
    const double width = parsed.Numbers("/s:svg", "width").at(0);
    for (const Parsed::TextNode& t : parsed.Texts()) {
        const double run = TextWidth(t.content, 12);
        const double right = t.anchor == "end"      ? t.x
                             : t.anchor == "middle" ? t.x + run / 2
                                                    : t.x + run;
        EXPECT_LE(right, width) << t.content;
        const double left = t.anchor == "end"      ? t.x - run
                            : t.anchor == "middle" ? t.x - run / 2
                                                   : t.x;
        EXPECT_GE(left, 0) << t.content;
    }
}

winding::Plan PlanFor(const numtext::InputTexts& texts, const winding::Options& options = {}) {
    auto outcome = winding::PlanWinding(record::RecordPress(texts), options, catalogue::BuiltIn());
    EXPECT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
    return *outcome.plan;
}

std::string Conductors(std::string_view role) {
    return "//s:circle[@class='conductor " + std::string(role) + "']";
}

struct Case {
    const char* name;
    numtext::InputTexts texts;
    bool bias;
};

class BuildDrawingTest : public testing::TestWithParam<Case> {};

// Counts equal the turns times the strands, one row of conductors per layer,
// every conductor inside the bobbin's area across and, where the plan fits,
// radially too.
TEST_P(BuildDrawingTest, ConductorsAreTheTurnsInTheirLayersInsideTheWindow) {
    winding::Options options;
    if (GetParam().bias) options.Vaux_V = 15;
    const winding::Plan plan = PlanFor(GetParam().texts, options);
    const Parsed svg(BuildDrawing(plan));
    ASSERT_TRUE(svg.WellFormed());
    const auto area = [&](const char* attribute) {
        return svg.Numbers("//s:rect[@class='bobbin-area']", attribute).at(0);
    };
    const double left = area("x"), top = area("y"), right = left + area("width"),
                 bottom = top + area("height");
    for (const winding::Winding& w : plan.windings) {
        const std::string role(winding::RoleName(w.role));
        if (w.conductor == winding::Conductor::Foil) {  // a strip a turn, as wide as the foil
            const auto width = svg.Numbers("//s:rect[@class='conductor " + role + "']", "width");
            EXPECT_EQ(width.size(), static_cast<std::size_t>(w.turns)) << role;
            for (const double each : width) EXPECT_LE(each, right - left + 0.01) << role;
            continue;
        }
        const auto cx = svg.Numbers(Conductors(role), "cx");
        const auto cy = svg.Numbers(Conductors(role), "cy");
        const auto r = svg.Numbers(Conductors(role), "r");
        ASSERT_EQ(cx.size(), static_cast<std::size_t>(w.turns) * winding::ConductorsPerTurn(w))
            << role;
        EXPECT_EQ(std::set<double>(cy.begin(), cy.end()).size(), static_cast<std::size_t>(w.layers))
            << role;
        for (std::size_t i = 0; i < cx.size(); ++i) {
            EXPECT_GE(cx[i] - r[i], left - 0.01) << role;
            EXPECT_LE(cx[i] + r[i], right + 0.01) << role;
            if (plan.fits) {
                EXPECT_GE(cy[i] - r[i], top - 0.01) << role;
                EXPECT_LE(cy[i] + r[i], bottom + 0.01) << role;
            }
        }
    }
    EXPECT_EQ(svg.Numbers("//s:rect[@class='tape']", "height").size(), plan.windings.size() - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Supplies, BuildDrawingTest,
    testing::Values(Case{"Stranded", {"60", "373", "249", "100", "80", "24"}, false},
                    Case{"WithBias", {"12", "375", "120", "65", "80", "12"}, true},
                    Case{"ManyTurns", {"10", "373", "127", "100", "80", "5"}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DrawingTest, AWindingTooLargeToDrawIsBandsNotCircles) {
    winding::Options options;
    options.core = "E13/7/4";
    options.Bmax_T = 0.05;  // some seven thousand primary turns
    const winding::Plan plan = PlanFor({"150", "373", "249", "20", "80", "5"}, options);
    const Parsed svg(BuildDrawing(plan));
    ASSERT_TRUE(svg.WellFormed());
    EXPECT_TRUE(svg.Numbers("//s:circle", "r").empty());
    EXPECT_FALSE(svg.Numbers("//s:rect[@class='layer primary']", "width").empty());
}

TEST(DrawingTest, CurrentsMarkTheDutyCycleAcrossThePeriod) {
    const winding::Plan plan = PlanFor({"60", "373", "249", "100", "80", "24"});
    const Parsed svg(CurrentsDrawing(plan));
    ASSERT_TRUE(svg.WellFormed());
    const auto axisStart = svg.Numbers("//s:line[@class='axis']", "x1").at(0);
    const auto axisEnd = svg.Numbers("//s:line[@class='axis']", "x2").at(0);
    const auto marker = svg.Numbers("//s:line[@class='marker']", "x1").at(0);
    EXPECT_NEAR((marker - axisStart) / (axisEnd - axisStart), plan.Dmax, 0.01);
    EXPECT_EQ(svg.Numbers("//s:polyline[@class='current']", "stroke-width").size(), 2u);
}

// One trace per winding that carries current, drawn for the mode: the
// primary starting from its valley in continuous conduction, an idle time
// marked in discontinuous; every text inside the picture.
TEST(DrawingTest, CurrentsAreDrawnForTheModeWithATracePerOutput) {
    const struct {
        winding::Conduction conduction;
        double KRP, Lp_H;
        bool valley, idle;
    } cases[] = {
        {winding::Conduction::Boundary, 1, 0, false, false},
        {winding::Conduction::Ripple, 0.5, 0, true, false},
        {winding::Conduction::Inductance, 1, 200e-6, false, true},
    };
    for (const auto& c : cases) {
        winding::Options options;
        options.choices.outputs = {{12, 1.5, 0.5}, {5, 1, 0.4}, {30, 0.1, 0.7}};
        options.choices.conduction = c.conduction;
        options.choices.KRP = c.KRP;
        options.choices.Lp_H = c.Lp_H;
        const winding::Plan plan = PlanFor({"30", "375", "100", "65", "80", "12"}, options);
        const std::string drawn = CurrentsDrawing(plan);
        const Parsed svg(drawn);
        ASSERT_TRUE(svg.WellFormed());
        EXPECT_EQ(svg.Numbers("//s:polyline[@class='current']", "stroke-width").size(), 4u);
        EXPECT_EQ(svg.Numbers("//s:line[@class='marker idle']", "x1").size(), c.idle ? 1u : 0u);
        // The primary's second point: at the axis's height, or above it from a valley.
        const std::string primary = drawn.substr(drawn.find("<polyline"));
        const std::string points = primary.substr(primary.find("points=\"") + 8);
        const auto y = [&](int point) {
            std::size_t at = 0;
            for (int i = 0; i < point; ++i) at = points.find(' ', at) + 1;
            return std::stod(points.substr(points.find(',', at) + 1));
        };
        EXPECT_EQ(y(1) < y(0), c.valley) << points.substr(0, 60);
        ExpectTextsInside(drawn);
        ExpectTextsInside(BuildDrawing(plan));
    }
}

TEST(DrawingTest, NumbersHaveAPoint) {
    EXPECT_EQ(Coordinate(1.5), "1.5");
    EXPECT_EQ(Coordinate(-0.001), "0");
    EXPECT_EQ(Coordinate(2.0), "2");
}

// A legend with many strands once ran past the picture's edge ("× 5" cut off).
TEST(PicturesTest, EveryTextLiesInsideItsPicture) {
    for (const numtext::InputTexts& texts :
         {numtext::InputTexts{"60", "373", "249", "100", "80", "24"},
          numtext::InputTexts{"60", "373", "249", "65000", "80", "24"},
          numtext::InputTexts{"12", "375", "120", "65", "80", "12"}}) {
        winding::Options options;
        options.Vaux_V = 15;
        const winding::Plan plan = PlanFor(texts, options);
        // At the page's width and a phone's: drawn for the width, every text
        // inside, none below 11 pixels.
        for (const double width : {kPictureWidth, 356.0, 300.0}) {
            for (const std::string& svg :
                 {BuildDrawing(plan, width), CurrentsDrawing(plan, width)}) {
                ExpectTextsInside(svg);
                const Parsed parsed(svg);
                if (width < kPictureWidth) {
                    EXPECT_LE(parsed.Numbers("/s:svg", "width").at(0), width);
                }
                for (const double size : parsed.Numbers("//s:text", "font-size"))
                    EXPECT_GE(size, 11);
            }
        }
    }
}

// Lines for a narrow picture: broken between characters, each within the
// room unless a single character is wider, nothing lost.
TEST(PicturesTest, TextsWrapBetweenCharacters) {
    struct Case {
        std::string text;
        double room;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"", 100, {""}},
        {"abc", 100, {"abc"}},
        {"警告开始", 24, {"警告", "开始"}},
        {"警告", 5, {"警", "告"}},  // a character wider than the room: a line each
        {"ab警告", 30, {"ab警", "告"}},
        {"µΩ1", 16, {"µ", "Ω1"}},  // two-byte characters kept whole
    };
    for (const Case& c : cases) EXPECT_EQ(WrappedLines(c.text, c.room, 12), c.lines) << c.text;
}

}  // namespace
}  // namespace flyback::drawing
