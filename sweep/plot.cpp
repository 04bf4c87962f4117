#include "sweep/plot.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "drawing/svg.hpp"
#include "report/html_report.hpp"
#include "report/readable.hpp"

namespace flyback::sweep {
namespace {

using drawing::Coordinate;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPanelWidth = 330, kPanelHeight = 150, kColumns = 2;
constexpr double kLeft = 64, kTop = 54, kGapX = 80, kGapY = 58;

constexpr std::string_view kText = R"(font-size="11" fill="#222" font-family="sans-serif")";
constexpr std::string_view kSmall = R"(font-size="10" fill="#555" font-family="sans-serif")";

// The chain's results as the boxes show them, the core by its area.
constexpr std::string_view kChainSymbols[] = {"Ae", "Lp", "gap", "Np", "Ns", "Vceo", "Isc"};

struct PlanColumn {
    const char *symbol, *caption, *unit;
};
constexpr PlanColumn kPlanSeries[] = {
    {"plan_Np", "初级匝数（整数）", "匝"}, {"plan_Ns", "次级匝数（整数）", "匝"},
    {"plan_Bpk_T", "峰值磁通密度", "T"},   {"plan_P_copper_W", "铜损", "W"},
    {"plan_P_core_W", "磁芯损耗", "W"},    {"plan_dT_K", "温升", "K"},
};

double Value(const report::DesignRecord& record, std::string_view symbol) {
    const report::QuantityValue* value = record.Find(symbol);
    return value != nullptr ? value->number : kNaN;
}

std::vector<double> PlanValues(const winding::PlanOutcome* outcome) {
    if (outcome == nullptr || !outcome->plan)
        return std::vector<double>(std::size(kPlanSeries), kNaN);
    const winding::Plan& p = *outcome->plan;
    return {static_cast<double>(p.Np),  static_cast<double>(p.Ns), p.Bpk_T,
            p.Pcopper_W.value_or(kNaN), p.Pcore_W.value_or(kNaN),  p.dT_K.value_or(kNaN)};
}

// Rows of two for `count` things.
std::size_t RowsFor(std::size_t count) {
    return (count + 1) / 2;
}

// Ticks at 1, 2 or 5 times a power of ten, about `count` of them over the span.
std::vector<double> Ticks(double low, double high, int count) {
    if (!(high > low)) return {low};
    const double rough = (high - low) / count;
    const double power = std::pow(10, std::floor(std::log10(rough)));
    double step = power;
    for (const double m : {2.0, 5.0, 10.0}) {
        if (step < rough) step = m * power;
    }
    std::vector<double> ticks;
    for (double t = std::ceil(low / step) * step; t <= high + step * 1e-9; t += step) {
        ticks.push_back(std::fabs(t) < step * 1e-9 ? 0 : t);
    }
    return ticks;
}

struct Range {
    double low = 0, high = 1;
};

Range RangeOf(const std::vector<double>& values) {
    Range r{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const double v : values) {
        if (std::isfinite(v)) {
            r.low = std::min(r.low, v);
            r.high = std::max(r.high, v);
        }
    }
    if (!(r.low <= r.high)) return {0, 1};
    if (r.low == r.high) {
        const double pad = r.low == 0 ? 1 : std::fabs(r.low) * 0.1;
        return {r.low - pad, r.high + pad};
    }
    return r;
}

struct Panel {
    double left, top;
    Range xRange, yRange;
    double X(double x) const {
        return left + (x - xRange.low) / (xRange.high - xRange.low) * kPanelWidth;
    }
    double Y(double y) const {
        return top + kPanelHeight - (y - yRange.low) / (yRange.high - yRange.low) * kPanelHeight;
    }
};

void Axes(drawing::Svg& svg, const Panel& p, const SweepData& data, const Series& s) {
    const std::string axis = R"(class="axis" stroke="#555" stroke-width="1")";
    const std::string grid = R"(class="grid" stroke="#ddd" stroke-width="1")";
    svg.Rect(p.left, p.top, kPanelWidth, kPanelHeight,
             R"(class="panel" fill="none" stroke="#555" stroke-width="1")");
    for (const double t : Ticks(p.xRange.low, p.xRange.high, 5)) {
        svg.Line(p.X(t), p.top, p.X(t), p.top + kPanelHeight, grid);
        svg.Text(p.X(t), p.top + kPanelHeight + 13, report::ReadableNumber(t), kSmall, "middle");
    }
    for (const double t : Ticks(p.yRange.low, p.yRange.high, 4)) {
        svg.Line(p.left, p.Y(t), p.left + kPanelWidth, p.Y(t), grid);
        svg.Text(p.left - 4, p.Y(t) + 3, report::ReadableNumber(t), kSmall, "end");
    }
    svg.Line(p.left, p.top + kPanelHeight, p.left + kPanelWidth, p.top + kPanelHeight, axis);
    std::string title = s.caption + " " + s.symbol;
    if (!s.unit.empty()) title += "（" + std::string(report::ReadableUnit(s.unit)) + "）";
    svg.Text(p.left, p.top - 6, title, kText);
    svg.Text(p.left + kPanelWidth, p.top + kPanelHeight + 26, data.xCaption, kSmall, "end");
}

// The series as lines, broken where a point has no value; a lone point as a dot.
void Lines(drawing::Svg& svg, const Panel& p, const SweepData& data, const Series& s) {
    std::vector<std::pair<double, double>> run;
    const auto flush = [&] {
        if (run.size() == 1) {
            svg.Circle(run[0].first, run[0].second, 2, R"(class="series" fill="#1f6fb2")");
        } else if (run.size() > 1) {
            std::string points;
            for (const auto& [x, y] : run) {
                points += (points.empty() ? "" : " ") + Coordinate(x) + "," + Coordinate(y);
            }
            svg.Polyline(points,
                         R"(class="series" fill="none" stroke="#1f6fb2" stroke-width="1.5")");
        }
        run.clear();
    };
    for (std::size_t i = 0; i < data.x.size(); ++i) {
        if (std::isfinite(s.values[i])) {
            run.emplace_back(p.X(data.x[i]), p.Y(s.values[i]));
        } else {
            flush();
        }
    }
    flush();
}

void Marks(drawing::Svg& svg, const Panel& p, const std::vector<Mark>& marks,
           std::string_view colour) {
    for (const Mark& mark : marks) {
        const double x = p.X(mark.x);
        svg.Line(x, p.top, x, p.top + kPanelHeight,
                 "class=\"mark\" stroke=\"" + std::string(colour) + "\" stroke-dasharray=\"4 3\"");
    }
}

// What each mark is, under the panels: the value where it begins, then the
// core or the warning, in the mark's colour.
double MarkList(drawing::Svg& svg, double top, const SweepData& data) {
    double y = top;
    const auto list = [&](const std::vector<Mark>& marks, std::string_view heading,
                          std::string_view colour) {
        if (marks.empty()) return;
        svg.Text(kLeft, y, std::string(heading), kText);
        y += 16;
        const std::string paint =
            "font-size=\"10\" fill=\"" + std::string(colour) + "\" font-family=\"sans-serif\"";
        for (std::size_t i = 0; i < marks.size(); ++i) {
            const double x = kLeft + static_cast<double>(i % 2) * (kPanelWidth + kGapX);
            svg.Text(x, y, MarkText(data, marks[i]), paint);
            if (i % 2 == 1 || i + 1 == marks.size()) y += 14;
        }
        y += 8;
    };
    list(data.coreChanges, "磁芯（灰色虚线处起）", "#555");
    list(data.warningStarts, "警告开始处（橙色虚线）", "#b36b00");
    return y;
}

}  // namespace

SweepData::SweepData(const SweepRange& range, bool withPlan) {
    const auto& box = numtext::kInputBoxes[static_cast<std::size_t>(numtext::Index(range.input))];
    xCaption = std::string(box.caption);
    xUnit = std::string(box.unit);
    for (const std::string_view symbol : kChainSymbols) {
        for (const report::Quantity& q : report::kQuantities) {
            if (q.symbol == symbol)
                series.push_back(
                    {std::string(symbol), std::string(q.name), std::string(q.unit), {}});
        }
    }
    if (!withPlan) return;
    for (const PlanColumn& c : kPlanSeries) series.push_back({c.symbol, c.caption, c.unit, {}});
}

void SweepData::Add(const SweepPoint& point) {
    x.push_back(point.typed);
    const std::size_t chain = std::size(kChainSymbols);
    for (std::size_t i = 0; i < chain; ++i)
        series[i].values.push_back(Value(point.record, series[i].symbol));
    if (series.size() > chain) {
        const std::vector<double> plan = PlanValues(point.plan);
        for (std::size_t i = 0; i < plan.size(); ++i) series[chain + i].values.push_back(plan[i]);
    }
    std::string core;
    if (point.plan != nullptr && point.plan->plan) {
        core = point.plan->plan->core->name;
    } else if (const report::QuantityValue* value = point.record.Find("core")) {
        core = value->text;
    }
    // The first point names the core the sweep starts on.
    if (!core.empty() && core != lastCore_) coreChanges.push_back({point.typed, core});
    lastCore_ = core;
    std::vector<std::string> warnings;
    for (const report::Warning& w : point.record.warnings) warnings.emplace_back(w.code);
    if (point.plan != nullptr && point.plan->plan) {
        for (const winding::PlanWarning& w : point.plan->plan->warnings)
            warnings.emplace_back(w.code);
    }
    for (const std::string& code : warnings) {
        if (std::find(lastWarnings_.begin(), lastWarnings_.end(), code) == lastWarnings_.end()) {
            warningStarts.push_back({point.typed, code});
        }
    }
    lastWarnings_ = std::move(warnings);
}

std::string MarkText(const SweepData& data, const Mark& mark) {
    return report::ReadableNumber(mark.x) + " " + data.xUnit + " " + mark.text;
}

std::string PlotSvg(const SweepData& data) {
    const auto rows = static_cast<double>(RowsFor(data.series.size()));
    const double width = kLeft + kColumns * kPanelWidth + kGapX + 30;
    const double panels = kTop + rows * (kPanelHeight + kGapY);
    const double listed = 16 * 2 +
                          14 * static_cast<double>(RowsFor(data.coreChanges.size()) +
                                                   RowsFor(data.warningStarts.size())) +
                          16;
    drawing::Svg svg(width, panels + listed, "扫描：" + data.xCaption);
    svg.Text(kLeft, 18, "横轴：" + data.xCaption + "；虚线：磁芯改变（灰）、警告开始（橙）", kText);
    const Range xRange = RangeOf(data.x);
    for (std::size_t i = 0; i < data.series.size(); ++i) {
        const Series& s = data.series[i];
        const Panel p{kLeft + static_cast<double>(i % 2) * (kPanelWidth + kGapX),
                      kTop + static_cast<double>(RowsFor(i + 1) - 1) * (kPanelHeight + kGapY),
                      xRange, RangeOf(s.values)};
        svg.GroupStart("class=\"plot\" data-symbol=\"" + report::HtmlEscape(s.symbol) + "\"");
        Axes(svg, p, data, s);
        Marks(svg, p, data.coreChanges, "#777");
        Marks(svg, p, data.warningStarts, "#d68000");
        Lines(svg, p, data, s);
        svg.GroupEnd();
    }
    MarkList(svg, panels, data);
    return svg.Finish();
}

}  // namespace flyback::sweep
