#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

#include "cli/press.hpp"

namespace flyback::cli {

// Keys stay in the order written, so the output reads results first.
using Json = nlohmann::ordered_json;

// {"results":[{"box":0,"caption":"磁芯型号","text":"EE12"},...],"error":null}
Json OutcomeJson(const PressOutcome& outcome);

// {"results":[],"error":{"kind":"bad_request","message":...}}
Json BadRequestJson(std::string_view message);

// The results reached, one row each in the window's top-to-bottom order: the
// caption, padded to a column, then the text exactly as its box shows it.
void PrintTable(const PressOutcome& outcome, std::ostream& out);

}  // namespace flyback::cli
