#include <gtest/gtest.h>

#include <ostream>

#include <bit>
#include <cfloat>
#include <cstdint>

#include "numtext/run_calculation.hpp"
#include "runtime/error.hpp"

namespace flyback::numtext {
namespace {

struct Fix1Case {
    double value;
    double expected;
    friend void PrintTo(const Fix1Case& c, std::ostream* os) { *os << c.value; }
};

class Fix1Test : public testing::TestWithParam<Fix1Case> {};

TEST_P(Fix1Test, TruncatesTowardMinusInfinity) {
    const Fix1Case& c = GetParam();
    EXPECT_EQ(std::bit_cast<std::uint64_t>(fix1(c.value)), std::bit_cast<std::uint64_t>(c.expected))
        << "fix1(" << c.value << ") = " << fix1(c.value);
}

INSTANTIATE_TEST_SUITE_P(All, Fix1Test,
                         testing::Values(Fix1Case{2.7733, 2.77}, Fix1Case{-1.234, -1.24},
                                         Fix1Case{0.29, 0.28}, Fix1Case{1.15, 1.14},
                                         Fix1Case{588, 588}, Fix1Case{0.005, 0},
                                         Fix1Case{0.0099999, 0}, Fix1Case{-0.001, -0.01},
                                         Fix1Case{0, 0}, Fix1Case{-0.0, -0.0},
                                         Fix1Case{135.41666666666669, 135.41},
                                         Fix1Case{6.206597222222223, 6.2}, Fix1Case{1e300, 1e300}));

TEST(Fix1Test, OverflowsWhenHundredTimesTheValueIsTooLarge) {
    try {
        fix1(DBL_MAX / 50);
        FAIL() << "no error";
    } catch (const runtime::RuntimeError& error) {
        EXPECT_EQ(error.kind(), runtime::ErrorKind::Overflow);
    }
}

}  // namespace
}  // namespace flyback::numtext
