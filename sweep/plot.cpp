#include "sweep/plot.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>

#include "catalogue/names.hpp"
#include "drawing/svg.hpp"
#include "record/readable.hpp"
#include "report/html_report.hpp"

namespace flyback::sweep {
namespace {

using drawing::Coordinate;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPanelWidth = 330, kPanelHeight = 150;
constexpr double kLeft = 64, kTop = 54, kGapX = 80, kGapY = 58;

constexpr std::string_view kText = R"(font-size="11" fill="#222" font-family="sans-serif")";
constexpr std::string_view kSmall = R"(font-size="11" fill="#555" font-family="sans-serif")";
constexpr double kNarrowestPanel = 200;

// The chain's results as the boxes show them, the core by its area.
constexpr std::string_view kChainSymbols[] = {"Ae", "Lp", "gap", "Np", "Ns", "Vceo", "Isc"};

double Value(const record::DesignRecord& record, std::string_view symbol) {
    const record::QuantityValue* value = record.Find(symbol);
    return value != nullptr ? value->number : kNaN;
}

std::vector<double> PlanValues(const winding::PlanOutcome* outcome, double load) {
    std::vector<double> values;
    if (outcome == nullptr || !outcome->plan)
        return std::vector<double>(std::size(kPlanColumns) - 1, kNaN);  // all but the core
    for (const std::optional<double>& figure : PlanFigures(*outcome->plan, load))
        values.push_back(figure.value_or(kNaN));
    return values;
}

// A warning named by its first sentence, which says what it is; the rest
// explains.
std::string FirstSentence(const std::string& message) {
    const std::size_t end = message.find("。");
    return end == std::string::npos ? message : message.substr(0, end);
}

// Rows of `columns` for `count` things.
std::size_t RowsFor(std::size_t count, int columns) {
    const auto across = static_cast<std::size_t>(columns);
    return (count + across - 1) / across;
}

}  // namespace

std::vector<double> Ticks(double low, double high, int count) {
    // Halves, so that a span from -1e308 to 1e308 stays finite.
    const double halfSpan = high / 2 - low / 2;
    if (!(halfSpan > 0) || count < 1) return {low};
    const double rough = halfSpan / count * 2;
    const double power = std::pow(10, std::floor(std::log10(rough)));
    if (!(power > 0) || !std::isfinite(power)) return {low, high};
    double step = power;
    for (const double m : {2.0, 5.0, 10.0}) {
        if (step < rough) step = m * power;
    }
    // Counted in whole steps, never by adding to a running value: a running
    // value stops moving once a step is below its last bit.
    const double first = std::ceil(low / step - 1e-9);
    const double last = std::floor(high / step + 1e-9);
    if (!(last >= first) || last - first > 4.0 * count + 4 || std::fabs(first) > 1e15)
        return {low, high};
    std::vector<double> ticks;
    const auto n = static_cast<int>(last - first);
    for (int i = 0; i <= n; ++i) {
        const double t = (first + i) * step;
        ticks.push_back(std::fabs(t) < step * 1e-9 ? 0 : t);
    }
    return ticks;
}

AxisRange RangeOf(const std::vector<double>& values) {
    AxisRange r{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const double v : values) {
        if (std::isfinite(v)) {
            r.low = std::min(r.low, v);
            r.high = std::max(r.high, v);
        }
    }
    if (!(r.low <= r.high)) return {0, 1};
    // A series that varies only in its last bits is flat: drawn as a line in
    // the middle, not as noise blown up to the panel's height.
    const double middle = r.low / 2 + r.high / 2;
    if (r.high / 2 - r.low / 2 <= std::fabs(middle) * 1e-9) {
        const double pad = middle == 0 ? 1 : std::fabs(middle) * 0.1;
        return {middle - pad, middle + pad};
    }
    return r;
}

namespace {

// Where `v` lies from 0 (low) to 1 (high), in halves so that nothing
// overflows.
double Fraction(double v, const AxisRange& r) {
    return (v / 2 - r.low / 2) / (r.high / 2 - r.low / 2);
}

struct Panel {
    double left, top;
    AxisRange xRange, yRange;
    double width = kPanelWidth, height = kPanelHeight;
    double X(double x) const { return left + Fraction(x, xRange) * width; }
    double Y(double y) const { return top + height - Fraction(y, yRange) * height; }
};

void Axes(drawing::Svg& svg, const Panel& p, const SweepData& data, const Series& s) {
    const std::string axis = R"(class="axis" stroke="#555" stroke-width="1")";
    const std::string grid = R"(class="grid" stroke="#ddd" stroke-width="1")";
    svg.Rect(p.left, p.top, p.width, p.height,
             R"(class="panel" fill="none" stroke="#555" stroke-width="1")");
    // A tick about every 66 pixels across and 37 up, as the page's panels have.
    const int across = std::max(5, static_cast<int>(p.width / 66));
    const int up = std::max(4, static_cast<int>(p.height / 37.5));
    for (const double t : Ticks(p.xRange.low, p.xRange.high, across)) {
        svg.Line(p.X(t), p.top, p.X(t), p.top + p.height, grid);
        svg.Text(p.X(t), p.top + p.height + 13, record::ReadableNumber(t), kSmall, "middle");
    }
    // Turns tick at whole turns; a unit with a prefix is read in the prefix its
    // values need (µH, not 4×10⁻⁴ H).
    const bool whole = s.symbol == "plan_Np" || s.symbol == "plan_Ns";
    const record::UnitScale scale =
        record::ScaleFor(std::max(std::fabs(p.yRange.low), std::fabs(p.yRange.high)), s.unit);
    for (const double t : Ticks(p.yRange.low, p.yRange.high, up)) {
        if (whole && t != std::floor(t)) continue;
        svg.Line(p.left, p.Y(t), p.left + p.width, p.Y(t), grid);
        svg.Text(p.left - 4, p.Y(t) + 3, record::ReadableNumber(t / scale.divisor), kSmall, "end");
    }
    svg.Line(p.left, p.top + p.height, p.left + p.width, p.top + p.height, axis);
    std::string title = s.Label();
    if (!scale.unit.empty()) title += "（" + scale.unit + "）";
    svg.Text(p.left, p.top - 6, title, kText);
    svg.Text(p.left + p.width, p.top + p.height + 26, data.xCaption, kSmall, "end");
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
        svg.Line(x, p.top, x, p.top + p.height,
                 "class=\"mark\" stroke=\"" + std::string(colour) + "\" stroke-dasharray=\"4 3\"");
    }
}

// One series' panel: its axes, the core changes and the warnings' beginnings
// dashed, its line.
void DrawPanel(drawing::Svg& svg, const Panel& p, const SweepData& data, const Series& s) {
    svg.GroupStart("class=\"plot\" data-symbol=\"" + report::HtmlEscape(s.symbol) + "\"");
    Axes(svg, p, data, s);
    Marks(svg, p, data.coreChanges, "#777");
    Marks(svg, p, data.warningStarts, "#d68000");
    Lines(svg, p, data, s);
    svg.GroupEnd();
}

// What each mark is, under the panels: the value where it begins, then the
// core or the warning, in the mark's colour.
// The core changes and the warnings' beginnings, one a line (wrapped to
// `room` pixels): drawn from `top` into `svg`, or only counted without one.
// Returns the foot of the list.
double MarkList(drawing::Svg* svg, double top, const SweepData& data, double room) {
    double y = top;
    const auto list = [&](const std::vector<Mark>& marks, std::string_view heading,
                          std::string_view colour) {
        if (marks.empty()) return;
        if (svg != nullptr) svg->Text(kLeft, y, std::string(heading), kText);
        y += 16;
        const std::string paint =
            "font-size=\"11\" fill=\"" + std::string(colour) + "\" font-family=\"sans-serif\"";
        for (const Mark& mark : marks) {  // one a line, read down
            for (const std::string& line : drawing::WrappedLines(MarkText(data, mark), room, 11)) {
                if (svg != nullptr) svg->Text(kLeft, y, line, paint);
                y += 14;
            }
        }
        y += 8;
    };
    list(data.coreChanges, "磁芯（灰色虚线处起）", "#555");
    list(data.warningStarts, "警告开始处（橙色虚线）", "#b36b00");
    return y;
}

// The heading in its two parts: on one line, or on two where the picture is
// narrow.
std::array<std::string, 2> Heading(const SweepData& data) {
    return {"横轴：" + data.xCaption, "虚线：磁芯改变（灰）、警告开始（橙）"};
}

// As wide as the panels, the heading and, unless `narrow` (where they wrap),
// the marks' lines need.
double PlotWidth(const SweepData& data, int columns, double panelWidth, bool narrow) {
    double width = kLeft + columns * panelWidth + (columns - 1) * kGapX + 30;
    for (const auto* marks : {&data.coreChanges, &data.warningStarts}) {
        for (const Mark& mark : *marks) {
            if (narrow) break;
            width = std::max(width, kLeft + drawing::TextWidth(MarkText(data, mark), 11) + 10);
        }
    }
    const bool twoLineHeading = narrow;
    const auto [axis, dashes] = Heading(data);
    const double heading =
        twoLineHeading ? std::max(drawing::TextWidth(axis, 11), drawing::TextWidth(dashes, 11))
                       : drawing::TextWidth(axis + "；" + dashes, 11);
    return std::max(width, kLeft + heading + 10);
}

}  // namespace

SweepData::SweepData(const SweepRange& range, bool withPlan) {
    if (range.choice) {
        const PlanChoiceInfo& info = kPlanChoices[static_cast<int>(*range.choice)];
        xCaption = std::string(info.caption);
        xUnit = std::string(info.unit);
    } else {
        const auto& box =
            numtext::kInputBoxes[static_cast<std::size_t>(numtext::Index(range.input))];
        xCaption = std::string(box.caption);
        xUnit = std::string(box.unit);
    }
    for (const std::string_view symbol : kChainSymbols) {
        for (const record::Quantity& q : record::kQuantities) {
            if (q.symbol == symbol)
                series.push_back({std::string(symbol),
                                  std::string(symbol),
                                  std::string(q.name),
                                  std::string(q.unit),
                                  {}});
        }
    }
    if (!withPlan) return;
    for (const PlanColumn& c : std::span(kPlanColumns).subspan(1)) {  // the core is no number
        series.push_back({std::string(c.symbol),
                          std::string(c.shown),
                          std::string(c.caption),
                          std::string(c.unit),
                          {}});
    }
}

void SweepData::Add(const SweepPoint& point) {
    x.push_back(point.typed);
    const std::size_t chain = std::size(kChainSymbols);
    for (std::size_t i = 0; i < chain; ++i)
        series[i].values.push_back(Value(point.record, series[i].symbol));
    if (series.size() > chain) {
        const std::vector<double> plan = PlanValues(point.plan, point.load);
        for (std::size_t i = 0; i < plan.size(); ++i) series[chain + i].values.push_back(plan[i]);
    }
    std::string core;
    if (point.plan != nullptr && point.plan->plan) {
        core = catalogue::CoreCaption(point.plan->plan->core->name);
    } else if (const record::QuantityValue* value = point.record.Find("core")) {
        core = value->text;
    }
    // The first point names the core the sweep starts on.
    if (!core.empty() && core != lastCore_) coreChanges.push_back({point.typed, core});
    lastCore_ = core;
    // By code, once each: the chain and the plan may both warn of one thing.
    std::vector<std::string> warnings;
    std::vector<std::string> texts;
    const auto note = [&](std::string_view code, const std::string& message) {
        if (std::find(warnings.begin(), warnings.end(), code) != warnings.end()) return;
        warnings.emplace_back(code);
        texts.push_back(FirstSentence(message));
    };
    for (const record::Warning& w : point.record.warnings) note(w.code, w.message);
    if (point.plan != nullptr && point.plan->plan) {
        for (const winding::PlanWarning& w : point.plan->plan->warnings) note(w.code, w.message);
    }
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        if (std::find(lastWarnings_.begin(), lastWarnings_.end(), warnings[i]) ==
            lastWarnings_.end()) {
            warningStarts.push_back({point.typed, texts[i]});
        }
    }
    lastWarnings_ = std::move(warnings);
}

std::string Series::Label() const {
    return caption + " " + shown;
}

std::string MarkText(const SweepData& data, const Mark& mark) {
    return record::ReadableNumber(mark.x) + " " + data.xUnit + " " + mark.text;
}

std::string PlotSvg(const SweepData& data, int columns, double available) {
    columns = std::clamp(columns, 1, 4);
    // One column narrower than the page's: its panels as wide as it allows.
    const double panelWidth = columns == 1
                                  ? std::clamp(available - kLeft - 30, kNarrowestPanel, kPanelWidth)
                                  : kPanelWidth;
    const bool narrow = panelWidth < kPanelWidth;
    const double top = narrow ? kTop + 14 : kTop;
    const auto rows = static_cast<double>(RowsFor(data.series.size(), columns));
    const double panels = top + rows * (kPanelHeight + kGapY);
    const double width = PlotWidth(data, columns, panelWidth, narrow);
    const double room = narrow ? width - kLeft - 8 : std::numeric_limits<double>::infinity();
    const double listed = MarkList(nullptr, 0, data, room) + 16;
    drawing::Svg svg(width, panels + listed, "扫描：" + data.xCaption);
    const auto [axis, dashes] = Heading(data);
    if (narrow) {
        svg.Text(8, 18, axis, kText);
        svg.Text(8, 32, dashes, kText);
    } else {
        svg.Text(kLeft, 18, axis + "；" + dashes, kText);
    }
    const AxisRange xRange = RangeOf(data.x);
    const auto across = static_cast<std::size_t>(columns);
    for (std::size_t i = 0; i < data.series.size(); ++i) {
        const Series& s = data.series[i];
        const std::size_t column = i % across, row = i / across;  // whole rows
        const Panel p{kLeft + static_cast<double>(column) * (panelWidth + kGapX),
                      top + static_cast<double>(row) * (kPanelHeight + kGapY), xRange,
                      RangeOf(s.values), panelWidth};
        DrawPanel(svg, p, data, s);
    }
    MarkList(&svg, panels, data, room);
    return svg.Finish();
}

std::string PanelSvg(const SweepData& data, std::size_t series, double width, double height) {
    // Room above for the panel's title, below for the ticks and the axis name.
    constexpr double kAbove = 24, kBelow = 34, kRight = 30;
    const double panelWidth = std::max(kNarrowestPanel, width - kLeft - kRight);
    const double panelHeight = std::max(kPanelHeight / 2, height - kAbove - kBelow);
    drawing::Svg svg(kLeft + panelWidth + kRight, kAbove + panelHeight + kBelow,
                     "扫描：" + data.xCaption);
    const Series& s = data.series.at(series);
    Panel p{kLeft, kAbove, RangeOf(data.x), RangeOf(s.values), panelWidth};
    p.height = panelHeight;
    DrawPanel(svg, p, data, s);
    return svg.Finish();
}

}  // namespace flyback::sweep
