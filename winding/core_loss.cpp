#include "winding/core_loss.hpp"

#include <cmath>
#include <numbers>

#include "portable_math/portable_math.hpp"

namespace flyback::winding {
namespace {

// ∫₀^2π |cos θ|^α dθ = 2 √π Γ((α + 1) ÷ 2) ÷ Γ(α ÷ 2 + 1).
double CosineIntegral(double alpha) {
    return 2 * std::sqrt(std::numbers::pi) * portable_math::Gamma((alpha + 1) / 2) /
           portable_math::Gamma(alpha / 2 + 1);
}

// The waveform's share per unit of the sine figure at ΔB ÷ 2, the ratio of
// the two equations, is ki 2^β (rise^(1−α) + fall^(1−α)): here ki 2^β.
double ShareFactor(const catalogue::SteinmetzRange& fit) {
    const double a = fit.alpha, b = fit.beta;
    const double ki = 1 / (portable_math::Pow(2 * std::numbers::pi, a - 1) * CosineIntegral(a) *
                           portable_math::Pow(2, b - a));
    return ki * portable_math::Pow(2, b);
}

double Ramps(const catalogue::SteinmetzRange& fit, double rise, double fall) {
    return portable_math::Pow(rise, 1 - fit.alpha) + portable_math::Pow(fall, 1 - fit.alpha);
}

}  // namespace

std::optional<double> TriangleLossDensity(const catalogue::Material& material, double hertz,
                                          double deltaB_T, double rise, double fall,
                                          double celsius) {
    // The sine figure at the peak ΔB ÷ 2 carries the fit and the temperature
    // factor.
    const auto sine = catalogue::LossDensity(material, hertz, deltaB_T / 2, celsius);
    const catalogue::SteinmetzRange* fit = catalogue::FitAt(material, hertz);
    if (!sine || fit == nullptr || !(rise > 0) || !(fall > 0)) return std::nullopt;
    return *sine * (ShareFactor(*fit) * Ramps(*fit, rise, fall));
}

LeastTriangleLoss::LeastTriangleLoss(const catalogue::Material& material, double hertz)
    : material_(material), hertz_(hertz), fit_(catalogue::FitAt(material, hertz)) {
    if (fit_ != nullptr) shareFactor_ = ShareFactor(*fit_);
}

std::optional<double> LeastTriangleLoss::operator()(double deltaB_T, double rise, double fall,
                                                    double coolest_C, double hottest_C) const {
    if (fit_ == nullptr || !(rise > 0) || !(fall > 0)) return std::nullopt;
    const auto sine =
        catalogue::LeastLossDensity(material_, hertz_, deltaB_T / 2, coolest_C, hottest_C);
    return *sine * (shareFactor_ * Ramps(*fit_, rise, fall));
}

}  // namespace flyback::winding
