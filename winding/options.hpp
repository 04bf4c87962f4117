#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"

namespace flyback::winding {

// What the engineer chooses for the winding plan; the defaults are those of a
// usual offline flyback on a power ferrite.
struct Options {
    std::string core;                   // a catalogue part; empty: chosen (the smallest that holds)
    std::vector<std::string> families;  // allowed for the choice ("E", "ETD", ...); empty: all
    std::string material{catalogue::kDefaultMaterial};
    double Bmax_T = 0.30;          // the peak flux density designed to
    double J_A_mm2 = 5;            // copper current density
    double fillMax = 0.35;         // copper area over the bobbin's window
    std::optional<double> Vaux_V;  // a bias winding's output; none by default
    double leakage = 0.02;         // leakage inductance as a fraction of the primary's
    double ambient_C = 40;
    bool tripleInsulatedSecondary = false;
};

// What is wrong with `options` for `parts`, in one line ("--bmax must be above
// 0 T"); empty when nothing is. The plan is made only from options that pass.
std::string OptionsProblem(const Options& options, const catalogue::Catalogue& parts);

}  // namespace flyback::winding
