#pragma once

#include <string>

#include "report/design_record.hpp"

namespace flyback::report {

// The record as tab-separated rows that paste into a spreadsheet as a table:
// a heading row, then one row for each input, each result box in screen order
// and each quantity reached, with four columns: caption, text, value, unit.
// Line feeds and tabs inside a text become blanks, so every row stays a row.
std::string TabSeparated(const DesignRecord& record);

}  // namespace flyback::report
