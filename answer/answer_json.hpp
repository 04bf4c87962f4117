#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "numtext/press_outcome.hpp"
#include "runtime/error.hpp"

namespace flyback::answer {

// The answer to one press as a compact one-line JSON object, appended to a
// caller's buffer so that answering millions of requests allocates nothing:
//   {"results":[{"box":0,"caption":"磁芯型号","text":"EE12"},...],"error":null}
// with the results in publication order; on a fault, "error" is
//   {"kind":"division_by_zero","message":"除数为零"}.
// Built piece by piece as a calculation publishes, or from a PressOutcome.
class AnswerJson {
  public:
    explicit AnswerJson(std::string& out) : out_(out) {}

    void Start();
    void Result(int box, std::string_view text);
    void Finish(std::optional<runtime::ErrorKind> error);

    void Outcome(const numtext::PressOutcome& outcome);
    // {"results":[],"error":{"kind":"bad_request","message":...}}
    void BadRequest(std::string_view message);

  private:
    std::string& out_;
    bool firstResult_ = true;
};

// `text` as a JSON string, quotes included, escaped as RapidJSON escapes it.
void AppendJsonString(std::string& out, std::string_view text);

// A JSON object appended to `out` key by key, closed when it goes out of
// scope. Numbers are the shortest texts that read back as the same double;
// an empty optional is null.
class JsonObject {
  public:
    explicit JsonObject(std::string& out);
    ~JsonObject();
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    JsonObject& Text(std::string_view key, std::string_view text);
    JsonObject& Value(std::string_view key, const std::optional<double>& value);
    JsonObject& Bool(std::string_view key, bool value);
    JsonObject& Raw(std::string_view key, std::string_view json);  // already JSON

  private:
    void Key(std::string_view key);
    std::string& out_;
};

}  // namespace flyback::answer
