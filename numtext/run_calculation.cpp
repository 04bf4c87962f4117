#include "numtext/run_calculation.hpp"

#include "runtime/arithmetic.hpp"
#include "runtime/error.hpp"
#include "runtime/number_text.hpp"

namespace flyback::numtext {

using design::Published;
using runtime::NumberText;

namespace {

constexpr double kInductanceUnitThreshold = 0.001;  // H; at or below it, microhenry

// The texts are taken in box order, each value kept as soon as it is taken, so
// that a number too large in a later box leaves the earlier ones in the trace.
void ReadInputs(PressTrace& trace) {
    auto& read = trace.readValues;
    design::DesignInputs& in = trace.inputs;
    const auto readText = [&](Input input) {
        const auto& reading = trace.readings[Index(input)];
        if (!reading) throw runtime::RuntimeError(runtime::ErrorKind::Overflow);
        return read[Index(input)] = reading->value;
    };
    in.OutputPower = readText(Input::Power);
    in.MaxInputVoltage = readText(Input::MaxVoltage);
    in.MinInputVoltage = readText(Input::MinVoltage);
    in.Frequency = runtime::InlineMultiply(readText(Input::Frequency), kHertzPerKilohertz);
    in.Efficiency = runtime::InlineDivide(readText(Input::Efficiency), kPercent);
    in.OutputVoltage = readText(Input::OutputVoltage);
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

std::string CoreTypeText(const design::DesignResults& r) {
    if (r.Core != nullptr) return std::string(r.Core->CoreType);
    return std::string(kNoCorePrefix) + NumberText(r.RequiredCoreArea);
}

std::string ResultText(Published which, const design::DesignResults& r) {
    switch (which) {
        case Published::CoreType:
            return CoreTypeText(r);
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

InputReadings ReadInputTexts(const InputTexts& texts) {
    InputReadings readings;
    for (int i = 0; i < kInputCount; ++i) {
        try {
            readings[i] = runtime::ReadNumber(texts[i]);
        } catch (const runtime::RuntimeError&) {
            readings[i].reset();  // the only fault of reading: too large
        }
    }
    return readings;
}

PressTrace::PressTrace() {
    readValues.fill(design::kNotReached);
    inputs = {design::kNotReached, design::kNotReached, design::kNotReached,
              design::kNotReached, design::kNotReached, design::kNotReached};
}

void RunCalculation(const InputTexts& inputs, const SetResultText& setResultText) {
    PressTrace trace;
    RunCalculation(inputs, setResultText, trace);
}

void RunCalculation(const InputTexts& inputs, const SetResultText& setResultText,
                    PressTrace& trace) {
    trace.readings = ReadInputTexts(inputs);
    ReadInputs(trace);
    design::Calculate(
        trace.inputs,
        [&](Published which, const design::DesignResults& results) {
            setResultText(ResultBox(which), ResultText(which, results));
        },
        trace.results);
}

}  // namespace flyback::numtext
