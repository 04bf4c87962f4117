#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "numtext/fault_hint.hpp"
#include "numtext/press_outcome.hpp"
#include "numtext/run_calculation.hpp"
#include "record/quantities.hpp"
#include "record/warnings.hpp"

namespace flyback::record {

// A quantity the press reached, with its value.
struct QuantityValue {
    const Quantity* quantity;
    double number;     // design::kNotReached for the core type
    std::string text;  // the number in full precision (ExactNumber), or the core type
};

// Everything one press of the button gives: what was typed and read, every
// quantity of the chain it reached, the texts of the result boxes and the error
// that stopped it, if any. Every report, copy and answer is made from this.
struct DesignRecord {
    std::array<std::string, numtext::kInputCount> inputTexts;  // as typed
    // Each input as read, before scaling; empty where reading stopped before it.
    std::array<std::optional<double>, numtext::kInputCount> inputValues;
    std::vector<QuantityValue> quantities;  // those reached, in kQuantities order
    numtext::PressTrace trace;              // the same as the chain's numbers
    numtext::PressOutcome outcome;          // box texts in publication order, error
    std::vector<Warning> warnings;          // of the inputs, then of the results
    // After a fault: the input it plainly points to, if one does, and the
    // message the user is told ("计算无法完成：…"); empty otherwise.
    std::optional<numtext::InputHint> suspect;
    std::string faultMessage;

    const QuantityValue* Find(std::string_view symbol) const;
    numtext::InputTexts Inputs() const;
};

DesignRecord RecordPress(const numtext::InputTexts& inputs);
// The same, also handing each result text to `setResultText` as it is written,
// so that a window can fill its boxes from the one calculation.
DesignRecord RecordPress(const numtext::InputTexts& inputs,
                         const numtext::SetResultText& setResultText);

// What a box's tooltip tells of the last press: for a result box its quantity
// in full precision with the unit and its formula with the numbers put in; for
// an input box its unit and the value read from it.
std::string ResultBoxNote(const DesignRecord& record, int box);

// A result box's whole tooltip after the press: why an invalid input spoils
// it, its warnings, then its note; marked when either of the first two is more
// than a note.
BoxWarnings ResultBoxTip(const DesignRecord& record, int box);
std::string InputBoxNote(const DesignRecord& record, int input);

// The shortest text that reads back as the same double ("0.0017578125",
// "2.1333333333333333", "1e-07").
std::string ExactNumber(double value);

// "Lp = eta × (Vmin × Dmax)² ÷ (2 × P × f)"
std::string FormulaInSymbols(const Quantity& quantity);
// The same with the record's numbers in place of the symbols, and the result,
// written for people (four digits, the unit's prefix):
// "Lp = 0.75 × (200 × 0.375)² ÷ (2 × 60 × 20000) = 1.758 mH"; a line with
// nothing to put in is written once ("B = 2500 Gs").
std::string FormulaWithNumbers(const Quantity& quantity, const DesignRecord& record);

// A quantity's value for people, with its unit ("1.758 mH"; the core type's text).
std::string ReadableText(const QuantityValue& value);

// What an engineer checks first after the seven results: the core area used,
// the duty cycle, the peak current and the reflected voltage.
inline constexpr std::array<std::string_view, 4> kKeySymbols = {"Ae", "Dmax", "Ipk", "Vor"};

// Those reached, on one line: "Ae = 1.44 cm²    Dmax = 0.3282    …".
std::string KeyValues(const DesignRecord& record);

// What the working says above its table: the fault's message, if any, then
// each warning as one line.
std::vector<std::string> WorkingLines(const DesignRecord& record);

// A text from the user made safe to write as UTF-8: each byte that does not
// belong to a valid UTF-8 sequence becomes U+FFFD.
std::string ValidUtf8(std::string_view text);

// A typed text to quote in a message, a report or on a terminal: valid UTF-8
// (as above) in which no character controls the device that shows it. Each C0
// control and DEL becomes its visible picture (ESC is "␛", a line feed "␊"),
// each C1 control U+FFFD, so that a pasted terminal escape is shown, not run.
std::string VisibleText(std::string_view text);

}  // namespace flyback::record
