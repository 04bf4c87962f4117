#include "core_letters/core_letters.hpp"

#include <variant>

#include "record/readable.hpp"
#include "runtime/number_text.hpp"

namespace flyback::core_letters {
namespace {

using core_geometry::Family;

std::string LetterCaption(Family family, std::string_view letter) {
    if (letter == "A") return "总宽";
    if (letter == "B") return "单片高度";
    if (letter == "C") return "厚度（深）";
    if (letter == "D") return "单片窗口高度";
    if (letter == "E") return RoundLeg(family) ? "外柱内侧圆直径" : "外柱内侧间距";
    if (letter == "F") return RoundLeg(family) ? "中柱直径" : "中柱宽度";
    if (letter == "F2") return "中柱厚度";
    if (letter == "K") return "中柱偏移";
    if (letter == "q") return "中柱圆角半径";
    if (letter == "G") return family == Family::Pq ? "外柱内侧弦宽" : "外柱内侧平面宽度";
    if (letter == "J") return "外柱侧边 J";
    if (letter == "L") return "外柱侧边 L";
    return std::string(letter);
}

std::string LetterText(const core_geometry::LetterProblem& p, Family family) {
    using Kind = core_geometry::LetterProblem::Kind;
    const std::string name(core_geometry::FamilyName(family));
    switch (p.kind) {
        case Kind::Missing:
            return "缺少尺寸 " + p.letter + "（" + name + " 型：" + LettersList(family) + "）。";
        case Kind::OutOfRange:
            return "尺寸 " + p.letter + " 须" +
                   (p.letter == "K"   ? "在 −500 mm 至 500 mm 之间。"
                    : p.letter == "q" ? "在 0 至 500 mm 之间。"
                                      : "在 0.1 mm 至 500 mm 之间。");
        case Kind::NotBelow:
            return "尺寸 " + p.letter + " 须小于 " + p.bound + "。";
        case Kind::Unknown:
            return p.letter + " 不是 " + name + " 型磁芯的尺寸（" + LettersList(family) + "）。";
        case Kind::NoSection:
            return "这些尺寸使外柱或背部没有截面：总宽 A 相对其余尺寸太窄。";
    }
    return {};
}

}  // namespace

bool RoundLeg(Family family) {
    return family == Family::Etd || family == Family::Er || family == Family::Eq ||
           family == Family::Pq;
}

std::string LettersList(Family family) {
    std::string letters;
    for (const std::string_view letter : core_geometry::LettersOf(family))
        letters += (letters.empty() ? "" : " ") + std::string(letter);
    for (const std::string_view letter : core_geometry::OptionalLettersOf(family))
        letters += " [" + std::string(letter) + "]";
    return letters;
}

const std::vector<Family>& Families() {
    static const std::vector<Family> families = {Family::E,  Family::Efd, Family::Etd,
                                                 Family::Er, Family::Eq,  Family::Pq};
    return families;
}

std::string FamilyCaption(Family family) {
    const std::string name(core_geometry::FamilyName(family));
    if (family == Family::Efd) return name + " 型（扁平中柱）";
    return name + (RoundLeg(family) ? " 型（圆中柱）" : " 型（矩形中柱）");
}

std::vector<LetterField> Fields(Family family) {
    std::vector<LetterField> fields;
    for (const std::string_view letter : core_geometry::LettersOf(family))
        fields.push_back({std::string(letter), LetterCaption(family, letter), false});
    for (const std::string_view letter : core_geometry::OptionalLettersOf(family))
        fields.push_back({std::string(letter), LetterCaption(family, letter), true});
    return fields;
}

std::string ProblemText(const catalogue::TypedCoreProblem& problem, Family family) {
    if (const auto* letter = std::get_if<core_geometry::LetterProblem>(&problem))
        return LetterText(*letter, family);
    const catalogue::PartProblem& part = std::get<catalogue::PartProblem>(problem);
    return "由这些尺寸算出的 " + std::string(part.field) + " 为 " +
           record::ReadableNumber(part.value) + "，超出实际磁芯的范围（" +
           record::ReadableNumber(part.bounds.low) + " 至 " +
           record::ReadableNumber(part.bounds.high) + "）。";
}

std::vector<std::string> ResultLines(const catalogue::Core& core) {
    using record::ReadableValue;
    std::vector<std::string> lines = {
        "有效截面积 Ae " + ReadableValue(core.Ae_mm2, "mm²") + "，最小截面积 Amin " +
            ReadableValue(core.Amin_mm2, "mm²"),
        "有效磁路长度 le " + ReadableValue(core.le_mm, "mm") + "，有效体积 Ve " +
            ReadableValue(core.Ve_mm3, "mm³"),
    };
    if (core.coreWindowWidth_mm && core.coreWindowHeight_mm) {
        lines.push_back("裸磁芯窗口 " + ReadableValue(*core.coreWindowWidth_mm, "mm") + " × " +
                        ReadableValue(*core.coreWindowHeight_mm, "mm") +
                        "；没有骨架与平均匝长，铜损与温升无法算出");
    }
    return lines;
}

Outcome Make(const core_geometry::TypedShape& shape) {
    const auto typed = catalogue::TypedCore(shape);
    if (const auto* problem = std::get_if<catalogue::TypedCoreProblem>(&typed))
        return {std::nullopt, ProblemText(*problem, shape.family), {}};
    const catalogue::Core& core = std::get<catalogue::Core>(typed);
    return {core, {}, ResultLines(core)};
}

Outcome MakeFromTexts(Family family, const std::vector<TypedField>& fields) {
    core_geometry::TypedShape shape{family, {}};
    for (const TypedField& field : fields) {
        if (field.text.find_first_not_of(" \t") == std::string::npos) continue;
        const std::optional<double> value = runtime::ReadWholeNumber(field.text);
        if (!value) return {std::nullopt, "尺寸 " + field.letter + " 不是数字。", {}};
        shape.letters.emplace(field.letter, *value);
    }
    return Make(shape);
}

}  // namespace flyback::core_letters
