#pragma once

#include <optional>
#include <vector>

#include "cross_regulation/circuit.hpp"

namespace flyback::cross_regulation {

// A corner of the loads: each rail full or at its least load.
struct LoadCorner {
    std::vector<bool> full;   // each rail's
    std::vector<double> I_A;  // its load there
    std::vector<double> V;    // each rail's voltage; empty where it did not settle
};

struct Regulation {
    std::vector<Rail> rails;
    std::vector<LoadCorner> corners;
    // Each rail's lowest and highest voltage over the corners, and their
    // share from its set voltage, %.
    std::vector<double> lowest_V, highest_V, lowest_pct, highest_pct;
};

// Up to this many rails every corner of their loads is run; beyond, all
// full, all least, and each rail alone at either end.
inline constexpr std::size_t kMostRailsInFull = 4;

// The corners of the loads for `rails` in the order they are run, the
// regulated rail's first.
std::vector<std::vector<bool>> CornersOf(std::size_t rails);

// The rails' voltages at every corner of the loads (CornersOf, a rail whose
// least load is its full one only full), from the plan's build;
// none with a single rail (nothing to regulate across) or where the build
// gives no leakage.
std::optional<Regulation> CrossRegulation(const winding::Plan& plan);

// The band each output should hold, %, both ways: the plan's choice.
inline double RegulationBand_pct(const winding::Plan& plan) {
    return plan.options.choices.regulationBand_pct;
}

}  // namespace flyback::cross_regulation
