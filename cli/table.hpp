#pragma once

#include <cstddef>
#include <ostream>
#include <string_view>

#include "numtext/press_outcome.hpp"

namespace flyback::cli {

// The results reached, one row each in the window's top-to-bottom order: the
// caption, padded to a column, then the text exactly as its box shows it.
void PrintTable(const numtext::PressOutcome& outcome, std::ostream& out);

// Terminal columns of a UTF-8 text: two for a CJK or full-width character,
// one for any other.
std::size_t DisplayWidth(std::string_view text);

}  // namespace flyback::cli
