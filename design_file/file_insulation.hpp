#pragma once

#include <string>
#include <vector>

#include "design_file/document.hpp"
#include "winding/options.hpp"

namespace flyback::design_file {

// Another tool's insulation requirements (MAS designRequirements.insulation)
// as the plan's insulation: every MAS type (supplementary asks what basic
// does, double what reinforced does, as IEC 62368-1 grades them), the mains,
// the overvoltage category, the pollution degree, the material group and the
// altitude. What the plan reads differently is said in `notes`; a value MAS
// does not have is refused (Unreadable, at its path), and one beyond the
// tables is the plan's to refuse.
winding::Insulation InsulationOf(const Reader& requirements, std::vector<std::string>& notes);

}  // namespace flyback::design_file
