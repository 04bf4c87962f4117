#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"

// The shapes of OpenMagnetics' MAS data the catalogue's own rows do not
// hold, each computed from its drawing's letters by the section method and
// wound on the first bobbin the data makes for it that fits its window.
// Read at build time only: the program carries the result as tables.
namespace flyback::catalogue {

struct MasFiles {
    std::string shapesText, bobbinsText;
    std::string shapesName, bobbinsName;  // as each row's source names them
};

// Cores for every two-piece shape of the families the section method
// computes, but those on the shapes' lines `takenLines` (which the sourced
// rows give with their data sheets' figures). A name `sourced` already
// answers to is not taken again. A shape the data gives without a letter
// its family needs is left out and named in `leftOut` (no letter is made
// up); one whose letters give no core, or a line that is not JSON, is named
// in `problems`.
struct Computed {
    std::vector<Core> cores;
    std::vector<std::string> leftOut;
};
Computed ComputedCores(const MasFiles& files, const std::vector<Core>& sourced,
                       const std::set<int>& takenLines, std::vector<std::string>& problems);

// The market names `marketCsv` (market_names.csv) maps to one MAS shape,
// each added as an alias of the core with that shape where no core answers
// to it yet and no maker is known to mean another core by it; its row is
// named in the core's source.
void AddMarketNames(const std::string& marketCsv, const std::string& file,
                    std::vector<Core>& cores);

}  // namespace flyback::catalogue
