#pragma once

// A flyback's conditions read back from its windings' excitations, for a MAS
// document that gives no converter block: the frequency, the input (the
// primary's voltage while the switch is on), the reflected voltage (its
// voltage while the secondaries conduct), the duty, and each winding's mean
// current over the period. A sampled waveform is taken as sampled; without
// one, the processed values are read by their label.

#include <string>
#include <vector>

#include "design_file/document.hpp"

namespace flyback::design_file {

struct WindingExcitation {
    bool primarySide = false;
    double mean_A = 0;  // over the whole period
    double peak_A = 0;
};

struct ExcitedPoint {
    double frequency_Hz = 0;
    double Von_V = 0, Voff_V = 0;  // the primary's, switch on and off
    double duty = 0;
    std::vector<WindingExcitation> windings;  // in the coil's order
};

// One operating point's excitations, `sides` telling which windings are on
// the primary side (the first of them the primary). Throws Unreadable naming
// what is missing or is not a flyback's waveform.
ExcitedPoint ReadExcitedPoint(const Reader& point, const std::vector<bool>& primarySide);

// The mean of a sampled signal over its time span (a piecewise-linear
// signal: the trapezoids between the samples).
double SampledMean(const std::vector<double>& time, const std::vector<double>& data);

}  // namespace flyback::design_file
