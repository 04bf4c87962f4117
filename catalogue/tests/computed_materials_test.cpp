// The ferrites taken from MAS's material data beside the sourced rows: how
// many of each maker, their temperature factors as the data states them,
// and a fit refused where its factor is not above zero.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "catalogue/csv.hpp"
#include "catalogue/fit_refusals.hpp"

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
    // PC40 and PC95 are listed without one; 3C90, DMR40 and TP4A keep none
    // that their data does not doubt.
    EXPECT_EQ(withFits, 54);
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
        std::array<SaturationPoint, 2> figures{};
        const std::span<const SaturationPoint> curve = SaturationCurve(*m, figures);
        ASSERT_EQ(curve.size(), c.celsius.size()) << c.grade;
        for (std::size_t i = 0; i < curve.size(); ++i) {
            EXPECT_EQ(curve[i].celsius, c.celsius[i]) << c.grade;
            EXPECT_NEAR(curve[i].mT, c.mT[i], 1e-9) << c.grade;
        }
    }
}

// A fit the data marks as doubtful is never used, and the material says
// which and where; one that passes its data sheet's loss limit by more than a
// quarter is refused with the figures; one within it is kept.
TEST(ComputedMaterialsTest, FitsTheDataDoubtsOrThatPassTheDataSheetAreRefused) {
    const struct {
        const char* grade;
        std::size_t fitsLeft;
        const char* why;  // in fitsRefused; empty: none refused
    } doubted[] = {
        {"DMR40", 0, "1 Hz–200 kHz 的拟合数据标注存疑（materials.csv 第 22 行）"},
        {"DMR44", 1, "数据标注存疑"},
        {"3C90", 0, "数据标注存疑"},
        {"N87", 3, ""},
    };
    for (const auto& d : doubted) {
        const Material* m = BuiltIn().FindMaterial(d.grade);
        ASSERT_TRUE(m) << d.grade;
        EXPECT_EQ(m->steinmetz.size(), d.fitsLeft) << d.grade;
        EXPECT_EQ(m->fitsRefused.find(d.why) != std::string::npos, true) << m->fitsRefused;
        EXPECT_EQ(m->fitsRefused.empty(), std::string(d.why).empty()) << d.grade;
    }
    // N87 at 100 kHz, 200 mT, 100 °C: its fit gives 456 kW/m³ against the
    // ETD34 sheet's 524; half as much again would give 684, past 1.25 × 524.
    const CsvTable table = ReadCsv(
        "material,f_Hz,B_mT,T_C,Pv_max_kW_m3,source\n"
        "N87,100000,200,100,524,TDK ETD34\n"
        "N87,100000,,100,524,a row without its flux\n");
    std::vector<std::string> problems;
    const std::vector<LossLimit> limits = ReadLossLimits(table, "limits.csv", problems);
    ASSERT_EQ(limits.size(), 1u);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("limits.csv:3: ", 0), 0u) << problems[0];
    std::vector<Material> materials = {*BuiltIn().FindMaterial("N87")};
    RefuseFitsAboveLimits(materials, limits);
    EXPECT_EQ(materials[0].steinmetz.size(), 3u);
    EXPECT_TRUE(materials[0].fitsRefused.empty());
    for (SteinmetzRange& fit : materials[0].steinmetz) fit.k *= 1.5;
    RefuseFitsAboveLimits(materials, limits);
    EXPECT_EQ(materials[0].steinmetz.size(), 2u);
    EXPECT_NE(materials[0].fitsRefused.find("100 kHz–300 kHz 的拟合在 100 kHz、200 mT、100 °C 给出 "
                                            "684 kW/m³，超过规格书上限 524 kW/m³ 的 1.25 倍"),
              std::string::npos)
        << materials[0].fitsRefused;
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
