#include "numtext/run_calculation.hpp"

#include "runtime/arithmetic.hpp"
#include "runtime/number_text.hpp"

namespace flyback::numtext {

using design::Published;
using runtime::NumberText;

namespace {

constexpr double kInductanceUnitThreshold = 0.001;  // H; at or below it, microhenry

design::DesignInputs ReadInputs(const InputTexts& texts) {
    using runtime::NumberFromText;
    design::DesignInputs in;
    in.OutputPower = NumberFromText(texts[0]);
    in.MaxInputVoltage = NumberFromText(texts[1]);
    in.MinInputVoltage = NumberFromText(texts[2]);
    in.Frequency = runtime::InlineMultiply(NumberFromText(texts[3]), kHertzPerKilohertz);
    in.Efficiency = runtime::InlineDivide(NumberFromText(texts[4]), kPercent);
    in.OutputVoltage = NumberFromText(texts[5]);
    return in;
}

std::string InductanceText(double henry) {
    if (henry > kInductanceUnitThreshold) {
        return NumberText(fix1(runtime::Multiply(henry, 1000))) + "mH";
    }
    return NumberText(fix1(runtime::Multiply(henry, 1000000))) + "uH";
}

}  // namespace

double fix1(double value) {
    return runtime::Divide(runtime::Floor(runtime::Multiply(100, value)), 100);
}

int ResultBox(Published which) {
    switch (which) {
        case Published::CoreType:
            return 0;
        case Published::SwitchVoltage:
            return 4;
        case Published::PrimaryInductance:
            return 6;
        case Published::SwitchCurrent:
            return 5;
        case Published::PrimaryTurns:
            return 2;
        case Published::GapLength:
            return 1;
        case Published::SecondaryTurns:
            return 3;
    }
    return -1;
}

std::string ResultText(Published which, const design::DesignResults& r) {
    switch (which) {
        case Published::CoreType:
            return r.CoreType;
        case Published::SwitchVoltage:
            return NumberText(fix1(r.SwitchVoltage));
        case Published::PrimaryInductance:
            return InductanceText(r.PrimaryInductance);
        case Published::SwitchCurrent:
            return NumberText(fix1(r.SwitchCurrent));
        case Published::PrimaryTurns:
            return NumberText(fix1(r.PrimaryTurns));
        case Published::GapLength:
            return NumberText(fix1(r.GapLength));
        case Published::SecondaryTurns:
            return NumberText(fix1(r.SecondaryTurns));
    }
    return {};
}

void RunCalculation(const InputTexts& inputs, const SetResultText& setResultText) {
    const design::DesignInputs designInputs = ReadInputs(inputs);
    design::Calculate(designInputs, [&](Published which, const design::DesignResults& results) {
        setResultText(ResultBox(which), ResultText(which, results));
    });
}

}  // namespace flyback::numtext
