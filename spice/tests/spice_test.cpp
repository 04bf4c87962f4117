#include "spice/spice.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "record/design_record.hpp"
#include "runtime/decimal_conversion.hpp"

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
    EXPECT_TRUE(plan.plan) << winding::PlanFailureName(plan.failure);
    return plan.plan ? Netlist(*plan.plan) : std::string();
}

// Each winding is coupled to the core, not to every other winding: the
// netlist grows by the same few lines with each output, and no pair of
// inductors is coupled.
TEST(SpiceTest, TheNetlistGrowsLinearlyWithTheWindings) {
    const std::string one = NetlistWith(1), two = NetlistWith(2),
                      most = NetlistWith(winding::kMostOutputs);
    const std::size_t perOutput = Lines(two) - Lines(one);
    EXPECT_LE(perOutput, 16u);
    EXPECT_EQ(Lines(most), Lines(one) + perOutput * (winding::kMostOutputs - 1));
    EXPECT_EQ(most.find("\nK"), std::string::npos);
}

// The value (the `index`th word) of the netlist's element named `name`.
double Element(const std::string& net, const std::string& name, std::size_t index) {
    std::istringstream lines(net);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> word{std::istream_iterator<std::string>(words), {}};
        if (!word.empty() && word[0] == name && word.size() > index) return std::stod(word[index]);
    }
    ADD_FAILURE() << "no element " << name;
    return 0;
}

// A winding's resistance that loses the plan's copper loss over the
// harmonics with the winding's RMS current.
double LossResistance(const winding::Winding& w) {
    if (!w.Pac_W) return std::max(w.R_ohm.value_or(0), 1e-4);
    return *w.Pac_W / (*w.Irms_A * *w.Irms_A);
}

// What the simulator is handed is the plan: Lp and the part's leakage (the
// build's estimate) in series, each winding's ratio and the resistance that
// loses its copper loss, the core's loss across Lp, the switch's drop that
// spends the primary side's loss beyond its copper and the leakage's energy,
// the clamp as sized, the input and each output's load.
TEST(SpiceTest, TheNetlistsElementsAreThePlans) {
    winding::Options options;
    options.Vaux_V = 15;
    options.choices.outputs = {{12, 1, 0.5}, {5, 0.5, 0.4}};
    const auto outcome = winding::PlanWinding(
        record::RecordPress({"20", "375", "120", "65", "80", "12"}), options, catalogue::BuiltIn());
    ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
    const winding::Plan& p = *outcome.plan;
    const std::string net = Netlist(p);
    ASSERT_TRUE(p.clamp.estimate_H);
    EXPECT_DOUBLE_EQ(Element(net, "Llk", 3), *p.clamp.estimate_H);
    EXPECT_DOUBLE_EQ(Element(net, "Lp", 3), p.Lp_H);
    EXPECT_DOUBLE_EQ(Element(net, "Rp", 3), LossResistance(p.windings[0]));
    const winding::OperatingPoint& at = p.atVmin;
    EXPECT_NEAR(Element(net, "Rcore", 3),
                (at.Von * at.Von * at.D + at.Vreset * at.Vreset * at.D2) / *p.Pcore_W, 1e-9);
    const double Irms = *p.windings[0].Irms_A;
    const double leakage = winding::TypicalClampLoss(p) - winding::ClampShareFromTheCore(p);
    const double rest = p.PrimarySide_W() - LossResistance(p.windings[0]) * Irms * Irms - leakage;
    EXPECT_NEAR(Element(net, "Vdrop", 4), rest * at.Vin / p.InputPower(), 1e-9);
    EXPECT_GT(rest, 0);
    const struct {
        const char *ratio, *current, *resistor;
        std::size_t winding;
    } coils[] = {{"Es1", "Fs1", "Rs1", 1}, {"Es2", "Fs2", "Rs2", 2}, {"Eb", "Fb", "Rb", 3}};
    for (const auto& c : coils) {
        const winding::Winding& w = p.windings[c.winding];
        EXPECT_DOUBLE_EQ(Element(net, c.ratio, 5), double(w.turns) / p.Np) << c.ratio;
        EXPECT_DOUBLE_EQ(Element(net, c.current, 4), double(w.turns) / p.Np) << c.current;
        EXPECT_DOUBLE_EQ(Element(net, c.resistor, 3), LossResistance(w)) << c.resistor;
    }
    EXPECT_DOUBLE_EQ(Element(net, "Rclamp", 3), p.clamp.R_ohm);
    EXPECT_DOUBLE_EQ(Element(net, "Cclamp", 3), p.clamp.C_F);
    EXPECT_DOUBLE_EQ(Element(net, "Vin", 4), p.atVmin.Vin);
    EXPECT_DOUBLE_EQ(Element(net, "Rloads1", 3), 12.0 / 1);
    EXPECT_DOUBLE_EQ(Element(net, "Rloads2", 3), 5 / 0.5);
    // The drain rings on the switch's Coss and the build's own capacitance.
    ASSERT_TRUE(p.capacitance);
    EXPECT_DOUBLE_EQ(Element(net, "Cds", 3), p.capacitance->drain_F);
    EXPECT_DOUBLE_EQ(p.capacitance->drain_F, p.options.choices.Coss_F + p.capacitance->build_F);
    // Discontinuous at the minimum input: its ring measured from two falls.
    EXPECT_EQ(net.find(".meas tran " + std::string(kRingPeriod)) != std::string::npos,
              p.atVmin.mode == winding::Mode::Discontinuous);
}

// A quasi-resonant plan's bench: the input, the starting peak and the
// clamp's charge and the valley on one .param line for the minimum input,
// the maximum's beside it; the plan's drain capacitance and its ring, the
// timer's step to a deeper valley; the period measured; no secondary
// peak placed by a clock it does not have.
TEST(SpiceTest, AValleySwitchedBenchCarriesBothLinesAndThePlansCapacitance) {
    winding::Options options;
    options.choices.conduction = winding::Conduction::QuasiResonant;
    options.choices.Cds_F = 150e-12;
    const auto outcome =
        winding::PlanWinding(record::RecordPress({"18", "374.77", "100.45", "65", "85", "12"}),
                             options, catalogue::BuiltIn());
    ASSERT_TRUE(outcome.plan);
    const winding::Plan& p = *outcome.plan;
    const std::string net = Netlist(p);
    const auto param = [&](const winding::OperatingPoint& at) {
        return ".param vin=" + runtime::decimal::ShortestText(at.Vin) +
               " ipk0=" + runtime::decimal::ShortestText(at.Ipk) +
               " vclamp0=" + runtime::decimal::ShortestText(at.Vin + p.clamp.V) +
               " nvalley=" + std::to_string(at.valley) + "\n";
    };
    EXPECT_NE(net.find("\n" + param(p.atVmin) + "* at the maximum input: " + param(p.atVmax)),
              std::string::npos)
        << net;
    EXPECT_NE(net.find("Vin vin 0 DC {vin}\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(Element(net, "Cds", 3), 150e-12);
    const double ring_us = 2 * std::numbers::pi * std::sqrt(p.Lp_H * 150e-12) * 1e6;
    EXPECT_NE(
        net.find("*u(v(wait)-{(nvalley-1)*" + runtime::decimal::ShortestText(ring_us) + "-0.01})"),
        std::string::npos);
    EXPECT_NE(net.find(".meas tran " + std::string(kPeriod) + " param="), std::string::npos);
    EXPECT_EQ(net.find(SecondaryPeakMeasure(0)), std::string::npos);
    EXPECT_EQ(net.find("Vramp"), std::string::npos);
}

}  // namespace
}  // namespace flyback::spice
