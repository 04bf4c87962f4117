#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "design_file/document.hpp"

namespace flyback::design_file {

// The source of a part taken as another tool's file describes it.
inline constexpr std::string_view kGivenByTheFile = "the design file's own description";

// A core another tool's file describes but the catalogue does not name: its
// effective parameters as the file processed them, its winding window and
// mean turn from the file's bobbin (else the bare core's window), named by
// its shape. Nothing where the file gives no effective parameters; a figure
// no real core has is refused (Unreadable, at its path).
std::optional<catalogue::Core> CoreAsGiven(const Reader& core, const Reader& coil);

// The catalogue's core of the same effective area, path and volume (each
// within 1 %), where there is one: the same part under another name.
const catalogue::Core* CoreOfTheSameSize(const catalogue::Catalogue& parts,
                                         const catalogue::Core& given);

// A material embedded in the file (MAS allows it in place of a name): its
// initial permeability nearest 25 °C, its saturation at 25 and 100 °C, and
// its Steinmetz ranges. Nothing where it has no Steinmetz ranges to price its
// loss by; a figure no real material has (a permeability of 0, a negative
// coefficient, an exponent that makes every loss 0) is refused (Unreadable,
// at its path).
std::optional<catalogue::Material> MaterialAsGiven(const Reader& material);

// The catalogue's material whose Steinmetz ranges are the given ones (each
// coefficient within 1e-6 of its value): the same data under another name.
const catalogue::Material* MaterialOfTheSameLoss(const catalogue::Catalogue& parts,
                                                 const catalogue::Material& given);

}  // namespace flyback::design_file
