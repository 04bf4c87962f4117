#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "design/calculate.hpp"
#include "numtext/boxes.hpp"
#include "runtime/number_text.hpp"

namespace flyback::numtext {

// The frequency is typed in kHz and the efficiency in percent.
inline constexpr double kHertzPerKilohertz = 1000;
inline constexpr double kPercent = 100;

// Texts of the input boxes, index 0 to 5: output power (W), maximum and
// minimum input voltage (V), frequency (kHz), efficiency (%), output voltage (V).
using InputTexts = std::array<std::string_view, kInputCount>;

// Views of six texts held elsewhere.
inline InputTexts ViewsOf(const std::array<std::string, kInputCount>& texts) {
    InputTexts views;
    for (int i = 0; i < kInputCount; ++i) views[i] = texts[i];
    return views;
}

// Writes the whole text of result box `box` (0 to 6).
using SetResultText = std::function<void(int box, std::string_view text)>;

// Truncates to hundredths, toward minus infinity, on the double value: 0.29 gives
// 0.28 because 0.29 × 100 is just below 29.
double fix1(double value);

// Shown instead of a core type when no core is large enough, followed by the
// number text of the required area itself.
inline constexpr std::string_view kNoCorePrefix = "截面积为:";

// The core type box's text: the row's type, or the prefix and the area.
std::string CoreTypeText(const design::DesignResults& results);

// The text shown for a published result, given the results so far.
std::string ResultText(design::Published which, const design::DesignResults& results);

// Reads the inputs, runs the design and writes each result's text as soon as it
// exists, in publication order. A runtime::RuntimeError leaves at once; the texts
// written before it stay written.
void RunCalculation(const InputTexts& inputs, const SetResultText& setResultText);

// Each input text as read, the number and where it stood; empty where the
// number is too large for a double. Every text is read, also those after one
// that cannot be, so that warnings and fault hints need not read them again.
using InputReadings = std::array<std::optional<runtime::NumberReading>, kInputCount>;
InputReadings ReadInputTexts(const InputTexts& texts);

// Every number one press reached; design::kNotReached where it stopped before.
struct PressTrace {
    InputReadings readings;                      // of every text, as above
    std::array<double, kInputCount> readValues;  // each text as read, before scaling
    design::DesignInputs inputs;                 // in the units of the formulas
    design::DesignResults results;
    PressTrace();
};

// The same press, keeping in `trace` everything reached, also when it faults.
void RunCalculation(const InputTexts& inputs, const SetResultText& setResultText,
                    PressTrace& trace);

}  // namespace flyback::numtext
