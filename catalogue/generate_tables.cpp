// Turns the catalogue's CSV files into C++ source at build time, so that the
// program carries its catalogue as constant tables: nothing to find and
// nothing to parse when it starts. Any row it cannot read, or one that does
// not say where its values come from, fails the build.
// After the sourced rows come the MAS shapes they do not give, computed from
// their drawings (mas_shapes.hpp).
// After the sourced materials, MAS's MnZn ferrites with loss fits
// (mas_materials.hpp).
// Every material's fits are held to the data sheets' loss limits
// (loss_limits.csv; fit_refusals.hpp).
//   generate_tables cores.csv materials.csv wires.csv core_shapes.ndjson
//     bobbins.ndjson core_materials.ndjson market_names.csv cores_stock.ndjson
//     loss_limits.csv > catalogue_tables.cpp
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "catalogue/catalogue.hpp"
#include "catalogue/csv.hpp"
#include "catalogue/fit_refusals.hpp"
#include "catalogue/mas_materials.hpp"
#include "catalogue/mas_shapes.hpp"
#include "catalogue/mas_stock.hpp"
#include "catalogue/records.hpp"

namespace {

using namespace flyback::catalogue;

std::string Literal(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", byte);  // octal: never runs on
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string Optional(const std::optional<double>& value) {
    return value ? "{true, " + Number(*value) + "}" : "{}";
}

std::string Optional(const std::optional<int>& value) {
    return value ? "{true, " + std::to_string(*value) + "}" : "{}";
}

// The aliases one per line, as rows::CoreRow keeps them.
std::optional<std::string> AliasLines(const std::vector<std::string>& aliases) {
    std::string lines;
    for (const std::string& alias : aliases) {
        if (alias.empty() || alias.find('\n') != std::string::npos) return std::nullopt;
        if (!lines.empty()) lines += '\n';
        lines += alias;
    }
    return lines;
}

bool WriteCores(const Catalogue& c, std::ostream& out) {
    out << "constexpr CoreRow kCores[] = {\n";
    for (const Core& core : c.cores) {
        const std::optional<std::string> aliases = AliasLines(core.aliases);
        if (!aliases) {
            std::cerr << core.name << ": an alias is empty or holds a line break\n";
            return false;
        }
        out << "    {" << Literal(core.name) << ", " << Literal(core.family) << ", "
            << Literal(*aliases) << ", " << Number(core.Ae_mm2) << ", " << Number(core.Amin_mm2)
            << ", " << Number(core.le_mm) << ", " << Number(core.Ve_mm3) << ", "
            << Optional(core.AL_nH) << ", " << Literal(core.AL_material) << ", "
            << Number(core.window_mm2) << ", " << Number(core.winding_width_mm) << ", "
            << Number(core.winding_height_mm) << ", " << Optional(core.MLT_mm) << ", "
            << Literal(core.windowKind) << ", " << Literal(core.basis) << ", "
            << Literal(core.source) << ", " << Optional(core.coreWindow_mm2) << ", "
            << Optional(core.coreWindowWidth_mm) << ", " << Optional(core.coreWindowHeight_mm)
            << ", " << Literal(core.masShape) << ", " << Optional(core.bobbinPins) << ", "
            << Optional(core.pinPitch_mm) << ", " << Literal(core.pinLayout) << "},\n";
    }
    out << "};\n\n";
    return true;
}

void WriteMaterials(const Catalogue& c, std::ostream& out) {
    out << "constexpr MaterialRow kMaterials[] = {\n";
    for (const Material& m : c.materials) {
        out << "    {" << Literal(m.name) << ", " << Literal(m.manufacturer) << ", "
            << Optional(m.mu_i) << ", " << Optional(m.Bsat_25C_mT) << ", "
            << Optional(m.Bsat_100C_mT) << ", " << Literal(m.source) << ", " << Optional(m.curie_C)
            << ", " << Literal(m.fitsRefused) << "},\n";
    }
    out << "};\n\nconstexpr SteinmetzRow kSteinmetz[] = {\n";
    for (std::size_t i = 0; i < c.materials.size(); ++i) {
        for (const SteinmetzRange& r : c.materials[i].steinmetz) {
            out << "    {" << i << ", " << Number(r.fMinHz) << ", " << Number(r.fMaxHz) << ", "
                << Number(r.k) << ", " << Number(r.alpha) << ", " << Number(r.beta) << ", "
                << Optional(r.ct0) << ", " << Optional(r.ct1) << ", " << Optional(r.ct2) << "},\n";
        }
    }
    out << "};\n\n";
    out << "constexpr SaturationRow kSaturation[] = {\n";
    for (std::size_t i = 0; i < c.materials.size(); ++i) {
        for (const SaturationPoint& point : c.materials[i].saturation) {
            out << "    {" << i << ", " << Number(point.celsius) << ", " << Number(point.mT)
                << "},\n";
        }
    }
    out << "};\n\n";
}

void WriteWires(const Catalogue& c, std::ostream& out) {
    out << "constexpr WireRow kWires[] = {\n";
    for (const Wire& w : c.wires) {
        out << "    {" << Literal(w.name) << ", "
            << (w.kind == WireKind::TripleInsulated ? "true" : "false") << ", "
            << Number(w.conductor_mm) << ", " << Optional(w.outerGrade1_mm) << ", "
            << Optional(w.outerGrade2_mm) << ", " << Optional(w.outerNominal_mm) << ", "
            << Literal(w.insulation) << ", " << Literal(w.source) << "},\n";
    }
    out << "};\n\n";
}

std::optional<std::string> Whole(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The stock's texts, each once and ended by a NUL, in chunks no longer than
// a string literal every compiler takes, and each text's place: its chunk
// times 65,536 plus its place in the chunk.
class TextPool {
  public:
    std::uint32_t At(const std::string& text) {
        const auto found = places_.find(text);
        if (found != places_.end()) return found->second;
        if (chunks_.empty() || chunkSize_ + text.size() + 1 > kChunkSize) {
            chunks_.emplace_back();
            chunkSize_ = 0;
        }
        const auto place = static_cast<std::uint32_t>(((chunks_.size() - 1) << 16) + chunkSize_);
        chunks_.back().push_back(text);
        chunkSize_ += text.size() + 1;
        places_.emplace(text, place);
        return place;
    }
    void Write(const char* name, std::ostream& out) const {
        for (std::size_t chunk = 0; chunk < chunks_.size(); ++chunk) {
            out << "constexpr char " << name << chunk << "[] =\n";
            for (const std::string& text : chunks_[chunk])
                out << "    " << Literal(text + '\0') << "\n";
            out << "    \"\";\n";
        }
        out << "constexpr const char* " << name << "[] = {";
        for (std::size_t chunk = 0; chunk < chunks_.size(); ++chunk)
            out << (chunk == 0 ? "" : ", ") << name << chunk;
        out << "};\n\n";
    }

  private:
    static constexpr std::size_t kChunkSize = 60000;  // below 65,536 with its NUL
    std::map<std::string, std::uint32_t> places_;
    std::vector<std::vector<std::string>> chunks_;
    std::size_t chunkSize_ = 0;
};

void WriteStock(const std::vector<StockPart>& stock, std::ostream& out) {
    TextPool texts;
    std::ostringstream rows;
    for (const StockPart& p : stock) {
        rows << "    {" << texts.At(p.maker) << ", " << texts.At(p.reference) << ", "
             << texts.At(p.shape) << ", " << texts.At(p.material) << ", " << Optional(p.gap_mm)
             << ", " << texts.At(p.distributor) << ", " << texts.At(p.distributorReference) << ", "
             << texts.At(p.country) << ", " << texts.At(p.date) << ", " << Number(p.cost) << ", "
             << texts.At(p.source) << "},\n";
    }
    texts.Write("kStockTexts", out);
    out << "constexpr StockRow kStock[] = {\n" << rows.str() << "};\n\n";
}

std::optional<CsvTable> Table(const char* path) {
    const std::optional<std::string> text = Whole(path);
    if (!text) return std::nullopt;
    return ReadCsv(*text);
}

// The shapes' lines the sourced rows give (their `mas_shape_line`).
std::set<int> TakenLines(const CsvTable& cores) {
    std::set<int> lines;
    const int column = cores.Column("mas_shape_line");
    if (column < 0) return lines;
    for (const CsvTable::Row& row : cores.rows) {
        const auto index = static_cast<std::size_t>(column);
        if (index < row.fields.size() && !row.fields[index].empty())
            lines.insert(std::stoi(row.fields[index]));
    }
    return lines;
}

// The MAS data the computed rows name as their source.
constexpr const char* kMasShapes = "OpenMagnetics/MAS@1408499d0097 data/core_shapes.ndjson";
constexpr const char* kMasBobbins = "OpenMagnetics/MAS@1408499d0097 data/bobbins.ndjson";
constexpr const char* kMasMaterials =
    "catalogue/data/mas/core_materials_mnzn.ndjson (the MnZn records of "
    "OpenMagnetics/MAS@0512b026c0c0 data/core_materials.ndjson, unchanged)";

}  // namespace

// The generator has no built-in catalogue of its own.
const Catalogue& flyback::catalogue::BuiltIn() {
    static const Catalogue empty;
    return empty;
}

flyback::catalogue::Catalogue flyback::catalogue::MadeBuiltIn() {
    return {};
}

const std::vector<flyback::catalogue::StockPart>& flyback::catalogue::BuiltInStock() {
    static const std::vector<StockPart> none;
    return none;
}

int main(int argc, char** argv) {
    if (argc != 10) {
        std::cerr << "usage: generate_tables cores.csv materials.csv wires.csv "
                     "core_shapes.ndjson bobbins.ndjson core_materials.ndjson "
                     "market_names.csv cores_stock.ndjson loss_limits.csv\n";
        return 2;
    }
    Catalogue catalogue;
    std::set<int> takenLines;
    void (*const add[])(const CsvTable&, std::string_view, Catalogue&, Sources) = {
        AddCores, AddMaterials, AddWires};
    for (int i = 0; i < 3; ++i) {
        const auto table = Table(argv[i + 1]);
        if (!table) {
            std::cerr << argv[i + 1] << ": cannot be read\n";
            return 1;
        }
        add[i](*table, argv[i + 1], catalogue, Sources::MustBeGiven);
        if (i == 0) takenLines = TakenLines(*table);
    }
    const std::optional<std::string> shapes = Whole(argv[4]), bobbins = Whole(argv[5]);
    if (!shapes || !bobbins) {
        std::cerr << (shapes ? argv[5] : argv[4]) << ": cannot be read\n";
        return 1;
    }
    const Computed computed = ComputedCores({*shapes, *bobbins, kMasShapes, kMasBobbins},
                                            catalogue.cores, takenLines, catalogue.problems);
    catalogue.cores.insert(catalogue.cores.end(), computed.cores.begin(), computed.cores.end());
    const std::optional<std::string> market = Whole(argv[7]);
    if (!market) {
        std::cerr << argv[7] << ": cannot be read\n";
        return 1;
    }
    AddMarketNames(*market, "catalogue/data/mas/market_names.csv", catalogue.cores);
    const std::optional<std::string> stockText = Whole(argv[8]);
    if (!stockText) {
        std::cerr << argv[8] << ": cannot be read\n";
        return 1;
    }
    const std::vector<StockPart> stock = StockParts(
        *stockText, "OpenMagnetics/MAS@1408499d0097 data/cores_stock.ndjson", catalogue.problems);
    const std::optional<std::string> materials = Whole(argv[6]);
    if (!materials) {
        std::cerr << argv[6] << ": cannot be read\n";
        return 1;
    }
    const ComputedMaterialRows more =
        ComputedMaterials(*materials, kMasMaterials, catalogue.materials, catalogue.problems);
    catalogue.materials.insert(catalogue.materials.end(), more.materials.begin(),
                               more.materials.end());
    const std::optional<CsvTable> limits = Table(argv[9]);
    if (!limits) {
        std::cerr << argv[9] << ": cannot be read\n";
        return 1;
    }
    RefuseFitsAboveLimits(
        catalogue.materials,
        ReadLossLimits(*limits, "catalogue/data/loss_limits.csv", catalogue.problems));
    for (const std::string& problem : catalogue.problems) std::cerr << problem << '\n';
    if (!catalogue.problems.empty()) return 1;
    std::cout << "// Generated from catalogue/data by generate_tables; do not edit.\n";
    for (const std::string& shape : computed.leftOut)
        std::cout << "// Left out, a letter missing in the data: " << shape << "\n";
    for (const std::string& fit : more.leftOut) std::cout << "// Left out: " << fit << "\n";
    std::cout << "\n"
                 "#include \"catalogue/table_rows.hpp\"\n\n"
                 "namespace flyback::catalogue {\n"
                 "namespace {\n\n"
                 "using namespace rows;\n\n";
    if (!WriteCores(catalogue, std::cout)) return 1;
    WriteMaterials(catalogue, std::cout);
    WriteWires(catalogue, std::cout);
    WriteStock(stock, std::cout);
    std::cout
        << "}  // namespace\n\n"
           "Catalogue MadeBuiltIn() {\n"
           "    return rows::FromRows({kCores, kMaterials, kSteinmetz, kSaturation, kWires});\n"
           "}\n\n"
           "const std::vector<StockPart>& BuiltInStock() {\n"
           "    static const std::vector<StockPart> stock = rows::StockFromRows(kStock, "
           "kStockTexts);\n"
           "    return stock;\n"
           "}\n\n"
           "const Catalogue& BuiltIn() {\n"
           "    static const Catalogue catalogue = MadeBuiltIn();\n"
           "    return catalogue;\n"
           "}\n\n"
           "}  // namespace flyback::catalogue\n";
    return std::cout ? 0 : 1;
}
