#pragma once

#include <string>
#include <string_view>

namespace flyback::record {

// Numbers written for people, as an engineer's design sheet writes them: four
// significant digits, trailing zeros dropped, an SI prefix for the units that
// take one, from femto to giga (H, A, V, Hz, J, W, Ω, F, s: 434.6 µH, 100 kHz,
// 2.773 A, 760 pF; a power of ten beyond them) and units as Chinese
// engineers write them (匝 for turns, Gs for gauss); plain units keep the
// number plain (0.5196 cm², 2500 Gs, 0.375), with a power of ten outside
// 0.001 to 999999 (1.578×10⁸ Gs·cm). A not-a-number, a quantity not reached,
// is "—". Full precision stays where programs read values: --details and the
// value column of the tab-separated copy.
std::string ReadableValue(double value, std::string_view unit);

// The number alone, four digits, no prefix: for formulas with numbers put in.
std::string ReadableNumber(double value);

// The unit as people read it: "匝" for "turns", "Gs" for "gauss".
std::string_view ReadableUnit(std::string_view unit);

// The prefixed unit a scale of values around `magnitude` is best read in, and
// what to divide them by: 4×10⁻⁴ H is read in µH (0.000001). A unit that
// takes no prefix is returned as people read it, with 1.
struct UnitScale {
    std::string unit;
    double divisor = 1;
};
UnitScale ScaleFor(double magnitude, std::string_view unit);

}  // namespace flyback::record
