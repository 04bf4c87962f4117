#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "numtext/boxes.hpp"
#include "numtext/run_calculation.hpp"

namespace flyback::answer {

// Longest request line accepted; a longer one is answered as a bad request
// without being held in memory.
inline constexpr std::size_t kMaxRequestLine = numtext::kMaxInputText;

// How a request line is answered: a press, or a line that is not a request.
struct AnswerStyle {
    void (*press)(const numtext::InputTexts& inputs, std::string& out);
    void (*badRequest)(std::string_view problem, std::string& out);
};

// The answers flyback-calc --jsonl gives without options.
extern const AnswerStyle kPlainAnswers;

// Answers request lines one at a time: a JSON array of six input texts in, one
// line of answer JSON out. Keeps its buffers from line to line.
class JsonLineAnswerer {
  public:
    explicit JsonLineAnswerer(const AnswerStyle& style = kPlainAnswers);
    ~JsonLineAnswerer();
    JsonLineAnswerer(const JsonLineAnswerer&) = delete;
    JsonLineAnswerer& operator=(const JsonLineAnswerer&) = delete;

    // Appends the answer to `line` (without its line feed) to `out`; returns
    // false when the line was not a request and was answered as bad_request.
    bool Answer(std::string_view line, std::string& out);
    // The answer to a line longer than kMaxRequestLine.
    void AnswerTooLong(std::string& out);

    // The six texts of a request line, or nothing when it is not one. They
    // may point into `line`, and are valid until the next call.
    std::optional<numtext::InputTexts> ReadRequest(std::string_view line);

  private:
    class RequestParser;
    std::unique_ptr<RequestParser> parser_;
    const AnswerStyle& style_;
};

struct JsonLinesSummary {
    std::size_t requests = 0;
    std::size_t badRequests = 0;
};

// Answers each line of `in` with one line on `out`, in order and in constant
// memory. Input is read and answers are written in large blocks; the answers
// so far are flushed whenever reading on would have to wait, so a program
// talking to this one line by line gets each answer before it sends the next
// request.
JsonLinesSummary AnswerJsonLines(std::istream& in, std::ostream& out,
                                 const AnswerStyle& style = kPlainAnswers);

}  // namespace flyback::answer
