// Dowell's factor against what is known of it apart from its formula: the
// published curves, its low-frequency and high-frequency limits; the
// harmonic sum against a sine and a square wave.
#include "winding/ac_resistance.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "portable_math/portable_math.hpp"

namespace flyback::winding {
namespace {

// Read off Dowell's Fig. 5 (1966) at a penetration ratio of one: 1.09 for one
// layer, 1.41 for two, 1.94 for three.
TEST(AcResistanceTest, DowellsCurvesAtOneSkinDepth) {
    const struct { double layers, Fr; } points[] = {{1, 1.09}, {2, 1.41}, {3, 1.94}};
    for (const auto& p : points) EXPECT_NEAR(DowellFactor(1, p.layers), p.Fr, 0.01) << p.layers;
}

// Thin layers: Fr ≈ 1 + (5m² − 1) Δ⁴ ÷ 45; thick ones: Fr → Δ (2m² + 1) ÷ 3.
TEST(AcResistanceTest, ItsLimitsAtLowAndHighFrequency) {
    for (const double m : {1.0, 2.0, 4.0, 8.0}) {
        const double thin = 0.1;
        EXPECT_NEAR(DowellFactor(thin, m), 1 + (5 * m * m - 1) * std::pow(thin, 4) / 45, 1e-6) << m;
        const double thick = 20;
        EXPECT_NEAR(DowellFactor(thick, m) / (thick * (2 * m * m + 1) / 3), 1, 1e-6) << m;
    }
    EXPECT_EQ(DowellFactor(0, 3), 1);
}

// A square wave of duty ½ between 0 and 2 A: 1 A of DC, its odd harmonics
// (8 ÷ π² of the rest at the fundamental); with no eddy currents (Δ → 0) the
// ratio is one; a triangle converges with few harmonics.
TEST(AcResistanceTest, TheHarmonicSumOfKnownWaveforms) {
    const std::vector<Ramp> square = {{0, 0.5, 2, 2}};
    EXPECT_NEAR(AcToDc(square, 1e-6, 3).ratio, 1, 1e-9);
    const AcLoss ac = AcToDc(square, 1, 1);
    // DC half the square, the fundamental 8/π² of the other half at Fr(1).
    EXPECT_GT(ac.ratio, 0.5 + 0.5 * 8 / (M_PI * M_PI) * DowellFactor(1, 1));
    EXPECT_GT(ac.harmonics, 100);
    const AcLoss ramp = AcToDc(PrimaryWaveform(1, 0, 0.4), 0.5, 2);
    EXPECT_GT(ramp.ratio, 1);
    EXPECT_LT(ramp.harmonics, 2000);
    EXPECT_TRUE(std::isfinite(AcToDc(SecondaryWaveform(3, 1, 0.4, 0.6), 2, 5).ratio));
}

// Far up a waveform's series the conductor is many skin depths thick: the
// factor is Δ × (1 + 2(m² − 1) ÷ 3), the formula's own value to within its
// rounding, where the hyperbolic functions would overflow to NaN past Δ ≈ 355.
TEST(AcResistanceTest, ThickLayersTakeTheAsymptoteExactly) {
    const auto full = [](double d, double m) {
        using namespace portable_math;
        const double skin = (Sinh(2 * d) + Sin(2 * d)) / (Cosh(2 * d) - Cos(2 * d));
        const double proximity = (Sinh(d) - Sin(d)) / (Cosh(d) + Cos(d));
        return d * (skin + 2 * (m * m - 1) / 3 * proximity);
    };
    for (const double m : {1.0, 2.0, 7.0}) {
        for (const double d : {39.0, 60.5, 200.0, 354.0})
            EXPECT_NEAR(DowellFactor(d, m), full(d, m), 4e-16 * full(d, m)) << d;
        for (const double d : {400.0, 5000.0}) {
            EXPECT_TRUE(std::isfinite(DowellFactor(d, m)));
            EXPECT_EQ(DowellFactor(d, m), d * (1 + 2 * (m * m - 1) / 3));
        }
    }
}

// Dowell's factor grows with Δ, so the floor from a few harmonics (in blocks
// past a dozen) never passes the full sum at Δ or above, whatever the
// waveform, and meets the full sum where those harmonics already hold the
// share summed.
TEST(AcResistanceTest, TheFloorNeverPassesTheFullSum) {
    const std::vector<Ramp> waveforms[] = {
        PrimaryWaveform(1, 0, 0.4),           // a triangle, ending in a step
        PrimaryWaveform(1.5, 0.9, 0.6),       // continuous conduction
        SecondaryWaveform(3, 0, 0.45, 0.5),   // reset with idle time
        SecondaryWaveform(2, 1.2, 0.3, 0.7),  // continuous, no idle time
        {{0, 1, 1, 1}},                       // direct current
        {{0, 0.5, 0, 1}, {0.5, 1, 1, 0}},     // a symmetric triangle: few harmonics
        // Two triangles a period: no fundamental, the energy in the second
        // harmonic, which a floor of one harmonic must still count.
        {{0, 0.25, 0, 1}, {0.25, 0.5, 1, 0}, {0.5, 0.75, 0, 1}, {0.75, 1, 1, 0}},
    };
    for (const auto& waveform : waveforms) {
        for (const double layers : {1.0, 2.0, 5.0, 12.0}) {
            for (const double delta : {0.0, 0.005, 0.3, 1.0, 2.5, 12.0, 39.0, 80.0}) {
                const double full = AcToDc(waveform, delta, layers).ratio;
                for (const int harmonics : {1, 12, 64, 512}) {  // in blocks past a dozen
                    const double floor = AcToDcFloor(waveform, delta, layers, harmonics);
                    EXPECT_LE(floor, full * (1 + 1e-12)) << delta << " " << layers;
                    EXPECT_LE(AcToDcFloor(waveform, delta * 0.9, layers, harmonics), floor);
                    EXPECT_GE(floor, 1 - 1e-12) << delta << " " << harmonics;
                }
            }
        }
    }
    const std::vector<Ramp> triangle = {{0, 0.5, 0, 1}, {0.5, 1, 1, 0}};
    EXPECT_DOUBLE_EQ(AcToDcFloor(triangle, 0.7, 3), AcToDc(triangle, 0.7, 3).ratio);
}

TEST(AcResistanceTest, TheFoilEquivalentOfRoundWire) {
    // 0.5 mm wire filling the width, one skin depth 0.5 mm: Δ = √(π/4).
    EXPECT_NEAR(PenetrationRatio(0.5, 20, 10, 0.5), std::sqrt(M_PI / 4), 1e-12);
    // Half the width filled: √½ of it.
    EXPECT_NEAR(PenetrationRatio(0.5, 10, 10, 0.5), std::sqrt(M_PI / 8), 1e-12);
}

}  // namespace
}  // namespace flyback::winding

namespace flyback::winding {
namespace {

// The harmonic series are kept per thread, a few recent ones and a bounded
// map: a memo of a pure function. Each thread, in its own order and with
// more waveforms than are kept (so that old ones are evicted and asked
// again), gets exactly what a fresh computation gives.
TEST(AcResistanceTest, TheKeptSeriesAnswerAsAFreshOneInEveryThread) {
    std::vector<std::vector<Ramp>> waveforms;
    for (int i = 0; i < 24; ++i) {
        const double duty = 0.2 + 0.02 * i;
        waveforms.push_back(i % 2 ? PrimaryWaveform(1 + 0.1 * i, 0.3 * (i % 3), duty)
                                  : SecondaryWaveform(5 + i, 0, duty, 1 - duty));
    }
    struct Answer {
        double ratio, floor;
    };
    const auto answer = [&](const std::vector<Ramp>& w) {
        return Answer{AcToDc(w, 1.3, 3).ratio, AcToDcFloor(w, 1.3, 3)};
    };
    std::vector<Answer> expected;
    expected.reserve(waveforms.size());
    for (const auto& w : waveforms) expected.push_back(answer(w));
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    threads.reserve(wrong.size());
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) {
                for (std::size_t k = 0; k < waveforms.size(); ++k) {
                    const std::size_t i = (k * (t + 5) + round) % waveforms.size();
                    const Answer got = answer(waveforms[i]);
                    wrong[t] += got.ratio != expected[i].ratio || got.floor != expected[i].floor;
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace flyback::winding
