#pragma once

#include <string>
#include <vector>

#include "sweep/sweep.hpp"

namespace flyback::sweep {

// A quantity along a sweep; NaN where a point did not reach it.
struct Series {
    std::string symbol;  // as the CSV names it
    std::string shown;   // as an engineer writes it: plan_Bpk_T is Bpk
    std::string caption, unit;
    std::vector<double> values;
    // As people read it, never a program's name: "峰值磁通密度 Bpk".
    std::string Label() const;
};

// Where something begins along a sweep: a core (the first point's too), a
// warning.
struct Mark {
    double x = 0;
    std::string text;
};

// What a sweep's plot shows, collected point by point: the seven results (the
// core as its area), with a plan its core, turns, flux density, losses and
// temperature rise; where the core changes and where each warning begins.
struct SweepData {
    std::string xCaption, xUnit;  // the swept box's caption and unit
    std::vector<double> x;
    std::vector<Series> series;
    std::vector<Mark> coreChanges, warningStarts;

    SweepData(const SweepRange& range, bool withPlan);
    void Add(const SweepPoint& point);

  private:
    std::string lastCore_;
    std::vector<std::string> lastWarnings_;
};

// A mark for people: where it begins, in the swept box's unit, and what it is
// ("37.5 W PQ20/20").
std::string MarkText(const SweepData& data, const Mark& mark);

// An axis's extent for `values`: their smallest and largest finite value; a
// flat series (equal, or differing only in its last bits) centred with room
// above and below; 0 to 1 where no value is finite.
struct AxisRange {
    double low = 0, high = 1;
};
AxisRange RangeOf(const std::vector<double>& values);

// Ticks at 1, 2 or 5 times a power of ten within [low, high], about `count`
// of them; the ends alone where no such ticks fit.
std::vector<double> Ticks(double low, double high, int count);

// The plot as SVG: one small panel per series against the swept input, with
// axes and ticks, the core changes as dashed lines named at the top and the
// warnings' beginnings marked in amber.
// `columns` panels side by side (1 on a phone's width, 2 by default), the
// marks listed under them one a line. One column is drawn for `width` CSS
// pixels: narrower than kOneColumnWidth, its panels narrow to fit (200 at
// least) and the heading takes two lines; the text stays 11 pixels.
inline constexpr double kOneColumnWidth = 424;
std::string PlotSvg(const SweepData& data, int columns = 2, double width = kOneColumnWidth);

// One series' panel alone, as large as `width` by `height` pixels (half a
// page's panel at least), drawn by the same rules: the window's plot of the
// quantity chosen. The marks are dashed lines; naming them is the caller's.
std::string PanelSvg(const SweepData& data, std::size_t series, double width, double height);

}  // namespace flyback::sweep
