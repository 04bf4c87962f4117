#include "runtime/arithmetic.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include <bit>
#include <cfloat>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/error.hpp"

namespace flyback::runtime {
namespace {

using Operation = std::function<double(double, double)>;

struct FaultCase {
    std::string name;
    Operation operation;
    double a;
    double b;
    ErrorKind expected;
    friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
};

const std::vector<FaultCase>& FaultCases() {
    static const std::vector<FaultCase> cases = {
        {"NonZeroOverZero", Divide, 1, 0, ErrorKind::DivisionByZero},
        {"NegativeOverNegativeZero", Divide, -3, -0.0, ErrorKind::DivisionByZero},
        {"ZeroOverZero", Divide, 0, 0, ErrorKind::Overflow},
        {"NegativeZeroOverZero", Divide, -0.0, 0, ErrorKind::Overflow},
        {"QuotientTooLarge", Divide, DBL_MAX, 0.5, ErrorKind::Overflow},
        {"SumTooLarge", Add, DBL_MAX, DBL_MAX, ErrorKind::Overflow},
        {"DifferenceTooLarge", Subtract, -DBL_MAX, DBL_MAX, ErrorKind::Overflow},
        {"ProductTooLarge", Multiply, 1e200, 1e200, ErrorKind::Overflow},
        {"SquareTooLarge", Power, 1e160, 2, ErrorKind::Overflow},
        {"RootOfNegative", [](double a, double) { return SquareRoot(a); }, -1e-300, 0,
         ErrorKind::InvalidArgument},
        {"ScaledProductTooLarge", InlineMultiply, 1e306, 1000, ErrorKind::FloatingPoint},
        {"ScaledQuotientTooLarge", InlineDivide, DBL_MAX, 0.5, ErrorKind::FloatingPoint},
    };
    return cases;
}

class ArithmeticFaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(ArithmeticFaultTest, RaisesItsKind) {
    const FaultCase& c = GetParam();
    try {
        c.operation(c.a, c.b);
        FAIL() << "no error raised";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.kind(), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(All, ArithmeticFaultTest, testing::ValuesIn(FaultCases()),
                         [](const auto& info) { return info.param.name; });

struct ResultCase {
    std::string name;
    double actual;
    double expected;
    friend void PrintTo(const ResultCase& c, std::ostream* os) { *os << c.name; }
};

class ArithmeticResultTest : public testing::TestWithParam<ResultCase> {};

// Bit equality, so that a signed zero or a last-bit difference shows.
TEST_P(ArithmeticResultTest, IsThePlainIeeeResult) {
    const ResultCase& c = GetParam();
    EXPECT_EQ(std::bit_cast<std::uint64_t>(c.actual), std::bit_cast<std::uint64_t>(c.expected))
        << c.actual << " vs " << c.expected;
}

INSTANTIATE_TEST_SUITE_P(
    All, ArithmeticResultTest,
    testing::Values(ResultCase{"Add", Add(0.1, 0.2), 0.30000000000000004},
                    ResultCase{"Subtract", Subtract(1, 0.375), 0.625},
                    ResultCase{"ProductJustBelow29", Multiply(0.29, 100), 28.999999999999996},
                    ResultCase{"Divide", Divide(120, 320), 0.375},
                    ResultCase{"NegativeZeroOverPositive", Divide(-0.0, 5), -0.0},
                    ResultCase{"SquareIsOneRoundedProduct", Power(1.1, 2), 1.2100000000000002},
                    ResultCase{"SquareOfNegative", Power(-3, 2), 9},
                    ResultCase{"SquareUnderflowsToZero", Power(1e-200, 2), 0},
                    ResultCase{"RootOfNegativeZero", SquareRoot(-0.0), -0.0},
                    ResultCase{"Root", SquareRoot(2), 1.4142135623730951},
                    ResultCase{"FloorJustBelowInteger", Floor(28.999999999999996), 28},
                    ResultCase{"FloorNegative", Floor(-123.4), -124},
                    ResultCase{"FloorIntegral", Floor(-124), -124},
                    ResultCase{"InlineDivide", InlineDivide(75, 100), 0.75},
                    ResultCase{"InlineMultiply", InlineMultiply(20, 1000), 20000}),
    [](const auto& info) { return info.param.name; });

TEST(RuntimeErrorTest, KindsHaveStableIdsAndChineseMessages) {
    const struct {
        ErrorKind kind;
        std::string_view id;
    } kinds[] = {{ErrorKind::DivisionByZero, "division_by_zero"},
                 {ErrorKind::Overflow, "overflow"},
                 {ErrorKind::InvalidArgument, "invalid_argument"},
                 {ErrorKind::FloatingPoint, "floating_point"}};
    for (const auto& k : kinds) {
        const RuntimeError error(k.kind);
        EXPECT_EQ(error.id(), k.id);
        EXPECT_EQ(std::string_view(error.what()), ErrorKindMessage(k.kind));
        // Every message is Chinese text: non-empty and beyond ASCII.
        EXPECT_GT(static_cast<unsigned char>(error.what()[0]), 0x7F) << k.id;
    }
}

}  // namespace
}  // namespace flyback::runtime
