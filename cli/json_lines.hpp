#pragma once

#include <cstddef>
#include <istream>
#include <ostream>

namespace flyback::cli {

// Longest request line accepted; a longer one is answered as a bad request
// without being held in memory.
inline constexpr std::size_t kMaxRequestLine = std::size_t{1} << 20;

struct JsonLinesSummary {
    std::size_t requests = 0;
    std::size_t badRequests = 0;
};

// Answers each line of `in`, a JSON array of six input texts, with one line of
// result JSON on `out`, in order and in constant memory. Output is flushed
// whenever the input has nothing more buffered, so a program talking to this one
// line by line gets each answer before it sends the next request.
JsonLinesSummary AnswerJsonLines(std::istream& in, std::ostream& out);

}  // namespace flyback::cli
