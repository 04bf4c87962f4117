#include "winding/leakage.hpp"

#include "runtime/arithmetic.hpp"
#include "winding/physics.hpp"

namespace flyback::winding {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;

namespace {

// μ0 × MLT ÷ bw × ∫ N(x)² dx of the ampere-turns `steps` wound from the
// centre out, the profile starting at `inner`.
std::optional<double> FieldOfSteps(const Plan& plan, const std::vector<double>& steps,
                                   double inner) {
    if (!plan.core->MLT_mm || !(plan.insulation.width_mm > 0)) return std::nullopt;
    double mmf = inner, integral = 0;  // ampere-turns per ampere of primary current; turns² × m
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const Winding& w = plan.windings[i];
        const double gap_m = Multiply(Add(w.tapeBefore_mm, w.shieldBefore_mm), 1e-3);
        integral = Add(integral, Multiply(Multiply(mmf, mmf), gap_m));
        const double next = Add(mmf, steps[i]);
        const double height_m = Multiply(w.height_mm, 1e-3);
        // A linear rise from mmf to next: h × (a² + ab + b²) ÷ 3.
        integral = Add(integral,
                       Divide(Multiply(height_m, Add(Add(Multiply(mmf, mmf), Multiply(mmf, next)),
                                                     Multiply(next, next))),
                              3));
        mmf = next;
    }
    return Divide(Multiply(Multiply(physics::kMu0, Multiply(*plan.core->MLT_mm, 1e-3)), integral),
                  Multiply(plan.insulation.width_mm, 1e-3));
}

}  // namespace

std::optional<double> LeakageOfSteps(const Plan& plan, const std::vector<double>& steps) {
    return FieldOfSteps(plan, steps, 0);
}

namespace {

// Winding a's ampere-turns Np a primary ampere, winding b's against them;
// a split winding's parts by their turns. The primary's own parts keep
// their turns as they are, as the build's leakage has them.
std::vector<double> PairSteps(const Plan& plan, int a, int b) {
    std::vector<double> steps;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const Winding& w = plan.windings[i];
        const int whole = WholeIndex(plan, i);
        const double part = w.half > 0 ? Divide(w.turns, WholeTurns(plan, w)) : 1;
        double step = 0;
        if (whole == a) step = w.role == Role::Primary ? w.turns : Multiply(plan.Np, part);
        if (whole == b) step = -Multiply(plan.Np, part);
        steps.push_back(step);
    }
    return steps;
}

}  // namespace

std::optional<LeakageMatrix> LeakageMatrixOf(const Plan& plan) {
    LeakageMatrix m;
    m.windings = WholeWindings(plan);
    const std::size_t n = m.windings.size();
    m.H.assign(n, std::vector<double>(n, 0));
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = a + 1; b < n; ++b) {
            const std::optional<double> L =
                LeakageOfSteps(plan, PairSteps(plan, m.windings[a], m.windings[b]));
            if (!L) return std::nullopt;
            m.H[a][b] = m.H[b][a] = *L;
        }
    }
    return m;
}

namespace {

// Each whole winding's turns at its parts, `current` amperes through it.
std::vector<double> WindingSteps(const Plan& plan, int whole, double current) {
    std::vector<double> steps;
    for (std::size_t i = 0; i < plan.windings.size(); ++i)
        steps.push_back(WholeIndex(plan, i) == whole ? Multiply(plan.windings[i].turns, current)
                                                     : 0);
    return steps;
}

// The field of ampere-turns that need not sum to zero: what they leave over
// crosses the gap in the centre leg, so the profile starts there at minus
// their sum and closes at the outer leg.
std::optional<double> ClosedAtTheGap(const Plan& plan, const std::vector<double>& steps) {
    double sum = 0;
    for (const double step : steps) sum = Add(sum, step);
    return FieldOfSteps(plan, steps, -sum);
}

}  // namespace

std::optional<std::vector<std::vector<double>>> LeakageInductances(const Plan& plan) {
    const std::vector<int> wholes = WholeWindings(plan);
    const std::size_t n = wholes.size();
    std::vector<std::vector<double>> L(n, std::vector<double>(n, 0));
    std::vector<double> own(n);
    for (std::size_t a = 0; a < n; ++a) {
        const auto field = ClosedAtTheGap(plan, WindingSteps(plan, wholes[a], 1));
        if (!field) return std::nullopt;
        own[a] = L[a][a] = *field;
    }
    // The cross terms from the pair's field: ½ (L(a + b) − L(a) − L(b)).
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = a + 1; b < n; ++b) {
            std::vector<double> steps = WindingSteps(plan, wholes[a], 1);
            const std::vector<double> other = WindingSteps(plan, wholes[b], 1);
            for (std::size_t i = 0; i < steps.size(); ++i) steps[i] = Add(steps[i], other[i]);
            const auto both = ClosedAtTheGap(plan, steps);
            if (!both) return std::nullopt;
            L[a][b] = L[b][a] =
                Divide(runtime::Subtract(runtime::Subtract(*both, own[a]), own[b]), 2);
        }
    }
    return L;
}

// How much each winding moves the ampere-turns across the window, per
// ampere of primary current, with the secondaries carrying the current the
// primary hands over: the primary's turns rising, each secondary's share of
// the outputs' power (a half its share of the turns) falling, an unloaded
// bias winding's none.
std::vector<double> AmpereTurnSteps(const Plan& plan) {
    double outputs = 0;
    for (const OutputResult& out : plan.outputs)
        outputs = Add(outputs, Multiply(out.set.V, out.set.I_A));
    std::vector<double> steps;
    for (const Winding& w : plan.windings) {
        double step = 0;
        if (w.role == Role::Primary) step = w.turns;
        for (std::size_t o = 0; w.role == Role::Secondary && outputs > 0 && o < plan.outputs.size();
             ++o) {
            if (!CarriesOutput(plan, w, static_cast<int>(o))) continue;
            const OutputResult& out = plan.outputs[o];
            double share = -Multiply(plan.Np, Divide(Multiply(out.set.V, out.set.I_A), outputs));
            if (w.half > 0 || w.turns != out.turns)
                share = Multiply(share, Divide(w.turns, out.turns));
            step = Add(step, share);
        }
        steps.push_back(step);
    }
    return steps;
}

// Where a winding's ampere-turns pass through zero (an interleaved build's
// middle winding), the fraction of its build from the inner side; the two
// sides then lose as two windings each starting from zero. Ends that merely
// round to either side of zero are not a crossing.
void MmfCrossings(Plan& plan) {
    const std::vector<double> steps = AmpereTurnSteps(plan);
    double mmf = 0;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const double next = Add(mmf, steps[i]);
        const double least = Multiply(1e-9, std::abs(steps[i]));
        const bool crosses = (mmf > least && next < -least) || (mmf < -least && next > least);
        plan.windings[i].mmfCrossing = crosses ? Divide(std::abs(mmf), std::abs(steps[i])) : 0;
        mmf = next;
    }
}

// The leakage inductance of the build, referred to the primary: the
// one-dimensional field across the window with the secondaries shorted, the
// windings as current sheets (the primary's ampere-turns rising through it,
// each secondary's share, by its output power, falling through it; an
// unloaded bias winding carries none), tape as field alone:
// Llk = μ0 × MLT ÷ bw × ∫ N(x)² dx, for primary then secondary the familiar
// μ0 Np² MLT ÷ bw × (h_p ÷ 3 + h_gap + h_s ÷ 3).
std::optional<double> BuildLeakage(const Plan& plan) {
    return LeakageOfSteps(plan, AmpereTurnSteps(plan));
}

}  // namespace flyback::winding
