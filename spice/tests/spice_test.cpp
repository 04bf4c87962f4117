#include "spice/spice.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/catalogue.hpp"
#include "record/design_record.hpp"

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

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string NetlistWith(std::size_t outputs) {
    winding::Options options;
    options.core = "PQ32/30";
    options.choices.outputs.assign(outputs, {5, 0.2, 0.4});
    options.choices.outputs.front() = {12, 1, 0.5};
    const auto plan = winding::PlanWinding(
        record::RecordPress({"20", "375", "120", "65", "80", "12"}), options, catalogue::BuiltIn());
    EXPECT_TRUE(plan.plan) << plan.error;
    return plan.plan ? Netlist(*plan.plan) : std::string();
}

// Each winding is coupled to the core, not to every other winding: the
// netlist grows by the same few lines with each output, and no pair of
// inductors is coupled.
TEST(SpiceTest, TheNetlistGrowsLinearlyWithTheWindings) {
    const std::string one = NetlistWith(1), two = NetlistWith(2),
                      most = NetlistWith(winding::kMostOutputs);
    const std::size_t perOutput = Lines(two) - Lines(one);
    EXPECT_LE(perOutput, 12u);
    EXPECT_EQ(Lines(most), Lines(one) + perOutput * (winding::kMostOutputs - 1));
    EXPECT_EQ(most.find("\nK"), std::string::npos);
}

}  // namespace
}  // namespace flyback::spice
