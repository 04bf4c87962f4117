#pragma once

namespace flyback::design {

// The six design parameters in the units the formulas use.
struct DesignInputs {
    double OutputPower = 0;      // W
    double MaxInputVoltage = 0;  // V, DC
    double MinInputVoltage = 0;  // V, DC
    double Frequency = 0;        // Hz
    double Efficiency = 0;       // fraction, 0.75 for 75 %
    double OutputVoltage = 0;    // V
};

}  // namespace flyback::design
