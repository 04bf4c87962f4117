// The engine for the browser page: flyback-calc's --jsonl answers, and the
// fault message and input hint the window shows, for JavaScript to call.
// Texts cross as UTF-8 bytes in the module's memory, in buffers kept from call
// to call; engine_api.js wraps them into functions of strings.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/json_lines.hpp"
#include "numtext/fault_hint.hpp"
#include "runtime/error.hpp"

namespace {

using flyback::cli::JsonLineAnswerer;

JsonLineAnswerer& Answerer() {
    static JsonLineAnswerer answerer;
    return answerer;
}

std::string& Request() {
    static std::string request;
    return request;
}

// The last answer; JavaScript reads it from memory.
std::string& Answer() {
    static std::string answer;
    return answer;
}

std::string FaultMessage(std::string_view line) {
    const auto inputs = Answerer().ReadRequest(line);
    if (!inputs) return {};
    try {
        flyback::numtext::RunCalculation(*inputs, [](int, std::string_view) {});
    } catch (const flyback::runtime::RuntimeError& error) {
        return flyback::numtext::FaultMessage(error.kind(), *inputs);
    }
    return {};
}

}  // namespace

extern "C" {

// Room for a request of `size` bytes, where JavaScript writes it.
EMSCRIPTEN_KEEPALIVE char* flyback_request_buffer(std::size_t size) {
    Request().resize(size);
    return Request().data();
}

EMSCRIPTEN_KEEPALIVE const char* flyback_answer() {
    return Answer().data();
}

EMSCRIPTEN_KEEPALIVE std::size_t flyback_answer_size() {
    return Answer().size();
}

// The request's answer line (without the line feed), byte for byte as
// flyback-calc --jsonl writes it.
EMSCRIPTEN_KEEPALIVE void flyback_press_json(std::size_t size) {
    const std::string_view line(Request().data(), size);
    Answer().clear();
    if (line.size() > flyback::cli::kMaxRequestLine) {
        Answerer().AnswerTooLong(Answer());
    } else {
        Answerer().Answer(line, Answer());
    }
}

// What the window tells the user when the request's press faults: the error
// and, where one input plainly caused it, that input; empty when it does not
// fault or is not a request.
EMSCRIPTEN_KEEPALIVE void flyback_fault_message(std::size_t size) {
    Answer() = FaultMessage(std::string_view(Request().data(), size));
}

// The input (0 to 5) that the fault message names, or -1.
EMSCRIPTEN_KEEPALIVE int flyback_suspect_input(std::size_t size) {
    const auto inputs = Answerer().ReadRequest(std::string_view(Request().data(), size));
    if (!inputs) return -1;
    const auto hint = flyback::numtext::SuspectInput(*inputs);
    return hint ? hint->input : -1;
}

}  // extern "C"
