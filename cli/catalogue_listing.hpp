#pragma once

#include <ostream>

#include "catalogue/catalogue.hpp"

namespace flyback::cli {

enum class Listing { Cores, Materials, Wires };

// flyback-calc --cores, --materials, --wires: the catalogue as a table, or
// with `json` as one JSON array. The built-in parts and the user's own.
void ListCatalogue(const catalogue::Catalogue& parts, Listing listing, bool json,
                   std::ostream& out);

}  // namespace flyback::cli
