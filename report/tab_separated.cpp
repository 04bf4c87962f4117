#include "report/tab_separated.hpp"

#include <initializer_list>
#include <string_view>

#include "numtext/boxes.hpp"
#include "numtext/fault_hint.hpp"
#include "runtime/decimal_conversion.hpp"

namespace flyback::report {
namespace {

// A spreadsheet runs a cell that starts with one of these as a formula.
bool WouldRunAsFormula(std::string_view cell) {
    if (cell.empty() || std::string_view("=+-@").find(cell.front()) == std::string_view::npos) {
        return false;
    }
    if (cell.front() == '+') cell.remove_prefix(1);
    return !runtime::decimal::Native().parse(cell).valid;
}

}  // namespace

void TabSeparatedRow(std::string& out, std::initializer_list<std::string_view> cells) {
    bool first = true;
    for (const std::string_view cell : cells) {
        if (!first) out += '\t';
        first = false;
        if (WouldRunAsFormula(cell)) out += '\'';  // pasted as the text it is
        for (const char c : record::ValidUtf8(cell))
            out += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
    }
    out += '\n';
}

std::string TabSeparated(const record::DesignRecord& record) {
    std::string out;
    TabSeparatedRow(out, {"项目", "文本", "数值", "单位"});
    for (int i = 0; i < numtext::kInputCount; ++i) {
        const auto& value = record.inputValues[i];
        TabSeparatedRow(out,
                        {numtext::kInputBoxes[i].caption, record.inputTexts[i],
                         value ? record::ExactNumber(*value) : "", numtext::kInputBoxes[i].unit});
    }
    for (const auto& box : numtext::kResultBoxesOnScreen) {
        const std::string* text = record.outcome.Text(box.box);
        if (text == nullptr) continue;
        const record::Quantity& quantity = record::ResultQuantity(box.box);
        const record::QuantityValue* value = record.Find(quantity.symbol);
        const bool numeric = value != nullptr && quantity.value != nullptr;
        TabSeparatedRow(out, {box.caption, *text, numeric ? value->text : "", quantity.unit});
    }
    for (const record::QuantityValue& value : record.quantities) {
        const std::string caption =
            std::string(value.quantity->name) + " " + std::string(value.quantity->symbol);
        const bool numeric = value.quantity->value != nullptr;
        TabSeparatedRow(out, {caption, numeric ? "" : value.text, numeric ? value.text : "",
                              value.quantity->unit});
    }
    if (record.outcome.error) {
        TabSeparatedRow(out, {"错误", record.faultMessage, "", ""});
    }
    return out;
}

}  // namespace flyback::report
