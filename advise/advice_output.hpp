#pragma once

#include <string>

#include "advise/advise.hpp"

namespace flyback::advise {

// The answer as JSON, the same bytes wherever it is computed but for
// "elapsed_ms": {"advise": {"candidates_tried", "feasible", "pruned",
// "planned_in_full", "dropped_by", "vor_range_V", "front", "top",
// "elapsed_ms"}}, each candidate with the plan's numbers in SI units.
std::string Json(const Advice& advice);

// Where the chart puts things, in its own units: a candidate's dot at
// (X(volume), Y(loss)), the axes ending at round numbers.
inline constexpr double kChartWidth = 720, kChartHeight = 460;
struct ChartFrame {
    double width = kChartWidth, height = kChartHeight;
    double axesHeight = kChartHeight;  // above the key's line, where it has one
    double xStep = 1, yStep = 1;       // between ticks, round numbers
    double xMax = 1, yMax = 1;         // the axes' ends, a whole number of steps
    double X(double volume_cm3) const;
    double Y(double loss_W) const;
    bool Narrow() const;  // narrower than kChartWidth, its key under it
};
// For `width` pixels (300 to kChartWidth): the axes kChartHeight tall, and a
// line for the key under them where narrow, as the page draws it.
ChartFrame FrameOf(const Advice& advice, double width = kChartWidth);
// To fill `width` by `height` pixels where the chart's limits allow: the axes
// from 240 to kChartHeight tall.
ChartFrame FrameOf(const Advice& advice, double width, double height);

// The chart as SVG: the feasible candidates (ChartPoints) by loss against
// core volume, the front over them with its cores named; its text 12 pixels
// at any size, in `frame` (FrameOf this advice) or as the page draws it.
std::string Svg(const Advice& advice, const ChartFrame& frame);
std::string Svg(const Advice& advice, double width = kChartWidth);

// The front's member whose dot is nearest (x, y), in the chart's units, if a
// finger's width of it: the chart's dots are small, and a miss picks none.
const Candidate* FrontMemberAt(const Advice& advice, const ChartFrame& frame, double x, double y);

}  // namespace flyback::advise
