#include "design_file/file_parts.hpp"

#include <gtest/gtest.h>

#include <numbers>
#include <string>

namespace flyback::design_file {
namespace {

// A core as another tool's file describes it: effective parameters, the bare
// window and, where given, its bobbin (column in metres, as MAS has it).
nlohmann::json CoreJson() {
    return nlohmann::json::parse(R"({
      "functionalDescription": {"shape": {"name": "ER 41/7.6/32", "family": "er"}},
      "processedDescription": {
        "effectiveParameters": {"effectiveArea": 2.265e-4, "effectiveLength": 0.04844,
                                "effectiveVolume": 1.0972e-5, "minimumArea": 2.0106e-4},
        "windingWindows": [{"width": 0.00902, "height": 0.0072, "coordinates": [0.008, 0]}]}
    })");
}

nlohmann::json Bobbin(const char* shape, double halfWidth, double halfDepth, double centre) {
    return {{"bobbin",
             {{"processedDescription",
               {{"columnShape", shape},
                {"columnWidth", halfWidth},
                {"columnDepth", halfDepth},
                {"windingWindows",
                 {{{"width", 0.00797}, {"height", 0.00545}, {"coordinates", {centre, 0, 0}}}}}}}}}};
}

TEST(FilePartsTest, ACoreIsTakenWithTheWindowAndMeanTurnTheFileGives) {
    const double pi = std::numbers::pi;
    const struct {
        const char* name;
        nlohmann::json coil;
        std::string kind;
        std::optional<double> MLT_mm;
        double width_mm, height_mm;  // along the leg, radial
    } cases[] = {
        {"round column", Bobbin("round", 0.00905, 0.00905, 0.013035), "bobbin", 2 * pi * 13.035,
         5.45, 7.97},
        {"rectangular column", Bobbin("rectangular", 0.004, 0.006, 0.008), "bobbin",
         4 * (4 + 6) + 2 * pi * 4, 5.45, 7.97},
        {"no bobbin: the bare window", nlohmann::json::object(), "core", std::nullopt, 7.2, 9.02},
    };
    for (const auto& c : cases) {
        const nlohmann::json core = CoreJson();
        const auto given = CoreAsGiven(Reader(core, "core"), Reader(c.coil, "coil"));
        ASSERT_TRUE(given) << c.name;
        EXPECT_EQ(given->name, "ER 41/7.6/32");
        EXPECT_EQ(given->masShape, "ER 41/7.6/32");
        EXPECT_EQ(given->family, "ER");
        EXPECT_DOUBLE_EQ(given->Ae_mm2, 226.5);
        EXPECT_DOUBLE_EQ(given->Amin_mm2, 201.06);
        EXPECT_DOUBLE_EQ(given->Ve_mm3, 10972);
        EXPECT_EQ(given->windowKind, c.kind) << c.name;
        ASSERT_EQ(given->MLT_mm.has_value(), c.MLT_mm.has_value()) << c.name;
        if (c.MLT_mm) {
            EXPECT_NEAR(*given->MLT_mm, *c.MLT_mm, 1e-9) << c.name;
        }
        EXPECT_NEAR(given->winding_width_mm, c.width_mm, 1e-12) << c.name;
        EXPECT_NEAR(given->winding_height_mm, c.height_mm, 1e-12) << c.name;
        EXPECT_NEAR(*given->coreWindow_mm2, 9.02 * 7.2, 1e-9);
    }
    nlohmann::json bare = CoreJson();
    bare["processedDescription"].erase("effectiveParameters");
    EXPECT_FALSE(CoreAsGiven(Reader(bare, "core"), Reader(nlohmann::json::object(), "coil")));
}

TEST(FilePartsTest, ACoreOfTheCataloguesSizeIsTheCataloguesCore) {
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    const catalogue::Core& efd25 = *parts.FindCore("EFD25/13/9");
    const struct {
        double scale;
        const catalogue::Core* found;
    } cases[] = {{1, &efd25}, {1.009, &efd25}, {0.991, &efd25}, {1.02, nullptr}};
    for (const auto& c : cases) {
        catalogue::Core given = efd25;
        given.name = "EFD 25 (theirs)";
        given.Ae_mm2 *= c.scale;
        given.le_mm *= c.scale;
        given.Ve_mm3 *= c.scale;
        EXPECT_EQ(CoreOfTheSameSize(parts, given), c.found) << c.scale;
    }
}

TEST(FilePartsTest, AMaterialIsTakenWithItsOwnLossData) {
    const nlohmann::json material = nlohmann::json::parse(R"({
      "name": "95", "manufacturerInfo": {"name": "Fair-Rite"},
      "permeability": {"initial": [{"temperature": -40, "value": 2052},
                                   {"temperature": 20, "value": 3000},
                                   {"temperature": 100, "value": 4000}]},
      "saturation": [{"magneticFluxDensity": 0.39, "temperature": 100},
                     {"magneticFluxDensity": 0.5, "temperature": 25}],
      "volumetricLosses": {"default": [
        {"method": "roshen"},
        {"method": "steinmetz", "ranges": [
          {"minimumFrequency": 1e5, "maximumFrequency": 1.5e5, "k": 3.44, "alpha": 1.42,
           "beta": 2.34, "ct0": 0.446, "ct1": 0.0026, "ct2": 2.57e-5}]}]}
    })");
    const auto given = MaterialAsGiven(Reader(material, "material"));
    ASSERT_TRUE(given);
    EXPECT_EQ(given->name, "95");
    EXPECT_EQ(given->manufacturer, "Fair-Rite");
    EXPECT_EQ(given->mu_i, 3000);  // the nearest 25 °C
    EXPECT_EQ(given->Bsat_25C_mT, 500);
    EXPECT_EQ(given->Bsat_100C_mT, 390);
    ASSERT_EQ(given->steinmetz.size(), 1u);
    EXPECT_EQ(given->steinmetz[0].k, 3.44);
    EXPECT_EQ(given->steinmetz[0].ct2, 2.57e-5);

    nlohmann::json lossless = material;
    lossless["volumetricLosses"]["default"].erase(1);
    EXPECT_FALSE(MaterialAsGiven(Reader(lossless, "material")));  // nothing to price it by
}

TEST(FilePartsTest, AMaterialWithTheCataloguesLossDataIsTheCataloguesMaterial) {
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    catalogue::Material given = *parts.FindMaterial("N87");
    given.name = "N87 (theirs)";
    EXPECT_EQ(MaterialOfTheSameLoss(parts, given), parts.FindMaterial("N87"));
    // Any loss parameter of any range a hundredth off is another material's.
    using Range = catalogue::SteinmetzRange;
    for (double Range::*parameter :
         {&Range::k, &Range::alpha, &Range::beta, &Range::fMinHz, &Range::fMaxHz}) {
        for (std::size_t i = 0; i < given.steinmetz.size(); ++i) {
            catalogue::Material other = given;
            other.steinmetz[i].*parameter *= 1.01;
            EXPECT_EQ(MaterialOfTheSameLoss(parts, other), nullptr) << "range " << i;
        }
    }
    // And its temperature's coefficients, given or not.
    for (std::optional<double> Range::*coefficient : {&Range::ct0, &Range::ct1, &Range::ct2}) {
        catalogue::Material other = given;
        std::optional<double>& c = other.steinmetz.front().*coefficient;
        c = c ? std::optional<double>(*c * 1.01 + 1e-3) : std::optional<double>(1);
        EXPECT_EQ(MaterialOfTheSameLoss(parts, other), nullptr);
        c.reset();
        EXPECT_EQ(MaterialOfTheSameLoss(parts, other),
                  (given.steinmetz.front().*coefficient).has_value() ? nullptr
                                                                     : parts.FindMaterial("N87"));
    }
    given.steinmetz.pop_back();
    EXPECT_EQ(MaterialOfTheSameLoss(parts, given), nullptr);  // a range fewer
}

}  // namespace
}  // namespace flyback::design_file
