#include "advise/advise.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <queue>

#include "catalogue/names.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "record/readable.hpp"
#include "runtime/decimal_conversion.hpp"
#include "winding/core_loss.hpp"
#include "winding/physics.hpp"

namespace flyback::advise {
namespace {

constexpr double kDutyCeiling = 0.75;
constexpr double kVorLow = 0.6, kVorHigh = 1.4;  // of the press's, without bounds
constexpr int kMostSecondaryTurns = 200;

// A small load fits hundreds of turns of fine wire, and its copper never
// rules a pair out: every pair of every row would be weighed, the work
// growing as the square of the turns. Pairs a few per cent apart are the
// same transformer within the inductance's own tolerance, so beyond the
// turns a supply of watts uses, the rows and the pairs in each are spaced
// by a few per cent: the work per core is bounded whatever the load.
constexpr int kEveryRowUpTo = 16;           // secondary turns weighed one by one
constexpr int kMostPairsInARow = 96;        // up to kEveryRowUpTo
constexpr int kMostPairsInASpacedRow = 32;  // beyond: Vor' steps of about 3 %

int NextSecondaryTurns(int Ns) {
    return Ns < kEveryRowUpTo ? Ns + 1 : Ns + std::max(1, Ns / kEveryRowUpTo);
}

int PrimaryStep(int Ns, int pairs) {
    const int most = Ns <= kEveryRowUpTo ? kMostPairsInARow : kMostPairsInASpacedRow;
    return std::max(1, (pairs + most - 1) / most);
}

bool Allowed(const catalogue::Core& core, const winding::Options& options) {
    if (!core.Automatic()) return false;
    return options.families.empty() || std::find(options.families.begin(), options.families.end(),
                                                 core.family) != options.families.end();
}

double RegulatedVolts(const record::DesignRecord& record, const winding::Options& options) {
    const winding::Choices& c = options.choices;
    if (!c.outputs.empty()) return c.outputs.front().V + c.outputs.front().VF_V;
    return record.trace.inputs.OutputVoltage + winding::physics::kRectifierDrop;
}

double Score(const Candidate& c, const Settings& s) {
    switch (s.rank) {
        case Rank::Loss:
            return c.loss_W;
        case Rank::Rise:
            return c.rise_K;
        case Rank::Volume:
            return c.volume_cm3;
        case Rank::Weighted:
            return s.weights[0] * c.loss_W + s.weights[1] * c.rise_K + s.weights[2] * c.volume_cm3;
        case Rank::Price:
            return c.stock ? c.stock->cost : INFINITY;
    }
    return c.loss_W;
}

// The cheapest of the plan's stock offers.
const catalogue::StockPart* Cheapest(const winding::Plan& p) {
    const catalogue::StockPart* cheapest = nullptr;
    for (const winding::Plan::StockOffer& offer : p.stock) {
        if (!cheapest || offer.part->cost < cheapest->cost) cheapest = offer.part;
    }
    return cheapest;
}

bool Shown(std::string_view code) {
    return std::find(std::begin(kShownCautions), std::end(kShownCautions), code) !=
           std::end(kShownCautions);
}

// The plan's cautions: none that would drop the candidate, and those it is
// kept with.
std::optional<Drop> Cautions(const winding::Plan& p, Candidate& c) {
    using Strength = record::Warning::Strength;
    for (const winding::PlanWarning& w : p.warnings) {
        if (w.strength == Strength::Note) continue;
        if (!Shown(w.code)) return Drop::Caution;
        if (std::find(c.cautions.begin(), c.cautions.end(), w.code) == c.cautions.end())
            c.cautions.push_back(w.code);
    }
    return std::nullopt;
}

// The candidate's plan judged: a reason to drop it, or none; its numbers
// either way, where the plan has them.
std::optional<Drop> Judge(const winding::PlanOutcome& outcome, const Settings& s, Candidate& c) {
    if (!outcome.plan) return Drop::NoPlan;
    const winding::Plan& p = *outcome.plan;
    if (!p.fits) return Drop::DoesNotFit;
    // What the plan would warn of is no candidate to recommend.
    if (p.BpkMinSection_T > p.options.Bmax_T) return Drop::FluxAboveBmax;
    // The margin is over the worst corner, the current limit's among them:
    // below 1 the limit saturates, below the least kept it comes too near.
    if (p.saturationMargin && *p.saturationMargin < p.options.choices.minSaturationMargin)
        return Drop::Saturates;
    if (s.vdsRating && p.Vswitch_V > s.derating * *s.vdsRating) return Drop::SwitchRating;
    // The duty as the plan has it, the energy flow counted, not the lossless
    // ratio the search's range was drawn from.
    if (s.dmax && p.atVmin.D > *s.dmax) return Drop::Duty;
    if (!p.Pcopper_W || !p.Pcore_W || !p.dT_K) return Drop::NoLoss;
    c.Vor_V = p.Vor_V;
    c.Bpk_T = p.Bpk_T;
    c.BpkLimit_T = p.BpkLimit_T;
    c.fill = p.fill;
    c.Pcopper_W = *p.Pcopper_W;
    c.Pcore_W = *p.Pcore_W;
    if (const std::optional<winding::Resonance> r = p.switching)
        c.PturnOn_W = winding::TurnOnLoss(p.atVmax, r->Cds_F);
    c.Pclamp_W = winding::TypicalClampLoss(p);
    c.loss_W = c.Pcopper_W + c.Pcore_W + c.Pclamp_W + c.PturnOn_W.value_or(0);
    c.rise_K = *p.dT_K;
    c.Vds_V = p.Vswitch_V;
    c.volume_cm3 = p.core->Ve_mm3 / 1000;
    c.stock = Cheapest(p);
    c.score = Score(c, s);
    if (!p.hot_C || p.options.ambient_C + *p.dT_K > s.HottestAllowed(p.options))
        return Drop::TooHot;
    return Cautions(p, c);
}

// The plan's own material unless the settings name others, or "all".
bool MaterialAllowed(const catalogue::Material& m, const catalogue::Catalogue& parts,
                     const winding::Options& options, const Settings& settings) {
    const auto same = [&](const std::string& name) { return parts.FindMaterial(name) == &m; };
    if (settings.materials.empty()) return same(options.material);
    for (const std::string& name : settings.materials) {
        if (name == "all" || same(name)) return true;
    }
    return false;
}

bool Better(const Candidate& a, const Candidate& b) {
    if (a.score != b.score) return a.score < b.score;
    if (a.loss_W != b.loss_W) return a.loss_W < b.loss_W;
    return a.volume_cm3 < b.volume_cm3;
}

}  // namespace

std::vector<std::string> MaterialList(std::string_view text) {
    std::vector<std::string> names;
    while (!text.empty()) {
        const std::size_t comma = std::min(text.find(','), text.size());
        std::string_view name = text.substr(0, comma);
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        if (!name.empty()) names.emplace_back(name);
        text.remove_prefix(std::min(comma + 1, text.size()));
    }
    return names;
}

MaterialsProblem CheckMaterials(const catalogue::Catalogue& parts,
                                const std::vector<std::string>& names) {
    MaterialsProblem problem;
    for (const catalogue::Material& m : parts.materials) {
        if (!m.steinmetz.empty()) problem.usable.push_back(m.name);
    }
    for (const std::string& name : names) {
        if (name == "all") continue;
        const catalogue::Material* found = parts.FindMaterial(name);
        if (found == nullptr) {
            problem.unknown.push_back(name);
        } else if (found->steinmetz.empty()) {
            problem.withoutLoss.push_back(found->name);
        }
    }
    return problem;
}

std::string NamesShown(const std::vector<std::string>& names, std::size_t shown,
                       std::string_view separator, std::string_view more) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < shown; ++i) {
        if (i > 0) text += separator;
        text += names[i];
    }
    if (names.size() > shown) {
        text += std::string(more).replace(std::string(more).find('#'), 1,
                                          std::to_string(names.size() - shown));
    }
    return text;
}

std::string MaterialsCaption(const MaterialsProblem& problem) {
    std::string text;
    if (!problem.unknown.empty())
        text += "材料 " + NamesShown(problem.unknown, 5, "、", " 等 # 种") + " 不在目录中。";
    if (!problem.withoutLoss.empty())
        text += "材料 " + NamesShown(problem.withoutLoss, 5, "、", " 等 # 种") +
                " 没有损耗数据，无法排序。";
    return text + "可比较的材料：" + NamesShown(problem.usable, 1000, "、", "") + "。";
}

bool WeightsUsable(const std::array<double, 3>& weights) {
    bool any = false;
    for (const double weight : weights) {
        if (!(weight >= 0 && weight <= kMostWeight)) return false;
        any = any || weight > 0;
    }
    return any;
}

VorRange VorRangeOf(const record::DesignRecord& record, const winding::Options& options,
                    const Settings& settings) {
    const winding::Choices& c = options.choices;
    if (c.vorSource == winding::VorSource::Value) return {c.Vor_V, c.Vor_V, 0};
    const double vor = record.trace.results.ReflectedVoltage;
    VorRange range{kVorLow * vor, kVorHigh * vor,
                   winding::kLowestVorOfVmax * record.trace.inputs.MaxInputVoltage};
    if (settings.dmax || settings.vdsRating) range.high = INFINITY;
    if (settings.dmax) {
        const double duty = std::min(*settings.dmax, kDutyCeiling);
        range.high = std::min(range.high, duty * record.trace.inputs.MinInputVoltage / (1 - duty));
    }
    if (settings.vdsRating) {
        range.high = std::min(range.high, (settings.derating * *settings.vdsRating -
                                           record.trace.inputs.MaxInputVoltage) /
                                              settings.clampRatio);
    }
    // Bounded, the range reaches as far below the bound as below the press's.
    if (settings.dmax || settings.vdsRating) range.low = kVorLow * std::min(vor, range.high);
    return range;
}

winding::Options OptionsOf(const Candidate& candidate, const winding::Options& options) {
    winding::Options o = options;
    o.core = candidate.core->name;
    o.material = candidate.material->name;
    // The turns set Vor; a switch's rating still sets the clamp.
    if (o.choices.vorSource != winding::VorSource::SwitchRating)
        o.choices.vorSource = winding::VorSource::Press;
    o.choices.Np = candidate.Np;
    o.choices.Ns = candidate.Ns;
    return o;
}

std::vector<Candidate> ParetoFront(std::vector<Candidate> feasible) {
    std::sort(feasible.begin(), feasible.end(), [](const Candidate& a, const Candidate& b) {
        if (a.volume_cm3 != b.volume_cm3) return a.volume_cm3 < b.volume_cm3;
        return a.loss_W < b.loss_W;
    });
    std::vector<Candidate> front;
    double least = INFINITY;  // the least loss of the smaller cores
    for (std::size_t i = 0; i < feasible.size();) {
        // Cores of one volume together: each is dominated only by a smaller one.
        std::size_t j = i;
        double leastHere = INFINITY;
        while (j < feasible.size() && feasible[j].volume_cm3 == feasible[i].volume_cm3) {
            leastHere = std::min(leastHere, feasible[j].loss_W);
            ++j;
        }
        for (std::size_t k = i; k < j; ++k) {
            if (feasible[k].loss_W < least && feasible[k].loss_W == leastHere)
                front.push_back(feasible[k]);
        }
        least = std::min(least, leastHere);
        i = j;
    }
    return front;
}

namespace {

// A floor is computed in other steps than the loss it bounds: this much below
// it, rounding cannot lift it above.
constexpr double kFloorMargin = 1 - 1e-9;
// The clamp's loss as its sketch has it is not a floor: the full plan's
// wire, chosen warm, builds differently, and its leakage with it. A share of
// it is: over the three bench supplies on every core of the catalogue (turns
// from 5 to 10 times Ns, Ns to 12), the full plan's was never below 0.54 of
// its sketch's; PruningLosesNothing holds the search to it.
constexpr double kClampFloorShare = 0.4;
// The copper's and the core's temperature, wherever a feasible plan settles:
// from ambient (it only warms) to the hot-spot limit, the last step's own
// within the hundredth of a kelvin it settles to.
constexpr double kSettledWithin_K = 0.02;
// How often a floor that may matter is raised by what it implies, and the
// harmonics its copper is then bounded by (a dozen when first sketched).
// Each step starts from the warmth the last floor implied, so a floor only
// rises; the steps are a cost, not a condition of soundness (any number
// leaves a floor). The closer copper floor counts its first 512 harmonics
// at their own factors and the rest at the next one's, where the sketch's
// counts a dozen: currents that end in a step keep much of their square in
// the harmonics past a dozen.
constexpr int kTighterSteps = 3;
constexpr int kFirstHarmonics = 12;
constexpr int kCloserHarmonics = 512;
// The largest loss that could still matter: doubled from the floor until
// its score passes the last place (64 doublings pass any loss a double
// holds: past them nothing could put it out), then halved to the last bit
// of a double's 53 (60 rounds leave a margin).
constexpr int kMostDoublings = 64;
constexpr int kBisections = 60;

// The frequency at the maximum input, from below, whatever the losses the
// plan settles to. With x = √T, x = (a·s + √(a²·s² + 4·tw)) ÷ 2 for
// a = 1 ÷ Von + 1 ÷ Vreset (s and the wait tw fixed by Lp): convex in a, so
// x1 ≤ r·x0 + (1 − r)·√tw where r = a1 ÷ a0. The flow only lowers Von (the
// stored power is at most the input's), which lowers r, and raises Vreset
// from the reflected power to the stored, at least what the rectifiers take
// (or all that comes in); Lp ≤ T0 ÷ (2·P·a0²) bounds tw.
double ValleyFrequencyFloor(const winding::Plan& sketch, const winding::Resonance& resonance) {
    const double Vmin = sketch.atVmin.Vin, Vmax = sketch.atVmax.Vin;
    const double T0 = 1 / sketch.f_Hz;
    const double reflected = sketch.stored_W / sketch.load.resetRise;
    const double leastStored = std::min(sketch.rectified_W, sketch.load.InputPower());
    const double leastRise = std::min(1.0, leastStored / reflected) * kFloorMargin;
    const double u = 1 / (sketch.Vor_V * leastRise);
    const double r = (1 / Vmax + u) / (1 / Vmin + u);
    const double c =
        (resonance.firstValley - 0.5) * 2 * std::numbers::pi * std::sqrt(resonance.Cds_F);
    const double wait = std::min(T0, c * std::sqrt(T0 / (2 * leastStored)) * Vmin);
    const double x1 = r * std::sqrt(T0) + (1 - r) * std::sqrt(wait);
    return 1 / (x1 * x1);
}

}  // namespace

double TurnOnFloor(const winding::Plan& sketch, const winding::Resonance& resonance) {
    const double V = winding::ValleyVoltage(sketch.atVmax);
    return 0.5 * resonance.Cds_F * V * V * ValleyFrequencyFloor(sketch, resonance) * kFloorMargin;
}

namespace {

// A turns pair on a core, as its sketch left it: what its candidates' loss
// floors are computed from, in every material.
struct Geometry {
    std::size_t core = 0;  // in the search's own list
    int Np = 0, Ns = 0;
    double copper_W = 0;  // the copper's floor over the search's whole span
    double deltaB_T = 0, rise = 0, fall = 0, surface_cm2 = 0;
    double turnOn_W = 0;  // valley-switched, the floor of the switch's turn-on loss
    double clamp_W = 0;   // the clamp's as sketched: its losses only raise it
};

// A candidate not yet planned in full, and what its losses cannot be below:
// its total, and its rise (from the transformer's own, without the switch's).
struct Pending {
    double floor_W = 0, riseFloor_K = 0;
    std::size_t geometry = 0, material = 0;
};

bool ByFloor(const Pending& a, const Pending& b) {
    return a.floor_W < b.floor_W;
}

// The search, core by core from the smallest. Each turns pair is sketched
// once (the build is the same in every material): what does not fit,
// saturates or breaks the switch's rating is dropped, and each material's
// candidate has its losses bounded from below. Then the core's candidates
// from the least floor up, each planned in full only if it can still be on
// the front (its floor below the least loss of every smaller core found, and
// no more than the least of its own size) or in the ranking (its floor's
// score within the last place's). Copper loss grows with the turns, so a
// core's further rows stop where copper alone is too hot or cannot matter.
class Search {
  public:
    Search(const record::DesignRecord& record, const winding::Options& options,
           const catalogue::Catalogue& parts, const Settings& settings, Advice& advice)
        : record_(record), options_(options), parts_(parts), settings_(settings), advice_(advice) {
        for (const catalogue::Material& m : parts.materials) {
            if (!m.steinmetz.empty() && MaterialAllowed(m, parts, options, settings))
                materials_.push_back(&m);
        }
        for (const catalogue::Core& core : parts.cores) {
            if (Allowed(core, options)) cores_.push_back(&core);
        }
        std::stable_sort(cores_.begin(), cores_.end(),
                         [](const auto* a, const auto* b) { return a->Ve_mm3 < b->Ve_mm3; });
        for (std::size_t i = 0; i < cores_.size(); ++i) {
            const bool larger = i > 0 && cores_[i]->Ve_mm3 != cores_[i - 1]->Ve_mm3;
            sizeOf_.push_back(i == 0 ? 0 : sizeOf_.back() + (larger ? 1 : 0));
        }
        smallerBest_.assign(cores_.size(), INFINITY);
        sameBest_.assign(cores_.size(), INFINITY);
        regulatedVolts_ = RegulatedVolts(record, options);
        // The turns alone set the reflected voltage: a pair the plan would
        // caution for a low one is dropped by its sketch, not planned in full.
        lowVorDrops_ = !Shown(winding::kReflectedVoltageLow);
        coolest_ = options.ambient_C - kSettledWithin_K;
        hottest_ = std::max(settings.HottestAllowed(options), options.ambient_C) + kSettledWithin_K;
    }

    std::size_t Pairs() const { return cores_.size() * materials_.size(); }

    // Core by core: enumerate and bound its candidates, then prune or plan
    // each from the least floor up; what is planned and feasible is ranked.
    void Run() {
        Progress(0);
        for (std::size_t core = 0; core < cores_.size() && !Stopped(); ++core) {
            Enumerate(core);
            PruneOrPlan();
            pending_.clear();
            geometries_.clear();
            resketched_.clear();
            Progress(core + 1);
        }
    }

    std::vector<Candidate> feasible;

  private:
    void Progress(std::size_t done) const {
        if (settings_.progress) settings_.progress(done, cores_.size(), materials_.size());
    }

    bool Stopped() const {
        return settings_.stop != nullptr && settings_.stop->load(std::memory_order_relaxed);
    }

    void Count(Drop why, long count = 1) {
        advice_.droppedBy[static_cast<std::size_t>(why)] += count;
    }

    std::size_t Size(std::size_t core) const { return static_cast<std::size_t>(sizeOf_[core]); }

    // The least loss a candidate on `core` must be at or below to be on the front.
    double FrontBar(std::size_t core) const {
        return std::min(smallerBest_[core], sameBest_[Size(core)]);
    }

    bool OnFrontByFloor(const Pending& p, std::size_t core) const {
        return p.floor_W < smallerBest_[core] && p.floor_W <= sameBest_[Size(core)];
    }

    void PruneOrPlan() {
        std::sort(pending_.begin(), pending_.end(), ByFloor);
        for (Pending& p : pending_) {
            if (Stopped()) return;
            if (RuledOutOnceRaised(p)) {
                ++advice_.pruned;
                continue;
            }
            Plan(p);
        }
    }

    // Each turns pair of the Vor range on `core` sketched once, its
    // materials' candidates bounded (SketchPair) and kept for PruneOrPlan.
    void Enumerate(std::size_t core) {
        for (int Ns = 1; Ns <= kMostSecondaryTurns; Ns = NextSecondaryTurns(Ns)) {
            const int NpLow =
                std::max(1, int(std::ceil(advice_.vor.low * Ns / regulatedVolts_ - 1e-9)));
            const int NpHigh = int(std::floor(advice_.vor.high * Ns / regulatedVolts_ + 1e-9));
            if (NpLow > NpHigh) continue;
            const int step = PrimaryStep(Ns, NpHigh - NpLow + 1);
            bool anyFits = false;
            Pending leastCopper{INFINITY, INFINITY};
            // More turns only build higher, and only add copper: past a pair
            // that does not fit, or whose copper alone is too hot or cannot
            // matter, so are those of more primary turns; past such a row,
            // so are the rows of more secondary turns.
            for (int Np = NpLow; Np <= NpHigh && !Stopped(); Np += step) {
                const std::optional<Pending> copper = SketchPair(core, Np, Ns);
                if (!copper) break;
                anyFits = true;
                if (copper->floor_W < leastCopper.floor_W) leastCopper = *copper;
                if (CopperRulesOut(*copper, core)) break;
            }
            if (!anyFits || CopperRulesOut(leastCopper, core)) break;
        }
    }

    bool CopperRulesOut(const Pending& copper, std::size_t core) const {
        return TooHot(copper) || (settings_.prune && CannotMatterByFloor(copper, core));
    }

    // The pair sketched in each construction its plan may take (both where
    // the plan chooses): a floor is the least over those that fit.
    std::vector<winding::PlanOutcome> SketchesOf(std::size_t core, int Np, int Ns) const {
        Candidate c;
        c.core = cores_[core];
        c.material = materials_.front();
        c.Np = Np;
        c.Ns = Ns;
        winding::Options o = OptionsOf(c, options_);
        if (o.construction != winding::Construction::Auto)
            return {winding::SketchWinding(record_, o, parts_)};
        std::vector<winding::PlanOutcome> sketches;
        for (const auto construction :
             {winding::Construction::Margin, winding::Construction::Tiw}) {
            o.construction = construction;
            sketches.push_back(winding::SketchWinding(record_, o, parts_));
        }
        return sketches;
    }

    // The sketches that plan and fit; `planned` whether any planned at all.
    static std::vector<winding::Plan> Fitting(std::vector<winding::PlanOutcome> outcomes,
                                              bool& planned) {
        std::vector<winding::Plan> fitting;
        planned = false;
        for (winding::PlanOutcome& o : outcomes) {
            if (!o.plan) continue;
            planned = true;
            if (o.plan->fits) fitting.push_back(std::move(*o.plan));
        }
        return fitting;
    }

    std::optional<double> LeastCopperFloor(const std::vector<winding::Plan>& sketches,
                                           double hottest, int harmonics) const {
        std::optional<double> least;
        for (const winding::Plan& s : sketches) {
            const auto floor = winding::CopperLossFloor(s, parts_, coolest_, hottest, harmonics);
            if (!floor || !s.surface_cm2) return std::nullopt;
            least = std::min(least.value_or(INFINITY), *floor);
        }
        return least;
    }

    // One turns pair sketched and each material's candidate judged or kept
    // for later; where it fits, the floor of its copper alone.
    std::optional<Pending> SketchPair(std::size_t core, int Np, int Ns) {
        const long count = static_cast<long>(materials_.size());
        advice_.tried += count;
        bool planned = false;
        const std::vector<winding::Plan> fitting = Fitting(SketchesOf(core, Np, Ns), planned);
        if (!planned) {
            Count(Drop::NoPlan, count);
            return Pending{};  // an arithmetic limit, not a build: further rows may plan
        }
        if (fitting.empty()) {
            Count(Drop::DoesNotFit, count);  // the material changes nothing of the build
            return std::nullopt;
        }
        // The turns, flux, stresses and surface are the construction's own
        // in none of them: the first sketch tells them.
        const winding::Plan& sketch = fitting.front();
        const std::optional<double> copper = LeastCopperFloor(fitting, hottest_, kFirstHarmonics);
        if (!copper) {
            Count(Drop::NoLoss, count);
            return Pending{};
        }
        double clamp = INFINITY;
        for (const winding::Plan& s : fitting)
            clamp = std::min(clamp, winding::TypicalClampLoss(s) * kClampFloorShare);
        geometries_.push_back({core, Np, Ns, *copper, sketch.deltaB_T, sketch.atVmin.D,
                               sketch.atVmin.D2, *sketch.surface_cm2, TurnOnFloor(sketch), clamp});
        if (coreLoss_.empty()) {  // every sketch is at the press's frequency
            for (const catalogue::Material* m : materials_) coreLoss_.emplace_back(*m, sketch.f_Hz);
        }
        for (std::size_t m = 0; m < materials_.size(); ++m) {
            if (const auto why = Limit(sketch, *materials_[m])) {
                Count(*why);
                continue;
            }
            Pending p{0, 0, geometries_.size() - 1, m};
            if (!Bound(p, *copper, coolest_, hottest_)) {
                Count(Drop::NoLoss);
                continue;
            }
            if (TooHot(p)) {
                Count(Drop::TooHot);
                continue;
            }
            if (lowVorDrops_ && winding::ReflectedVoltageLow(sketch)) {
                Count(Drop::Caution);
                continue;
            }
            pending_.push_back(p);
        }
        const double floor = *copper * kFloorMargin;
        return Pending{floor + LeastTurnOn(sketch) + clamp,
                       winding::RiseOf(floor, *sketch.surface_cm2)};
    }

    double TurnOnFloor(const winding::Plan& sketch) const {
        const std::optional<winding::Resonance>& r = sketch.switching;
        if (!r || r->lastValley > r->firstValley) return 0;
        return advise::TurnOnFloor(sketch, *r);
    }

    // The same for every turns pair of the search, at the design's frequency
    // (the line only raises it) and the highest Vor the search weighs: more
    // primary turns raise Vor and lower the valley, so this bounds a row's
    // further pairs too.
    double LeastTurnOn(const winding::Plan& sketch) const {
        const std::optional<winding::Resonance>& r = sketch.switching;
        if (!r || r->lastValley > r->firstValley) return 0;
        const double V = std::max(0.0, sketch.atVmax.Vin - advice_.vor.high);
        return 0.5 * r->Cds_F * V * V * sketch.f_Hz * kFloorMargin;
    }

    // The limits a sketch already tells, in the order a full plan is judged.
    std::optional<Drop> Limit(const winding::Plan& sketch,
                              const catalogue::Material& material) const {
        const double Bsat = material.Bsat_100C_mT.value_or(INFINITY) / 1000;
        if (sketch.BpkMinSection_T > sketch.options.Bmax_T) return Drop::FluxAboveBmax;
        if (sketch.BpkLimit_T > Bsat) return Drop::Saturates;
        if (settings_.vdsRating && sketch.Vswitch_V > settings_.derating * *settings_.vdsRating)
            return Drop::SwitchRating;
        return std::nullopt;
    }

    std::optional<double> CoreFloor(const Geometry& g, std::size_t material, double coolest,
                                    double hottest) const {
        const auto density = coreLoss_[material](g.deltaB_T, g.rise, g.fall, coolest, hottest);
        if (!density) return std::nullopt;
        return *density * cores_[g.core]->Ve_mm3 * 1e-9;
    }

    // The copper's floor with its skin at `hottest`: the sketch's own at the
    // search's hottest, or closer, from the sketch again (kept: a few are
    // raised often) with more harmonics.
    double CopperFloor(std::size_t geometry, double hottest) {
        const Geometry& g = geometries_[geometry];
        if (hottest == hottest_) return g.copper_W;
        auto kept = resketched_.find(geometry);
        if (kept == resketched_.end()) {
            bool planned = false;
            kept = resketched_.emplace(geometry, Fitting(SketchesOf(g.core, g.Np, g.Ns), planned))
                       .first;
        }
        return *LeastCopperFloor(kept->second, hottest, kCloserHarmonics);
    }

    // The candidate's floor with its copper and core from `coolest` to
    // `hottest`, the copper's at the search's coolest `copper_W`; false where
    // the material has no loss data to bound it by.
    bool Bound(Pending& p, double copper_W, double coolest, double hottest) const {
        const Geometry& g = geometries_[p.geometry];
        const std::optional<double> core = CoreFloor(g, p.material, coolest, hottest);
        if (!core) return false;
        // Copper's loss at a floor's temperature goes as its resistivity.
        const double copper =
            copper_W * winding::CopperResistivity(coolest) / winding::CopperResistivity(coolest_);
        const double transformer = (copper + *core) * kFloorMargin;
        p.floor_W = transformer + g.turnOn_W + g.clamp_W;
        p.riseFloor_K = winding::RiseOf(transformer, g.surface_cm2);
        return true;
    }

    bool TooHot(const Pending& p) const {
        return options_.ambient_C + p.riseFloor_K > settings_.HottestAllowed(options_);
    }

    bool RankingHasRoom() const {
        return ranked_.size() < static_cast<std::size_t>(std::max(settings_.top, 1));
    }

    // Neither on the front nor in the ranking (its floor's score past the
    // last place's). A floor that may matter is raised first, supposing it
    // matters, until that proves impossible: the transformer is at least as
    // warm as its floor's rise makes it, and no warmer than the largest loss
    // that could still matter would make it.
    bool RuledOutOnceRaised(Pending& p) {
        if (!settings_.prune) return false;
        const std::size_t core = geometries_[p.geometry].core;
        if (CannotMatterByFloor(p, core)) return true;
        return !Raised(p, LargestThatMatters(p, core),
                       [&] { return CannotMatterByFloor(p, core); });
    }

    // Raises `p`'s floor, supposing its loss at most `most`, while `ruledOut`
    // is false; whether it still stands.
    template <class Test>
    bool Raised(Pending& p, double most, const Test& ruledOut) {
        if (ruledOut()) return false;
        const Geometry& g = geometries_[p.geometry];
        double coolest = coolest_, hottest = hottest_;
        if (std::isfinite(most)) {
            hottest = std::min(hottest, options_.ambient_C + winding::RiseOf(most, g.surface_cm2) +
                                            kSettledWithin_K);
        }
        // First by the sketch's own copper floor, then by a closer one.
        for (const bool closer : {false, true}) {
            const double copper =
                closer ? CopperFloor(p.geometry, hottest) : geometries_[p.geometry].copper_W;
            for (int step = 0; step < kTighterSteps; ++step) {
                coolest = std::max(coolest, options_.ambient_C + p.riseFloor_K - kSettledWithin_K);
                if (coolest > hottest) return false;
                Bound(p, copper, coolest, hottest);
                if (TooHot(p) || ruledOut()) return false;
            }
        }
        return true;
    }

    bool CannotMatterByFloor(const Pending& p, std::size_t core) const {
        if (OnFrontByFloor(p, core)) return false;
        if (RankingHasRoom()) return false;
        return FloorScore(p, core) > ranked_.top();
    }

    double FloorScore(const Pending& p, std::size_t core) const {
        // A negative weight rewards what the floor cannot bound from above.
        const bool bounded = std::all_of(settings_.weights.begin(), settings_.weights.end(),
                                         [](double w) { return w >= 0; });
        if (settings_.rank == Rank::Weighted && !bounded)
            return -std::numeric_limits<double>::infinity();
        Candidate c;
        c.loss_W = p.floor_W;
        c.rise_K = p.riseFloor_K;
        c.volume_cm3 = cores_[core]->Ve_mm3 / 1000;
        if (settings_.rank == Rank::Price) c.stock = CheapestStocked(core, p.material);
        return Score(c, settings_);
    }

    // What a candidate's price cannot be below: the cheapest set of its core
    // and material in stock, whatever its gap.
    const catalogue::StockPart* CheapestStocked(std::size_t core, std::size_t material) const {
        const auto key = std::make_pair(core, material);
        if (const auto found = cheapest_.find(key); found != cheapest_.end()) return found->second;
        const catalogue::StockPart* cheapest = nullptr;
        for (const catalogue::StockPart* part :
             catalogue::StockOf(*cores_[core], *materials_[material])) {
            if (!cheapest || part->cost < cheapest->cost) cheapest = part;
        }
        return cheapest_.emplace(key, cheapest).first->second;
    }

    // The largest loss of its transformer (the total less the switch's
    // turn-on floor) at which the candidate could still be on the front or
    // in the ranking: its score grows with that loss.
    double LargestThatMatters(const Pending& p, std::size_t core) const {
        const Geometry& g = geometries_[p.geometry];
        const double front = std::max(0.0, FrontBar(core) - g.turnOn_W);
        if (RankingHasRoom()) return INFINITY;
        const auto score = [&](double loss) {
            return FloorScore(
                {loss + g.turnOn_W, winding::RiseOf(loss, g.surface_cm2), p.geometry, p.material},
                core);
        };
        const double bar = ranked_.top();
        if (settings_.rank == Rank::Loss) return std::max({front, bar - g.turnOn_W, 0.0});
        if (score(0) > bar) return front;
        double high = std::max(p.floor_W, 1e-6);
        for (int i = 0; score(high) <= bar; ++i) {
            if (i == kMostDoublings) return INFINITY;  // nothing it could lose would put it out
            high *= 2;
        }
        double low = 0;
        for (int i = 0; i < kBisections; ++i) {
            const double middle = (low + high) / 2;
            (score(middle) <= bar ? low : high) = middle;
        }
        return std::max(front, high);
    }

    void Plan(const Pending& p) {
        const Geometry& g = geometries_[p.geometry];
        Candidate c;
        c.core = cores_[g.core];
        c.material = materials_[p.material];
        c.Np = g.Np;
        c.Ns = g.Ns;
        ++advice_.planned;
        const winding::PlanOutcome outcome =
            winding::PlanWinding(record_, OptionsOf(c, options_), parts_, winding::Beside::Nothing);
        if (const std::optional<Drop> drop = Judge(outcome, settings_, c)) {
            Count(*drop);
            return;
        }
        Keep(g.core, c);
    }

    // Ranks a feasible candidate: the bars the front and the ranking set for
    // the candidates still to come.
    void Keep(std::size_t core, const Candidate& c) {
        ++advice_.feasible;
        feasible.push_back(c);
        double& same = sameBest_[Size(core)];
        same = std::min(same, c.loss_W);
        for (std::size_t i = 0; i < cores_.size(); ++i) {
            if (sizeOf_[i] > sizeOf_[core]) smallerBest_[i] = std::min(smallerBest_[i], c.loss_W);
        }
        ranked_.push(c.score);
        if (ranked_.size() > static_cast<std::size_t>(std::max(settings_.top, 1))) ranked_.pop();
    }

    const record::DesignRecord& record_;
    const winding::Options& options_;
    const catalogue::Catalogue& parts_;
    const Settings& settings_;
    Advice& advice_;
    std::vector<const catalogue::Material*> materials_;
    std::vector<winding::LeastTriangleLoss> coreLoss_;  // of each material
    std::vector<const catalogue::Core*> cores_;         // by volume
    std::vector<int> sizeOf_;          // of each core, by volume, equal volumes alike
    std::vector<double> smallerBest_;  // the least loss found on a smaller core
    std::vector<double> sameBest_;     // by size, the least loss found of that size
    std::vector<Geometry> geometries_;
    std::vector<Pending> pending_;
    std::map<std::size_t, std::vector<winding::Plan>>
        resketched_;  // by geometry, as floors are raised
    // By core and material, as CheapestStocked finds them.
    mutable std::map<std::pair<std::size_t, std::size_t>, const catalogue::StockPart*> cheapest_;
    double regulatedVolts_ = 0, coolest_ = 0, hottest_ = 0;
    bool lowVorDrops_ = true;
    std::priority_queue<double> ranked_;  // the best scores so far, the worst of them on top
};

// A switch's rating that bounds the search sets each candidate's clamp the
// way it sets a plan's: at the clamp ratio times the candidate's own Vor.
winding::Options RatedBy(winding::Options options, const Settings& settings) {
    // Every candidate in the usual order: a floor from one order's sketch
    // bounds no other order's plan.
    if (options.order == winding::Order::Auto) options.order = winding::Order::PSB;
    if (!settings.vdsRating || options.choices.vorSource == winding::VorSource::SwitchRating)
        return options;
    winding::Choices& c = options.choices;
    c.vorSource = winding::VorSource::SwitchRating;
    c.VdsRating_V = *settings.vdsRating;
    c.derating = settings.derating;
    c.clampRatio = settings.clampRatio;
    return options;
}

}  // namespace

Advice Advise(const record::DesignRecord& record, const winding::Options& given,
              const catalogue::Catalogue& parts, const Settings& settings) {
    const auto start = std::chrono::steady_clock::now();
    Advice advice;
    Settings own = settings;
    // No candidate is recommended that ignores the switch: without a rating
    // the usual part for the input is assumed, and said.
    const bool rated =
        settings.vdsRating || given.choices.vorSource == winding::VorSource::SwitchRating;
    if (!rated) {
        const double Vmax = record.trace.inputs.MaxInputVoltage;
        own.vdsRating = winding::AssumedRating_V(Vmax);
        if (!own.vdsRating) {
            advice.problem = "最高输入 " + record::ReadableValue(Vmax, "V") +
                             " 高于 560 V，没有可假定的开关管：请给出开关管耐压。";
            return advice;
        }
        advice.ratingAssumed = true;
    }
    advice.vdsRating_V =
        own.vdsRating ? own.vdsRating : std::optional<double>(given.choices.VdsRating_V);
    const winding::Options options = RatedBy(given, own);
    advice.plannedWith = options;
    own.hotLimit_C = std::min(settings.hotLimit_C, winding::HotLimit(options));
    // A Vor the engineer fixed stays the one range, whatever clamp the
    // rating sets.
    advice.vor = VorRangeOf(
        record, given.choices.vorSource == winding::VorSource::Value ? given : options, own);
    advice.rank = own.rank;
    advice.hottest_C = own.HottestAllowed(options);
    advice.maxRise_K = options.maxRise_K;
    advice.minSaturationMargin = options.choices.minSaturationMargin;
    // The plan of the supply's own choices fails alike for every candidate
    // when what fails is not the core, material or turns.
    if (const winding::PlanOutcome own =
            winding::PlanWinding(record, options, parts, winding::Beside::Nothing);
        !own.plan && own.candidateFree) {
        advice.problem = plan_sheet::FailureText(own);
        return advice;
    }
    if (const MaterialsProblem problem = CheckMaterials(parts, own.materials)) {
        advice.problem = MaterialsCaption(problem);
        return advice;
    }
    // A list of no material that can be ranked weighs nothing.
    if (std::none_of(parts.materials.begin(), parts.materials.end(), [&](const auto& m) {
            return !m.steinmetz.empty() && MaterialAllowed(m, parts, options, own);
        })) {
        advice.problem = "所选材料中没有带损耗数据的，无法比较。";
        return advice;
    }
    Search search(record, options, parts, own, advice);
    if (search.Pairs() > kMostWeighed) {
        advice.problem = "要比较的磁芯与材料共 " + std::to_string(search.Pairs()) +
                         " 组，超过上限 " + std::to_string(kMostWeighed) +
                         " 组；请缩小磁芯系列或材料的范围。";
        return advice;
    }
    search.Run();
    std::vector<Candidate>& feasible = search.feasible;
    advice.front = ParetoFront(feasible);
    const std::size_t top =
        std::min(feasible.size(), static_cast<std::size_t>(std::max(0, own.top)));
    std::vector<Candidate> ranked = feasible;
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(top),
                      ranked.end(), Better);
    advice.top.assign(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(top));
    advice.all = std::move(feasible);
    advice.whyFirst = WhyFirst(advice);
    advice.elapsed_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return advice;
}

// Each column in one unit, named in its heading, so that a column reads down
// at a glance; the losses in milliwatts, where an adapter's transformer lies.
const std::array<std::string_view, kColumns> kHeadings = {
    "磁芯",        "材料",      "Np:Ns",          "Vor' (V)",      "Bpk (T)",
    "填充系数",    "铜损 (mW)", "磁芯损耗 (mW)",  "钳位损耗 (mW)", "开通损耗 (mW)",
    "总损耗 (mW)", "温升 (K)",  "开关管峰值 (V)", "价格",          "告诫"};

std::string CautionsCaption(const Candidate& c) {
    std::string text;
    for (const std::string_view code : c.cautions) {
        if (!text.empty()) text += "、";
        const auto* at = std::find(std::begin(kShownCautions), std::end(kShownCautions), code);
        text += kShownCautionCaptions[at - std::begin(kShownCautions)];
    }
    return text.empty() ? "—" : text;
}

// The data names no currency: the price as its distributor gave it, with
// whose and when.
std::string PriceCaption(const Candidate& c) {
    if (!c.stock) return "—";
    return record::ReadableNumber(c.stock->cost) + "（" + c.stock->distributor + " " +
           c.stock->date + "）";
}

std::array<std::string, kColumns> Row(const Candidate& c) {
    using record::ReadableNumber;
    return {catalogue::CoreCaption(c.core->name),
            c.material->name,
            std::to_string(c.Np) + ":" + std::to_string(c.Ns),
            ReadableNumber(c.Vor_V),
            ReadableNumber(c.Bpk_T),
            ReadableNumber(c.fill),
            ReadableNumber(c.Pcopper_W * 1e3),
            ReadableNumber(c.Pcore_W * 1e3),
            ReadableNumber(c.Pclamp_W * 1e3),
            c.PturnOn_W ? ReadableNumber(*c.PturnOn_W * 1e3) : std::string("—"),
            ReadableNumber(c.loss_W * 1e3),
            ReadableNumber(c.rise_K),
            ReadableNumber(c.Vds_V),
            PriceCaption(c),
            CautionsCaption(c)};
}

std::string CsvText(std::string_view text) {
    std::string cell = "\"";
    // A spreadsheet would evaluate a cell that starts like a formula.
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        cell += '\'';
    for (const char c : text) {
        if (c == '"') cell += '"';
        cell += c;
    }
    return cell + "\"";
}

std::string CautionCodes(const Candidate& c) {
    std::string codes;
    for (const std::string_view code : c.cautions)
        codes += (codes.empty() ? "" : " ") + std::string(code);
    return codes;
}

std::string Csv(const std::vector<Candidate>& candidates) {
    std::string csv =
        "core,material,Np,Ns,Vor_V,Bpk_T,fill,P_copper_W,P_core_W,P_clamp_W,P_turn_on_W,P_total_W,"
        "dT_K,Vds_V,Ve_cm3,price,stock_part,cautions\n";
    const auto number = [](double v) { return runtime::decimal::ShortestText(v); };
    for (const Candidate& c : candidates) {
        csv += CsvText(c.core->name) + "," + CsvText(c.material->name) + "," +
               std::to_string(c.Np) + "," + std::to_string(c.Ns) + "," + number(c.Vor_V) + "," +
               number(c.Bpk_T) + "," + number(c.fill) + "," + number(c.Pcopper_W) + "," +
               number(c.Pcore_W) + "," + number(c.Pclamp_W) + "," +
               (c.PturnOn_W ? number(*c.PturnOn_W) : "") + "," + number(c.loss_W) + "," +
               number(c.rise_K) + "," + number(c.Vds_V) + "," + number(c.volume_cm3) + "," +
               (c.stock ? number(c.stock->cost) + "," + CsvText(c.stock->reference) : ",") + "," +
               CsvText(CautionCodes(c)) + "\n";
    }
    return csv;
}

std::vector<const Candidate*> ChartPoints(const Advice& advice) {
    constexpr std::size_t kMostPoints = 4000;
    const std::size_t step =
        std::max<std::size_t>(1, (advice.all.size() + kMostPoints - 1) / kMostPoints);
    std::vector<const Candidate*> points;
    for (std::size_t i = 0; i < advice.all.size(); i += step) points.push_back(&advice.all[i]);
    return points;
}

ChartExtent ExtentOf(const Advice& advice) {
    double volume = 0, loss = 0;
    for (const Candidate& c : advice.all) {
        volume = std::max(volume, c.volume_cm3);
        loss = std::max(loss, c.loss_W);
    }
    // A margin above the largest, so that no point sits on the frame.
    return {volume > 0 ? volume * 1.05 : 1, loss > 0 ? loss * 1.05 : 1};
}

std::string DropsCaption(const Advice& advice) {
    constexpr std::string_view kCaptions[kDrops] = {"无方案",     "绕不下",     "高于 Bmax",
                                                    "饱和",       "开关管耐压", "温度超限",
                                                    "无损耗数据", "占空比超限", "方案告诫"};
    std::string text;
    for (std::size_t i = 0; i < kDrops; ++i) {
        if (advice.droppedBy[i] == 0) continue;
        text += (text.empty() ? "" : "，") + std::string(kCaptions[i]) + " " +
                std::to_string(advice.droppedBy[i]);
    }
    return text.empty() ? "无" : text;
}

namespace {

// A sentence ended once, whatever its last part brought.
std::string Ended(std::string text) {
    constexpr std::string_view kStop = "。";
    if (!text.ends_with(kStop)) text += kStop;
    return text;
}

}  // namespace

std::string Summary(const Advice& a) {
    using record::ReadableValue;
    if (!a.problem.empty()) return Ended("没有比较：" + a.problem);
    return Ended("候选 " + std::to_string(a.tried) + " 个，其中 " + std::to_string(a.pruned) +
                 " 个已知不能胜出，未完整计算；完整计算 " + std::to_string(a.planned) +
                 " 个，可行 " + std::to_string(a.feasible) + " 个；剔除：" + DropsCaption(a) +
                 "；反射电压 " + ReadableValue(a.vor.low, "V") + " 至 " +
                 ReadableValue(a.vor.high, "V") +
                 (a.vor.high > 0 ? "" : "（开关管耐压扣除输入后已无余量，没有候选）") +
                 (a.vor.AllTooLow() ? "，都低于最大输入电压的 0.2 倍（" +
                                          ReadableValue(a.vor.lowestSensible, "V") +
                                          "）：各候选占空比小、峰值电流大，可提高开关管耐压"
                                    : "") +
                 (a.ratingAssumed && a.vdsRating_V
                      ? "；开关管耐压未给出，按 " + ReadableValue(*a.vdsRating_V, "V") + " 假定"
                      : "") +
                 "；用时 " + ReadableValue(a.elapsed_ms / 1000, "s") +
                 (a.whyFirst.empty() ? "" : "。" + a.whyFirst));
}

namespace {

std::string TotalLossText(const Candidate& c) {
    using record::ReadableValue;
    return ReadableValue(c.loss_W, "W") + "，含钳位损耗 " + ReadableValue(c.Pclamp_W, "W") +
           (c.PturnOn_W ? "、开关管开通损耗 " + ReadableValue(*c.PturnOn_W, "W") : "");
}

}  // namespace

std::string WhyFirst(const Advice& a) {
    using record::ReadableValue;
    if (a.top.empty()) return {};
    const Candidate& c = a.top.front();
    const std::string name = catalogue::CoreCaption(c.core->name) + " " + c.material->name + " " +
                             std::to_string(c.Np) + ":" + std::to_string(c.Ns);
    const std::string limits = "满足全部限制（温升不超过 " + ReadableValue(a.maxRise_K, "K") +
                               "，热点不超过 " + ReadableValue(a.hottest_C, "°C") +
                               "，饱和裕量不低于 " + ReadableValue(a.minSaturationMargin, "") +
                               "）的方案中";
    switch (a.rank) {
        case Rank::Volume:
            return "首选 " + name + "：" + limits + "磁芯体积最小（" +
                   ReadableValue(c.volume_cm3, "cm³") + "），同体积中总损耗最低（" +
                   TotalLossText(c) + "）。";
        case Rank::Loss:
            return "首选 " + name + "：" + limits + "总损耗最低（" + TotalLossText(c) + "）。";
        case Rank::Rise:
            return "首选 " + name + "：" + limits + "温升最低（" + ReadableValue(c.rise_K, "K") +
                   "）。";
        case Rank::Weighted:
            return "首选 " + name + "：" + limits + "加权得分最低。";
        case Rank::Price:
            return c.stock ? "首选 " + name + "：" + limits + "库存磁芯套件最便宜（" +
                                 c.stock->reference + "，" + PriceCaption(c) + "）。"
                           : "首选 " + name + "：" + limits + "没有一个有库存价格，按总损耗排序（" +
                                 TotalLossText(c) + "）。";
    }
    return {};
}

std::optional<Rank> RankAt(double place) {
    if (!(place >= 0 && place < static_cast<double>(std::size(kRankNames))) ||
        std::floor(place) != place)
        return std::nullopt;
    return static_cast<Rank>(static_cast<int>(place));
}

void BoundsFrom(const winding::Choices& choices, Settings& settings) {
    if (choices.vorSource == winding::VorSource::MaxDuty) settings.dmax = choices.Dmax;
    if (choices.vorSource == winding::VorSource::SwitchRating) {
        settings.vdsRating = choices.VdsRating_V;
        settings.derating = choices.derating;
        settings.clampRatio = choices.clampRatio;
    }
}

}  // namespace flyback::advise
