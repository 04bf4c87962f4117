#include "record/readable.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace flyback::record {
namespace {

TEST(ReadableTest, FourDigitsWithThePrefixEngineersUse) {
    const struct {
        double value;
        const char* unit;
        const char* text;
    } cases[] = {
        {0.00043456470696968735, "H", "434.6 µH"},
        {0.0017578125, "H", "1.758 mH"},
        {2.7733333333333334, "A", "2.773 A"},
        {0.64, "A", "640 mA"},
        {100000, "Hz", "100 kHz"},
        {65000, "Hz", "65 kHz"},
        {588, "V", "588 V"},
        {1500, "V", "1.5 kV"},
        {0.0054, "J", "5.4 mJ"},
        {999.96, "V", "1 kV"},  // rounds up a prefix
        {0.51961524227066314, "cm²", "0.5196 cm²"},
        {2500, "gauss", "2500 Gs"},
        {0.375, "", "0.375"},
        {135.41666666666669, "turns", "135.4 匝"},
        {6.2065972222222223, "turns", "6.207 匝"},
        {1.8867911111111115, "mm", "1.887 mm"},
        {157894736.84210527, "gauss·cm", "1.579×10⁸ Gs·cm"},
        {0.0001234, "", "1.234×10⁻⁴"},
        {123456, "", "123500"},
        {-1.2346, "V", "−1.235 V"},
        {-0.0005, "A", "−500 µA"},
        {0, "A", "0 A"},
        {-0.0, "", "0"},
        {7.6e-10, "F", "760 pF"},
        {2.2e-9, "F", "2.2 nF"},
        {4.7e-12, "F", "4.7 pF"},
        {1e-12, "H", "1 pH"},
        {3.3e-15, "F", "3.3 fF"},
        {9.99996e-16, "F", "1 fF"},  // rounds up into femto
        {9e-16, "F", "9×10⁻¹⁶ F"},   // below femto
        {1.2e9, "Ω", "1.2 GΩ"},
        {999.96e9, "W", "1×10¹² W"},  // rounds up beyond giga
        {2e12, "W", "2×10¹² W"},
        {std::numeric_limits<double>::quiet_NaN(), "H", "—"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadableValue(c.value, c.unit), c.text) << c.value;
}

TEST(ReadableTest, BareNumbersForFormulas) {
    EXPECT_EQ(ReadableNumber(20000), "20000");
    EXPECT_EQ(ReadableNumber(0.0017578125), "0.001758");
    EXPECT_EQ(ReadableNumber(314000000), "3.14×10⁸");
    EXPECT_EQ(ReadableNumber(0.75), "0.75");
}

TEST(ReadableTest, AScaleIsReadInThePrefixItsValuesNeed) {
    const struct {
        double magnitude;
        const char* unit;
        const char* shown;
        double divisor;
    } cases[] = {
        {4e-4, "H", "µH", 1e-6}, {1.758e-3, "H", "mH", 1e-3}, {250, "W", "W", 1},
        {0.3, "T", "T", 1},      {100000, "Hz", "kHz", 1e3},  {7.6e-10, "F", "pF", 1e-12},
        {0, "A", "A", 1},        {12, "turns", "匝", 1},      {1e30, "W", "GW", 1e9},
    };
    for (const auto& c : cases) {
        const UnitScale scale = ScaleFor(c.magnitude, c.unit);
        EXPECT_EQ(scale.unit, c.shown) << c.magnitude;
        EXPECT_EQ(scale.divisor, c.divisor) << c.magnitude;
    }
}

}  // namespace
}  // namespace flyback::record
