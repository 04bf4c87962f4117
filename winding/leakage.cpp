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

}  // namespace flyback::winding
