#pragma once

#include <optional>
#include <string>
#include <vector>

#include "numtext/run_calculation.hpp"
#include "runtime/error.hpp"

namespace flyback::report {

struct ResultWrite {
    int box;
    std::string text;
    bool operator==(const ResultWrite&) const = default;
};

// What one press of the button would show: the result texts in the order they
// were written and, when the calculation faulted, the error.
struct PressOutcome {
    std::vector<ResultWrite> writes;
    std::optional<runtime::ErrorKind> error;
    bool operator==(const PressOutcome&) const = default;
};

PressOutcome Press(const numtext::InputTexts& inputs);

}  // namespace flyback::report
