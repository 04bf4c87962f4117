#include "advise/advise.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <queue>

#include "catalogue/names.hpp"
#include "record/readable.hpp"
#include "runtime/decimal_conversion.hpp"
#include "winding/physics.hpp"

namespace flyback::advise {
namespace {

constexpr double kDutyCeiling = 0.75;
constexpr double kVorLow = 0.6, kVorHigh = 1.4;  // of the press's, without bounds
constexpr int kMostSecondaryTurns = 200;

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
    }
    return c.loss_W;
}

// The candidate's plan judged: a reason to drop it, or none; its numbers
// either way, where the plan has them.
std::optional<Drop> Judge(const winding::PlanOutcome& outcome, const Settings& s, Candidate& c) {
    if (!outcome.plan) return Drop::NoPlan;
    const winding::Plan& p = *outcome.plan;
    if (!p.fits) return Drop::DoesNotFit;
    if (p.Bsat100_T && p.BpkLimit_T > *p.Bsat100_T) return Drop::Saturates;
    if (s.vdsRating && p.Vswitch_V > s.derating * *s.vdsRating) return Drop::SwitchRating;
    if (!p.Pcopper_W || !p.Pcore_W || !p.dT_K) return Drop::NoLoss;
    c.Vor_V = p.Vor_V;
    c.Bpk_T = p.Bpk_T;
    c.fill = p.fill;
    c.Pcopper_W = *p.Pcopper_W;
    c.Pcore_W = *p.Pcore_W;
    c.loss_W = c.Pcopper_W + c.Pcore_W;
    c.rise_K = *p.dT_K;
    c.Vds_V = p.Vswitch_V;
    c.volume_cm3 = p.core->Ve_mm3 / 1000;
    c.score = Score(c, s);
    if (!p.hot_C || p.options.ambient_C + *p.dT_K > s.hotLimit_C) return Drop::TooHot;
    return std::nullopt;
}

// What a row of one secondary turns count held.
struct TurnsRow {
    bool anyFits = false, anyFeasible = false;
    bool copperHot = true;          // every candidate that fits too hot, its copper the larger loss
    double leastCopper = INFINITY;  // the least any material's copper loss can be
};

bool Better(const Candidate& a, const Candidate& b) {
    if (a.score != b.score) return a.score < b.score;
    if (a.loss_W != b.loss_W) return a.loss_W < b.loss_W;
    return a.volume_cm3 < b.volume_cm3;
}

}  // namespace

VorRange VorRangeOf(const record::DesignRecord& record, const winding::Options& options,
                    const Settings& settings) {
    const winding::Choices& c = options.choices;
    if (c.vorSource == winding::VorSource::Value) return {c.Vor_V, c.Vor_V};
    const double vor = record.trace.results.ReflectedVoltage;
    VorRange range{kVorLow * vor, kVorHigh * vor};
    if (settings.dmax || settings.vdsRating) range.high = INFINITY;
    if (settings.dmax) {
        const double duty = std::min(*settings.dmax, kDutyCeiling);
        range.high = std::min(range.high, duty * record.trace.inputs.MinInputVoltage / (1 - duty));
    }
    if (settings.vdsRating) {
        range.high = std::min(range.high, settings.derating * *settings.vdsRating -
                                              record.trace.inputs.MaxInputVoltage -
                                              record.trace.results.SpikeAllowance);
    }
    // Bounded, the range reaches as far below the bound as below the press's.
    if (settings.dmax || settings.vdsRating) range.low = kVorLow * std::min(vor, range.high);
    return range;
}

winding::Options OptionsOf(const Candidate& candidate, const winding::Options& options) {
    winding::Options o = options;
    o.core = candidate.core->name;
    o.material = candidate.material->name;
    o.choices.vorSource = winding::VorSource::Press;  // the turns set it
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

// Copper's resistivity at `celsius`, relative: the bound on another
// material's copper loss from this one's.
double Resistivity(double celsius) {
    return 1 + winding::physics::kCopperTemperatureCoefficient * (celsius - 20);
}

// The search over the cores, smallest first, with what can still matter: a
// candidate whose loss cannot be below the best of every smaller core (the
// front) nor below the ranking's last place is not planned. Copper loss grows
// with the turns (at a fixed current density, with their number), and is at
// least the hot copper's scaled to the coolest copper, so a bound on it bounds
// the rest of a row of materials and the rows of more turns.
class Search {
  public:
    Search(const record::DesignRecord& record, const winding::Options& options,
           const catalogue::Catalogue& parts, const Settings& settings, Advice& advice)
        : record_(record), options_(options), parts_(parts), settings_(settings), advice_(advice) {
        for (const catalogue::Material& m : parts.materials) {
            if (!m.steinmetz.empty()) materials_.push_back(&m);
        }
        // The user's material first: its plan bounds the others'.
        std::stable_partition(materials_.begin(), materials_.end(),
                              [&](const auto* m) { return m->name == options.material; });
        perTurn_ = RegulatedVolts(record, options);
    }

    void Run() {
        std::vector<const catalogue::Core*> cores;
        for (const catalogue::Core& core : parts_.cores) {
            if (Allowed(core, options_)) cores.push_back(&core);
        }
        std::stable_sort(cores.begin(), cores.end(),
                         [](const auto* a, const auto* b) { return a->Ve_mm3 < b->Ve_mm3; });
        double volume = -1;
        for (const catalogue::Core* core : cores) {
            if (core->Ve_mm3 != volume) {  // the cores before are all smaller now
                smallerBest_ = std::min(smallerBest_, groupBest_);
                volume = core->Ve_mm3;
            }
            Core(*core);
        }
    }

    std::vector<Candidate> feasible;

  private:
    double Bar() const {
        if (!settings_.prune || settings_.rank == Rank::Weighted) return INFINITY;
        const double top = ranked_.size() < static_cast<std::size_t>(std::max(settings_.top, 1))
                               ? INFINITY
                               : ranked_.top();
        return std::max(top, smallerBest_);
    }

    void Keep(const Candidate& c) {
        ++advice_.feasible;
        feasible.push_back(c);
        groupBest_ = std::min(groupBest_, c.loss_W);
        ranked_.push(c.loss_W);
        if (ranked_.size() > static_cast<std::size_t>(std::max(settings_.top, 1))) ranked_.pop();
    }

    void Core(const catalogue::Core& core) {
        bool seenFeasible = false;
        for (int Ns = 1; Ns <= kMostSecondaryTurns; ++Ns) {
            const int NpLow = std::max(1, int(std::ceil(advice_.vor.low * Ns / perTurn_ - 1e-9)));
            const int NpHigh = int(std::floor(advice_.vor.high * Ns / perTurn_ + 1e-9));
            if (NpLow > NpHigh) continue;
            TurnsRow row;
            for (int Np = NpLow; Np <= NpHigh; ++Np) Pair(core, Ns, Np, row);
            seenFeasible = seenFeasible || row.anyFeasible;
            // More turns only build higher; past the feasible rows into ones too
            // hot from their copper, or whose copper alone cannot win, more
            // turns only add copper.
            if (!row.anyFits) break;
            if (seenFeasible && !row.anyFeasible && row.copperHot) break;
            if (row.leastCopper > Bar()) break;
        }
    }

    // One turns pair in every material.
    void Pair(const catalogue::Core& core, int Ns, int Np, TurnsRow& row) {
        if (settings_.stop != nullptr && settings_.stop->load(std::memory_order_relaxed)) {
            row.anyFits = false;  // ends the core's rows, and each core's at once
            return;
        }
        for (std::size_t m = 0; m < materials_.size(); ++m) {
            Candidate c;
            c.core = &core;
            c.material = materials_[m];
            c.Np = Np;
            c.Ns = Ns;
            ++advice_.tried;
            const winding::PlanOutcome outcome =
                winding::PlanWinding(record_, OptionsOf(c, options_), parts_);
            const std::optional<Drop> drop = Judge(outcome, settings_, c);
            const auto rest = static_cast<long>(materials_.size() - m - 1);
            if (drop == Drop::DoesNotFit) {
                // The material changes nothing of the build.
                advice_.tried += rest;
                advice_.droppedBy[static_cast<std::size_t>(Drop::DoesNotFit)] += 1 + rest;
                return;
            }
            row.anyFits = true;
            row.copperHot = row.copperHot && drop == Drop::TooHot && c.Pcopper_W > c.Pcore_W;
            if (drop) {
                ++advice_.droppedBy[static_cast<std::size_t>(*drop)];
            } else {
                row.anyFeasible = true;
                Keep(c);
            }
            if (m == 0 && outcome.plan && outcome.plan->hot_C && c.Pcopper_W > 0) {
                const double coolest = c.Pcopper_W * Resistivity(options_.ambient_C) /
                                       Resistivity(*outcome.plan->hot_C);
                row.leastCopper = std::min(row.leastCopper, coolest);
                if (coolest > Bar()) {  // no material's copper alone can win
                    advice_.tried += rest;
                    advice_.pruned += rest;
                    return;
                }
            } else if (m == 0) {
                row.leastCopper = 0;  // nothing to bound the row by
            }
        }
    }

    const record::DesignRecord& record_;
    const winding::Options& options_;
    const catalogue::Catalogue& parts_;
    const Settings& settings_;
    Advice& advice_;
    std::vector<const catalogue::Material*> materials_;
    double perTurn_ = 0;
    double smallerBest_ = INFINITY, groupBest_ = INFINITY;
    std::priority_queue<double> ranked_;  // the best losses so far, the worst of them on top
};

}  // namespace

Advice Advise(const record::DesignRecord& record, const winding::Options& options,
              const catalogue::Catalogue& parts, const Settings& settings) {
    const auto start = std::chrono::steady_clock::now();
    Advice advice;
    advice.vor = VorRangeOf(record, options, settings);
    Search search(record, options, parts, settings, advice);
    search.Run();
    std::vector<Candidate>& feasible = search.feasible;
    advice.front = ParetoFront(feasible);
    const std::size_t top =
        std::min(feasible.size(), static_cast<std::size_t>(std::max(0, settings.top)));
    std::vector<Candidate> ranked = feasible;
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(top),
                      ranked.end(), Better);
    advice.top.assign(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(top));
    advice.all = std::move(feasible);
    advice.elapsed_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return advice;
}

const std::array<std::string_view, kColumns> kHeadings = {
    "磁芯", "材料",     "Np:Ns",  "Vor'", "Bpk",       "填充系数",
    "铜损", "磁芯损耗", "总损耗", "温升", "开关管峰值"};

std::array<std::string, kColumns> Row(const Candidate& c) {
    using record::ReadableValue;
    return {catalogue::CoreCaption(c.core->name),
            c.material->name,
            std::to_string(c.Np) + ":" + std::to_string(c.Ns),
            ReadableValue(c.Vor_V, "V"),
            ReadableValue(c.Bpk_T, "T"),
            ReadableValue(c.fill, ""),
            ReadableValue(c.Pcopper_W, "W"),
            ReadableValue(c.Pcore_W, "W"),
            ReadableValue(c.loss_W, "W"),
            ReadableValue(c.rise_K, "K"),
            ReadableValue(c.Vds_V, "V")};
}

std::string Csv(const std::vector<Candidate>& candidates) {
    std::string csv =
        "core,material,Np,Ns,Vor_V,Bpk_T,fill,P_copper_W,P_core_W,P_total_W,dT_K,Vds_V,"
        "Ve_cm3\n";
    const auto number = [](double v) { return runtime::decimal::ShortestText(v); };
    for (const Candidate& c : candidates) {
        csv += "\"" + c.core->name + "\"," + c.material->name + "," + std::to_string(c.Np) + "," +
               std::to_string(c.Ns) + "," + number(c.Vor_V) + "," + number(c.Bpk_T) + "," +
               number(c.fill) + "," + number(c.Pcopper_W) + "," + number(c.Pcore_W) + "," +
               number(c.loss_W) + "," + number(c.rise_K) + "," + number(c.Vds_V) + "," +
               number(c.volume_cm3) + "\n";
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
    constexpr std::string_view kCaptions[kDrops] = {"无方案",     "绕不下",   "饱和",
                                                    "开关管耐压", "温度超限", "无损耗数据"};
    std::string text;
    for (std::size_t i = 0; i < kDrops; ++i) {
        if (advice.droppedBy[i] == 0) continue;
        text += (text.empty() ? "" : "，") + std::string(kCaptions[i]) + " " +
                std::to_string(advice.droppedBy[i]);
    }
    return text.empty() ? "无" : text;
}

}  // namespace flyback::advise
