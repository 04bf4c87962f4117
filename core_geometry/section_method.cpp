#include "core_geometry/section_method.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

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

// The set's constants from one half's sections (both halves alike): twice
// each sum, so Ae is the half's and le and Ve the set's.
Effective FromSections(const std::vector<Section>& half, double weight1, double weight2) {
    double C1 = 0, C2 = 0, Amin = half.front().A;
    for (const Section& s : half) {
        C1 = Add(C1, Divide(s.l, s.A));
        C2 = Add(C2, Divide(s.l, Multiply(s.A, s.A)));
        Amin = std::min(Amin, s.A);
    }
    C1 = Multiply(2, Divide(C1, weight1));
    C2 = Multiply(2, Divide(C2, weight2));
    Effective e;
    e.le_mm = Divide(Multiply(C1, C1), C2);
    e.Ae_mm2 = Divide(C1, C2);
    e.Ve_mm3 = Divide(Power(C1, 3), Multiply(C2, C2));
    e.Amin_mm2 = Multiply(Amin, weight1);
    return e;
}

// One half of an E: the outer legs (p wide, C deep), the back (h high),
// the centre leg (F × C) and the two corners between them, each the mean
// of the areas it joins over an eighth of a circle's path.
Effective OfE(const Letters& x) {
    const double A = x.at("A"), B = x.at("B"), C = x.at("C"), D = x.at("D"), E = x.at("E"),
                 F = x.at("F");
    const double h = Subtract(B, D), s = Divide(F, 2), p = Divide(Subtract(A, E), 2);
    const double A1 = Multiply(Multiply(2, C), p), A2 = Multiply(Multiply(2, C), h),
                 A3 = Multiply(Multiply(2, s), C);
    return FromSections({{D, A1},
                         {Divide(Subtract(E, F), 2), A2},
                         {D, A3},
                         {Multiply(kPi / 8, Add(p, h)), Divide(Add(A1, A2), 2)},
                         {Multiply(kPi / 8, Add(s, h)), Divide(Add(A2, A3), 2)}},
                        1, 1);
}

// One half of an EFD, its areas halved (the centre leg F × F2 less its
// rounded corners), so the constants are divided by 2 and 4 before the set
// doubles them.
Effective OfEfd(const Letters& x) {
    const double A = x.at("A"), B = x.at("B"), C = x.at("C"), D = x.at("D"), E = x.at("E"),
                 F = x.at("F"), F2 = x.at("F2"), K = x.at("K"), q = x.at("q");
    const double h = Subtract(B, D);
    const double A1 = Multiply(C, Divide(Subtract(A, E), 2)), A2 = Multiply(C, h),
                 A3 = Divide(Subtract(Multiply(F, F2), Multiply(2, Multiply(q, q))), 2);
    const double across = Divide(Subtract(Subtract(C, F2), Multiply(2, K)), 2);
    const double l5 = Multiply(
        kPi / 4, Add(Divide(F, 4), SquareRoot(Add(Power(across, 2), Power(Divide(h, 2), 2)))));
    return FromSections(
        {{D, A1},
         {Divide(Subtract(E, F), 2), A2},
         {D, A3},
         {Multiply(kPi / 8, Add(Divide(Subtract(A, E), 2), h)), Divide(Add(A1, A2), 2)},
         {l5, Divide(Add(A2, A3), 2)}},
        2, 4);
}

const std::vector<std::string_view> kE = {"A", "B", "C", "D", "E", "F"};
const std::vector<std::string_view> kEfd = {"A", "B", "C", "D", "E", "F", "F2", "K", "q"};

// The letters each must stay below, where the drawing nests them.
constexpr std::array<std::array<std::string_view, 2>, 4> kNested = {
    {{"E", "A"}, {"F", "E"}, {"D", "B"}, {"F2", "C"}}};

std::optional<LetterProblem> Check(Family family, const Letters& letters) {
    using Kind = LetterProblem::Kind;
    for (const auto& [letter, value] : letters) {
        const auto& known = LettersOf(family);
        if (std::find(known.begin(), known.end(), letter) == known.end())
            return LetterProblem{Kind::Unknown, letter, ""};
    }
    for (const std::string_view letter : LettersOf(family)) {
        const auto at = letters.find(letter);
        if (at == letters.end()) return LetterProblem{Kind::Missing, std::string(letter), ""};
        // K, the EFD's centre leg's offset, may lie either way (EFD 15's is
        // −0.2 mm) and q, a corner's radius, may be none.
        const double v = at->second;
        const bool ok = letter == "K"   ? std::abs(v) <= kLongestLetter_mm
                        : letter == "q" ? v >= 0 && v <= kLongestLetter_mm
                                        : v >= kShortestLetter_mm && v <= kLongestLetter_mm;
        if (!ok) return LetterProblem{Kind::OutOfRange, std::string(letter), ""};
    }
    for (const auto& [inner, outer] : kNested) {
        const auto i = letters.find(inner), o = letters.find(outer);
        if (i != letters.end() && o != letters.end() && !(i->second < o->second))
            return LetterProblem{Kind::NotBelow, std::string(inner), std::string(outer)};
    }
    if (family == Family::Efd) {
        const double q = letters.at("q");
        if (!(2 * q * q < letters.at("F") * letters.at("F2")))
            return LetterProblem{Kind::NotBelow, "q", "√(F × F2 ÷ 2)"};
    }
    return std::nullopt;
}

}  // namespace

std::string_view FamilyName(Family family) {
    return family == Family::E ? "E" : "EFD";
}

std::optional<Family> FamilyNamed(std::string_view name) {
    if (name == "E") return Family::E;
    if (name == "EFD") return Family::Efd;
    return std::nullopt;
}

const std::vector<std::string_view>& LettersOf(Family family) {
    return family == Family::E ? kE : kEfd;
}

std::variant<Effective, LetterProblem> FromLetters(Family family, const Letters& letters) {
    if (std::optional<LetterProblem> problem = Check(family, letters)) return *problem;
    Effective e = family == Family::E ? OfE(letters) : OfEfd(letters);
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
    for (const std::string_view letter : LettersOf(shape.family)) {
        const auto at = shape.letters.find(letter);
        if (at == shape.letters.end()) continue;
        name += " " + std::string(letter) + "=" + runtime::decimal::ShortestText(at->second);
    }
    return name;
}

}  // namespace flyback::core_geometry
