#pragma once

#include <variant>

#include "catalogue/catalogue.hpp"
#include "catalogue/part_bounds.hpp"
#include "core_geometry/section_method.hpp"

namespace flyback::catalogue {

// A core typed by its drawing's letters, for a shape the catalogue lacks
// (EE28, EE40 …): its effective parameters by the section method and its
// bare window to wind in. No bobbin or mean turn is known, so, as for the
// catalogue's cores without a bobbin, copper loss and temperature stay
// unknown and it is never chosen by itself. Impossible letters, or
// parameters beyond any real part's, are the refusal.
// A core of those effective parameters wound in its bare window: along the
// centre leg its height, radially its width; no bobbin, no mean turn.
Core InItsBareWindow(const core_geometry::Effective& e);

using TypedCoreProblem = std::variant<core_geometry::LetterProblem, PartProblem>;
std::variant<Core, TypedCoreProblem> TypedCore(const core_geometry::TypedShape& shape);

// A core named by its letters ("E A=25.3 B=9.5 …", as a typed core is named)
// that `parts` lacks, made and added, so that a design kept by that name
// plans again; whether `parts` has a core of that name now. A name that is
// no such core is left to the catalogue's own lookup.
bool AddTypedCore(Catalogue& parts, std::string_view name);

}  // namespace flyback::catalogue
