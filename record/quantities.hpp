#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "numtext/run_calculation.hpp"

namespace flyback::record {

// One quantity of the design chain, as every output of a record shows it.
struct Quantity {
    std::string_view symbol;
    std::string_view name;  // Simplified Chinese
    std::string_view unit;  // empty for fractions and the core type
    // What gives it, in the symbols: each symbol written {X}, so that the
    // formula can be shown with the symbols or with a press's numbers.
    std::string_view formula;
    // Its value in a press, design::kNotReached when the press stopped before
    // it; nullptr for the one text-valued quantity, the core type.
    double (*value)(const numtext::PressTrace&);
};

// The chain in the order it is computed. The symbols, units and order are an
// interface (flyback-calc --details); add at the end, never reorder.
extern const std::array<Quantity, 22> kQuantities;

// The quantity shown in result box `box` (0 to 6).
const Quantity& ResultQuantity(int box);

const Quantity* FindQuantity(std::string_view symbol);

}  // namespace flyback::record
