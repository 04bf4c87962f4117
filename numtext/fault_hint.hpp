#pragma once

#include <optional>

#include "numtext/run_calculation.hpp"

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

// After a calculation of `inputs` has faulted: the input to blame when the
// cause is plain (an empty frequency, a negative power, a number too large to
// read, ...), or nothing when no single input explains it.
std::optional<InputHint> SuspectInput(const InputTexts& inputs);

}  // namespace flyback::numtext
