#include "numtext/fault_hint.hpp"

#include <array>
#include <cmath>

#include "runtime/error.hpp"
#include "runtime/number_text.hpp"

namespace flyback::numtext {
namespace {

constexpr int kPower = 0, kMaxVoltage = 1, kMinVoltage = 2, kFrequency = 3, kEfficiency = 4;

// The faults the design chain raises on zero or negative inputs, in the order
// the chain meets them.
std::optional<InputHint> DesignHint(const std::array<double, kInputCount>& v) {
    using enum InputProblem;
    const double power = v[kPower], frequency = v[kFrequency];
    if (frequency == 0) return InputHint{kFrequency, EmptyOrZero};
    if (power < 0 && !(frequency < 0)) return InputHint{kPower, Negative};
    if (frequency < 0 && !(power < 0)) return InputHint{kFrequency, Negative};
    if (power == 0) return InputHint{kPower, EmptyOrZero};
    if (v[kMaxVoltage] == 0) return InputHint{kMaxVoltage, EmptyOrZero};
    if (v[kMinVoltage] == 0) return InputHint{kMinVoltage, EmptyOrZero};
    if (v[kEfficiency] == 0) return InputHint{kEfficiency, EmptyOrZero};
    return std::nullopt;
}

}  // namespace

std::optional<InputHint> SuspectInput(const InputTexts& inputs) {
    std::array<double, kInputCount> values{};
    for (int i = 0; i < kInputCount; ++i) {
        try {
            values[i] = runtime::NumberFromText(inputs[i]);
        } catch (const runtime::RuntimeError&) {
            return InputHint{i, InputProblem::TooLarge};
        }
    }
    if (!std::isfinite(values[kFrequency] * kHertzPerKilohertz)) {
        return InputHint{kFrequency, InputProblem::TooLarge};
    }
    return DesignHint(values);
}

}  // namespace flyback::numtext
