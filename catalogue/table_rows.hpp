#pragma once

#include <cstdint>
#include <span>

#include "catalogue/catalogue.hpp"

// The built-in catalogue as the generator writes it: plain constant rows of
// text and numbers, which the compiler lays out as data. Written as the
// catalogue's own types (strings, vectors), the same rows became one
// initialiser function of several megabytes that each compiler and the
// WebAssembly optimiser took minutes over.
namespace flyback::catalogue::rows {

struct Maybe {
    bool known = false;
    double value = 0;
};

struct CoreRow {
    const char* name;
    const char* family;
    const char* aliases;  // one per line
    double Ae_mm2, Amin_mm2, le_mm, Ve_mm3;
    Maybe AL_nH;
    const char* AL_material;
    double window_mm2, winding_width_mm, winding_height_mm;
    Maybe MLT_mm;
    const char* windowKind;
    const char* basis;
    const char* source;
    Maybe coreWindow_mm2, coreWindowWidth_mm, coreWindowHeight_mm;
    const char* masShape;
    Maybe bobbinPins;
    Maybe pinPitch_mm;
    const char* pinLayout;
};

struct MaterialRow {
    const char* name;
    const char* manufacturer;
    Maybe mu_i, Bsat_25C_mT, Bsat_100C_mT;
    const char* source;
    Maybe curie_C;
    const char* fitsRefused;
};

// One fit; its material is the row of that index.
struct SteinmetzRow {
    int material;
    double fMinHz, fMaxHz, k, alpha, beta;
    Maybe ct0, ct1, ct2;
};

// One saturation point; its material is the row of that index.
struct SaturationRow {
    int material;
    double celsius, mT;
};

struct WireRow {
    const char* name;
    bool tripleInsulated;
    double conductor_mm;
    Maybe outerGrade1_mm, outerGrade2_mm, outerNominal_mm;
    const char* insulation;
    const char* source;
};

// The stock's texts are places in a few texts of them all, each ended by a
// NUL (the chunk times 65,536 plus the place in it), so that its rows hold no
// pointers: the loader relocates none of some 8,500 at every start, and the
// rows' pages stay untouched until a price is asked.
struct StockRow {
    std::uint32_t maker;
    std::uint32_t reference;
    std::uint32_t shape;
    std::uint32_t material;
    Maybe gap_mm;
    std::uint32_t distributor;
    std::uint32_t distributorReference;
    std::uint32_t country;
    std::uint32_t date;
    double cost;
    std::uint32_t source;
};

struct Tables {
    std::span<const CoreRow> cores;
    std::span<const MaterialRow> materials;
    std::span<const SteinmetzRow> steinmetz;
    std::span<const SaturationRow> saturation;
    std::span<const WireRow> wires;
};

Catalogue FromRows(const Tables& tables);
std::vector<StockPart> StockFromRows(std::span<const StockRow> rows,
                                     std::span<const char* const> chunks);

}  // namespace flyback::catalogue::rows
