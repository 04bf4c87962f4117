#pragma once

#include <ostream>

#include "report/press.hpp"

namespace flyback::cli {

// The results reached, one row each in the window's top-to-bottom order: the
// caption, padded to a column, then the text exactly as its box shows it.
void PrintTable(const report::PressOutcome& outcome, std::ostream& out);

}  // namespace flyback::cli
