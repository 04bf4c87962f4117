#include "winding/ac_resistance.hpp"

#include <cmath>
#include <complex>
#include <numbers>

namespace flyback::winding {
namespace {

constexpr double kShareSummed = 0.999;
constexpr int kMostHarmonics = 20000;
constexpr double kThinLayer = 1e-2;  // Δ below which the next term of the series is below 1e-16

// ∫ from t0 to t1 of (i0 + s (t − t0)) e^(−jωt) dt, ω = 2πn, n ≥ 1.
std::complex<double> RampCoefficient(const Ramp& r, int n) {
    using namespace std::complex_literals;
    const double w = 2 * std::numbers::pi * n;
    const double slope = r.t1 > r.t0 ? (r.i1 - r.i0) / (r.t1 - r.t0) : 0;
    const auto E = [&](double t) { return std::exp(-1i * w * t); };
    const auto constant = [&](double t) { return E(t) / (-1i * w); };
    const auto linear = [&](double t) { return E(t) * (1.0 + 1i * w * t) / (w * w); };
    return (r.i0 - slope * r.t0) * (constant(r.t1) - constant(r.t0)) +
           slope * (linear(r.t1) - linear(r.t0));
}

}  // namespace

double DowellFactor(double delta, double layers) {
    if (delta <= 0) return 1;
    // Thin layers: the hyperbolic terms cancel to rounding; the series is exact there.
    if (delta < kThinLayer) return 1 + (5 * layers * layers - 1) * std::pow(delta, 4) / 45;
    const double skin =
        (std::sinh(2 * delta) + std::sin(2 * delta)) / (std::cosh(2 * delta) - std::cos(2 * delta));
    const double proximity =
        (std::sinh(delta) - std::sin(delta)) / (std::cosh(delta) + std::cos(delta));
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

AcLoss AcToDc(const std::vector<Ramp>& waveform, double delta1, double layers) {
    double square = 0, mean = 0;  // over a period
    for (const Ramp& r : waveform) {
        const double span = r.t1 - r.t0;
        square += span * (r.i0 * r.i0 + r.i0 * r.i1 + r.i1 * r.i1) / 3;
        mean += span * (r.i0 + r.i1) / 2;
    }
    AcLoss loss;
    loss.FrFundamental = DowellFactor(delta1, layers);
    if (!(square > 0)) return loss;
    double summed = mean * mean, weighted = mean * mean;  // the DC part, Fr = 1
    for (int n = 1; n <= kMostHarmonics && summed < kShareSummed * square; ++n) {
        std::complex<double> c = 0;
        for (const Ramp& r : waveform) c += RampCoefficient(r, n);
        const double rmsSquare = 2 * std::norm(c);  // of the harmonic's sine
        summed += rmsSquare;
        weighted += rmsSquare * DowellFactor(delta1 * std::sqrt(n), layers);
        loss.harmonics = n;
    }
    // What the summed harmonics leave out is counted at the last one's factor.
    weighted += (square - std::min(summed, square)) *
                DowellFactor(delta1 * std::sqrt(std::max(1, loss.harmonics)), layers);
    loss.ratio = weighted / square;
    return loss;
}

}  // namespace flyback::winding
