#include "mains/mains.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "runtime/arithmetic.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"

namespace flyback::mains {
namespace {

using runtime::decimal::ShortestText;

using runtime::Divide;
using runtime::Multiply;
using runtime::Subtract;

constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kUniversalBelowVolts = 150;  // AC minimum below it: 110 V or universal mains
constexpr double kMicrofaradsPerWattLowLine = 3, kMicrofaradsPerWattHighLine = 1;
constexpr double kUsualHighestVolts = 300, kUsualLowestVolts = 70;

void Check(bool holds, const std::string& message) {
    if (!holds) throw MainsError(message);
}

void CheckSupply(const MainsSupply& s) {
    const auto positive = [](double v) { return std::isfinite(v) && v > 0; };
    Check(positive(s.minAcVoltage), "最小交流输入电压应大于 0 V。");
    Check(positive(s.maxAcVoltage), "最大交流输入电压应大于 0 V。");
    Check(s.minAcVoltage <= s.maxAcVoltage, "最小交流输入电压高于最大交流输入电压。");
    Check(positive(s.outputPower), "输出功率应大于 0 W。");
    Check(positive(s.efficiency) && s.efficiency <= 1, "效率应大于 0 且不超过 100 %。");
    Check(positive(s.lineHertz), "电网频率应大于 0 Hz。");
    Check(std::isfinite(s.conductionMilliseconds) && s.conductionMilliseconds >= 0 &&
              s.conductionMilliseconds * 1e-3 < 0.5 / s.lineHertz,
          "整流桥导通时间应不小于 0，且短于电网半周期（" + ShortestText(500 / s.lineHertz) +
              " ms）。");
    if (s.bulkMicrofarads) Check(positive(*s.bulkMicrofarads), "大容量电容应大于 0 µF。");
    if (s.holdupMilliseconds) {
        Check(std::isfinite(*s.holdupMilliseconds) && *s.holdupMilliseconds >= 0,
              "保持时间应不小于 0 ms。");
    }
}

double ProposedMicrofarads(const MainsSupply& s, double inputPower) {
    const double perWatt = s.minAcVoltage < kUniversalBelowVolts ? kMicrofaradsPerWattLowLine
                                                                 : kMicrofaradsPerWattHighLine;
    return NextE6(Multiply(perWatt, inputPower));
}

std::vector<Warning> Warnings(const MainsSupply& s, const DcInputRange& range) {
    std::vector<Warning> warnings;
    const double halfCrest = Divide(Multiply(kSqrt2, s.minAcVoltage), 2);
    if (range.minInputVoltage < halfCrest) {
        warnings.push_back(
            {"ripple_too_deep", "最小直流输入电压 " + TwoDecimals(range.minInputVoltage) +
                                    " V 低于最低交流输入峰值的一半（" + TwoDecimals(halfCrest) +
                                    " V）：纹波过深，请加大电容。"});
    }
    if (s.maxAcVoltage > kUsualHighestVolts) {
        warnings.push_back({"mains_above_usual", "最大交流输入电压 " +
                                                     ShortestText(s.maxAcVoltage) +
                                                     " V 高于 300 V，超出常见电网电压范围。"});
    }
    if (s.minAcVoltage < kUsualLowestVolts) {
        warnings.push_back({"mains_below_usual", "最小交流输入电压 " +
                                                     ShortestText(s.minAcVoltage) +
                                                     " V 低于 70 V，超出常见电网电压范围。"});
    }
    return warnings;
}

// The ripple's valley at the lowest line with `microfarads`.
double Valley(const MainsSupply& s, double inputPower, double microfarads) {
    const double chargeGap =
        Subtract(Divide(1, Multiply(2, s.lineHertz)), Divide(s.conductionMilliseconds, 1000));
    const double farads = Divide(microfarads, 1e6);
    const double drop = Divide(Multiply(Multiply(2, inputPower), chargeGap), farads);
    const double valleySquared =
        Subtract(Multiply(2, Multiply(s.minAcVoltage, s.minAcVoltage)), drop);
    Check(valleySquared > 0, "大容量电容 " + ShortestText(microfarads) +
                                 " µF 太小：在最低交流输入下，它在两次充电之间放电到零以下，"
                                 "求不出最小直流输入电压。请加大电容。");
    return runtime::SquareRoot(valleySquared);
}

// The capacitor that carries the input power for the hold-up time from the
// last peak at the lowest line down to `floorVolts`, in µF.
double HoldupMicrofarads(const MainsSupply& s, double inputPower, double floorVolts) {
    const double peakSquared = Multiply(2, Multiply(s.minAcVoltage, s.minAcVoltage));
    const double energy = Multiply(Multiply(2, inputPower), Divide(*s.holdupMilliseconds, 1000));
    const double farads = Divide(energy, Subtract(peakSquared, Multiply(floorVolts, floorVolts)));
    return Multiply(farads, 1e6);
}

DcInputRange Calculate(const MainsSupply& s) {
    DcInputRange range{};
    const double inputPower = Divide(s.outputPower, s.efficiency);
    range.bulkProposed = !s.bulkMicrofarads;
    range.bulkMicrofarads =
        s.bulkMicrofarads ? *s.bulkMicrofarads : ProposedMicrofarads(s, inputPower);
    range.maxInputVoltage = Multiply(kSqrt2, s.maxAcVoltage);
    range.minInputVoltage = Valley(s, inputPower, range.bulkMicrofarads);
    if (s.holdupMilliseconds) {
        const double needed = HoldupMicrofarads(s, inputPower, range.minInputVoltage);
        if (range.bulkProposed && needed > range.bulkMicrofarads) {
            range.bulkMicrofarads = NextE6(needed);
            range.rule = BulkRule::Holdup;
            range.minInputVoltage = Valley(s, inputPower, range.bulkMicrofarads);
        } else if (!range.bulkProposed && needed > range.bulkMicrofarads) {
            range.warnings.push_back(
                {"holdup_too_short", "大容量电容 " + ShortestText(range.bulkMicrofarads) +
                                         " µF 不足以保持 " + ShortestText(*s.holdupMilliseconds) +
                                         " ms：至少需要 " + ShortestText(NextE6(needed)) +
                                         " µF。"});
        }
    }
    std::vector<Warning> more = Warnings(s, range);
    range.warnings.insert(range.warnings.end(), more.begin(), more.end());
    return range;
}

}  // namespace

double NextE6(double microfarads) {
    // As printed in the series, two digits and a power of ten: each value is
    // read from its decimal text, so that 220 µF is 220, never 2.2 × 100 =
    // 220.00000000000003.
    static constexpr std::array<int, 7> kSeries = {10, 15, 22, 33, 47, 68, 100};
    constexpr double kSlack = 1e-9;  // 22.000000000000004 µF is 22 µF
    const auto decade = static_cast<int>(std::floor(std::log10(microfarads)));
    const auto value = [](int digits, int power) {
        return runtime::decimal::Native()
            .parse(std::to_string(digits) + "e" + std::to_string(power))
            .value;
    };
    for (const int power : {decade - 2, decade - 1}) {
        for (const int digits : kSeries) {
            const double candidate = value(digits, power);
            if (candidate >= microfarads * (1 - kSlack)) return candidate;
        }
    }
    return value(1, decade + 1);
}

std::string_view BulkRuleCaption(BulkRule rule) {
    return rule == BulkRule::Holdup ? "由保持时间决定" : "按每瓦电容量";
}

std::string TwoDecimals(double value) {
    std::array<char, 64> text{};
    const int length = std::snprintf(text.data(), text.size(), "%.2f", value);
    std::string result(text.data(), static_cast<std::size_t>(std::max(length, 0)));
    for (char& c : result) {
        if (c == ',') c = '.';  // a decimal-comma locale
    }
    return result;
}

DcInputRange DcInputFromMains(const MainsSupply& s) {
    CheckSupply(s);
    try {
        return Calculate(s);
    } catch (const runtime::RuntimeError&) {
        throw MainsError("数值过大，无法计算。");
    }
}

std::string RangeCaption(const DcInputRange& range) {
    std::string text = "最大直流输入电压 " + TwoDecimals(range.maxInputVoltage) +
                       " V\n最小直流输入电压 " + TwoDecimals(range.minInputVoltage) +
                       " V\n大容量电容 " + runtime::decimal::ShortestText(range.bulkMicrofarads) +
                       " µF";
    if (range.bulkProposed) text += "（建议值，" + std::string(BulkRuleCaption(range.rule)) + "）";
    for (const Warning& warning : range.warnings) text += "\n注意：" + warning.message;
    return text;
}

}  // namespace flyback::mains
