#include "record/design_record.hpp"

#include <array>
#include <cmath>

#include "numtext/boxes.hpp"
#include "record/readable.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/error.hpp"
#include "runtime/utf8.hpp"

namespace flyback::record {
namespace {

bool Reached(double value) {
    return !std::isnan(value);
}

std::vector<QuantityValue> ReachedQuantities(const numtext::PressTrace& trace) {
    std::vector<QuantityValue> reached;
    for (const Quantity& quantity : kQuantities) {
        if (quantity.value == nullptr) {  // the core type
            if (Reached(trace.results.CoreArea)) {
                reached.push_back(
                    {&quantity, design::kNotReached, numtext::CoreTypeText(trace.results)});
            }
            continue;
        }
        const double value = quantity.value(trace);
        if (Reached(value)) reached.push_back({&quantity, value, ExactNumber(value)});
    }
    return reached;
}

// Writes `formula` with each {X} replaced by what `symbol` gives for X.
template <class SymbolText>
std::string Substitute(std::string_view formula, SymbolText symbol) {
    std::string out;
    for (std::size_t pos = 0; pos < formula.size();) {
        const std::size_t open = formula.find('{', pos);
        const std::size_t close = formula.find('}', open);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            out.append(formula.substr(pos));
            break;
        }
        out.append(formula.substr(pos, open - pos));
        out.append(symbol(formula.substr(open + 1, close - open - 1)));
        pos = close + 1;
    }
    return out;
}

}  // namespace

std::string ExactNumber(double value) {
    return runtime::decimal::ShortestText(value);
}

DesignRecord RecordPress(const numtext::InputTexts& inputs) {
    return RecordPress(inputs, [](int, std::string_view) {});
}

DesignRecord RecordPress(const numtext::InputTexts& inputs,
                         const numtext::SetResultText& setResultText) {
    DesignRecord record;
    numtext::PressTrace trace;
    try {
        numtext::RunCalculation(
            inputs,
            [&](int box, std::string_view text) {
                record.outcome.writes.push_back({box, std::string(text)});
                setResultText(box, text);
            },
            trace);
    } catch (const runtime::RuntimeError& error) {
        record.outcome.error = error.kind();
        record.suspect = numtext::SuspectInput(trace.readings);
        record.faultMessage = numtext::FaultMessage(error.kind(), record.suspect);
    }
    for (int i = 0; i < numtext::kInputCount; ++i) {
        record.inputTexts[i] = inputs[i];
        if (Reached(trace.readValues[i])) record.inputValues[i] = trace.readValues[i];
    }
    record.quantities = ReachedQuantities(trace);
    record.trace = trace;
    record.warnings = InputWarnings(inputs, trace.readings);
    const std::vector<Warning> results = ResultWarnings(record);
    record.warnings.insert(record.warnings.end(), results.begin(), results.end());
    return record;
}

const QuantityValue* DesignRecord::Find(std::string_view symbol) const {
    for (const QuantityValue& value : quantities) {
        if (value.quantity->symbol == symbol) return &value;
    }
    return nullptr;
}

numtext::InputTexts DesignRecord::Inputs() const {
    return numtext::ViewsOf(inputTexts);
}

std::string FormulaInSymbols(const Quantity& quantity) {
    return std::string(quantity.symbol) + " = " +
           Substitute(quantity.formula,
                      [](std::string_view symbol) { return std::string(symbol); });
}

std::string ReadableText(const QuantityValue& value) {
    const Quantity& quantity = *value.quantity;
    return quantity.value == nullptr ? value.text : ReadableValue(value.number, quantity.unit);
}

// Where a result is written in the form's exponent notation ("5.36611111E+298"):
// the exponent, else nothing. In a narrow box the mantissa alone would be read
// as the value.
std::optional<std::string_view> Exponent(std::string_view text) {
    for (std::size_t e = text.find('E'); e != std::string_view::npos; e = text.find('E', e + 1)) {
        const std::string_view rest = text.substr(e + 1);
        if (rest.size() >= 2 && (rest[0] == '+' || rest[0] == '-') && rest[1] >= '0' &&
            rest[1] <= '9') {
            return text.substr(e);
        }
    }
    return std::nullopt;
}

BoxWarnings ResultBoxTip(const DesignRecord& record, int box) {
    BoxWarnings tip;
    if (const std::string* text = record.outcome.Text(box)) {
        if (const auto exponent = Exponent(*text)) {
            tip.lines.push_back("注意：按指数形式书写，" + std::string(*exponent) +
                                " 是 10 的幂，不可只读前面的数字：" + *text);
            tip.marked = true;
        }
    }
    const std::vector<std::string> invalidated = InvalidatedBy(record.warnings, box);
    tip.lines.insert(tip.lines.end(), invalidated.begin(), invalidated.end());
    tip.marked = tip.marked || !invalidated.empty();
    BoxWarnings own = WarningsOn(record.warnings, Warning::Box::Result, box);
    tip.lines.insert(tip.lines.end(), own.lines.begin(), own.lines.end());
    tip.marked = tip.marked || own.marked;
    tip.lines.push_back(ResultBoxNote(record, box));
    return tip;
}

std::string KeyValues(const DesignRecord& record) {
    std::string line;
    for (const std::string_view symbol : kKeySymbols) {
        if (const QuantityValue* value = record.Find(symbol)) {
            if (!line.empty()) line += "    ";
            line += std::string(symbol) + " = " + ReadableText(*value);
        }
    }
    return line;
}

std::vector<std::string> WorkingLines(const DesignRecord& record) {
    std::vector<std::string> lines;
    if (!record.faultMessage.empty()) lines.push_back(record.faultMessage);
    for (const Warning& warning : record.warnings) lines.push_back(warning.Line());
    return lines;
}

std::string FormulaWithNumbers(const Quantity& quantity, const DesignRecord& record) {
    const QuantityValue* result = record.Find(quantity.symbol);
    std::string formula = std::string(quantity.symbol) + " = ";
    // With nothing to put in ("B = 2500", a reading), the line is written once.
    const bool substitutes = quantity.formula.find('{') != std::string_view::npos;
    if (!substitutes && result != nullptr && quantity.value != nullptr) {
        return formula + ReadableText(*result);
    }
    formula += Substitute(quantity.formula, [&](std::string_view symbol) {
        const QuantityValue* value = record.Find(symbol);
        if (value == nullptr) return std::string(symbol);
        return value->quantity->value == nullptr ? value->text : ReadableNumber(value->number);
    });
    if (result != nullptr) formula += " = " + ReadableText(*result);
    return formula;
}

std::string ResultBoxNote(const DesignRecord& record, int box) {
    const Quantity& quantity = ResultQuantity(box);
    const QuantityValue* value = record.Find(quantity.symbol);
    std::string note = std::string(quantity.name) + " " + std::string(quantity.symbol);
    if (value == nullptr) return note + "：上次计算未算到";
    return note + " = " + ReadableText(*value) + "\n" + FormulaWithNumbers(quantity, record);
}

std::string InputBoxNote(const DesignRecord& record, int input) {
    const auto& box = numtext::kInputBoxes[input];
    std::string note = "单位：" + std::string(box.unit);
    const auto& value = record.inputValues[input];
    return note + "\n上次计算读取的值：" + (value ? ExactNumber(*value) : std::string("—"));
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = runtime::Utf8SequenceLength(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return out;
}

std::string VisibleText(std::string_view text) {
    constexpr char32_t kControlPictures = 0x2400, kDeletePicture = 0x2421;
    std::string out;
    const std::string valid = ValidUtf8(text);
    out.reserve(valid.size());
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const auto byte = static_cast<unsigned char>(valid[i]);
        const bool c1 =
            byte == 0xC2 && i + 1 < valid.size() && static_cast<unsigned char>(valid[i + 1]) < 0xA0;
        if (byte < 0x20 || byte == 0x7F) {
            // Both pictures are three-byte sequences E2 90 xx.
            const char32_t picture = byte == 0x7F ? kDeletePicture : kControlPictures + byte;
            out += '\xE2';
            out += static_cast<char>(0x80 | ((picture >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (picture & 0x3F));
        } else if (c1) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out += valid[i];
        }
    }
    return out;
}

}  // namespace flyback::record
