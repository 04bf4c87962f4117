#pragma once

#include <ostream>

#include "numtext/press_outcome.hpp"

namespace flyback::cli {

// The results reached, one row each in the window's top-to-bottom order: the
// caption, padded to a column, then the text exactly as its box shows it.
void PrintTable(const numtext::PressOutcome& outcome, std::ostream& out);

}  // namespace flyback::cli
