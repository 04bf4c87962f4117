#include "cli/catalogue_listing.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "answer/answer_json.hpp"
#include "catalogue/market_names.hpp"
#include "cli/table.hpp"
#include "record/design_record.hpp"

namespace flyback::cli {
namespace {

using catalogue::Core;
using catalogue::Material;
using catalogue::Wire;

std::string CoreJson(const Core& core) {
    std::string aliases = "[";
    for (const std::string& alias : core.aliases) {
        if (aliases.size() > 1) aliases += ',';
        answer::AppendJsonString(aliases, alias);
    }
    aliases += ']';
    std::string out;
    {
        answer::JsonObject o(out);
        o.Text("name", core.name).Text("family", core.family).Raw("aliases", aliases);
        o.Value("Ae_mm2", core.Ae_mm2).Value("Amin_mm2", core.Amin_mm2).Value("le_mm", core.le_mm);
        o.Value("Ve_mm3", core.Ve_mm3)
            .Value("AL_nH", core.AL_nH)
            .Value("window_mm2", core.window_mm2);
        o.Value("winding_width_mm", core.winding_width_mm);
        o.Value("winding_height_mm", core.winding_height_mm).Value("MLT_mm", core.MLT_mm);
        o.Bool("automatic", core.Automatic());
        o.Text("basis", core.basis).Text("source", core.source);
    }
    return out;
}

std::string MaterialJson(const Material& material) {
    std::string ranges = "[";
    for (const catalogue::SteinmetzRange& r : material.steinmetz) {
        if (ranges.size() > 1) ranges += ',';
        answer::JsonObject o(ranges);
        o.Value("f_min_Hz", r.fMinHz).Value("f_max_Hz", r.fMaxHz).Value("k", r.k);
        o.Value("alpha", r.alpha).Value("beta", r.beta);
        o.Value("ct0", r.ct0).Value("ct1", r.ct1).Value("ct2", r.ct2);
    }
    ranges += ']';
    std::string out;
    {
        answer::JsonObject o(out);
        o.Text("name", material.name).Text("manufacturer", material.manufacturer);
        o.Value("mu_i", material.mu_i).Value("Bsat_25C_mT", material.Bsat_25C_mT);
        o.Value("Bsat_100C_mT", material.Bsat_100C_mT).Raw("steinmetz", ranges);
        o.Text("source", material.source);
    }
    return out;
}

std::string WireJson(const Wire& wire) {
    const bool tiw = wire.kind == catalogue::WireKind::TripleInsulated;
    std::string out;
    {
        answer::JsonObject o(out);
        o.Text("name", wire.name).Text("kind", tiw ? "triple-insulated" : "enamelled");
        o.Value("conductor_mm", wire.conductor_mm);
        o.Value("outer_grade1_mm", tiw ? std::nullopt : wire.outerGrade1_mm);
        o.Value("outer_grade2_mm", tiw ? std::nullopt : wire.outerGrade2_mm);
        o.Value("outer_nominal_mm", wire.outerNominal_mm).Text("source", wire.source);
    }
    return out;
}

// Four significant digits, as a data sheet prints them: the computed shapes'
// figures are exact doubles, which --json gives whole.
std::string Cell(const std::optional<double>& value) {
    if (!value) return "—";
    double v = *value, up = 1, down = 1;
    while (v != 0 && std::abs(v) * up < 1000 && up < 1e12) up *= 10;
    while (std::abs(v) / down >= 10000) down *= 10;
    v = up > 1 ? std::round(v * up) / up : std::round(v / down) * down;
    return record::ExactNumber(v);
}

void Table(const std::vector<std::vector<std::string>>& rows, std::ostream& out) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] + 2 - DisplayWidth(row[i]), ' ');
        }
        out << line << '\n';
    }
}

template <class Item>
void Json(const std::vector<Item>& items, std::string (*toJson)(const Item&), std::ostream& out) {
    std::string json = "[";
    for (const Item& item : items) {
        if (json.size() > 1) json += ',';
        json += toJson(item);
    }
    out << json << "]\n";
}

}  // namespace

void ListCatalogue(const catalogue::Catalogue& parts, Listing listing, bool json,
                   std::ostream& out) {
    std::vector<std::vector<std::string>> rows;
    switch (listing) {
        case Listing::Cores:
            if (json) return Json(parts.cores, CoreJson, out);
            rows.push_back({"name", "family", "alias", "Ae mm²", "le mm", "Ve mm³", "window mm²",
                            "MLT mm", "auto", "basis"});
            for (const Core& c : parts.cores) {
                rows.push_back({c.name, c.family, c.aliases.empty() ? "" : c.aliases.front(),
                                Cell(c.Ae_mm2), Cell(c.le_mm), Cell(c.Ve_mm3), Cell(c.window_mm2),
                                Cell(c.MLT_mm), c.Automatic() ? "yes" : "no", c.basis});
                // An alias other makers give to another core finds neither.
                if (!c.aliases.empty() && catalogue::AmbiguousName(parts, c.aliases.front()))
                    rows.back()[2] += "*";
            }
            Table(rows, out);
            for (const catalogue::OtherMeaning& other : catalogue::OtherMeanings()) {
                if (catalogue::AmbiguousName(parts, other.name)) {
                    out << "* " << other.name << " also names " << other.part << " ("
                        << other.makers
                        << (other.catalogued ? ", in the catalogue by that name"
                                             : ", not in the catalogue")
                        << "): give the full name\n";
                }
            }
            return;
        case Listing::Materials:
            if (json) return Json(parts.materials, MaterialJson, out);
            rows.push_back({"name", "manufacturer", "mu_i", "Bsat 25°C mT", "Bsat 100°C mT",
                            "loss fits (Hz)"});
            for (const Material& m : parts.materials) {
                std::string fits;
                for (const auto& r : m.steinmetz) {
                    fits += (fits.empty() ? "" : ", ") + record::ExactNumber(r.fMinHz) + "–" +
                            record::ExactNumber(r.fMaxHz);
                }
                rows.push_back({m.name, m.manufacturer, Cell(m.mu_i), Cell(m.Bsat_25C_mT),
                                Cell(m.Bsat_100C_mT), fits.empty() ? "—" : fits});
            }
            break;
        case Listing::Wires:
            if (json) return Json(parts.wires, WireJson, out);
            rows.push_back(
                {"name", "kind", "conductor mm", "outer mm (grade 1)", "grade 2 / nominal"});
            for (const Wire& w : parts.wires) {
                const bool tiw = w.kind == catalogue::WireKind::TripleInsulated;
                rows.push_back({w.name, tiw ? "triple-insulated" : "enamelled",
                                Cell(w.conductor_mm), tiw ? "—" : Cell(w.outerGrade1_mm),
                                tiw ? Cell(w.outerNominal_mm) : Cell(w.outerGrade2_mm)});
            }
            break;
    }
    Table(rows, out);
}

}  // namespace flyback::cli
