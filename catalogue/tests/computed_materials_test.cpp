// The ferrites taken from MAS's material data beside the sourced rows: how
// many of each maker, their temperature factors as the data states them,
// and a fit refused where its factor is not above zero.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"

namespace flyback::catalogue {
namespace {

TEST(ComputedMaterialsTest, EveryMakersGradesWithALossFitAreThere) {
    std::map<std::string, int> byMaker;
    int withFits = 0;
    for (const Material& m : BuiltIn().materials) {
        ++byMaker[m.manufacturer];
        withFits += !m.steinmetz.empty();
    }
    const std::map<std::string, int> expected = {
        {"DMEGC", 17},    {"Ferroxcube", 16},     {"TDK", 14},
        {"Fair-Rite", 7}, {"Shandong Jianuo", 3}, {"TDG", 2}};
    EXPECT_EQ(byMaker, expected);
    EXPECT_EQ(withFits, 57);  // PC40 and PC95 are listed without one
    for (const char* grade : {"DMR40", "DMR44", "DMR95", "TP4A", "TP5", "JNP44", "3C96", "N49"})
        EXPECT_TRUE(BuiltIn().FindMaterial(grade)) << grade;
    // PC200's and JNP95's only fits have exponents no ferrite's loss
    // follows (β outside 1–4): left out rather than ranked on them.
    for (const char* refused : {"PC200", "JNP95"}) EXPECT_FALSE(BuiltIn().FindMaterial(refused));
}

// Every saturation point the data gives, coolest first, in mT; a sourced
// row whose two figures are its MAS record's gains that record's points, and
// one with only two keeps its figures.
TEST(ComputedMaterialsTest, SaturationKeepsEveryPointOfTheData) {
    const struct {
        const char* grade;
        std::vector<double> celsius, mT;
    } cases[] = {
        {"DMR40", {25, 80, 100, 120}, {503, 429, 394, 362}},
        {"3C92", {25, 100, 140}, {540, 460, 400}},
        {"N87", {25, 100}, {495.25, 389.8}},  // sourced: its two figures
        {"DMR90", {25, 80, 100, 120, 140}, {530, 464, 434, 408, 378}},
    };
    for (const auto& c : cases) {
        const Material* m = BuiltIn().FindMaterial(c.grade);
        ASSERT_TRUE(m) << c.grade;
        const std::vector<SaturationPoint> curve = SaturationCurve(*m);
        ASSERT_EQ(curve.size(), c.celsius.size()) << c.grade;
        for (std::size_t i = 0; i < curve.size(); ++i) {
            EXPECT_EQ(curve[i].celsius, c.celsius[i]) << c.grade;
            EXPECT_NEAR(curve[i].mT, c.mT[i], 1e-9) << c.grade;
        }
    }
}

// ct2·T² − ct1·T + ct0 by hand from the data's coefficients: 3C96 is
// normalised to 1 at 100 °C, N49 is not.
TEST(ComputedMaterialsTest, TheTemperatureFactorIsTheDatasOwn) {
    const struct {
        const char* material;
        double hertz, celsius, factor;
    } rows[] = {
        {"3C96", 50e3, 25, 4.145633}, {"3C96", 50e3, 60, 1.911111}, {"3C96", 50e3, 100, 1.000001},
        {"N49", 100e3, 25, 3.497496}, {"N49", 100e3, 60, 3.715217}, {"N49", 100e3, 100, 5.647182},
    };
    for (const auto& r : rows) {
        const Material* m = BuiltIn().FindMaterial(r.material);
        ASSERT_TRUE(m) << r.material;
        const SteinmetzRange* fit = FitAt(*m, r.hertz);
        ASSERT_TRUE(fit) << r.material;
        EXPECT_NEAR(*TemperatureFactorAt(*fit, r.celsius), r.factor, 1e-6)
            << r.material << " " << r.celsius;
    }
    const Material* n49 = BuiltIn().FindMaterial("N49");
    EXPECT_EQ(n49->steinmetz.size(), 2u);  // its third range gives −7.6 at 100 °C: left out
    EXPECT_EQ(n49->curie_C, 240);
}

// A fit whose factor falls to zero and below within the temperatures a core
// runs at gives no loss there, rather than its k unscaled.
TEST(ComputedMaterialsTest, AFactorNotAboveZeroGivesNoLoss) {
    Material m;
    m.name = "falling";
    // N49's third range as the data stores it.
    m.steinmetz.push_back({600e3, 10e6, 0.473445195436049, 1.990552993429204, 2.782260929561618,
                           1.118671269385823, 0.030406507899562004, -0.000567429201279});
    EXPECT_TRUE(LossDensity(m, 1e6, 0.05, 25));  // 0.0039 there
    EXPECT_FALSE(LossDensity(m, 1e6, 0.05, 60));
    EXPECT_FALSE(LossDensity(m, 1e6, 0.05, 100));
    EXPECT_FALSE(LossDensity(m, 100e3, 0.05, 25));  // no range holds 100 kHz
}

}  // namespace
}  // namespace flyback::catalogue
