#include "winding/ac_resistance.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

#include "portable_math/portable_math.hpp"

namespace flyback::winding {
namespace {

constexpr double kShareSummed = 0.999;
constexpr int kMostHarmonics = 20000;
constexpr int kOwnFactors = 12;      // harmonics a floor takes each at its own factor
constexpr double kThinLayer = 1e-2;  // Δ below which the next term of the series is below 1e-16
// Δ above which both of Dowell's ratios are one in doubles, to within their
// rounding: sinh and cosh are both e^Δ ÷ 2 there (from 22), and e^Δ ÷ 2 is
// past 2^54, where adding a sine or cosine of at most one cannot change it.
constexpr double kThickLayer = 39;

struct Phasor {
    double re = 0, im = 0;
};

// ∫ from t0 to t1 of (i0 + s (t − t0)) e^(−jωt) dt, ω = 2πn, n ≥ 1, in real
// arithmetic (complex division is rounded differently by each C++ library):
// ∫ e^(−jωt) dt = (sin ωt + j cos ωt) ÷ ω, and
// ∫ t e^(−jωt) dt = ((cos ωt + ωt sin ωt) + j (ωt cos ωt − sin ωt)) ÷ ω².
Phasor RampCoefficient(const Ramp& r, int n) {
    const double w = 2 * std::numbers::pi * n;
    const double slope = r.t1 > r.t0 ? (r.i1 - r.i0) / (r.t1 - r.t0) : 0;
    // Both integrals at one end of the ramp, from one sine and cosine there.
    struct Ends {
        Phasor constant, linear;
    };
    const auto at = [&](double t) {
        const auto [s, c] = portable_math::SinCos(w * t);
        return Ends{{s / w, c / w}, {(c + w * t * s) / (w * w), (w * t * c - s) / (w * w)}};
    };
    const double a = r.i0 - slope * r.t0;
    const Ends e0 = at(r.t0), e1 = at(r.t1);
    return {a * (e1.constant.re - e0.constant.re) + slope * (e1.linear.re - e0.linear.re),
            a * (e1.constant.im - e0.constant.im) + slope * (e1.linear.im - e0.linear.im)};
}

}  // namespace

double DowellFactor(double delta, double layers) {
    if (delta <= 0) return 1;
    // Thin layers: the hyperbolic terms cancel to rounding; the series is exact there.
    if (delta < kThinLayer) {
        const double square = delta * delta;
        return 1 + (5 * layers * layers - 1) * (square * square) / 45;
    }
    // The harmonics far up a waveform's series: the formula's value, without
    // its six transcendental functions each.
    if (delta >= kThickLayer) return delta * (1.0 + 2 * (layers * layers - 1) / 3 * 1.0);
    // From one exponential, one sine and one cosine (the plan asks for this
    // factor at every harmonic of every conductor it tries): with sh, ch, s, c
    // of Δ, sinh 2Δ + sin 2Δ = 2 (sh ch + s c) and cosh 2Δ − cos 2Δ =
    // 2 (sh² + s²), which also spares the latter its cancellation.
    const double e = portable_math::Exp(delta), inverse = 1 / e;
    const double sh = (e - inverse) / 2, ch = (e + inverse) / 2;
    const auto [s, c] = portable_math::SinCos(delta);
    const double skin = (sh * ch + s * c) / (sh * sh + s * s);
    const double proximity = (sh - s) / (ch + c);
    return delta * (skin + 2 * (layers * layers - 1) / 3 * proximity);
}

double PenetrationRatio(double conductor_mm, double conductorsPerLayer, double width_mm,
                        double skinDepth_mm) {
    const double foil = conductor_mm * std::sqrt(std::numbers::pi / 4);
    const double porosity = std::min(1.0, conductorsPerLayer * conductor_mm / width_mm);
    return foil / skinDepth_mm * std::sqrt(porosity);
}

std::vector<Ramp> PrimaryWaveform(double peak, double valley, double duty) {
    return {{0, duty, valley, peak}};
}

std::vector<Ramp> SecondaryWaveform(double peak, double valley, double duty, double reset) {
    return {{duty, std::min(1.0, duty + reset), peak, valley}};
}

namespace {

bool Same(const std::vector<Ramp>& a, const std::vector<Ramp>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const Ramp& x, const Ramp& y) {
               return x.t0 == y.t0 && x.t1 == y.t1 && x.i0 == y.i0 && x.i1 == y.i1;
           });
}

// The RMS squares of a waveform's harmonics, from the first until they hold
// 99.9 % of its square or `most` of them are summed.
std::vector<double> SquaresOf(const std::vector<Ramp>& waveform, double dcSquare, double square,
                              int most) {
    std::vector<double> squares;
    double summed = dcSquare;
    for (int n = 1; n <= most && summed < kShareSummed * square; ++n) {
        Phasor c;
        for (const Ramp& r : waveform) {
            const Phasor piece = RampCoefficient(r, n);
            c.re += piece.re;
            c.im += piece.im;
        }
        const double rmsSquare = 2 * (c.re * c.re + c.im * c.im);  // of the harmonic's sine
        summed += rmsSquare;
        squares.push_back(rmsSquare);
    }
    return squares;
}

// The squares of every harmonic summed. They depend on the waveform alone: a
// plan asks for the same windings' again at each temperature step, and a few
// waveforms are kept per thread to answer it without their series again (a
// pure memo, like FirstSquares': the same answer kept or not).
const std::vector<double>& HarmonicSquares(const std::vector<Ramp>& waveform, double dcSquare,
                                           double square) {
    struct Kept {
        std::vector<Ramp> waveform;
        std::vector<double> squares;
    };
    constexpr std::size_t kKept = 8;
    thread_local std::vector<Kept> kept;
    thread_local std::size_t next = 0;
    for (const Kept& k : kept) {
        if (Same(k.waveform, waveform)) return k.squares;
    }
    std::vector<double> squares = SquaresOf(waveform, dcSquare, square, kMostHarmonics);
    if (kept.size() < kKept) {
        kept.push_back({waveform, std::move(squares)});
        return kept.back().squares;
    }
    Kept& slot = kept[next];
    next = (next + 1) % kKept;
    slot = {waveform, std::move(squares)};
    return slot.squares;
}

// The first `harmonics` squares of a waveform, kept: a search of cores asks
// for the same currents again on every core (they follow from the turns
// ratio, not the core), a few thousand of them.
const std::vector<double>& FirstSquares(const std::vector<Ramp>& waveform, double dcSquare,
                                        double square, int harmonics) {
    using Key = std::pair<std::vector<std::array<double, 4>>, int>;
    constexpr std::size_t kKept = 8192;
    thread_local std::map<Key, std::vector<double>> kept;
    Key key{{}, harmonics};
    for (const Ramp& r : waveform) key.first.push_back({r.t0, r.t1, r.i0, r.i1});
    if (const auto found = kept.find(key); found != kept.end()) return found->second;
    if (kept.size() >= kKept) kept.clear();
    return kept.emplace(std::move(key), SquaresOf(waveform, dcSquare, square, harmonics))
        .first->second;
}

struct Moments {
    double square = 0, mean = 0;  // over a period
};

Moments MomentsOf(const std::vector<Ramp>& waveform) {
    Moments m;
    for (const Ramp& r : waveform) {
        const double span = r.t1 - r.t0;
        m.square += span * (r.i0 * r.i0 + r.i0 * r.i1 + r.i1 * r.i1) / 3;
        m.mean += span * (r.i0 + r.i1) / 2;
    }
    return m;
}

}  // namespace

AcLoss AcToDc(const std::vector<Ramp>& waveform, double delta1, double layers) {
    const Moments m = MomentsOf(waveform);
    AcLoss loss;
    loss.FrFundamental = DowellFactor(delta1, layers);
    if (!(m.square > 0)) return loss;
    double summed = m.mean * m.mean, weighted = m.mean * m.mean;  // the DC part, Fr = 1
    const std::vector<double>& squares = HarmonicSquares(waveform, summed, m.square);
    for (std::size_t i = 0; i < squares.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        summed += squares[i];
        weighted += squares[i] * DowellFactor(delta1 * std::sqrt(n), layers);
        loss.harmonics = n;
    }
    // What the summed harmonics leave out is counted at the last one's factor.
    weighted += (m.square - std::min(summed, m.square)) *
                DowellFactor(delta1 * std::sqrt(std::max(1, loss.harmonics)), layers);
    loss.ratio = weighted / m.square;
    return loss;
}

double AcToDcFloor(const std::vector<Ramp>& waveform, double delta1, double layers, int harmonics) {
    const Moments m = MomentsOf(waveform);
    if (!(m.square > 0)) return 1;
    double summed = m.mean * m.mean, weighted = m.mean * m.mean;
    const std::vector<double>& squares = FirstSquares(waveform, summed, m.square, harmonics);
    // The first dozen each at its own factor; further up, in blocks a
    // seventh wide, each block at its first harmonic's factor, since Dowell's
    // factor grows with Δ: a few dozen factors for hundreds of harmonics.
    int n = 0;
    while (n < static_cast<int>(squares.size())) {
        const int first = n + 1;
        const int end = std::min(static_cast<int>(squares.size()),
                                 first <= kOwnFactors ? first : first + first / 7);
        double block = 0;
        for (; n < end; ++n) block += squares[static_cast<std::size_t>(n)];
        summed += block;
        weighted += block * DowellFactor(delta1 * std::sqrt(first), layers);
    }
    // Dowell's factor grows with Δ: the harmonics not summed here are each
    // counted at least at the next one's factor — or, where these already hold
    // the share summed in full, at the last one's, as the full sum does.
    const int rest = summed < kShareSummed * m.square ? n + 1 : std::max(1, n);
    weighted +=
        (m.square - std::min(summed, m.square)) * DowellFactor(delta1 * std::sqrt(rest), layers);
    return weighted / m.square;
}

}  // namespace flyback::winding
