#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winding/physics.hpp"

namespace flyback::winding {

// The engineer's own decisions on the plan's electrical design; each is
// optional, and the plan chooses what is not fixed. Without any, the plan
// designs as the press does: one output, the press's reflected voltage, the
// edge of continuous conduction at the minimum input.

// An output: its voltage, current and rectifier drop.
struct OutputLoad {
    double V = 0, I_A = 0, VF_V = physics::kRectifierDrop;
};

// Where the reflected voltage comes from.
enum class VorSource {
    Press,         // the press's Vor
    Value,         // typed
    SwitchRating,  // (derating × Vds rating − Vmax) ÷ the clamp's ratio to Vor
    MaxDuty,       // Dmax × Vmin ÷ (1 − Dmax): the controller's duty limit at the minimum input
};

// How the primary's inductance is set.
enum class Conduction {
    Boundary,    // the edge of continuous conduction at the minimum input
    Ripple,      // the ripple ratio KRP at the minimum input
    Inductance,  // Lp typed; the mode follows from it
};

// The most secondaries a plan winds besides the bias winding: more than any
// bobbin has pins for, and few enough that every front end, file and
// netlist stays small whatever it is handed.
inline constexpr std::size_t kMostOutputs = 12;

// A clamp far above Vor only wastes the switch's rating.
inline constexpr double kHighestClampRatio = 10;

struct Choices {
    // The first is regulated (the feedback winding); none: one output of the
    // press's Vo at P ÷ Vo.
    std::vector<OutputLoad> outputs;
    // The bias winding's load; its voltage is the plan's bias option.
    double biasI_A = 0, biasVF_V = physics::kBiasDiodeDrop;

    VorSource vorSource = VorSource::Press;
    double Vor_V = 0;  // Value
    // SwitchRating: the switch sees Vmax + the clamp's voltage, clampRatio × Vor.
    double VdsRating_V = 0, derating = 0.8, clampRatio = 1.5;
    double Dmax = 0;  // MaxDuty

    Conduction conduction = Conduction::Boundary;
    double KRP = 1;   // Ripple
    double Lp_H = 0;  // Inductance

    // Fixed turns: the primary and the regulated output's winding (and the
    // bias winding's); none: chosen from Bmax.
    int Np = 0, Ns = 0;
    std::optional<int> Naux;

    std::optional<double> Vclamp_V;  // none: Vor + the press's spike allowance
    std::optional<double> Ilimit_A;  // the controller's current limit; none: 1.3 × the peak

    bool FixedTurns() const { return Np > 0; }
    // Anything beyond what the press designs.
    bool Any() const;
};

// What is wrong with a set of choices, as data; each front end words it.
struct ChoiceProblem {
    enum class Kind {
        None,
        Output,       // an output's voltage not above zero, its current or drop below
                      // zero, or its drop not below its voltage
        Outputs,      // more than kMostOutputs outputs (count: how many)
        Bias,         // the bias load's current or drop below zero
        Vor,          // a reflected voltage not above zero
        Rating,       // a switch rating not above zero, a derating not in (0, 1], a
                      // clamp ratio not in (1, 10]
        Duty,         // a duty limit not in (0, 1)
        Ripple,       // a ripple ratio not in (0, 1]
        Inductance,   // an inductance not above zero
        Turns,        // turns below one, or a secondary's turns without the primary's
        TurnsAndVor,  // fixed turns beside a typed Vor or a duty limit, which they fix too
        Clamp,        // a clamp voltage not above zero
        CurrentLimit  // a current limit not above zero
    };
    Kind kind = Kind::None;
    int output = 0;         // for Output: which, from 0
    std::size_t count = 0;  // for Outputs: how many were given

    explicit operator bool() const { return kind != Kind::None; }
};

ChoiceProblem CheckChoices(const Choices& choices);

// "电流限值须大于 0。": a problem as the window and the page say it.
std::string ChoiceProblemCaption(const ChoiceProblem& problem);

// Reads "V:I[:VF]" (an output or the bias load; the drop defaults to
// `defaultVF`) and "NP:NS[:NAUX]"; nothing when the text is not of that form
// or a number is not one.
std::optional<OutputLoad> ReadOutputLoad(std::string_view text, double defaultVF);
bool ReadTurns(std::string_view text, Choices& choices);

}  // namespace flyback::winding
