#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "record/design_record.hpp"

namespace flyback::report {

// The design report as one self-contained HTML page: UTF-8, lang="zh-CN",
// inline CSS for screen and A4 paper, no script and nothing fetched. Every text
// from the user is escaped. `date` is printed as given (for example
// "2026-12-07").
// `lastPress`: the inputs in the boxes have changed since the press, and the
// report says that it holds the last press, not them.
// `moreSections`: HTML of further sections, placed after the working (the
// winding plan, which is made above this library).
std::string HtmlReport(const record::DesignRecord& record, std::string_view date,
                       bool lastPress = false, std::string_view moreSections = {});

// A winding plan to lead the report with, because it, not the original
// method's estimate, is what gets built: its sections (the plan and its build
// sheet) come first; the seven results follow under a heading that calls them
// the first estimate, with the plan's figures beside those they compare with.
struct LeadingPlan {
    std::string sections;                              // HTML
    std::vector<std::pair<int, std::string>> figures;  // a result box, the plan's text for it
};
std::string HtmlReport(const record::DesignRecord& record, std::string_view date, bool lastPress,
                       const LeadingPlan& lead);

// Another document of the design (the build sheet) as one page in the
// report's style: `name` ("变压器规格书") in its title and under its heading,
// then `body` (HTML).
std::string HtmlDocument(std::string_view name, std::string_view date, std::string_view body);

// A table of the report: HtmlTableStart opens it with its headings (a column's
// width is given for renderers that know little CSS, Qt's); rows of HtmlCell
// follow, then "</tbody></table>".
struct HtmlColumn {
    std::string_view heading;  // HTML
    std::string_view width;    // of the page: "34%"
};
void HtmlTableStart(std::string& html, std::initializer_list<HtmlColumn> columns);
// One cell, `text` escaped; `cssClass` "number" aligns it right.
void HtmlCell(std::string& html, std::string_view text, std::string_view cssClass = {});

// The name a saved report is proposed under: "反激变压器_60W_24V_100kHz" and
// `extension` (".pdf"), or "变压器设计" and it when an input was not read.
std::string ReportFileName(const record::DesignRecord& record, std::string_view extension);

// `text` escaped for HTML element content and attribute values, made valid
// UTF-8 first.
std::string HtmlEscape(std::string_view text);

}  // namespace flyback::report
