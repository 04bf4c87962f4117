#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "record/design_record.hpp"
#include "winding/corners.hpp"
#include "winding/operating_point.hpp"
#include "winding/options.hpp"

namespace flyback::winding {

// A second model beside the design's chain: it starts from a press's results
// and finishes the transformer on a real core, with whole turns and real wire.
// The chain's own results are left as they are. Values in SI units unless the
// name says otherwise; an absent value is one the data does not allow (a core
// without a known mean turn length has no copper loss), never a guess.

enum class Role { Primary, Secondary, Bias };

// What a winding is wound of: round wire (one, or several in parallel), litz
// (many fine insulated strands twisted into one bundle a turn), or copper foil
// as wide as the bobbin allows, one turn a layer with tape between.
enum class Conductor { Round, Litz, Foil };
inline constexpr std::string_view kConductorNames[] = {"round", "litz", "foil"};

// What decided a winding's conductor: the current density alone (the
// strand rule's wire, where no loss can be reckoned or the winding carries
// nothing), the least loss the winder's rules allow, litz where it saves
// the rules' share on the best round wire, the one round wire a light
// winding or the bias is wound of; or none the rules allow fits, and the
// least lossy that fits is kept with the rule it breaks.
enum class ConductorReason { CurrentDensity, LeastLoss, LitzSaves, OneWire, RulesBroken };
inline constexpr std::string_view kConductorReasonNames[] = {
    "current_density", "least_loss", "litz_saves", "one_wire", "rules_broken"};

// A winder's rule a conductor breaks: its value against the rule's limit,
// both in the rule's held unit (the litz's saving as a share).
struct RuleBreach {
    ChoiceNumber rule = ChoiceNumber::MostLayers;
    double value = 0, limit = 0;
};

struct Winding {
    Role role = Role::Primary;
    int output = 0;  // a secondary's output, from 0 (the regulated one)
    int half = 0;    // of a winding split in two (P-S-P, S-P-S): 1 or 2; 0 when whole
    int turns = 0;
    // None for a bias winding without a load.
    std::optional<double> Irms_A, Ipeak_A, J_A_mm2, R_ohm, P_W;  // P_W at DC resistance
    // Dowell's factor at the switching frequency, the resistance there, and
    // the loss of the winding's own current over its harmonics.
    std::optional<double> Fr, Rac_ohm, Pac_W;
    Conductor conductor = Conductor::Round;
    const catalogue::Wire* wire = nullptr;  // the round wire, or a litz's strand; none for foil
    int strands = 1;                        // in parallel, or in the litz bundle
    // Across the layer: one strand, insulation included; a litz bundle, served;
    // foil's thickness with the tape wound with it.
    double outer_mm = 0;
    double foilThickness_mm = 0, foilWidth_mm = 0;
    int turnsPerLayer = 0;
    int layers = 0;
    double height_mm = 0;      // layers × outer diameter
    double tapeBefore_mm = 0;  // the tape wound between the winding before and this one
    // A shield between the winding before and this one, with the tape that
    // keeps it from the primary side's winding; 0 where there is none.
    double shieldBefore_mm = 0;
    // Where its ampere-turns pass through zero, as a fraction of its build
    // from the inner side; 0 where they do not.
    double mmfCrossing = 0;
    // Its own mean turn length, at the middle of its build; none where the
    // core's mean turn length is unknown.
    std::optional<double> mlt_mm;
    ConductorReason decidedBy = ConductorReason::CurrentDensity;
    std::optional<RuleBreach> breach;  // the rule its conductor breaks, where one does
};

// The insulation the build gives between primary and secondary: what it
// faces, what the tables ask for, and how it is wound.
struct InsulationPlan {
    insulation::Conditions conditions;
    std::optional<insulation::Requirements> requirements;  // none beyond the tables
    bool tripleInsulated = false;  // the secondaries' own wire insulates; no margins
    double margin_mm = 0;          // each side of every winding
    double width_mm = 0;           // the width left to wind on
    // A typed mains whose peak, at its upper tolerance, is below the DC bus:
    // the barrier sees at least the bus, so it is insulated for the bus's
    // rating instead and this keeps what was typed.
    std::optional<double> mainsBelowBus_Vrms;
};

// A shield as wound, before the winding `before` (the face where the
// primary side and the secondaries meet): its own height (a foil, or the
// wound shield's layers) and, wound, its turns, wire and strands in
// parallel across the width. Its start is tied to the primary's quiet end.
struct ShieldPlan {
    Shield kind = Shield::Foil;
    int before = 0;
    double height_mm = 0;
    double foil_mm = 0;
    int turns = 0, strands = 1, layers = 1;
    const catalogue::Wire* wire = nullptr;
};

// A winding's own capacitance, referred to its own ends, and what faces it.
struct WindingCapacitance {
    double own_F = 0;
};

// Two neighbours in the build (windings by their index in Plan::windings, a
// shield by its index in Plan::shields after them) and the capacitance
// between their facing layers as a bridge measures it, with the plate and
// the distance it equals in the insulation.
struct FacingCapacitance {
    int inner = 0, outer = 0;
    double C_F = 0, area_mm2 = 0, distance_mm = 0;
};

// Two whole windings that face each other (by the index of each one's first
// part in Plan::windings) as six capacitors between their four ends
// (capacitance::SixCapacitors: across a, across b, dot–dot, end–end,
// a's dot–b's end, a's end–b's dot).
struct WindingPairCapacitance {
    int a = 0, b = 0;
    std::array<double, 6> C{};
};

// The build's capacitances (see capacitance/): each winding's own, each
// face between neighbours, the primary against every secondary, what the
// build adds to the drain's capacitance, and the common-mode charge the
// drain's swing drives across the barrier per volt, with the edge that
// drives it: at switch-off the magnetising current charges the drain's
// capacitance, Ipk ÷ C; the current through the barrier is the charge per
// volt times that rate. And the drain's rings: with the leakage (the
// secondary conducting, before the clamp takes over and after it lets go),
// its damping by the primary's copper at that frequency, and with Lp once
// the secondaries have stopped.
struct Capacitances {
    std::vector<WindingCapacitance> windings;  // Plan::windings' order
    std::vector<FacingCapacitance> facings;
    std::vector<WindingPairCapacitance> pairs;
    double primarySelf_F = 0, primarySecondary_F = 0, build_F = 0, commonMode_F = 0;
    double drain_F = 0;  // all the drain sees: Cds as given, or Coss and the build's
    double edge_V_s = 0, displacement_A = 0;
    double leakageRing_Hz = 0, valleyRing_Hz = 0;
    std::optional<double> damping;  // none where the primary's resistance is unknown
};

// The leakage between each pair of whole windings (by the index of each
// one's first part in Plan::windings), each pair driven against each other
// with the rest open, referred to the primary; symmetric, zero on the
// diagonal.
struct LeakageMatrix {
    std::vector<int> windings;
    std::vector<std::vector<double>> H;
};

// Why a build has no capacitances: no mean turn to take the plates' length
// from, an insulation the data gives no permittivity for (the wire named),
// or margins that leave no width to wind on.
enum class CapacitanceGap { None, NoMeanTurn, Insulation, NoWidth };
inline constexpr std::string_view kCapacitanceGapNames[] = {"", "no_mean_turn", "insulation",
                                                            "no_width"};

// Where the clamp's leakage inductance comes from: the build's field, the
// user's fraction of Lp, or, for a core without a known mean turn length, a
// usual 2 % of Lp said as an assumption.
enum class LeakageSource { Build, Given, Assumed };
inline constexpr std::string_view kLeakageSourceNames[] = {"build", "given", "assumed"};

struct Clamp {
    // leakage_H is what the clamp is sized for: the build's estimate times
    // the options' factor (the limit the shop tests to), or the given or
    // assumed fraction of Lp.
    double V = 0, leakage_H = 0, P_W = 0, R_ohm = 0, C_F = 0;
    std::optional<double> estimate_H;  // the build's own estimate, where it is the source
    LeakageSource source = LeakageSource::Build;
};

// Up to this DC input a supply is not fed from the mains (IEC 62368-1's ES1
// limit for DC): functional insulation by default, above it reinforced.
inline constexpr double kExtraLowVoltage_V = 60;

// The reflected voltage, a share of the maximum input, below which a design
// spends current: a short on-time carries the power in a tall, narrow peak.
inline constexpr double kLowestVorOfVmax = 0.2;
// The code of the caution it gives.
inline constexpr std::string_view kReflectedVoltageLow = "reflected_voltage_low";

// The code of a plan's warnings that an input is doubtful; they come first.
inline constexpr std::string_view kInputDoubtful = "input_doubtful";

// What a warning weighs: the plan's value against the limit it passes, in
// the unit named (SI as the plan holds it; empty for a ratio).
struct WarningFigure {
    double value = 0, limit = 0;
    std::string_view unit;
};

struct PlanWarning {
    std::string_view code;  // stable, for scripts
    record::Warning::Strength strength = record::Warning::Strength::Caution;
    std::string message;                  // Simplified Chinese
    std::optional<WarningFigure> figure;  // none where the warning weighs no number
};

// An output as wound: its whole turns, the voltage they give with the
// regulated output held, and its rectifier's current and reverse voltage.
struct OutputResult {
    OutputLoad set;
    bool regulated = false;
    int turns = 0;
    double Vexpected_V = 0, error_pct = 0;
    double Irms_A = 0, Ipeak_A = 0, Vrectifier_V = 0;
    std::optional<double> IcapRms_A;  // none where the RMS is below the mean
};

// What decided the size of an automatic core: the limit the next smaller core
// of the allowed families failed (the flux its Ae gives, the window its
// windings need, the rise, the hot spot), or that it is the smallest; where
// none meets every limit, the smallest that holds the windings, or the
// largest. A core the options name is given.
enum class SizedBy { Given, Smallest, Flux, Window, Rise, HotSpot, Losses, NoneCool, NoneFits };
inline constexpr std::string_view kSizedByNames[] = {
    "given", "smallest", "flux", "window", "rise", "hot_spot", "losses", "none_cool", "none_fits"};

// The usual switch for a maximum input where none is given: 650 V up to
// 400 V DC (a rectified 264 V mains), 800 V up to 560 V; none above.
std::optional<double> AssumedRating_V(double Vmax);

// The core's narrowest section, m², where its flux crowds most: Amin, or
// Ae where the data gives none.
double NarrowestSection_m2(const catalogue::Core& core);

// The material's saturation at `celsius`, T: on the line between its data's
// points either side (catalogue::SaturationCurve: every point its data gives,
// or its 25 °C and 100 °C figures). Ferrite's falls almost straight towards
// its Curie point, so beyond the hottest point the hottest two's line runs
// on (the plan cautions that it is an estimate); never above the coolest
// point's figure, nor below zero; a single point's figure at every
// temperature; none without a point.
std::optional<double> SaturationAt_T(const catalogue::Material& material, double celsius);

// The hottest the winding may run: the options' limit, capped by the tape's class.
double HotLimit(const Options& options);

struct Plan {
    Options options;
    SizedBy sizedBy = SizedBy::Given;
    // The order was chosen for the least loss (options.order holds the one chosen).
    bool orderChosen = false;
    // The construction was left to the plan (options.construction holds the
    // one taken); where the other was planned too, what it gave.
    bool constructionChosen = false;
    struct OtherConstruction {
        Construction construction = Construction::Margin;
        const catalogue::Core* core = nullptr;
        bool fits = false;
        double build_mm = 0;
        std::optional<double> hot_C, loss_W;  // the loss with the clamp's typical
    };
    std::optional<OtherConstruction> otherConstruction;
    const catalogue::Core* core = nullptr;
    const catalogue::Material* material = nullptr;
    bool fits = false;  // the build within the height and the fill within its limit
    int Np = 0, Ns = 0;
    std::optional<int> Naux;
    double Vor_V = 0, Dmax = 0, Lp_H = 0, Ipk_A = 0;  // with the whole turns
    double Ivalley_A = 0, KRP = 1;                    // at the minimum input, full load
    Mode mode = Mode::Boundary;                       // at the minimum input
    OperatingPoint atVmin, atVmax;                    // full load at either end of the input
    // How the switch is valley-switched as the plan runs it (fmax assumed
    // where none is typed); none at a fixed frequency.
    std::optional<Resonance> switching;
    std::optional<double> Vedge_V;  // the input the mode changes at, within the range
    double Pout_W = 0;              // the outputs' power
    double Pbias_W = 0;             // the bias load's, stored in the core besides
    double VorDesigned_V = 0;       // before whole turns
    double deltaB_T = 0;            // the flux swing in a period
    double Ilimit_A = 0;            // the current limit BpkLimit_T is at
    // The switch's rating: given, or assumed for the input (AssumedRating_V);
    // none above the inputs any usual part takes.
    std::optional<double> VdsRating_V;
    bool ratingAssumed = false;
    std::vector<OutputResult> outputs;  // the regulated one first
    // At Ipk over Ae (the inductance's and the loss's), and over the
    // narrowest section, where saturation and Bmax are judged; at the current
    // limit with the inductance and the limit at their upper tolerances, in
    // the narrowest section (so are the corners').
    double Bpk_T = 0, BpkMinSection_T = 0, BpkLimit_T = 0;
    // The material's saturation at 100 °C as the data gives it; at the hot
    // spot (SaturationAt_T; the 100 °C figure where no temperature settled);
    // and that over the flux at the worst corner.
    std::optional<double> Bsat100_T, BsatHot_T, saturationMargin;
    bool turnsForSaturation = false;  // more turns than Bmax asks, to keep the limit unsaturated
    std::vector<Corner> corners;      // kCornerKinds' order
    double AL_nH = 0, gap_mm = 0;     // the gap in the centre leg, in total, fringing counted
    double gapPlain_mm = 0;           // the same without the fringing flux
    double fringing = 1;              // McLyman's factor at that gap
    double skinDepth_mm = 0;
    std::vector<Winding> windings;  // primary, the secondaries in the outputs' order, then bias
    InsulationPlan insulation;
    double fill = 0, build_mm = 0;
    std::vector<ShieldPlan> shields;  // where options.shield asks for them, each face's
    std::optional<Capacitances> capacitance;
    CapacitanceGap capacitanceGap = CapacitanceGap::None;
    const catalogue::Wire* capacitanceWire = nullptr;  // Insulation: the wire without a figure
    // The leakage inductance the build gives, referred to the primary; none
    // without a mean turn length. The clamp takes it unless one is given.
    std::optional<double> buildLeakage_H;
    std::optional<LeakageMatrix> leakageMatrix;
    // Outputs wound apart, the same build with them stacked, to set their
    // regulation beside; none where they are stacked, alone, or cannot stack.
    std::shared_ptr<const Plan> stacked;
    std::optional<double> Pcopper_W, Pcore_W, dT_K;  // at the temperature they reach
    std::optional<double> PcoreSine_W;  // the core's loss as a sine of the same swing would give
    std::optional<double> hot_C;        // that temperature, where the iteration settled
    int thermalSteps = 0;
    // What the temperature rise is reckoned from: the core's window Wa (the
    // bare core's, or the bobbin's where the data lacks it), the area product
    // Ae × Wa and the surface Ks × √Ap.
    double thermalWindow_mm2 = 0;
    bool thermalWindowIsCores = false;
    std::optional<double> areaProduct_cm4, surface_cm2;
    Clamp clamp;
    double Vrectifier_V = 0, Vswitch_V = 0;  // the regulated output's rectifier; the switch
    double f_Hz = 0;  // the switching frequency, whose period the currents repeat in
    double eta = 1;   // the design's efficiency, a fraction: the primary carries P ÷ eta
    // How the loss divides about the core. The core stores what the
    // secondary side takes: the outputs and the bias at their rectifiers
    // (rectified_W), the secondary copper and the core's own loss; the rest
    // of P ÷ eta (switch, primary copper, clamp) is the primary side's and is
    // spent while the switch is on. `load` carries the shares the operating
    // points are worked with; the plan is made again until the secondary
    // side's loss it finds settles (flowRounds plans).
    Load load;
    double rectified_W = 0, stored_W = 0;
    int flowRounds = 1;
    double InputPower() const { return load.InputPower(); }
    double PrimarySide_W() const;
    // The secondary side's share of the whole loss, (P_stored − P_out) ÷ (P_in − P_out).
    std::optional<double> LossSplit() const;
    std::optional<double> IcapRms_A;  // the regulated output's
    std::vector<PlanWarning> warnings;
    // The makers' sets of this core in this material in stock: the ungapped
    // (to be ground to the plan's gap) and those whose gap is the plan's
    // within kStockGapShare.
    struct StockOffer {
        const catalogue::StockPart* part = nullptr;
        bool gapMatches = false;
    };
    std::vector<StockOffer> stock;
};

inline constexpr double kStockGapShare = 0.05;

// Why there is no plan, as data for scripts; `PlanOutcome::error` words it
// for every front end alike.
enum class PlanFailure {
    None,
    PressIncomplete,       // the press faulted
    InputInvalid,          // an input the press marks invalid
    OptionInvalid,         // an option, a choice, the insulation or their combination
    NotMeaningful,         // a quantity the plan starts from is not above zero
    BeyondTables,          // the insulation's tables end below the mains or the working voltage
    NoReflectedVoltage,    // the chosen way leaves Vor at or below zero
    NoLoad,                // the outputs take no power
    TooMany,               // turns, strands or layers beyond what anyone winds
    NoWire,                // the catalogue has no wire to wind with
    NoCore,                // the allowed families have no core with a bobbin
    ClampNotAboveVor,      // the clamp would conduct all the time
    SplitPrimaryTooFew,    // P-S-P with a single primary turn
    SplitSecondaryTooFew,  // S-P-S with a single turn on the first secondary
    StackSameTurns,        // stacked outputs on the same turns: a section of none
    ArithmeticFault,       // a number beyond what doubles hold
    SketchWithoutCore,
};
inline constexpr std::string_view kPlanFailureNames[] = {"none",
                                                         "press_incomplete",
                                                         "input_invalid",
                                                         "option_invalid",
                                                         "not_meaningful",
                                                         "beyond_tables",
                                                         "no_reflected_voltage",
                                                         "no_load",
                                                         "too_many",
                                                         "no_wire",
                                                         "no_core",
                                                         "clamp_not_above_vor",
                                                         "split_primary_too_few",
                                                         "split_secondary_too_few",
                                                         "stack_same_turns",
                                                         "arithmetic_fault",
                                                         "sketch_without_core"};
std::string_view PlanFailureName(PlanFailure failure);

// What a count beyond what anyone winds counts.
enum class Counted { PrimaryTurns, SecondaryTurns, BiasTurns, Strands, TurnsPerLayer, Layers };

// The values a failure is worded from (plan_sheet::FailureText), each where
// its code uses it.
struct FailureDetail {
    Counted counted = Counted::PrimaryTurns;  // TooMany
    // TooMany: the count's limit; NoReflectedVoltage: the Vor the way gave;
    // ClampNotAboveVor: the clamp voltage (and `bound` the Vor).
    double value = 0, bound = 0;
    // OptionInvalid: the first of these that is a problem.
    OptionProblem option;
    ChoiceProblem choice;
    std::optional<Insulation> insulation;  // options whose check fails
    Combination combination = Combination::None;
    insulation::Conditions conditions;  // BeyondTables
    std::string inputLine;              // InputInvalid: the press's own warning line
    std::string fault;                  // ArithmeticFault: the runtime's message
};

// The plan, or why there is none, as data: the code and its values.
struct PlanOutcome {
    std::optional<Plan> plan;
    // The failure does not depend on the core, material or turns (an input,
    // an option, the load, the mains beyond the insulation tables): no other
    // candidate would fare better.
    bool candidateFree = false;
    PlanFailure failure = PlanFailure::None;
    FailureDetail detail = {};
};

// What a plan carries beside it: outputs wound apart, the same build
// stacked (Plan::stacked) for the engineer to compare; a search that only
// ranks candidates asks for nothing, and saves the twin's time.
enum class Beside { StackedTwin, Nothing };

PlanOutcome PlanWinding(const record::DesignRecord& record, const Options& options,
                        const catalogue::Catalogue& parts, Beside beside = Beside::StackedTwin);

// What the clamp dissipates on a typical part, whose leakage is the build's
// estimate (the clamp is sized for the limit, and settles lower on it); the
// sized loss where the leakage is given or assumed.
double TypicalClampLoss(const Plan& plan);
// Whether the plan's reflected voltage is below kLowestVorOfVmax of the
// maximum input. The turns set it before any loss, so a sketch tells it.
bool ReflectedVoltageLow(const Plan& plan);
// The losses the plan names (copper, core, the clamp's typical loss and the
// rectifiers' drop) and what the efficiency leaves for every loss; none
// where the data gives no copper or core loss.
struct LossBudget {
    double named_W = 0, budget_W = 0;
};
std::optional<LossBudget> LossesAgainstBudget(const Plan& plan);
// The plan's stock offers from the built-in stock, as PlanWinding keeps them.
std::vector<Plan::StockOffer> StockOffers(const Plan& plan);
// What of that the core gives: while the leakage resets, the magnetising
// current runs into the clamp at Vor as well, Vor ÷ Vclamp of the clamp's
// loss. The leakage's own energy, the rest, the input gave it through the
// leakage while the switch was on: the primary side's.
double ClampShareFromTheCore(const Plan& plan);

// The plan of the options' core (one must be given) stopped before its losses
// and the temperature they settle at, which take most of a plan's time: its
// turns, flux, gap, wire, build, clamp and stresses, and no warnings. A search
// tells from it whether a candidate fits, and bounds its losses.
PlanOutcome SketchWinding(const record::DesignRecord& record, const Options& options,
                          const catalogue::Catalogue& parts);
// What a plan's copper loss cannot be below wherever between `coolest_C` and
// `hottest_C` its temperature settles, on whichever conductor it winds (the
// sketch keeps the strand rule's; the plan may choose another of the
// catalogue's), its AC part from so many harmonics (the core's: LeastTriangleLoss).
std::optional<double> CopperLossFloor(const Plan& sketch, const catalogue::Catalogue& parts,
                                      double coolest_C, double hottest_C, int harmonics = 12);
// Copper's resistivity at `celsius`, Ω·m.
double CopperResistivity(double celsius);
// The temperature rise of a transformer losing `loss_W` from its surface.
double RiseOf(double loss_W, double surface_cm2);

// The copper of one turn of `w`, mm².
double CopperArea_mm2(const Winding& w);
// The conductors a turn lays side by side across a layer: a round winding's
// strands; one litz bundle or foil.
int ConductorsPerTurn(const Winding& w);

// How many conductors each layer of `w` holds, from the centre leg outward,
// as the plan lays them out across `width_mm`: a turn's strands side by side,
// whole turns to a layer where they fit, otherwise a turn over as many layers
// as it takes.
std::vector<long> ConductorsPerLayer(const Winding& w, double width_mm);

// The length of a turn `y_mm` out from the bobbin's inner surface: the
// core's mean turn length is the one at the middle of its full build, and
// each millimetre outward adds 2π mm (the corners' arcs grow, the straight
// sides do not). None where the core's is unknown.
std::optional<double> TurnLengthAt(const catalogue::Core& core, double y_mm);

// The primary inductance `Np` turns give on `core` in `material` with a gap
// of `gap_mm` ground in the centre leg: the gap's reluctance widened by its
// fringing flux, and the ferrite's in series, as the plan sizes the gap from
// Lp (the plan given this Lp grinds this gap again).
double InductanceOfGap(const catalogue::Core& core, const catalogue::Material& material, int Np,
                       double gap_mm);

// "初级", "次级", "辅助"; "primary", "secondary", "bias".
std::string_view RoleCaption(Role role);
std::string_view RoleName(Role role);
// A winding's name in the JSON ("secondary 2"; a split one's halves
// "primary 1", "secondary 1.2") and its caption ("次级 2"; a single secondary
// is "次级", its halves "次级 1", "次级 2").
std::string WindingName(const Winding& w);
std::string WindingCaption(const Plan& plan, const Winding& w);

// What a winding, split or not, is as a whole between its two outer pins:
// the winding itself (a half as the whole it belongs to, for its name and
// caption), its turns, and its DC resistance (none where a half's is unknown).
Winding Whole(const Winding& w);
int WholeTurns(const Plan& plan, const Winding& w);
// A winding by its whole: the index of its first part in Plan::windings (a
// split winding's halves share one); and every whole winding so, in the
// order wound.
int WholeIndex(const Plan& plan, std::size_t i);
std::vector<int> WholeWindings(const Plan& plan);
// The shield wound before winding i; none where there is none.
const ShieldPlan* ShieldBefore(const Plan& plan, std::size_t i);
std::optional<double> WholeResistance(const Plan& plan, const Winding& w);

// A stacked plan's outputs from the common return up, fewest turns first;
// empty where the outputs are wound apart.
std::vector<int> StackOrder(const Plan& plan);
// Whether an output's current flows in winding w: a secondary's own, and in
// a stack every section from the return up to the output's tap.
bool CarriesOutput(const Plan& plan, const Winding& w, int output);
// The mean current of the outputs winding w carries, A.
double CarriedCurrent(const Plan& plan, const Winding& w);
// The turns a stacked section is wound on, from the return to its lower
// tap; 0 for any other winding.
int TurnsBelow(const Plan& plan, const Winding& w);

}  // namespace flyback::winding
