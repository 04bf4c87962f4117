#pragma once

#include <functional>
#include <string>

#include "design/design_inputs.hpp"

namespace flyback::design {

// Everything one calculation derives. Quantities not reached before a fault
// stay 0.
struct DesignResults {
    double RequiredCoreArea = 0;  // cm²
    std::string CoreType;
    double CoreArea = 0;           // cm²
    double FluxDensity = 0;        // gauss
    double ReflectedVoltage = 0;   // V
    double SpikeAllowance = 0;     // V
    double SwitchVoltage = 0;      // V
    double MaxDutyCycle = 0;       // fraction
    double PrimaryInductance = 0;  // H
    double PeakCurrent = 0;        // A
    double SwitchCurrent = 0;      // A
    double StoredEnergy = 0;       // J
    double FluxGapProduct = 0;     // gauss·cm
    double PrimaryTurns = 0;
    double GapLength = 0;  // mm
    double SecondaryTurns = 0;
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

}  // namespace flyback::design
