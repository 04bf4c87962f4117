#include "catalogue/part_bounds.hpp"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "portable_math/portable_math.hpp"

namespace flyback::catalogue {
namespace {

PartProblem Outside(std::string_view field, double value, Bounds bounds) {
    if (bounds.Holds(value)) return {};  // NaN fails Holds and is refused
    return {field, value, bounds};
}

PartProblem Outside(std::string_view field, const std::optional<double>& value, Bounds bounds) {
    return value ? Outside(field, *value, bounds) : PartProblem{};
}

PartProblem FirstOf(std::initializer_list<PartProblem> problems) {
    for (const PartProblem& problem : problems) {
        if (problem) return problem;
    }
    return {};
}

// The fit's loss at the reference point, its temperature factor applied
// where the data gives one.
double ReferenceLoss(const SteinmetzRange& fit) {
    const double hertz = std::clamp(kReferenceFrequency_Hz, fit.fMinHz, fit.fMaxHz);
    double density = fit.k * portable_math::Pow(hertz, fit.alpha) *
                     portable_math::Pow(kReferenceFlux_T, fit.beta);
    if (fit.ct0 && fit.ct1 && fit.ct2) {
        const double t = kReferenceTemperature_C;
        density *= *fit.ct2 * t * t - *fit.ct1 * t + *fit.ct0;
    }
    return density;
}

}  // namespace

PartProblem CheckFit(const SteinmetzRange& fit) {
    if (PartProblem p = FirstOf({Outside("f_min_Hz", fit.fMinHz, kFitFrequency_Hz),
                                 Outside("f_max_Hz", fit.fMaxHz, kFitFrequency_Hz),
                                 Outside("alpha", fit.alpha, kSteinmetzAlpha),
                                 Outside("beta", fit.beta, kSteinmetzBeta)}))
        return p;
    if (!(fit.fMinHz < fit.fMaxHz))
        return {"f_max_Hz", fit.fMaxHz, {fit.fMinHz, kFitFrequency_Hz.high}};
    // The coefficient and the temperature factor are judged by what they give
    // together: a material's loss at the reference point (a coefficient of
    // nought or below gives none).
    return Outside("k", ReferenceLoss(fit), kReferenceLoss_W_m3);
}

PartProblem CheckMaterial(const Material& material) {
    if (PartProblem p = FirstOf({Outside("mu_i", material.mu_i, kInitialPermeability),
                                 Outside("Bsat_25C_mT", material.Bsat_25C_mT, kSaturation_mT),
                                 Outside("Bsat_100C_mT", material.Bsat_100C_mT, kSaturation_mT)}))
        return p;
    for (const SaturationPoint& point : material.saturation) {
        if (PartProblem p =
                FirstOf({Outside("saturation_C", point.celsius, kSaturationTemperature_C),
                         Outside("saturation_mT", point.mT, kSaturation_mT)}))
            return p;
    }
    for (const SteinmetzRange& fit : material.steinmetz) {
        if (PartProblem p = CheckFit(fit)) return p;
    }
    return {};
}

PartProblem CheckEffective(const Core& core) {
    return FirstOf({Outside("Ae_mm2", core.Ae_mm2, kCoreArea_mm2),
                    Outside("Amin_mm2", core.Amin_mm2, kCoreArea_mm2),
                    Outside("le_mm", core.le_mm, kCorePath_mm),
                    Outside("Ve_mm3", core.Ve_mm3, kCoreVolume_mm3)});
}

PartProblem CheckCore(const Core& core) {
    if (PartProblem p = CheckEffective(core)) return p;
    return FirstOf({Outside("winding_width_mm", core.winding_width_mm, kCoreLength_mm),
                    Outside("winding_height_mm", core.winding_height_mm, kCoreLength_mm),
                    Outside("MLT_mm", core.MLT_mm, kCoreLength_mm)});
}

}  // namespace flyback::catalogue
