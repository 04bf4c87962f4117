#include "catalogue/catalogue.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "catalogue/csv.hpp"
#include "catalogue/market_names.hpp"
#include "catalogue/names.hpp"
#include "catalogue/records.hpp"
#include "catalogue/user_file.hpp"
#include "portable_math/portable_math.hpp"

namespace flyback::catalogue {
namespace {

template <class Item>
const Item* FindByName(const std::vector<Item>& items, std::string_view name) {
    for (const Item& item : items) {  // as written, the common case, without the keys
        if (item.name == name) return &item;
    }
    const std::string key = NameKey(name);
    for (const Item& item : items) {
        if (NameKey(item.name) == key || NameKey(WithoutParenthesis(item.name)) == key)
            return &item;
    }
    return nullptr;
}

}  // namespace

std::vector<const StockPart*> StockOf(const Core& core, const Material& material) {
    std::vector<const StockPart*> parts;
    if (core.masShape.empty()) return parts;
    for (const StockPart& part : BuiltInStock()) {
        if (part.shape == core.masShape && NameKey(part.material) == NameKey(material.name))
            parts.push_back(&part);
    }
    std::stable_sort(parts.begin(), parts.end(), [](const StockPart* a, const StockPart* b) {
        return a->gap_mm.value_or(0) < b->gap_mm.value_or(0);
    });
    return parts;
}

std::optional<double> Wire::Outer(int grade) const {
    if (kind == WireKind::TripleInsulated) return outerNominal_mm;
    return grade == 2 ? outerGrade2_mm : outerGrade1_mm;
}

const Core* Catalogue::FindCore(std::string_view name) const {
    for (const Core& core : cores) {  // as written, the common case, without the keys
        if (core.name == name) return &core;
    }
    const std::string key = NameKey(name);
    if (key.empty()) return nullptr;
    // A core's own full name first: no other core's short name may hide it.
    for (const Core& core : cores) {
        if (NameKey(core.name) == key) return &core;
    }
    // A name makers elsewhere give to another core finds neither.
    if (AmbiguousName(*this, name)) return nullptr;
    for (const Core& core : cores) {
        for (const std::string& other : CoreNameKeys(core)) {
            if (other == key) return &core;
        }
    }
    return nullptr;
}

const Material* Catalogue::FindMaterial(std::string_view name) const {
    return FindByName(materials, name);
}

const Wire* Catalogue::FindWire(std::string_view name) const {
    return FindByName(wires, name);
}

Catalogue WithUserFiles(const std::filesystem::path& folder) {
    Catalogue catalogue = MadeBuiltIn();
    const struct {
        const char* file;
        void (*add)(const CsvTable&, std::string_view, Catalogue&, Sources);
    } kinds[] = {{"cores.csv", AddCores}, {"materials.csv", AddMaterials}, {"wires.csv", AddWires}};
    for (const auto& kind : kinds) {
        const std::filesystem::path path = folder / kind.file;
        const UserFile file = ReadUserFile(path);
        if (!file.problem.empty())
            catalogue.problems.push_back(path.string() + ": " + file.problem);
        if (!file.text) continue;
        kind.add(ReadCsv(*file.text), path.string(), catalogue, Sources::FileAndLineIfNone);
    }
    return catalogue;
}

std::filesystem::path UserDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data == '/') return std::filesystem::path(data) / "flyback-designer";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".local/share/flyback-designer";
}

namespace {

bool HasTemperatureFactor(const SteinmetzRange& fit) {
    return fit.ct0 && fit.ct1 && fit.ct2;
}

// k f^α B^β, before the temperature factor.
double SteinmetzDensity(const SteinmetzRange& fit, double hertz, double teslaPeak) {
    return fit.k * portable_math::Pow(hertz, fit.alpha) * portable_math::Pow(teslaPeak, fit.beta);
}

double TemperatureFactor(const SteinmetzRange& fit, double celsius) {
    return *fit.ct2 * celsius * celsius - *fit.ct1 * celsius + *fit.ct0;
}

}  // namespace

std::optional<double> TemperatureFactorAt(const SteinmetzRange& fit, double celsius) {
    if (!HasTemperatureFactor(fit)) return std::nullopt;
    return TemperatureFactor(fit, celsius);
}

const SteinmetzRange* FitAt(const Material& material, double hertz) {
    const SteinmetzRange* fit = nullptr;
    for (const SteinmetzRange& range : material.steinmetz) {
        if (hertz >= range.fMinHz && hertz <= range.fMaxHz) fit = &range;  // the higher wins
    }
    return fit;
}

double LeastTemperatureFactor(const SteinmetzRange& fit, double coolest_C, double hottest_C) {
    if (!HasTemperatureFactor(fit)) return 1;
    // A parabola: least at an end of the span or at its vertex.
    double least = std::min(TemperatureFactor(fit, coolest_C), TemperatureFactor(fit, hottest_C));
    if (*fit.ct2 > 0) {
        const double vertex = *fit.ct1 / (2 * *fit.ct2);
        if (vertex > coolest_C && vertex < hottest_C)
            least = std::min(least, TemperatureFactor(fit, vertex));
    }
    // Where the factor reaches zero the figure nears zero before it: no floor.
    return least > 0 ? least : 0;
}

std::optional<double> LossDensity(const Material& material, double hertz, double teslaPeak,
                                  double celsius) {
    const SteinmetzRange* fit = FitAt(material, hertz);
    if (fit == nullptr) return std::nullopt;
    double density = SteinmetzDensity(*fit, hertz, teslaPeak);
    if (HasTemperatureFactor(*fit)) {
        const double factor = TemperatureFactor(*fit, celsius);
        if (!(factor > 0)) return std::nullopt;
        density *= factor;
    }
    return density;
}

std::optional<double> LeastLossDensity(const Material& material, double hertz, double teslaPeak,
                                       double coolest_C, double hottest_C) {
    const SteinmetzRange* fit = FitAt(material, hertz);
    if (fit == nullptr) return std::nullopt;
    return SteinmetzDensity(*fit, hertz, teslaPeak) *
           LeastTemperatureFactor(*fit, coolest_C, hottest_C);
}

std::span<const SaturationPoint> SaturationCurve(const Material& material,
                                                 std::array<SaturationPoint, 2>& figures) {
    if (!material.saturation.empty()) return material.saturation;
    std::size_t count = 0;
    if (material.Bsat_25C_mT) figures[count++] = {25, *material.Bsat_25C_mT};
    if (material.Bsat_100C_mT) figures[count++] = {100, *material.Bsat_100C_mT};
    return {figures.data(), count};
}

}  // namespace flyback::catalogue
