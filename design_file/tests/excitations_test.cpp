#include "design_file/excitations.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "design_file/design_file.hpp"

namespace flyback::design_file {
namespace {

TEST(ExcitationsTest, ASampledSignalsMeanIsItsTrapezoidsOverItsSpan) {
    const struct {
        std::vector<double> time, data;
        double mean;
    } cases[] = {
        {{0, 1}, {2, 2}, 2},                          // constant
        {{0, 4, 4, 10}, {0, 4, 0, 0}, 8.0 / 10},      // a ramp, then nothing
        {{0, 3, 3, 10}, {0, 0, 7, 0}, 7.0 * 7 / 20},  // a secondary's fall after a jump
        {{0, 2, 4}, {1, 3, 1}, 2},                    // a triangle on a pedestal
        {{0}, {5}, 0},                                // one sample spans no time
        {{1, 1}, {5, 5}, 0},                          // nor do two at one instant
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(SampledMean(c.time, c.data), c.mean);
}

nlohmann::json Rectangle(double swing, double duty) {
    return {
        {"processed",
         {{"label", "rectangular"}, {"peakToPeak", swing}, {"offset", 0}, {"dutyCycle", duty}}}};
}

nlohmann::json Ramp(const char* label, double swing, double offset) {
    return {{"processed",
             {{"label", label}, {"peakToPeak", swing}, {"offset", offset}, {"dutyCycle", 0.4}}}};
}

nlohmann::json Excitation(nlohmann::json current, nlohmann::json voltage) {
    return {
        {"frequency", 100000}, {"current", std::move(current)}, {"voltage", std::move(voltage)}};
}

// A primary of 200 V swing at duty 0.4 (120 V on, 80 V off) and its
// secondary, each read by its label: a triangle's offset its centre, a
// flyback's its valley; the secondary conducts until its volt-seconds
// balance the primary's.
TEST(ExcitationsTest, ProcessedValuesAreReadByTheirLabel) {
    const struct {
        const char* label;
        double primaryMean, secondaryMean, secondaryPeak;
    } cases[] = {
        {"triangular", 0.4 * 1.2, 0.6 * 7.2, 9.6},
        {"flybackPrimary", 0.4 * 1.6, 0.6 * 9.6, 12},
    };
    for (const auto& c : cases) {
        const nlohmann::json point = {{"excitationsPerWinding",
                                       {Excitation(Ramp(c.label, 0.8, 1.2), Rectangle(200, 0.4)),
                                        Excitation(Ramp(c.label, 4.8, 7.2), Rectangle(33, 0.6))}}};
        const ExcitedPoint p = ReadExcitedPoint(Reader(point, "p"), {true, false});
        EXPECT_DOUBLE_EQ(p.Von_V, 120);
        EXPECT_DOUBLE_EQ(p.Voff_V, 80);
        EXPECT_DOUBLE_EQ(p.duty, 0.4);
        EXPECT_DOUBLE_EQ(p.windings[0].mean_A, c.primaryMean) << c.label;
        EXPECT_DOUBLE_EQ(p.windings[1].mean_A, c.secondaryMean) << c.label;
        EXPECT_DOUBLE_EQ(p.windings[1].peak_A, c.secondaryPeak) << c.label;
    }
}

// Discontinuous: a primary of +300 V for 0.3 of the period and −150 V after
// (by its peaks, or its samples) resets the core in 0.6 of it, not the 0.7
// left: the secondary's mean is its ramp over 0.6, and the idle tail none.
TEST(ExcitationsTest, ADiscontinuousSecondaryConductsUntilItsVoltSecondsBalance) {
    const nlohmann::json peaks = {{"processed",
                                   {{"label", "rectangular"},
                                    {"positivePeak", 300},
                                    {"negativePeak", -150},
                                    {"peakToPeak", 450},
                                    {"offset", 0},
                                    {"dutyCycle", 0.3}}}};
    nlohmann::json sampled = peaks;
    sampled["waveform"] = {{"time", {0, 3e-6, 3e-6, 9e-6, 9e-6, 10e-6}},
                           {"data", {300, 300, -150, -150, 0, 0}}};
    for (const nlohmann::json& voltage : {peaks, sampled}) {
        const nlohmann::json point = {
            {"excitationsPerWinding",
             {Excitation(Ramp("flybackPrimary", 2, 0), voltage),
              Excitation(Ramp("flybackSecondary", 10, 0), Rectangle(33, 0.7))}}};
        const ExcitedPoint p = ReadExcitedPoint(Reader(point, "p"), {true, false});
        EXPECT_DOUBLE_EQ(p.Von_V, 300);
        EXPECT_DOUBLE_EQ(p.Voff_V, 150);
        EXPECT_DOUBLE_EQ(p.windings[0].mean_A, 0.3 * 1);
        EXPECT_DOUBLE_EQ(p.windings[1].mean_A, 0.6 * 5);
    }
}

// What is not a flyback's is refused at the field that says so.
TEST(ExcitationsTest, WhatIsNotAFlybacksIsRefusedWithWhere) {
    const nlohmann::json primary = Excitation(Ramp("flybackPrimary", 1, 0), Rectangle(200, 0.4));
    const nlohmann::json secondary = Excitation(Ramp("flybackSecondary", 5, 0), Rectangle(33, 0.6));
    nlohmann::json sine = secondary;
    sine["current"]["processed"]["label"] = "sinusoidal";
    nlohmann::json stuck = primary;
    stuck["voltage"]["processed"]["dutyCycle"] = 1;
    const struct {
        nlohmann::json excitations;
        std::vector<bool> sides;
        const char* where;
    } cases[] = {
        {{primary, sine}, {true, false}, "p.excitationsPerWinding[1].current.processed.label"},
        {{stuck, secondary}, {true, false}, "p.excitationsPerWinding[0].voltage"},
        {{primary}, {true, false}, "p"},
        {{secondary, secondary}, {false, false}, "p"},
    };
    for (const auto& c : cases) {
        const nlohmann::json point = {{"excitationsPerWinding", c.excitations}};
        try {
            ReadExcitedPoint(Reader(point, "p"), c.sides);
            ADD_FAILURE() << c.where;
        } catch (const Unreadable& e) {
            EXPECT_EQ(e.path, c.where);
        }
    }
}

// Our own file as another tool writes it: the windings' excitations alone,
// without our block or the converter's.
nlohmann::json AsAnotherToolWritesIt(const Design& d, const winding::PlanOutcome& outcome) {
    nlohmann::json file = nlohmann::json::parse(WriteDesignFile(d, outcome).text);
    file.erase("flybackDesigner");
    file["inputs"].erase("converterInformation");
    return file;
}

// Our own files with their converter block and our block taken away: the
// conditions come back from the excitations alone, the frequency exactly,
// the outputs' loads to rounding, the input as the primary's voltage while
// the switch is on (the plan's, the bulk's lowest less its drops).
TEST(ExcitationsTest, OurFilesWithoutTheirConverterBlockOpenFromTheirExcitations) {
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    const std::array<std::string, 6> supplies[] = {
        {"12", "375", "120", "65", "80", "12"},
        {"10", "373", "127", "100", "80", "5"},
        {"60", "373", "249", "100", "80", "24"},
    };
    for (const auto& texts : supplies) {
        Design d;
        d.texts = texts;
        const winding::PlanOutcome outcome =
            winding::PlanWinding(record::RecordPress(numtext::ViewsOf(d.texts)), d.options, parts);
        ASSERT_TRUE(outcome.plan);
        const nlohmann::json file = AsAnotherToolWritesIt(d, outcome);
        const Opened opened = ReadDesignFile(file.dump(), parts);
        ASSERT_TRUE(opened.design) << opened.error;
        const Design& back = *opened.design;
        EXPECT_EQ(back.texts[3], texts[3]);
        const double Von = outcome.plan->atVmin.Von;
        EXPECT_NEAR(std::stod(back.texts[2]), Von, 5e-4 * Von);  // four digits
        const double load = std::stod(texts[0]) / std::stod(texts[5]);
        ASSERT_EQ(back.options.choices.outputs.size(), 1U);
        EXPECT_NEAR(back.options.choices.outputs[0].I_A, load, 1e-9 * load) << texts[0];
        EXPECT_EQ(back.options.choices.Np, outcome.plan->Np);
        EXPECT_EQ(back.options.choices.Ns, outcome.plan->Ns);
    }
}

// A file's every operating point comes back as a condition to analyse the
// transformer at: its own name, input and frequency, and its load against
// the point the design is taken from (here the second at half the current
// and twice the frequency; a point without a name is numbered).
TEST(ExcitationsTest, EachOperatingPointIsKeptWithItsInputFrequencyAndLoad) {
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    Design d;
    d.texts = {"60", "373", "249", "100", "80", "24"};
    const winding::PlanOutcome outcome =
        winding::PlanWinding(record::RecordPress(numtext::ViewsOf(d.texts)), d.options, parts);
    ASSERT_TRUE(outcome.plan);
    nlohmann::json file = AsAnotherToolWritesIt(d, outcome);
    nlohmann::json& points = file["inputs"]["operatingPoints"];
    nlohmann::json second = points[0];
    second.erase("name");
    for (nlohmann::json& excitation : second["excitationsPerWinding"]) {
        excitation["frequency"] = 200e3;
        for (const char* key : {"peak", "peakToPeak", "offset", "rms"})
            excitation["current"]["processed"][key] =
                0.5 * excitation["current"]["processed"][key].get<double>();
    }
    points.push_back(second);
    const Opened opened = ReadDesignFile(file.dump(), parts);
    ASSERT_TRUE(opened.design) << opened.error;
    ASSERT_EQ(opened.points.size(), 2U);
    const conditions::Condition& first = opened.points[0];
    EXPECT_EQ(first.name, "minimum input, full load");
    EXPECT_NEAR(first.Vin_V, outcome.plan->atVmin.Von, 1e-9 * first.Vin_V);
    EXPECT_EQ(first.load, 1);
    EXPECT_EQ(first.f_Hz, 100e3);
    const conditions::Condition& other = opened.points[1];
    EXPECT_EQ(other.name, "工作点 2");
    EXPECT_EQ(other.Vin_V, first.Vin_V);
    EXPECT_NEAR(other.load, 0.5, 1e-12);
    EXPECT_EQ(other.f_Hz, 200e3);
}

}  // namespace
}  // namespace flyback::design_file
