#pragma once

#include <optional>

#include "catalogue/catalogue.hpp"

namespace flyback::winding {

// The core's loss density (W/m³) on a flyback's own flux: a ramp up of ΔB
// (peak to peak) over `rise` of the period and down over `fall`, flat in the
// idle time, by the improved generalised Steinmetz equation (K. Venkatachalam,
// C. R. Sullivan, T. Abdallah, H. Tacca, "Accurate prediction of ferrite core
// loss with nonsinusoidal waveforms using only Steinmetz parameters", IEEE
// COMPEL 2002):
//   Pv = (1/T) ∫ ki |dB/dt|^α ΔB^(β−α) dt = ki ΔB^β f^α (rise^(1−α) + fall^(1−α)),
//   ki = k ÷ ((2π)^(α−1) × ∫₀^2π |cos θ|^α dθ × 2^(β−α)),
// from the material's own k, α, β at `hertz` and its temperature factor, as
// the sine figure takes them. Nothing where the data has no fit.
std::optional<double> TriangleLossDensity(const catalogue::Material& material, double hertz,
                                          double deltaB_T, double rise, double fall,
                                          double celsius);

// What TriangleLossDensity of one material at one frequency cannot be below
// at any temperature from `coolest_C` to `hottest_C`, its fit's share
// computed once for the many swings and duties a search asks about.
class LeastTriangleLoss {
  public:
    LeastTriangleLoss(const catalogue::Material& material, double hertz);
    std::optional<double> operator()(double deltaB_T, double rise, double fall, double coolest_C,
                                     double hottest_C) const;

  private:
    const catalogue::Material& material_;
    double hertz_ = 0;
    const catalogue::SteinmetzRange* fit_ = nullptr;
    double shareFactor_ = 0;
};

}  // namespace flyback::winding
