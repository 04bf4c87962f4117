#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "record/design_record.hpp"

namespace flyback::report {

// The record as tab-separated rows that paste into a spreadsheet as a table:
// a heading row, then one row for each input, each result box in screen order
// and each quantity reached, with four columns: caption, text, value, unit.
// Line feeds and tabs inside a text become blanks, so every row stays a row.
std::string TabSeparated(const record::DesignRecord& record);

// One such row: the cells joined by tabs, a cell a spreadsheet would run as a
// formula kept as text, tabs and line feeds in a cell made blanks.
void TabSeparatedRow(std::string& out, std::initializer_list<std::string_view> cells);

}  // namespace flyback::report
