#include "answer/answer_json.hpp"

#include <array>

#include "numtext/boxes.hpp"
#include "numtext/run_calculation.hpp"
#include "runtime/decimal_conversion.hpp"

namespace flyback::answer {
namespace {

// {"box":N,"caption":"...","text": for each box, written once.
std::array<std::string, numtext::kResultCount> ResultPrefixes() {
    std::array<std::string, numtext::kResultCount> prefixes;
    for (int box = 0; box < numtext::kResultCount; ++box) {
        std::string& prefix = prefixes[box];
        prefix = "{\"box\":" + std::to_string(box) + ",\"caption\":";
        AppendJsonString(prefix, numtext::ResultCaption(box));
        prefix += ",\"text\":";
    }
    return prefixes;
}

void AppendError(std::string& out, std::string_view kind, std::string_view message) {
    out += "{\"kind\":";
    AppendJsonString(out, kind);
    out += ",\"message\":";
    AppendJsonString(out, message);
    out += '}';
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '"';
    std::size_t plain = 0;  // start of the run not yet written
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        out.append(text, plain, i - plain);
        plain = i + 1;
        out += '\\';
        switch (c) {
            case '"':
            case '\\':
                out += static_cast<char>(c);
                break;
            case '\b':
                out += 'b';
                break;
            case '\t':
                out += 't';
                break;
            case '\n':
                out += 'n';
                break;
            case '\f':
                out += 'f';
                break;
            case '\r':
                out += 'r';
                break;
            default:
                out.append("u00").append(1, kHex[c >> 4]).append(1, kHex[c & 15]);
        }
    }
    out.append(text, plain);
    out += '"';
}

void AnswerJson::Start() {
    out_ += "{\"results\":[";
    firstResult_ = true;
}

void AnswerJson::Result(int box, std::string_view text) {
    static const std::array<std::string, numtext::kResultCount> kPrefixes = ResultPrefixes();
    if (!firstResult_) out_ += ',';
    firstResult_ = false;
    out_ += kPrefixes[box];
    AppendJsonString(out_, text);
    out_ += '}';
}

void AnswerJson::Finish(std::optional<runtime::ErrorKind> error) {
    out_ += "],\"error\":";
    if (error) {
        AppendError(out_, runtime::ErrorKindId(*error), runtime::ErrorKindMessage(*error));
    } else {
        out_ += "null";
    }
    out_ += '}';
}

void AnswerJson::Outcome(const numtext::PressOutcome& outcome) {
    Start();
    for (const numtext::ResultWrite& write : outcome.writes) Result(write.box, write.text);
    Finish(outcome.error);
}

void AnswerJson::BadRequest(std::string_view message) {
    out_ += "{\"results\":[],\"error\":";
    AppendError(out_, "bad_request", message);
    out_ += '}';
}

JsonObject::JsonObject(std::string& out) : out_(out) {
    out_ += '{';
}

JsonObject::~JsonObject() {
    out_ += '}';
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view text) {
    Key(key);
    AppendJsonString(out_, text);
    return *this;
}

JsonObject& JsonObject::Value(std::string_view key, const std::optional<double>& value) {
    Key(key);
    if (!value) {
        out_ += "null";
        return *this;
    }
    out_ += runtime::decimal::ShortestText(*value);
    return *this;
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
    return Raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
    Key(key);
    out_ += json;
    return *this;
}

void JsonObject::Key(std::string_view key) {
    if (out_.back() != '{') out_ += ',';
    AppendJsonString(out_, key);
    out_ += ':';
}

}  // namespace flyback::answer
