#include "cross_regulation/cross_regulation.hpp"

#include <algorithm>

#include "cross_regulation/steady_state.hpp"

namespace flyback::cross_regulation {

std::vector<std::vector<bool>> CornersOf(std::size_t rails) {
    std::vector<std::vector<bool>> corners;
    if (rails <= kMostRailsInFull) {
        // Counted down from all full, the first rail the slowest to change.
        for (std::size_t m = std::size_t{1} << rails; m-- > 0;) {
            std::vector<bool> full(rails);
            for (std::size_t k = 0; k < rails; ++k) full[k] = (m >> (rails - 1 - k)) & 1;
            corners.push_back(full);
        }
        return corners;
    }
    corners.emplace_back(rails, true);
    corners.emplace_back(rails, false);
    for (std::size_t k = 0; k < rails; ++k) {
        std::vector<bool> alone(rails, true);
        alone[k] = false;
        corners.push_back(alone);
        alone.flip();
        corners.push_back(alone);
    }
    return corners;
}

std::optional<Regulation> CrossRegulation(const winding::Plan& plan) {
    const std::optional<Circuit> circuit = CircuitOf(plan);
    if (!circuit || circuit->rails.size() < 2) return std::nullopt;
    Regulation r;
    r.rails = circuit->rails;
    const std::size_t n = r.rails.size();
    std::optional<SteadyState> last;
    for (const std::vector<bool>& full : CornersOf(n)) {
        // A rail whose least load is its full one (an unloaded bias) has one corner.
        bool same = false;
        for (std::size_t k = 0; k < n; ++k)
            same = same || (!full[k] && r.rails[k].I_min_A == r.rails[k].I_full_A);
        if (same) continue;
        LoadCorner corner{full, {}, {}};
        std::vector<double> load_ohm;
        for (std::size_t k = 0; k < n; ++k) {
            const Rail& rail = r.rails[k];
            corner.I_A.push_back(full[k] ? rail.I_full_A : rail.I_min_A);
            load_ohm.push_back(corner.I_A.back() > 0 ? rail.V_set / corner.I_A.back()
                                                     : kUnloadedBias_ohm);
        }
        // From the corner before where it settled: the next differs in a load or two.
        std::optional<SteadyState> settled = Settle(*circuit, load_ohm, last ? &*last : nullptr);
        if (!settled && last) settled = Settle(*circuit, load_ohm);
        if (settled) {
            corner.V = settled->V;
            last = settled;
        }
        r.corners.push_back(corner);
    }
    for (std::size_t k = 0; k < n; ++k) {
        double low = 0, high = 0;
        bool any = false;
        for (const LoadCorner& corner : r.corners) {
            if (corner.V.empty()) continue;
            low = any ? std::min(low, corner.V[k]) : corner.V[k];
            high = any ? std::max(high, corner.V[k]) : corner.V[k];
            any = true;
        }
        const double set = r.rails[k].V_set;
        r.lowest_V.push_back(low);
        r.highest_V.push_back(high);
        r.lowest_pct.push_back(any ? (low - set) / set * 100 : 0);
        r.highest_pct.push_back(any ? (high - set) / set * 100 : 0);
    }
    return r;
}

}  // namespace flyback::cross_regulation
