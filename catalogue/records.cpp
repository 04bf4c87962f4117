#include "catalogue/records.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "runtime/decimal_conversion.hpp"

namespace flyback::catalogue {
namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A row that cannot be read; its message names the field.
struct RowProblem : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One row's fields by column name.
class Fields {
  public:
    Fields(const CsvTable& table, const CsvTable::Row& row) : table_(table), row_(row) {}

    std::string Text(std::string_view column) const {
        const int index = table_.Column(column);
        if (index < 0 || static_cast<std::size_t>(index) >= row_.fields.size()) return {};
        return std::string(Trimmed(row_.fields[static_cast<std::size_t>(index)]));
    }

    std::string RequiredText(std::string_view column) const {
        std::string text = Text(column);
        if (text.empty()) Fail(column, "is empty");
        return text;
    }

    // A number above 0, or nothing where the field is empty.
    std::optional<double> Number(std::string_view column) const {
        const auto number = SignedNumber(column);
        if (number && !(*number > 0)) Fail(column, "\"" + Text(column) + "\" is not above 0");
        return number;
    }

    double RequiredNumber(std::string_view column) const {
        const auto number = Number(column);
        if (!number) Fail(column, "is empty");
        return *number;
    }

    // Any finite number (the temperature coefficients may be of either sign).
    std::optional<double> SignedNumber(std::string_view column) const {
        const std::string text = Text(column);
        if (text.empty()) return std::nullopt;
        const runtime::decimal::Parsed parsed = runtime::decimal::Native().parse(text);
        if (!parsed.valid || parsed.outOfRange) Fail(column, "\"" + text + "\" is not a number");
        return parsed.value;
    }

    [[noreturn]] static void Fail(std::string_view column, const std::string& why) {
        throw RowProblem(std::string(column) + ": " + why);
    }

  private:
    const CsvTable& table_;
    const CsvTable::Row& row_;
};

std::string Basis(const std::string& valueBasis) {
    if (valueBasis.empty()) return "user";
    if (valueBasis.starts_with("datasheet")) return "datasheet";
    if (valueBasis.find("processed") != std::string::npos) return "OpenMagnetics processed";
    if (valueBasis.find("IEC 60205") != std::string::npos) return "IEC 60205 computed";
    return valueBasis;
}

// Runs `read` on every row, naming the rows it could not read.
template <class Read>
void EachRow(const CsvTable& table, std::string_view origin, Catalogue& catalogue, Read read) {
    if (!table.problem.empty())
        catalogue.problems.push_back(std::string(origin) + ": " + table.problem);
    for (const CsvTable::Row& row : table.rows) {
        try {
            read(Fields(table, row), row);
        } catch (const RowProblem& problem) {
            catalogue.problems.push_back(std::string(origin) + ":" + std::to_string(row.line) +
                                         ": " + problem.what());
        }
    }
}

Core ReadCore(const Fields& f, std::string_view origin, int line) {
    Core core;
    core.family = f.RequiredText("family");
    core.name = f.RequiredText("name");
    if (const std::string alias = f.Text("common_name"); !alias.empty()) core.aliases = {alias};
    core.Ae_mm2 = f.RequiredNumber("Ae_mm2");
    core.Amin_mm2 = f.RequiredNumber("Amin_mm2");
    core.le_mm = f.RequiredNumber("le_mm");
    core.Ve_mm3 = f.RequiredNumber("Ve_mm3");
    core.AL_nH = f.Number("AL_nH");
    core.AL_material = f.Text("AL_material");
    core.window_mm2 = f.RequiredNumber("bobbin_window_mm2");
    core.winding_width_mm = f.RequiredNumber("winding_width_mm");
    core.winding_height_mm = f.RequiredNumber("winding_height_mm");
    core.MLT_mm = f.Number("MLT_mm");
    core.windowKind = f.Text("bobbin_window_kind");
    if (core.windowKind.empty()) core.windowKind = core.MLT_mm ? "bobbin" : "core";
    core.basis = Basis(f.Text("value_basis"));
    core.source = f.Text("source");
    if (core.source.empty()) core.source = std::string(origin) + ":" + std::to_string(line);
    core.coreWindow_mm2 = f.Number("core_window_area_mm2");
    core.coreWindowWidth_mm = f.Number("core_window_width_mm");
    core.coreWindowHeight_mm = f.Number("core_window_height_mm");
    return core;
}

}  // namespace

void AddCores(const CsvTable& table, std::string_view origin, Catalogue& catalogue) {
    EachRow(table, origin, catalogue, [&](const Fields& f, const CsvTable::Row& row) {
        Core core = ReadCore(f, origin, row.line);
        if (catalogue.FindCore(core.name) != nullptr) {
            Fields::Fail("name", "\"" + core.name + "\" is already in the catalogue");
        }
        for (const std::string& alias : core.aliases) {
            if (catalogue.FindCore(alias) != nullptr) {
                Fields::Fail("common_name", "\"" + alias + "\" already names a core");
            }
        }
        catalogue.cores.push_back(std::move(core));
    });
}

void AddMaterials(const CsvTable& table, std::string_view origin, Catalogue& catalogue) {
    std::vector<std::string> fromThisTable;
    EachRow(table, origin, catalogue, [&](const Fields& f, const CsvTable::Row&) {
        const std::string name = f.RequiredText("material");
        Material read;
        read.name = name;
        read.manufacturer = f.Text("manufacturer");
        read.mu_i = f.Number("mu_i");
        read.Bsat_25C_mT = f.Number("Bsat_25C_mT");
        read.Bsat_100C_mT = f.Number("Bsat_100C_mT");
        read.source = f.Text("source");
        std::optional<SteinmetzRange> range;
        if (!f.Text("k").empty()) {
            range = SteinmetzRange{f.RequiredNumber("f_min_Hz"), f.RequiredNumber("f_max_Hz"),
                                   f.RequiredNumber("k"),        f.RequiredNumber("alpha"),
                                   f.RequiredNumber("beta"),     f.SignedNumber("ct0"),
                                   f.SignedNumber("ct1"),        f.SignedNumber("ct2")};
            if (!(range->fMinHz < range->fMaxHz)) Fields::Fail("f_max_Hz", "is not above f_min_Hz");
        }
        // One material spans a row for each frequency range of its fit.
        const bool continues = !fromThisTable.empty() && fromThisTable.back() == name;
        if (!continues) {
            if (catalogue.FindMaterial(name) != nullptr) {
                Fields::Fail("material", "\"" + name + "\" is already in the catalogue");
            }
            catalogue.materials.push_back(read);
            fromThisTable.push_back(name);
        }
        if (range) catalogue.materials.back().steinmetz.push_back(*range);
    });
}

void AddWires(const CsvTable& table, std::string_view origin, Catalogue& catalogue) {
    EachRow(table, origin, catalogue, [&](const Fields& f, const CsvTable::Row&) {
        Wire wire;
        wire.name = f.RequiredText("size_name");
        wire.kind = f.Text("type").find("triple") != std::string::npos ? WireKind::TripleInsulated
                                                                       : WireKind::Enamelled;
        wire.conductor_mm = f.RequiredNumber("conductor_diameter_mm");
        wire.outerGrade1_mm = f.Number("grade1_od_max_mm");
        wire.outerGrade2_mm = f.Number("grade2_od_max_mm");
        wire.outerNominal_mm = f.Number("od_nominal_mm");
        wire.source = f.Text("source");
        if (!wire.Outer(1) && !wire.Outer(2))
            Fields::Fail("od_nominal_mm", "no outer diameter is given");
        for (const auto& outer : {wire.outerGrade1_mm, wire.outerGrade2_mm, wire.outerNominal_mm}) {
            if (outer && *outer <= wire.conductor_mm) {
                Fields::Fail("conductor_diameter_mm", "is not below the outer diameter");
            }
        }
        if (catalogue.FindWire(wire.name) != nullptr) {
            Fields::Fail("size_name", "\"" + wire.name + "\" is already in the catalogue");
        }
        catalogue.wires.push_back(std::move(wire));
    });
}

}  // namespace flyback::catalogue
