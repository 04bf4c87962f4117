#include "catalogue/fit_refusals.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "catalogue/names.hpp"
#include "runtime/decimal_conversion.hpp"

namespace flyback::catalogue {
namespace {

std::string Shortest(double value) {
    return runtime::decimal::ShortestText(value);
}

}  // namespace

void RefuseFitsAboveLimits(std::vector<Material>& materials, const std::vector<LossLimit>& limits) {
    for (const LossLimit& limit : limits) {
        for (Material& m : materials) {
            if (NameKey(m.name) != NameKey(limit.material)) continue;
            const SteinmetzRange* fit = FitAt(m, limit.f_Hz);
            if (!fit) continue;
            const std::optional<double> density =
                LossDensity(m, limit.f_Hz, limit.B_T, limit.celsius);
            if (!density || *density <= kLimitShare * limit.most_W_m3) continue;
            AddRefusal(m, RangeText(*fit) + " 的拟合在 " + HertzText(limit.f_Hz) + "、" +
                              Shortest(limit.B_T * 1000) + " mT、" + Shortest(limit.celsius) +
                              " °C 给出 " + Shortest(std::round(*density / 1000)) +
                              " kW/m³，超过规格书上限 " + Shortest(limit.most_W_m3 / 1000) +
                              " kW/m³ 的 " + Shortest(kLimitShare) + " 倍（" + limit.source + "）");
            const auto at = static_cast<std::size_t>(fit - m.steinmetz.data());
            m.steinmetz.erase(m.steinmetz.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
}

}  // namespace flyback::catalogue
