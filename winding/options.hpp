#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "catalogue/market_names.hpp"
#include "insulation/requirements.hpp"
#include "winding/choices.hpp"

namespace flyback::winding {

// The insulation between primary and secondary and where the product is used.
struct Insulation {
    // None: reinforced when the maximum input is above 60 V DC (a mains
    // supply), else functional.
    std::optional<insulation::Grade> grade;
    std::optional<double> mains_Vrms;  // none: the rating Vmax ÷ √2 is the tolerance of
    // Where the product is used: the tables' own defaults (the worst material
    // group, for a bobbin and tape of unknown CTI; a mains-connected
    // product's usual overvoltage category).
    // Held as a number as the other options are; a fraction is refused.
    double pollution = insulation::Conditions{}.pollution;
    std::string group = insulation::Conditions{}.group;
    double altitude_m = insulation::Conditions{}.altitude_m;
    std::string overvoltage = insulation::Conditions{}.overvoltage;
};

// The order the windings are wound in, from the centre leg out: primary,
// secondaries, bias (P-S-B); the bias winding between as a shield (P-B-S);
// the primary split in two halves in series around the secondaries (P-S-P,
// the bias outside); the first output's secondary split in two halves in
// series around the primary, the other outputs and the bias outside (S-P-S);
// or whichever of these three loses least, the clamp's share of the leakage
// counted (auto). S-P-S comes last so that a kept order's number still means
// what it meant.
enum class Order { PSB, PBS, PSP, Auto, SPS };
inline constexpr std::string_view kOrderNames[] = {"P-S-B", "P-B-S", "P-S-P", "auto", "S-P-S"};
inline constexpr std::string_view kOrderCaptions[] = {
    "初级-次级-辅助", "初级-辅助-次级", "初级分半夹次级", "自动（总损耗最低）", "次级分半夹初级"};

// How the secondaries are insulated from the primary: margin tape at the
// bobbin's sides, or triple-insulated wire and no margins; or left to the
// plan (auto), which winds with margins unless they take more than
// kMarginShareWeighed of the bobbin's width or the build does not fit with
// them, and then plans the secondaries in triple-insulated wire too and keeps
// whichever fits and loses less. Auto comes last so that a kept index still
// means what it meant.
enum class Construction { Margin, Tiw, Auto };
inline constexpr std::string_view kConstructionNames[] = {"margin", "tiw", "auto"};
inline constexpr std::string_view kConstructionCaptions[] = {"挡墙胶带", "次级三层绝缘线",
                                                             "自动（挡墙或三层绝缘线）"};
inline constexpr double kMarginShareWeighed = 0.30;

// What stands between the primary side and the secondaries against the
// drain's swing: nothing, a copper foil tied to the primary's quiet end, or
// a winding of its own from there whose turns and phase cancel the
// secondary's facing layer (its charge equal and opposite). Either lies on
// the primary side of the barrier, at each face where the two sides meet.
enum class Shield { None, Foil, Winding };
inline constexpr std::string_view kShieldNames[] = {"none", "foil", "winding"};
inline constexpr std::string_view kShieldCaptions[] = {"无屏蔽", "铜箔屏蔽", "抵消绕组屏蔽"};

// Outputs wound apart, or stacked on their common return (Options::stack).
inline constexpr std::string_view kStackCaptions[] = {"各路输出分开绕制", "各路输出叠绕"};

// The conditions the options set (the mains where given, else a probe's
// 230 V); the plan adds what the design gives: the grade's default, the mains
// from Vmax, the working voltages and the frequency.
insulation::Conditions ConditionsOf(const Insulation& options);

// What is wrong with the insulation's options: as data, and in Chinese (empty
// when none).
insulation::ConditionProblem CheckInsulation(const Insulation& options);
std::string InsulationProblem(const Insulation& options);

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
    // The leakage inductance the clamp takes, a fraction of the primary's;
    // none: the build's own.
    std::optional<double> leakage;
    double ambient_C = 40;
    // What the corners allow for: the inductance's tolerance (the one the
    // build sheet gives the shop) and the controller's current limit's.
    double lpTolerance = 0.10, ilimitTolerance = 0.07;
    // Real parts measure above the build's one-dimensional leakage estimate:
    // the estimate times this is the limit the shop tests to and the clamp
    // is sized for.
    double leakageFactor = 2;
    // The secondary side's share Z of the whole loss, which the core stores
    // besides the outputs; none: from the plan's own secondary copper and core.
    std::optional<double> lossSplit;
    // The hottest the winding may run (ambient plus the rise); the tape's
    // thermal class caps it. An automatic core is the smallest that keeps to it.
    double hotLimit_C = 100;
    // The most the winding may rise above the ambient, K: the plan warns above
    // it, an automatic core keeps to it where any can, and the adviser ranks
    // none that passes it.
    double maxRise_K = 50;
    Construction construction = Construction::Auto;
    Shield shield = Shield::None;
    Choices choices;  // the electrical design's own decisions; none by default
    Insulation insulation;
    Order order = Order::PSB;
    // The outputs wound as one stack on their common return, the lowest
    // voltage first: each section carries its own output's current and those
    // stacked on it, and a tap joins each to the next.
    bool stack = false;
};

// The options that are numbers.
enum class NumberOption {
    Bmax,
    CurrentDensity,
    Fill,
    Vaux,
    Leakage,
    Ambient,
    LpTolerance,
    IlimitTolerance,
    LeakageFactor,
    LossSplit,
    HotLimit,
    MaxRise,
    Mains,
    Pollution,
    Altitude
};

// Where a design file keeps an option: with the plan's options, or in their
// insulation block; the page shows the insulation's beside each other too.
enum class OptionBlock { Plan, Insulation };

// One table for every front end: the command line's flag and help, the
// caption and unit a box shows, the limits, both included, in the unit shown
// (the leakage is shown in % of Lp, held as a fraction), and where each front
// end keeps the value. The command line, the design file, the window's boxes
// and settings and the page's boxes and store read and check each option
// through it.
struct NumberOptionInfo {
    NumberOption option;
    std::string_view flag;         // "--bmax"
    std::string_view caption;      // "Bmax"
    std::string_view unit;         // "T", as shown; empty for a plain ratio
    double low, high;              // as shown
    double shownPerHeld;           // 100 for a fraction shown in %
    int decimals;                  // as a box shows it
    double step;                   // a box's step, as shown
    std::string_view none;         // what a box shows for no value; empty where one is always set
    std::string_view fileKey;      // the design file's, held as the plan holds it: "hotLimit"
    std::string_view pageKey;      // the page's box and store: "hotLimit"
    std::string_view settingsKey;  // the window's kept value, held: "winding/hotLimit"
    std::string_view help;         // the command line's, after "with --winding: "
    OptionBlock block = OptionBlock::Plan;
};

inline constexpr NumberOptionInfo kNumberOptions[] = {
    {NumberOption::Bmax, "--bmax", "Bmax", "T", 0.01, 1, 1, 3, 0.01, "", "bmax", "bmax",
     "winding/bmax", "peak flux density designed to, T (0.3)"},
    {NumberOption::CurrentDensity, "--current-density", "电流密度 J", "A/mm²", 0.1, 100, 1, 1, 0.5,
     "", "currentDensity", "density", "winding/density", "current density, A/mm² (5)"},
    {NumberOption::Fill, "--fill", "填充系数上限", "", 0.01, 1, 1, 2, 0.01, "", "fill", "fill",
     "winding/fill", "the copper fill limit of the window (0.35)"},
    {NumberOption::Vaux, "--vaux", "辅助绕组电压", "V", 1, 1000, 1, 1, 1, "无", "vaux", "vaux",
     "winding/vaux", "a bias winding's voltage, V (none)"},
    // The window's key is new since the build gives the leakage by default:
    // the old one kept the former default of 2 % for everyone who had pressed.
    {NumberOption::Leakage, "--leakage", "漏感 / Lp", "%", 0.1, 50, 100, 1, 0.5, "按绕制结构",
     "leakage", "leakage", "winding/leakageGiven",
     "leakage inductance for the clamp, a fraction of Lp (the build's)"},
    {NumberOption::Ambient, "--ambient", "环境温度", "°C", -60, 150, 1, 1, 5, "", "ambient",
     "ambient", "winding/ambient", "ambient temperature, °C (40)"},
    {NumberOption::LpTolerance, "--lp-tolerance", "电感公差 ±", "%", 0, 50, 100, 1, 1, "",
     "lpTolerance", "lpTolerance", "winding/lpTolerance",
     "the inductance's tolerance the corners take, a fraction (0.10)"},
    {NumberOption::IlimitTolerance, "--ilimit-tolerance", "限流值公差 ±", "%", 0, 50, 100, 1, 1, "",
     "ilimitTolerance", "ilimitTolerance", "winding/ilimitTolerance",
     "the current limit's tolerance the corners take, a fraction (0.07)"},
    {NumberOption::LeakageFactor, "--leakage-factor", "漏感上限 / 估算", "", 1, 10, 1, 2, 0.5, "",
     "leakageFactor", "leakageFactor", "winding/leakageFactor",
     "the leakage limit over the build's estimate, for the shop and the clamp (2)"},
    {NumberOption::LossSplit, "--loss-split", "次级侧损耗占比 Z", "", 0.01, 1, 1, 2, 0.05,
     "按方案计算", "lossSplit", "lossSplit", "winding/lossSplit",
     "the secondary side's share Z of the whole loss, which the core stores (from the plan's "
     "own copper and core)"},
    {NumberOption::HotLimit, "--hot-limit", "热点温度上限", "°C", 40, 200, 1, 0, 5, "", "hotLimit",
     "hotLimit", "winding/hotLimit",
     "the hottest the winding may run, °C; an automatic core keeps to it, and to the tape's "
     "thermal class (100)"},
    {NumberOption::MaxRise, "--max-rise", "温升上限", "K", 1, 200, 1, 0, 5, "", "maxRise",
     "maxRise", "winding/maxRise",
     "the most the winding may rise above the ambient, K: the plan warns above it, an "
     "automatic core keeps to it and the adviser ranks none above it (50)"},
    // The insulation's numbers: the mains shown in whole volts, as ratings
    // are (a box shows the decimals a file's value needs); no table reaches
    // beyond 5000 m.
    {NumberOption::Mains, "--mains-vrms", "电网电压", "V", 1, 1000, 1, 0, 10, "按输入取额定",
     "mainsVrms", "mains", "winding/mainsVrms",
     "the mains rating, V rms (the highest nominal at most Vmax / sqrt 2 / 1.1)",
     OptionBlock::Insulation},
    {NumberOption::Pollution, "--pollution", "污染等级", "", 1, 3, 1, 0, 1, "", "pollution",
     "pollution", "winding/pollution", "the pollution degree, 1-3 (2)", OptionBlock::Insulation},
    {NumberOption::Altitude, "--altitude", "海拔", "m", 0, 5000, 1, 0, 500, "", "altitude",
     "altitude", "winding/altitude", "up to 5000 m (2000)", OptionBlock::Insulation},
};

const NumberOptionInfo& Info(NumberOption option);

// The options that are one of a list.
enum class ListOption { Construction, Shield, Order, Grade, MaterialGroup, Overvoltage };

// Primary to secondary by the input (reinforced for a mains supply, above
// 60 V DC), or as named.
inline constexpr std::string_view kGradeNames[] = {"auto", "functional", "basic", "reinforced"};
inline constexpr std::string_view kGradeCaptions[] = {"按输入（电网供电为加强）", "功能", "基本",
                                                      "加强"};
// The orders one can name first, the plan's own choice last.
inline constexpr int kOrderShown[] = {0, 1, 2, 4, 3};

// One table for every front end, as the numbers': the command line's flag
// and help, each value's name (the flag's, the design file's and the JSON
// answer's) and caption (a list's), and where each front end keeps the value
// (by its name in a file, by its place in the window's settings). The
// default is Options{}'s own.
struct ListOptionInfo {
    ListOption option;
    std::string_view flag;                       // "--order"
    std::string_view caption;                    // "绕制顺序", as a list's label and a note say
    std::span<const std::string_view> names;     // "P-S-B", …
    std::span<const std::string_view> captions;  // "初级-次级-辅助", …
    std::string_view fileKey;                    // "order"
    std::string_view settingsKey;                // "winding/order"
    std::string_view help;                       // the command line's, after "with --winding: "
    std::string_view pageKey;                    // the page's list and store: "order"
    OptionBlock block = OptionBlock::Plan;
    // The places in the order a list shows them; empty: in their own order.
    std::span<const int> shown = {};
    // The first value is the option left unset: a file writes it as null.
    bool firstIsNone = false;
};

inline constexpr ListOptionInfo kListOptions[] = {
    {ListOption::Construction, "--construction", "绕制方式", kConstructionNames,
     kConstructionCaptions, "construction", "winding/construction",
     "margin (margin-wound), tiw (triple-insulated secondary) or auto (the default: see "
     "--margins)",
     "construction"},
    {ListOption::Shield, "--shield", "屏蔽", kShieldNames, kShieldCaptions, "shield",
     "winding/shield",
     "none, foil (a copper foil tied to the primary's quiet end) or winding (a wound shield "
     "whose turns cancel the secondary it faces), between the primary side and the secondaries "
     "(none)",
     "shield"},
    {ListOption::Order, "--order", "绕制顺序", kOrderNames, kOrderCaptions, "order",
     "winding/order",
     "the winding order, P-S-B, P-B-S, P-S-P, S-P-S, or auto for whichever of P-S-B, P-S-P and "
     "S-P-S loses least (P-S-B)",
     "order", OptionBlock::Plan, kOrderShown},
    {ListOption::Grade,
     "--insulation",
     "初级—次级绝缘",
     kGradeNames,
     kGradeCaptions,
     "grade",
     "winding/insulation",
     "primary to secondary, functional|basic|reinforced, or auto: reinforced above 60 V (auto)",
     "insulation",
     OptionBlock::Insulation,
     {},
     true},
    {ListOption::MaterialGroup, "--material-group", "材料组", insulation::kMaterialGroups,
     insulation::kMaterialGroups, "materialGroup", "winding/group", "I, II, IIIa or IIIb (IIIb)",
     "group", OptionBlock::Insulation},
    {ListOption::Overvoltage, "--overvoltage-category", "过电压类别",
     insulation::kOvervoltageCategories, insulation::kOvervoltageCategories, "overvoltageCategory",
     "winding/overvoltage",
     "the mains' overvoltage category, I, II, III or IV, which sets the transient the barrier "
     "withstands (II)",
     "overvoltage", OptionBlock::Insulation},
};

const ListOptionInfo& Info(ListOption option);

// An option's place in its list, and the option set from one, whether it
// was: a place that is not a whole number within the list (from a file or a
// store of another version) leaves the option as it was.
int ListValue(const Options& options, ListOption option);
bool SetListValue(Options& options, ListOption option, double place);

// The place of a value named as the flag and the file name it; none for a
// name the list lacks. And the names as a sentence's list: "a, b or c".
std::optional<int> PlaceOf(const ListOptionInfo& info, std::string_view name);
std::string NamesInWords(const ListOptionInfo& info);
// The places in the order a list shows them: its row's `shown`, else its own.
std::vector<int> ShownPlaces(const ListOptionInfo& info);

// An option's value as shown (the leakage in %); nothing for an option that
// may be left unset and is (no bias winding, the build's leakage).
std::optional<double> ShownValue(const Options& options, NumberOption option);
// Sets an option from its shown value; nothing unsets an option that may be
// unset and leaves any other as it was.
void SetShownValue(Options& options, NumberOption option, std::optional<double> shown);
// The same as the plan holds it (the leakage a fraction), for files and
// settings that keep it exactly.
std::optional<double> HeldValue(const Options& options, NumberOption option);
void SetHeldValue(Options& options, NumberOption option, std::optional<double> held);

// What is wrong with a set of options, as data; each front end words it.
struct OptionProblem {
    enum class Kind {
        None,
        UnknownCore,
        AmbiguousCore,  // a short name other makers give to another core
        UnknownFamily,
        UnknownMaterial,
        NotANumber,  // the typed text is not one number
        OutOfRange,  // beyond the option's limits
    };
    Kind kind = Kind::None;
    NumberOption option = NumberOption::Bmax;  // for NotANumber and OutOfRange
    std::string text;                          // the name or the text as given
    std::vector<std::string> nearest = {};     // for an unknown core: the names nearest it;
                                               // for an ambiguous one: the catalogue's it names
    std::vector<catalogue::OtherMeaning> elsewhere = {};  // what it names from other makers

    explicit operator bool() const { return kind != Kind::None; }
};

OptionProblem CheckOptions(const Options& options, const catalogue::Catalogue& parts);

// Why a core's name as typed finds no core: it names cores other makers give
// the same name (AmbiguousCore, each named), or none (UnknownCore, with the
// nearest names).
OptionProblem CoreNameProblem(const catalogue::Catalogue& parts, const std::string& name);

// Options that are each sound but do not go together, as data: the bias
// winding's turns without its voltage, which would be quietly left out; P-S-P
// with fewer than two primary turns to split. Each front end words it; the
// caption is the window's and the page's.
// Stacking needs two outputs, and the stack cannot be split around the
// primary.
enum class Combination {
    None,
    BiasTurnsWithoutVoltage,
    SplitPrimaryTooFew,
    SplitSecondaryTooFew,
    StackOneOutput,
    StackSplit,
};
Combination CheckCombination(const Options& options);
std::string CombinationCaption(Combination combination);

// Reads a number option from what was typed: an empty text keeps the default
// (for the bias winding: none). A text that is not one number is a problem;
// the limits are checked by CheckOptions. The text is in the unit a box shows
// (the leakage in %), or, `asHeld`, in the unit the plan holds (the command
// line's leakage, a fraction).
OptionProblem ReadNumberOption(Options& options, NumberOption option, std::string_view text,
                               bool asHeld = false);

// An option's limits as a person reads them: "0.01 至 1 T".
std::string LimitsCaption(const NumberOptionInfo& info);

// A problem as the window and the page say it, with the option's caption:
// "Bmax 须在 0.01 至 1 T 之间。"
std::string OptionProblemCaption(const OptionProblem& problem);

// The value a box shows for `shown`, for settings kept from before: brought
// into the option's limits and rounded to the box's decimals, so that what is
// shown is what is used; nothing where the value is not a number.
std::optional<double> Settled(NumberOption option, double shown);

}  // namespace flyback::winding
