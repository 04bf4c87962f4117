#include "advise/advice_output.hpp"

#include "answer/answer_json.hpp"
#include "catalogue/names.hpp"
#include "drawing/svg.hpp"
#include "record/readable.hpp"

namespace flyback::advise {
namespace {

std::string CandidateJson(const Candidate& c) {
    std::string json;
    answer::JsonObject(json)
        .Text("core", c.core->name)
        .Text("material", c.material->name)
        .Value("Np", c.Np)
        .Value("Ns", c.Ns)
        .Value("Vor_V", c.Vor_V)
        .Value("Bpk_T", c.Bpk_T)
        .Value("fill", c.fill)
        .Value("P_copper_W", c.Pcopper_W)
        .Value("P_core_W", c.Pcore_W)
        .Value("P_total_W", c.loss_W)
        .Value("dT_K", c.rise_K)
        .Value("Vds_V", c.Vds_V)
        .Value("Ve_cm3", c.volume_cm3)
        .Value("score", c.score);
    return json;
}

std::string Candidates(const std::vector<Candidate>& list) {
    std::string json = "[";
    for (const Candidate& c : list) json += (json.size() > 1 ? "," : "") + CandidateJson(c);
    return json + "]";
}

}  // namespace

std::string Json(const Advice& a) {
    std::string dropped;
    {
        answer::JsonObject drops(dropped);
        for (std::size_t i = 0; i < kDrops; ++i)
            drops.Value(kDropNames[i], static_cast<double>(a.droppedBy[i]));
    }
    std::string vor;
    answer::JsonObject(vor).Value("low", a.vor.low).Value("high", a.vor.high);
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
            .Raw("front", Candidates(a.front))
            .Raw("top", Candidates(a.top))
            .Value("elapsed_ms", a.elapsed_ms);
    }
    std::string json;
    answer::JsonObject(json).Raw("advise", inner);
    return json;
}

std::string Svg(const Advice& a) {
    constexpr double kWidth = 720, kHeight = 460, kLeft = 70, kRight = 20, kTop = 30, kBottom = 50;
    constexpr std::string_view kText = R"(font-size="12" fill="#222" font-family="sans-serif")";
    const ChartExtent extent = ExtentOf(a);
    const double xMax = extent.volume_cm3, yMax = extent.loss_W;
    const auto X = [&](double v) { return kLeft + v / xMax * (kWidth - kLeft - kRight); };
    const auto Y = [&](double w) {
        return kHeight - kBottom - w / yMax * (kHeight - kTop - kBottom);
    };
    drawing::Svg svg(kWidth, kHeight, std::string(kLossAxis) + " — " + std::string(kVolumeAxis));
    svg.Line(kLeft, kHeight - kBottom, kWidth - kRight, kHeight - kBottom, R"(stroke="#222")");
    svg.Line(kLeft, kTop, kLeft, kHeight - kBottom, R"(stroke="#222")");
    for (int i = 0; i <= 4; ++i) {
        const double v = xMax * i / 4, w = yMax * i / 4;
        svg.Text(X(v), kHeight - kBottom + 16, record::ReadableValue(v, ""), kText, "middle");
        svg.Text(kLeft - 6, Y(w) + 4, record::ReadableValue(w, ""), kText, "end");
    }
    svg.Text((kLeft + kWidth - kRight) / 2, kHeight - 12, kVolumeAxis, kText, "middle");
    svg.Text(kLeft, kTop - 12, kLossAxis, kText, "middle");
    svg.GroupStart(R"(class="candidates" fill="#9e9e9e")");
    for (const Candidate* c : ChartPoints(a)) svg.Circle(X(c->volume_cm3), Y(c->loss_W), 2, "");
    svg.GroupEnd();
    svg.GroupStart(R"(class="front" fill="#c0392b")");
    for (const Candidate& c : a.front) {
        svg.Circle(X(c.volume_cm3), Y(c.loss_W), 4.5, "");
        svg.Text(X(c.volume_cm3) + 7, Y(c.loss_W) - 6, catalogue::CoreCaption(c.core->name), kText);
    }
    svg.GroupEnd();
    svg.Text(kWidth - kRight, kTop - 12,
             std::string(kFrontPoints) + "（红）与" + std::string(kAllPoints) + "（灰）", kText,
             "end");
    return svg.Finish();
}

}  // namespace flyback::advise
