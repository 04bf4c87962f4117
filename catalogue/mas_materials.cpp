#include "catalogue/mas_materials.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

#include "catalogue/names.hpp"
#include "catalogue/ndjson_lines.hpp"
#include "catalogue/part_bounds.hpp"
#include "runtime/decimal_conversion.hpp"

namespace flyback::catalogue {
namespace {

using Json = nlohmann::json;

std::string Number(double value) {
    return runtime::decimal::ShortestText(value);
}

std::optional<double> NumberAt(const Json& json, const char* key) {
    if (!json.is_object() || !json.contains(key) || !json[key].is_number()) return std::nullopt;
    return json[key].get<double>();
}

// µi at 25 °C: that point of the table, else the mean of its 20 °C and
// 30 °C points, else the one value a record without temperatures gives.
std::optional<double> InitialPermeability(const Json& initial) {
    if (initial.is_object()) return NumberAt(initial, "value");
    if (!initial.is_array()) return std::nullopt;
    std::map<double, double> byTemperature;
    for (const Json& point : initial) {
        const auto t = NumberAt(point, "temperature"), v = NumberAt(point, "value");
        const auto bias = NumberAt(point, "magneticFieldDcBias");
        if (t && v && (!bias || *bias == 0)) byTemperature.emplace(*t, *v);
    }
    if (const auto at = byTemperature.find(25); at != byTemperature.end()) return at->second;
    const auto low = byTemperature.find(20), high = byTemperature.find(30);
    if (low != byTemperature.end() && high != byTemperature.end())
        return (low->second + high->second) / 2;
    return std::nullopt;
}

// Every point, coolest first; of two at one temperature the first.
std::vector<SaturationPoint> SaturationPoints(const Json& saturation) {
    std::map<double, double> byTemperature;
    if (saturation.is_array()) {
        for (const Json& point : saturation) {
            const auto t = NumberAt(point, "temperature"),
                       b = NumberAt(point, "magneticFluxDensity");
            if (t && b) byTemperature.emplace(*t, *b * 1000);
        }
    }
    std::vector<SaturationPoint> points;
    points.reserve(byTemperature.size());
    for (const auto& [celsius, mT] : byTemperature) points.push_back({celsius, mT});
    return points;
}

// Bsat at `celsius` in mT: on the line between the data's points either
// side of it, never beyond its coolest or hottest point.
std::optional<double> SaturationAt(const Json& saturation, double celsius) {
    const std::vector<SaturationPoint> points = SaturationPoints(saturation);
    const auto above =
        std::lower_bound(points.begin(), points.end(), celsius,
                         [](const SaturationPoint& p, double t) { return p.celsius < t; });
    if (above == points.end()) return std::nullopt;
    if (above->celsius == celsius) return above->mT;
    if (above == points.begin()) return std::nullopt;
    const auto below = std::prev(above);
    const double share = (celsius - below->celsius) / (above->celsius - below->celsius);
    return below->mT + share * (above->mT - below->mT);
}

std::vector<SteinmetzRange> Fits(const Json& record) {
    std::vector<SteinmetzRange> fits;
    if (!record.contains("volumetricLosses")) return fits;
    const Json& losses = record["volumetricLosses"];
    if (!losses.is_object() || !losses.contains("default") || !losses["default"].is_array())
        return fits;
    for (const Json& method : losses["default"]) {
        if (!method.is_object() || method.value("method", "") != "steinmetz") continue;
        if (!method.contains("ranges") || !method["ranges"].is_array()) continue;
        for (const Json& range : method["ranges"]) {
            const auto k = NumberAt(range, "k"), alpha = NumberAt(range, "alpha"),
                       beta = NumberAt(range, "beta");
            auto low = NumberAt(range, "minimumFrequency"),
                 high = NumberAt(range, "maximumFrequency");
            if (!k || !alpha || !beta || !low || !high) continue;
            // A range stored high to low is the same range.
            if (*low > *high) std::swap(low, high);
            fits.push_back({*low, *high, *k, *alpha, *beta, NumberAt(range, "ct0"),
                            NumberAt(range, "ct1"), NumberAt(range, "ct2")});
        }
    }
    std::stable_sort(fits.begin(), fits.end(),
                     [](const auto& a, const auto& b) { return a.fMinHz < b.fMinHz; });
    return fits;
}

Material MaterialOf(const Json& record, int line, const std::string& file) {
    Material m;
    m.name = record.value("name", "");
    if (record.contains("manufacturerInfo") && record["manufacturerInfo"].is_object())
        m.manufacturer = record["manufacturerInfo"].value("name", "");
    if (record.contains("permeability") && record["permeability"].is_object() &&
        record["permeability"].contains("initial"))
        m.mu_i = InitialPermeability(record["permeability"]["initial"]);
    if (record.contains("saturation")) {
        m.Bsat_25C_mT = SaturationAt(record["saturation"], 25);
        m.Bsat_100C_mT = SaturationAt(record["saturation"], 100);
        m.saturation = SaturationPoints(record["saturation"]);
    }
    m.curie_C = NumberAt(record, "curieTemperature");
    m.steinmetz = Fits(record);
    m.source = file + " line " + std::to_string(line) +
               " (µi at 25 °C, else the mean of 20 °C and 30 °C; Bsat at 25 °C and 100 °C on the "
               "line between the data's points, none beyond them, and every point as stored; "
               "Steinmetz ranges as stored)";
    return m;
}

}  // namespace

namespace {

// Whether `points` give the sourced row's own two figures, to the tenth of a
// millitesla its data rounds to.
bool SameFigures(const Material& row, const Json& saturation) {
    constexpr double kRounding_mT = 0.1;
    const auto agrees = [&](const std::optional<double>& figure, double celsius) {
        const std::optional<double> at = SaturationAt(saturation, celsius);
        return figure && at && std::abs(*figure - *at) <= kRounding_mT;
    };
    return agrees(row.Bsat_25C_mT, 25) && agrees(row.Bsat_100C_mT, 100);
}

// A sourced row taken from the same record keeps its two figures and gains
// the points between and beyond them.
void AddPointsToSourced(const Json& record, int line, const std::string& file,
                        std::vector<Material>& sourced) {
    const std::string key = NameKey(record.value("name", ""));
    for (Material& row : sourced) {
        if (NameKey(row.name) != key || !row.saturation.empty() || !record.contains("saturation") ||
            !SameFigures(row, record["saturation"]))
            continue;
        std::vector<SaturationPoint> points = SaturationPoints(record["saturation"]);
        if (points.size() <= 2) continue;
        row.saturation = std::move(points);
        if (CheckMaterial(row)) {
            row.saturation.clear();
            continue;
        }
        row.source += " | saturation points: " + file + " line " + std::to_string(line);
    }
}

}  // namespace

ComputedMaterialRows ComputedMaterials(const std::string& text, const std::string& file,
                                       std::vector<Material>& sourced,
                                       std::vector<std::string>& problems) {
    const std::vector<NdjsonLine> records = NdjsonLines(text, file, problems);
    std::map<std::string, int> named;
    for (const NdjsonLine& record : records) ++named[NameKey(record.json.value("name", ""))];
    ComputedMaterialRows rows;
    for (const auto& [line, record] : records) {
        const std::string key = NameKey(record.value("name", ""));
        if (key.empty() || named[key] > 1) continue;
        if (std::any_of(sourced.begin(), sourced.end(),
                        [&](const Material& m) { return NameKey(m.name) == key; })) {
            AddPointsToSourced(record, line, file, sourced);
            continue;
        }
        Material m = MaterialOf(record, line, file);
        if (m.steinmetz.empty()) continue;
        const std::string where = file + ":" + std::to_string(line) + ": " + m.name;
        std::erase_if(m.steinmetz, [&](const SteinmetzRange& fit) {
            const PartProblem p = CheckFit(fit);
            if (p)
                rows.leftOut.push_back(where + " range " + Number(fit.fMinHz) + "-" +
                                       Number(fit.fMaxHz) + " Hz: " + std::string(p.field) +
                                       " beyond any real ferrite's");
            return static_cast<bool>(p);
        });
        if (m.steinmetz.empty()) continue;
        if (const PartProblem p = CheckMaterial(m)) {
            problems.push_back(where + ": " + std::string(p.field) + " beyond any real part's");
            continue;
        }
        rows.materials.push_back(std::move(m));
    }
    return rows;
}

}  // namespace flyback::catalogue
