#pragma once

#include <array>
#include <string_view>

namespace flyback::design {

struct CoreSize {
    double AreaLimit;  // cm²; also the cross-section used once the row is chosen
    std::string_view CoreType;
};

// Ferrite cores from smallest to largest centre-leg cross-section. A core fits
// when the required area is at most its limit.
inline constexpr std::array<CoreSize, 9> CoreSizeTable{{
    {0.09, "EE8.3"},
    {0.16, "EE4"},
    {0.18, "E3x6"},
    {0.25, "EE5 or E4x6"},
    {0.36, "EE6 or E5x7"},
    {0.49, "EE7 or E6x9"},
    {1.44, "EE12"},
    {2.89, "EE17"},
    {4, "EE20"},
}};

struct CoreSelection {
    const CoreSize* Core;  // the row chosen, or nullptr when none is large enough
    double CoreArea;       // cm²: the row's limit, or else the required area itself
};

// The first core whose limit is at least the required area; when none is large
// enough, the area itself is used.
CoreSelection SelectCore(double requiredCoreArea);

}  // namespace flyback::design
