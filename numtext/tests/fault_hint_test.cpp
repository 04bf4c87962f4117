#include "numtext/fault_hint.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace flyback::numtext {
namespace {

using enum InputProblem;

struct HintCase {
    std::string name;
    InputTexts inputs;
    std::optional<int> input;
    InputProblem problem = EmptyOrZero;
    friend void PrintTo(const HintCase& c, std::ostream* os) { *os << c.name; }
};

class SuspectInputTest : public testing::TestWithParam<HintCase> {};

TEST_P(SuspectInputTest, BlamesThePlainCause) {
    const HintCase& c = GetParam();
    const std::optional<InputHint> hint = SuspectInput(c.inputs);
    ASSERT_EQ(hint.has_value(), c.input.has_value());
    if (!hint) return;
    EXPECT_EQ(hint->input, *c.input);
    EXPECT_EQ(hint->problem, c.problem);
}

INSTANTIATE_TEST_SUITE_P(
    All, SuspectInputTest,
    testing::Values(
        HintCase{"EmptyFrequency", {"60", "368", "200", "", "75", "5"}, 3, EmptyOrZero},
        HintCase{"EverythingEmpty", {"", "", "", "", "", ""}, 3, EmptyOrZero},
        HintCase{"NegativePower", {"-60", "368", "200", "20", "75", "5"}, 0, Negative},
        HintCase{"NegativeFrequency", {"60", "368", "200", "-20", "75", "5"}, 3, Negative},
        HintCase{"ZeroPower", {"0", "368", "200", "20", "75", "5"}, 0, EmptyOrZero},
        HintCase{"ZeroMaxVoltage", {"60", "0", "200", "20", "75", "5"}, 1, EmptyOrZero},
        HintCase{"ZeroMinVoltage", {"60", "368", "", "20", "75", "5"}, 2, EmptyOrZero},
        HintCase{"ZeroEfficiency", {"60", "368", "200", "20", "x", "5"}, 4, EmptyOrZero},
        HintCase{"OutputVoltageUnreadable", {"60", "368", "200", "20", "75", "1e999"}, 5, TooLarge},
        HintCase{"FrequencyTooLargeToScale", {"60", "368", "200", "1e306", "75", "5"}, 3, TooLarge},
        HintCase{"NoSingleCause", {"60", "1e308", "200", "20", "75", "5"}, std::nullopt}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace flyback::numtext
