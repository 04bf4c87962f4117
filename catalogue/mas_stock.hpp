#pragma once

#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"

// The two-piece sets of OpenMagnetics' MAS stock data, each with its
// cheapest distributor's price. Read at build time only.
namespace flyback::catalogue {

// Every set of `text` (one JSON record a line) with a price; `file` is how
// each row's source names the data. A line that is not JSON is named in
// `problems`.
std::vector<StockPart> StockParts(const std::string& text, const std::string& file,
                                  std::vector<std::string>& problems);

}  // namespace flyback::catalogue
