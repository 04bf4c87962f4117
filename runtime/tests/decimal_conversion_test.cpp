// The C library's conversions, which the WebAssembly build uses, against the
// <charconv> ones of the native build: the same doubles from the same texts,
// the same 15-digit decimals from the same doubles.
#include "runtime/decimal_conversion.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cstdint>
#include <random>
#include <string>

namespace flyback::runtime::decimal {
namespace {

// "1.50000000000000e+02" and "1.5e+02" are the same decimal.
std::string Normalized(std::string_view scientific) {
    const std::size_t e = scientific.find('e');
    std::string mantissa(scientific.substr(0, e));
    while (mantissa.size() > 1 && (mantissa.back() == '0' || mantissa.back() == '.')) {
        const bool point = mantissa.back() == '.';
        mantissa.pop_back();
        if (point) break;
    }
    return mantissa + std::string(scientific.substr(e));
}

void ExpectSameScientific(double value) {
    Buffer a{}, b{};
    ASSERT_EQ(Normalized(kCharconv.scientific15(value, a)),
              Normalized(kCLibrary.scientific15(value, b)))
        << std::bit_cast<std::uint64_t>(value);
}

void ExpectSameShortest(double value) {
    Buffer a{}, b{};
    ASSERT_EQ(kCharconv.shortest(value, a), kCLibrary.shortest(value, b))
        << std::bit_cast<std::uint64_t>(value);
}

void ExpectSameParse(const std::string& text) {
    const Parsed a = kCharconv.parse(text), b = kCLibrary.parse(text);
    EXPECT_EQ(a.valid, b.valid) << text;
    EXPECT_EQ(a.outOfRange, b.outOfRange) << text;
    if (a.valid && !a.outOfRange) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(a.value), std::bit_cast<std::uint64_t>(b.value))
            << text;
    }
}

TEST(DecimalConversionTest, EdgeTextsReadTheSame) {
    for (const char* text : {"0",
                             "-0",
                             "5.",
                             ".5",
                             "0.29",
                             "1.15",
                             "9007199254740993",
                             "1.7976931348623157e308",
                             "1.7976931348623159e308",
                             "1e400",
                             "-1e400",
                             "3e-324",
                             "2e-324",
                             "1e-400",
                             "2.4703282292062328e-324",
                             "2.4703282292062327e-324",
                             "4.9406564584124654e-324",
                             "2.2250738585072011e-308",
                             "0.001e311",
                             "123456789012345678901234567890",
                             "1e",
                             ".",
                             "",
                             "1.5.3",
                             "0e99999"}) {
        ExpectSameParse(text);
    }
}

TEST(DecimalConversionTest, RandomDoublesAgree) {
    std::mt19937_64 random(20261207);
    for (int i = 0; i < 200000; ++i) {
        const auto bits = random() & 0x7FFFFFFFFFFFFFFFu;  // positive
        const double value = std::bit_cast<double>(bits);
        if (!std::isfinite(value) || value == 0) continue;
        ExpectSameScientific(value);
        if (i % 8 == 0) {  // the slower one: a fraction of the values is plenty
            ExpectSameShortest(value);
            ExpectSameShortest(-value);
        }
        Buffer buffer{};
        ExpectSameParse(std::string(kCharconv.scientific15(value, buffer)));
    }
    for (const double value : {DBL_MIN, DBL_MAX, DBL_TRUE_MIN, 0.1, 0.29, 1.15, 135.41666666666669,
                               1e15, 999999999999999.5, 0.0017578125}) {
        ExpectSameScientific(value);
    }
    // Both forms at their lengths' tie and turn, powers of two, signed zero.
    for (const double value :
         {0.0, -0.0, 1e5, 65000.0, 100000.0, 123456.0, 1e-5, 0.0001, 1e22, 1e23, 5e-324,
          9007199254740992.0, 0x1p-1022, 0x1p1000, 2.5e-07, DBL_MAX, DBL_MIN, DBL_TRUE_MIN}) {
        ExpectSameShortest(value);
    }
}

// Short decimals as typed, which mostly take the shortest-text path.
TEST(DecimalConversionTest, TypedNumbersAgree) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> digit(0, 9), length(1, 8), exponent(-30, 30);
    for (int i = 0; i < 100000; ++i) {
        std::string text;
        for (int n = length(random); n > 0; --n) text += static_cast<char>('0' + digit(random));
        text.insert(text.size() / 2, ".");
        text += "e" + std::to_string(exponent(random));
        ExpectSameParse(text);
        const Parsed parsed = kCharconv.parse(text);
        if (parsed.value > 0) ExpectSameScientific(parsed.value);
        ExpectSameShortest(parsed.value);
    }
}

}  // namespace
}  // namespace flyback::runtime::decimal
