#pragma once

#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"

// The MnZn ferrites of OpenMagnetics' MAS material data that the
// catalogue's own rows do not hold, each with its Steinmetz ranges as
// stored, µi, saturation at 25 °C and 100 °C and its Curie point. Read at
// build time only: the program carries the result as tables.
namespace flyback::catalogue {

// Every material of `text` (one JSON record a line) with a Steinmetz fit,
// but those `sourced` already names and those the data names twice (which
// record is meant cannot be told). A range no real ferrite's loss follows
// (an exponent, or its loss at 100 kHz, 100 mT and 100 °C, beyond the
// bounds a user's file is held to) is left out and named in `leftOut`, and
// the material with it where none is left. A line that is not JSON is named
// in `problems`; `file` is how each row's source names the data. A sourced
// row whose two saturation figures are its record's (to 0.1 mT) gains that
// record's further saturation points, and its source says so.
struct ComputedMaterialRows {
    std::vector<Material> materials;
    std::vector<std::string> leftOut;
};
ComputedMaterialRows ComputedMaterials(const std::string& text, const std::string& file,
                                       std::vector<Material>& sourced,
                                       std::vector<std::string>& problems);

}  // namespace flyback::catalogue
