#pragma once

#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "catalogue/csv.hpp"
#include "runtime/decimal_conversion.hpp"

// Loss fits the catalogue refuses, and why: a range its data marks as
// doubtful, and one that gives more loss than a data sheet's guaranteed
// limit allows. A refused fit is never used; the material keeps the reason
// (Material::fitsRefused) for the plan to say.
namespace flyback::catalogue {

// "200 kHz": a frequency in the unit its size reads best in.
inline std::string HertzText(double hertz) {
    using runtime::decimal::ShortestText;
    if (hertz >= 1e6) return ShortestText(hertz / 1e6) + " MHz";
    if (hertz >= 1e3) return ShortestText(hertz / 1e3) + " kHz";
    return ShortestText(hertz) + " Hz";
}

// "1 Hz–200 kHz": a fit's frequencies as a reason names them.
inline std::string RangeText(const SteinmetzRange& fit) {
    return HertzText(fit.fMinHz) + "–" + HertzText(fit.fMaxHz);
}

// `why` added to the material's reasons; nothing for an empty one.
inline void AddRefusal(Material& material, const std::string& why) {
    if (why.empty()) return;
    if (!material.fitsRefused.empty()) material.fitsRefused += "；";
    material.fitsRefused += why;
}

// A data sheet's most loss at one point: its frequency, peak flux density
// and temperature, per cubic metre.
struct LossLimit {
    std::string material;
    double f_Hz = 0, B_T = 0, celsius = 0, most_W_m3 = 0;
    std::string source;
};

// A fit may give up to this share of the limit: data sheets state a set's
// maximum, which a fit of typical parts should not pass by more.
inline constexpr double kLimitShare = 1.25;

// loss_limits.csv (material, f_Hz, B_mT, T_C, Pv_max_kW_m3, source), read by
// the rules of the catalogue's other files (records.cpp); a row that cannot be
// read is named in `problems` as "origin:line: field: why".
std::vector<LossLimit> ReadLossLimits(const CsvTable& table, const std::string& origin,
                                      std::vector<std::string>& problems);

// Each material's range that holds a limit's frequency, where it gives more
// than kLimitShare of the limit there, is refused with why.
void RefuseFitsAboveLimits(std::vector<Material>& materials, const std::vector<LossLimit>& limits);

}  // namespace flyback::catalogue
