#include "design_file/file_insulation.hpp"

#include <array>
#include <string_view>
#include <utility>

#include "insulation/requirements.hpp"

namespace flyback::design_file {
namespace {

using insulation::Grade;

constexpr std::pair<std::string_view, Grade> kTypes[] = {{"functional", Grade::Functional},
                                                         {"basic", Grade::Basic},
                                                         {"supplementary", Grade::Basic},
                                                         {"double", Grade::Reinforced},
                                                         {"reinforced", Grade::Reinforced}};
constexpr std::array<std::string_view, 4> kPollution = {"PD1", "PD2", "PD3", "PD4"};
constexpr std::array<std::string_view, 4> kCti = {"groupI", "groupII", "groupIIIA", "groupIIIB"};

Grade GradeOf(const Reader& field, std::vector<std::string>& notes) {
    const std::string type = field.Text();
    for (const auto& [name, grade] : kTypes) {
        if (name != type) continue;
        if (name == "supplementary" || name == "double") {
            notes.push_back("文件要求" + std::string(name == "double" ? "双重" : "附加") +
                            "绝缘：按 IEC 62368-1 以" +
                            std::string(insulation::GradeCaption(grade)) + "绝缘的要求设计。");
        }
        return grade;
    }
    throw Unreadable{field.path(), "“" + type + "”不是 MAS 的绝缘类型"};
}

// A dimension's worst case for the barrier: its maximum, else its nominal.
std::optional<double> Highest(const Reader& dimension) {
    for (const std::string_view key : {"maximum", "nominal"}) {
        if (dimension.Has(key) && !dimension.At(key).IsNull()) return dimension.At(key).Number();
    }
    return std::nullopt;
}

// The mains rating: the file's nominal, else the rating its maximum is the
// tolerance of.
std::optional<double> MainsOf(const Reader& dimension) {
    if (dimension.Has("nominal") && !dimension.At("nominal").IsNull())
        return dimension.At("nominal").Number();
    if (!dimension.Has("maximum") || dimension.At("maximum").IsNull()) return std::nullopt;
    const double highest = dimension.At("maximum").Number();
    return insulation::RatedMains_Vrms(highest).value_or(highest);
}

bool Given(const Reader& object, std::string_view key) {
    return object.Has(key) && !object.At(key).IsNull();
}

}  // namespace

winding::Insulation InsulationOf(const Reader& i, std::vector<std::string>& notes) {
    winding::Insulation taken;
    if (Given(i, "insulationType")) taken.grade = GradeOf(i.At("insulationType"), notes);
    if (Given(i, "mainSupplyVoltage")) taken.mains_Vrms = MainsOf(i.At("mainSupplyVoltage"));
    if (Given(i, "pollutionDegree"))
        taken.pollution = IndexOf(kPollution, i.At("pollutionDegree")) + 1;
    if (Given(i, "cti")) taken.group = insulation::kMaterialGroups[IndexOf(kCti, i.At("cti"))];
    if (Given(i, "altitude")) {
        if (const auto metres = Highest(i.At("altitude"))) taken.altitude_m = *metres;
    }
    if (Given(i, "overvoltageCategory"))
        taken.overvoltage = insulation::kOvervoltageCategories[IndexOf(
            insulation::kOvervoltageCategories, i.At("overvoltageCategory"))];
    if (Given(i, "standards")) {
        bool ours = false;
        std::string named;
        for (const Reader& standard : i.At("standards").Items(8)) {
            const std::string name = standard.Text();
            ours = ours || name == "IEC 62368-1";
            named += (named.empty() ? "" : "、") + name;
        }
        if (!ours && !named.empty())
            notes.push_back("文件列出的标准为 " + named + "：绝缘按 IEC 62368-1 的表格设计。");
    }
    return taken;
}

}  // namespace flyback::design_file
