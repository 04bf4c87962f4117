#include "catalogue/table_rows.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace flyback::catalogue::rows {
namespace {

std::optional<double> Optional(const Maybe& maybe) {
    return maybe.known ? std::optional<double>(maybe.value) : std::nullopt;
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

Core CoreOf(const CoreRow& row) {
    Core core;
    core.name = row.name;
    core.family = row.family;
    core.aliases = Lines(row.aliases);
    core.Ae_mm2 = row.Ae_mm2;
    core.Amin_mm2 = row.Amin_mm2;
    core.le_mm = row.le_mm;
    core.Ve_mm3 = row.Ve_mm3;
    core.AL_nH = Optional(row.AL_nH);
    core.AL_material = row.AL_material;
    core.window_mm2 = row.window_mm2;
    core.winding_width_mm = row.winding_width_mm;
    core.winding_height_mm = row.winding_height_mm;
    core.MLT_mm = Optional(row.MLT_mm);
    core.windowKind = row.windowKind;
    core.basis = row.basis;
    core.source = row.source;
    core.coreWindow_mm2 = Optional(row.coreWindow_mm2);
    core.coreWindowWidth_mm = Optional(row.coreWindowWidth_mm);
    core.coreWindowHeight_mm = Optional(row.coreWindowHeight_mm);
    core.masShape = row.masShape;
    if (row.bobbinPins.known) core.bobbinPins = static_cast<int>(row.bobbinPins.value);
    core.pinPitch_mm = Optional(row.pinPitch_mm);
    core.pinLayout = row.pinLayout;
    return core;
}

Material MaterialOf(const MaterialRow& row) {
    Material material;
    material.name = row.name;
    material.manufacturer = row.manufacturer;
    material.mu_i = Optional(row.mu_i);
    material.Bsat_25C_mT = Optional(row.Bsat_25C_mT);
    material.Bsat_100C_mT = Optional(row.Bsat_100C_mT);
    material.source = row.source;
    material.curie_C = Optional(row.curie_C);
    material.fitsRefused = row.fitsRefused;
    return material;
}

SteinmetzRange RangeOf(const SteinmetzRow& row) {
    return {row.fMinHz,        row.fMaxHz,       row.k, row.alpha, row.beta, Optional(row.ct0),
            Optional(row.ct1), Optional(row.ct2)};
}

Wire WireOf(const WireRow& row) {
    return {row.name,
            row.tripleInsulated ? WireKind::TripleInsulated : WireKind::Enamelled,
            row.conductor_mm,
            Optional(row.outerGrade1_mm),
            Optional(row.outerGrade2_mm),
            Optional(row.outerNominal_mm),
            row.insulation,
            row.source};
}

StockPart StockOf(const StockRow& row, std::span<const char* const> chunks) {
    const auto text = [chunks](std::uint32_t place) {
        return std::string(chunks[place >> 16] + (place & 0xFFFF));
    };
    return {text(row.maker),
            text(row.reference),
            text(row.shape),
            text(row.material),
            Optional(row.gap_mm),
            text(row.distributor),
            text(row.distributorReference),
            text(row.country),
            text(row.date),
            row.cost,
            text(row.source)};
}

}  // namespace

Catalogue FromRows(const Tables& tables) {
    Catalogue catalogue;
    catalogue.cores.reserve(tables.cores.size());
    for (const CoreRow& row : tables.cores) catalogue.cores.push_back(CoreOf(row));
    catalogue.materials.reserve(tables.materials.size());
    for (const MaterialRow& row : tables.materials) catalogue.materials.push_back(MaterialOf(row));
    for (const SteinmetzRow& row : tables.steinmetz)
        catalogue.materials.at(static_cast<std::size_t>(row.material))
            .steinmetz.push_back(RangeOf(row));
    for (const SaturationRow& row : tables.saturation)
        catalogue.materials.at(static_cast<std::size_t>(row.material))
            .saturation.push_back({row.celsius, row.mT});
    catalogue.wires.reserve(tables.wires.size());
    for (const WireRow& row : tables.wires) catalogue.wires.push_back(WireOf(row));
    return catalogue;
}

std::vector<StockPart> StockFromRows(std::span<const StockRow> rows,
                                     std::span<const char* const> chunks) {
    std::vector<StockPart> stock;
    stock.reserve(rows.size());
    for (const StockRow& row : rows) stock.push_back(StockOf(row, chunks));
    return stock;
}

}  // namespace flyback::catalogue::rows
