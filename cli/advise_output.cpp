#include "cli/advise_output.hpp"

#include <algorithm>

#include "answer/answer_json.hpp"
#include "cli/table.hpp"
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
        .Raw("dropped_by", dropped)
        .Raw("vor_range_V", vor)
        .Raw("front", Candidates(a.front))
        .Raw("top", Candidates(a.top))
        .Value("elapsed_ms", a.elapsed_ms);
    std::string json;
    answer::JsonObject(json).Raw("advise", inner);
    return json;
}

void PrintAdvice(const advise::Advice& a, std::ostream& out) {
    out << "方案比较：候选 " << a.tried << " 个（其中 " << a.pruned
        << " 个已知不能胜出，未算），可行 " << a.feasible << " 个；剔除："
        << advise::DropsCaption(a) << "；反射电压 " << record::ReadableValue(a.vor.low, "V")
        << " 至 " << record::ReadableValue(a.vor.high, "V") << "；用时 "
        << record::ReadableValue(a.elapsed_ms / 1000, "s") << "\n\n最佳 " << a.top.size()
        << " 个：\n";
    PrintTable(a.top, out);
    out << "\n帕累托前沿（损耗与磁芯体积，无其他候选既更小又更凉）：\n";
    PrintTable(a.front, out);
}

}  // namespace flyback::cli
