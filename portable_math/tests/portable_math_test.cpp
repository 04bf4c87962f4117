// musl's functions as this build compiles them: exact where the answer is
// representable, and within an ulp or two of the C library's everywhere the
// plan takes them (ten for the gamma function, a constant of the core loss);
// the two may round differently, which is why this copy is kept.
#include "portable_math/portable_math.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace flyback::portable_math {
namespace {

TEST(PortableMathTest, ExactWhereTheAnswerIsRepresentable) {
    EXPECT_EQ(Exp(0), 1);
    EXPECT_EQ(Pow(2, 10), 1024);
    EXPECT_EQ(Pow(10, -1), 0.1);
    EXPECT_EQ(Pow(4, 0.5), 2);
    EXPECT_EQ(Log(1), 0);
    EXPECT_EQ(Sin(0), 0);
    EXPECT_EQ(Cos(0), 1);
    EXPECT_EQ(Sinh(0), 0);
    EXPECT_EQ(Cosh(0), 1);
    EXPECT_EQ(Gamma(5), 24);
    EXPECT_EQ(Gamma(1), 1);
    EXPECT_EQ(Exp(1), std::numbers::e);
    EXPECT_EQ(Pow(2, 0.5), std::numbers::sqrt2);
    EXPECT_EQ(Gamma(0.5), std::sqrt(std::numbers::pi));
    EXPECT_EQ(Acos(-1), std::numbers::pi);
    EXPECT_EQ(Asin(1), std::numbers::pi / 2);
    EXPECT_EQ(Atan(1), std::numbers::pi / 4);
}

double Ulps(double a, double b) {
    if (a == b) return 0;
    return std::abs(a - b) / std::abs(std::nextafter(b, INFINITY) - b);
}

// Over the spans the plan uses: flux swings and frequencies in Steinmetz's
// powers, Dowell's Δ up to its asymptote, the harmonics' phases up to the
// 20000th, the gap's logarithm, the cosine integral's gamma.
TEST(PortableMathTest, WithinTwoUlpsOfTheCLibrary) {
    const struct {
        const char* name;
        double (*ours)(double);
        double (*library)(double);
        double from, to;
        double ulps = 2;
    } cases[] = {
        {"exp", Exp, [](double x) { return std::exp(x); }, -700, 700},
        {"log", Log, [](double x) { return std::log(x); }, 1e-300, 1e300},
        {"sin", Sin, [](double x) { return std::sin(x); }, -130000, 130000},
        {"cos", Cos, [](double x) { return std::cos(x); }, -130000, 130000},
        {"sinh", Sinh, [](double x) { return std::sinh(x); }, -80, 80},
        {"cosh", Cosh, [](double x) { return std::cosh(x); }, -80, 80},
        {"asin", Asin, [](double x) { return std::asin(x); }, -1, 1},
        {"acos", Acos, [](double x) { return std::acos(x); }, -1, 1},
        {"atan", Atan, [](double x) { return std::atan(x); }, -1e6, 1e6},
        {"tgamma", Gamma, [](double x) { return std::tgamma(x); }, 0.5, 3,
         10},  // musl's is coarser
        {"pow 0.826", [](double x) { return Pow(x, 0.826); },
         [](double x) { return std::pow(x, 0.826); }, 1e-6, 1e6},
        {"pow 2.7", [](double x) { return Pow(x, 2.7); }, [](double x) { return std::pow(x, 2.7); },
         1e-3, 1},
    };
    for (const auto& c : cases) {
        double worst = 0;
        const int steps = 20000;
        for (int i = 0; i <= steps; ++i) {
            const double x = c.from + (c.to - c.from) * i / steps;
            if (x <= 0 && c.from > 0) continue;
            worst = std::max(worst, Ulps(c.ours(x), c.library(x)));
        }
        EXPECT_LE(worst, c.ulps) << c.name;
    }
}

// Both at once must be each alone to the bit, or a plan that asks for both
// would differ from one that asks for each: across the small arguments
// returned as they are, the first octant, every quadrant of the reduction,
// negative arguments and the harmonics' phases far out.
TEST(PortableMathTest, SineAndCosineAtOnceAreEachAlone) {
    const double spans[][2] = {{1e-12, 1e-7}, {1e-7, 0.8}, {0.7, 7}, {-7, -0.7}, {7, 130000}};
    for (const auto& span : spans) {
        const int steps = 50000;
        for (int i = 0; i <= steps; ++i) {
            const double x = span[0] + (span[1] - span[0]) * i / steps;
            const SineCosine both = SinCos(x);
            ASSERT_EQ(both.sine, Sin(x)) << x;
            ASSERT_EQ(both.cosine, Cos(x)) << x;
        }
    }
}

}  // namespace
}  // namespace flyback::portable_math
