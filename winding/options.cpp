#include "winding/options.hpp"

#include <cmath>

namespace flyback::winding {
namespace {

bool Within(double value, double low, double high) {
    return std::isfinite(value) && value > low && value <= high;
}

}  // namespace

std::string OptionsProblem(const Options& o, const catalogue::Catalogue& parts) {
    if (!o.core.empty() && parts.FindCore(o.core) == nullptr) {
        return "no core \"" + o.core + "\" in the catalogue (see --cores)";
    }
    for (const std::string& family : o.families) {
        bool known = false;
        for (const catalogue::Core& core : parts.cores) known = known || core.family == family;
        if (!known) return "no core family \"" + family + "\" in the catalogue";
    }
    if (parts.FindMaterial(o.material) == nullptr) {
        return "no material \"" + o.material + "\" in the catalogue (see --materials)";
    }
    if (!Within(o.Bmax_T, 0, 1)) return "--bmax must be above 0 and at most 1 T";
    if (!Within(o.J_A_mm2, 0, 100))
        return "--current-density must be above 0 and at most 100 A/mm²";
    if (!Within(o.fillMax, 0, 1)) return "--fill must be above 0 and at most 1";
    if (o.Vaux_V && !Within(*o.Vaux_V, 0, 1000)) return "--vaux must be above 0 and at most 1000 V";
    if (!Within(o.leakage, 0, 0.5)) return "--leakage must be above 0 and at most 0.5";
    if (!Within(o.ambient_C, -60, 150)) return "--ambient must be above -60 and at most 150 °C";
    return {};
}

}  // namespace flyback::winding
