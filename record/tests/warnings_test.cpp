#include "record/warnings.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "record/design_record.hpp"

namespace flyback::record {
namespace {

struct WarningCase {
    std::string name;
    numtext::InputTexts inputs;
    std::vector<std::string> expected;  // "code@box"
    friend void PrintTo(const WarningCase& c, std::ostream* os) { *os << c.name; }
};

class WarningsTest : public testing::TestWithParam<WarningCase> {};

TEST_P(WarningsTest, RaisesExactlyTheExpectedWarnings) {
    const DesignRecord record = RecordPress(GetParam().inputs);
    std::vector<std::string> raised;
    for (const Warning& w : record.warnings) {
        raised.push_back(std::string(w.code) + "@" + w.BoxName());
        EXPECT_FALSE(w.message.empty());
    }
    EXPECT_EQ(raised, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, WarningsTest,
    testing::Values(
        WarningCase{"WorkedExample", {"60", "368", "200", "20", "75", "5"}, {}},
        WarningCase{"UnitsTypedAfterNumbers", {"60W", "368V", "200 V", "20kHz", "75%", "5V"}, {}},
        WarningCase{"NegativeMinimumVoltage",
                    {"60", "368", "-200", "20", "75", "5"},
                    {"min_voltage_not_positive@Text1_2"}},
        WarningCase{"EfficiencyAsFraction",
                    {"60", "368", "200", "20", "0.8", "5"},
                    {"efficiency_as_fraction@Text1_4"}},
        WarningCase{"FrequencyInHertz",
                    {"60", "368", "200", "65000", "75", "5"},
                    {"frequency_too_high@Text1_3", "primary_turns_below_one@Text2_2",
                     "secondary_turns_below_one@Text2_3"}},
        WarningCase{
            "VoltagesSwapped", {"60", "200", "368", "20", "75", "5"}, {"min_above_max@Text1_2"}},
        WarningCase{"EfficiencyAbove100",
                    {"60", "368", "200", "20", "150", "5"},
                    {"efficiency_above_100@Text1_4"}},
        WarningCase{
            "DecimalComma", {"60", "368", "200", "20", "75", "1,5"}, {"rest_ignored@Text1_5"}},
        WarningCase{
            "DigitSeparator", {"1_000", "368", "200", "20", "75", "5"}, {"rest_ignored@Text1_0"}},
        WarningCase{"NoNumber",
                    {"sixty", "368", "200", "20", "75", "5"},
                    {"no_number@Text1_0", "power_not_positive@Text1_0"}},
        WarningCase{"TooLargeForEveryCore",
                    {"1000", "375", "100", "20", "85", "12"},
                    {"no_core_fits@Text2_0", "duty_cycle_above_half@Text2_6"}},
        WarningCase{"LowFrequencyAndNegativeOutput",
                    {"5", "368", "200", "0.5", "75", "-5"},
                    {"frequency_too_low@Text1_3", "output_voltage_not_positive@Text1_5",
                     "secondary_turns_below_one@Text2_3"}},
        WarningCase{"EmptyFrequencyFaults",
                    {"60", "368", "200", "", "75", "5"},
                    {"frequency_too_low@Text1_3"}},
        // Each check at exactly its bound: equal voltages, 1 kHz, 1000 kHz and
        // 100 % pass; 1 % does not; a duty cycle of exactly 0.5 passes.
        WarningCase{
            "AtTheBoundsThatPass", {"60", "368", "368", "1", "100", "5"}, {"no_core_fits@Text2_0"}},
        WarningCase{"DutyCycleOfExactlyHalfAndOnePercent",
                    {"60", "368", "120", "20", "1", "5"},
                    {"efficiency_as_fraction@Text1_4"}},
        WarningCase{"HighestFrequency",
                    {"60", "368", "200", "1000", "75", "5"},
                    {"secondary_turns_below_one@Text2_3"}},
        WarningCase{"UnreadablyLargeIsTheFaultHintsToExplain",
                    {"60", "368", "200", "20", "75", "1e999"},
                    {}}),
    [](const auto& info) { return info.param.name; });

TEST(WarningsTest, StrengthsAndTheResultsAnInvalidInputSpoils) {
    const auto strengthOf = [](const DesignRecord& record, std::string_view code) {
        for (const Warning& w : record.warnings) {
            if (w.code == code) return std::string(w.StrengthName());
        }
        return std::string("none");
    };
    const DesignRecord universal = RecordPress({"12", "375", "120", "65", "80", "12"});
    EXPECT_EQ(strengthOf(universal, "duty_cycle_above_half"), "note");
    const DesignRecord negative = RecordPress({"60", "-368", "200", "20", "75", "5"});
    EXPECT_EQ(strengthOf(negative, "max_voltage_not_positive"), "invalid");
    EXPECT_EQ(
        strengthOf(RecordPress({"60", "368", "200", "20", "0.8", "5"}), "efficiency_as_fraction"),
        "caution");
    // A negative maximum voltage (so also below the minimum) spoils everything
    // but the core; the turns warning names the sign, not a frequency in Hz.
    EXPECT_TRUE(InvalidatedBy(negative.warnings, 0).empty());
    for (int box = 1; box < 7; ++box) EXPECT_FALSE(InvalidatedBy(negative.warnings, box).empty());
    for (const Warning& w : negative.warnings) {
        if (w.code == "primary_turns_below_one") {
            EXPECT_NE(w.message.find("“最大输入电压V”为负数"), std::string::npos) << w.message;
        }
    }
    const struct {
        numtext::Input input;
        std::vector<int> boxes;
    } derived[] = {{numtext::Input::Power, {0, 1, 2, 3, 4, 5, 6}},
                   {numtext::Input::MaxVoltage, {1, 2, 3, 4, 5, 6}},
                   {numtext::Input::MinVoltage, {1, 2, 3, 5, 6}},
                   {numtext::Input::OutputVoltage, {3}}};
    for (const auto& d : derived) EXPECT_EQ(ResultsDerivedFrom(d.input), d.boxes);
}

TEST(WarningsTest, SaysWhatWasReadAndWhatWasIgnored) {
    const auto warnings = InputWarnings({"60", "368", "200", "20", "1,5", "5"});
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings[0].message, "只读取了 1，其余 ,5 被忽略。");
}

}  // namespace
}  // namespace flyback::record
