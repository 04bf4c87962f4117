#include "insulation/tables.hpp"

#include <optional>
#include <stdexcept>

#include "catalogue/csv.hpp"
#include "runtime/number_text.hpp"

namespace flyback::insulation {
namespace {

// A table read from its text, with a field by its column's name.
class Csv {
  public:
    Csv(std::string_view text, std::string file)
        : table_(catalogue::ReadCsv(text)), file_(std::move(file)) {
        // Compiled in from the project's own data: unreadable is a build fault.
        if (!table_.problem.empty()) throw std::logic_error(file_ + ": " + table_.problem);
    }

    const std::vector<catalogue::CsvTable::Row>& Rows() const { return table_.rows; }

    std::string Field(const catalogue::CsvTable::Row& row, std::string_view column) const {
        const int at = table_.Column(column);
        if (at < 0 || static_cast<std::size_t>(at) >= row.fields.size()) return {};
        return row.fields[static_cast<std::size_t>(at)];
    }

    std::optional<double> Number(const catalogue::CsvTable::Row& row,
                                 std::string_view column) const {
        return runtime::ReadWholeNumber(Field(row, column));
    }

    // A row the data's own notes mark as not to be trusted.
    bool Flagged(const catalogue::CsvTable::Row& row) const {
        const std::string notes = Field(row, "notes");
        return notes.find("DOUBTFUL") != std::string::npos ||
               notes.find("MISMATCH") != std::string::npos;
    }

    Origin OriginOf(const catalogue::CsvTable::Row& row) const {
        return {Field(row, "standard") + " " + Field(row, "table"), file_, row.line};
    }

  private:
    catalogue::CsvTable table_;
    std::string file_;
};

int Pollution(const std::string& text) {
    return text.empty() ? 0 : text[0] - '0';
}

void ReadClearance(Tables& t) {
    const Csv csv(data::Csv("clearance"), "clearance.csv");
    for (const auto& row : csv.Rows()) {
        const auto key = csv.Number(row, "voltage_V");
        const auto value = csv.Number(row, "clearance_mm");
        if (csv.Flagged(row) || !key || !value || csv.Field(row, "standard") != "IEC 62368-1")
            continue;
        t.clearance.push_back({csv.OriginOf(row),
                               *key,
                               *value,
                               csv.Field(row, "insulation"),
                               Pollution(csv.Field(row, "pollution_degree")),
                               {}});
    }
}

void ReadCreepage(Tables& t) {
    const Csv csv(data::Csv("creepage"), "creepage.csv");
    for (const auto& row : csv.Rows()) {
        const auto key = csv.Number(row, "working_voltage_V_rms");
        const auto basic = csv.Number(row, "basic_creepage_mm");
        const auto reinforced = csv.Number(row, "reinforced_creepage_mm");
        if (csv.Flagged(row) || !key || csv.Field(row, "standard") != "IEC 62368-1") continue;
        const std::string table = csv.Field(row, "table");
        // Table 17 rows are chosen by material group; Table 18 (above 30 kHz,
        // every group) by the frequency range.
        const std::string group = table == "Table 17" ? csv.Field(row, "material_group")
                                                      : csv.Field(row, "frequency_range");
        const int pollution = Pollution(csv.Field(row, "pollution_degree"));
        if (basic)
            t.basicCreepage.push_back({csv.OriginOf(row), *key, *basic, "basic", pollution, group});
        if (reinforced) {
            t.reinforcedCreepage.push_back(
                {csv.OriginOf(row), *key, *reinforced, "reinforced", pollution, group});
        }
    }
}

void ReadKeyed(const std::string& text, const char* file, const char* keyColumn,
               const char* valueColumn, std::vector<Row>& rows) {
    const Csv csv(text, file);
    for (const auto& row : csv.Rows()) {
        const auto key = csv.Number(row, keyColumn);
        const auto value = csv.Number(row, valueColumn);
        if (csv.Flagged(row) || !key || !value) continue;
        rows.push_back({csv.OriginOf(row), *key, *value, csv.Field(row, "insulation"), 0,
                        csv.Field(row, "overvoltage_category")});
    }
}

// "Tecroll 11B (Polyester, temperature class 130)" names its class: 130 °C.
std::optional<double> ThermalClass(const std::string& description) {
    constexpr std::string_view kClass = "temperature class ";
    const std::size_t at = description.find(kClass);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t from = at + kClass.size();
    std::size_t to = from;
    while (to < description.size() && description[to] >= '0' && description[to] <= '9') ++to;
    const auto value = runtime::ReadWholeNumber(description.substr(from, to - from));
    if (!value) return std::nullopt;
    return static_cast<double>(*value);
}

void ReadTapes(Tables& t) {
    const Csv csv(data::Csv("construction"), "construction.csv");
    for (const auto& row : csv.Rows()) {
        if (csv.Flagged(row) || csv.Field(row, "item") != "insulation tape / film layer") continue;
        const auto thickness = csv.Number(row, "value");
        // The unit column reads "mm; 75 kV/mm; 4.5 kV": the last is one layer's breakdown.
        const std::string unit = csv.Field(row, "unit");
        const std::size_t last = unit.rfind("; ");
        const std::string breakdown = last == std::string::npos ? "" : unit.substr(last + 2);
        if (!thickness || !breakdown.ends_with(" kV")) continue;
        const auto kV = runtime::ReadWholeNumber(breakdown.substr(0, breakdown.size() - 3));
        if (!kV) continue;
        const std::string description = csv.Field(row, "description");
        t.tapes.push_back({{"construction", "construction.csv", row.line},
                           description,
                           *thickness,
                           *kV * 1000,
                           ThermalClass(description)});
    }
}

void ReadDielectrics(Tables& t) {
    const Csv csv(data::Csv("permittivity"), "permittivity.csv");
    for (const auto& row : csv.Rows()) {
        const auto relative = csv.Number(row, "relative_permittivity");
        if (csv.Flagged(row) || !relative || !(*relative >= 1)) continue;
        t.dielectrics.push_back({{"permittivity", "permittivity.csv", row.line},
                                 csv.Field(row, "material"),
                                 *relative});
    }
}

std::vector<Row> ReadTestVoltages() {
    std::vector<Row> tests, kept;
    ReadKeyed(data::Csv("test_voltage"), "test_voltage.csv", "voltage_V", "test_voltage_V", tests);
    for (Row& row : tests) {
        if (row.origin.table.starts_with("IEC 62368-1")) kept.push_back(std::move(row));
    }
    return kept;
}

Tables Read() {
    Tables t;
    ReadClearance(t);
    ReadCreepage(t);
    ReadKeyed(data::Csv("altitude"), "altitude.csv", "altitude_m", "clearance_multiplier",
              t.altitude);
    std::vector<Row> transient;
    ReadKeyed(data::Csv("mains_transient"), "mains_transient.csv", "mains_voltage_up_to_V_rms",
              "transient_voltage_V_peak", transient);
    for (Row& row : transient) {
        t.transient.push_back(std::move(row));
    }
    t.testVoltage = BuiltInTestVoltages();
    std::erase_if(t.altitude,
                  [](const Row& row) { return !row.origin.table.starts_with("IEC 62368-1"); });
    ReadTapes(t);
    ReadDielectrics(t);
    return t;
}

}  // namespace

const std::vector<Row>& BuiltInTestVoltages() {
    static const std::vector<Row> rows = ReadTestVoltages();
    return rows;
}

const Tables& BuiltIn() {
    static const Tables tables = Read();
    return tables;
}

const Dielectric* DielectricOf(std::string_view material, const Tables& tables) {
    for (const Dielectric& d : tables.dielectrics) {
        if (d.material == material) return &d;
    }
    return nullptr;
}

std::string_view TapeMaterial(const Tape& tape) {
    if (tape.name.find("Polyester") != std::string::npos ||
        tape.name.find("terephthalate") != std::string::npos)
        return "polyester";
    if (tape.name.find("Polyimide") != std::string::npos) return "polyimide";
    return {};
}

}  // namespace flyback::insulation
