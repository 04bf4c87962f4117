#include "cli/advise_output.hpp"

#include <algorithm>

#include "answer/answer_json.hpp"
#include "catalogue/names.hpp"
#include "cli/table.hpp"
#include "drawing/svg.hpp"
#include "record/readable.hpp"

namespace flyback::cli {
namespace {

std::string CandidateJson(const advise::Candidate& c) {
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

std::string Candidates(const std::vector<advise::Candidate>& list) {
    std::string json = "[";
    for (const advise::Candidate& c : list) json += (json.size() > 1 ? "," : "") + CandidateJson(c);
    return json + "]";
}

// Columns padded to their widest text, in terminal columns.
void PrintTable(const std::vector<advise::Candidate>& list, std::ostream& out) {
    std::vector<std::vector<std::string>> rows;
    rows.emplace_back(advise::kHeadings.begin(), advise::kHeadings.end());
    for (const advise::Candidate& c : list) {
        const auto row = advise::Row(c);
        rows.emplace_back(row.begin(), row.end());
    }
    std::vector<std::size_t> widths(advise::kColumns, 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - DisplayWidth(row[i]) + 2, ' ');
        }
        out << line << '\n';
    }
}

}  // namespace

std::string AdviceJson(const advise::Advice& a) {
    std::string dropped;
    {
        answer::JsonObject drops(dropped);
        for (std::size_t i = 0; i < advise::kDrops; ++i)
            drops.Value(advise::kDropNames[i], static_cast<double>(a.droppedBy[i]));
    }
    std::string vor;
    answer::JsonObject(vor).Value("low", a.vor.low).Value("high", a.vor.high);
    std::string inner;
    answer::JsonObject(inner)
        .Value("candidates_tried", static_cast<double>(a.tried))
        .Value("feasible", static_cast<double>(a.feasible))
        .Value("pruned", static_cast<double>(a.pruned))
        .Value("planned_in_full", static_cast<double>(a.planned))
        .Raw("dropped_by", dropped)
        .Raw("vor_range_V", vor)
        .Raw("front", Candidates(a.front))
        .Raw("top", Candidates(a.top))
        .Value("elapsed_ms", a.elapsed_ms);
    std::string json;
    answer::JsonObject(json).Raw("advise", inner);
    return json;
}

std::string AdviceSvg(const advise::Advice& a) {
    constexpr double kWidth = 720, kHeight = 460, kLeft = 70, kRight = 20, kTop = 30, kBottom = 50;
    constexpr std::string_view kText = R"(font-size="12" fill="#222" font-family="sans-serif")";
    const advise::ChartExtent extent = advise::ExtentOf(a);
    const double xMax = extent.volume_cm3, yMax = extent.loss_W;
    const auto X = [&](double v) { return kLeft + v / xMax * (kWidth - kLeft - kRight); };
    const auto Y = [&](double w) {
        return kHeight - kBottom - w / yMax * (kHeight - kTop - kBottom);
    };
    drawing::Svg svg(kWidth, kHeight,
                     std::string(advise::kLossAxis) + " — " + std::string(advise::kVolumeAxis));
    svg.Line(kLeft, kHeight - kBottom, kWidth - kRight, kHeight - kBottom, R"(stroke="#222")");
    svg.Line(kLeft, kTop, kLeft, kHeight - kBottom, R"(stroke="#222")");
    for (int i = 0; i <= 4; ++i) {
        const double v = xMax * i / 4, w = yMax * i / 4;
        svg.Text(X(v), kHeight - kBottom + 16, record::ReadableValue(v, ""), kText, "middle");
        svg.Text(kLeft - 6, Y(w) + 4, record::ReadableValue(w, ""), kText, "end");
    }
    svg.Text((kLeft + kWidth - kRight) / 2, kHeight - 12, advise::kVolumeAxis, kText, "middle");
    svg.Text(kLeft, kTop - 12, advise::kLossAxis, kText, "middle");
    svg.GroupStart(R"(class="candidates" fill="#9e9e9e")");
    for (const advise::Candidate* c : advise::ChartPoints(a))
        svg.Circle(X(c->volume_cm3), Y(c->loss_W), 2, "");
    svg.GroupEnd();
    svg.GroupStart(R"(class="front" fill="#c0392b")");
    for (const advise::Candidate& c : a.front) {
        svg.Circle(X(c.volume_cm3), Y(c.loss_W), 4.5, "");
        svg.Text(X(c.volume_cm3) + 7, Y(c.loss_W) - 6, catalogue::CoreCaption(c.core->name), kText);
    }
    svg.GroupEnd();
    svg.Text(
        kWidth - kRight, kTop - 12,
        std::string(advise::kFrontPoints) + "（红）与" + std::string(advise::kAllPoints) + "（灰）",
        kText, "end");
    return svg.Finish();
}

void PrintAdvice(const advise::Advice& a, std::ostream& out) {
    out << "方案比较：候选 " << a.tried << " 个（其中 " << a.pruned
        << " 个已知不能胜出，未算），可行 " << a.feasible << " 个；剔除："
        << advise::DropsCaption(a) << "；反射电压 " << record::ReadableValue(a.vor.low, "V")
        << " 至 " << record::ReadableValue(a.vor.high, "V")
        << (a.vor.high > 0 ? "" : "（开关管耐压扣除输入与尖峰后已无余量，没有候选）") << "；用时 "
        << record::ReadableValue(a.elapsed_ms / 1000, "s") << "\n\n最佳 " << a.top.size()
        << " 个：\n";
    PrintTable(a.top, out);
    out << "\n帕累托前沿（损耗与磁芯体积，无其他候选既更小又更凉）：\n";
    PrintTable(a.front, out);
}

}  // namespace flyback::cli
