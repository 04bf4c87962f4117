#pragma once

#include <rapidjson/stringbuffer.h>

#include <ostream>
#include <string_view>

#include "cli/press.hpp"

namespace flyback::cli {

// Renders answers as compact one-line JSON objects; reuses its buffer, so that
// answering millions of requests allocates next to nothing.
class AnswerJson {
  public:
    // {"results":[{"box":0,"caption":"磁芯型号","text":"EE12"},...],"error":null}
    // with the results in publication order; on a fault, "error" is
    // {"kind":"division_by_zero","message":"除数为零"}.
    std::string_view Outcome(const PressOutcome& outcome);

    // {"results":[],"error":{"kind":"bad_request","message":...}}
    std::string_view BadRequest(std::string_view message);

  private:
    rapidjson::StringBuffer buffer_;
};

// The results reached, one row each in the window's top-to-bottom order: the
// caption, padded to a column, then the text exactly as its box shows it.
void PrintTable(const PressOutcome& outcome, std::ostream& out);

}  // namespace flyback::cli
