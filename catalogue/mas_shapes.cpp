#include "catalogue/mas_shapes.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <optional>
#include <set>

#include "catalogue/csv.hpp"
#include "catalogue/market_names.hpp"
#include "catalogue/names.hpp"
#include "catalogue/ndjson_lines.hpp"
#include "catalogue/part_bounds.hpp"
#include "catalogue/typed_core.hpp"
#include "core_geometry/section_method.hpp"
#include "runtime/decimal_conversion.hpp"

namespace flyback::catalogue {
namespace {

using core_geometry::Family;
using Json = nlohmann::json;

// The data's families the section method computes, with the family the
// catalogue lists each under (planar cores apart: they are wound as PCB
// layers more often than as wire).
struct FamilyOfData {
    std::string_view data;
    Family family;
    std::string_view label;
    bool roundLeg;
};
constexpr FamilyOfData kFamilies[] = {
    {"e", Family::E, "E", false},       {"planarE", Family::E, "planar E", false},
    {"efd", Family::Efd, "EFD", false}, {"etd", Family::Etd, "ETD", true},
    {"er", Family::Er, "ER/EER", true}, {"planarER", Family::Er, "planar ER", true},
    {"eq", Family::Eq, "EQ", true},     {"pq", Family::Pq, "PQ", true},
};

const FamilyOfData* FamilyOf(std::string_view data) {
    for (const FamilyOfData& f : kFamilies)
        if (f.data == data) return &f;
    return nullptr;
}

// A dimension in mm: the nominal, else the middle of the tolerance, else the
// one bound the data gives.
std::optional<double> Millimetres(const Json& value) {
    const auto bound = [&](const char* key) -> std::optional<double> {
        if (!value.contains(key) || !value[key].is_number()) return std::nullopt;
        return value[key].get<double>() * 1000;
    };
    if (const auto nominal = bound("nominal")) return nominal;
    const auto low = bound("minimum"), high = bound("maximum");
    if (low && high) return (*low + *high) / 2;
    return low ? low : high;
}

std::map<std::string, double, std::less<>> Dimensions(const Json& dimensions) {
    std::map<std::string, double, std::less<>> mm;
    if (!dimensions.is_object()) return mm;
    for (const auto& item : dimensions.items())
        if (const auto value = Millimetres(item.value())) mm[item.key()] = *value;
    return mm;
}

std::string Number(double value) {
    return runtime::decimal::ShortestText(std::round(value * 1000) / 1000);
}

// A bobbin's winding window and mean turn by the form its data gives: E-style
// formers (wall s1 round the leg f × c, flanges s2 inside the length l2),
// round formers (tube d2 inside flange d1, length h2 or H2) and EFD formers
// (leg f1 × f3 in walls S1, length d inside flanges S2).
struct Window {
    double radial_mm = 0, along_mm = 0, MLT_mm = 0;
    std::string rule;
};

std::optional<Window> BobbinWindow(const std::map<std::string, double, std::less<>>& d,
                                   bool roundLeg) {
    const auto has = [&](std::initializer_list<const char*> keys) {
        return std::all_of(keys.begin(), keys.end(), [&](const char* k) { return d.contains(k); });
    };
    constexpr double pi = std::numbers::pi;
    Window w;
    if (has({"e", "f", "c", "l2", "s1", "s2"})) {
        const double f = d.at("f"), c = d.at("c"), s1 = d.at("s1");
        w.radial_mm = (d.at("e") - f - 2 * s1) / 2;
        w.along_mm = d.at("l2") - 2 * d.at("s2");
        w.MLT_mm = roundLeg ? pi * (f + 2 * s1 + w.radial_mm)
                            : 2 * (f + 2 * s1) + 2 * (c + 2 * s1) + pi * w.radial_mm;
        w.rule = roundLeg ? "window (e-f-2*s1)/2 x (l2-2*s2), MLT derived = pi*(f+2*s1+build)"
                          : "window (e-f-2*s1)/2 x (l2-2*s2), MLT derived = "
                            "2*(f+2*s1)+2*(c+2*s1)+pi*build";
    } else if (has({"d1", "d2", "h2"}) || has({"D1", "D2", "H2"})) {
        const bool upper = d.contains("D1");
        const double d1 = d.at(upper ? "D1" : "d1"), d2 = d.at(upper ? "D2" : "d2");
        w.radial_mm = (d1 - d2) / 2;
        w.along_mm = d.at(upper ? "H2" : "h2");
        w.MLT_mm = pi * (d2 + w.radial_mm);
        w.rule = upper ? "window (D1-D2)/2 x H2, MLT derived = pi*(D2+build)"
                       : "window (d1-d2)/2 x h2, MLT derived = pi*(d2+build)";
    } else if (has({"e", "f1", "f3", "d", "S1", "S2"})) {
        const double S1 = d.at("S1");
        w.radial_mm = (d.at("e") - d.at("f1") - 2 * S1) / 2;
        w.along_mm = d.at("d") - 2 * d.at("S2");
        w.MLT_mm = 2 * (d.at("f1") + 2 * S1) + 2 * (d.at("f3") + 2 * S1) + pi * w.radial_mm;
        w.rule = "window (e-f1-2*S1)/2 x (d-2*S2), MLT derived = 2*(f1+2*S1)+2*(f3+2*S1)+pi*build";
    } else {
        return std::nullopt;
    }
    return w;
}

// A former made for the shape still has to fit the core it names: inside
// its bare window, and using most of its height (MAS's EER formers give one
// 10.8 mm length for every size, which no large ER could be wound on).
bool FitsTheCore(const Window& w, const core_geometry::Effective& e) {
    return w.radial_mm > 0 && w.along_mm > 0 && w.radial_mm <= e.windowWidth_mm &&
           w.along_mm <= e.windowHeight_mm && w.along_mm >= 0.6 * e.windowHeight_mm;
}

struct Bobbin {
    int line;
    std::string name;
    std::map<std::string, double, std::less<>> dimensions;
};

std::multimap<std::string, Bobbin> BobbinsByShape(const std::vector<NdjsonLine>& lines) {
    std::multimap<std::string, Bobbin> byShape;
    for (const NdjsonLine& line : lines) {
        if (!line.json.contains("functionalDescription")) continue;
        const Json& f = line.json["functionalDescription"];
        if (!f.is_object()) continue;
        const std::string shape = TextAt(f, "shape");
        if (shape.empty() || !f.contains("dimensions")) continue;
        byShape.emplace(
            shape, Bobbin{line.number, TextAt(line.json, "name"), Dimensions(f["dimensions"])});
    }
    return byShape;
}

std::string LettersText(const core_geometry::Letters& letters) {
    std::string text;
    for (const auto& [letter, value] : letters)
        text += (text.empty() ? "" : " ") + letter + " " + Number(value);
    return text;
}

struct Shape {
    int line;
    std::string masName;
    const FamilyOfData* family;
    core_geometry::Letters letters;
    std::vector<std::string> aliases;
};

Core CoreOf(const Shape& shape, const core_geometry::Effective& e, const MasFiles& files) {
    Core core = InItsBareWindow(e);
    core.name = NameKey(shape.masName).substr(0, 1) + shape.masName.substr(1);
    core.name.erase(std::remove(core.name.begin(), core.name.end(), ' '), core.name.end());
    if (shape.family->label.starts_with("planar")) core.name += " (planar)";
    core.family = std::string(shape.family->label);
    core.windowKind = "core";
    core.masShape = shape.masName;
    core.source = "Ae/Amin/le/Ve and core window: computed by IEC 60205's section method from " +
                  files.shapesName + " line " + std::to_string(shape.line) + " '" + shape.masName +
                  "' (" + LettersText(shape.letters) + " mm)";
    return core;
}

void WindOnBobbin(Core& core, const Shape& shape, const core_geometry::Effective& e,
                  const std::multimap<std::string, Bobbin>& bobbins, const MasFiles& files) {
    const auto [first, last] = bobbins.equal_range(shape.masName);
    for (auto it = first; it != last; ++it) {
        const std::optional<Window> w = BobbinWindow(it->second.dimensions, shape.family->roundLeg);
        if (!w || !FitsTheCore(*w, e)) continue;
        core.winding_width_mm = w->along_mm;
        core.winding_height_mm = w->radial_mm;
        core.window_mm2 = w->along_mm * w->radial_mm;
        core.MLT_mm = w->MLT_mm;
        core.windowKind = "bobbin";
        core.source += " | bobbin: " + files.bobbinsName + " line " +
                       std::to_string(it->second.line) + " '" + it->second.name + "', " + w->rule +
                       " (geometric mean turn, not a datasheet value)";
        return;
    }
}

std::optional<Shape> ShapeOf(const NdjsonLine& line) {
    const FamilyOfData* family = FamilyOf(TextAt(line.json, "family"));
    if (!family || !line.json.contains("dimensions")) return std::nullopt;
    Shape shape{line.number, TextAt(line.json, "name"), family, {}, {}};
    const auto& required = core_geometry::LettersOf(family->family);
    const auto& optional = core_geometry::OptionalLettersOf(family->family);
    for (const auto& [letter, value] : Dimensions(line.json["dimensions"])) {
        if (std::find(required.begin(), required.end(), letter) != required.end() ||
            std::find(optional.begin(), optional.end(), letter) != optional.end())
            shape.letters[letter] = value;
    }
    if (line.json.contains("aliases") && line.json["aliases"].is_array())
        for (const Json& alias : line.json["aliases"])
            if (alias.is_string()) shape.aliases.push_back(alias.get<std::string>());
    return shape;
}

// Every key each core is found by, counted over all the cores, so that a
// name two cores would answer to is found by neither.
std::map<std::string, int> KeyCounts(const std::vector<Core>& cores) {
    std::map<std::string, int> counts;
    for (const Core& core : cores) {
        const std::vector<std::string> keys = CoreNameKeys(core);
        for (const std::string& key : std::set<std::string>(keys.begin(), keys.end()))
            ++counts[key];
    }
    return counts;
}

// Shapes the data names alike (ER 40, …), or a name a sourced row already
// answers to, are told apart by their letters; an alias another core
// answers to is dropped.
void TellApart(std::vector<Core>& computed, const std::vector<Shape>& shapes,
               const std::vector<Core>& sourced) {
    std::map<std::string, int> names = KeyCounts(sourced);
    for (const Core& core : computed) ++names[NameKey(WithoutParenthesis(core.name))];
    for (std::size_t i = 0; i < computed.size(); ++i) {
        const std::string_view bare = WithoutParenthesis(computed[i].name);
        if (names[NameKey(bare)] < 2) continue;
        // The letters join the name itself, so that no shorter form of it
        // finds the other core.
        const std::string remark = computed[i].name.substr(bare.size());
        std::string named(bare);
        for (const auto& [letter, value] : shapes[i].letters)
            named.append(" ").append(letter).append("=").append(Number(value));
        computed[i].name = named + remark;
    }
    for (std::size_t i = 0; i < computed.size(); ++i)
        for (const std::string& alias : shapes[i].aliases) computed[i].aliases.push_back(alias);
    std::vector<Core> all = sourced;
    all.insert(all.end(), computed.begin(), computed.end());
    const std::map<std::string, int> counts = KeyCounts(all);
    for (Core& core : computed) {
        std::erase_if(core.aliases,
                      [&](const std::string& alias) { return counts.at(NameKey(alias)) > 1; });
    }
}

}  // namespace

Computed ComputedCores(const MasFiles& files, const std::vector<Core>& sourced,
                       const std::set<int>& takenLines, std::vector<std::string>& problems) {
    const std::multimap<std::string, Bobbin> bobbins =
        BobbinsByShape(NdjsonLines(files.bobbinsText, files.bobbinsName, problems));
    std::map<std::string, int> sameName;
    std::vector<Shape> shapes;
    for (const NdjsonLine& line : NdjsonLines(files.shapesText, files.shapesName, problems)) {
        if (std::optional<Shape> shape = ShapeOf(line)) {
            ++sameName[shape->masName];
            shapes.push_back(std::move(*shape));
        }
    }
    Computed computed;
    std::vector<Shape> kept;
    for (const Shape& shape : shapes) {
        if (takenLines.contains(shape.line)) continue;
        const auto result = core_geometry::FromLetters(shape.family->family, shape.letters);
        if (const auto* problem = std::get_if<core_geometry::LetterProblem>(&result)) {
            const bool lacking = problem->kind == core_geometry::LetterProblem::Kind::Missing;
            (lacking ? computed.leftOut : problems)
                .push_back(files.shapesName + ":" + std::to_string(shape.line) + ": '" +
                           shape.masName + "' gives no core (letter " + problem->letter + ")");
            continue;
        }
        const auto& e = std::get<core_geometry::Effective>(result);
        Core core = CoreOf(shape, e, files);
        // A name MAS gives two shapes names neither to another tool.
        if (sameName[shape.masName] > 1) core.masShape.clear();
        // A former is found by the shape's name, which two shapes may share.
        if (sameName[shape.masName] == 1) WindOnBobbin(core, shape, e, bobbins, files);
        if (const PartProblem p = CheckCore(core)) {
            problems.push_back(files.shapesName + ":" + std::to_string(shape.line) + ": '" +
                               shape.masName + "': " + std::string(p.field) +
                               " beyond any real part's");
            continue;
        }
        computed.cores.push_back(std::move(core));
        kept.push_back(shape);
    }
    TellApart(computed.cores, kept, sourced);
    return computed;
}

void AddMarketNames(const std::string& marketCsv, const std::string& file,
                    std::vector<Core>& cores) {
    const CsvTable table = ReadCsv(marketCsv);
    const int name = table.Column("market_name"), shape = table.Column("mas_shape"),
              label = table.Column("source_label");
    if (name < 0 || shape < 0 || label < 0) return;
    std::map<std::string, std::set<std::string>> shapesOf;
    const auto field = [](const CsvTable::Row& row, int column) {
        return row.fields.at(static_cast<std::size_t>(column));
    };
    for (const CsvTable::Row& row : table.rows)
        if (!field(row, shape).empty())
            shapesOf[NameKey(field(row, name))].insert(field(row, shape));
    std::map<std::string, int> answered = KeyCounts(cores);
    for (const CsvTable::Row& row : table.rows) {
        const std::string key = NameKey(field(row, name));
        if (key.empty() || shapesOf[key].size() != 1 || answered[key] > 0) continue;
        if (std::any_of(OtherMeanings().begin(), OtherMeanings().end(),
                        [&](const OtherMeaning& other) { return NameKey(other.name) == key; }))
            continue;
        const auto core = std::find_if(cores.begin(), cores.end(), [&](const Core& c) {
            return !c.masShape.empty() && c.masShape == field(row, shape);
        });
        if (core == cores.end()) continue;
        core->aliases.push_back(field(row, name));
        core->source += " | market name " + field(row, name) + ": " + file + " line " +
                        std::to_string(row.line) + " (" + field(row, label) + ")";
        ++answered[key];
    }
}

}  // namespace flyback::catalogue
