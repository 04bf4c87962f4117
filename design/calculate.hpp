#pragma once

#include <functional>
#include <limits>
#include <string>

#include "design/core_size_table.hpp"
#include "design/design_inputs.hpp"

namespace flyback::design {

// A quantity the calculation has not reached. The checked arithmetic never
// yields a NaN, so a NaN here can only mean "not computed".
inline constexpr double kNotReached = std::numeric_limits<double>::quiet_NaN();

// Everything one calculation derives. Quantities not reached before a fault
// stay kNotReached.
struct DesignResults {
    double RequiredCoreArea = kNotReached;  // cm²
    // The core table's row chosen; nullptr when none is large enough, and
    // before the choice (CoreArea then kNotReached).
    const CoreSize* Core = nullptr;
    double CoreArea = kNotReached;           // cm²
    double FluxDensity = kNotReached;        // gauss
    double ReflectedVoltage = kNotReached;   // V
    double SpikeAllowance = kNotReached;     // V
    double SwitchVoltage = kNotReached;      // V
    double MaxDutyCycle = kNotReached;       // fraction
    double PrimaryInductance = kNotReached;  // H
    double PeakCurrent = kNotReached;        // A
    double SwitchCurrent = kNotReached;      // A
    double StoredEnergy = kNotReached;       // J
    double FluxGapProduct = kNotReached;     // gauss·cm
    double PrimaryTurns = kNotReached;
    double GapLength = kNotReached;  // mm
    double SecondaryTurns = kNotReached;
};

// The seven results shown to the user, in the order they are published.
enum class Published {
    CoreType,
    SwitchVoltage,
    PrimaryInductance,
    SwitchCurrent,
    PrimaryTurns,
    GapLength,
    SecondaryTurns,
};

inline constexpr int kPublishedCount = 7;

// Told of each result as soon as it exists; `results` holds everything computed
// so far, the newly published quantity included.
using PublishResult = std::function<void(Published which, const DesignResults& results)>;

// Designs the transformer. Every result is published before the next step's
// arithmetic starts, so when a step faults (runtime::RuntimeError, which is not
// caught here) the results published until then are already out.
DesignResults Calculate(const DesignInputs& inputs, const PublishResult& publish);

// The same, writing each quantity into `results` as it is computed, so that
// after a fault the caller still sees everything reached until then.
void Calculate(const DesignInputs& inputs, const PublishResult& publish, DesignResults& results);

}  // namespace flyback::design
