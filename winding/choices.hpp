#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winding/choice_table.hpp"
#include "winding/physics.hpp"
#include "winding/valley_switching.hpp"

namespace flyback::winding {

// The engineer's own decisions on the plan's electrical design; each is
// optional, and the plan chooses what is not fixed. Without any, the plan
// designs as the press does: one output, the press's reflected voltage, the
// edge of continuous conduction at the minimum input.

// An output: its voltage, current and rectifier drop, and the least load it
// runs at (none: a tenth of its current), where its voltage is judged
// against the others' loads.
struct OutputLoad {
    double V = 0, I_A = 0, VF_V = physics::kRectifierDrop;
    std::optional<double> Imin_A = std::nullopt;
};

constexpr const ChoiceNumberInfo& Info(ChoiceNumber choice) {
    return kChoiceNumbers[static_cast<std::size_t>(choice)];
}

// A row that counts (layers, turns, a valley): whole numbers only.
constexpr bool IsCount(const ChoiceNumberInfo& row) {
    return row.decimals == 0 && row.shownPerHeld == 1 && row.isDefault;
}

// The winder's rules among the choices, in the table's order.
inline constexpr ChoiceNumber kWinderRules[] = {
    ChoiceNumber::FinestStrand,  ChoiceNumber::MostLayers, ChoiceNumber::LitzGain,
    ChoiceNumber::LitzCurrent,   ChoiceNumber::FoilTurns,  ChoiceNumber::FoilCurrent,
    ChoiceNumber::OneWireCurrent};

// The ways of fixing Vor and of setting Lp, in their enumerations' order: a
// list's caption and the names the design file and the JSON answer give them.
struct WayInfo {
    std::string_view caption, fileName, jsonName;
};
inline constexpr WayInfo kVorSources[] = {{"按原计算", "press", "press"},
                                          {"指定 Vor", "value", "value"},
                                          {"由开关管耐压", "switchRating", "switch_rating"},
                                          {"由最大占空比", "maxDuty", "max_duty"}};
inline constexpr WayInfo kConductions[] = {{"临界", "boundary", "boundary"},
                                           {"纹波系数 KRP", "ripple", "ripple"},
                                           {"指定 Lp", "inductance", "inductance"},
                                           {"准谐振", "quasiResonant", "quasi_resonant"}};

// An output's columns: voltage, current, rectifier drop, least load; a new
// output's values are each column's first, or blank where the column may be
// (`blank`: what a blank cell stands for).
struct OutputColumnInfo {
    std::string_view caption, unit;
    double low, high, first;
    int decimals;
    double step;
    std::string_view fileKey;
    std::string_view blank;
};
inline constexpr OutputColumnInfo kOutputColumns[] = {
    {"电压", "V", 0.1, 1000, 12, 2, 1, "V", ""},
    {"电流", "A", 0, 1000, 1, 3, 0.1, "I", ""},
    {"整流管压降", "V", 0, 10, physics::kRectifierDrop, 2, 0.1, "VF", ""},
    {"最小负载", "A", 0, 1000, 0, 3, 0.01, "Imin", "10 %"},  // of full
};
inline constexpr std::size_t kLeastLoadColumn = 3;

// The most turns a box or a file gives a winding, and the most a plan
// counts to.
inline constexpr int kMostTurns = 100000;

// The most secondaries a plan winds besides the bias winding: more than any
// bobbin has pins for, and few enough that every front end, file and
// netlist stays small whatever it is handed.
inline constexpr std::size_t kMostOutputs = 12;

// How a shop winds, each a limit on the conductor the plan chooses (the
// rows above give their defaults and bounds). Counts are held as numbers,
// as every choice is.
struct WinderRules {
    double finestStrand_mm = Info(ChoiceNumber::FinestStrand).first;
    double mostLayers = Info(ChoiceNumber::MostLayers).first;
    double litzLeastGain =
        Info(ChoiceNumber::LitzGain).first / Info(ChoiceNumber::LitzGain).shownPerHeld;
    double litzLeastCurrent_A = Info(ChoiceNumber::LitzCurrent).first;
    double foilMostTurns = Info(ChoiceNumber::FoilTurns).first;
    double foilLeastCurrent_A = Info(ChoiceNumber::FoilCurrent).first;
    double oneWireBelow_A = Info(ChoiceNumber::OneWireCurrent).first;
    bool operator==(const WinderRules&) const = default;
};

struct Choices {
    // The first is regulated (the feedback winding); none: one output of the
    // press's Vo at P ÷ Vo.
    std::vector<OutputLoad> outputs;
    // The bias winding's load; its voltage is the plan's bias option.
    double biasI_A = Info(ChoiceNumber::BiasCurrent).first,
           biasVF_V = Info(ChoiceNumber::BiasDrop).first;

    VorSource vorSource = VorSource::Press;
    double Vor_V = 0;  // Value
    // SwitchRating: the switch sees Vmax + the clamp's voltage, clampRatio × Vor.
    double VdsRating_V = 0, derating = Info(ChoiceNumber::Derating).first,
           clampRatio = Info(ChoiceNumber::ClampRatio).first;
    double Dmax = 0;  // MaxDuty

    Conduction conduction = Conduction::Boundary;
    double KRP = 1;   // Ripple
    double Lp_H = 0;  // Inductance
    // QuasiResonant: the drain's capacitance, the valley switched in at full
    // load and the deepest the controller waits for to keep within fmax.
    // None: the switch's Coss and what the build adds, which the plan finds
    // from its layers and keeps in buildDrain_F as it settles (not a choice).
    std::optional<double> Cds_F;
    double Coss_F = Info(ChoiceNumber::Coss).first / Info(ChoiceNumber::Coss).shownPerHeld;
    double regulationBand_pct = Info(ChoiceNumber::RegulationBand).first;
    double buildDrain_F = 0;
    double valley = 1, lastValley = 1;
    std::optional<double> fmax_Hz;

    // Fixed turns: the primary and the regulated output's winding (and the
    // bias winding's); none: chosen from Bmax.
    int Np = 0, Ns = 0;
    std::optional<int> Naux;

    // The worst corner's flux is held below the hot saturation by this much.
    double minSaturationMargin = Info(ChoiceNumber::SaturationMargin).first;
    double tOnMin_s =
        Info(ChoiceNumber::MinimumOnTime).first / Info(ChoiceNumber::MinimumOnTime).shownPerHeld;

    std::optional<double> Vclamp_V;  // none: Vor + the press's spike allowance
    std::optional<double> Ilimit_A;  // the controller's current limit; none: 1.3 × the peak

    WinderRules rules;

    bool FixedTurns() const { return Np > 0; }
    // How the switch is valley-switched; none at a fixed frequency. A last
    // valley before the first waits for no deeper one.
    std::optional<Resonance> Switching() const;
    // The same as a plan runs it at its design frequency: where no fmax is
    // typed, the controller is assumed to clamp at kAssumedFmaxOfDesign × f,
    // waiting for valleys as deep as kDeepestValley unless a deepest is typed.
    std::optional<Resonance> SwitchingAt(double designFrequency_Hz) const;
    // Anything beyond what the press designs.
    bool Any() const;
};

// What is wrong with a set of choices, as data; each front end words it.
struct ChoiceProblem {
    enum class Kind {
        None,
        Output,        // an output's voltage not above zero, its current or drop below
                       // zero, or its drop not below its voltage
        Outputs,       // more than kMostOutputs outputs (count: how many)
        Bias,          // the bias load's current or drop below zero
        Vor,           // a reflected voltage not above zero
        Rating,        // a switch rating not above zero, a derating not in (0, 1], a
                       // clamp ratio not in (1, 10]
        Duty,          // a duty limit not in (0, 1)
        Ripple,        // a ripple ratio not in (0, 1]
        Inductance,    // an inductance not above zero
        Turns,         // turns below one, or a secondary's turns without the primary's
        TurnsAndVor,   // fixed turns beside a typed Vor or a duty limit, which they fix too
        Clamp,         // a clamp voltage not above zero
        CurrentLimit,  // a current limit not above zero
        Resonance,     // a capacitance not above zero, a valley not whole from 1 to 20, or
                       // an fmax not above zero
        Margin,        // a saturation margin not from 1 to 2
        OnTime,        // a minimum on-time not from 10 ns to 5 µs
        Bounds         // any other number beyond its row's bounds, or a count not whole
    };
    Kind kind = Kind::None;
    int output = 0;                                    // for Output: which, from 0
    std::size_t count = 0;                             // for Outputs: how many were given
    ChoiceNumber number = ChoiceNumber::FinestStrand;  // for Bounds: which

    explicit operator bool() const { return kind != Kind::None; }
};

ChoiceProblem CheckChoices(const Choices& choices);

// Whether a value, as held, lies within its row's bounds (as shown): what
// every front end, file and the plan accept alike.
bool WithinRow(ChoiceNumber choice, double held);

// "电流限值须大于 0。": a problem as the window and the page say it.
std::string ChoiceProblemCaption(const ChoiceProblem& problem);

// Whether a choice's way is the one taken (a row of no way always is): a
// way's numbers are the choice only then (KRP is 1 at the edge, Vor 0 unless
// typed), so only then are they read, kept or reported.
bool WayTaken(const ChoiceNumberInfo& info, const Choices& choices);

// A choice's value as held (Lp in H); nothing for one that is unset (no
// clamp voltage or current limit given).
std::optional<double> HeldValue(const Choices& choices, ChoiceNumber choice);
void SetHeldValue(Choices& choices, ChoiceNumber choice, std::optional<double> held);

// Reads "K[:L]", the valley switched in and the deepest waited for (L as K
// where not given, never before K); false where it is not of that form.
bool ReadValleys(std::string_view text, Choices& choices);

// Reads "V:I[:VF[:Imin]]" (an output or the bias load; the drop defaults to
// `defaultVF`) and "NP:NS[:NAUX]"; nothing when the text is not of that form
// or a number is not one.
std::optional<OutputLoad> ReadOutputLoad(std::string_view text, double defaultVF);
// The row a new output starts as, so that the rows add up to the press's
// power: the first the press's own output (Vout at P ÷ Vout), each further
// one at the voltage column's first value taking the power the rows before
// leave (a tenth of the power where they leave none), its current to the
// column's decimals; the columns' own first values where the press gave no
// power or voltage above zero.
OutputLoad NewOutput(const std::vector<OutputLoad>& rows, std::optional<double> P_W,
                     std::optional<double> Vo_V);
bool ReadTurns(std::string_view text, Choices& choices);

}  // namespace flyback::winding
