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

}  // namespace

namespace {

// Per unit of the sine figure at ΔB ÷ 2: the waveform's share, the ratio of
// the two equations. Nothing where the data has no fit at `hertz`.
std::optional<double> TriangleShare(const catalogue::Material& material, double hertz, double rise,
                                    double fall) {
    if (!(rise > 0) || !(fall > 0)) return std::nullopt;
    const catalogue::SteinmetzRange* fit = nullptr;
    for (const catalogue::SteinmetzRange& range : material.steinmetz) {
        if (hertz >= range.fMinHz && hertz <= range.fMaxHz) fit = &range;  // as the sine's
    }
    if (fit == nullptr) return std::nullopt;
    const double a = fit->alpha, b = fit->beta;
    const double ki = 1 / (portable_math::Pow(2 * std::numbers::pi, a - 1) * CosineIntegral(a) *
                           portable_math::Pow(2, b - a));
    return ki * portable_math::Pow(2, b) *
           (portable_math::Pow(rise, 1 - a) + portable_math::Pow(fall, 1 - a));
}

}  // namespace

std::optional<double> TriangleLossDensity(const catalogue::Material& material, double hertz,
                                          double deltaB_T, double rise, double fall,
                                          double celsius) {
    // The sine figure at the peak ΔB ÷ 2 carries the fit and the temperature
    // factor.
    const auto sine = catalogue::LossDensity(material, hertz, deltaB_T / 2, celsius);
    const auto share = TriangleShare(material, hertz, rise, fall);
    if (!sine || !share) return std::nullopt;
    return *sine * *share;
}

LeastTriangleLoss::LeastTriangleLoss(const catalogue::Material& material, double hertz)
    : fit_(catalogue::FitAt(material, hertz)) {
    if (fit_ == nullptr) return;
    const double a = fit_->alpha, b = fit_->beta;
    sineFactor_ = fit_->k * portable_math::Pow(hertz, a);
    const double ki = 1 / (portable_math::Pow(2 * std::numbers::pi, a - 1) * CosineIntegral(a) *
                           portable_math::Pow(2, b - a));
    shareFactor_ = ki * portable_math::Pow(2, b);
}

std::optional<double> LeastTriangleLoss::operator()(double deltaB_T, double rise, double fall,
                                                    double coolest_C, double hottest_C) const {
    if (fit_ == nullptr || !(rise > 0) || !(fall > 0)) return std::nullopt;
    const double a = fit_->alpha;
    const double sine = sineFactor_ * portable_math::Pow(deltaB_T / 2, fit_->beta) *
                        catalogue::LeastTemperatureFactor(*fit_, coolest_C, hottest_C);
    return sine *
           (shareFactor_ * (portable_math::Pow(rise, 1 - a) + portable_math::Pow(fall, 1 - a)));
}

std::optional<double> LeastTriangleLossDensity(const catalogue::Material& material, double hertz,
                                               double deltaB_T, double rise, double fall,
                                               double coolest_C, double hottest_C) {
    return LeastTriangleLoss(material, hertz)(deltaB_T, rise, fall, coolest_C, hottest_C);
}

}  // namespace flyback::winding
