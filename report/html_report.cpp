#include "report/html_report.hpp"

#include "numtext/boxes.hpp"
#include "numtext/fault_hint.hpp"
#include "record/readable.hpp"
#include "version/version.hpp"

namespace flyback::report {
namespace {

constexpr std::string_view kTitle = "单端反激变换式开关电源变压器的设计";

constexpr std::string_view kStyle = R"(
@page { size: A4; margin: 16mm 15mm; }
body { font-family: "WenQuanYi Micro Hei", "Noto Sans CJK SC", "Microsoft YaHei",
       "PingFang SC", "Source Han Sans SC", sans-serif;
       font-size: 10pt; color: #111; }
h1 { font-size: 15pt; margin: 0 0 2pt 0; }
h2 { font-size: 11.5pt; margin: 14pt 0 4pt 0; }
p.meta { color: #555; margin: 0 0 8pt 0; }
table { border-collapse: collapse; width: 100%; }
th, td { border: 0.5pt solid #999; padding: 3pt 6pt; text-align: left; vertical-align: top; }
thead { display: table-header-group; }
th { background: #eee; font-weight: bold; }
td.number { text-align: right; white-space: nowrap; }
td.formula span.numbers { white-space: normal; }
td.formula { font-size: 9pt; }
td.name { white-space: nowrap; }
span.numbers { color: #555; }
tr { page-break-inside: avoid; }
p.stale { color: #a00000; font-weight: bold; }
p.error { color: #a00000; font-weight: bold; white-space: pre-line; }
p.note { color: #555; font-size: 9pt; }
ul.warnings { color: #7a4a00; padding-left: 1.5em; }
li.invalid { color: #a00000; }
li.note { color: #333; }
span.box { font-weight: bold; }
)";

void InputsTable(std::string& html, const record::DesignRecord& record) {
    html += "<h2>输入参数</h2>\n";
    HtmlTableStart(html,
                   {{"参数", "34%"}, {"输入文本", "30%"}, {"读取值", "24%"}, {"单位", "12%"}});
    for (int i = 0; i < numtext::kInputCount; ++i) {
        html += "<tr>";
        HtmlCell(html, numtext::kInputBoxes[i].caption);
        HtmlCell(html, record::VisibleText(record.inputTexts[i]));
        const auto& value = record.inputValues[i];
        HtmlCell(html, value ? record::ExactNumber(*value) : "—", "number");
        HtmlCell(html, numtext::kInputBoxes[i].unit);
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
}

// What an engineer checks first: the seven results, then the core area used,
// the duty cycle, the peak current, the reflected voltage and the inductance.
void Summary(std::string& html, const record::DesignRecord& record) {
    html += "<h2>设计摘要</h2>\n";
    HtmlTableStart(html, {{"项目", "34%"}, {"结果框", "30%"}, {"数值", "36%"}});
    for (const auto& box : numtext::kResultBoxesOnScreen) {
        const std::string* text = record.outcome.Text(box.box);
        const record::QuantityValue* value = record.Find(box.symbol);
        html += "<tr>";
        HtmlCell(html, box.caption);
        HtmlCell(html, text != nullptr ? *text : "—（未算到）");
        HtmlCell(html, value != nullptr ? record::ReadableText(*value) : "—", "number");
        html += "</tr>\n";
    }
    for (const std::string_view symbol : record::kKeySymbols) {
        const record::QuantityValue* value = record.Find(symbol);
        if (value == nullptr) continue;
        html += "<tr>";
        HtmlCell(html, std::string(value->quantity->name) + " " + std::string(symbol));
        HtmlCell(html, "");
        HtmlCell(html, record::ReadableText(*value), "number");
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
    if (record.outcome.error) {
        html += "<p class=\"error\">";
        html += HtmlEscape(record.faultMessage);
        html += "</p>\n";
    }
}

void WarningsList(std::string& html, const record::DesignRecord& record) {
    if (record.warnings.empty()) return;
    html += "<ul class=\"warnings\">\n";
    for (const record::Warning& warning : record.warnings) {
        html += "<li class=\"" + std::string(warning.StrengthName()) + "\">" +
                std::string(warning.StrengthLabel()) + "：<span class=\"box\">" +
                HtmlEscape(warning.BoxCaption()) + "</span>：" + HtmlEscape(warning.message) +
                "</li>\n";
    }
    html += "</ul>\n";
}

void QuantitiesTable(std::string& html, const record::DesignRecord& record) {
    html += "<h2>计算过程</h2>\n";
    HtmlTableStart(html, {{"符号", "8%"}, {"名称", "18%"}, {"数值", "17%"}, {"公式", "57%"}});
    for (const record::QuantityValue& value : record.quantities) {
        const record::Quantity& quantity = *value.quantity;
        html += "<tr>";
        HtmlCell(html, quantity.symbol);
        HtmlCell(html, quantity.name, "name");
        HtmlCell(html, record::ReadableText(value), "number");
        html += "<td class=\"formula\" width=\"57%\">" +
                HtmlEscape(record::FormulaInSymbols(quantity)) + "<br><span class=\"numbers\">" +
                HtmlEscape(record::FormulaWithNumbers(quantity, record)) + "</span></td>";
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
}

}  // namespace

void HtmlCell(std::string& html, std::string_view text, std::string_view cssClass) {
    html += cssClass.empty() ? "<td>" : "<td class=\"" + std::string(cssClass) + "\">";
    html += HtmlEscape(text);
    html += "</td>";
}

void HtmlTableStart(std::string& html, std::initializer_list<HtmlColumn> columns) {
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\"><thead><tr>";
    for (const HtmlColumn& column : columns) {
        html.append("<th width=\"").append(column.width).append("\">").append(column.heading) +=
            "</th>";
    }
    html += "</tr></thead>\n<tbody>\n";
}

std::string ReportFileName(const record::DesignRecord& record, std::string_view extension) {
    const auto value = [&](numtext::Input input) {
        return record.inputValues[static_cast<std::size_t>(numtext::Index(input))];
    };
    const auto power = value(numtext::Input::Power), volts = value(numtext::Input::OutputVoltage),
               kilohertz = value(numtext::Input::Frequency);
    if (!power || !volts || !kilohertz) return "变压器设计" + std::string(extension);
    return "反激变压器_" + record::ExactNumber(*power) + "W_" + record::ExactNumber(*volts) + "V_" +
           record::ExactNumber(*kilohertz) + "kHz" + std::string(extension);
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    for (const char c : record::ValidUtf8(text)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

namespace {

constexpr std::string_view kClosingNote =
    "<p "
    "class=\"note\">结果框中的数值截断（不是四舍五入）到百分位；其余数值取四位有效数字。"
    "完整精度的数值见 flyback-calc --details 与“复制设计”的表格。"
    "</p>\n</body>\n</html>\n";

// The page's head in the report's style and its heading: "设计报告 · date ·
// flyback-designer 0.3.0" under the title.
void Opening(std::string& html, std::string_view name, std::string_view date) {
    html = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n";
    html.append("<title>").append(kTitle).append(" — ").append(name).append("</title>\n");
    html.append("<style>").append(kStyle);
    // The footer of every printed page (browsers that know page margin boxes).
    html.append("@page { @bottom-left { content: \"flyback-designer ")
        .append(kProgramVersion)
        .append("\"; font-size: 8pt; color: #555; }\n")
        .append(
            "  @bottom-right { content: \"第 \" counter(page) \" 页，共 \" counter(pages) \" 页\"; "
            "font-size: 8pt; color: #555; } }\n");
    html.append("</style>\n</head>\n<body>\n");
    html.append("<h1>").append(kTitle).append("</h1>\n");
    html.append("<p class=\"meta\">")
        .append(name)
        .append(" · ")
        .append(HtmlEscape(date))
        .append(" · flyback-designer ")
        .append(kProgramVersion)
        .append("</p>\n");
}

}  // namespace

std::string HtmlReport(const record::DesignRecord& record, std::string_view date, bool lastPress,
                       std::string_view moreSections) {
    std::string html;
    Opening(html, "设计报告", date);
    if (lastPress) {
        html += "<p class=\"stale\">本报告为上次计算的结果；输入框中的输入已更改，与之不同。</p>\n";
    }
    Summary(html, record);
    WarningsList(html, record);
    InputsTable(html, record);
    QuantitiesTable(html, record);
    html += moreSections;
    html += kClosingNote;
    return html;
}

namespace {

// The original method's figures beside the plan's, under the heading that
// says which of the two is built.
void FirstEstimateHeading(std::string& html, const record::DesignRecord& record,
                          const LeadingPlan& lead) {
    html += "<h2 style=\"page-break-before: always\">原计算方法的初步估算</h2>\n";
    html +=
        "<p>以下为原计算方法由六个输入得出的七个结果，只作初步估算，供与前面的绕制方案对照；"
        "制作按绕制方案与变压器规格书。</p>\n";
    HtmlTableStart(html, {{"项目", "34%"}, {"原计算方法（结果框）", "30%"}, {"绕制方案", "36%"}});
    for (const auto& [box, planText] : lead.figures) {
        const std::string* text = record.outcome.Text(box);
        html += "<tr>";
        HtmlCell(html, numtext::kResultBoxes.at(static_cast<std::size_t>(box)).caption);
        HtmlCell(html, text != nullptr ? *text : "—（未算到）");
        HtmlCell(html, planText);
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
}

}  // namespace

std::string HtmlReport(const record::DesignRecord& record, std::string_view date, bool lastPress,
                       const LeadingPlan& lead) {
    std::string html;
    Opening(html, "设计报告", date);
    if (lastPress) {
        html += "<p class=\"stale\">本报告为上次计算的结果；输入框中的输入已更改，与之不同。</p>\n";
    }
    html +=
        "<p class=\"note\">按下面的绕制方案与变压器规格书制作；"
        "原计算方法的七个结果为初步估算，列在其后供对照。</p>\n";
    html += lead.sections;
    FirstEstimateHeading(html, record, lead);
    Summary(html, record);
    WarningsList(html, record);
    InputsTable(html, record);
    QuantitiesTable(html, record);
    html += kClosingNote;
    return html;
}

std::string HtmlDocument(std::string_view name, std::string_view date, std::string_view body) {
    std::string html;
    Opening(html, name, date);
    html += body;
    html += "</body>\n</html>\n";
    return html;
}

}  // namespace flyback::report
