#include "core_geometry/section_method.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "portable_math/portable_math.hpp"
#include "runtime/arithmetic.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"

namespace flyback::core_geometry {
namespace {

using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using runtime::Subtract;

constexpr double kPi = std::numbers::pi;

struct Section {
    double l, A;
};

// How a family's sections add up to the set's constants: the set doubles
// each half's sums, which some families give over a half of the area (EFD)
// or over the whole path (PQ), so the sums are first divided as their
// drawing's method divides them.
struct Sums {
    double c1Divisor = 1, c2Divisor = 1, aminFactor = 1;
};

Effective FromSections(const std::vector<Section>& half, Sums sums) {
    double C1 = 0, C2 = 0, Amin = half.front().A;
    for (const Section& s : half) {
        C1 = Add(C1, Divide(s.l, s.A));
        C2 = Add(C2, Divide(s.l, Multiply(s.A, s.A)));
        Amin = std::min(Amin, s.A);
    }
    C1 = Multiply(2, Divide(C1, sums.c1Divisor));
    C2 = Multiply(2, Divide(C2, sums.c2Divisor));
    Effective e;
    e.le_mm = Divide(Multiply(C1, C1), C2);
    e.Ae_mm2 = Divide(C1, C2);
    e.Ve_mm3 = Divide(Power(C1, 3), Multiply(C2, C2));
    e.Amin_mm2 = Multiply(Amin, sums.aminFactor);
    return e;
}

double Letter(const Letters& x, std::string_view letter, double otherwise = 0) {
    const auto at = x.find(letter);
    return at == x.end() ? otherwise : at->second;
}

// One half of an E: the outer legs (p wide, C deep), the back (h high),
// the centre leg (F × C) and the two corners between them, each the mean
// of the areas it joins over an eighth of a circle's path.
std::vector<Section> OfE(const Letters& x) {
    const double A = x.at("A"), B = x.at("B"), C = x.at("C"), D = x.at("D"), E = x.at("E"),
                 F = x.at("F");
    const double h = Subtract(B, D), s = Divide(F, 2), p = Divide(Subtract(A, E), 2);
    const double A1 = Multiply(Multiply(2, C), p), A2 = Multiply(Multiply(2, C), h),
                 A3 = Multiply(Multiply(2, s), C);
    return {{D, A1},
            {Divide(Subtract(E, F), 2), A2},
            {D, A3},
            {Multiply(kPi / 8, Add(p, h)), Divide(Add(A1, A2), 2)},
            {Multiply(kPi / 8, Add(s, h)), Divide(Add(A2, A3), 2)}};
}

// One half of an EFD, its areas halved (the centre leg F × F2 less its
// rounded corners), so the constants are divided by 2 and 4 before the set
// doubles them.
std::vector<Section> OfEfd(const Letters& x) {
    const double A = x.at("A"), B = x.at("B"), C = x.at("C"), D = x.at("D"), E = x.at("E"),
                 F = x.at("F"), F2 = x.at("F2"), K = x.at("K"), q = x.at("q");
    const double h = Subtract(B, D);
    const double A1 = Multiply(C, Divide(Subtract(A, E), 2)), A2 = Multiply(C, h),
                 A3 = Divide(Subtract(Multiply(F, F2), Multiply(2, Multiply(q, q))), 2);
    const double across = Divide(Subtract(Subtract(C, F2), Multiply(2, K)), 2);
    const double l5 = Multiply(
        kPi / 4, Add(Divide(F, 4), SquareRoot(Add(Power(across, 2), Power(Divide(h, 2), 2)))));
    return {{D, A1},
            {Divide(Subtract(E, F), 2), A2},
            {D, A3},
            {Multiply(kPi / 8, Add(Divide(Subtract(A, E), 2), h)), Divide(Add(A1, A2), 2)},
            {l5, Divide(Add(A2, A3), 2)}};
}

// One half of an ETD, ER or EQ: an E whose outer legs lose the circular
// segment their round inner faces cut (the chord at the depth C, or at the
// flat G where there is one) and whose centre leg is a disc. The path turns
// into a round leg nearer its axis: 0.5959 of its radius.
std::vector<Section> OfRoundLeg(const Letters& x) {
    const double A = x.at("A"), B = x.at("B"), C = x.at("C"), D = x.at("D"), E = x.at("E"),
                 F = x.at("F"), G = Letter(x, "G");
    const double radius = Divide(E, 2);
    const double theta =
        G > 0 ? portable_math::Acos(Divide(G, E)) : portable_math::Asin(Divide(C, E));
    const double a = G > 0 ? Divide(G, 2) : Multiply(radius, portable_math::Cos(theta));
    const double segment =
        Multiply(Divide(Multiply(radius, radius), 2),
                 Subtract(Multiply(2, theta), portable_math::Sin(Multiply(2, theta))));
    const double outerLeg = Subtract(Multiply(C, Subtract(Divide(A, 2), a)), segment);
    const double h = Subtract(B, D), s = Divide(F, 2), p = Divide(outerLeg, C);
    const double A1 = Multiply(2, outerLeg), A2 = Multiply(Multiply(2, C), h),
                 A3 = Multiply(kPi, Multiply(s, s));
    return {{D, A1},
            {Divide(Subtract(E, F), 2), A2},
            {D, A3},
            {Multiply(kPi / 8, Add(p, h)), Divide(Add(A1, A2), 2)},
            {Multiply(kPi / 8, Add(Multiply(2 * 0.5959, s), h)), Divide(Add(A2, A3), 2)}};
}

// A PQ over its whole path: outer legs (the rectangle C × (A − G) less the
// circle E beyond the chord G), the back between the circles E and F
// (its length and area by the logarithm of a radial path), the round centre
// leg, and the two corners. Where the drawing gives no J and L, the centre
// leg's sides are taken as J = F/2, L = F + (C − F)/3.
std::vector<Section> OfPq(const Letters& x) {
    const double A = x.at("A"), B = x.at("B"), C = x.at("C"), D = x.at("D"), E = x.at("E"),
                 F = x.at("F"), G = x.at("G");
    const bool sides = x.contains("J") && x.contains("L");
    const double J = sides ? x.at("J") : Divide(F, 2);
    const double L = sides ? x.at("L") : Add(F, Divide(Subtract(C, F), 3));
    const double beta = portable_math::Acos(Divide(G, E)),
                 alpha = portable_math::Atan(Divide(L, J));
    const double I = Multiply(E, portable_math::Sin(beta)), h = Subtract(B, D);
    const double a7 =
        Divide(Add(Subtract(Multiply(beta, Multiply(E, E)), Multiply(alpha, Multiply(F, F))),
                   Subtract(Multiply(G, L), Multiply(J, I))),
               8);
    const double a8 = Multiply(kPi / 16, Subtract(Multiply(E, E), Multiply(F, F)));
    const double K = Divide(a7, a8);
    const double lMin = Divide(Subtract(E, F), 2);
    const double lMax = Divide(
        SquareRoot(Subtract(
            Add(Multiply(E, E), Multiply(F, F)),
            Multiply(Multiply(2, Multiply(E, F)), portable_math::Cos(Subtract(alpha, beta))))),
        2);
    const double f = Divide(Add(lMin, lMax), Multiply(2, lMin));
    const double ln = portable_math::Log(Divide(E, F)),
                 radial = Divide(Multiply(E, F), Subtract(E, F));
    const double A1 =
        Add(Subtract(Multiply(C, Subtract(A, G)), Divide(Multiply(beta, Multiply(E, E)), 2)),
            Divide(Multiply(G, I), 2));
    const double A3 = Divide(Multiply(kPi, Multiply(F, F)), 4);
    return {{Multiply(2, D), A1},
            {Multiply(Multiply(f, radial), Multiply(ln, ln)),
             Multiply(Multiply(kPi, K), Multiply(radial, Multiply(h, ln)))},
            {Multiply(2, D), A3},
            {Multiply(kPi / 4, Add(h, Subtract(Divide(A, 2), Divide(E, 2)))),
             Divide(Add(A1, Multiply(Multiply(2, beta), Multiply(E, h))), 2)},
            {Multiply(kPi / 4, Add(h, Multiply(1 - 1 / std::numbers::sqrt2, F))),
             Divide(Add(A3, Multiply(Multiply(2, alpha), Multiply(F, h))), 2)}};
}

const std::vector<std::string_view> kE = {"A", "B", "C", "D", "E", "F"};
const std::vector<std::string_view> kEfd = {"A", "B", "C", "D", "E", "F", "F2", "K", "q"};
const std::vector<std::string_view> kPq = {"A", "B", "C", "D", "E", "F", "G"};
const std::vector<std::string_view> kNone = {};
const std::vector<std::string_view> kFlat = {"G"};
const std::vector<std::string_view> kSides = {"J", "L"};

struct FamilyRow {
    Family family;
    std::string_view name;
    const std::vector<std::string_view>& letters;
    const std::vector<std::string_view>& optional;
    std::vector<Section> (*sections)(const Letters&);
    Sums sums;
};

const FamilyRow kFamilies[] = {
    {Family::E, "E", kE, kNone, OfE, {}},
    {Family::Efd, "EFD", kEfd, kNone, OfEfd, {2, 4, 2}},
    {Family::Etd, "ETD", kE, kFlat, OfRoundLeg, {}},
    {Family::Er, "ER", kE, kFlat, OfRoundLeg, {}},
    {Family::Eq, "EQ", kE, kFlat, OfRoundLeg, {}},
    {Family::Pq, "PQ", kPq, kSides, OfPq, {2, 2, 1}},
};

const FamilyRow& RowOf(Family family) {
    for (const FamilyRow& row : kFamilies)
        if (row.family == family) return row;
    return kFamilies[0];
}

bool IsRoundLeg(Family family) {
    return family == Family::Etd || family == Family::Er || family == Family::Eq;
}

// The letters each must stay below, where the drawing nests them.
constexpr std::array<std::array<std::string_view, 2>, 4> kNested = {
    {{"E", "A"}, {"F", "E"}, {"D", "B"}, {"F2", "C"}}};

bool Known(const std::vector<std::string_view>& letters, std::string_view letter) {
    return std::find(letters.begin(), letters.end(), letter) != letters.end();
}

bool WithinItsLengths(std::string_view letter, double v) {
    // K, the EFD's centre leg's offset, may lie either way (EFD 15's is
    // −0.2 mm) and q, a corner's radius, may be none.
    return letter == "K"   ? std::abs(v) <= kLongestLetter_mm
           : letter == "q" ? v >= 0 && v <= kLongestLetter_mm
                           : v >= kShortestLetter_mm && v <= kLongestLetter_mm;
}

std::optional<LetterProblem> Check(Family family, const Letters& letters) {
    using Kind = LetterProblem::Kind;
    const FamilyRow& row = RowOf(family);
    for (const auto& [letter, value] : letters) {
        if (!Known(row.letters, letter) && !Known(row.optional, letter))
            return LetterProblem{Kind::Unknown, letter, ""};
        if (!WithinItsLengths(letter, value)) return LetterProblem{Kind::OutOfRange, letter, ""};
    }
    for (const std::string_view letter : row.letters)
        if (!letters.contains(letter)) return LetterProblem{Kind::Missing, std::string(letter), ""};
    for (const auto& [inner, outer] : kNested) {
        const auto i = letters.find(inner), o = letters.find(outer);
        if (i != letters.end() && o != letters.end() && !(i->second < o->second))
            return LetterProblem{Kind::NotBelow, std::string(inner), std::string(outer)};
    }
    // A flat as wide as the circle is none: planar ER's straight outer legs.
    if (letters.contains("G") && letters.contains("E") && !(letters.at("G") <= letters.at("E")))
        return LetterProblem{Kind::NotBelow, "G", "or equal to E"};
    if (IsRoundLeg(family) && !letters.contains("G") && !(letters.at("C") < letters.at("E")))
        return LetterProblem{Kind::NotBelow, "C", "E"};
    if (family == Family::Efd) {
        const double q = letters.at("q");
        if (!(2 * q * q < letters.at("F") * letters.at("F2")))
            return LetterProblem{Kind::NotBelow, "q", "√(F × F2 ÷ 2)"};
    }
    return std::nullopt;
}

}  // namespace

std::string_view FamilyName(Family family) {
    return RowOf(family).name;
}

std::optional<Family> FamilyNamed(std::string_view name) {
    for (const FamilyRow& row : kFamilies)
        if (row.name == name) return row.family;
    return std::nullopt;
}

const std::vector<std::string_view>& LettersOf(Family family) {
    return RowOf(family).letters;
}

const std::vector<std::string_view>& OptionalLettersOf(Family family) {
    return RowOf(family).optional;
}

std::variant<Effective, LetterProblem> FromLetters(Family family, const Letters& letters) {
    if (std::optional<LetterProblem> problem = Check(family, letters)) return *problem;
    const FamilyRow& row = RowOf(family);
    const std::vector<Section> sections = row.sections(letters);
    // Letters each within the drawing's nesting can still leave a section
    // without area (outer legs thinner than their round faces' segment).
    for (const Section& section : sections)
        if (!(section.A > 0) || !(section.l > 0) || !std::isfinite(section.A) ||
            !std::isfinite(section.l))
            return LetterProblem{LetterProblem::Kind::NoSection, "A", ""};
    Effective e = FromSections(sections, row.sums);
    e.windowWidth_mm = Divide(Subtract(letters.at("E"), letters.at("F")), 2);
    e.windowHeight_mm = Multiply(2, letters.at("D"));
    return e;
}

}  // namespace flyback::core_geometry

namespace flyback::core_geometry {

std::optional<TypedShape> ReadTypedShape(std::string_view text) {
    std::vector<std::string_view> fields;
    while (!text.empty()) {
        const std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        text.remove_prefix(start);
        const std::size_t end = std::min(text.find(' '), text.size());
        fields.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    if (fields.empty()) return std::nullopt;
    const std::optional<Family> family = FamilyNamed(fields.front());
    if (!family) return std::nullopt;
    TypedShape shape{*family, {}};
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const std::size_t equals = fields[i].find('=');
        if (equals == std::string_view::npos || equals == 0) return std::nullopt;
        const std::optional<double> value = runtime::ReadWholeNumber(fields[i].substr(equals + 1));
        if (!value) return std::nullopt;
        if (!shape.letters.emplace(std::string(fields[i].substr(0, equals)), *value).second)
            return std::nullopt;
    }
    return shape;
}

std::string TypedShapeName(const TypedShape& shape) {
    std::string name(FamilyName(shape.family));
    const auto add = [&](const std::vector<std::string_view>& letters) {
        for (const std::string_view letter : letters) {
            const auto at = shape.letters.find(letter);
            if (at == shape.letters.end()) continue;
            name += " " + std::string(letter) + "=" + runtime::decimal::ShortestText(at->second);
        }
    };
    add(LettersOf(shape.family));
    add(OptionalLettersOf(shape.family));
    return name;
}

}  // namespace flyback::core_geometry
