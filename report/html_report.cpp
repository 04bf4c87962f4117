#include "report/html_report.hpp"

#include "numtext/boxes.hpp"
#include "numtext/fault_hint.hpp"
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
th, td { border: 0.5pt solid #999; padding: 2pt 5pt; text-align: left; vertical-align: top; }
th { background: #eee; font-weight: bold; }
td.number { text-align: right; white-space: nowrap; }
td.formula { font-size: 9pt; }
td.name { white-space: nowrap; }
span.numbers { color: #555; }
tr { page-break-inside: avoid; }
p.error { color: #a00000; font-weight: bold; white-space: pre-line; }
p.note { color: #555; font-size: 9pt; }
ul.warnings { color: #7a4a00; padding-left: 1.5em; }
li.invalid { color: #a00000; }
li.note { color: #333; }
span.box { font-weight: bold; }
)";

void Cell(std::string& html, std::string_view text, std::string_view cssClass = {}) {
    html += cssClass.empty() ? "<td>" : "<td class=\"" + std::string(cssClass) + "\">";
    html += HtmlEscape(text);
    html += "</td>";
}

struct Column {
    std::string_view heading;
    std::string_view width;  // of the page, for layouts without CSS tables (Qt's)
};

// Opens a table; the width attributes are for renderers that know little CSS.
void TableStart(std::string& html, std::initializer_list<Column> columns) {
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\"><thead><tr>";
    for (const Column& column : columns) {
        html.append("<th width=\"").append(column.width).append("\">").append(column.heading) +=
            "</th>";
    }
    html += "</tr></thead>\n<tbody>\n";
}

void InputsTable(std::string& html, const DesignRecord& record) {
    html += "<h2>输入参数</h2>\n";
    TableStart(html, {{"参数", "34%"}, {"输入文本", "30%"}, {"读取值", "24%"}, {"单位", "12%"}});
    for (int i = 0; i < numtext::kInputCount; ++i) {
        html += "<tr>";
        Cell(html, numtext::kInputBoxes[i].caption);
        Cell(html, VisibleText(record.inputTexts[i]));
        const auto& value = record.inputValues[i];
        Cell(html, value ? ExactNumber(*value) : "—", "number");
        Cell(html, numtext::kInputBoxes[i].unit);
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
}

void ResultsTable(std::string& html, const DesignRecord& record) {
    html += "<h2>计算结果</h2>\n";
    TableStart(html, {{"项目", "34%"}, {"结果", "66%"}});
    for (const auto& box : numtext::kResultBoxesOnScreen) {
        const std::string* text = record.outcome.Text(box.box);
        html += "<tr>";
        Cell(html, box.caption);
        Cell(html, text != nullptr ? *text : "—（未算到）");
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
    if (record.outcome.error) {
        html += "<p class=\"error\">";
        html += HtmlEscape(record.faultMessage);
        html += "</p>\n";
    }
}

void WarningsList(std::string& html, const DesignRecord& record) {
    if (record.warnings.empty()) return;
    html += "<h2>注意</h2>\n<ul class=\"warnings\">\n";
    for (const Warning& warning : record.warnings) {
        html += "<li class=\"" + std::string(warning.StrengthName()) + "\">" +
                std::string(warning.StrengthLabel()) + "：<span class=\"box\">" +
                HtmlEscape(warning.BoxCaption()) + "</span>：" + HtmlEscape(warning.message) +
                "</li>\n";
    }
    html += "</ul>\n";
}

void QuantitiesTable(std::string& html, const DesignRecord& record) {
    html += "<h2>计算过程</h2>\n";
    TableStart(html,
               {{"符号", "8%"}, {"名称", "17%"}, {"数值", "19%"}, {"单位", "9%"}, {"公式", "47%"}});
    for (const QuantityValue& value : record.quantities) {
        const Quantity& quantity = *value.quantity;
        html += "<tr>";
        Cell(html, quantity.symbol);
        Cell(html, quantity.name, "name");
        Cell(html, value.text, "number");
        Cell(html, quantity.unit);
        html += "<td class=\"formula\" width=\"45%\">" + HtmlEscape(FormulaInSymbols(quantity)) +
                "<br><span class=\"numbers\">" + HtmlEscape(FormulaWithNumbers(quantity, record)) +
                "</span></td>";
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
    std::string out;
    for (const char c : ValidUtf8(text)) {
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

std::string HtmlReport(const DesignRecord& record, std::string_view date) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n";
    html.append("<title>").append(kTitle).append(" — 设计报告</title>\n");
    html.append("<style>").append(kStyle).append("</style>\n</head>\n<body>\n");
    html.append("<h1>").append(kTitle).append("</h1>\n");
    html.append("<p class=\"meta\">设计报告 · ")
        .append(HtmlEscape(date))
        .append(" · flyback-designer ")
        .append(kProgramVersion)
        .append("</p>\n");
    InputsTable(html, record);
    ResultsTable(html, record);
    WarningsList(html, record);
    QuantitiesTable(html, record);
    html +=
        "<p "
        "class=\"note\">结果框中的数值截断（不是四舍五入）到百分位；“计算过程”中的数值为完整精度。"
        "</p>\n</body>\n</html>\n";
    return html;
}

}  // namespace flyback::report
