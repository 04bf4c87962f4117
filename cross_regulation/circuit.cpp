#include "cross_regulation/circuit.hpp"

#include <algorithm>
#include <cmath>

#include "portable_math/portable_math.hpp"
#include "winding/leakage.hpp"

namespace flyback::cross_regulation {

using winding::Plan;
using winding::Role;
using winding::Winding;

namespace {

constexpr double kLeastResistance_ohm = 1e-4;

// The whole winding a rail's current flows in.
bool OfRail(const Winding& w, const Rail& rail) {
    if (rail.output == kBias) return w.role == Role::Bias;
    return w.role == Role::Secondary && w.output == rail.output;
}

double RailResistance(const Plan& plan, const Rail& rail) {
    double r = 0;
    for (const Winding& w : plan.windings) {
        if (OfRail(w, rail)) r += LossResistance(w);
    }
    return std::max(r, kLeastResistance_ohm);
}

}  // namespace

double DiodeSaturation_A(double VF, double I) {
    const double drop = std::max(VF, 0.05), current = std::max(I, 1e-3);
    return current * portable_math::Exp(-drop / kThermalVoltage);
}

double LossResistance(const Winding& w) {
    if (w.Pac_W && w.Irms_A && *w.Irms_A > 0) return *w.Pac_W / (*w.Irms_A * *w.Irms_A);
    return w.R_ohm.value_or(0);
}

double PrimaryResistance(const Plan& plan) {
    double r = 0;
    for (const Winding& w : plan.windings) {
        if (w.role == Role::Primary) r += LossResistance(w);
    }
    return std::max(r, kLeastResistance_ohm);
}

// A resistance spending as much would take only ¾ of the volt-seconds from
// a ramp, and the circuit would run another transformer.
double SwitchDrop(const Plan& plan) {
    double copper = 0;
    for (const Winding& w : plan.windings) {
        if (w.role == Role::Primary) copper += w.Pac_W.value_or(w.P_W.value_or(0));
    }
    const double leakage = winding::TypicalClampLoss(plan) - winding::ClampShareFromTheCore(plan);
    const double rest = plan.PrimarySide_W() - copper - leakage;
    return std::max(0.0, rest * plan.atVmin.Vin / plan.InputPower());
}

std::vector<Rail> RailsOf(const Plan& plan) {
    std::vector<Rail> rails;
    for (const winding::OutputResult& out : plan.outputs) {
        Rail r;
        r.output = static_cast<int>(rails.size());
        r.V_set = out.set.V;
        r.I_full_A = out.set.I_A;
        r.I_min_A = out.set.Imin_A.value_or(kLeastLoadShare * out.set.I_A);
        r.VF_V = out.set.VF_V;
        r.Vexpected_V = out.Vexpected_V;
        rails.push_back(r);
    }
    if (plan.Naux && plan.options.Vaux_V) {
        Rail r;
        r.output = kBias;
        r.V_set = r.Vexpected_V = *plan.options.Vaux_V;
        r.I_full_A = plan.options.choices.biasI_A;
        r.I_min_A = kLeastLoadShare * r.I_full_A;
        r.VF_V = plan.options.choices.biasVF_V;
        rails.push_back(r);
    }
    return rails;
}

std::optional<Circuit> CircuitOf(const Plan& plan) {
    const auto leakage = winding::LeakageInductances(plan);
    if (!leakage) return std::nullopt;
    Circuit c;
    c.f_Hz = plan.f_Hz;
    c.Vin = plan.atVmin.Vin;
    c.clamp_V = plan.clamp.V;
    c.Lp_H = plan.Lp_H;
    c.Vor = plan.Vor_V;
    c.Ipk_A = plan.Ipk_A;
    c.D = plan.atVmin.D;
    c.switchDrop_V = SwitchDrop(plan);
    c.switchOn_ohm = kSwitchOn_ohm;
    c.rails = RailsOf(plan);
    const std::vector<int> stack = winding::StackOrder(plan);
    for (const Rail& rail : c.rails) {
        const auto at = std::find(stack.begin(), stack.end(), rail.output);
        c.below.push_back(
            rail.output == kBias || at == stack.begin() || at == stack.end() ? -1 : *(at - 1));
    }
    // The whole windings as the build has them, and where each lies in it.
    const std::vector<int> wholes = winding::WholeWindings(plan);
    std::vector<std::size_t> at;  // the circuit's winding k is the build's whole at[k]
    const auto find = [&](auto&& is) {
        for (std::size_t i = 0; i < wholes.size(); ++i) {
            if (is(plan.windings[static_cast<std::size_t>(wholes[i])])) return i;
        }
        return wholes.size();
    };
    at.push_back(find([](const Winding& w) { return w.role == Role::Primary; }));
    c.turns.push_back(plan.Np);
    c.R_ohm.push_back(PrimaryResistance(plan));
    for (const Rail& rail : c.rails) {
        const std::size_t i = find([&](const Winding& w) { return OfRail(w, rail); });
        if (i == wholes.size()) return std::nullopt;
        at.push_back(i);
        const Winding& w = plan.windings[static_cast<std::size_t>(wholes[i])];
        c.turns.push_back(winding::WholeTurns(plan, w));
        c.R_ohm.push_back(RailResistance(plan, rail));
        const double load = rail.I_full_A > 0 ? rail.I_full_A : rail.V_set / kUnloadedBias_ohm;
        c.diodeSaturation_A.push_back(DiodeSaturation_A(rail.VF_V, load));
    }
    const std::size_t n = c.turns.size();
    const double perTurn2 = plan.Lp_H / (double(plan.Np) * plan.Np);
    c.L_H.assign(n, std::vector<double>(n, 0));
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b)
            c.L_H[a][b] = c.turns[a] * c.turns[b] * perTurn2 + (*leakage)[at[a]][at[b]];
    }
    return c;
}

Circuit LoopsOf(const Circuit& c) {
    if (std::all_of(c.below.begin(), c.below.end(), [](int b) { return b < 0; })) return c;
    const std::size_t n = c.turns.size();
    // in[m][k]: winding m lies in loop k (the primary is its own).
    std::vector<std::vector<double>> in(n, std::vector<double>(n, 0));
    in[0][0] = 1;
    for (std::size_t k = 1; k < n; ++k) {
        for (int rail = static_cast<int>(k) - 1; rail >= 0; rail = c.below[std::size_t(rail)])
            in[std::size_t(rail) + 1][k] = 1;
    }
    Circuit loops = c;
    loops.below.assign(c.below.size(), -1);
    loops.sharedR_ohm.assign(n, std::vector<double>(n, 0));
    for (std::size_t a = 0; a < n; ++a) {
        loops.turns[a] = 0;
        for (std::size_t m = 0; m < n; ++m) loops.turns[a] += in[m][a] * c.turns[m];
        for (std::size_t b = 0; b < n; ++b) {
            double L = 0, R = 0;
            for (std::size_t m = 0; m < n; ++m) {
                R += in[m][a] * in[m][b] * c.R_ohm[m];
                for (std::size_t q = 0; q < n; ++q) L += in[m][a] * c.L_H[m][q] * in[q][b];
            }
            loops.L_H[a][b] = L;
            if (a == b)
                loops.R_ohm[a] = R;
            else
                loops.sharedR_ohm[a][b] = R;
        }
    }
    return loops;
}

}  // namespace flyback::cross_regulation
