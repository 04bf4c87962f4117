#include "design/calculate.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "design/constants.hpp"
#include "runtime/error.hpp"

namespace flyback::design {
namespace {

using runtime::ErrorKind;
using runtime::RuntimeError;

std::uint64_t Bits(double d) {
    return std::bit_cast<std::uint64_t>(d);
}

#define EXPECT_SAME_DOUBLE(actual, expected) \
    EXPECT_EQ(Bits(actual), Bits(expected)) << #actual << " = " << (actual)

// Inputs in the formulas' units: Hz and a fraction.
DesignInputs Inputs(double P, double Vmax, double Vmin, double f, double eta, double Vo) {
    return {P, Vmax, Vmin, f, eta, Vo};
}

const DesignInputs kDefaults = Inputs(60, 368, 200, 20000, 0.75, 5);

// What a run published, in order, and how it ended.
struct DesignRun {
    std::vector<Published> published;
    std::optional<ErrorKind> error;
    DesignResults results;
};

DesignRun RunDesign(const DesignInputs& inputs) {
    DesignRun run;
    try {
        run.results = Calculate(
            inputs, [&](Published which, const DesignResults&) { run.published.push_back(which); });
    } catch (const RuntimeError& error) {
        run.error = error.kind();
    }
    return run;
}

TEST(ConstantsTest, PiDerivedFactorsAreTheDoubleProducts) {
    volatile double point8 = 0.8, point4 = 0.4, pi = 3.14, e8 = 1e8;
    EXPECT_SAME_DOUBLE(constants::kGapFactor, point8 * pi * e8);
    EXPECT_SAME_DOUBLE(constants::kTurnsFactor, point4 * pi);
    EXPECT_EQ(Bits(constants::kGapFactor), 0x41ADF20400000002u);
    EXPECT_EQ(Bits(constants::kTurnsFactor), 0x3FF4189374BC6A80u);
    EXPECT_GT(constants::kGapFactor, 251200000.0);
    EXPECT_GT(constants::kTurnsFactor, 1.256);
}

TEST(CalculateTest, WorkedExampleComesOutExactly) {
    const DesignRun run = RunDesign(kDefaults);
    ASSERT_FALSE(run.error);
    const DesignResults& r = run.results;
    EXPECT_SAME_DOUBLE(r.RequiredCoreArea, 1.161895003862225);
    ASSERT_NE(r.Core, nullptr);
    EXPECT_EQ(r.Core->CoreType, "EE12");
    EXPECT_SAME_DOUBLE(r.CoreArea, 1.44);
    EXPECT_SAME_DOUBLE(r.FluxDensity, 2500);
    EXPECT_SAME_DOUBLE(r.ReflectedVoltage, 120);
    EXPECT_SAME_DOUBLE(r.SpikeAllowance, 100);
    EXPECT_SAME_DOUBLE(r.SwitchVoltage, 588);
    EXPECT_SAME_DOUBLE(r.MaxDutyCycle, 0.375);
    EXPECT_SAME_DOUBLE(r.PrimaryInductance, 0.0017578125);
    EXPECT_SAME_DOUBLE(r.PeakCurrent, 2.1333333333333333);
    EXPECT_SAME_DOUBLE(r.SwitchCurrent, 2.7733333333333334);
    EXPECT_SAME_DOUBLE(r.StoredEnergy, 0.00676);
    EXPECT_SAME_DOUBLE(r.FluxGapProduct, 471.6977777777779);
    EXPECT_SAME_DOUBLE(r.PrimaryTurns, 135.41666666666669);
    EXPECT_SAME_DOUBLE(r.GapLength, 1.8867911111111115);
    EXPECT_SAME_DOUBLE(r.SecondaryTurns, 6.206597222222223);
}

TEST(CalculateTest, PublishesEachResultOnceInOrderWithItsValueReady) {
    std::vector<std::pair<Published, double>> seen;
    Calculate(kDefaults, [&](Published which, const DesignResults& r) {
        const double value[] = {r.CoreArea,      r.SwitchVoltage, r.PrimaryInductance,
                                r.SwitchCurrent, r.PrimaryTurns,  r.GapLength,
                                r.SecondaryTurns};
        seen.emplace_back(which, value[static_cast<int>(which)]);
    });
    const std::vector<std::pair<Published, double>> expected = {
        {Published::CoreType, 1.44},
        {Published::SwitchVoltage, 588},
        {Published::PrimaryInductance, 0.0017578125},
        {Published::SwitchCurrent, 2.7733333333333334},
        {Published::PrimaryTurns, 135.41666666666669},
        {Published::GapLength, 1.8867911111111115},
        {Published::SecondaryTurns, 6.206597222222223},
    };
    EXPECT_EQ(seen, expected);
}

TEST(CalculateTest, AreaAboveEveryCoreIsUsedAsIs) {
    const DesignRun run = RunDesign(Inputs(100, 368, 200, 1000, 0.75, 5));
    ASSERT_FALSE(run.error);
    EXPECT_EQ(run.results.Core, nullptr);
    EXPECT_SAME_DOUBLE(run.results.RequiredCoreArea, 6.708203932499369);
    EXPECT_SAME_DOUBLE(run.results.CoreArea, run.results.RequiredCoreArea);
}

TEST(CalculateTest, NegativeOutputVoltageOnlyChangesSecondaryTurns) {
    DesignInputs negative = kDefaults;
    negative.OutputVoltage = -5;
    const DesignRun a = RunDesign(kDefaults);
    const DesignRun b = RunDesign(negative);
    ASSERT_FALSE(b.error);
    EXPECT_SAME_DOUBLE(b.results.PrimaryTurns, a.results.PrimaryTurns);
    EXPECT_SAME_DOUBLE(b.results.GapLength, a.results.GapLength);
    EXPECT_LT(b.results.SecondaryTurns, 0);
}

TEST(CalculateTest, NegativePowerAndFrequencyTogetherAreComputed) {
    const DesignRun run = RunDesign(Inputs(-60, 368, 200, -20000, 0.75, 5));
    ASSERT_FALSE(run.error);
    EXPECT_EQ(run.published.size(), 7u);
    EXPECT_SAME_DOUBLE(run.results.RequiredCoreArea, 1.161895003862225);
}

struct FaultCase {
    std::string name;
    DesignInputs inputs;
    std::vector<Published> published;
    ErrorKind kind;
    friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
};

class CalculateFaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(CalculateFaultTest, StopsAfterTheResultsReached) {
    const FaultCase& c = GetParam();
    const DesignRun run = RunDesign(c.inputs);
    EXPECT_EQ(run.published, c.published);
    ASSERT_TRUE(run.error);
    EXPECT_EQ(*run.error, c.kind);
}

using enum Published;
const std::vector<Published> kNothing;
const std::vector<Published> kToSwitchVoltage = {CoreType, SwitchVoltage};
const std::vector<Published> kToInductance = {CoreType, SwitchVoltage, PrimaryInductance};
const std::vector<Published> kToSwitchCurrent = {CoreType, SwitchVoltage, PrimaryInductance,
                                                 SwitchCurrent};

INSTANTIATE_TEST_SUITE_P(
    All, CalculateFaultTest,
    testing::Values(FaultCase{"ZeroFrequency", Inputs(60, 368, 200, 0, 0.75, 5), kNothing,
                              ErrorKind::DivisionByZero},
                    FaultCase{"ZeroPowerAndFrequency", Inputs(0, 368, 200, 0, 0.75, 5), kNothing,
                              ErrorKind::Overflow},
                    FaultCase{"NegativePower", Inputs(-60, 368, 200, 20000, 0.75, 5), kNothing,
                              ErrorKind::InvalidArgument},
                    FaultCase{"NegativeFrequency", Inputs(60, 368, 200, -20000, 0.75, 5), kNothing,
                              ErrorKind::InvalidArgument},
                    FaultCase{"ZeroPower", Inputs(0, 368, 200, 20000, 0.75, 5), kToSwitchVoltage,
                              ErrorKind::DivisionByZero},
                    FaultCase{"ZeroMaxAndMinVoltage", Inputs(60, 0, 0, 20000, 0.75, 5),
                              kToSwitchVoltage, ErrorKind::Overflow},
                    FaultCase{"ZeroMaxVoltage", Inputs(60, 0, 200, 20000, 0.75, 5), kToInductance,
                              ErrorKind::DivisionByZero},
                    FaultCase{"ZeroEfficiency", Inputs(60, 368, 200, 20000, 0, 5), kToInductance,
                              ErrorKind::DivisionByZero},
                    FaultCase{"ZeroMinVoltage", Inputs(60, 368, 0, 20000, 0.75, 5), kToInductance,
                              ErrorKind::DivisionByZero},
                    FaultCase{"HugeMaxVoltage",
                              Inputs(60, 1e308, 200, 20000, 0.75, 5),
                              {CoreType},
                              ErrorKind::Overflow},
                    FaultCase{"HugePowerOverflowsTheEnergy",
                              Inputs(1e300, 368, 200, 20000, 0.75, 5), kToSwitchCurrent,
                              ErrorKind::Overflow}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace flyback::design
