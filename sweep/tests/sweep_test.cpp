#include "sweep/plot.hpp"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <memory>
#include <string>

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
}

TEST(SweepTest, PlotHasAPanelPerSeriesWithTheCoreChangesMarked) {
    RangeProblem problem{};
    const auto range = ReadSweep("P=5:300:60", problem);
    ASSERT_TRUE(range);
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    SweepData data(*range, true);
    RunSweep(*range, {"", "373", "249", "100", "80", "24"}, PlanSetting{{}, &parts},
             [&](const SweepPoint& point) {
                 data.Add(point);
                 return true;
             });
    ASSERT_EQ(data.x.size(), 60u);
    EXPECT_FALSE(data.coreChanges.empty());
    const std::string svg = PlotSvg(data);
    EXPECT_EQ(Count(svg, "//s:g[@class='plot']"), 13);
    EXPECT_EQ(Count(svg, "//s:g[@class='plot'][1]/s:line[@class='mark']"),
              static_cast<int>(data.coreChanges.size() + data.warningStarts.size()));
    EXPECT_GE(Count(svg, "//s:polyline[@class='series']"), 13);
}

}  // namespace
}  // namespace flyback::sweep
