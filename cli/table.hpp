#pragma once

#include <cstddef>
#include <ostream>
#include <string_view>
#include <utility>
#include <vector>

#include "numtext/press_outcome.hpp"

namespace flyback::cli {

// The results reached, one row each in the window's top-to-bottom order: the
// caption, padded to a column, then the text exactly as its box shows it.
void PrintTable(const numtext::PressOutcome& outcome, std::ostream& out);

// Rows of a caption and a text, each caption padded with blanks to the
// widest caption's terminal columns, or to `column` where that is more, and
// one blank more.
using CaptionedRow = std::pair<std::string_view, std::string_view>;
void PrintAligned(const std::vector<CaptionedRow>& rows, std::ostream& out, std::size_t column = 0);

// Terminal columns of a UTF-8 text: two for a CJK or full-width character,
// one for any other.
std::size_t DisplayWidth(std::string_view text);

}  // namespace flyback::cli
