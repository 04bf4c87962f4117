#include "mains/mains.hpp"
#include "runtime/decimal_conversion.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace flyback::mains {
namespace {

// The model written out again in plain doubles, C in µF.
double ValleyVolts(double vacMin, double inputWatts, double lineHz, double conductionMs,
                   double microfarads) {
    const double charge = 2 * inputWatts * (1 / (2 * lineHz) - conductionMs / 1000);
    return std::sqrt(2 * vacMin * vacMin - charge / (microfarads * 1e-6));
}

TEST(MainsTest, UniversalInputWithAGivenCapacitor) {
    // 85–265 V AC, 50 Hz, 12 W at 80 %, 22 µF: 15 W in.
    const DcInputRange range = DcInputFromMains({85, 265, 12, 0.8, 22});
    EXPECT_DOUBLE_EQ(range.maxInputVoltage, std::sqrt(2.0) * 265);
    EXPECT_DOUBLE_EQ(range.minInputVoltage, ValleyVolts(85, 15, 50, 3, 22));
    EXPECT_NEAR(range.minInputVoltage, 70.03, 0.005);
    EXPECT_EQ(range.bulkMicrofarads, 22);
    EXPECT_FALSE(range.bulkProposed);
    EXPECT_TRUE(range.warnings.empty());
    EXPECT_EQ(TwoDecimals(range.maxInputVoltage), "374.77");
}

TEST(MainsTest, HighLineProposesOneMicrofaradAWattRoundedUpToE6) {
    // 176–264 V AC, 60 W at 85 %: 70.6 W in, 70.6 µF proposed, 100 µF taken.
    const DcInputRange range = DcInputFromMains({176, 264, 60, 0.85, std::nullopt});
    EXPECT_TRUE(range.bulkProposed);
    EXPECT_EQ(range.bulkMicrofarads, 100);
    EXPECT_DOUBLE_EQ(range.minInputVoltage, ValleyVolts(176, 60 / 0.85, 50, 3, 100));
    EXPECT_EQ(TwoDecimals(range.minInputVoltage), "228.19");
    // Below 150 V AC three a watt: 12 W at 80 % is 45 µF, so 47 µF.
    EXPECT_EQ(DcInputFromMains({85, 265, 12, 0.8, std::nullopt}).bulkMicrofarads, 47);
}

// A value taken from the series is the series' value to the last bit, and
// is written as it is printed: "220", never "220.00000000000003".
TEST(MainsTest, E6RoundsUpAtItsBoundariesToTheSeriesOwnValues) {
    const struct {
        double asked;
        const char* taken;
    } cases[] = {{10, "10"},        {10.0001, "15"},     {22, "22"},     {22.000000000000004, "22"},
                 {21.9, "22"},      {68, "68"},          {68.1, "100"},  {100, "100"},
                 {0.47, "0.47"},    {0.471, "0.68"},     {4700, "4700"}, {1, "1"},
                 {200, "220"},      {150.1, "220"},      {3.1, "3.3"},   {0.0031, "0.0033"},
                 {5e-7, "6.8e-07"}, {1e6 + 1, "1500000"}};
    for (const auto& c : cases) {
        EXPECT_EQ(runtime::decimal::ShortestText(NextE6(c.asked)), c.taken) << c.asked;
    }
}

// Worked by hand: 85 V AC, 57 W at 85 % (67.06 W in): 3 µF a watt gives
// 220 µF and a valley of 100.91 V; holding up 20 ms from the last peak
// (120.2 V) to that valley takes 2 × 67.06 × 0.02 ÷ (2 × 85² − 100.91²)
// = 628.6 µF, so 680 µF, which decides. At 176 V, 60 W at 85 %: 100 µF a
// watt, valley 228.19 V; 20 ms takes 285.8 µF, so 330 µF. 5 ms takes less
// than the first rule, which stays.
TEST(MainsTest, HoldUpTimeProposesTheLargerCapacitor) {
    const struct {
        double minAc, power, efficiency;
        std::optional<double> holdup;
        double microfarads;
        BulkRule rule;
    } cases[] = {
        {85, 57, 0.85, std::nullopt, 220, BulkRule::PerWatt},
        {85, 57, 0.85, 20, 680, BulkRule::Holdup},
        {176, 60, 0.85, 20, 330, BulkRule::Holdup},
        {176, 60, 0.85, 5, 100, BulkRule::PerWatt},
        {176, 60, 0.85, 0, 100, BulkRule::PerWatt},
        // 3 µF a watt, not less: 80 W in takes 240 µF, so 330 µF.
        {85, 60, 0.75, std::nullopt, 330, BulkRule::PerWatt},
        // 15.7 ms needs 493.5 µF, just above 470 µF: 680 µF.
        {85, 57, 0.85, 15.7, 680, BulkRule::Holdup},
    };
    for (const auto& c : cases) {
        MainsSupply supply{c.minAc, 265, c.power, c.efficiency, std::nullopt};
        supply.holdupMilliseconds = c.holdup;
        const DcInputRange range = DcInputFromMains(supply);
        EXPECT_EQ(range.bulkMicrofarads, c.microfarads) << c.minAc << " " << c.holdup.value_or(-1);
        EXPECT_EQ(range.rule, c.rule);
        if (!c.holdup) continue;
        // The capacitor proposed holds the input power for the time asked.
        const double inputPower = c.power / c.efficiency;
        const double peakSquared = 2 * c.minAc * c.minAc;
        const double minimumSquared =
            peakSquared - 2 * inputPower * *c.holdup / 1000 / (range.bulkMicrofarads * 1e-6);
        EXPECT_GE(minimumSquared, 0);
    }
    // A given capacitor too small for the hold-up time is warned of.
    MainsSupply given{176, 264, 60, 0.85, 47};
    given.holdupMilliseconds = 20;
    const DcInputRange range = DcInputFromMains(given);
    ASSERT_FALSE(range.warnings.empty());
    EXPECT_EQ(range.warnings[0].code, "holdup_too_short");
    EXPECT_NE(range.warnings[0].message.find("150 µF"), std::string::npos);
}

TEST(MainsTest, TooSmallACapacitorIsAnErrorNamingIt) {
    try {
        DcInputFromMains({85, 265, 60, 0.8, 2.2});
        FAIL() << "no error";
    } catch (const MainsError& error) {
        EXPECT_NE(std::string(error.what()).find("2.2 µF"), std::string::npos) << error.what();
    }
}

TEST(MainsTest, ImpossibleInputsAreErrors) {
    const MainsSupply bad[] = {{0, 265, 12, 0.8, 22},      {265, 85, 12, 0.8, 22},
                               {85, 265, -1, 0.8, 22},     {85, 265, 12, 0, 22},
                               {85, 265, 12, 1.5, 22},     {85, 265, 12, 0.8, 0},
                               {85, 265, 12, 0.8, 22, 0},  {85, 265, 12, 0.8, 22, 50, 10},
                               {85, 1.5e308, 12, 0.8, 22}, {85, 265, 12, 0.8, 22, NAN}};
    for (const MainsSupply& supply : bad) EXPECT_THROW(DcInputFromMains(supply), MainsError);
}

TEST(MainsTest, WarnsOfDeepRippleAndUnusualMains) {
    const auto codes = [](const DcInputRange& range) {
        std::string all;
        for (const Warning& w : range.warnings) all += std::string(w.code) + " ";
        return all;
    };
    EXPECT_EQ(codes(DcInputFromMains({85, 265, 12, 0.8, 15})), "ripple_too_deep ");
    EXPECT_EQ(codes(DcInputFromMains({60, 320, 5, 0.8, 100})),
              "mains_above_usual mains_below_usual ");
}

}  // namespace
}  // namespace flyback::mains
