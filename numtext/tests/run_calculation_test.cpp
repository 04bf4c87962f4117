#include "numtext/run_calculation.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "numtext/boxes.hpp"
#include "runtime/error.hpp"

namespace flyback::numtext {
namespace {

using runtime::ErrorKind;
using Writes = std::vector<std::pair<int, std::string>>;

struct Outcome {
    Writes writes;  // (box, text) in the order written
    std::optional<ErrorKind> error;
};

Outcome Press(const InputTexts& inputs) {
    Outcome outcome;
    try {
        RunCalculation(inputs, [&](int box, std::string_view text) {
            outcome.writes.emplace_back(box, std::string(text));
        });
    } catch (const runtime::RuntimeError& error) {
        outcome.error = error.kind();
    }
    return outcome;
}

const InputTexts kDefaults = {"60", "368", "200", "20", "75", "5"};

TEST(RunCalculationTest, WorkedExampleBoxByBox) {
    const Outcome outcome = Press(kDefaults);
    EXPECT_FALSE(outcome.error);
    const Writes expected = {{0, "EE12"},    {4, " 588"},  {6, " 1.75mH"}, {5, " 2.77"},
                             {2, " 135.41"}, {1, " 1.88"}, {3, " 6.2"}};
    EXPECT_EQ(outcome.writes, expected);
}

TEST(RunCalculationTest, SamePressTwiceGivesSameTexts) {
    EXPECT_EQ(Press(kDefaults).writes, Press(kDefaults).writes);
}

TEST(RunCalculationTest, InputsAreReadAsTyped) {
    const InputTexts typed = {" 60W", "368 V", "2e2", "20kHz", "75%", "5.0"};
    EXPECT_EQ(Press(typed).writes, Press(kDefaults).writes);
}

TEST(RunCalculationTest, AreaAboveEveryCoreShowsAllDigits) {
    const Outcome outcome = Press({"100", "368", "200", "1", "75", "5"});
    ASSERT_FALSE(outcome.writes.empty());
    EXPECT_EQ(outcome.writes[0], std::make_pair(0, std::string("截面积为: 6.70820393249937")));
    EXPECT_EQ(outcome.writes.size(), 7u);
}

struct InductanceCase {
    double henry;
    std::string text;
    friend void PrintTo(const InductanceCase& c, std::ostream* os) { *os << c.henry; }
};

class InductanceTextTest : public testing::TestWithParam<InductanceCase> {};

TEST_P(InductanceTextTest, ChoosesTheUnitStrictlyAboveOneMillihenry) {
    design::DesignResults results;
    results.PrimaryInductance = GetParam().henry;
    EXPECT_EQ(ResultText(design::Published::PrimaryInductance, results), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    All, InductanceTextTest,
    testing::Values(InductanceCase{0.0017578125, " 1.75mH"}, InductanceCase{0.001, " 1000uH"},
                    InductanceCase{0.0010000000000000002, " 1mH"},
                    InductanceCase{0.00047, " 470uH"}, InductanceCase{0, " 0uH"},
                    InductanceCase{-0.002, "-2000uH"}, InductanceCase{0.000000001, " 0uH"}));

struct FaultCase {
    std::string name;
    InputTexts inputs;
    Writes writes;
    ErrorKind kind;
    friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
};

class RunCalculationFaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(RunCalculationFaultTest, KeepsTheTextsWrittenBeforeTheFault) {
    const FaultCase& c = GetParam();
    const Outcome outcome = Press(c.inputs);
    EXPECT_EQ(outcome.writes, c.writes);
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(*outcome.error, c.kind);
}

INSTANTIATE_TEST_SUITE_P(
    All, RunCalculationFaultTest,
    testing::Values(FaultCase{"EmptyFrequency",
                              {"60", "368", "200", "", "75", "5"},
                              {},
                              ErrorKind::DivisionByZero},
                    FaultCase{"EverythingEmpty", {"", "", "", "", "", ""}, {}, ErrorKind::Overflow},
                    FaultCase{"NegativePower",
                              {"-60", "368", "200", "20", "75", "5"},
                              {},
                              ErrorKind::InvalidArgument},
                    FaultCase{"NegativeFrequency",
                              {"60", "368", "200", "-20", "75", "5"},
                              {},
                              ErrorKind::InvalidArgument},
                    FaultCase{"ZeroPower",
                              {"0", "368", "200", "20", "75", "5"},
                              {{0, "EE8.3"}, {4, " 588"}},
                              ErrorKind::DivisionByZero},
                    FaultCase{"ZeroMaxAndMinVoltage",
                              {"60", "0", "0", "20", "75", "5"},
                              {{0, "EE12"}, {4, " 0"}},
                              ErrorKind::Overflow},
                    FaultCase{"ZeroMaxVoltage",
                              {"60", "0", "200", "20", "75", "5"},
                              {{0, "EE12"}, {4, " 0"}, {6, " 0uH"}},
                              ErrorKind::DivisionByZero},
                    FaultCase{"ZeroEfficiency",
                              {"60", "368", "200", "20", "junk", "5"},
                              {{0, "EE12"}, {4, " 588"}, {6, " 0uH"}},
                              ErrorKind::DivisionByZero},
                    FaultCase{"ZeroMinVoltage",
                              {"60", "368", "", "20", "75", "5"},
                              {{0, "EE12"}, {4, " 588"}, {6, " 0uH"}},
                              ErrorKind::DivisionByZero},
                    FaultCase{"PowerTooLargeToRead",
                              {"1e400", "368", "200", "20", "75", "5"},
                              {},
                              ErrorKind::Overflow},
                    FaultCase{"OutputVoltageTooLargeToRead",
                              {"60", "368", "200", "20", "75", "2e308"},
                              {},
                              ErrorKind::Overflow},
                    FaultCase{"FrequencyScalingOverflows",
                              {"60", "368", "200", "1e306", "75", "5"},
                              {},
                              ErrorKind::FloatingPoint},
                    FaultCase{"TruncationOverflows",
                              {"60", "1.4e306", "200", "20", "75", "5"},
                              {{0, "EE12"}},
                              ErrorKind::Overflow},
                    FaultCase{"InductanceScalingOverflows",
                              {"1e-6", "368", "200", "20", "1e303", "5"},
                              {{0, "EE8.3"}, {4, " 588"}},
                              ErrorKind::Overflow}),
    [](const auto& info) { return info.param.name; });

TEST(ResultBoxesTest, EveryPublishedResultHasItsOwnCaptionedBox) {
    std::vector<bool> used(kResultCount, false);
    for (int i = 0; i < design::kPublishedCount; ++i) {
        const int box = ResultBox(static_cast<design::Published>(i));
        ASSERT_GE(box, 0);
        ASSERT_LT(box, kResultCount);
        EXPECT_FALSE(used[box]) << "box " << box << " used twice";
        used[box] = true;
        EXPECT_FALSE(ResultCaption(box).empty()) << "box " << box;
    }
}

}  // namespace
}  // namespace flyback::numtext
