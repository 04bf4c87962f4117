#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "numtext/boxes.hpp"
#include "numtext/run_calculation.hpp"
#include "winding/plan.hpp"

namespace flyback::cli {

// --sweep NAME=FROM:TO:POINTS: one input stepped evenly from FROM to TO, both
// included, in the unit its box takes (kHz for f, % for eta).
struct SweepSpec {
    numtext::Input input = numtext::Input::Power;
    double from = 0, to = 0;
    int points = 0;
};

inline constexpr int kMaxSweepPoints = 100000;

// The specification read from its text, or what is wrong with it in `problem`.
std::optional<SweepSpec> ReadSweep(std::string_view text, std::string& problem);

// The text the swept box holds at point `index`: the shortest that reads back
// as FROM + (TO − FROM) × index ÷ (POINTS − 1).
std::string SweepText(const SweepSpec& spec, int index);

// The sweep as CSV: a header of symbols as --details names them (every
// quantity of the design, then, with a plan, the plan's), then a line for each
// point, each press exactly what the same texts give alone, numbers in full
// precision, a cell empty where a quantity was not reached; the last column
// the fault's kind, if any.
struct SweepPlan {
    const winding::Options& options;
    const catalogue::Catalogue& parts;
};
void WriteSweep(const SweepSpec& spec, numtext::InputTexts texts,
                const std::optional<SweepPlan>& plan, std::ostream& out);

}  // namespace flyback::cli
