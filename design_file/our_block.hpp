#pragma once

// Our own block of a design file: the boxes' texts, the plan's options and
// choices and the sheet's pins, as this program keeps them beside the MAS
// document, written and read back exactly.

#include <array>
#include <string>
#include <string_view>

#include "catalogue/catalogue.hpp"
#include "design_file/design_file.hpp"
#include "design_file/document.hpp"

namespace flyback::design_file {

Value OurBlock(Allocator& a, const Design& design);
// Throws Unreadable for a field missing or of the wrong kind.
Design ReadOurs(const Reader& block);
// What is wrong with a restored design's values, in Chinese; empty when none.
std::string ValuesProblem(const Design& design, const catalogue::Catalogue& parts);

}  // namespace flyback::design_file
