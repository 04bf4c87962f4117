#include "winding/wire_choice.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>

#include "insulation/requirements.hpp"
#include "runtime/arithmetic.hpp"
#include "winding/physics.hpp"
#include "winding/plan_design.hpp"
#include "winding/wire_candidates.hpp"

namespace flyback::winding {

using plan_design::kMaxTurns;
using plan_design::PlanLimit;
using plan_design::SquareMillimetres;
using plan_design::WholeCount;
using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::SquareRoot;
using runtime::Subtract;
namespace k = physics;

namespace {

constexpr double kMaxStrands = 10000;
// Loss within this share of the least counts as a tie, won by the simpler build.
constexpr double kTie = 0.01;

// The next larger wire for the copper area; where that is thicker than twice
// the skin depth, the fewest strands of the thickest wire within it.
void StrandRule(Winding& w, const std::vector<const catalogue::Wire*>& wires, double J,
                double skin_mm) {
    if (wires.empty()) throw PlanLimit{PlanFailure::NoWire};
    w.conductor = Conductor::Round;
    w.wire = wires.front();
    w.strands = 1;
    if (!w.Irms_A) return;
    const double area = Divide(*w.Irms_A, J);
    const auto single = std::find_if(wires.begin(), wires.end(), [&](const auto* wire) {
        return SquareMillimetres(wire->conductor_mm) >= area;
    });
    const double limit = Multiply(2, skin_mm);
    if (single != wires.end() && (*single)->conductor_mm <= limit) {
        w.wire = *single;
        return;
    }
    for (const catalogue::Wire* wire : wires) {
        if (wire->conductor_mm <= limit) w.wire = wire;
    }
    w.strands = WholeCount(std::ceil(Divide(area, SquareMillimetres(w.wire->conductor_mm))),
                           kMaxStrands, Counted::Strands);
}

// The windings one conductor is chosen for at once: the halves of a split
// winding are wound of the same wire.
std::vector<std::vector<Winding*>> Groups(Plan& plan) {
    std::vector<std::vector<Winding*>> groups;
    std::vector<Winding*> halves;
    for (Winding& w : plan.windings) {
        if (w.half > 0) {
            halves.push_back(&w);
        } else {
            groups.push_back({&w});
        }
    }
    if (!halves.empty()) groups.push_back(halves);  // only one winding is ever split
    return groups;
}

// The group as the candidate winds it: each winding laid out, with its DC
// loss at the working temperature (per metre of mean turn where the core's is
// unknown: a group's candidates are compared with each other only).
struct Laid {
    std::vector<Winding> wound;
    std::vector<double> dc;
    double height_mm = 0, copper_mm2 = 0, dcLoss = 0;
};

std::optional<Laid> Lay(const std::vector<Winding*>& group, const WireCandidate& c,
                        const Plan& plan) {
    Laid laid;
    const double mlt_m = Multiply(plan.core->MLT_mm.value_or(1000), 1e-3);
    for (const Winding* w : group) {
        try {
            laid.wound.push_back(Wound(*w, c, std::max(plan.insulation.width_mm, c.outer_mm)));
        } catch (const PlanLimit&) {
            return std::nullopt;  // beyond what anyone winds
        }
        const Winding& wound = laid.wound.back();
        const double area = CopperArea_mm2(wound);
        laid.height_mm += wound.height_mm;
        laid.copper_mm2 += Multiply(area, wound.turns);
        const double resistance = Divide(
            Multiply(Multiply(CopperResistivity(k::kWorkingTemperature_C), mlt_m), wound.turns),
            Multiply(area, 1e-6));
        laid.dc.push_back(Multiply(Multiply(*w->Irms_A, *w->Irms_A), resistance));
        laid.dcLoss += laid.dc.back();
    }
    return laid;
}

// The group's copper loss over its current's harmonics; `floor` from the
// first few alone, which it cannot be below.
double AcLossOf(const Laid& laid, const Plan& plan, bool floor) {
    double loss = 0;
    for (std::size_t i = 0; i < laid.wound.size(); ++i) {
        const Winding& w = laid.wound[i];
        const std::vector<Ramp> current = CurrentOf(w, plan);
        const double delta = PenetrationOf(w, plan, k::kWorkingTemperature_C);
        const double ratio = floor ? AcToDcFloor(current, delta, DowellLayers(w))
                                   : AcToDc(current, delta, DowellLayers(w)).ratio;
        loss += Multiply(laid.dc[i], ratio);
    }
    return loss;
}

struct Budget {
    double height_mm = 0, copper_mm2 = 0;
};

// A way of winding the group laid out within the budget: the floor of its
// loss, the rule it breaks before its loss is known (none: the rules allow
// it), and its loss once priced.
struct Option {
    WireCandidate candidate;
    Laid laid;
    std::optional<RuleBreach> breach;
    double floor = 0, loss = 0;
};

// The first rule the candidate breaks as laid out, by the rules' order; the
// litz's saving is judged once the round wire's loss is known. No wire finer
// than the finest is ever offered (WiresOfKind).
std::optional<RuleBreach> BreachOf(const std::vector<Winding>& wound, const WireCandidate& c,
                                   const WinderRules& rules) {
    const Winding& w = wound.front();
    const double current = w.Irms_A.value_or(0);
    // Foil is a turn a layer: its own rule counts its turns.
    int layers = 0;
    for (const Winding& each : wound) layers = std::max(layers, each.layers);
    if (c.conductor != Conductor::Foil && layers > rules.mostLayers)
        return RuleBreach{ChoiceNumber::MostLayers, static_cast<double>(layers), rules.mostLayers};
    if (c.conductor == Conductor::Litz && current < rules.litzLeastCurrent_A)
        return RuleBreach{ChoiceNumber::LitzCurrent, current, rules.litzLeastCurrent_A};
    if (c.conductor == Conductor::Foil && w.turns > rules.foilMostTurns)
        return RuleBreach{ChoiceNumber::FoilTurns, static_cast<double>(w.turns),
                          rules.foilMostTurns};
    if (c.conductor == Conductor::Foil && current < rules.foilLeastCurrent_A)
        return RuleBreach{ChoiceNumber::FoilCurrent, current, rules.foilLeastCurrent_A};
    return std::nullopt;
}

// Each option of the list priced in full, least floor first, while its floor
// is within a tie of the least loss yet found (from `least`): the rest
// cannot win.
std::vector<const Option*> PriceWithin(std::vector<Option*> options, const Plan& plan,
                                       double least) {
    std::stable_sort(options.begin(), options.end(),
                     [](const Option* a, const Option* b) { return a->floor < b->floor; });
    std::vector<const Option*> priced;
    for (Option* o : options) {
        if (o->floor >= least * (1 + kTie)) break;
        o->loss = AcLossOf(o->laid, plan, false);
        least = std::min(least, o->loss);
        priced.push_back(o);
    }
    return priced;
}

double LeastLoss(const std::vector<const Option*>& priced) {
    double least = INFINITY;
    for (const Option* o : priced) least = std::min(least, o->loss);
    return least;
}

// The least loss; a simpler build within kTie of it wins.
const Option* Best(const std::vector<const Option*>& priced) {
    const double least = LeastLoss(priced);
    const Option* simplest = nullptr;
    for (const Option* o : priced) {
        if (o->loss <= least * (1 + kTie) &&
            (!simplest || o->candidate.complexity < simplest->candidate.complexity))
            simplest = o;
    }
    return simplest;
}

struct Choice {
    std::optional<WireCandidate> candidate;  // none: the strand rule's wire stays
    double extraHeight_mm = 0, extraCopper_mm2 = 0;
    ConductorReason reason = ConductorReason::CurrentDensity;
    std::optional<RuleBreach> breach;
};

Choice ChoiceOf(const Option& o, const Laid& asItIs, ConductorReason reason) {
    return {o.candidate, o.laid.height_mm - asItIs.height_mm, o.laid.copper_mm2 - asItIs.copper_mm2,
            o.breach ? ConductorReason::RulesBroken : reason, o.breach};
}

// The bias, or a winding of little current: the thinnest single round wire
// for the current density that the rules allow; else the thinnest that fits.
Choice OneWire(std::vector<Option>& options, const Laid& asItIs, const WinderRules& rules) {
    const Option* thinnest = nullptr;
    for (const Option& o : options) {
        if (o.candidate.conductor != Conductor::Round || o.candidate.strands > 1) continue;
        const auto better = [&](const Option* than) {
            if (!than) return true;
            if (o.breach.has_value() != than->breach.has_value()) return !o.breach;
            return o.candidate.wire->conductor_mm < than->candidate.wire->conductor_mm;
        };
        if (better(thinnest)) thinnest = &o;
    }
    if (thinnest) return ChoiceOf(*thinnest, asItIs, ConductorReason::OneWire);
    Choice kept = ChoiceOf(options.front(), asItIs, ConductorReason::OneWire);
    kept.reason = ConductorReason::RulesBroken;
    kept.breach = RuleBreach{ChoiceNumber::OneWireCurrent,
                             *options.front().laid.wound.front().Irms_A, rules.oneWireBelow_A};
    return kept;
}

std::vector<Option*> Allowed(std::vector<Option>& options, Conductor kind) {
    std::vector<Option*> allowed;
    for (Option& o : options) {
        if (!o.breach && o.candidate.conductor == kind) allowed.push_back(&o);
    }
    return allowed;
}

// The least loss the rules allow: round wire, single or in parallel, and
// foil where the rules let it; litz only where it saves the rules' share of
// the best round wire's loss. Where the rules allow nothing that fits, the
// least lossy that fits, with the rule it breaks.
Choice LeastLossByTheRules(std::vector<Option>& options, const Plan& plan, const Laid& asItIs) {
    const WinderRules& rules = plan.options.choices.rules;
    for (Option& o : options) o.floor = AcLossOf(o.laid, plan, true);
    std::vector<const Option*> pool =
        PriceWithin(Allowed(options, Conductor::Round), plan, INFINITY);
    const double bestRound = LeastLoss(pool);
    const std::vector<const Option*> foil =
        PriceWithin(Allowed(options, Conductor::Foil), plan, LeastLoss(pool));
    pool.insert(pool.end(), foil.begin(), foil.end());
    const double litzBar =
        std::isfinite(bestRound) ? Multiply(bestRound, Subtract(1, rules.litzLeastGain)) : INFINITY;
    for (const Option* o :
         PriceWithin(Allowed(options, Conductor::Litz), plan, std::min(LeastLoss(pool), litzBar))) {
        if (o->loss <= litzBar) pool.push_back(o);
    }
    if (const Option* best = Best(pool)) {
        return ChoiceOf(*best, asItIs,
                        best->candidate.conductor == Conductor::Litz ? ConductorReason::LitzSaves
                                                                     : ConductorReason::LeastLoss);
    }
    std::vector<Option*> all;
    all.reserve(options.size());
    for (Option& o : options) all.push_back(&o);
    return ChoiceOf(*Best(PriceWithin(all, plan, INFINITY)), asItIs, ConductorReason::RulesBroken);
}

}  // namespace

void StrandRuleWires(Plan& plan, const catalogue::Catalogue& parts) {
    const double finest = plan.options.choices.rules.finestStrand_mm;
    const auto enamelled = WiresOfKind(parts, catalogue::WireKind::Enamelled, finest);
    const auto tripleInsulated = WiresOfKind(parts, catalogue::WireKind::TripleInsulated, finest);
    for (Winding& w : plan.windings) {
        StrandRule(w, TripleInsulated(w, plan) ? tripleInsulated : enamelled, plan.options.J_A_mm2,
                   plan.skinDepth_mm);
        LayOut(w, std::max(plan.insulation.width_mm, w.wire->Outer().value_or(0)));
    }
}

namespace {

// What a group's choice depends on, as numbers: a core search plans each core
// as a sketch and then in full, and the stored power's rounds make the same
// plan again, so the same choice is asked for many times. Kept per thread, a
// pure memo: the same answer kept or not.
std::vector<double> ChoiceKey(const std::vector<Winding*>& group, const Plan& plan,
                              const Budget& spare) {
    const OperatingPoint& p = plan.atVmin;
    // By value, never by address: a catalogue freed and another made may
    // reuse the same addresses.
    const catalogue::Core& core = *plan.core;
    std::vector<double> key = {core.winding_height_mm,
                               core.winding_width_mm,
                               core.window_mm2,
                               core.MLT_mm.value_or(0),
                               plan.options.fillMax,
                               plan.insulation.width_mm,
                               plan.f_Hz,
                               plan.options.J_A_mm2,
                               static_cast<double>(plan.options.construction),
                               p.Ipk,
                               p.Iv,
                               p.D,
                               p.D2,
                               spare.height_mm,
                               spare.copper_mm2};
    for (const ChoiceNumber rule : kWinderRules)
        key.push_back(*HeldValue(plan.options.choices, rule));
    for (const Winding* w : group) {
        // Where its ampere-turns cross zero sets its Dowell layers: the same
        // winding between the halves of another (P-S-P) loses less than
        // beside it (P-S-B), so each order's choice is its own.
        key.insert(key.end(), {static_cast<double>(w->role), static_cast<double>(w->turns),
                               *w->Irms_A, *w->Ipeak_A, static_cast<double>(w->strands),
                               w->wire ? w->wire->conductor_mm : 0, w->mmfCrossing,
                               static_cast<double>(w->half)});
    }
    return key;
}

// A kept choice names its wire, found again among this catalogue's.
struct KeptChoice {
    Choice choice;
    std::string wireName;
};

// The strand rule's wire and every other way the choice tries, each laid
// out; those the spare height and copper cannot take are left out (the
// strand rule's own, already built, always fits).
Choice ChooseFor(const std::vector<Winding*>& group, const Plan& plan, const Budget& spare,
                 const WireStock& stock) {
    const Winding& first = *group.front();
    const std::optional<Laid> asItIs = Lay(group, AsItIs(first), plan);
    if (!asItIs) return {};
    const WinderRules& rules = plan.options.choices.rules;
    std::vector<Option> options;
    options.push_back({AsItIs(first), *asItIs, BreachOf(asItIs->wound, AsItIs(first), rules)});
    for (const WireCandidate& c : CandidatesFor(first, plan, stock)) {
        std::optional<Laid> laid = Lay(group, c, plan);
        if (!laid || laid->height_mm - asItIs->height_mm > spare.height_mm ||
            laid->copper_mm2 - asItIs->copper_mm2 > spare.copper_mm2)
            continue;
        std::optional<RuleBreach> breach = BreachOf(laid->wound, c, rules);
        options.push_back({c, std::move(*laid), breach});
    }
    if (OneWireWinding(first, rules)) return OneWire(options, *asItIs, rules);
    return LeastLossByTheRules(options, plan, *asItIs);
}

const catalogue::Wire* Named(const WireStock& stock, const std::string& name) {
    for (const auto* list : {&stock.enamelled, &stock.tripleInsulated}) {
        for (const catalogue::Wire* wire : *list) {
            if (wire->name == name) return wire;
        }
    }
    return nullptr;
}

Choice Remembered(const std::vector<Winding*>& group, const Plan& plan, const Budget& spare,
                  const WireStock& stock) {
    constexpr std::size_t kKept = 64;
    thread_local std::map<std::vector<double>, KeptChoice> kept;
    std::vector<double> key = ChoiceKey(group, plan, spare);
    if (const auto found = kept.find(key); found != kept.end()) {
        Choice choice = found->second.choice;
        if (choice.candidate && choice.candidate->wire) {
            choice.candidate->wire = Named(stock, found->second.wireName);
            if (!choice.candidate->wire) return ChooseFor(group, plan, spare, stock);
        }
        return choice;
    }
    if (kept.size() >= kKept) kept.clear();
    Choice choice = ChooseFor(group, plan, spare, stock);
    KeptChoice keep{choice, {}};
    if (choice.candidate && choice.candidate->wire) keep.wireName = choice.candidate->wire->name;
    kept.emplace(std::move(key), keep);
    return choice;
}

// Without a mean turn no loss can be reckoned: each winding keeps the strand
// rule's wire, with the rule it breaks said.
void RulesOfTheStrandRule(Plan& plan) {
    for (Winding& w : plan.windings) {
        if (w.Irms_A) w.breach = BreachOf({w}, AsItIs(w), plan.options.choices.rules);
    }
}

}  // namespace

void ChooseConductors(Plan& plan, const catalogue::Catalogue& parts) {
    if (!plan.core->MLT_mm) return RulesOfTheStrandRule(plan);
    const WireStock stock = WireStockOf(parts, plan.options.choices.rules.finestStrand_mm);
    Budget spare{std::max(0.0, plan.core->winding_height_mm - plan.build_mm),
                 std::max(0.0, Multiply(plan.options.fillMax, plan.core->window_mm2) -
                                   Multiply(plan.fill, plan.core->window_mm2))};
    const double width = plan.insulation.width_mm;
    for (const std::vector<Winding*>& group : Groups(plan)) {
        if (!group.front()->Irms_A || !group.front()->Ipeak_A) continue;
        const Choice choice = Remembered(group, plan, spare, stock);
        if (!choice.candidate) continue;
        spare.height_mm -= choice.extraHeight_mm;
        spare.copper_mm2 -= choice.extraCopper_mm2;
        for (Winding* w : group) {
            *w = Wound(*w, *choice.candidate, std::max(width, choice.candidate->outer_mm));
            w->decidedBy = choice.reason;
            w->breach = choice.breach;
        }
    }
}

}  // namespace flyback::winding
