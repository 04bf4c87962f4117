#include "core_geometry/section_method.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <numbers>
#include <string>
#include <vector>

namespace flyback::core_geometry {
namespace {

// The shapes' file, line by line (its line numbers are the catalogue's
// `mas_shape_line`).
const std::vector<nlohmann::json>& Shapes() {
    static const std::vector<nlohmann::json> shapes = [] {
        std::vector<nlohmann::json> lines;
        std::ifstream file(CORE_SHAPES_FILE);
        for (std::string line; std::getline(file, line);)
            lines.push_back(nlohmann::json::parse(line));
        return lines;
    }();
    return shapes;
}

// A shape's letters in mm: the nominal, else the middle of the tolerance,
// else the one bound the data gives.
Letters LettersAt(const nlohmann::json& shape) {
    Letters letters;
    for (const auto& item : shape["dimensions"].items()) {
        const nlohmann::json& value = item.value();
        const auto bound = [&](const char* key) { return value.value(key, std::nan("")); };
        double m = bound("nominal");
        if (std::isnan(m)) m = (bound("minimum") + bound("maximum")) / 2;
        if (std::isnan(m)) m = value.contains("minimum") ? bound("minimum") : bound("maximum");
        letters[item.key()] = m * 1000;
    }
    return letters;
}

Effective Of(Family family, const Letters& letters) {
    const auto result = FromLetters(family, letters);
    EXPECT_TRUE(std::holds_alternative<Effective>(result));
    return std::holds_alternative<Effective>(result) ? std::get<Effective>(result) : Effective{};
}

// Against the values OpenMagnetics stores for the same shapes (the
// catalogue's om_* columns and its bare window), to 1 %.
TEST(SectionMethodTest, TheCataloguesShapesComeOutAsOpenMagneticsStoresThem) {
    const struct {
        Family family;
        int line;
        double Ae, Amin, le, Ve, windowWidth, windowHeight;
    } rows[] = {
        {Family::E, 93, 12.42, 12.25, 29.74, 369, 2.825, 9.300},
        {Family::E, 99, 20.06, 19.35, 37.56, 754, 3.525, 11.800},
        {Family::E, 102, 22.98, 22.50, 39.67, 912, 5.000, 11.200},
        {Family::E, 106, 32.04, 31.64, 46.37, 1486, 4.350, 14.400},
        {Family::E, 110, 51.84, 51.48, 57.76, 2994, 5.325, 17.900},
        {Family::E, 116, 60.05, 49.35, 65.57, 3938, 6.450, 20.000},
        {Family::E, 118, 83.16, 81.44, 74.32, 6180, 7.000, 23.000},
        {Family::E, 129, 178.10, 174.91, 97.35, 17338, 9.075, 30.300},
        {Family::E, 130, 233.49, 229.32, 97.35, 22731, 9.075, 30.300},
        {Family::E, 134, 353.04, 350.87, 123.61, 43638, 10.575, 37.800},
        {Family::Efd, 267, 15.14, 12.32, 34.26, 519, 2.850, 11.000},
        {Family::Efd, 268, 30.72, 30.59, 47.20, 1450, 3.250, 15.400},
        {Family::Efd, 269, 57.52, 57.28, 57.25, 3293, 3.650, 18.600},
        {Family::Efd, 270, 69.31, 69.16, 67.96, 4711, 3.900, 22.400},
        {Family::Etd, 60, 76.51, 70.88, 71.67, 5483, 6.600, 22.000},
        {Family::Etd, 61, 97.26, 91.61, 80.07, 7788, 7.750, 24.200},
        {Family::Etd, 62, 124.98, 122.72, 93.86, 11730, 8.800, 29.200},
        {Family::Etd, 63, 173.01, 171.68, 105.18, 18196, 9.250, 33.000},
        {Family::Etd, 64, 211.19, 208.67, 116.16, 24532, 10.350, 36.200},
        {Family::Er, 69, 86.58, 76.98, 64.23, 5561, 5.900, 19.200},
        {Family::Er, 70, 85.86, 76.98, 75.74, 6503, 5.900, 25.000},
        {Family::Er, 71, 110.72, 100.29, 91.20, 10097, 7.400, 29.400},
        {Family::Er, 73, 151.93, 138.93, 98.80, 15010, 8.300, 30.800},
        {Family::Pq, 232, 64.26, 60.06, 37.30, 2397, 4.600, 10.300},
        {Family::Pq, 233, 63.79, 60.06, 45.29, 2889, 4.600, 14.300},
        {Family::Pq, 234, 123.25, 112.97, 44.54, 5490, 5.250, 11.500},
        {Family::Pq, 235, 122.65, 112.97, 53.70, 6586, 5.250, 16.100},
        {Family::Pq, 241, 157.40, 142.08, 48.96, 7706, 7.025, 11.500},
        {Family::Pq, 243, 155.44, 142.08, 68.45, 10640, 7.025, 21.300},
    };
    for (const auto& r : rows) {
        const nlohmann::json& shape = Shapes().at(static_cast<std::size_t>(r.line - 1));
        SCOPED_TRACE(shape["name"].get<std::string>());
        const Effective e = Of(r.family, LettersAt(shape));
        EXPECT_NEAR(e.Ae_mm2 / r.Ae, 1, 0.01);
        EXPECT_NEAR(e.Amin_mm2 / r.Amin, 1, 0.01);
        EXPECT_NEAR(e.le_mm / r.le, 1, 0.01);
        EXPECT_NEAR(e.Ve_mm3 / r.Ve, 1, 0.01);
        EXPECT_NEAR(e.windowWidth_mm, r.windowWidth, 1e-9);
        EXPECT_NEAR(e.windowHeight_mm, r.windowHeight, 1e-9);
    }
}

std::optional<Family> FamilyOf(const std::string& family) {
    if (family == "e" || family == "planarE") return Family::E;
    if (family == "er" || family == "planarER") return Family::Er;
    if (family == "efd") return Family::Efd;
    if (family == "etd") return Family::Etd;
    if (family == "eq") return Family::Eq;
    if (family == "pq") return Family::Pq;
    return std::nullopt;
}

// Every shape of the families computed: a core, its narrowest section never
// wider than its effective area, Ve = Ae × le.
TEST(SectionMethodTest, EveryShapesNarrowestSectionIsWithinItsArea) {
    int computed = 0;
    for (const nlohmann::json& shape : Shapes()) {
        const std::optional<Family> f = FamilyOf(shape["family"]);
        if (!f) continue;
        SCOPED_TRACE(shape["name"].get<std::string>());
        const auto result = FromLetters(*f, LettersAt(shape));
        if (!std::holds_alternative<Effective>(result)) {
            // A shape of the family the data gives without every letter.
            EXPECT_EQ(std::get<LetterProblem>(result).kind, LetterProblem::Kind::Missing);
            continue;
        }
        const Effective& e = std::get<Effective>(result);
        EXPECT_LE(e.Amin_mm2, e.Ae_mm2 * (1 + 1e-12));
        EXPECT_NEAR(e.Ve_mm3 / (e.Ae_mm2 * e.le_mm), 1, 1e-12);
        ++computed;
    }
    EXPECT_GE(computed, 240);
}

// E 25/13/7 by hand from its nominal letters: the five sections of one half
// (outer legs, back, centre leg, two corners), each sum doubled for the set.
TEST(SectionMethodTest, AnEByHand) {
    const Letters x = {{"A", 25.05}, {"B", 12.55}, {"C", 7.2},
                       {"D", 8.95},  {"E", 17.9},  {"F", 7.25}};
    const double pi = std::numbers::pi;
    const double h = 12.55 - 8.95, p = (25.05 - 17.9) / 2, s = 7.25 / 2;
    const double A1 = 2 * 7.2 * p, A2 = 2 * 7.2 * h, A3 = 2 * s * 7.2;
    const double l[] = {8.95, (17.9 - 7.25) / 2, 8.95, pi / 8 * (p + h), pi / 8 * (s + h)};
    const double A[] = {A1, A2, A3, (A1 + A2) / 2, (A2 + A3) / 2};
    double C1 = 0, C2 = 0;
    for (int i = 0; i < 5; ++i) C1 += 2 * l[i] / A[i], C2 += 2 * l[i] / (A[i] * A[i]);
    const Effective e = Of(Family::E, x);
    EXPECT_NEAR(e.Ae_mm2, C1 / C2, 1e-9);
    EXPECT_NEAR(e.le_mm, C1 * C1 / C2, 1e-9);
    EXPECT_NEAR(e.Ve_mm3, C1 * C1 * C1 / (C2 * C2), 1e-6);
    EXPECT_NEAR(e.Amin_mm2, std::min({A1, A2, A3}), 1e-12);
}

// The typed form: a family, then LETTER=mm fields in any order; its name
// lists them in the drawing's order, each as short as it reads back.
TEST(SectionMethodTest, ATypedShapeReadsAndIsNamed) {
    const std::optional<TypedShape> efd =
        ReadTypedShape("EFD  q=0.45 K=-0.2 F2=2.4 F=5.3 E=11 D=5.5 C=4.65 B=7.5 A=15");
    ASSERT_TRUE(efd);
    EXPECT_EQ(efd->family, Family::Efd);
    EXPECT_EQ(efd->letters.at("K"), -0.2);
    const std::string name = TypedShapeName(*efd);
    EXPECT_EQ(name, "EFD A=15 B=7.5 C=4.65 D=5.5 E=11 F=5.3 F2=2.4 K=-0.2 q=0.45");
    EXPECT_EQ(ReadTypedShape(name)->letters, efd->letters);
    EXPECT_TRUE(std::holds_alternative<Effective>(FromLetters(efd->family, efd->letters)));
    for (const char* bad : {"", "RM A=20", "E A", "E =3", "E A=x", "E A=1 A=2", "e A=1"})
        EXPECT_FALSE(ReadTypedShape(bad)) << bad;
}

// Letters a drawing cannot have are refused naming the letter.
TEST(SectionMethodTest, ImpossibleLettersAreRefusedByName) {
    using Kind = LetterProblem::Kind;
    const Letters good = {{"A", 25.3}, {"B", 9.5}, {"C", 6.3}, {"D", 6.4}, {"E", 18.8}, {"F", 6.3}};
    const struct {
        const char* letter;
        double value;
        Kind kind;
        const char* named;
        const char* bound;
    } cases[] = {
        {"A", -25.3, Kind::OutOfRange, "A", ""},
        {"C", 0, Kind::OutOfRange, "C", ""},
        {"D", 1e308 * 10, Kind::OutOfRange, "D", ""},
        {"D", NAN, Kind::OutOfRange, "D", ""},
        {"A", 1e200, Kind::OutOfRange, "A", ""},  // every product of the method would overflow
        {"F", 1e-200, Kind::OutOfRange, "F", ""},
        {"E", 25.3, Kind::NotBelow, "E", "A"},  // the outer legs would have no width
        {"F", 19, Kind::NotBelow, "F", "E"},
        {"D", 9.5, Kind::NotBelow, "D", "B"},
        {"G", 3, Kind::Unknown, "G", ""},
    };
    for (const auto& c : cases) {
        Letters x = good;
        x[c.letter] = c.value;
        const auto result = FromLetters(Family::E, x);
        ASSERT_TRUE(std::holds_alternative<LetterProblem>(result)) << c.letter;
        const LetterProblem& p = std::get<LetterProblem>(result);
        EXPECT_EQ(p.kind, c.kind) << c.letter;
        EXPECT_EQ(p.letter, c.named);
        EXPECT_EQ(p.bound, c.bound);
    }
    Letters missing = good;
    missing.erase("F");
    const auto result = FromLetters(Family::E, missing);
    ASSERT_TRUE(std::holds_alternative<LetterProblem>(result));
    EXPECT_EQ(std::get<LetterProblem>(result).kind, Kind::Missing);
    EXPECT_EQ(std::get<LetterProblem>(result).letter, "F");
}

}  // namespace
}  // namespace flyback::core_geometry

namespace flyback::core_geometry {
namespace {

// The round legs' own letters: a depth C the circle E cannot cut without a
// flat, a flat wider than its circle, a letter of another family.
TEST(SectionMethodTest, RoundLegLettersADrawingCannotHaveAreRefusedByName) {
    using Kind = LetterProblem::Kind;
    const Letters etd = {{"A", 29.8}, {"B", 15.8}, {"C", 9.5}, {"D", 11}, {"E", 22.7}, {"F", 9.5}};
    const Letters pq = {{"A", 20.5}, {"B", 8.1}, {"C", 14}, {"D", 5.15},
                        {"E", 18},   {"F", 8.8}, {"G", 12}};
    const struct {
        Family family;
        Letters letters;
        Kind kind;
        const char* named;
        const char* bound;
    } cases[] = {
        {Family::Etd,
         [&] {
             auto x = etd;
             x["C"] = 22.7;
             return x;
         }(),
         Kind::NotBelow, "C", "E"},
        {Family::Er,
         [&] {
             auto x = etd;
             x["G"] = 23;
             return x;
         }(),
         Kind::NotBelow, "G", "or equal to E"},
        {Family::Etd,
         [&] {
             auto x = etd;
             x["J"] = 3;
             return x;
         }(),
         Kind::Unknown, "J", ""},
        {Family::Pq,
         [&] {
             auto x = pq;
             x.erase("G");
             return x;
         }(),
         Kind::Missing, "G", ""},
        // Outer legs narrower than the segment their round faces cut.
        {Family::Pq,
         [&] {
             auto x = pq;
             x["A"] = 18.1, x["C"] = 8;
             return x;
         }(),
         Kind::NoSection, "A", ""},
    };
    for (const auto& c : cases) {
        const auto result = FromLetters(c.family, c.letters);
        ASSERT_TRUE(std::holds_alternative<LetterProblem>(result)) << c.named;
        const LetterProblem& p = std::get<LetterProblem>(result);
        EXPECT_EQ(p.kind, c.kind) << c.named;
        EXPECT_EQ(p.letter, c.named);
        EXPECT_EQ(p.bound, c.bound);
    }
    // A flat as wide as its circle is planar ER's straight outer legs.
    Letters straight = etd;
    straight["G"] = 22.7;
    EXPECT_TRUE(std::holds_alternative<Effective>(FromLetters(Family::Er, straight)));
}

}  // namespace
}  // namespace flyback::core_geometry
