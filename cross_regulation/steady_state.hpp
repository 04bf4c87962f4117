#pragma once

#include <optional>
#include <vector>

#include "cross_regulation/circuit.hpp"

namespace flyback::cross_regulation {

// The circuit's periodic steady state with each rail loaded by a resistance:
// the regulated rail (the first) held at its set voltage by a peak-current
// controller at the plan's frequency, every other rail's voltage where its
// rectifier's charge in a period meets its load. The output capacitors hold
// their voltages through a period (their ripple is the plan's half a
// percent), so a period is the windings' currents alone: the switch on
// until the primary's current meets the controller's level (less a ramp as
// steep as the magnetising current's fall, so the period's end does not
// depend on its start and a continuous mode settles in a period), then the
// clamp and the rectifiers taking the current through the leakage.
struct SteadyState {
    std::vector<double> V;  // each rail's output, V
    double Ic_A = 0;        // the controller's level
};

// The time steps a period is run in (a linear implicit step: the diodes'
// drop is stiff near zero current).
inline constexpr int kStepsPerPeriod = 1000;
// The longest on-time the controller allows, of the period.
inline constexpr double kLongestOnTime = 0.9;

// None where the rails do not settle (the regulated one beyond what the
// longest on-time delivers). `from` is a nearby state to start at.
std::optional<SteadyState> Settle(const Circuit& c, const std::vector<double>& load_ohm,
                                  const SteadyState* from = nullptr);

// What each rail's rectifier delivers in a period at a given state: the
// mean current, A, with the winding currents the period ends with.
std::vector<double> MeanCurrents(const Circuit& c, const SteadyState& at,
                                 std::vector<double>& currents);

}  // namespace flyback::cross_regulation
