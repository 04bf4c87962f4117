#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A two-piece core's effective parameters from its drawing's dimension
// letters (IEC 62317), by IEC 60205's section method: the magnetic path cut
// into sections of length l_i and area A_i, C1 = Σ l_i ÷ A_i and
// C2 = Σ l_i ÷ A_i² over the set, then le = C1² ÷ C2, Ae = C1 ÷ C2,
// Ve = C1³ ÷ C2², Amin = min A_i. The round legs' angles and logarithms come
// from portable_math, so every build gets the same doubles.
namespace flyback::core_geometry {

// E (and planar E): a rectangular centre leg F × C. EFD: a flattened
// centre leg F × F2 with rounded corners q, offset by K. ETD, ER (and
// planar ER) and EQ: a round centre leg of diameter F inside outer legs
// whose inner faces are a circle of diameter E, cut flat at G where the
// drawing gives it. PQ: a round centre leg, the outer legs' inner circle E
// cut by the chord G, the legs' sides set by J and L (where the drawing
// gives them).
enum class Family { E, Efd, Etd, Er, Eq, Pq };

// "E", "EFD", "ETD", "ER", "EQ", "PQ"; the family of such a name, none for
// another.
std::string_view FamilyName(Family family);
std::optional<Family> FamilyNamed(std::string_view name);

// The letters of one half, mm: A overall width, B height of one half,
// C depth, D the window's height in one half, E between the outer legs'
// inner faces, F the centre leg's width; EFD adds F2 (the centre leg's
// depth), K (its offset, either way) and q (its corners' radius); the round
// families read F as the centre leg's diameter and E as the diameter of the
// outer legs' inner faces, G as their flat's width, J and L as a PQ's sides.
using Letters = std::map<std::string, double, std::less<>>;

// The letters a family needs, in the drawing's order, and those it reads
// where a drawing gives them.
const std::vector<std::string_view>& LettersOf(Family family);
const std::vector<std::string_view>& OptionalLettersOf(Family family);

struct Effective {
    double Ae_mm2 = 0, le_mm = 0, Ve_mm3 = 0, Amin_mm2 = 0;
    // The bare window of the set, no bobbin: (E − F) ÷ 2 wide, 2D high.
    double windowWidth_mm = 0, windowHeight_mm = 0;
};

// A letter's length lies within what any ferrite part has (planar E cores
// reach about 100 mm); K, an offset, within as much either way; q, a
// corner's radius, from none. Bounding them first keeps every product and
// quotient of the method finite.
inline constexpr double kShortestLetter_mm = 0.1, kLongestLetter_mm = 500;

// Why a set of letters gives no core, naming the letter: one missing, one
// outside its lengths (kShortestLetter_mm to kLongestLetter_mm), or one not
// below the one it must fit inside (E below A, F below E, D below B, F2
// below C, G not above E; a round leg's depth C below E where no G cuts the
// outer legs; an EFD's corners q below √(F × F2 ÷ 2)), or letters that leave
// a section of the path with no area (the letter named is the overall width
// A, which the outer legs and back take their area from).
struct LetterProblem {
    enum class Kind { Missing, OutOfRange, NotBelow, Unknown, NoSection };
    Kind kind = Kind::Missing;
    std::string letter;
    std::string bound;  // NotBelow: the letter it must be below
};

std::variant<Effective, LetterProblem> FromLetters(Family family, const Letters& letters);

}  // namespace flyback::core_geometry

namespace flyback::core_geometry {

// "E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3": a family's name, then each
// letter with its dimension in mm, in any order. None where the text is not
// of that form (an unknown family, a field without "=", a letter twice or a
// value that is not a number); the letters are checked by FromLetters.
struct TypedShape {
    Family family = Family::E;
    Letters letters;
};
std::optional<TypedShape> ReadTypedShape(std::string_view text);

// "E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3": the shape's name, ASCII and
// read back as typed, its letters in the drawing's order, each value as
// short as it reads back (a bare "F22.4" would not tell F2 2.4 from F 22.4).
std::string TypedShapeName(const TypedShape& shape);

}  // namespace flyback::core_geometry
