#include "catalogue/fit_refusals.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "catalogue/names.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"

namespace flyback::catalogue {
namespace {

std::string Shortest(double value) {
    return runtime::decimal::ShortestText(value);
}

std::optional<double> Cell(const CsvTable& table, const CsvTable::Row& row,
                           std::string_view column) {
    const int at = table.Column(column);
    if (at < 0 || static_cast<std::size_t>(at) >= row.fields.size()) return std::nullopt;
    const std::optional<double> value =
        runtime::ReadWholeNumber(row.fields[static_cast<std::size_t>(at)]);
    if (!value || !std::isfinite(*value) || !(*value > 0)) return std::nullopt;
    return value;
}

std::string Text(const CsvTable& table, const CsvTable::Row& row, std::string_view column) {
    const int at = table.Column(column);
    if (at < 0 || static_cast<std::size_t>(at) >= row.fields.size()) return {};
    return row.fields[static_cast<std::size_t>(at)];
}

}  // namespace

std::vector<LossLimit> ReadLossLimits(const CsvTable& table, const std::string& origin,
                                      std::vector<std::string>& problems) {
    std::vector<LossLimit> limits;
    if (!table.problem.empty()) problems.push_back(origin + ": " + table.problem);
    for (const CsvTable::Row& row : table.rows) {
        const auto f = Cell(table, row, "f_Hz"), B = Cell(table, row, "B_mT"),
                   T = Cell(table, row, "T_C"), most = Cell(table, row, "Pv_max_kW_m3");
        const std::string material = Text(table, row, "material"),
                          source = Text(table, row, "source");
        if (!f || !B || !T || !most || material.empty() || source.empty()) {
            problems.push_back(origin + ":" + std::to_string(row.line) +
                               ": a limit needs its material, f_Hz, B_mT, T_C, Pv_max_kW_m3 "
                               "(each above 0) and its source");
            continue;
        }
        std::string where = origin;
        where += " line " + std::to_string(row.line) + " (" + source + ")";
        limits.push_back({material, *f, *B / 1000, *T, *most * 1000, std::move(where)});
    }
    return limits;
}

void RefuseFitsAboveLimits(std::vector<Material>& materials, const std::vector<LossLimit>& limits) {
    for (const LossLimit& limit : limits) {
        for (Material& m : materials) {
            if (NameKey(m.name) != NameKey(limit.material)) continue;
            const SteinmetzRange* fit = FitAt(m, limit.f_Hz);
            if (!fit) continue;
            const std::optional<double> density =
                LossDensity(m, limit.f_Hz, limit.B_T, limit.celsius);
            if (!density || *density <= kLimitShare * limit.most_W_m3) continue;
            AddRefusal(m, RangeText(*fit) + " 的拟合在 " + HertzText(limit.f_Hz) + "、" +
                              Shortest(limit.B_T * 1000) + " mT、" + Shortest(limit.celsius) +
                              " °C 给出 " + Shortest(std::round(*density / 1000)) +
                              " kW/m³，超过规格书上限 " + Shortest(limit.most_W_m3 / 1000) +
                              " kW/m³ 的 " + Shortest(kLimitShare) + " 倍（" + limit.source + "）");
            const auto at = static_cast<std::size_t>(fit - m.steinmetz.data());
            m.steinmetz.erase(m.steinmetz.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
}

}  // namespace flyback::catalogue
