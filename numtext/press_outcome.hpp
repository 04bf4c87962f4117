#pragma once

#include <optional>
#include <string>
#include <vector>

#include "numtext/run_calculation.hpp"
#include "runtime/error.hpp"

namespace flyback::numtext {

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

    // The text written into result box `box`, or nullptr when none was.
    const std::string* Text(int box) const {
        for (const ResultWrite& write : writes) {
            if (write.box == box) return &write.text;
        }
        return nullptr;
    }
};

}  // namespace flyback::numtext
