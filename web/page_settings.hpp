#pragma once

// The plan's options and choices as the page's boxes hold them: read and
// checked from their texts (flyback_set_plan_options, flyback_set_plan_choices),
// kept as the page's stores, and the tables the choice boxes are built from.

#include <string>

#include "winding/options.hpp"

namespace flyback::web {

std::string OptionStore(const winding::Options& options);
std::string ChoiceStore(const winding::Choices& choices);
// The choices' numbers, the ways' captions and the outputs' columns, as the
// page builds its choice boxes from them.
std::string ChoiceNumbersJson();
std::string VorSourceCaptions();
std::string ConductionCaptions();
std::string OutputColumnsJson();

}  // namespace flyback::web
