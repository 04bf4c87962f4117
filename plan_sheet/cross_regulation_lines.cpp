#include <cmath>
#include <optional>

#include "cross_regulation/cross_regulation.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "record/readable.hpp"

namespace flyback::plan_sheet {
namespace {

using cross_regulation::Rail;
using record::ReadableValue;

std::string RailCaption(const Rail& rail) {
    const std::string volts = ReadableValue(rail.V_set, "V");
    if (rail.output == cross_regulation::kBias) return "辅助绕组 " + volts;
    return "输出 " + std::to_string(rail.output + 1) + " " + volts;
}

std::string Percent(double pct) {
    return (pct > 0 ? "+" : "") + ReadableValue(pct, "%");
}

bool Outside(double pct, double band) {
    return std::fabs(pct) > band;
}

// Each unregulated rail's range over the corners, and whether it leaves the band.
std::string RangesText(const cross_regulation::Regulation& r, double band) {
    std::string text;
    for (std::size_t k = 1; k < r.rails.size(); ++k) {
        text += "；" + RailCaption(r.rails[k]) + "：" + ReadableValue(r.lowest_V[k], "V") + " 至 " +
                ReadableValue(r.highest_V[k], "V") + "（" + Percent(r.lowest_pct[k]) + " 至 " +
                Percent(r.highest_pct[k]) + "）";
        if (Outside(r.lowest_pct[k], band) || Outside(r.highest_pct[k], band))
            text += "，超出 ±" + ReadableValue(band, "%");
    }
    return text;
}

std::string SummaryText(const cross_regulation::Regulation& r, const winding::Plan& plan) {
    return "最低输入 " + ReadableValue(plan.atVmin.Vin, "V") + "，" + RailCaption(r.rails.front()) +
           " 稳压；各输出满载与最小负载（未给出时为满载的 10 %）的 " +
           std::to_string(r.corners.size()) + " 种组合" +
           RangesText(r, cross_regulation::RegulationBand_pct(plan)) +
           "。按绕组结构的电感矩阵（漏感）、各绕组电阻与整流管，周期稳态计算";
}

// The same build with its outputs stacked, for the engineer to choose.
std::string StackedText(const std::optional<cross_regulation::Regulation>& stacked, double band) {
    if (!stacked) return "未收敛或绕组结构未给出漏感";
    return "同一磁芯与绕制顺序，各路次级叠绕于公共回线（各段按其电流选线）" +
           RangesText(*stacked, band) + "。各组合下叠绕的结果列在分开绕制的之后";
}

std::string CornerCaption(const cross_regulation::Regulation& r, std::size_t corner) {
    std::string caption = "交叉调整：";
    for (std::size_t k = 0; k < r.rails.size(); ++k)
        caption += std::string(k > 0 ? "、" : "") + (r.corners[corner].full[k] ? "满" : "轻");
    return caption;
}

std::string CornerText(const cross_regulation::Regulation& r, std::size_t corner) {
    if (corner >= r.corners.size()) return "—";
    const cross_regulation::LoadCorner& c = r.corners[corner];
    if (c.V.empty()) return "未收敛";
    std::string text;
    for (std::size_t k = 1; k < r.rails.size(); ++k) {
        const double pct = (c.V[k] - r.rails[k].V_set) / r.rails[k].V_set * 100;
        text += (k > 1 ? "，" : "") + RailCaption(r.rails[k]) + " → " + ReadableValue(c.V[k], "V") +
                "（" + Percent(pct) + "）";
    }
    return text;
}

}  // namespace

std::vector<SheetLine> CrossRegulationLines(const winding::Plan& plan) {
    if (cross_regulation::RailsOf(plan).size() < 2) return {};
    const std::optional<cross_regulation::Regulation> r = cross_regulation::CrossRegulation(plan);
    if (!r) return {{"交叉调整", "—（绕组结构未给出漏感）"}};
    std::vector<SheetLine> lines = {{"交叉调整", SummaryText(*r, plan)}};
    std::string order;
    for (const Rail& rail : r->rails) order += (order.empty() ? "" : "、") + RailCaption(rail);
    lines.back().value += "；下列负载依次为 " + order + "，轻 = 最小负载";
    std::optional<cross_regulation::Regulation> stacked;
    if (plan.stacked) {
        stacked = cross_regulation::CrossRegulation(*plan.stacked);
        lines.push_back({"交叉调整（叠绕对比）",
                         StackedText(stacked, cross_regulation::RegulationBand_pct(plan))});
    }
    for (std::size_t i = 0; i < r->corners.size(); ++i) {
        lines.push_back({CornerCaption(*r, i), CornerText(*r, i)});
        if (stacked) lines.back().value += "；叠绕：" + CornerText(*stacked, i);
    }
    return lines;
}

}  // namespace flyback::plan_sheet
