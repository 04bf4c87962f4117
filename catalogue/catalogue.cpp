#include "catalogue/catalogue.hpp"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "catalogue/csv.hpp"
#include "catalogue/records.hpp"

namespace flyback::catalogue {
namespace {

// Upper case without blanks: "ee 13" and "EE13" are one name.
std::string Key(std::string_view name) {
    std::string key;
    for (const char c : name) {
        if (c != ' ' && c != '\t')
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return key;
}

// "E13/7/4 (EF12.6)" is also found as "E13/7/4".
std::string_view WithoutParenthesis(std::string_view name) {
    const std::size_t open = name.find(" (");
    return open == std::string_view::npos ? name : name.substr(0, open);
}

template <class Item>
const Item* FindByName(const std::vector<Item>& items, std::string_view name) {
    const std::string key = Key(name);
    for (const Item& item : items) {
        if (Key(item.name) == key || Key(WithoutParenthesis(item.name)) == key) return &item;
    }
    return nullptr;
}

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

std::optional<double> Wire::Outer(int grade) const {
    if (kind == WireKind::TripleInsulated) return outerNominal_mm;
    return grade == 2 ? outerGrade2_mm : outerGrade1_mm;
}

const Core* Catalogue::FindCore(std::string_view name) const {
    if (const Core* core = FindByName(cores, name)) return core;
    const std::string key = Key(name);
    for (const Core& core : cores) {
        for (const std::string& alias : core.aliases) {
            if (Key(alias) == key) return &core;
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
    Catalogue catalogue = BuiltIn();
    const struct {
        const char* file;
        void (*add)(const CsvTable&, std::string_view, Catalogue&);
    } kinds[] = {{"cores.csv", AddCores}, {"materials.csv", AddMaterials}, {"wires.csv", AddWires}};
    for (const auto& kind : kinds) {
        const std::filesystem::path path = folder / kind.file;
        const auto text = ReadFile(path);
        if (!text) continue;
        kind.add(ReadCsv(*text), path.string(), catalogue);
    }
    return catalogue;
}

std::filesystem::path UserDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data == '/') return std::filesystem::path(data) / "flyback-designer";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".local/share/flyback-designer";
}

std::optional<double> LossDensity(const Material& material, double hertz, double teslaPeak,
                                  double celsius) {
    const SteinmetzRange* fit = nullptr;
    for (const SteinmetzRange& range : material.steinmetz) {
        if (hertz >= range.fMinHz && hertz <= range.fMaxHz) fit = &range;  // the higher wins
    }
    if (fit == nullptr) return std::nullopt;
    double density = fit->k * std::pow(hertz, fit->alpha) * std::pow(teslaPeak, fit->beta);
    if (fit->ct0 && fit->ct1 && fit->ct2) {
        const double factor = *fit->ct2 * celsius * celsius - *fit->ct1 * celsius + *fit->ct0;
        if (factor > 0) density *= factor;
    }
    return density;
}

}  // namespace flyback::catalogue
