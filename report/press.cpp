#include "report/press.hpp"

namespace flyback::report {

PressOutcome Press(const numtext::InputTexts& inputs) {
    PressOutcome outcome;
    try {
        numtext::RunCalculation(inputs, [&](int box, std::string_view text) {
            outcome.writes.push_back({box, std::string(text)});
        });
    } catch (const runtime::RuntimeError& error) {
        outcome.error = error.kind();
    }
    return outcome;
}

}  // namespace flyback::report
