#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"

namespace flyback::catalogue {

// A short name that makers in different markets give to different cores: the
// catalogue's alias "EE25" is a European maker's name for the E25/13/7, while
// Chinese makers sell the EE25/19 by that name. Such a name finds no core by
// itself; the engineer is shown both and writes the full name.
struct OtherMeaning {
    std::string_view name;      // "EE25"
    std::string_view part;      // the part the other makers mean: "EE25/19"
    std::string_view makers;    // "Chinese makers"
    std::string_view makersZh;  // "国内厂商"
    std::string_view source;
    bool catalogued = false;  // the part is itself a core of the built-in catalogue
};

// Every name known to mean another core elsewhere than the catalogue's alias.
const std::vector<OtherMeaning>& OtherMeanings();

// What an ambiguous name means: the catalogue's cores it is an alias of (with
// the makers who use it so) and the parts it means elsewhere.
struct Ambiguity {
    std::vector<std::string> inCatalogue;
    std::vector<OtherMeaning> elsewhere;
};

// Nothing where `name` is not one of OtherMeanings(), or is a core's own full
// name.
std::optional<Ambiguity> AmbiguousName(const Catalogue& catalogue, std::string_view name);

}  // namespace flyback::catalogue
