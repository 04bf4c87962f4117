#include "catalogue/typed_core.hpp"

#include <optional>
#include <string>
#include <utility>

namespace flyback::catalogue {

Core InItsBareWindow(const core_geometry::Effective& e) {
    Core core;
    core.Ae_mm2 = e.Ae_mm2;
    core.Amin_mm2 = e.Amin_mm2;
    core.le_mm = e.le_mm;
    core.Ve_mm3 = e.Ve_mm3;
    core.winding_width_mm = e.windowHeight_mm;
    core.winding_height_mm = e.windowWidth_mm;
    core.window_mm2 = e.windowWidth_mm * e.windowHeight_mm;
    core.coreWindow_mm2 = core.window_mm2;
    core.coreWindowWidth_mm = e.windowWidth_mm;
    core.coreWindowHeight_mm = e.windowHeight_mm;
    core.basis = "IEC 60205 computed";
    return core;
}

std::variant<Core, TypedCoreProblem> TypedCore(const core_geometry::TypedShape& shape) {
    const auto effective = core_geometry::FromLetters(shape.family, shape.letters);
    if (const auto* problem = std::get_if<core_geometry::LetterProblem>(&effective))
        return TypedCoreProblem{*problem};
    const core_geometry::Effective& e = std::get<core_geometry::Effective>(effective);
    Core core = InItsBareWindow(e);
    core.name = core_geometry::TypedShapeName(shape);
    core.family = std::string(core_geometry::FamilyName(shape.family));
    core.windowKind = "core window (typed dimensions, no bobbin)";
    core.source = "typed dimensions: " + core.name + " mm (IEC 60205 section method)";
    if (const PartProblem problem = CheckCore(core)) return TypedCoreProblem{problem};
    return core;
}

bool AddTypedCore(Catalogue& parts, std::string_view name) {
    if (parts.FindCore(name)) return true;
    const std::optional<core_geometry::TypedShape> shape = core_geometry::ReadTypedShape(name);
    if (!shape) return false;
    auto typed = TypedCore(*shape);
    Core* core = std::get_if<Core>(&typed);
    if (!core) return false;
    parts.cores.push_back(std::move(*core));
    return parts.FindCore(name) != nullptr;
}

}  // namespace flyback::catalogue
