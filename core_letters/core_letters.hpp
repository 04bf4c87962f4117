#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "catalogue/typed_core.hpp"
#include "core_geometry/section_method.hpp"

// A core typed by its drawing's letters, as the window's and the page's
// 自定义磁芯 dialogs show it: the families, each letter's meaning, the
// family's drawing with its letters, the core made from them (or why not)
// and its parameters, all in Chinese and all written once here.
namespace flyback::core_letters {

// The dialog's own words.
inline constexpr std::string_view kDialogTitle = "自定义磁芯";
inline constexpr std::string_view kFamilyCaption = "形状";
inline constexpr std::string_view kHint = "尺寸按磁芯规格书的字母填写，单位 mm；方括号中的可不填。";
// A field's hint: what a needed letter is in, and that another may stay empty.
inline constexpr std::string_view kNeededHint = "mm", kOptionalHint = "可不填";

// The families a core can be typed in, in the order a dialog lists them.
const std::vector<core_geometry::Family>& Families();
// "E 型（矩形中柱）", "ETD 型（圆中柱）" …
std::string FamilyCaption(core_geometry::Family family);

// Whether the family's centre leg is round (F its diameter, E the diameter of
// the outer legs' inner faces).
bool RoundLeg(core_geometry::Family family);

// "A B C D E F [G]": the letters a family needs, then in brackets those it
// reads where given, as every front end lists them.
std::string LettersList(core_geometry::Family family);

struct LetterField {
    std::string letter;   // "F2"
    std::string caption;  // "中柱厚度"
    bool optional = false;
};
// The letters a family needs, then those it reads where a drawing gives them.
std::vector<LetterField> Fields(core_geometry::Family family);

// The family's drawing, its letters where they measure: a half seen from the
// side and the set from above; not to scale.
std::string DrawingSvg(core_geometry::Family family);

// Why the letters give no core, in Chinese, naming the letter.
std::string ProblemText(const catalogue::TypedCoreProblem& problem, core_geometry::Family family);

// What the dialog shows of a typed core: its parameters, its bare window,
// and that it has no bobbin (so no copper loss nor temperature).
std::vector<std::string> ResultLines(const catalogue::Core& core);

struct Outcome {
    std::optional<catalogue::Core> core;
    std::string problem;             // empty with a core
    std::vector<std::string> lines;  // empty without one
};
Outcome Make(const core_geometry::TypedShape& shape);

// The same from the dialog's fields as typed: each letter with its text, an
// empty one left out, one that is not a number said by its letter.
struct TypedField {
    std::string letter, text;
};
Outcome MakeFromTexts(core_geometry::Family family, const std::vector<TypedField>& fields);

}  // namespace flyback::core_letters
