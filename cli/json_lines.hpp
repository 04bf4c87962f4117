#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace flyback::cli {

// Longest request line accepted; a longer one is answered as a bad request
// without being held in memory.
inline constexpr std::size_t kMaxRequestLine = std::size_t{1} << 20;

// Answers request lines one at a time: a JSON array of six input texts in, one
// line of answer JSON out. Keeps its buffers from line to line.
class JsonLineAnswerer {
  public:
    // With `details`, each answer also carries the design record (--details).
    explicit JsonLineAnswerer(bool details = false);
    ~JsonLineAnswerer();
    JsonLineAnswerer(const JsonLineAnswerer&) = delete;
    JsonLineAnswerer& operator=(const JsonLineAnswerer&) = delete;

    // Appends the answer to `line` (without its line feed) to `out`; returns
    // false when the line was not a request and was answered as bad_request.
    bool Answer(std::string_view line, std::string& out);
    // The answer to a line longer than kMaxRequestLine.
    void AnswerTooLong(std::string& out);

  private:
    class RequestParser;
    void AnswerBadRequest(std::string_view problem, std::string& out) const;
    std::unique_ptr<RequestParser> parser_;
    bool details_;
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
JsonLinesSummary AnswerJsonLines(std::istream& in, std::ostream& out, bool details = false);

}  // namespace flyback::cli
