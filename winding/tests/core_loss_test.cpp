// The improved generalised Steinmetz equation against what is known of it
// apart from its formula: with α = 1 (hysteresis alone) every triangle loses
// what the sine of the same swing loses; with α = 2 (eddy currents) a 50 %
// triangle loses 8 ÷ π² of the sine's, as a triangle's dB/dt squared averages;
// a steeper ramp loses more.
#include "winding/core_loss.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace flyback::winding {
namespace {

catalogue::Material WithSteinmetz(double alpha, double beta) {
    catalogue::Material m;
    m.name = "test";
    m.steinmetz.push_back({1e3, 1e6, 2.5, alpha, beta, std::nullopt, std::nullopt, std::nullopt});
    return m;
}

TEST(CoreLossTest, TriangleAgainstTheSineOfTheSameSwing) {
    const struct {
        double alpha, rise, fall, ratio;
    } cases[] = {
        {1, 0.5, 0.5, 1},
        {1, 0.2, 0.5, 1},  // idle time, still as the sine: hysteresis counts swings only
        {2, 0.5, 0.5, 8 / (std::numbers::pi * std::numbers::pi)},
    };
    for (const auto& c : cases) {
        const catalogue::Material m = WithSteinmetz(c.alpha, 2.6);
        const double sine = *catalogue::LossDensity(m, 1e5, 0.1, 100);
        const double ramps = *TriangleLossDensity(m, 1e5, 0.2, c.rise, c.fall, 100);
        EXPECT_NEAR(ramps / sine, c.ratio, 1e-12) << c.alpha << " " << c.rise;
    }
    const catalogue::Material ferrite = WithSteinmetz(1.4, 2.6);
    EXPECT_GT(*TriangleLossDensity(ferrite, 1e5, 0.2, 0.1, 0.5, 100),
              *TriangleLossDensity(ferrite, 1e5, 0.2, 0.4, 0.5, 100));
    EXPECT_FALSE(TriangleLossDensity(ferrite, 1e7, 0.2, 0.4, 0.5, 100));  // no fit there
}

}  // namespace
}  // namespace flyback::winding
