#include "drawing/pictures.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "catalogue/names.hpp"
#include "drawing/svg.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "record/readable.hpp"
#include "winding/physics.hpp"

namespace flyback::drawing {
namespace {

using record::ReadableValue;
using winding::Plan;
using winding::Winding;

constexpr double kWidth = kPictureWidth;
constexpr double kMargin = 24;
constexpr double kAreaWidth = 380;   // px for the core's window along the centre leg
constexpr double kAreaHeight = 240;  // px for its radial width
constexpr double kLegendX = kMargin + kAreaWidth + 40;
constexpr double kNarrowest = 300;  // a phone's width less its margins: the text stays 11 px
// Beyond this the conductors are drawn as bands: a picture of tens of
// thousands of circles says no more and costs a great deal.
constexpr long kMostConductors = 4000;
constexpr int kMostRows = 500;

constexpr double kTextSize = 12;
constexpr std::string_view kText = R"(font-size="12" fill="#222" font-family="sans-serif")";
constexpr std::string_view kSmallText = R"(font-size="11" fill="#444" font-family="sans-serif")";

std::string Paint(std::string_view cssClass, std::string_view fill,
                  std::string_view stroke = "none", double strokeWidth = 0) {
    std::string paint =
        "class=\"" + std::string(cssClass) + "\" fill=\"" + std::string(fill) + "\"";
    if (stroke != "none") {
        paint += " stroke=\"" + std::string(stroke) + "\" stroke-width=\"" +
                 Coordinate(strokeWidth) + "\"";
    }
    return paint;
}

std::string ClassOf(const Winding& w) {
    return std::string(winding::RoleName(w.role));
}

// Where the drawing puts the window: millimetres to pixels, the centre leg at
// the bottom and the winding width across.
struct Frame {
    double scale = 1;           // px per mm
    double left = 0, base = 0;  // the winding area's left edge and the centre leg's face
    double coreWidth = 0, coreHeight = 0, offsetAlong = 0, offsetRadial = 0;  // mm
};

Frame FrameFor(const Plan& plan, double areaWidth) {
    const catalogue::Core& core = *plan.core;
    Frame f;
    // The core's window where the data gives it, else the bobbin's area; the
    // bobbin's walls take what is left between them, evenly on each side.
    f.coreHeight = std::max(core.coreWindowHeight_mm.value_or(0), core.winding_width_mm);
    f.coreWidth =
        std::max({core.coreWindowWidth_mm.value_or(0), core.winding_height_mm, plan.build_mm});
    f.offsetAlong = (f.coreHeight - core.winding_width_mm) / 2;
    f.offsetRadial =
        std::min((f.coreWidth - core.winding_height_mm) / 2, f.coreWidth - plan.build_mm);
    f.offsetRadial = std::max(0.0, f.offsetRadial);
    f.scale = std::min(areaWidth / f.coreHeight, kAreaHeight / f.coreWidth);
    f.left = kMargin + 14 + f.offsetAlong * f.scale;
    f.base = kMargin + 14 + f.coreWidth * f.scale - f.offsetRadial * f.scale;
    return f;
}

void Core(Svg& svg, const Plan& plan, const Frame& f) {
    const double x = kMargin + 14, top = kMargin + 14;
    const double w = f.coreHeight * f.scale, h = f.coreWidth * f.scale;
    const std::string core = Paint("core", "#9aa0a6");
    svg.Rect(kMargin, top + h, w + 28, 14, core);  // the centre leg
    svg.Rect(kMargin, kMargin, w + 28, 14, core);  // the outer leg
    svg.Rect(kMargin, top, 14, h, core);           // the yokes
    svg.Rect(x + w, top, 14, h, core);
    svg.Text(x + w / 2, top + h + 11, "中柱", kSmallText, "middle");
    svg.Rect(
        f.left, f.base - plan.core->winding_height_mm * f.scale,
        plan.core->winding_width_mm * f.scale, plan.core->winding_height_mm * f.scale,
        R"(class="bobbin-area" fill="#fbfbf6" stroke="#777" stroke-width="1" stroke-dasharray="4 3")");
}

double WindingRows(Svg& svg, const Winding& w, const Frame& f, double width_mm, double bottom_mm,
                   bool bands) {
    const std::string colour(WindingColour(w));
    const double od = w.outer_mm;
    svg.GroupStart("class=\"winding " + ClassOf(w) + "\"");
    if (w.layers > kMostRows) {  // one band for all of it
        svg.Rect(f.left, f.base - (bottom_mm + w.height_mm) * f.scale, width_mm * f.scale,
                 w.height_mm * f.scale, Paint("layer " + ClassOf(w), colour));
        svg.GroupEnd();
        return bottom_mm + w.height_mm;
    }
    const std::vector<long> rows = winding::ConductorsPerLayer(w, width_mm);
    for (std::size_t layer = 0; layer < rows.size(); ++layer) {
        const double cy = f.base - (bottom_mm + (static_cast<double>(layer) + 0.5) * od) * f.scale;
        if (bands) {
            svg.Rect(f.left, cy - od / 2 * f.scale, static_cast<double>(rows[layer]) * od * f.scale,
                     od * f.scale, Paint("layer " + ClassOf(w), colour));
            continue;
        }
        const std::string paint =
            Paint("conductor " + ClassOf(w), colour, "#333", std::min(1.0, od * f.scale * 0.12)) +
            " data-layer=\"" + std::to_string(layer) + "\"";
        if (w.conductor == winding::Conductor::Foil) {  // a strip across the width, tape above
            svg.Rect(f.left, cy - od / 2 * f.scale, w.foilWidth_mm * f.scale,
                     w.foilThickness_mm * f.scale, paint);
            continue;
        }
        // A litz bundle is drawn as its served outline.
        const double radius =
            w.conductor == winding::Conductor::Litz ? od / 2 * 0.9 : w.wire->conductor_mm / 2;
        for (long k = 0; k < rows[layer]; ++k) {
            svg.Circle(f.left + (static_cast<double>(k) + 0.5) * od * f.scale, cy, radius * f.scale,
                       paint);
        }
    }
    svg.GroupEnd();
    return bottom_mm + w.height_mm;
}

struct LegendLine {
    std::string text;
    std::string_view colour;  // a swatch before the text, or none
};

std::vector<LegendLine> LegendLines(const Plan& plan) {
    std::vector<LegendLine> lines;
    for (const Winding& w : plan.windings) {
        // Round wire as its name and count, to keep the legend within the picture.
        std::string wire = plan_sheet::WireText(w);
        if (w.conductor == winding::Conductor::Round) {
            wire = w.wire->name + (w.strands > 1 ? " × " + std::to_string(w.strands) : "");
        }
        lines.push_back(
            {winding::WindingCaption(plan, w) + "  " + std::to_string(w.turns) + " 匝  " + wire,
             WindingColour(w)});
    }
    lines.push_back(
        {"胶带 " + ReadableValue(insulation::PlanTape().thickness_mm, "mm") + " 每层", "#e6d38a"});
    if (plan.insulation.margin_mm > 0) {
        lines.push_back(
            {"挡墙 " + ReadableValue(plan.insulation.margin_mm, "mm") + " 每侧", "#d9c27a"});
    }
    lines.push_back({"铜填充系数 " + ReadableValue(plan.fill, "") + "（上限 " +
                         ReadableValue(plan.options.fillMax, "") + "）",
                     {}});
    lines.push_back({"绕线高度 " + ReadableValue(plan.build_mm, "mm") + " / 可绕 " +
                         ReadableValue(plan.core->winding_height_mm, "mm"),
                     {}});
    lines.push_back({plan.fits ? "放得下" : "放不下", {}});
    return lines;
}

// The picture as wide as its widest legend line needs.
double LegendRight(const std::vector<LegendLine>& lines, double legendX) {
    double right = 0;
    for (const LegendLine& line : lines) {
        right = std::max(right, legendX + 18 + TextWidth(line.text, kTextSize));
    }
    return right + kMargin;
}

// The legend from (x, top); returns the foot of its last line.
double Legend(Svg& svg, const std::vector<LegendLine>& lines, double x, double top) {
    double y = top + 10;
    bool swatches = false;  // the line before had one
    for (const LegendLine& line : lines) {
        if (!line.colour.empty()) {
            svg.Rect(x, y - 10, 12, 12, Paint("legend", line.colour, "#333", 0.5));
            svg.Text(x + 18, y, line.text, kText);
        } else {
            if (swatches) y += 10;  // the figures apart from the swatches
            svg.Text(x, y, line.text, kText);
        }
        swatches = !line.colour.empty();
        y += 20;
    }
    return y - 10;
}

double LegendHeight(const std::vector<LegendLine>& lines) {
    return static_cast<double>(lines.size()) * 20 + 10;
}

}  // namespace

std::string PicturesHtml(const winding::PlanOutcome& outcome) {
    if (!outcome.plan) return {};
    std::string html;
    for (const std::string& picture :
         {BuildDrawing(*outcome.plan), CurrentsDrawing(*outcome.plan)}) {
        html +=
            "<table class=\"picture\" width=\"100%\" cellspacing=\"0\" cellpadding=\"4\"><tr><td>" +
            picture + "</td></tr></table>\n";
    }
    return html;
}

std::string_view RoleColour(winding::Role role) {
    switch (role) {
        case winding::Role::Primary:
            return "#c0392b";
        case winding::Role::Secondary:
            return "#1f6fb2";
        case winding::Role::Bias:
            return "#2e8b57";
    }
    return "#000";
}

std::string_view WindingColour(const winding::Winding& w) {
    static constexpr std::string_view kFurtherSecondaries[] = {"#6a3d9a", "#b15928", "#1b9e9e",
                                                               "#7f7f7f"};
    if (w.role != winding::Role::Secondary || w.output == 0) return RoleColour(w.role);
    return kFurtherSecondaries[static_cast<std::size_t>(w.output - 1) %
                               std::size(kFurtherSecondaries)];
}

std::string BuildDrawing(const Plan& plan, double width) {
    // Narrower than the page: the window's area fits the width and the legend
    // goes below it rather than beside.
    const bool narrow = width < kWidth;
    const double areaWidth = narrow ? std::max(kNarrowest, width) - 2 * kMargin - 28 : kAreaWidth;
    const Frame f = FrameFor(plan, areaWidth);
    const double drawn = kMargin * 2 + 28 + f.coreWidth * f.scale + 16;
    const std::vector<LegendLine> legend = LegendLines(plan);
    const double legendX = narrow ? kMargin : kLegendX;
    const double legendTop = narrow ? drawn - kMargin : kMargin;
    const double height = narrow ? legendTop + LegendHeight(legend) + kMargin : drawn;
    Svg svg(narrow ? std::max(width, LegendRight(legend, legendX))
                   : std::max(kWidth, LegendRight(legend, legendX)),
            height,
            "绕组截面：" + catalogue::CoreCaption(plan.core->name) + " 骨架窗口一侧，按比例");
    Core(svg, plan, f);
    long conductors = 0;
    for (const Winding& w : plan.windings)
        conductors += static_cast<long>(w.turns) * winding::ConductorsPerTurn(w);
    const bool bands = conductors > kMostConductors;
    // The windings between the margins, the tape across the whole width.
    const double margin = plan.insulation.margin_mm;
    Frame inside = f;
    inside.left += margin * f.scale;
    const double wound_mm = std::max(plan.insulation.width_mm, 0.0);  // between the margins
    double bottom = 0;
    for (const Winding& w : plan.windings) {
        if (w.tapeBefore_mm > 0) {  // as the plan builds it
            svg.Rect(f.left, f.base - (bottom + w.tapeBefore_mm) * f.scale,
                     plan.core->winding_width_mm * f.scale, w.tapeBefore_mm * f.scale,
                     Paint("tape", "#e6d38a"));
            bottom += w.tapeBefore_mm;
        }
        bottom = WindingRows(svg, w, inside, wound_mm, bottom, bands);
    }
    if (margin > 0) {
        for (const double left : {f.left, f.left + (margin + wound_mm) * f.scale}) {
            svg.Rect(left, f.base - bottom * f.scale, margin * f.scale, bottom * f.scale,
                     Paint("margin", "#d9c27a"));
        }
    }
    Legend(svg, legend, legendX, legendTop);
    return svg.Finish();
}

namespace {

// One panel of the currents: a winding's current over the period, scaled to
// its own peak.
struct Trace {
    std::string label;  // "初级", "次级 2"
    std::string peak;   // "Ipk' = 2.138 A"
    std::string colour;
    double valleyOfPeak;  // where the ramp starts or ends, a fraction of the peak
    bool primary;
};

// The primary ramps up from its valley while the switch is on and is zero
// after; each secondary jumps to its peak as the switch opens, ramps down to
// its valley in the reset time and is zero in the idle time, if any.
std::string TracePoints(const Trace& t, double left, double right, double top, double height,
                        double on, double reset) {
    const auto at = [&](double fraction, double level) {
        return Coordinate(left + (right - left) * fraction) + "," +
               Coordinate(top + height * (1 - level)) + " ";
    };
    const double end = std::min(1.0, on + reset);
    if (t.primary) {
        return at(0, 0) + at(0, t.valleyOfPeak) + at(on, 1) + at(on, 0) + at(1, 0);
    }
    std::string points = at(0, 0) + at(on, 0) + at(on, 1) + at(end, t.valleyOfPeak);
    if (end < 1) points += at(end, 0);
    return points + at(1, 0);
}

}  // namespace

std::string CurrentsDrawing(const Plan& plan, double width) {
    width = std::clamp(width, kNarrowest, kWidth);
    const winding::OperatingPoint& p = plan.atVmin;
    const double r = p.Ipk > 0 ? p.Iv / p.Ipk : 0;
    std::vector<Trace> traces = {{"初级", "Ipk' = " + ReadableValue(plan.Ipk_A, "A"),
                                  std::string(RoleColour(winding::Role::Primary)), r, true}};
    for (const winding::Winding& w : plan.windings) {
        // A split secondary's halves carry one current.
        if (w.role == winding::Role::Primary || !w.Ipeak_A || w.half == 2) continue;
        traces.push_back({winding::WindingCaption(plan, winding::Whole(w)),
                          "Isp = " + ReadableValue(*w.Ipeak_A, "A"), std::string(WindingColour(w)),
                          r, false});
    }
    const double left = 70, right = width - 30, panel = 110, gap = 40, top = 30;
    const double bottom = top + static_cast<double>(traces.size()) * (panel + gap) - gap;
    Svg svg(width, bottom + 50,
            "一个开关周期的初级与次级电流（最低输入电压，" +
                std::string(winding::ModeCaption(p.mode)) + "）");
    const double T = 1 / plan.f_Hz;
    const double x = left + (right - left) * plan.Dmax;
    const std::string axis = R"(class="axis" stroke="#555" stroke-width="1")";
    for (std::size_t i = 0; i < traces.size(); ++i) {
        const Trace& t = traces[i];
        const double y = top + static_cast<double>(i) * (panel + gap);
        svg.Line(left, y + panel, right, y + panel, axis);
        svg.Line(left, y - 8, left, y + panel, axis);
        svg.Polyline(
            TracePoints(t, left, right, y, panel, plan.Dmax, p.D2),
            "class=\"current\" fill=\"none\" stroke=\"" + t.colour + "\" stroke-width=\"2\"");
        svg.Text(left - 6, y + 4, t.label, kText, "end");
        // Where the trace is not: right of the step for the primary, at the
        // right end for a secondary, whose ramp starts at the step.
        svg.Text(t.primary ? x + 8 : right, y + 12, t.peak, kText, t.primary ? "start" : "end");
    }
    svg.Line(x, top - 8, x, bottom, R"(class="marker" stroke="#777" stroke-dasharray="4 3")");
    // Centred under the step, but never past the picture's left edge.
    const std::string onTime = "Dmax' × T = " + ReadableValue(plan.Dmax * T, "s");
    svg.Text(std::max(x, TextWidth(onTime, kTextSize) / 2 + 2), bottom + 18, onTime, kSmallText,
             "middle");
    if (p.mode == winding::Mode::Discontinuous) {
        const double idle = left + (right - left) * std::min(1.0, plan.Dmax + p.D2);
        svg.Line(idle, top - 8, idle, bottom,
                 R"(class="marker idle" stroke="#777" stroke-dasharray="2 3")");
        svg.Text(std::min(idle + 4, right), bottom + 18, "空闲", kSmallText, "start");
    }
    svg.Text(right, bottom + 36, "T = " + ReadableValue(T, "s"), kSmallText, "end");
    svg.Text(left, bottom + 36, "0", kSmallText, "middle");
    return svg.Finish();
}

}  // namespace flyback::drawing
