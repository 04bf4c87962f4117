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
// The number options' table for the page's boxes: each one's key, caption,
// unit, its default as a box shows it (empty where it may be unset) and what
// an empty box means.
std::string NumberOptionsJson();
std::string VorSourceCaptions();
std::string ConductionCaptions();
std::string OutputColumnsJson();

}  // namespace flyback::web
