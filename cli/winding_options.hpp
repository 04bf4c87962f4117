#pragma once

#include <CLI/CLI.hpp>
#include <array>
#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "winding/options.hpp"

namespace flyback::cli {

// --winding and the plan's options as typed.
struct WindingFlags {
    bool on = false;
    bool tiw = false, margins = false;
    std::string core, families, material;
    std::string coreDims;  // a core by its drawing's letters
    // The options that are numbers, by the table's rows.
    std::array<std::string, std::size(winding::kNumberOptions)> numberTexts;
    std::string& Number(winding::NumberOption o) {
        return numberTexts[static_cast<std::size_t>(o)];
    }
    const std::string& Number(winding::NumberOption o) const {
        return numberTexts[static_cast<std::size_t>(o)];
    }
    // The electrical design's choices.
    std::vector<std::string> outputs;
    std::string bias, turns;
    bool qr = false;      // valley-switched
    bool stack = false;   // the outputs stacked on their return
    std::string valleys;  // K[:L]
    // The choices that are numbers, by the table's rows (those with a flag).
    std::array<std::string, std::size(winding::kChoiceNumbers)> choiceTexts;
    std::string& Choice(winding::ChoiceNumber c) {
        return choiceTexts[static_cast<std::size_t>(c)];
    }
    const std::string& Choice(winding::ChoiceNumber c) const {
        return choiceTexts[static_cast<std::size_t>(c)];
    }
    // The options that are one of a list, by the table's rows.
    std::array<std::string, std::size(winding::kListOptions)> listTexts;
    std::string& List(winding::ListOption o) { return listTexts[static_cast<std::size_t>(o)]; }
    const std::string& List(winding::ListOption o) const {
        return listTexts[static_cast<std::size_t>(o)];
    }
    std::string pins;  // the build sheet's, as typed
};

// Whether any of the plan's options or choices is given (--winding aside).
bool AnyPlanOption(const WindingFlags& flags);

// --core-dims: the core its letters give, added to `parts` and named as the
// plan's core in `flags`; the refusal naming the letter or the figure, else
// empty.
std::string ReadCoreDims(WindingFlags& flags, catalogue::Catalogue& parts);

// Adds --winding and its options, each of which needs it.
void AddWindingOptions(CLI::App& app, WindingFlags& flags);

// The options read from the flags into `options`; what is wrong, in one line,
// or empty.
std::string ReadWindingOptions(const WindingFlags& flags, const catalogue::Catalogue& parts,
                               winding::Options& options);

// A problem with the plan's options in the command line's own words, naming
// its flag: "--bmax must be from 0.01 to 1 T".
std::string OptionProblemLine(const winding::OptionProblem& problem);
std::string ChoiceProblemLine(const winding::ChoiceProblem& problem);

// A choice's bounds as its flag takes them (as held: the litz's saving a
// share, not %): "from 1.01 to 10".
std::string FlagBoundsText(const winding::ChoiceNumberInfo& row);

}  // namespace flyback::cli
