#include "numtext/fault_hint.hpp"

#include <array>
#include <cmath>

#include "numtext/boxes.hpp"
#include "runtime/error.hpp"
#include "runtime/number_text.hpp"

namespace flyback::numtext {
namespace {

constexpr int kPower = Index(Input::Power), kMaxVoltage = Index(Input::MaxVoltage),
              kMinVoltage = Index(Input::MinVoltage), kFrequency = Index(Input::Frequency),
              kEfficiency = Index(Input::Efficiency);

// What each problem is called, in the order of the enum.
constexpr std::array<std::string_view, 3> kProblemTexts = {"为空或为零", "为负数", "数值过大"};

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

std::optional<InputHint> SuspectInput(const InputReadings& readings) {
    std::array<double, kInputCount> values{};
    for (int i = 0; i < kInputCount; ++i) {
        if (!readings[i]) return InputHint{i, InputProblem::TooLarge};
        values[i] = readings[i]->value;
    }
    if (!std::isfinite(values[kFrequency] * kHertzPerKilohertz)) {
        return InputHint{kFrequency, InputProblem::TooLarge};
    }
    return DesignHint(values);
}

std::optional<InputHint> SuspectInput(const InputTexts& inputs) {
    return SuspectInput(ReadInputTexts(inputs));
}

std::string FaultHintText(const std::optional<InputHint>& hint) {
    if (!hint) return {};
    return std::string("请检查“")
        .append(kInputBoxes[hint->input].caption)
        .append("”：")
        .append(kProblemTexts.at(static_cast<std::size_t>(hint->problem)))
        .append("。");
}

std::string FaultMessage(runtime::ErrorKind error, const std::optional<InputHint>& hint) {
    std::string message =
        std::string("计算无法完成：").append(runtime::ErrorKindMessage(error)).append("。");
    if (const std::string line = FaultHintText(hint); !line.empty()) {
        message.append("\n").append(line);
    }
    return message;
}

}  // namespace flyback::numtext
