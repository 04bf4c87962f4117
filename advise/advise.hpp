#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "record/design_record.hpp"
#include "winding/plan.hpp"

namespace flyback::advise {

// Every candidate weighed: each allowed core of the catalogue × each material
// with loss data × each whole-turns pair Np:Ns whose reflected voltage lies in
// the allowed range, each a full winding plan with the user's other options
// and choices; those that break a hard limit are counted and dropped, the rest
// ranked, and the Pareto front of loss against core volume drawn.

// Price: the cheapest stock set of the candidate's core and material (an
// ungapped one to be ground, or one gapped to its gap), ties and unpriced
// candidates after by loss; a candidate no maker stocks comes after every
// priced one.
enum class Rank { Loss, Rise, Volume, Weighted, Price };
inline constexpr std::string_view kRankNames[] = {"loss", "rise", "volume", "weighted", "price"};
// As the window's and the page's list of ranks say them, in the same places.
inline constexpr std::string_view kRankCaption = "排序";
inline constexpr std::string_view kRankCaptions[] = {
    "总损耗最低", "温升最低", "磁芯最小（同体积按损耗）", "加权（按下列权重）", "库存套件最便宜"};
// A rank by its place in those lists; none for a place that is not one (a
// setting kept by another version).
std::optional<Rank> RankAt(double place);

// Why a candidate is dropped.
// Duty: the plan's own duty at the minimum input (the energy flow counted)
// above --dmax. Caution: any other caution the plan itself would give the
// candidate (kShownCautions aside), so that nothing is recommended that the
// plan would not sign.
enum class Drop {
    NoPlan,
    DoesNotFit,
    FluxAboveBmax,
    Saturates,
    SwitchRating,
    TooHot,
    NoLoss,
    Duty,
    Caution
};
inline constexpr std::size_t kDrops = 9;
inline constexpr std::string_view kDropNames[kDrops] = {
    "no_plan",     "does_not_fit", "flux_above_bmax", "saturation",  "switch_rating",
    "temperature", "no_loss_data", "duty_above_dmax", "plan_caution"};

// The plan's cautions a candidate is kept with, shown in its row: the
// supply's own (its insulation, its mains), what the chain's own core size
// says, copper that is oversized rather than unsafe, the efficiency budget
// (the efficiency is the engineer's estimate), and a short duty, which a
// wide input on the switch's rating may leave every candidate (249 to 386 V
// on 650 V: Vor' at most 89 V, D at most 0.26). So may a shorted output
// that only the controller's protection stops (a 300 ns on-time outruns a
// rectifier's reset at 375 V below a turns ratio of about 15), and the
// turn-on loss of valley switching at a high line on that switch (the
// valley is at least 375 − 98 V), which the total already counts.
inline constexpr std::string_view kShownCautions[] = {
    "core_area_below_required", "current_density_out_of_range",
    "functional_on_mains",      "mains_below_bus",
    "losses_above_efficiency",  "duty_cycle_low",
    "shorted_output_runs_away", "turn_on_loss_high"};
// Each as the row's 告诫 column names it, in kShownCautions' order.
inline constexpr std::string_view kShownCautionCaptions[] = {
    "截面积小于估算",   "电流密度超出范围", "功能绝缘接电网",   "电网电压低于母线",
    "损耗超出效率预算", "占空比偏低",       "短路靠控制器保护", "开通损耗偏高"};

// The most pairs of core and material one search weighs: the work of each is
// bounded, so this bounds the search; more is refused, not run for hours.
inline constexpr std::size_t kMostWeighed = 10000;

// The largest weight the weighted rank takes: a score must stay finite.
inline constexpr double kMostWeight = 1e6;

struct Settings {
    // As an engineer picks: the smallest core that meets every limit, ties
    // broken by loss.
    Rank rank = Rank::Volume;
    // The weighted rank's weights of loss (per W), rise (per K) and core
    // volume (per cm³).
    std::array<double, 3> weights = {1, 1, 1};
    int top = 10;
    // The hot spot no candidate may pass, besides the plan's own limit
    // (its options' --hot-limit, capped by the tape's class).
    double hotLimit_C = INFINITY;
    // The materials weighed, by name; empty: the plan's own; "all": every one
    // with loss data.
    std::vector<std::string> materials;
    // The hottest a candidate may run with the plan's options: the hot limit
    // and the options' most rise above their ambient at once.
    double HottestAllowed(const winding::Options& o) const {
        return std::min(hotLimit_C, o.ambient_C + o.maxRise_K);
    }
    // Bounds on the reflected voltage, together if need be: the duty at the
    // minimum input (never above 0.75), and the switch's rating derated.
    std::optional<double> dmax, vdsRating;
    double derating = winding::Info(winding::ChoiceNumber::Derating).first,
           clampRatio = winding::Info(winding::ChoiceNumber::ClampRatio).first;
    // Skip what cannot be on the front nor in the ranking, by the floors of
    // its losses; off, every candidate its sketch does not rule out (it does
    // not fit, saturates, passes the switch's rating or is too hot by its
    // floor alone) is planned.
    bool prune = true;
    // Set from another thread to stop early (a window closed, the inputs
    // changed): the answer is then of the candidates weighed so far.
    const std::atomic<bool>* stop = nullptr;
    // Told before the search (0 of the cores) and after each core is
    // weighed, for a front end that shows how far it has come.
    std::function<void(std::size_t done, std::size_t cores, std::size_t materials)> progress;
};

// The materials as typed, "N87,PC95" or "all": the names between the commas,
// blanks around them dropped, empty ones skipped.
std::vector<std::string> MaterialList(std::string_view text);

// The materials a list names, against the catalogue: names it lacks, and
// names it has without the loss data a candidate is ranked by. `usable`
// lists every material that can be weighed. Empty list or "all": no problem.
struct MaterialsProblem {
    std::vector<std::string> unknown, withoutLoss, usable;
    explicit operator bool() const { return !unknown.empty() || !withoutLoss.empty(); }
};
MaterialsProblem CheckMaterials(const catalogue::Catalogue& parts,
                                const std::vector<std::string>& names);
// The problem in Chinese, as the window and the page say it; and a list of
// names for a front end's words, at most `shown` of them, then `more` with
// its # as the count left out: "A, B (and 9998 more)".
std::string MaterialsCaption(const MaterialsProblem& problem);
std::string NamesShown(const std::vector<std::string>& names, std::size_t shown,
                       std::string_view separator, std::string_view more);

// Weights that rank nothing (all zero) or that a score cannot carry (above
// kMostWeight, or not numbers) would leave no bar to skip candidates by, and
// the search would weigh every one in full.
bool WeightsUsable(const std::array<double, 3>& weights);

struct Candidate {
    const catalogue::Core* core = nullptr;
    const catalogue::Material* material = nullptr;
    int Np = 0, Ns = 0;
    double Vor_V = 0, Bpk_T = 0, fill = 0;
    double BpkLimit_T = 0;  // at the current limit, the inductance and the limit high
    double Pcopper_W = 0, Pcore_W = 0, rise_K = 0;
    // Valley-switched, the switch's turn-on loss at the maximum input and full
    // load: the turns set the valley's voltage, so it is the candidate's.
    std::optional<double> PturnOn_W;
    double Pclamp_W = 0;  // the clamp's at the leakage's estimate (its parts sized for the limit)
    double loss_W = 0;    // the copper's, the core's, the clamp's and any turn-on loss
    // The plan's cautions the candidate is kept with (kShownCautions).
    std::vector<std::string_view> cautions;
    double Vds_V = 0;       // the switch's peak at the maximum input
    double volume_cm3 = 0;  // the core's effective volume
    // The cheapest stock set the plan offers (ungapped, or gapped to its
    // gap), with its price, distributor and date; none where none is stocked.
    const catalogue::StockPart* stock = nullptr;
    double score = 0;  // by the rank asked for; lower is better
};

// The reflected voltages weighed: from the choices' bounds (the duty at the
// minimum input at most Dmax, never above 0.75; the switch's peak at most the
// derated rating), else 60 % to 140 % of the press's; a fixed Vor is the one
// range of its own value.
struct VorRange {
    double low = 0, high = 0;
    // 0.2 × Vmax: a range wholly below it leaves every candidate a short
    // duty and a tall peak (the plan's reflected_voltage_low), which the
    // summary says rather than ranking them silently.
    double lowestSensible = 0;
    bool AllTooLow() const { return high > 0 && high < lowestSensible; }
};
VorRange VorRangeOf(const record::DesignRecord& record, const winding::Options& options,
                    const Settings& settings);

struct Advice {
    // Why nothing was weighed, in Chinese: the supply's own plan fails for a
    // reason no candidate escapes (an input, an option, the insulation), so
    // a search would fail every one. Empty when the search ran.
    std::string problem;
    long tried = 0, feasible = 0;
    long pruned = 0;   // of those tried, skipped as unable to matter
    long planned = 0;  // of those tried, planned in full
    std::array<long, kDrops> droppedBy{};
    std::vector<Candidate> all;    // every feasible one planned, in the order planned
    std::vector<Candidate> front;  // by volume, smallest first
    std::vector<Candidate> top;    // by the rank, best first
    VorRange vor;
    // The switch's rating every candidate was held to (derated), and whether
    // it was assumed (none given).
    std::optional<double> vdsRating_V;
    bool ratingAssumed = false;
    double minSaturationMargin = 0;
    // The options every candidate was planned with (the rating's clamp among
    // them): a candidate opened as a plan is OptionsOf(it, plannedWith).
    winding::Options plannedWith;
    double elapsed_ms = 0;
    // What the ranking was by, and why the first won, in Chinese (worded
    // while the catalogue the candidates point into is at hand).
    Rank rank = Rank::Volume;
    double hottest_C = 0, maxRise_K = 0;
    std::string whyFirst;
};

// Why the first of the ranking won, in Chinese; empty without one.
std::string WhyFirst(const Advice& advice);

Advice Advise(const record::DesignRecord& record, const winding::Options& options,
              const catalogue::Catalogue& parts, const Settings& settings = {});

// The candidates no other is both smaller (core volume) and cooler (total
// loss) than, ties kept, by volume.
std::vector<Candidate> ParetoFront(std::vector<Candidate> feasible);

// A candidate as a row of the comparison, in Chinese, numbers to four
// digits, under these headings; and as CSV (a header of symbols, then one
// line a candidate, full precision).
inline constexpr std::size_t kColumns = 15;
extern const std::array<std::string_view, kColumns> kHeadings;
std::array<std::string, kColumns> Row(const Candidate& candidate);
std::string Csv(const std::vector<Candidate>& candidates);
// A text as one CSV cell: quoted, its quotes doubled, and one that starts as
// a formula would (=, +, -, @) prefixed with ' so a spreadsheet shows it.
std::string CsvText(std::string_view text);
// The comparison's chart: its axes' captions and its two sets of points.
inline constexpr std::string_view kVolumeAxis = "磁芯体积 Ve (cm³)";
inline constexpr std::string_view kLossAxis = "总损耗 (W)";
inline constexpr std::string_view kAllPoints = "完整计算的可行方案";
inline constexpr std::string_view kFrontPoints = "帕累托前沿";
// Tens of thousands of markers would draw slowly: the feasible candidates a
// chart draws, up to 4000 evenly picked (the front is drawn whole besides);
// and the chart's extent from zero, over every candidate.
std::vector<const Candidate*> ChartPoints(const Advice& advice);
struct ChartExtent {
    double volume_cm3 = 1, loss_W = 1;
};
ChartExtent ExtentOf(const Advice& advice);

// Why candidates were dropped, in Chinese: "饱和 12，过热 340".
std::string DropsCaption(const Advice& advice);
// What was weighed, in Chinese, for every front end: "候选 … 个，其中 … 个已知
// 不能胜出，未完整计算；完整计算 … 个，可行 … 个；剔除：…；反射电压 … 至 …；用时 …".
std::string Summary(const Advice& advice);

// The choices' ways to the reflected voltage as the search's bounds: the
// controller's duty limit, the switch's rating and derating.
void BoundsFrom(const winding::Choices& choices, Settings& settings);

// Switched in the design's valley at every input, the least turn-on loss at
// the maximum input a candidate's full plan can have, from its sketch (the
// plan before its losses settle); the search bounds its totals by it.
double TurnOnFloor(const winding::Plan& sketch, const winding::Resonance& resonance);

// The options that make the plan of a candidate: its core, material and turns.
winding::Options OptionsOf(const Candidate& candidate, const winding::Options& options);

}  // namespace flyback::advise
