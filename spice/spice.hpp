#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "winding/plan.hpp"

namespace flyback::spice {

// The plan's transformer for a circuit simulator (ngspice): a subcircuit of
// coupled windings (the magnetising inductance on the primary, the turns
// ratios, the leakage, each winding's resistance, the core's loss as a
// resistance across the magnetising inductance), and a test bench that runs
// it at the minimum input and full load: the input as a source, a switch
// driven at f with the plan's duty, the RCD clamp, each output's rectifier,
// capacitor and load, and .meas lines for the primary's peak current, the
// switch's peak voltage, each output's mean voltage and its secondary's peak
// and RMS current. Each loss sits where it arises: each winding's resistance
// loses the plan's copper loss over the harmonics, the rectifiers drop their
// VF, the core's resistance its loss, and the switch's on-resistance the rest
// of the primary side's (whatever the efficiency holds beyond the primary's
// copper and the clamp). A quasi-resonant plan's bench is peak-current
// controlled and switched on at the drain's first valley, at the minimum
// input or, changing its one .param line, the maximum; it measures the
// switching period too.
std::string Netlist(const winding::Plan& plan);

// The measurement names, and each output's: "vout1", "vout2", ...
inline constexpr std::string_view kPeakCurrent = "ipk";
inline constexpr std::string_view kSwitchPeak = "vds";
// Valley-switched: the switching period over the measured window.
inline constexpr std::string_view kPeriod = "tsw";
// At a fixed frequency with the minimum input's point discontinuous: the
// period of the drain's ring on Lp and the drain's capacitance once the
// secondaries have stopped, from two falls through the input.
inline constexpr std::string_view kRingPeriod = "tring";
std::string OutputMeasure(int output);
// Each output's secondary current: "ispk1", "isrms1", ...
std::string SecondaryPeakMeasure(int output);
std::string SecondaryRmsMeasure(int output);

// The bench of several outputs' voltages at a corner of the loads (each
// rail, the outputs then the bias, full or at its least load): the windings
// coupled pairwise by the build's leakage (cross_regulation::Circuit), the
// regulated output held by the fixed-frequency controller at the plan's
// frequency, the clamp a fixed voltage as the cross-regulation model holds
// it. Each rail's mean voltage is RailMeasure(k). Empty where the build gives
// no leakage or `full` is not one a rail.
std::string CrossRegulationNetlist(const winding::Plan& plan, const std::vector<bool>& full);
std::string RailMeasure(std::size_t rail);

// The measurements ngspice printed ("ipk = 2.1e+00 ..."), by name.
std::map<std::string, double> ReadMeasurements(std::string_view output);

}  // namespace flyback::spice
