#pragma once

#include <optional>
#include <string>
#include <vector>

#include "winding/plan.hpp"

// The planned transformer at conditions of its own: an input, a share of
// the full load and a switching frequency other than the plan's. The turns,
// the inductance, the wire and the temperature stay as the plan settled them;
// the current's shape, the flux and the losses follow the condition.
namespace flyback::conditions {

struct Condition {
    std::string name;  // as the engineer or the file calls it
    double Vin_V = 0;
    double load = 1;  // the outputs' power, a share of the plan's full load
    double f_Hz = 0;
};

struct Analysed {
    Condition condition;
    winding::OperatingPoint point;   // its mode, duty, peak and valley
    double Bpk_T = 0, deltaB_T = 0;  // the peak in the narrowest section; the swing over Ae
    // The core's loss by iGSE on this flux at this frequency, and the copper's
    // over each winding's own current's harmonics; at the plan's temperature.
    // None where the plan has neither (no loss data, no mean turn length).
    std::optional<double> Pcore_W, Pcopper_W;
};

// The core's and the copper's loss of the plan's transformer running at
// `point` (its own frequency) with the outputs at `load` of full load.
struct Losses {
    std::optional<double> Pcore_W, Pcopper_W;
};
Losses LossesAt(const winding::Plan& plan, const winding::OperatingPoint& point, double load);

// A corner's losses where the transformer runs there; none at the current
// limit's corners, which it only passes through (start-up, overload).
std::optional<Losses> CornerLosses(const winding::Plan& plan, const winding::Corner& corner);

// The operating point of the plan's transformer at `Vin` with the outputs at
// `load` of full load, at `f_Hz` (a valley-switched one at its valley's own).
winding::OperatingPoint RunningAt(const winding::Plan& plan, double Vin, double load, double f_Hz);

// Why a condition cannot be analysed, as data: the quantity out of its
// range (kMostLoad bounds the load); each front end words it.
enum class Problem { None, Voltage, Load, Frequency };
Problem Check(const Condition& condition);
// The problem as the window, the page and the command line say it, in
// Chinese ("负载须大于零，且不超过满载的 10 倍"); empty for none.
std::string ProblemCaption(Problem problem);

// The plan's transformer at `condition` (Check(condition) none). A
// valley-switched transformer runs at the frequency its valley gives, not
// the condition's.
Analysed Analyse(const winding::Plan& plan, const Condition& condition);

// One line a condition: its caption and what it does, in the corners' words
// ("输入电压 249 V，频率 100 kHz，负载 100 %，模式 连续，…").
struct Line {
    std::string caption, text;
};
Line Words(const Analysed& analysed);

// Each operating point an opened file gives, as a line captioned
// "文件工作点：" and its name; a point no transformer runs at says why.
std::vector<Line> FilePointLines(const winding::Plan& plan, const std::vector<Condition>& points);

}  // namespace flyback::conditions
