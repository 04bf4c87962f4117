#pragma once

namespace flyback::winding::physics {

// The vacuum permeability, H/m (CODATA 2018).
inline constexpr double kMu0 = 1.25663706212e-6;

// Annealed copper (IEC 60028): 1/58 Ω·mm²/m at 20 °C, 0.00393 per kelvin.
inline constexpr double kCopperResistivity20C = 1.0 / 58 * 1e-6;  // Ω·m
inline constexpr double kCopperTemperatureCoefficient = 0.00393;  // 1/K
// Windings and core are reckoned at the temperature a loaded transformer runs at.
inline constexpr double kWorkingTemperature_C = 100;

// The transformer's surface from its area product, and the temperature rise
// of a surface in natural convection (Colonel Wm. T. McLyman, "Transformer and
// Inductor Design Handbook", 3rd ed., Marcel Dekker 2004, chapters 5 and 6):
//   At = Ks × √Ap          At in cm², Ap = Ae × Wa in cm⁴
//   ΔT = 450 × (P ÷ At)^0.826   ΔT in K, P in W
// Ks is the handbook's surface coefficient for lamination-shaped cores (E, EFD,
// ETD, ER, PQ) and for pot cores (RM, EP).
inline constexpr double kSurfaceCoefficientE = 41.3;
inline constexpr double kSurfaceCoefficientPot = 33.8;
inline constexpr double kRiseFactor = 450;
inline constexpr double kRiseExponent = 0.826;

inline constexpr double kRectifierDrop = 0.5;  // V, as the design's chain takes it
inline constexpr double kBiasDiodeDrop = 0.7;  // V
inline constexpr double kCurrentLimitMargin = 1.3;
inline constexpr double kClampRipple = 0.1;  // of the clamp voltage
// Leakage as a fraction of Lp where the build cannot give it: a usual figure
// for a margin-wound offline transformer, said as an assumption.
inline constexpr double kAssumedLeakage = 0.02;

}  // namespace flyback::winding::physics
