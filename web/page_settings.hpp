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
// unit, its default as a box shows it (empty where it may be unset), what
// an empty box means and whether it is the insulation's.
std::string NumberOptionsJson();
// The list options' table, as the number options': each one's key, caption,
// its values' captions in the order the list shows them and their places,
// its default's place, and whether it is the insulation's.
std::string ListOptionsJson();
std::string VorSourceCaptions();
std::string ConductionCaptions();
std::string OutputColumnsJson();

}  // namespace flyback::web
