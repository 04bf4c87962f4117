// The engine for the browser page: flyback-calc's --jsonl answers (with or
// without --details), and the fault message and input hint the window shows,
// for JavaScript to call.
// Texts cross as UTF-8 bytes in the module's memory, in buffers kept from call
// to call; engine_api.js wraps them into functions of strings.
#include <emscripten/emscripten.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "answer/answer_details.hpp"
#include "answer/answer_json.hpp"
#include "answer/json_lines.hpp"
#include "engine_buffers.hpp"
#include "numtext/boxes.hpp"
#include "record/design_record.hpp"

namespace flyback::web {

std::string& Request() {
    static std::string request;
    return request;
}

std::string& Answer() {
    static std::string answer;
    return answer;
}

std::array<std::size_t, kMostTexts>& TextSizes() {
    static std::array<std::size_t, kMostTexts> sizes{};
    return sizes;
}

std::string_view Text(std::size_t index) {
    if (index >= kMostTexts) return {};
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) start += TextSizes()[i];
    return std::string_view(Request()).substr(start, TextSizes()[index]);
}

void ReleaseLargeRequest() {
    constexpr std::size_t kKeptRequestSize = std::size_t{1} << 16;
    if (Request().capacity() > kKeptRequestSize) std::string().swap(Request());
}

}  // namespace flyback::web

namespace {

using flyback::answer::JsonLineAnswerer;
using flyback::web::Answer;
using flyback::web::ReleaseLargeRequest;
using flyback::web::Request;
using flyback::web::TextSizes;

// Both answer styles keep their parsing buffers from call to call.
JsonLineAnswerer& Answerer(bool details = false) {
    static JsonLineAnswerer plain;
    static JsonLineAnswerer detailed(flyback::answer::kDetailedAnswers);
    return details ? detailed : plain;
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

// The longest request line, in bytes, that is answered as a request.
EMSCRIPTEN_KEEPALIVE std::size_t flyback_max_request_line() {
    return flyback::answer::kMaxRequestLine;
}

// The request's answer line (without the line feed), byte for byte as
// flyback-calc --jsonl writes it, or --jsonl --details when `details`.
EMSCRIPTEN_KEEPALIVE void flyback_press_json(std::size_t size, bool details) {
    const std::string_view line(Request().data(), size);
    Answer().clear();
    if (line.size() > flyback::answer::kMaxRequestLine) {
        Answerer(details).AnswerTooLong(Answer());
    } else {
        Answerer(details).Answer(line, Answer());
    }
    ReleaseLargeRequest();
}

// The answer to a request too long to be one, which JavaScript gives without
// copying the request into memory at all.
EMSCRIPTEN_KEEPALIVE void flyback_answer_too_long(bool details) {
    Answer().clear();
    Answerer(details).AnswerTooLong(Answer());
}

// What the window says when a box would take a text longer than that, for the
// page to say the same.
EMSCRIPTEN_KEEPALIVE void flyback_text_too_long_message() {
    Answer() = flyback::numtext::kTextTooLongMessage;
}

// What Enter in an input box says, as the window says it.
EMSCRIPTEN_KEEPALIVE void flyback_how_to_calculate() {
    Answer() = flyback::numtext::kHowToCalculate;
}

// The box table, for the page's test to hold the page's captions to:
// {"inputs":[{"caption":..,"unit":..,"symbol":..},...],"results":[{"box":..,
// "row":..,"caption":..,"symbol":..},...]}, each list by box index.
EMSCRIPTEN_KEEPALIVE void flyback_boxes_json() {
    using flyback::answer::JsonObject;
    std::string& out = Answer();
    out = R"({"inputs":[)";
    for (const auto& box : flyback::numtext::kInputBoxes) {
        if (out.back() != '[') out += ',';
        JsonObject(out)
            .Text("caption", box.caption)
            .Text("unit", box.unit)
            .Text("symbol", box.symbol);
    }
    out += R"(],"results":[)";
    for (const auto& box : flyback::numtext::kResultBoxes) {
        if (out.back() != '[') out += ',';
        JsonObject(out)
            .Value("box", box.box)
            .Value("row", box.row)
            .Text("caption", box.caption)
            .Text("symbol", box.symbol);
    }
    out += "]}";
}

EMSCRIPTEN_KEEPALIVE std::size_t* flyback_text_sizes() {
    return TextSizes().data();
}

// How many texts the request buffer holds: the page lays out as many.
EMSCRIPTEN_KEEPALIVE int flyback_most_texts() {
    return static_cast<int>(flyback::web::kMostTexts);
}

// A press of six texts, as the window makes one: no request line, so no limit
// of the line protocol applies. The answer is the --jsonl answer to the same
// texts (--details when `details`), a line feed, and on a fault the window's
// message; returns the input the message names, or -1. One calculation.
EMSCRIPTEN_KEEPALIVE int flyback_press_texts(bool details) {
    flyback::numtext::InputTexts inputs;
    for (int i = 0; i < flyback::numtext::kInputCount; ++i) {
        inputs[i] = flyback::web::Text(static_cast<std::size_t>(i));
    }
    const flyback::record::DesignRecord record = flyback::record::RecordPress(inputs);
    Answer().clear();
    if (details) {
        flyback::answer::AppendDetailedAnswer(record, Answer());
    } else {
        flyback::answer::AnswerJson(Answer()).Outcome(record.outcome);
    }
    Answer() += '\n';
    Answer() += record.faultMessage;
    ReleaseLargeRequest();
    return record.suspect ? record.suspect->input : -1;
}

}  // extern "C"
