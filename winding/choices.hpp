#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // Switched in a valley of the drain's ring: the frequency is the lowest,
    // at the minimum input and full load, and rises with line and falls with load.
    QuasiResonant,
};

// A controller counts the ring's valleys up to a handful; beyond these the
// ring has died away.
inline constexpr double kDeepestValley = 20;

// A quasi-resonant controller without a typed clamp is assumed to hold its
// frequency to twice the design's: light load then moves to deeper valleys
// instead of running on upwards, as every such controller does somewhere.
inline constexpr double kAssumedFmaxOfDesign = 2;

// A clamp far above Vor only wastes the switch's rating.
inline constexpr double kHighestClampRatio = 10;

// The choices that are numbers.
enum class ChoiceNumber {
    BiasCurrent,
    BiasDrop,
    Vor,
    VdsRating,
    Derating,
    ClampRatio,
    Dmax,
    Krp,
    Lp,
    Clamp,
    Ilimit,
    Cds,
    Valley,
    LastValley,
    Fmax,
    SaturationMargin,
    MinimumOnTime,
    FinestStrand,
    MostLayers,
    LitzGain,
    LitzCurrent,
    FoilTurns,
    FoilCurrent,
    OneWireCurrent,
    Coss,
    RegulationBand
};

// One table for every front end and file: the command line's flag and help,
// the caption a box is read by, its unit, limits, first value and step, and
// the names the design file, the window's settings and the JSON answer keep
// it under. The command line, the window, the page and the design file read
// each choice through it; a new choice is a new row.
struct ChoiceNumberInfo {
    ChoiceNumber choice;
    std::string_view flag;     // "--vor"; empty where a flag of several fields gives it (--bias)
    std::string_view needs;    // the flag it qualifies ("--vds-rating"); empty: --winding
    std::string_view help;     // the command line's help after "with --winding: "
    std::string_view caption;  // a box's name, as shown and as a screen reader reads it
    std::string_view unit;     // as shown; empty for a ratio
    double shownPerHeld;       // 1e6 for the inductance, held in H and shown in µH
    double low, high;          // a box's limits, as shown
    // What a box shows first, as shown; where `isDefault`, also what the plan
    // takes when the choice is not given.
    double first;
    bool isDefault;
    int decimals;
    double step;                         // an arrow's change, as shown
    std::string_view none;               // a box left empty means this (the plan's own value)
    std::string_view fileKey;            // the design file's
    std::string_view keptKey;            // the window's settings and the page's store
    std::string_view jsonKey;            // the JSON answer's, where it reports the choice as given
    std::optional<VorSource> vorSource;  // the way of fixing Vor it belongs to
    std::optional<Conduction> conduction;  // the way of setting Lp it belongs to
};

inline constexpr ChoiceNumberInfo kChoiceNumbers[] = {
    {ChoiceNumber::BiasCurrent,
     "",
     "",
     "",
     "辅助绕组负载电流",
     "A",
     1,
     0,
     10,
     0,
     true,
     3,
     0.01,
     "",
     "biasI",
     "biasCurrent",
     "",
     {},
     {}},
    {ChoiceNumber::BiasDrop,
     "",
     "",
     "",
     "辅助绕组整流管压降",
     "V",
     1,
     0,
     10,
     physics::kBiasDiodeDrop,
     true,
     2,
     0.1,
     "",
     "biasVF",
     "biasDrop",
     "",
     {},
     {}},
    {ChoiceNumber::Vor,
     "--vor",
     "",
     "the reflected voltage, V (default: the press's)",
     "反射电压 Vor",
     "V",
     1,
     1,
     2000,
     100,
     false,
     1,
     1,
     "",
     "vor",
     "vor",
     "",
     VorSource::Value,
     {}},
    {ChoiceNumber::VdsRating,
     "--vds-rating",
     "",
     "Vor from the switch's rating: (derating x rating - Vmax) / clamp ratio, V",
     "开关管耐压",
     "V",
     1,
     10,
     3000,
     650,
     false,
     0,
     10,
     "",
     "vdsRating",
     "vdsRating",
     "",
     VorSource::SwitchRating,
     {}},
    {ChoiceNumber::Derating,
     "--derating",
     "--vds-rating",
     "the derating factor",
     "降额",
     "",
     1,
     0.1,
     1,
     0.8,
     true,
     2,
     0.05,
     "",
     "derating",
     "derating",
     "derating",
     VorSource::SwitchRating,
     {}},
    {ChoiceNumber::ClampRatio,
     "--clamp-ratio",
     "--vds-rating",
     "the clamp voltage over Vor, 1.01 to 10",
     "钳位电压/Vor",
     "",
     1,
     1.01,
     kHighestClampRatio,
     1.5,
     true,
     2,
     0.05,
     "",
     "clampRatio",
     "clampRatio",
     "clamp_ratio",
     VorSource::SwitchRating,
     {}},
    {ChoiceNumber::Dmax,
     "--dmax",
     "",
     "Vor from the controller's duty limit at Vmin",
     "最大占空比",
     "",
     1,
     0.05,
     0.95,
     0.45,
     false,
     2,
     0.01,
     "",
     "dmax",
     "dmax",
     "Dmax_limit",
     VorSource::MaxDuty,
     {}},
    {ChoiceNumber::Krp,
     "--krp",
     "",
     "the primary current's ripple ratio at Vmin, 0 < KRP <= 1 (1: the edge)",
     "纹波系数 KRP",
     "",
     1,
     0.05,
     1,
     0.6,
     false,
     2,
     0.05,
     "",
     "krp",
     "krp",
     "",
     {},
     Conduction::Ripple},
    {ChoiceNumber::Lp,
     "--lp",
     "",
     "the primary inductance, H; the mode follows from it",
     "初级电感 Lp",
     "µH",
     1e6,
     1,
     1e6,
     1000,
     false,
     1,
     10,
     "",
     "lp",
     "lpMicrohenry",
     "",
     {},
     Conduction::Inductance},
    {ChoiceNumber::Clamp,
     "--clamp",
     "",
     "the clamp voltage, V (default: Vor + Vspike)",
     "钳位电压",
     "V",
     1,
     1,
     3000,
     200,
     false,
     1,
     1,
     "Vor + Vspike",
     "clamp",
     "clamp",
     "V_clamp",
     {},
     {}},
    {ChoiceNumber::Ilimit,
     "--ilimit",
     "",
     "the controller's current limit, A (1.3 x Ipk)",
     "限流值",
     "A",
     1,
     0.001,
     1000,
     1,
     false,
     3,
     0.1,
     "1.3 × Ipk",
     "ilimit",
     "limit",
     "",
     {},
     {}},
    {ChoiceNumber::Cds,
     "--cds",
     "",
     "quasi-resonant: the drain's whole capacitance, F (by default --coss and the build's own)",
     "漏源电容 Cds",
     "pF",
     1e12,
     1,
     100000,
     100,
     false,
     0,
     10,
     "Coss＋绕组",
     "cds",
     "cdsPicofarad",
     "Cds_F",
     {},
     Conduction::QuasiResonant},
    // The valleys are read from --valley K[:L], a field each.
    {ChoiceNumber::Valley,
     "",
     "",
     "",
     "开通谷底",
     "",
     1,
     1,
     kDeepestValley,
     1,
     true,
     0,
     1,
     "",
     "valley",
     "valley",
     "valley",
     {},
     Conduction::QuasiResonant},
    {ChoiceNumber::LastValley,
     "",
     "",
     "",
     "最深谷底",
     "",
     1,
     1,
     kDeepestValley,
     1,
     true,
     0,
     1,
     "",
     "lastValley",
     "lastValley",
     "last_valley",
     {},
     Conduction::QuasiResonant},
    {ChoiceNumber::Fmax,
     "--fmax",
     "",
     "quasi-resonant: the controller's frequency clamp, Hz; a deeper valley keeps within it",
     "最高频率 fmax",
     "kHz",
     1e-3,
     1,
     10000,
     130,
     false,
     1,
     10,
     "不限",
     "fmax",
     "fmaxKilohertz",
     "fmax_Hz",
     {},
     Conduction::QuasiResonant},
    // Ferrite's saturation falls steeply with heat and varies from lot to
    // lot: a tenth kept in hand at the worst corner is the usual margin.
    {ChoiceNumber::SaturationMargin,
     "--saturation-margin",
     "",
     "the least saturation margin at the worst corner (Bsat at the hot spot over its flux), 1 to 2",
     "最小饱和余量",
     "",
     1,
     1,
     2,
     1.1,
     true,
     2,
     0.05,
     "",
     "saturationMargin",
     "saturationMargin",
     "min_saturation_margin",
     {},
     {}},
    // A controller blanks its current sense for a few hundred nanoseconds
    // after turn-on (the drain's ring would trip it): the switch cannot turn
    // off sooner, which matters when the output is shorted.
    {ChoiceNumber::MinimumOnTime,
     "--t-on-min",
     "",
     "the controller's minimum on-time (its current sense's blanking), s",
     "最短导通时间",
     "ns",
     1e9,
     10,
     5000,
     300,
     true,
     0,
     10,
     "",
     "tOnMin",
     "tOnMinNanoseconds",
     "t_on_min_s",
     {},
     {}},
    // A winder's rules: what a shop winds by hand and by machine without
    // sending the drawing back. Finer strands break on the machine (0.1 mm,
    // 38 AWG, is the finest wound without breaking; a bias winding of
    // unknown load gets it); more
    // layers than a few are split or interleaved; litz costs more than
    // parallel round wire and pays only where it saves much on a winding of
    // real current; foil is for a few turns of heavy current; a light
    // winding is one round wire.
    {ChoiceNumber::FinestStrand,
     "--finest-strand",
     "",
     "the finest wire or strand a winding is wound of, mm",
     "最细线径",
     "mm",
     1,
     0.02,
     1,
     0.1,
     true,
     2,
     0.01,
     "",
     "finestStrand",
     "finestStrandMillimetre",
     "finest_strand_mm",
     {},
     {}},
    {ChoiceNumber::MostLayers,
     "--most-layers",
     "",
     "the most layers a winding (or a split winding's half) may have",
     "每绕组最多层数",
     "",
     1,
     1,
     50,
     4,
     true,
     0,
     1,
     "",
     "mostLayers",
     "mostLayers",
     "most_layers",
     {},
     {}},
    {ChoiceNumber::LitzGain,
     "--litz-gain",
     "",
     "litz only where it loses this share less than the best round wire, 0 to 1",
     "利兹线至少省损",
     "%",
     100,
     0,
     100,
     20,
     true,
     0,
     5,
     "",
     "litzGain",
     "litzGainPercent",
     "litz_least_gain",
     {},
     {}},
    {ChoiceNumber::LitzCurrent,
     "--litz-current",
     "",
     "litz only for a winding of at least this RMS current, A",
     "利兹线最小电流",
     "A",
     1,
     0,
     1000,
     1,
     true,
     2,
     0.1,
     "",
     "litzCurrent",
     "litzCurrent",
     "litz_least_current_A",
     {},
     {}},
    {ChoiceNumber::FoilTurns,
     "--foil-turns",
     "",
     "foil only for a winding of at most this many turns (0: never)",
     "铜箔最多匝数",
     "",
     1,
     0,
     50,
     6,
     true,
     0,
     1,
     "",
     "foilTurns",
     "foilTurns",
     "foil_most_turns",
     {},
     {}},
    {ChoiceNumber::FoilCurrent,
     "--foil-current",
     "",
     "foil only for a winding of at least this RMS current, A",
     "铜箔最小电流",
     "A",
     1,
     0,
     1000,
     3,
     true,
     1,
     0.5,
     "",
     "foilCurrent",
     "foilCurrent",
     "foil_least_current_A",
     {},
     {}},
    {ChoiceNumber::OneWireCurrent,
     "--one-wire-below",
     "",
     "the bias and any winding below this RMS current are one round wire, A",
     "单根圆线电流以下",
     "A",
     1,
     0,
     100,
     0.2,
     true,
     2,
     0.05,
     "",
     "oneWireBelow",
     "oneWireBelow",
     "one_wire_below_A",
     {},
     {}},
    // A switch's own output capacitance, assumed where none is typed: a small
    // high-voltage MOSFET's tens of picofarads. The drain sees it and the
    // build's, which the plan finds from the layers.
    {ChoiceNumber::Coss,
     "--coss",
     "",
     "the switch's output capacitance, F (assumed 50 pF); the drain sees it and the build's own",
     "开关管输出电容 Coss",
     "pF",
     1e12,
     1,
     100000,
     50,
     true,
     0,
     10,
     "",
     "coss",
     "cossPicofarad",
     "Coss_F",
     {},
     {}},
    // How far an unregulated output may move over the corners of the loads
    // before the plan says so; AN-22's 5 V main is held to ±5 %, its 12 V
    // and 30 V rails to ±10 %.
    {ChoiceNumber::RegulationBand,
     "--regulation-band",
     "",
     "how far an unregulated output may move from its set voltage over the corners of the "
     "loads before the plan says so, % (5)",
     "交叉调整允许偏差 ±",
     "%",
     1,
     0.1,
     50,
     5,
     true,
     1,
     0.5,
     "",
     "regulationBand",
     "regulationBand",
     "",
     {},
     {}},
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

// The most turns a box or a file gives a winding.
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
