#include "report/html_report.hpp"

#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>

#include <memory>
#include <string>

#include "numtext/boxes.hpp"

namespace flyback::report {
namespace {

// The report as a browser's parser sees it.
class ParsedHtml {
  public:
    explicit ParsedHtml(const std::string& html)
        : doc_(htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                              HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING),
               xmlFreeDoc) {}

    bool Parsed() const { return doc_ != nullptr; }

    int Count(const char* xpath) const {
        const std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(
            xmlXPathNewContext(doc_.get()), xmlXPathFreeContext);
        const std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
            xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath), context.get()),
            xmlXPathFreeObject);
        return result && result->nodesetval ? result->nodesetval->nodeNr : 0;
    }

    // Whether some table cell's whole text is `text`.
    bool HasCell(const std::string& text) const {
        return Count(("//td[normalize-space(.)=normalize-space('" + text + "')]").c_str()) > 0;
    }

  private:
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc_;
};

const numtext::InputTexts kDefaults = {"60", "368", "200", "20", "75", "5"};

TEST(HtmlReportTest, HoldsEveryCaptionAndText) {
    const ParsedHtml html(HtmlReport(record::RecordPress(kDefaults), "2026-12-07"));
    ASSERT_TRUE(html.Parsed());
    EXPECT_EQ(html.Count("/html[@lang='zh-CN']"), 1);
    EXPECT_EQ(html.Count("//title[contains(., '单端反激变换式开关电源变压器的设计')]"), 1);
    EXPECT_EQ(html.Count("//p[contains(., '2026-12-07') and contains(., 'flyback-designer')]"), 1);
    for (const auto& box : numtext::kInputBoxes)
        EXPECT_TRUE(html.HasCell(std::string(box.caption)));
    for (const auto& box : numtext::kResultBoxesOnScreen) {
        EXPECT_TRUE(html.HasCell(std::string(box.caption))) << box.caption;
    }
    for (const char* text :
         {"EE12", "1.75mH", "1.88", "135.41", "6.2", "588", "2.77", "1.758 mH", "0.375", "Lp"}) {
        EXPECT_TRUE(html.HasCell(text)) << text;
    }
    // Self-contained: nothing to run and nothing to fetch.
    EXPECT_EQ(html.Count("//script | //link | //img | //iframe | //@src | //@href"), 0);
}

TEST(HtmlReportTest, FileNameNamesTheDesignOrSaysSo) {
    EXPECT_EQ(ReportFileName(record::RecordPress({"60", "368", "200", "20", "75", "5"}), ".pdf"),
              "反激变压器_60W_5V_20kHz.pdf");
    EXPECT_EQ(
        ReportFileName(record::RecordPress({"12.5", "368", "200", "６５", "75", "3.3"}), ".html"),
        "反激变压器_12.5W_3.3V_65kHz.html");
}

TEST(HtmlReportTest, UserTextIsTextNeverMarkup) {
    numtext::InputTexts inputs = kDefaults;
    inputs[0] = "<script>alert(1)</script>";
    inputs[5] = "5\" onmouseover=\"x' & <b>";
    const std::string report = HtmlReport(record::RecordPress(inputs), "<i>today</i>");
    const ParsedHtml html(report);
    ASSERT_TRUE(html.Parsed());
    EXPECT_EQ(html.Count("//script | //b | //i | //@onmouseover"), 0);
    EXPECT_TRUE(html.HasCell("<script>alert(1)</script>"));
    EXPECT_NE(report.find("<td>5&quot; onmouseover=&quot;x&#39; &amp; &lt;b&gt;</td>"),
              std::string::npos);
}

TEST(HtmlReportTest, TypedControlsAreShownNotWritten) {
    numtext::InputTexts inputs = kDefaults;
    inputs[0] = "\x1B[31m60\x01";
    const std::string report = HtmlReport(record::RecordPress(inputs), "d");
    for (const char c : report) {
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n') << int{c};
    }
    EXPECT_TRUE(ParsedHtml(report).HasCell("\u241B[31m60\u2401"));
}

TEST(HtmlReportTest, FaultShowsWhatWasReachedAndTheError) {
    const ParsedHtml html(
        HtmlReport(record::RecordPress({"0", "368", "200", "20", "75", "5"}), "d"));
    EXPECT_TRUE(html.HasCell("EE8.3"));
    EXPECT_TRUE(html.HasCell("Dmax"));
    EXPECT_FALSE(html.HasCell("Lp"));
    EXPECT_EQ(html.Count("//p[@class='error' and contains(., '除数为零') and "
                         "contains(., '输出功率 W')]"),
              1);
}

}  // namespace
}  // namespace flyback::report
