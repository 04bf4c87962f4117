#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "numtext/run_calculation.hpp"

namespace flyback::record {

struct DesignRecord;

// What looks wrong with a design, and the likely cause. The calculation never
// refuses to run; these only tell the user.
struct Warning {
    enum class Box { Input, Result };
    // How much it matters: an invalid input makes every result derived from it
    // meaningless; a caution asks the user to look again; a note is for
    // information (a duty cycle above 0.5 matters only to controllers held
    // to 50 %, and the model fixes the reflected voltage).
    enum class Strength { Invalid, Caution, Note };
    std::string_view code;  // stable, for scripts: "frequency_too_high", ...
    Box box;
    int index;            // the input box 0 to 5 or the result box 0 to 6 it concerns
    std::string message;  // Simplified Chinese
    Strength strength = Strength::Caution;

    // The box's name in the window: "Text1_3", "Text2_0".
    std::string BoxName() const;
    // The caption beside it: "工作频率f(KHz)".
    std::string_view BoxCaption() const;
    // "invalid", "caution", "note"
    std::string_view StrengthName() const;
    // How a line of text introduces it: "无效", "注意", "提示".
    std::string_view StrengthLabel() const;
    // The warning as one line: "注意：工作频率f(KHz)：…".
    std::string Line() const;
};

// "invalid", "caution", "note"; "无效", "注意", "提示".
std::string_view StrengthName(Warning::Strength strength);
std::string_view StrengthLabel(Warning::Strength strength);

// The result boxes whose values an input box enters: an invalid input makes
// them meaningless.
std::vector<int> ResultsDerivedFrom(numtext::Input input);

// For result box `box`: why an invalid input of the press makes it
// meaningless, one line for each such input; empty when none does.
std::vector<std::string> InvalidatedBy(const std::vector<Warning>& warnings, int box);

// What a box's tooltip says of the warnings on it, one line each ("注意：…"),
// and whether one of them is more than a note (the box turns amber).
struct BoxWarnings {
    std::vector<std::string> lines;
    bool marked = false;
};
BoxWarnings WarningsOn(const std::vector<Warning>& warnings, Warning::Box box, int index);

// Checks of what was typed, before any calculation: a text that holds no
// number or whose reading stopped before a digit ("1,5" reads as 1), values out
// of range (a power, voltage or output voltage not above 0, the minimum input
// voltage above the maximum, a frequency outside 1 to 1000 kHz, an efficiency
// of at most 1 % or above 100 %). A unit after the number ("60W") is fine.
std::vector<Warning> InputWarnings(const numtext::InputTexts& texts,
                                   const numtext::InputReadings& readings);
std::vector<Warning> InputWarnings(const numtext::InputTexts& texts);  // reads them first

// Checks of a press's results: no core in the table large enough, a maximum
// duty cycle above 0.5, fewer than one primary or secondary turn.
std::vector<Warning> ResultWarnings(const DesignRecord& record);

}  // namespace flyback::record
