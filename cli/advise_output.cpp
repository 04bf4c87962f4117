#include "cli/advise_output.hpp"

#include <algorithm>

#include "cli/table.hpp"

namespace flyback::cli {
namespace {

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

void PrintAdvice(const advise::Advice& a, std::ostream& out) {
    out << "方案比较：" << advise::Summary(a) << "\n\n最佳 " << a.top.size() << " 个：\n";
    PrintTable(a.top, out);
    out << "\n帕累托前沿（损耗与磁芯体积，无其他候选既更小又更凉）：\n";
    PrintTable(a.front, out);
}

}  // namespace flyback::cli
