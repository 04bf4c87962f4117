#include "spice/spice.hpp"

#include <gtest/gtest.h>

namespace flyback::spice {
namespace {

TEST(SpiceTest, MeasurementsAreReadFromNgspicesLines) {
    const auto found = ReadMeasurements(
        "Circuit: x\n"
        "ipk                 =  2.153610e+00 at=  3.998e-03\n"
        "vout1               =  2.401e+01 from=  3.5e-03 to=  4e-03\n"
        "Error: something = else\n"
        "vds = junk\n");
    EXPECT_EQ(found.size(), 2u);
    EXPECT_DOUBLE_EQ(found.at("ipk"), 2.15361);
    EXPECT_DOUBLE_EQ(found.at("vout1"), 24.01);
}

}  // namespace
}  // namespace flyback::spice
