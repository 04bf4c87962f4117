// The windings as wound: their names and captions, a split winding's halves
// as one whole, a stack's sections and the outputs they carry, and the
// conductors a turn and a layer hold.
#include <algorithm>
#include <cmath>
#include <string>

#include "runtime/arithmetic.hpp"
#include "winding/plan.hpp"
#include "winding/plan_design.hpp"
#include "winding/wire_choice.hpp"

namespace flyback::winding {

using plan_design::SquareMillimetres;
using runtime::Add;
using runtime::Multiply;

double CopperArea_mm2(const Winding& w) {
    if (w.conductor == Conductor::Foil) return Multiply(w.foilThickness_mm, w.foilWidth_mm);
    return Multiply(SquareMillimetres(w.wire->conductor_mm), w.strands);
}

int ConductorsPerTurn(const Winding& w) {
    return w.conductor == Conductor::Round ? w.strands : 1;
}

std::vector<long> ConductorsPerLayer(const Winding& w, double width_mm) {
    const auto capacity = static_cast<long>(ConductorsAcross(width_mm, w.outer_mm));
    const long perTurn = ConductorsPerTurn(w);
    std::vector<long> layers;
    if (w.conductor == Conductor::Foil) return std::vector<long>(w.turns, 1);
    if (perTurn <= capacity) {
        const long across = static_cast<long>(w.turnsPerLayer) * perTurn;
        for (long left = static_cast<long>(w.turns) * perTurn; left > 0; left -= across) {
            layers.push_back(std::min(across, left));
        }
        return layers;
    }
    for (int turn = 0; turn < w.turns; ++turn) {
        for (long left = perTurn; left > 0; left -= capacity) {
            layers.push_back(std::min(capacity, left));
        }
    }
    return layers;
}

std::string_view RoleCaption(Role role) {
    switch (role) {
        case Role::Primary:
            return "初级";
        case Role::Secondary:
            return "次级";
        case Role::Bias:
            return "辅助";
    }
    return {};
}

std::string_view RoleName(Role role) {
    switch (role) {
        case Role::Primary:
            return "primary";
        case Role::Secondary:
            return "secondary";
        case Role::Bias:
            return "bias";
    }
    return {};
}

std::string WindingName(const Winding& w) {
    const std::string name(RoleName(w.role));
    const std::string half = std::to_string(w.half);
    if (w.role != Role::Secondary) return w.half > 0 ? name + " " + half : name;
    const std::string output = std::to_string(w.output + 1);
    return w.half > 0 ? name + " " + output + "." + half : name + " " + output;
}

Winding Whole(const Winding& w) {
    Winding whole = w;
    whole.half = 0;
    return whole;
}

int WholeIndex(const Plan& plan, std::size_t i) {
    const Winding& w = plan.windings[i];
    for (std::size_t j = 0; j < i; ++j) {
        if (plan.windings[j].role == w.role && plan.windings[j].output == w.output)
            return static_cast<int>(j);
    }
    return static_cast<int>(i);
}

std::vector<int> WholeWindings(const Plan& plan) {
    std::vector<int> wholes;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        if (WholeIndex(plan, i) == static_cast<int>(i)) wholes.push_back(static_cast<int>(i));
    }
    return wholes;
}

const ShieldPlan* ShieldBefore(const Plan& plan, std::size_t i) {
    for (const ShieldPlan& s : plan.shields) {
        if (s.before == static_cast<int>(i)) return &s;
    }
    return nullptr;
}

int WholeTurns(const Plan& plan, const Winding& w) {
    if (w.half == 0) return w.turns;
    return w.role == Role::Primary ? plan.Np
                                   : plan.outputs[static_cast<std::size_t>(w.output)].turns;
}

std::vector<int> StackOrder(const Plan& plan) {
    if (!plan.options.stack) return {};
    std::vector<int> order;
    for (std::size_t o = 0; o < plan.outputs.size(); ++o) order.push_back(static_cast<int>(o));
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return plan.outputs[static_cast<std::size_t>(a)].turns <
               plan.outputs[static_cast<std::size_t>(b)].turns;
    });
    return order;
}

bool CarriesOutput(const Plan& plan, const Winding& w, int output) {
    if (w.role != Role::Secondary) return false;
    if (!plan.options.stack) return w.output == output;
    const auto turns = [&](int o) { return plan.outputs[static_cast<std::size_t>(o)].turns; };
    return turns(output) >= turns(w.output);
}

double CarriedCurrent(const Plan& plan, const Winding& w) {
    double carried = 0;
    for (std::size_t o = 0; o < plan.outputs.size(); ++o) {
        if (CarriesOutput(plan, w, static_cast<int>(o)))
            carried = Add(carried, plan.outputs[o].set.I_A);
    }
    return carried;
}

int TurnsBelow(const Plan& plan, const Winding& w) {
    if (w.role != Role::Secondary || !plan.options.stack) return 0;
    return plan.outputs[static_cast<std::size_t>(w.output)].turns - w.turns;
}

std::optional<double> WholeResistance(const Plan& plan, const Winding& w) {
    if (w.half == 0) return w.R_ohm;
    double sum = 0;
    for (const Winding& part : plan.windings) {
        if (part.half == 0 || part.role != w.role || part.output != w.output) continue;
        if (!part.R_ohm) return std::nullopt;
        sum = Add(sum, *part.R_ohm);
    }
    return sum;
}

std::string WindingCaption(const Plan& plan, const Winding& w) {
    std::string caption(RoleCaption(w.role));
    const std::string half = std::to_string(w.half);
    if (w.role != Role::Secondary || plan.outputs.size() < 2)
        return w.half > 0 ? caption + " " + half : caption;
    const std::string output = std::to_string(w.output + 1);
    return w.half > 0 ? caption + " " + output + "." + half : caption + " " + output;
}

}  // namespace flyback::winding
