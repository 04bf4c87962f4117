#include "mains/mains.hpp"

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

TEST(MainsTest, E6RoundsUpAtItsBoundaries) {
    const struct {
        double asked, taken;
    } cases[] = {{10, 10},     {10.0001, 15}, {22, 22},     {22.000000000000004, 22},
                 {21.9, 22},   {68, 68},      {68.1, 100},  {100, 100},
                 {0.47, 0.47}, {0.471, 0.68}, {4700, 4700}, {1, 1}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(NextE6(c.asked), c.taken) << c.asked;
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
