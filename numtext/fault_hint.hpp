#pragma once

#include <optional>
#include <string>

#include "numtext/run_calculation.hpp"
#include "runtime/error.hpp"

namespace flyback::numtext {

enum class InputProblem {
    EmptyOrZero,
    Negative,
    TooLarge,
};

// Which input box to check, and why.
struct InputHint {
    int input;  // 0 to 5
    InputProblem problem;
};

// After a calculation of the texts read as `readings` has faulted: the input
// to blame when the cause is plain (an empty frequency, a negative power, a
// number too large to read, ...), or nothing when no single input explains it.
std::optional<InputHint> SuspectInput(const InputReadings& readings);
std::optional<InputHint> SuspectInput(const InputTexts& inputs);  // reads them first

// What the user is told of a fault: the error and, where the cause is plain,
// the input to check, e.g.
//   计算无法完成：除数为零。
//   请检查“工作频率f(KHz)”：为空或为零。
std::string FaultMessage(runtime::ErrorKind error, const std::optional<InputHint>& hint);

// The second line alone, or "" without a hint.
std::string FaultHintText(const std::optional<InputHint>& hint);

}  // namespace flyback::numtext
