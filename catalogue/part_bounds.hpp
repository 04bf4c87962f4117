#pragma once

#include <optional>
#include <string_view>

#include "catalogue/catalogue.hpp"

namespace flyback::catalogue {

// What a part's data may be and still describe a real part. Every reader of
// parts (the built-in data, a user's files, another tool's design file) holds
// its numbers to these before any arithmetic, so a zero permeability or a
// subnormal gap is refused with its field rather than dividing by it later.
struct Bounds {
    double low = 0, high = 0;
    bool Holds(double value) const { return value >= low && value <= high; }
};

// Initial permeability: an air core's 1 to a nanocrystalline tape's 10⁵.
inline constexpr Bounds kInitialPermeability{1, 1e5};
// Saturation: below any ferrite's at its Curie point, up to silicon steel's.
inline constexpr Bounds kSaturation_mT{50, 2500};
// The temperature of a saturation point: from the coldest a part is stored
// at to beyond any ferrite's Curie point.
inline constexpr Bounds kSaturationTemperature_C{-60, 400};
// A Steinmetz fit's exponents, as published power-ferrite fits have them
// with room to spare (the data's lowest are DMR44's 0.60 and 1.18); its
// frequencies from DC to 1 GHz (fits of the data reach 600 MHz).
inline constexpr Bounds kSteinmetzAlpha{0.5, 4};
inline constexpr Bounds kSteinmetzBeta{1, 4};
inline constexpr Bounds kFitFrequency_Hz{0, 1e9};
// A fit's loss at 100 mT, 100 °C and 100 kHz (or the nearest frequency of its
// range): a coefficient that gives less than a watt or more than a gigawatt a
// cubic metre there is not a material's.
inline constexpr Bounds kReferenceLoss_W_m3{1, 1e9};
inline constexpr double kReferenceFlux_T = 0.1, kReferenceFrequency_Hz = 100e3,
                        kReferenceTemperature_C = 100;
// A core's effective parameters: a 2 mm bead's to a metre-long stack's.
inline constexpr Bounds kCoreArea_mm2{0.1, 1e5};
inline constexpr Bounds kCorePath_mm{1, 1e4};
inline constexpr Bounds kCoreVolume_mm3{0.1, 1e8};
// A window's side or a mean turn.
inline constexpr Bounds kCoreLength_mm{0.1, 1e4};
// A gap ground into a leg: a micrometre (a residual gap is ten) to 20 mm.
inline constexpr Bounds kGap_mm{1e-3, 20};

// A field outside its bounds: its name as the CSV files have it, the value
// and the bounds (for "k", the fit's loss at the reference point in W/m³);
// empty where every field holds.
struct PartProblem {
    std::string_view field;
    double value = 0;
    Bounds bounds;
    explicit operator bool() const { return !field.empty(); }
};

// A material's fits: each coefficient and exponent, the frequencies, the loss
// at the reference point, and a temperature factor that is positive there
// (where the data gives one).
PartProblem CheckMaterial(const Material& material);
// A single fit, as CheckMaterial holds each.
PartProblem CheckFit(const SteinmetzRange& fit);
// A core's effective area, minimum area, path and volume; and those with its
// window and mean turn.
PartProblem CheckEffective(const Core& core);
PartProblem CheckCore(const Core& core);

}  // namespace flyback::catalogue
