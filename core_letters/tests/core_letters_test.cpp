// The 自定义磁芯 dialog's words and drawing, which the window and the page
// both show: each family's letters with a meaning, a drawing that names every
// letter a family needs, and the core or, naming the letter, why not.
#include "core_letters/core_letters.hpp"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <memory>
#include <string>

#include "catalogue/typed_core.hpp"

namespace flyback::core_letters {
namespace {

using core_geometry::Family;

core_geometry::TypedShape Shape(const char* text) {
    const auto shape = core_geometry::ReadTypedShape(text);
    EXPECT_TRUE(shape) << text;
    return shape.value_or(core_geometry::TypedShape{});
}

TEST(CoreLettersTest, EveryFamilysDrawingIsSvgAndNamesItsLetters) {
    for (const Family family : Families()) {
        const std::string svg = DrawingSvg(family);
        const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
            xmlReadMemory(svg.data(), static_cast<int>(svg.size()), "drawing.svg", nullptr,
                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
            xmlFreeDoc);
        EXPECT_TRUE(doc) << core_geometry::FamilyName(family);
        for (const LetterField& field : Fields(family)) {
            EXPECT_FALSE(field.caption.empty()) << field.letter;
            if (field.optional && field.letter != "G") continue;  // J, L: by their captions
            EXPECT_NE(svg.find(">" + field.letter + "</text>"), std::string::npos)
                << core_geometry::FamilyName(family) << " " << field.letter;
        }
    }
}

TEST(CoreLettersTest, TheCoreOrWhyNotNamingTheLetter) {
    const struct {
        const char* typed;
        const char* expected;  // in the first result line, or the problem
    } cases[] = {
        {"E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3", "有效截面积 Ae"},
        {"E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8", "缺少尺寸 F（E 型：A B C D E F）"},
        {"E A=25.3 B=9.5 C=6.3 D=6.4 E=26 F=6.3", "尺寸 E 须小于 A"},
        {"E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3 G=3", "G 不是 E 型磁芯的尺寸"},
        {"ETD A=29.8 B=15.8 C=9.5 D=11 E=22.7 F=900", "尺寸 F 须在 0.1 mm 至 500 mm 之间"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Make(Shape(c.typed));
        const std::string said = outcome.core ? outcome.lines.front() : outcome.problem;
        EXPECT_NE(said.find(c.expected), std::string::npos) << c.typed << ": " << said;
        EXPECT_EQ(outcome.core.has_value(), outcome.problem.empty()) << c.typed;
    }
}

// As the dialog's fields give them: blanks are no letter, text is no number.
TEST(CoreLettersTest, FieldsAsTyped) {
    const std::vector<TypedField> typed = {{"A", "25.3"}, {"B", " 9.5 "}, {"C", "6.3"},
                                           {"D", "6.4"},  {"E", "18.8"},  {"F", "6.3"}};
    EXPECT_TRUE(MakeFromTexts(Family::E, typed).core);
    std::vector<TypedField> blank = typed;
    blank.back().text = "  ";
    EXPECT_NE(MakeFromTexts(Family::E, blank).problem.find("缺少尺寸 F"), std::string::npos);
    std::vector<TypedField> words = typed;
    words[2].text = "6,3";
    EXPECT_EQ(MakeFromTexts(Family::E, words).problem, "尺寸 C 不是数字。");
}

TEST(CoreLettersTest, ATypedCoreKeptByItsNameIsMadeAgain) {
    const char* name = "ETD A=29.8 B=15.8 C=9.5 D=11 E=22.7 F=9.5";
    catalogue::Catalogue parts;
    EXPECT_TRUE(catalogue::AddTypedCore(parts, name));
    ASSERT_EQ(parts.cores.size(), 1u);
    EXPECT_TRUE(catalogue::AddTypedCore(parts, name));  // found, not added twice
    EXPECT_EQ(parts.cores.size(), 1u);
    EXPECT_NEAR(parts.cores.front().Ae_mm2, 76.51, 0.01);  // the ETD29 by the method
    for (const char* notACore : {"EFD30/15/9", "ETD A=29.8", "PQ nonsense"})
        EXPECT_FALSE(catalogue::AddTypedCore(parts, notACore)) << notACore;
    EXPECT_EQ(parts.cores.size(), 1u);
}

}  // namespace
}  // namespace flyback::core_letters
