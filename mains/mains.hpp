#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace flyback::mains {

// What an engineer starts from: the mains range, the power drawn, and the
// bulk capacitor behind the bridge rectifier (or none, to have one proposed).
struct MainsSupply {
    double minAcVoltage;                    // V rms
    double maxAcVoltage;                    // V rms
    double outputPower;                     // W
    double efficiency;                      // fraction, 0 < eta <= 1
    std::optional<double> bulkMicrofarads;  // none: propose one
    double lineHertz = 50;
    double conductionMilliseconds = 3;  // the bridge's conduction time each half cycle
    // How long the output must stay up after the mains drops out; none: no
    // rule for it.
    std::optional<double> holdupMilliseconds = std::nullopt;
};

// Which rule chose a proposed capacitor.
enum class BulkRule { PerWatt, Holdup };

struct Warning {
    std::string_view code;  // "ripple_too_deep", "mains_above_usual", "mains_below_usual"
    std::string message;    // Simplified Chinese
};

// The two DC input voltages the designer's boxes ask for.
struct DcInputRange {
    double maxInputVoltage;             // V, the crest at the highest line
    double minInputVoltage;             // V, the ripple's valley at the lowest line
    double bulkMicrofarads;             // the capacitor used
    bool bulkProposed;                  // true when it was proposed, not given
    BulkRule rule = BulkRule::PerWatt;  // what decided a proposed capacitor
    std::vector<Warning> warnings;
};

// Inputs that give no answer: a value out of its range, or a capacitor so
// small that the ripple's valley would lie below zero. The message (Simplified
// Chinese) names what to change.
class MainsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Full-wave rectification into the bulk capacitor C:
//   Vmax = √2 × VACmax
//   Vmin = √(2 × VACmin² − 2 × (P ÷ eta) × (1 ÷ (2 × f_line) − t_c) ÷ C)
// Without a given C, 3 µF per watt of input power below 150 V AC minimum
// (universal or 110 V mains), 1 µF per watt otherwise, rounded up to E6.
// With a hold-up time t, the larger of that and the capacitor that carries
// the full input power for t from the last peak at the lowest line down to
// the valley the first rule gives:
//   C ≥ 2 × (P ÷ eta) × t ÷ (2 × VACmin² − Vmin²), rounded up to E6.
// A given C too small for the hold-up time is warned of.
// Throws MainsError.
DcInputRange DcInputFromMains(const MainsSupply& supply);

// The E6 value (10, 15, 22, 33, 47, 68 × 10ⁿ) at or above `microfarads`; a
// value a rounding error above one of them is taken as that one.
double NextE6(double microfarads);

// "每瓦 µF", "保持时间": the rule as the table and the dialog name it.
std::string_view BulkRuleCaption(BulkRule rule);

// "374.77": two decimals, a point whatever the locale, as the boxes take it.
std::string TwoDecimals(double value);

// The range as the window's dialog and the page show it: "最大直流输入电压
// 374.77 V", the minimum, the capacitor (with the rule that proposed it) and
// each warning, a line each.
std::string RangeCaption(const DcInputRange& range);

}  // namespace flyback::mains
