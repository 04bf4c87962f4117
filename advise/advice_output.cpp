#include "advise/advice_output.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "answer/answer_json.hpp"
#include "catalogue/names.hpp"
#include "drawing/svg.hpp"
#include "record/readable.hpp"

namespace flyback::advise {
namespace {

std::string CandidateJson(const Candidate& c) {
    std::string json;
    {  // closed as it goes out of scope
        answer::JsonObject object(json);
        object.Text("core", c.core->name)
            .Text("material", c.material->name)
            .Value("Np", c.Np)
            .Value("Ns", c.Ns)
            .Value("Vor_V", c.Vor_V)
            .Value("Bpk_T", c.Bpk_T)
            .Value("Bpk_at_limit_T", c.BpkLimit_T)
            .Value("fill", c.fill)
            .Value("P_copper_W", c.Pcopper_W)
            .Value("P_core_W", c.Pcore_W)
            .Value("P_clamp_W", c.Pclamp_W);
        if (c.PturnOn_W) object.Value("P_turn_on_W", *c.PturnOn_W);
        std::string cautions = "[";
        for (const std::string_view code : c.cautions)
            cautions += (cautions.size() > 1 ? ",\"" : "\"") + std::string(code) + "\"";
        object.Value("P_total_W", c.loss_W)
            .Value("dT_K", c.rise_K)
            .Value("Vds_V", c.Vds_V)
            .Value("Ve_cm3", c.volume_cm3)
            // Unstocked, by price: after every priced one, which JSON has no number for.
            .Value("score", std::isfinite(c.score) ? std::optional(c.score) : std::nullopt)
            .Raw("cautions", cautions + "]");
        // The data names no currency: the price with its distributor and day.
        if (c.stock) {
            object.Value("price", c.stock->cost)
                .Text("stock_part", c.stock->maker + " " + c.stock->reference)
                .Text("price_distributor", c.stock->distributor)
                .Text("price_date", c.stock->date);
        }
    }
    return json;
}

std::string Candidates(const std::vector<Candidate>& list) {
    std::string json = "[";
    for (const Candidate& c : list) json += (json.size() > 1 ? "," : "") + CandidateJson(c);
    return json + "]";
}

// A round tick step giving about four intervals up to `top`: 1, 2 or 5 times
// a power of ten. By plain arithmetic, so that every build draws the same.
double NiceStep(double top) {
    const double rough = top / 4;
    if (!(rough > 0) || !std::isfinite(rough)) return 1;
    double power = 1;
    while (power > rough) power /= 10;
    while (power * 10 <= rough) power *= 10;
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= rough) return m * power;
    }
    return 10 * power;
}

// The axis's end at a whole number of round steps.
double NiceTop(double top, double step) {
    return std::ceil(top / step) * step;
}

// The chart's margins round the plotting area, and the key's line under a
// narrow one.
constexpr double kLeft = 70, kRight = 20, kTop = 30, kBottom = 50, kKeyBelow = 24;

// A label's box on the chart.
struct LabelBox {
    double left, top, right, bottom;
    bool Overlaps(const LabelBox& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

}  // namespace

std::string Json(const Advice& a) {
    std::string dropped;
    {
        answer::JsonObject drops(dropped);
        for (std::size_t i = 0; i < kDrops; ++i)
            drops.Value(kDropNames[i], static_cast<double>(a.droppedBy[i]));
    }
    std::string vor;
    answer::JsonObject(vor)
        .Value("low", a.vor.low)
        .Value("high", a.vor.high)
        .Bool("below_fifth_of_Vmax", a.vor.AllTooLow());
    std::string inner;
    {
        answer::JsonObject object(inner);
        if (!a.problem.empty()) object.Text("problem", a.problem);
        object.Value("candidates_tried", static_cast<double>(a.tried))
            .Value("feasible", static_cast<double>(a.feasible))
            .Value("pruned", static_cast<double>(a.pruned))
            .Value("planned_in_full", static_cast<double>(a.planned))
            .Raw("dropped_by", dropped)
            .Raw("vor_range_V", vor)
            .Value("vds_rating_V", a.vdsRating_V)
            .Value("min_saturation_margin", a.minSaturationMargin)
            .Value("max_rise_K", a.maxRise_K)
            .Value("hottest_C", a.hottest_C)
            .Bool("vds_rating_assumed", a.ratingAssumed)
            .Raw("front", Candidates(a.front))
            .Raw("top", Candidates(a.top))
            .Value("elapsed_ms", a.elapsed_ms);
    }
    std::string json;
    answer::JsonObject(json).Raw("advise", inner);
    return json;
}

double ChartFrame::X(double volume_cm3) const {
    return kLeft + volume_cm3 / xMax * (width - kLeft - kRight);
}

double ChartFrame::Y(double loss_W) const {
    return axesHeight - kBottom - loss_W / yMax * (axesHeight - kTop - kBottom);
}

bool ChartFrame::Narrow() const {
    return width < kChartWidth;
}

ChartFrame FrameOf(const Advice& a, double width) {
    const bool narrow = width < kChartWidth;
    return FrameOf(a, width, kChartHeight + (narrow ? kKeyBelow : 0));
}

ChartFrame FrameOf(const Advice& a, double width, double height) {
    ChartFrame frame;
    frame.width = std::clamp(width, 300.0, kChartWidth);
    // Narrow, the key goes under the chart, where it has the whole width.
    frame.axesHeight = std::clamp(height - (frame.Narrow() ? kKeyBelow : 0), 240.0, kChartHeight);
    frame.height = frame.axesHeight + (frame.Narrow() ? kKeyBelow : 0);
    const ChartExtent extent = ExtentOf(a);
    frame.xStep = NiceStep(extent.volume_cm3);
    frame.yStep = NiceStep(extent.loss_W);
    frame.xMax = NiceTop(extent.volume_cm3, frame.xStep);
    frame.yMax = NiceTop(extent.loss_W, frame.yStep);
    return frame;
}

const Candidate* FrontMemberAt(const Advice& a, const ChartFrame& frame, double x, double y) {
    constexpr double kReach = 10;  // the dot's radius is 4.5
    const Candidate* nearest = nullptr;
    double nearestDistance = kReach;
    for (const Candidate& c : a.front) {
        const double distance = std::hypot(frame.X(c.volume_cm3) - x, frame.Y(c.loss_W) - y);
        if (distance <= nearestDistance) {
            nearest = &c;
            nearestDistance = distance;
        }
    }
    return nearest;
}

std::string Svg(const Advice& a, double width) {
    return Svg(a, FrameOf(a, width));
}

std::string Svg(const Advice& a, const ChartFrame& frame) {
    const double kWidth = frame.width, kHeight = frame.axesHeight;
    const double xStep = frame.xStep, yStep = frame.yStep, xMax = frame.xMax, yMax = frame.yMax;
    constexpr std::string_view kText = R"(font-size="12" fill="#222" font-family="sans-serif")";
    drawing::Svg svg(kWidth, frame.height,
                     std::string(kLossAxis) + " — " + std::string(kVolumeAxis));
    svg.Line(kLeft, kHeight - kBottom, kWidth - kRight, kHeight - kBottom, R"(stroke="#222")");
    svg.Line(kLeft, kTop, kLeft, kHeight - kBottom, R"(stroke="#222")");
    for (int i = 0; i * xStep <= xMax * (1 + 1e-9); ++i) {
        svg.Text(frame.X(i * xStep), kHeight - kBottom + 16, record::ReadableValue(i * xStep, ""),
                 kText, "middle");
    }
    for (int i = 0; i * yStep <= yMax * (1 + 1e-9); ++i)
        svg.Text(kLeft - 6, frame.Y(i * yStep) + 4, record::ReadableValue(i * yStep, ""), kText,
                 "end");
    svg.Text((kLeft + kWidth - kRight) / 2, kHeight - 12, kVolumeAxis, kText, "middle");
    svg.Text(kLeft, kTop - 12, kLossAxis, kText, "middle");
    svg.GroupStart(R"(class="candidates" fill="#9e9e9e")");
    for (const Candidate* c : ChartPoints(a))
        svg.Circle(frame.X(c->volume_cm3), frame.Y(c->loss_W), 2, "");
    svg.GroupEnd();
    svg.GroupStart(R"(class="front" fill="#c0392b")");
    // A front member's name right of it, above or below, or left of it,
    // wherever it overlaps no name already written; none where all would
    // (the table below names every member).
    std::vector<LabelBox> written;
    for (const Candidate& c : a.front) {
        const double x = frame.X(c.volume_cm3), y = frame.Y(c.loss_W);
        svg.Circle(x, y, 4.5, "");
        const std::string name = catalogue::CoreCaption(c.core->name);
        const double width = drawing::TextWidth(name, 12);
        for (const auto& [left, baseline] :
             {std::pair{x + 7, y - 6}, std::pair{x + 7, y + 16}, std::pair{x - 7 - width, y - 6}}) {
            const LabelBox box{left, baseline - 12, left + width, baseline + 2};
            if (box.right > kWidth ||
                std::any_of(written.begin(), written.end(),
                            [&](const LabelBox& o) { return o.Overlaps(box); }))
                continue;
            written.push_back(box);
            svg.Text(left, baseline, name, kText);
            break;
        }
    }
    svg.GroupEnd();
    const std::string key =
        std::string(kFrontPoints) + "（红）与" + std::string(kAllPoints) + "（灰）";
    if (frame.Narrow())
        svg.Text(8, kHeight + 14, key, kText);
    else
        svg.Text(kWidth - kRight, kTop - 12, key, kText, "end");
    return svg.Finish();
}

}  // namespace flyback::advise
