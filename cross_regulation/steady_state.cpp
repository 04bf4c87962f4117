#include "cross_regulation/steady_state.hpp"

#include "portable_math/portable_math.hpp"

#include <algorithm>
#include <cmath>

namespace flyback::cross_regulation {
namespace {

using Matrix = std::vector<std::vector<double>>;

// Solves A x = b (Gaussian elimination, partial pivoting) into b; false
// where A is singular.
bool Solve(Matrix& A, std::vector<double>& b) {
    const std::size_t n = b.size();
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r) {
            if (std::fabs(A[r][col]) > std::fabs(A[pivot][col])) pivot = r;
        }
        if (!(std::fabs(A[pivot][col]) > 0)) return false;
        std::swap(A[pivot], A[col]);
        std::swap(b[pivot], b[col]);
        for (std::size_t r = col + 1; r < n; ++r) {
            const double factor = A[r][col] / A[col][col];
            for (std::size_t k = col; k < n; ++k) A[r][k] -= factor * A[col][k];
            b[r] -= factor * b[col];
        }
    }
    for (std::size_t r = n; r-- > 0;) {
        for (std::size_t k = r + 1; k < n; ++k) b[r] -= A[r][k] * b[k];
        b[r] /= A[r][r];
    }
    return true;
}

// A step is halved (up to kMostHalvings times) where a rectifier's current
// would more than double in it, beyond this share of its full current; a
// step is cut into at most kMostParts.
constexpr double kLeastSwing = 1e-3;
constexpr int kMostHalvings = 16;
constexpr int kMostParts = 64;

// One period of the windings' currents, each counted into its winding's
// dot (the primary's negative while the switch conducts, a rectifier's
// while it does). Winding 0 is the primary; winding k the rail k − 1.
class Period {
  public:
    Period(const Circuit& c, const SteadyState& s) : c_(LoopsOf(c)), s_(s), n_(c.turns.size()) {}

    // The charge each rail's rectifier passes, from currents `j` (left at
    // the period's end).
    std::vector<double> Run(std::vector<double>& j) {
        charge_.assign(n_ - 1, 0);
        active_.assign(n_, false);
        for (std::size_t k = 1; k < n_; ++k) active_[k] = j[k] < 0;
        const double T = 1 / c_.f_Hz, h = T / kStepsPerPeriod;
        // As steep as the magnetising current's fall at the reflected voltage.
        const double ramp = c_.Vor / c_.Lp_H;
        on_ = true;
        active_[0] = true;
        double t = 0;
        for (;;) {
            const double longest = kLongestOnTime * T;
            const double dt = std::min(h, longest - t);
            const std::vector<double> j0 = j, q0 = charge_;
            const std::vector<bool> a0 = active_;
            const double before = -j[0] + ramp * t - s_.Ic_A;
            Advance(j, dt);
            const double after = -j[0] + ramp * (t + dt) - s_.Ic_A;
            if (after >= 0 && before < 0) {
                j = j0, charge_ = q0, active_ = a0;
                const double share = before / (before - after);
                Advance(j, dt * share);
                t += dt * share;
                break;
            }
            t += dt;
            if (t >= longest) break;
        }
        on_ = false;
        active_[0] = j[0] < 0;
        while (t < T) {
            const double dt = std::min(h, T - t);
            Advance(j, dt);
            t += dt;
        }
        return charge_;
    }

  private:
    const Circuit c_;
    const SteadyState& s_;
    std::size_t n_;
    std::vector<bool> active_;
    std::vector<double> charge_;
    bool on_ = true;

    // The source each conducting winding sees at its dot, and its slope
    // against the winding's current: f(j) = v(j) − R j and −df/dj.
    double Source(std::size_t k, double j, double& conductance) const {
        if (k == 0) {
            if (on_) {
                conductance = c_.R_ohm[0] + c_.switchOn_ohm;
                return c_.switchDrop_V - c_.Vin - conductance * j;
            }
            conductance = c_.R_ohm[0];
            return c_.clamp_V - conductance * j;
        }
        const double i = std::max(-j, 0.0), Is = c_.diodeSaturation_A[k - 1];
        conductance = kThermalVoltage / (i + Is) + c_.R_ohm[k];
        return s_.V[k - 1] + kThermalVoltage * portable_math::Log(1 + i / Is) + c_.R_ohm[k] * i;
    }

    // The conducting windings' change over dt, by one linear implicit step:
    // (L ÷ dt − ∂f/∂j) Δ = f(j). Empty where none conducts.
    std::vector<double> Change(const std::vector<double>& j, const std::vector<std::size_t>& at,
                               double dt) const {
        Matrix M(at.size(), std::vector<double>(at.size()));
        std::vector<double> delta(at.size());
        for (std::size_t a = 0; a < at.size(); ++a) {
            for (std::size_t b = 0; b < at.size(); ++b) M[a][b] = c_.L_H[at[a]][at[b]] / dt;
            double g = 0;
            delta[a] = Source(at[a], j[at[a]], g);
            M[a][a] += g;
            for (std::size_t b = 0; b < at.size() && !c_.sharedR_ohm.empty(); ++b) {
                delta[a] -= c_.sharedR_ohm[at[a]][at[b]] * j[at[b]];
                M[a][b] += c_.sharedR_ohm[at[a]][at[b]];
            }
        }
        if (!Solve(M, delta)) delta.clear();
        return delta;
    }

    // A winding that may stop: a rectifier, or the primary into the clamp.
    bool MayStop(std::size_t k) const { return k > 0 || !on_; }

    // Which windings conduct over the next step: a rectifier at zero whose
    // current would reverse stays off, one whose winding would rise above
    // its output starts.
    std::vector<std::size_t> Conducting(const std::vector<double>& j, double dt) {
        std::vector<std::size_t> at;
        for (std::size_t attempt = 0; attempt <= 2 * n_; ++attempt) {
            at.clear();
            for (std::size_t k = 0; k < n_; ++k) {
                if (active_[k]) at.push_back(k);
            }
            const std::vector<double> delta = Change(j, at, dt);
            if (delta.empty() || attempt == 2 * n_) break;
            bool changed = false;
            for (std::size_t a = 0; a < at.size(); ++a) {
                if (MayStop(at[a]) && j[at[a]] == 0 && delta[a] > 0)
                    active_[at[a]] = false, changed = true;
            }
            for (std::size_t k = 1; k < n_ && !changed; ++k) {
                if (active_[k]) continue;
                double open = 0;
                for (std::size_t a = 0; a < at.size(); ++a) {
                    open += c_.L_H[k][at[a]] * delta[a] / dt;
                    // A shared section's drop, the others' current in it.
                    if (!c_.sharedR_ohm.empty()) open += c_.sharedR_ohm[k][at[a]] * j[at[a]];
                }
                if (open > s_.V[k - 1]) active_[k] = changed = true;
            }
            if (!changed) break;
        }
        return at;
    }

    // A rectifier whose current more than doubles over the step: its
    // diode's drop, taken on the tangent at the step's start, is far off.
    bool Swings(const std::vector<double>& j, const std::vector<std::size_t>& at,
                const std::vector<double>& delta) const {
        for (std::size_t a = 0; a < at.size(); ++a) {
            const std::size_t k = at[a];
            if (k == 0) continue;
            const double floor = kLeastSwing * std::max(c_.rails[k - 1].I_full_A, kLeastSwing);
            if (-(j[k] + delta[a]) > 2 * -j[k] + floor) return true;
        }
        return false;
    }

    // One step of dt in as many parts as it takes: halved where a diode
    // starts to conduct, cut where a conducting winding's current reaches
    // zero (it stops there, keeping the rest of the current in the others).
    void Advance(std::vector<double>& j, double dt) {
        double left = dt;
        for (int part = 0; part < kMostParts && left > 0; ++part) {
            const std::vector<std::size_t> at = Conducting(j, left);
            double step = left;
            std::vector<double> delta = Change(j, at, step);
            for (int halving = 0; halving < kMostHalvings && !delta.empty() && Swings(j, at, delta);
                 ++halving) {
                step /= 2;
                delta = Change(j, at, step);
            }
            if (delta.empty()) return;
            double share = 1;
            for (std::size_t a = 0; a < at.size(); ++a) {
                if (MayStop(at[a]) && j[at[a]] < 0 && j[at[a]] + delta[a] > 0)
                    share = std::min(share, -j[at[a]] / delta[a]);
            }
            if (share < 1) {
                step *= share;
                delta = Change(j, at, step);
                if (delta.empty()) return;
            }
            for (std::size_t a = 0; a < at.size(); ++a) {
                const std::size_t k = at[a];
                const double next = j[k] + delta[a];
                if (k > 0) charge_[k - 1] += std::max(-(j[k] + next) / 2, 0.0) * step;
                j[k] = next;
                // At or within a rounding of the crossing: the winding stops there.
                const bool crossed =
                    next >= 0 ||
                    (share < 1 && std::fabs(next) <= 1e-9 * std::fabs(delta[a]) + 1e-15);
                if (MayStop(k) && crossed) j[k] = 0, active_[k] = false;
            }
            left -= step;
        }
    }
};

constexpr int kMostPeriods = 60;
constexpr double kLeastWeight = 0.01;
constexpr double kLowestShare = 0.01;  // of a rail's set voltage, the least it is tried at
// Settled where no rail wants more than kSettledShare of its full current,
// or where the unknowns stop moving (the step's grid leaves the wants a
// little uneven) and none wants more than kSettledWant. With the regulated
// output at a tenth of its load, the grid leaves its want at a few tenths of
// a percent of its full current (a few milliamperes, which move no voltage
// by as much as a millivolt): a thousandth left such a corner unsettled.
constexpr double kSettledWant = 5e-3;
constexpr double kSettledMove = 1e-6;   // of each unknown's scale, over a round
constexpr double kSettledShare = 1e-5;  // of each rail's full current

}  // namespace

std::vector<double> MeanCurrents(const Circuit& c, const SteadyState& at,
                                 std::vector<double>& currents) {
    Period period(c, at);
    std::vector<double> charge;
    for (int p = 0; p < kMostPeriods; ++p) {
        const std::vector<double> start = currents;
        charge = period.Run(currents);
        double moved = 0;
        for (std::size_t k = 0; k < start.size(); ++k)
            moved = std::max(moved, std::fabs(currents[k] - start[k]));
        if (moved <= 1e-6 * c.Ipk_A) break;
    }
    for (double& q : charge) q *= c.f_Hz;
    return charge;
}

namespace {

// Each rail's want of current, of its full load: what its rectifier gives
// less what its load takes.
class Balance {
  public:
    Balance(const Circuit& c, const std::vector<double>& load_ohm) : c_(c), load_(load_ohm) {}

    std::vector<double> Of(const SteadyState& s) {
        const std::vector<double> I = MeanCurrents(c_, s, currents_);
        std::vector<double> want(I.size());
        for (std::size_t k = 0; k < I.size(); ++k) {
            const Rail& r = c_.rails[k];
            // A rail loaded lightly or not at all is weighed against a
            // hundredth of the regulated output's power: its few milliamperes
            // are within the step grid's unevenness of its charge.
            const Rail& main = c_.rails.front();
            const double scale =
                std::max({r.I_full_A, kLeastWeight * main.V_set * main.I_full_A / r.V_set,
                          r.V_set / kUnloadedBias_ohm});
            want[k] = (I[k] - s.V[k] / load_[k]) / scale;
        }
        return want;
    }

  private:
    const Circuit& c_;
    const std::vector<double>& load_;
    std::vector<double> currents_ = std::vector<double>(c_.turns.size(), 0);
};

// The unknowns: the controller's level, then the unregulated rails' voltages.
double& Unknown(SteadyState& s, std::size_t i) {
    return i == 0 ? s.Ic_A : s.V[i];
}

double Largest(const std::vector<double>& v) {
    double m = 0;
    for (const double x : v) m = std::max(m, std::fabs(x));
    return m;
}

constexpr int kMostRounds = 30;
constexpr double kProbeShare = 1e-4;  // of an unknown's scale, to find the slopes

// The scale each unknown moves on: the plan's peak current, a rail's set voltage.
double Scale(const Circuit& c, std::size_t i) {
    return i == 0 ? c.Ipk_A : c.rails[i].V_set;
}

}  // namespace

// Newton's method on the rails' wants, the slopes by probing each unknown:
// every rail's charge depends on every voltage (the rail with the lowest
// volts a turn takes the current first), so the unknowns are moved together.
// A step that does not lessen the largest want is halved.
std::optional<SteadyState> Settle(const Circuit& c, const std::vector<double>& load_ohm,
                                  const SteadyState* from) {
    SteadyState s;
    if (from) {
        s = *from;
    } else {
        double full = 0, here = 0;
        for (std::size_t k = 0; k < c.rails.size(); ++k) {
            s.V.push_back(c.rails[k].Vexpected_V);
            full += c.rails[k].V_set * c.rails[k].I_full_A;
            here += c.rails[k].V_set * c.rails[k].V_set / load_ohm[k];
        }
        // A discontinuous point's peak grows as the root of the power; the
        // controller's level is the peak plus its ramp over the on-time.
        const double share = full > 0 ? std::sqrt(std::clamp(here / full, 1e-4, 1.0)) : 1;
        s.Ic_A = share * (c.Ipk_A + c.Vor / c.Lp_H * c.D / c.f_Hz);
    }
    s.V[0] = c.rails[0].V_set;
    Balance balance(c, load_ohm);
    std::vector<double> want = balance.Of(s);
    const std::size_t n = want.size();
    for (int round = 0; round < kMostRounds; ++round) {
        Matrix slope(n, std::vector<double>(n));
        for (std::size_t i = 0; i < n; ++i) {
            SteadyState probe = s;
            const double step = kProbeShare * Scale(c, i);
            Unknown(probe, i) += step;
            const std::vector<double> moved = balance.Of(probe);
            for (std::size_t k = 0; k < n; ++k) slope[k][i] = (moved[k] - want[k]) / step;
        }
        std::vector<double> change = want;
        if (!Solve(slope, change)) return std::nullopt;
        double length = 1, moved = 0;
        for (int halving = 0; halving < 16; ++halving, length /= 2) {
            SteadyState next = s;
            for (std::size_t i = 0; i < n; ++i) Unknown(next, i) -= length * change[i];
            next.Ic_A = std::max(next.Ic_A, 0.0);
            for (std::size_t k = 1; k < n; ++k)
                next.V[k] = std::max(next.V[k], kLowestShare * c.rails[k].V_set);
            const std::vector<double> nextWant = balance.Of(next);
            if (Largest(nextWant) < Largest(want) || halving == 15) {
                moved = 0;
                for (std::size_t i = 0; i < n; ++i)
                    moved =
                        std::max(moved, std::fabs(Unknown(next, i) - Unknown(s, i)) / Scale(c, i));
                s = next;
                want = nextWant;
                break;
            }
        }
        if (Largest(want) < kSettledShare || moved < kSettledMove)
            return Largest(want) < kSettledWant ? std::optional(s) : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace flyback::cross_regulation
