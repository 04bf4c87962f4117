#pragma once

// The ways of fixing the reflected voltage and of setting the primary's
// inductance, and the bounds of the valley-switched way's numbers.

namespace flyback::winding {

// Where the reflected voltage comes from.
enum class VorSource {
    Press,         // the press's Vor
    Value,         // typed
    SwitchRating,  // (derating × Vds rating − Vmax) ÷ the clamp's ratio to Vor
    MaxDuty,       // Dmax × Vmin ÷ (1 − Dmax): the controller's duty limit at the minimum input
};

// How the primary's inductance is set.
enum class Conduction {
    Boundary,    // the edge of continuous conduction at the minimum input
    Ripple,      // the ripple ratio KRP at the minimum input
    Inductance,  // Lp typed; the mode follows from it
    // Switched in a valley of the drain's ring: the frequency is the lowest,
    // at the minimum input and full load, and rises with line and falls with load.
    QuasiResonant,
};

// A controller counts the ring's valleys up to a handful; beyond these the
// ring has died away.
inline constexpr double kDeepestValley = 20;

// A quasi-resonant controller without a typed clamp is assumed to hold its
// frequency to twice the design's: light load then moves to deeper valleys
// instead of running on upwards, as every such controller does somewhere.
inline constexpr double kAssumedFmaxOfDesign = 2;

// A clamp far above Vor only wastes the switch's rating.
inline constexpr double kHighestClampRatio = 10;

}  // namespace flyback::winding
