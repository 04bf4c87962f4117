#include "catalogue/mas_stock.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "catalogue/ndjson_lines.hpp"

namespace flyback::catalogue {
namespace {

using Json = nlohmann::json;

// The centre leg's ground gap: the subtractive gaps summed (a distributed
// gap is several); none where the set is ungapped.
std::optional<double> GroundGap_mm(const Json& gapping) {
    if (!gapping.is_array()) return std::nullopt;
    double total = 0;
    for (const Json& gap : gapping)
        if (TextAt(gap, "type") == "subtractive" && gap.contains("length") &&
            gap["length"].is_number())
            total += gap["length"].get<double>() * 1000;
    return total > 0 ? std::optional(total) : std::nullopt;
}

std::optional<StockPart> PartOf(const Json& record) {
    const Json& f = record.value("functionalDescription", Json::object());
    if (TextAt(f, "type") != "twoPieceSet" || f.value("numberStacks", 1) != 1) return std::nullopt;
    StockPart part;
    part.shape = TextAt(f, "shape");
    part.material = TextAt(f, "material");
    const Json& maker = record.value("manufacturerInfo", Json::object());
    part.maker = TextAt(maker, "name");
    part.reference = TextAt(maker, "reference");
    if (part.shape.empty() || part.material.empty() || part.reference.empty()) return std::nullopt;
    if (f.contains("gapping")) part.gap_mm = GroundGap_mm(f["gapping"]);
    const Json& distributors = record.value("distributorsInfo", Json::array());
    const Json* cheapest = nullptr;
    for (const Json& d : distributors) {
        if (!d.is_object() || !d.contains("cost") || !d["cost"].is_number()) continue;
        if (!(d["cost"].get<double>() > 0)) continue;
        if (!cheapest || d["cost"].get<double>() < (*cheapest)["cost"].get<double>()) cheapest = &d;
    }
    if (!cheapest) return std::nullopt;
    part.cost = (*cheapest)["cost"].get<double>();
    part.distributor = TextAt(*cheapest, "name");
    part.distributorReference = TextAt(*cheapest, "reference");
    part.country = TextAt(*cheapest, "country");
    part.date = TextAt(*cheapest, "updatedAt");
    return part;
}

}  // namespace

std::vector<StockPart> StockParts(const std::string& text, const std::string& file,
                                  std::vector<std::string>& problems) {
    std::vector<StockPart> parts;
    for (const auto& [line, record] : NdjsonLines(text, file, problems)) {
        if (std::optional<StockPart> part = PartOf(record)) {
            part->source = file + " line " + std::to_string(line);
            parts.push_back(std::move(*part));
        }
    }
    return parts;
}

}  // namespace flyback::catalogue
