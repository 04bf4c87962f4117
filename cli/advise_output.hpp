#pragma once

#include <ostream>
#include <string>

#include "advise/advise.hpp"

namespace flyback::cli {

// For a terminal: what was weighed and dropped, the top candidates as a
// table, and the front.
void PrintAdvice(const advise::Advice& advice, std::ostream& out);

}  // namespace flyback::cli
