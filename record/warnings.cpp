#include "record/warnings.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "design/core_size_table.hpp"
#include "numtext/boxes.hpp"
#include "record/design_record.hpp"
#include "record/readable.hpp"
#include "runtime/error.hpp"
#include "runtime/number_text.hpp"

namespace flyback::record {
namespace {

using design::Published;
using numtext::Input;

constexpr double kLowestKilohertz = 1, kHighestKilohertz = 1000;
constexpr double kLowestPercent = 1, kHighestPercent = 100;
constexpr double kHighestDutyCycle = 0.5;

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\n") == std::string_view::npos;
}

// A number too large for a double is the fault hint's to explain.
void ReadingWarnings(const numtext::InputTexts& texts, const numtext::InputReadings& readings,
                     std::vector<Warning>& warnings) {
    for (int i = 0; i < numtext::kInputCount; ++i) {
        if (!readings[i]) continue;
        const runtime::NumberReading& number = *readings[i];
        if (!number.hasNumber && !IsBlank(texts[i])) {
            warnings.push_back({"no_number", Warning::Box::Input, i,
                                "“" + VisibleText(texts[i]) + "”中没有数字，按 0 计算。"});
        } else if (runtime::HasDigit(number.rest)) {
            warnings.push_back({"rest_ignored", Warning::Box::Input, i,
                                "只读取了 " + VisibleText(number.number) + "，其余 " +
                                    VisibleText(number.rest) + " 被忽略。"});
        }
    }
}

void RangeWarnings(const numtext::InputReadings& readings, std::vector<Warning>& warnings) {
    const auto add = [&](std::string_view code, Input input, std::string message) {
        warnings.push_back({code, Warning::Box::Input, Index(input), std::move(message)});
    };
    const auto invalid = [&](std::string_view code, Input input, std::string message) {
        warnings.push_back({code, Warning::Box::Input, Index(input), std::move(message),
                            Warning::Strength::Invalid});
    };
    const auto value = [&](Input i) { return readings[Index(i)]->value; };
    const auto read = [&](Input i) { return readings[Index(i)].has_value(); };
    using enum Input;
    if (read(Power) && value(Power) <= 0)
        invalid("power_not_positive", Power, "输出功率应大于 0 W。");
    if (read(MaxVoltage) && value(MaxVoltage) <= 0) {
        invalid("max_voltage_not_positive", MaxVoltage, "最大输入电压应大于 0 V。");
    }
    if (read(MinVoltage) && value(MinVoltage) <= 0) {
        invalid("min_voltage_not_positive", MinVoltage, "最小输入电压应大于 0 V。");
    }
    if (read(MinVoltage) && read(MaxVoltage) && value(MinVoltage) > value(MaxVoltage)) {
        invalid("min_above_max", MinVoltage, "最小输入电压高于最大输入电压：两者是否填反了？");
    }
    if (read(Frequency) && value(Frequency) > kHighestKilohertz) {
        add("frequency_too_high", Frequency,
            "工作频率 " + ExactNumber(value(Frequency)) +
                " kHz 高于 1000 kHz：是否按 Hz 输入？请以 kHz 为单位。");
    } else if (read(Frequency) && value(Frequency) < kLowestKilohertz) {
        add("frequency_too_low", Frequency, "工作频率低于 1 kHz：请以 kHz 为单位输入。");
    }
    if (read(Efficiency) && value(Efficiency) <= kLowestPercent) {
        add("efficiency_as_fraction", Efficiency,
            "工作效率不超过 1 %：是否按小数输入？请输入百分数，例如 75。");
    } else if (read(Efficiency) && value(Efficiency) > kHighestPercent) {
        add("efficiency_above_100", Efficiency, "工作效率超过 100 %，不可能。");
    }
    if (read(OutputVoltage) && value(OutputVoltage) <= 0) {
        invalid("output_voltage_not_positive", OutputVoltage, "输出电压应大于 0 V。");
    }
}

// Why there is less than one primary turn, where a typed input says: a
// negative value, or a frequency typed in Hz.
std::string TurnsCause(const DesignRecord& record) {
    for (const Input input : {Input::Power, Input::MaxVoltage, Input::MinVoltage}) {
        const auto& value = record.inputValues[static_cast<std::size_t>(Index(input))];
        if (value && *value < 0) {
            return "：“" + std::string(numtext::kInputBoxes[Index(input)].caption) + "”为负数";
        }
    }
    const auto& kilohertz = record.inputValues[static_cast<std::size_t>(Index(Input::Frequency))];
    if (kilohertz && *kilohertz > kHighestKilohertz) return "：工作频率是否按 Hz 输入了？";
    return "";
}

}  // namespace

std::vector<int> ResultsDerivedFrom(Input input) {
    const auto boxes = [](std::initializer_list<Published> results) {
        std::vector<int> derived;
        for (const Published result : results) derived.push_back(numtext::ResultBox(result));
        std::sort(derived.begin(), derived.end());
        return derived;
    };
    using enum Published;
    switch (input) {
        case Input::Power:
        case Input::Frequency:  // the core area needs both
            return boxes({CoreType, GapLength, PrimaryTurns, SecondaryTurns, SwitchVoltage,
                          SwitchCurrent, PrimaryInductance});
        case Input::MaxVoltage:  // through the reflected voltage and the spike
            return boxes({GapLength, PrimaryTurns, SecondaryTurns, SwitchVoltage, SwitchCurrent,
                          PrimaryInductance});
        case Input::MinVoltage:  // through the duty cycle
        case Input::Efficiency:
            return boxes(
                {GapLength, PrimaryTurns, SecondaryTurns, SwitchCurrent, PrimaryInductance});
        case Input::OutputVoltage:
            return boxes({SecondaryTurns});
    }
    return {};
}

std::vector<std::string> InvalidatedBy(const std::vector<Warning>& warnings, int box) {
    std::vector<std::string> reasons;
    for (const Warning& warning : warnings) {
        if (warning.strength != Warning::Strength::Invalid || warning.box != Warning::Box::Input) {
            continue;
        }
        const auto derived = ResultsDerivedFrom(numtext::kInputBoxes[warning.index].input);
        if (std::find(derived.begin(), derived.end(), box) == derived.end()) continue;
        reasons.push_back("此结果由“" + std::string(warning.BoxCaption()) + "”算出，该输入无效（" +
                          warning.message + "），结果无意义。");
    }
    return reasons;
}

namespace {

struct StrengthInfo {
    std::string_view name;   // for scripts
    std::string_view label;  // for people
};

// In the order of the enum.
constexpr std::array<StrengthInfo, 3> kStrengths{{
    {"invalid", "无效"},
    {"caution", "注意"},
    {"note", "提示"},
}};

}  // namespace

std::string_view StrengthName(Warning::Strength strength) {
    return kStrengths.at(static_cast<std::size_t>(strength)).name;
}

std::string_view StrengthLabel(Warning::Strength strength) {
    return kStrengths.at(static_cast<std::size_t>(strength)).label;
}

std::string_view Warning::StrengthName() const {
    return record::StrengthName(strength);
}

std::string_view Warning::StrengthLabel() const {
    return record::StrengthLabel(strength);
}

BoxWarnings WarningsOn(const std::vector<Warning>& warnings, Warning::Box box, int index) {
    BoxWarnings on;
    for (const Warning& warning : warnings) {
        if (warning.box != box || warning.index != index) continue;
        on.lines.push_back(std::string(warning.StrengthLabel()) + "：" + warning.message);
        on.marked = on.marked || warning.strength != Warning::Strength::Note;
    }
    return on;
}

std::string Warning::Line() const {
    return std::string(StrengthLabel()) + "：" + std::string(BoxCaption()) + "：" + message;
}

std::string Warning::BoxName() const {
    return (box == Box::Input ? "Text1_" : "Text2_") + std::to_string(index);
}

std::string_view Warning::BoxCaption() const {
    return box == Box::Input ? numtext::kInputBoxes[index].caption : numtext::ResultCaption(index);
}

std::vector<Warning> InputWarnings(const numtext::InputTexts& texts,
                                   const numtext::InputReadings& readings) {
    std::vector<Warning> warnings;
    ReadingWarnings(texts, readings, warnings);
    RangeWarnings(readings, warnings);
    return warnings;
}

std::vector<Warning> InputWarnings(const numtext::InputTexts& texts) {
    return InputWarnings(texts, numtext::ReadInputTexts(texts));
}

std::vector<Warning> ResultWarnings(const DesignRecord& record) {
    std::vector<Warning> warnings;
    const auto add = [&](std::string_view code, Published result, std::string message,
                         Warning::Strength strength = Warning::Strength::Caution) {
        warnings.push_back(
            {code, Warning::Box::Result, numtext::ResultBox(result), std::move(message), strength});
    };
    const design::DesignResults& results = record.trace.results;
    if (results.Core == nullptr && !std::isnan(results.CoreArea)) {
        const design::CoreSize& largest = design::CoreSizeTable.back();
        add("no_core_fits", Published::CoreType,
            "磁芯表中没有足够大的磁芯：所需截面积 " + ReadableNumber(results.RequiredCoreArea) +
                " cm² 大于 " + ExactNumber(largest.AreaLimit) + " cm²（" +
                std::string(largest.CoreType) + "）；其余结果按所需截面积计算。");
    }
    if (const QuantityValue* duty = record.Find("Dmax");
        duty != nullptr && duty->number > kHighestDutyCycle) {
        add("duty_cycle_above_half", Published::PrimaryInductance,
            "最大占空比 Dmax = " + ReadableNumber(duty->number) +
                " 超过 0.5：占空比限于 50 % 的控制器（如 UC3844 系列）不能用于此设计。",
            Warning::Strength::Note);
    }
    if (const QuantityValue* turns = record.Find("Np"); turns != nullptr && turns->number < 1) {
        add("primary_turns_below_one", Published::PrimaryTurns,
            "初级匝数不足 1 匝" + TurnsCause(record) + "。");
    }
    if (const QuantityValue* turns = record.Find("Ns"); turns != nullptr && turns->number < 1) {
        add("secondary_turns_below_one", Published::SecondaryTurns, "次级匝数不足 1 匝。");
    }
    return warnings;
}

}  // namespace flyback::record
