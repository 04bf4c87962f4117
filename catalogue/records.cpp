#include "catalogue/records.hpp"

#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "catalogue/fit_refusals.hpp"
#include "catalogue/names.hpp"
#include "catalogue/part_bounds.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/utf8.hpp"

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
        if (!parsed.valid || parsed.outOfRange || !std::isfinite(parsed.value))
            Fail(column, "\"" + text + "\" is not a number");
        return parsed.value;
    }

    [[noreturn]] static void Fail(std::string_view column, const std::string& why) {
        throw RowProblem(std::string(column) + ": " + why);
    }

  private:
    const CsvTable& table_;
    const CsvTable::Row& row_;
};

// Where `text` is not UTF-8, or holds a control character other than a tab:
// why, else nothing. Such a name would reach a terminal as a command, or a
// JSON answer as an invalid string.
const char* TextProblem(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = runtime::Utf8SequenceLength(text);
        if (length == 0) return "is not valid UTF-8";
        const auto lead = static_cast<unsigned char>(text[0]);
        const bool c1 = lead == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0;
        if ((lead < 0x20 && lead != '\t') || lead == 0x7F || c1) return "holds a control character";
        text.remove_prefix(length);
    }
    return nullptr;
}

void CheckTexts(const CsvTable& table, const CsvTable::Row& row) {
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        if (const char* why = TextProblem(row.fields[i])) {
            const std::string column = i < table.header.size() && !TextProblem(table.header[i])
                                           ? table.header[i]
                                           : "column " + std::to_string(i + 1);
            Fields::Fail(column, why);
        }
    }
}

std::string Basis(const std::string& valueBasis) {
    if (valueBasis.empty()) return "user";
    if (valueBasis.starts_with("datasheet")) return "datasheet";
    if (valueBasis.find("processed") != std::string::npos) return "OpenMagnetics processed";
    if (valueBasis.find("IEC 60205") != std::string::npos) return "IEC 60205 computed";
    return valueBasis;
}

// Runs `read` on every row, naming the rows it could not read.
template <class Read>
void EachRow(const CsvTable& table, std::string_view origin, std::vector<std::string>& problems,
             Read read) {
    if (!table.problem.empty()) problems.push_back(std::string(origin) + ": " + table.problem);
    for (const CsvTable::Row& row : table.rows) {
        try {
            CheckTexts(table, row);
            read(Fields(table, row), row);
        } catch (const RowProblem& problem) {
            problems.push_back(std::string(origin) + ":" + std::to_string(row.line) + ": " +
                               problem.what());
        }
    }
}

// The row's source column; where it is empty, the user's file and line, or a
// refusal for the built-in data, which must trace every value.
std::string SourceOf(const Fields& f, std::string_view origin, int line, Sources sources) {
    if (sources == Sources::MustBeGiven) return f.RequiredText("source");
    std::string source = f.Text("source");
    return source.empty() ? std::string(origin) + ":" + std::to_string(line) : source;
}

// A number no real part has, named by its column with the bounds it broke.
void FailOutside(const PartProblem& problem) {
    if (!problem) return;
    Fields::Fail(problem.field, runtime::decimal::ShortestText(problem.value) +
                                    " is outside what a real part has (" +
                                    runtime::decimal::ShortestText(problem.bounds.low) + " to " +
                                    runtime::decimal::ShortestText(problem.bounds.high) + ")");
}

Core ReadCore(const Fields& f, std::string_view origin, int line, Sources sources) {
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
    core.source = SourceOf(f, origin, line, sources);
    core.coreWindow_mm2 = f.Number("core_window_area_mm2");
    core.coreWindowWidth_mm = f.Number("core_window_width_mm");
    core.coreWindowHeight_mm = f.Number("core_window_height_mm");
    core.masShape = f.Text("mas_shape");
    if (const auto pins = f.Number("bobbin_pins")) {
        if (*pins != std::floor(*pins) || *pins < 2 || *pins > 99)
            Fields::Fail("bobbin_pins", "is not a whole number from 2 to 99");
        core.bobbinPins = static_cast<int>(*pins);
    }
    core.pinPitch_mm = f.Number("pin_pitch_mm");
    core.pinLayout = f.Text("pin_layout");
    if (!core.pinLayout.empty() && core.pinLayout != "vertical" && core.pinLayout != "horizontal")
        Fields::Fail("pin_layout", "is neither vertical nor horizontal");
    FailOutside(CheckCore(core));
    return core;
}

}  // namespace

void AddCores(const CsvTable& table, std::string_view origin, Catalogue& catalogue,
              Sources sources) {
    // Every name and alias taken so far, so that each row is checked in
    // constant time and no row's name can hide another core's.
    std::unordered_set<std::string> taken;
    for (const Core& core : catalogue.cores) {
        for (std::string& key : CoreNameKeys(core)) taken.insert(std::move(key));
    }
    EachRow(table, origin, catalogue.problems, [&](const Fields& f, const CsvTable::Row& row) {
        Core core = ReadCore(f, origin, row.line, sources);
        for (const std::string& alias : core.aliases) {
            if (taken.contains(NameKey(alias)))
                Fields::Fail("common_name", "\"" + alias + "\" already names a core");
        }
        std::vector<std::string> keys = CoreNameKeys(core);
        for (const std::string& key : keys) {
            if (taken.contains(key)) {
                Fields::Fail("name", "\"" + core.name +
                                         "\" is already in the catalogue, or its short name is");
            }
        }
        for (std::string& key : keys) taken.insert(std::move(key));
        catalogue.cores.push_back(std::move(core));
    });
}

void AddMaterials(const CsvTable& table, std::string_view origin, Catalogue& catalogue,
                  Sources sources) {
    std::unordered_set<std::string> taken;
    for (const Material& material : catalogue.materials) taken.insert(NameKey(material.name));
    std::vector<std::string> fromThisTable;
    EachRow(table, origin, catalogue.problems, [&](const Fields& f, const CsvTable::Row& row) {
        const std::string name = f.RequiredText("material");
        Material read;
        read.name = name;
        read.manufacturer = f.Text("manufacturer");
        read.mu_i = f.Number("mu_i");
        read.Bsat_25C_mT = f.Number("Bsat_25C_mT");
        read.Bsat_100C_mT = f.Number("Bsat_100C_mT");
        read.curie_C = f.Number("curie_C");
        read.source = SourceOf(f, origin, row.line, sources);
        FailOutside(CheckMaterial(read));
        std::optional<SteinmetzRange> range;
        if (!f.Text("k").empty()) {
            range = SteinmetzRange{f.RequiredNumber("f_min_Hz"), f.RequiredNumber("f_max_Hz"),
                                   f.RequiredNumber("k"),        f.RequiredNumber("alpha"),
                                   f.RequiredNumber("beta"),     f.SignedNumber("ct0"),
                                   f.SignedNumber("ct1"),        f.SignedNumber("ct2")};
            if (!(range->fMinHz < range->fMaxHz)) Fields::Fail("f_max_Hz", "is not above f_min_Hz");
            FailOutside(CheckFit(*range));
        }
        // A fit its data marks as doubtful is never used: the material keeps
        // why, and goes without loss data where no other range holds.
        std::string refused;
        if (range && f.Text("notes").starts_with("DOUBT")) {
            refused = RangeText(*range) + " 的拟合数据标注存疑（" +
                      std::filesystem::path(origin).filename().string() + " 第 " +
                      std::to_string(row.line) + " 行）";
            range.reset();
        }
        // One material spans a row for each frequency range of its fit.
        const bool continues = !fromThisTable.empty() && fromThisTable.back() == name;
        if (!continues) {
            if (!taken.insert(NameKey(name)).second) {
                Fields::Fail("material", "\"" + name + "\" is already in the catalogue");
            }
            catalogue.materials.push_back(read);
            fromThisTable.push_back(name);
        }
        if (range) catalogue.materials.back().steinmetz.push_back(*range);
        AddRefusal(catalogue.materials.back(), refused);
    });
}

void AddWires(const CsvTable& table, std::string_view origin, Catalogue& catalogue,
              Sources sources) {
    std::unordered_set<std::string> taken;
    for (const Wire& wire : catalogue.wires) {
        taken.insert(NameKey(wire.name));
        taken.insert(NameKey(WithoutParenthesis(wire.name)));
    }
    EachRow(table, origin, catalogue.problems, [&](const Fields& f, const CsvTable::Row& row) {
        Wire wire;
        wire.name = f.RequiredText("size_name");
        wire.kind = f.Text("type").find("triple") != std::string::npos ? WireKind::TripleInsulated
                                                                       : WireKind::Enamelled;
        wire.conductor_mm = f.RequiredNumber("conductor_diameter_mm");
        wire.outerGrade1_mm = f.Number("grade1_od_max_mm");
        wire.outerGrade2_mm = f.Number("grade2_od_max_mm");
        wire.outerNominal_mm = f.Number("od_nominal_mm");
        wire.insulation = f.Text("insulation");
        wire.source = SourceOf(f, origin, row.line, sources);
        if (!wire.Outer(1) && !wire.Outer(2))
            Fields::Fail("od_nominal_mm", "no outer diameter is given");
        for (const auto& outer : {wire.outerGrade1_mm, wire.outerGrade2_mm, wire.outerNominal_mm}) {
            if (outer && *outer <= wire.conductor_mm) {
                Fields::Fail("conductor_diameter_mm", "is not below the outer diameter");
            }
        }
        // Two products of one size share a short name ("20 AWG (…)"); the
        // full name is what must be new.
        const std::string key = NameKey(wire.name);
        if (taken.contains(key)) {
            Fields::Fail("size_name", "\"" + wire.name + "\" is already in the catalogue");
        }
        taken.insert(key);
        taken.insert(NameKey(WithoutParenthesis(wire.name)));
        catalogue.wires.push_back(std::move(wire));
    });
}

std::vector<LossLimit> ReadLossLimits(const CsvTable& table, const std::string& origin,
                                      std::vector<std::string>& problems) {
    std::vector<LossLimit> limits;
    EachRow(table, origin, problems, [&](const Fields& f, const CsvTable::Row& row) {
        LossLimit limit{f.RequiredText("material"),
                        f.RequiredNumber("f_Hz"),
                        f.RequiredNumber("B_mT") / 1000,
                        f.RequiredNumber("T_C"),
                        f.RequiredNumber("Pv_max_kW_m3") * 1000,
                        f.RequiredText("source")};
        limit.source = origin + " line " + std::to_string(row.line) + " (" + limit.source + ")";
        limits.push_back(std::move(limit));
    });
    return limits;
}

}  // namespace flyback::catalogue
