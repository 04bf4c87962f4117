// The engine for the browser page: flyback-calc's --jsonl answers, and the
// fault message and input hint the window shows, called from JavaScript.
#include <emscripten/bind.h>

#include <string>

#include "cli/json_lines.hpp"
#include "numtext/fault_hint.hpp"
#include "runtime/error.hpp"

namespace {

using flyback::cli::JsonLineAnswerer;

JsonLineAnswerer& Answerer() {
    static JsonLineAnswerer answerer;
    return answerer;
}

// One --jsonl request line in, its answer line out (without the line feed),
// byte for byte as flyback-calc --jsonl writes it.
std::string PressJson(const std::string& line) {
    std::string answer;
    if (line.size() > flyback::cli::kMaxRequestLine) {
        Answerer().AnswerTooLong(answer);
    } else {
        Answerer().Answer(line, answer);
    }
    return answer;
}

// What the window tells the user when the request's press faults: the error
// and, where one input plainly caused it, that input; "" when it does not
// fault or is not a request.
std::string FaultMessage(const std::string& line) {
    const auto inputs = Answerer().ReadRequest(line);
    if (!inputs) return {};
    try {
        flyback::numtext::RunCalculation(*inputs, [](int, std::string_view) {});
    } catch (const flyback::runtime::RuntimeError& error) {
        return flyback::numtext::FaultMessage(error.kind(), *inputs);
    }
    return {};
}

// The input (0 to 5) that the fault message names, or -1.
int SuspectInput(const std::string& line) {
    const auto inputs = Answerer().ReadRequest(line);
    if (!inputs) return -1;
    const auto hint = flyback::numtext::SuspectInput(*inputs);
    return hint ? hint->input : -1;
}

}  // namespace

EMSCRIPTEN_BINDINGS(flyback_engine) {
    emscripten::function("pressJson", &PressJson);
    emscripten::function("faultMessage", &FaultMessage);
    emscripten::function("suspectInput", &SuspectInput);
}
