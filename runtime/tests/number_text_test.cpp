#include "runtime/number_text.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include <bit>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "runtime/error.hpp"

namespace flyback::runtime {
namespace {

std::uint64_t Bits(double d) {
    return std::bit_cast<std::uint64_t>(d);
}

struct ReadCase {
    std::string text;
    double expected;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class NumberFromTextTest : public testing::TestWithParam<ReadCase> {};

TEST_P(NumberFromTextTest, ReadsTheExpectedDouble) {
    const ReadCase& c = GetParam();
    const double actual = NumberFromText(c.text);
    EXPECT_EQ(Bits(actual), Bits(c.expected)) << '"' << c.text << "\" read as " << actual;
}

const std::string kFourHundredNines(400, '9');

INSTANTIATE_TEST_SUITE_P(NoNumber, NumberFromTextTest,
                         testing::Values(ReadCase{"", 0}, ReadCase{"   ", 0}, ReadCase{"abc", 0},
                                         ReadCase{".", 0}, ReadCase{"-", 0}, ReadCase{"+-5", 0},
                                         ReadCase{"e5", 0}, ReadCase{"Infinity", 0},
                                         ReadCase{"nan", 0}, ReadCase{"0x1p3", 0},
                                         ReadCase{"&H10", 0}, ReadCase{"\r5", 0}));

// What a Chinese input method types reads as the user meant it.
INSTANTIATE_TEST_SUITE_P(
    FullWidth, NumberFromTextTest,
    testing::Values(ReadCase{"６０", 60}, ReadCase{"１．５", 1.5}, ReadCase{"1。5", 1.5},
                    ReadCase{"－５", -5}, ReadCase{"＋５", 5}, ReadCase{"６０Ｗ", 60},
                    ReadCase{"１ｅ３", 1000}, ReadCase{"2Ｅ－1", 0.2},
                    ReadCase{"\u3000６\u3000０", 60}, ReadCase{"1２3", 123},
                    ReadCase{"１２３４５６７８９０１２３４５６", 1234567890123456},
                    ReadCase{"６。", 6}, ReadCase{"。５", 0.5}, ReadCase{"１，５", 1},
                    ReadCase{"ｘ", 0}, ReadCase{"，", 0}, ReadCase{"６\xEF\xBC", 6},
                    ReadCase{"\xEF\xBC\x96", 6}, ReadCase{"\xEF\xBD\x96", 0}));

INSTANTIATE_TEST_SUITE_P(
    Syntax, NumberFromTextTest,
    testing::Values(ReadCase{"60", 60}, ReadCase{"60W", 60}, ReadCase{" 60", 60},
                    ReadCase{"\t\n60\n", 60}, ReadCase{"1 000", 1000}, ReadCase{"- 5", -5},
                    ReadCase{"+5", 5}, ReadCase{"-5", -5}, ReadCase{"-0", -0.0},
                    ReadCase{"1.5.3", 1.5}, ReadCase{".5", 0.5}, ReadCase{"5.", 5},
                    ReadCase{"1,5", 1}, ReadCase{"007", 7}, ReadCase{"1e3", 1000},
                    ReadCase{"1E+3", 1000}, ReadCase{"1e-3", 0.001}, ReadCase{"1e", 1},
                    ReadCase{"1e+", 1}, ReadCase{"1ex", 1}, ReadCase{"1 e 2", 100},
                    ReadCase{"5.e1", 50}, ReadCase{"1.5e2kHz", 150}, ReadCase{"2.5E-1", 0.25},
                    ReadCase{"1d3", 1}));

INSTANTIATE_TEST_SUITE_P(
    Rounding, NumberFromTextTest,
    testing::Values(ReadCase{"0.29", 0.29}, ReadCase{"0.1", 0.1},
                    ReadCase{"9007199254740993", 9007199254740992.0},  // tie to even
                    ReadCase{"1.7976931348623157e308", DBL_MAX}, ReadCase{"0.001e311", 1e308},
                    ReadCase{"3e-324", 4.9406564584124654e-324}, ReadCase{"1e-400", 0},
                    ReadCase{"-1e-400", -0.0}, ReadCase{"2e-324", 0}, ReadCase{"0.0000001e-320", 0},
                    ReadCase{"0e99999999999999999999", 0}, ReadCase{"1e-99999999999999999999", 0}));

TEST(ReadNumberTest, TellsWhereTheNumberStoodAndWhatWasIgnored) {
    struct Case {
        std::string text;
        bool hasNumber;
        std::string number, rest;
        bool restHasDigit;
    };
    const Case cases[] = {
        {"1,5", true, "1", ",5", true},          {" ６０Ｗ", true, "６０", "Ｗ", false},
        {"1_000", true, "1", "_000", true},      {"20kHz", true, "20", "kHz", false},
        {"1 e 2 x", true, "1 e 2", " x", false}, {"abc", false, "", "abc", false},
        {"1e", true, "1", "e", false},           {"1.5.３", true, "1.5", ".３", true},
    };
    for (const Case& c : cases) {
        const NumberReading reading = ReadNumber(c.text);
        EXPECT_EQ(reading.hasNumber, c.hasNumber) << c.text;
        EXPECT_EQ(reading.number, c.number) << c.text;
        EXPECT_EQ(reading.rest, c.rest) << c.text;
        EXPECT_EQ(HasDigit(reading.rest), c.restHasDigit) << c.text;
        EXPECT_EQ(Bits(reading.value), Bits(NumberFromText(c.text))) << c.text;
    }
}

class NumberFromTextOverflowTest : public testing::TestWithParam<std::string> {};

TEST_P(NumberFromTextOverflowTest, RaisesOverflow) {
    try {
        NumberFromText(GetParam());
        FAIL() << "no error for " << GetParam();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::Overflow);
    }
}

INSTANTIATE_TEST_SUITE_P(All, NumberFromTextOverflowTest,
                         testing::Values("1e400", "-1e400", "1.7976931348623159e308",
                                         "1e99999999999999999999", "100000e304", "0.00000001e317",
                                         kFourHundredNines));

struct RenderCase {
    double value;
    std::string expected;
    friend void PrintTo(const RenderCase& c, std::ostream* os) { *os << c.value; }
};

class NumberTextTest : public testing::TestWithParam<RenderCase> {};

TEST_P(NumberTextTest, RendersTheExpectedText) {
    EXPECT_EQ(NumberText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, NumberTextTest,
    testing::Values(RenderCase{0, " 0"}, RenderCase{-0.0, " 0"}, RenderCase{588, " 588"},
                    RenderCase{1.75, " 1.75"}, RenderCase{-1.24, "-1.24"},
                    RenderCase{0.28, " 0.28"}, RenderCase{-0.01, "-0.01"}, RenderCase{100, " 100"},
                    RenderCase{0.30000000000000004, " 0.3"}, RenderCase{28.999999999999996, " 29"},
                    RenderCase{135.41, " 135.41"}, RenderCase{0.000123, " 0.000123"},
                    RenderCase{6.708203932499369, " 6.70820393249937"},
                    RenderCase{999999999999999, " 999999999999999"},
                    RenderCase{999999999999999.9, " 1E+15"}, RenderCase{1e15, " 1E+15"},
                    RenderCase{1.5e15, " 1.5E+15"}, RenderCase{-1.5e15, "-1.5E+15"},
                    RenderCase{123456789012345678.0, " 1.23456789012346E+17"},
                    RenderCase{DBL_MAX, " 1.79769313486232E+308"},
                    RenderCase{1e-15, " 0.000000000000001"}, RenderCase{1e-16, " 1E-16"},
                    RenderCase{-2.5e-20, "-2.5E-20"},
                    RenderCase{4.9406564584124654e-324, " 4.94065645841247E-324"}));

// A decimal-comma locale, as a desktop session may set it, must change neither
// reading nor writing.
class DecimalCommaLocaleTest : public testing::Test {
  protected:
    void SetUp() override {
        const auto dir = std::filesystem::temp_directory_path() / "flyback-test-locales";
        std::filesystem::create_directories(dir);
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1) GTEST_SKIP() << "localedef unavailable";
        setenv("LOCPATH", dir.c_str(), 1);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
    }
};

TEST_F(DecimalCommaLocaleTest, LeavesNumbersAlone) {
    EXPECT_EQ(NumberFromText("1.5"), 1.5);
    EXPECT_EQ(NumberFromText("1,5"), 1);
    EXPECT_EQ(NumberText(1.75), " 1.75");
    EXPECT_EQ(NumberText(1.5e15), " 1.5E+15");
}

}  // namespace
}  // namespace flyback::runtime

namespace flyback::runtime {
namespace {

// Between 1E-4 and 1E+15 the C library's "%.15g" (correctly rounded, without
// trailing zeros) must agree with NumberText digit for digit, whichever of its
// conversions NumberText takes.
std::string CReference(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return (value < 0 ? "" : " ") + std::string(buffer);
}

TEST(NumberTextAgreementTest, MatchesCorrectlyRoundedFifteenDigits) {
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<std::int64_t> hundredths(-99999999999999, 99999999999999);
    std::uniform_real_distribution<double> exponent(-4, 15);
    for (int i = 0; i < 20000; ++i) {
        const double truncated = static_cast<double>(hundredths(random)) / 100;
        ASSERT_EQ(NumberText(truncated), CReference(truncated)) << truncated;
        const double general = std::pow(10.0, exponent(random));
        if (general >= 1e15) continue;
        ASSERT_EQ(NumberText(general), CReference(general)) << general;
        ASSERT_EQ(NumberText(-general), CReference(-general)) << general;
    }
}

}  // namespace
}  // namespace flyback::runtime
