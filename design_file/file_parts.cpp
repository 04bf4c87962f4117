#include "design_file/file_parts.hpp"

#include <cmath>
#include <numbers>

#include "catalogue/part_bounds.hpp"

namespace flyback::design_file {
namespace {

constexpr double kMillimetres = 1e3;

bool Near(double a, double b, double tolerance) {
    return std::abs(a - b) <= tolerance * std::abs(b);
}

// A temperature coefficient the same in both, or in neither.
bool NearOrBothAbsent(const std::optional<double>& a, const std::optional<double>& b) {
    return a && b ? Near(*a, *b, 1e-6) : a.has_value() == b.has_value();
}

// The first winding window of a processed description, in mm: its radial
// width, its height along the leg and the distance of its centre from the
// centre leg's axis.
struct Window {
    double width_mm = 0, height_mm = 0, centre_mm = 0;
};

std::optional<Window> FirstWindow(const Reader& processed) {
    if (!processed.Has("windingWindows")) return std::nullopt;
    const std::vector<Reader> windows = processed.At("windingWindows").Items(8);
    if (windows.empty()) return std::nullopt;
    const Reader& w = windows.front();
    Window window{w.At("width").Number() * kMillimetres, w.At("height").Number() * kMillimetres, 0};
    if (w.Has("coordinates")) {
        const std::vector<Reader> at = w.At("coordinates").Items(3);
        if (!at.empty()) window.centre_mm = at.front().Number() * kMillimetres;
    }
    if (!(window.width_mm > 0) || !(window.height_mm > 0)) return std::nullopt;
    return window;
}

// The mean turn halfway out the window: a round column's circle, or a
// rectangular column's sides with the corners rounded by the build.
std::optional<double> MeanTurn(const Reader& bobbin, const Window& window) {
    if (!bobbin.Has("columnShape") || !bobbin.Has("columnWidth") || !(window.centre_mm > 0))
        return std::nullopt;
    const double halfWidth = bobbin.At("columnWidth").Number() * kMillimetres;
    const double halfDepth =
        bobbin.Has("columnDepth") ? bobbin.At("columnDepth").Number() * kMillimetres : halfWidth;
    if (bobbin.At("columnShape").Text() == "round") return 2 * std::numbers::pi * window.centre_mm;
    const double build = window.centre_mm - halfWidth;
    if (!(build > 0)) return std::nullopt;
    return 4 * (halfWidth + halfDepth) + 2 * std::numbers::pi * build;
}

// A value no real part has, refused at its path before any arithmetic.
[[noreturn]] void Refuse(const std::string& path, const catalogue::PartProblem& problem) {
    const auto& [field, value, bounds] = problem;
    if (field == "k") {
        throw Unreadable{path, "按此拟合，100 mT、100 °C、100 kHz 处的损耗" +
                                   BoundsText(bounds.low, bounds.high, value, "W/m³")};
    }
    const std::string_view unit = field.ends_with("_mm2")   ? "mm²"
                                  : field.ends_with("_mm3") ? "mm³"
                                  : field.ends_with("_mm")  ? "mm"
                                  : field.ends_with("Hz")   ? "Hz"
                                  : field.ends_with("_T")   ? "T"
                                                            : "";
    throw Unreadable{path, BoundsText(bounds.low, bounds.high, value, unit)};
}

// The MAS field a core's or a fit's checked field is read from.
std::string_view MasField(std::string_view field) {
    static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
        {"Ae_mm2", "effectiveArea"},      {"Amin_mm2", "minimumArea"},
        {"le_mm", "effectiveLength"},     {"Ve_mm3", "effectiveVolume"},
        {"f_min_Hz", "minimumFrequency"}, {"f_max_Hz", "maximumFrequency"}};
    for (const auto& [ours, theirs] : kNames) {
        if (ours == field) return theirs;
    }
    return field;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::optional<catalogue::Core> CoreAsGiven(const Reader& core, const Reader& coil) {
    if (!core.Has("processedDescription")) return std::nullopt;
    const Reader processed = core.At("processedDescription");
    if (!processed.Has("effectiveParameters")) return std::nullopt;
    const Reader effective = processed.At("effectiveParameters");
    const Reader shape = core.At("functionalDescription").At("shape");
    catalogue::Core given;
    given.name = shape.Has("name") ? shape.At("name").Text() : shape.Text();
    given.masShape = given.name;
    given.family = shape.Has("family") ? Upper(shape.At("family").Text()) : "";
    given.Ae_mm2 = effective.At("effectiveArea").Number() * 1e6;
    given.le_mm = effective.At("effectiveLength").Number() * kMillimetres;
    given.Ve_mm3 = effective.At("effectiveVolume").Number() * 1e9;
    given.Amin_mm2 =
        effective.Has("minimumArea") ? effective.At("minimumArea").Number() * 1e6 : given.Ae_mm2;
    if (const catalogue::PartProblem p = catalogue::CheckEffective(given))
        Refuse(effective.path() + "." + std::string(MasField(p.field)), p);
    given.basis = "design file";
    given.source = kGivenByTheFile;
    // The bobbin's window where the file gives its bobbin, else the core's.
    std::optional<Window> window;
    if (coil.Has("bobbin") && coil.At("bobbin").Has("processedDescription")) {
        const Reader bobbin = coil.At("bobbin").At("processedDescription");
        window = FirstWindow(bobbin);
        if (window) {
            given.MLT_mm = MeanTurn(bobbin, *window);
            given.windowKind = "bobbin";
        }
    }
    const std::optional<Window> bare = FirstWindow(processed);
    if (bare) {
        given.coreWindowWidth_mm = bare->width_mm;
        given.coreWindowHeight_mm = bare->height_mm;
        given.coreWindow_mm2 = bare->width_mm * bare->height_mm;
    }
    if (!window) {
        window = bare;
        given.windowKind = "core";
    }
    if (!window) return std::nullopt;
    given.winding_width_mm = window->height_mm;  // along the centre leg
    given.winding_height_mm = window->width_mm;  // the radial build
    given.window_mm2 = window->width_mm * window->height_mm;
    if (const catalogue::PartProblem p = catalogue::CheckCore(given))
        Refuse((given.windowKind == "bobbin" ? coil.At("bobbin").path() : processed.path()) +
                   ".windingWindows",
               p);
    return given;
}

const catalogue::Core* CoreOfTheSameSize(const catalogue::Catalogue& parts,
                                         const catalogue::Core& given) {
    for (const catalogue::Core& core : parts.cores) {
        // A core the file winds on its bobbin is not one the catalogue
        // knows no bobbin for.
        if (given.MLT_mm && !core.Automatic()) continue;
        if (Near(core.Ae_mm2, given.Ae_mm2, 0.01) && Near(core.le_mm, given.le_mm, 0.01) &&
            Near(core.Ve_mm3, given.Ve_mm3, 0.01))
            return &core;
    }
    return nullptr;
}

std::optional<catalogue::Material> MaterialAsGiven(const Reader& material) {
    if (!material.Has("volumetricLosses")) return std::nullopt;
    catalogue::Material given;
    given.name = material.At("name").Text();
    if (material.Has("manufacturerInfo") && material.At("manufacturerInfo").Has("name"))
        given.manufacturer = material.At("manufacturerInfo").At("name").Text();
    given.source = kGivenByTheFile;
    for (const Reader& method : material.At("volumetricLosses").At("default").Items(16)) {
        if (!method.Has("method") || method.At("method").Text() != "steinmetz") continue;
        for (const Reader& range : method.At("ranges").Items(16)) {
            given.steinmetz.push_back(
                {range.At("minimumFrequency").Number(), range.At("maximumFrequency").Number(),
                 range.At("k").Number(), range.At("alpha").Number(), range.At("beta").Number(),
                 range.At("ct0").MaybeNumber(), range.At("ct1").MaybeNumber(),
                 range.At("ct2").MaybeNumber()});
            if (const catalogue::PartProblem p = catalogue::CheckFit(given.steinmetz.back()))
                Refuse(range.path() + "." + std::string(MasField(p.field)), p);
        }
    }
    if (given.steinmetz.empty()) return std::nullopt;
    if (material.Has("permeability") && material.At("permeability").Has("initial")) {
        double nearest = INFINITY;
        for (const Reader& point : material.At("permeability").At("initial").Items(256)) {
            const double distance = point.Has("temperature") && !point.At("temperature").IsNull()
                                        ? std::abs(point.At("temperature").Number() - 25)
                                        : 1000;
            const double value = point.At("value").Number();
            if (!catalogue::kInitialPermeability.Holds(value))
                Refuse(point.At("value").path(), {"mu_i", value, catalogue::kInitialPermeability});
            if (distance < nearest) {
                nearest = distance;
                given.mu_i = value;
            }
        }
    }
    if (material.Has("saturation")) {
        for (const Reader& point : material.At("saturation").Items(16)) {
            const double celsius = point.At("temperature").Number();
            const double mT = point.At("magneticFluxDensity").Number() * 1e3;
            if (!catalogue::kSaturation_mT.Holds(mT))
                Refuse(
                    point.At("magneticFluxDensity").path(),
                    {"Bsat_T",
                     mT / 1e3,
                     {catalogue::kSaturation_mT.low / 1e3, catalogue::kSaturation_mT.high / 1e3}});
            if (celsius == 25) given.Bsat_25C_mT = mT;
            if (celsius == 100) given.Bsat_100C_mT = mT;
        }
    }
    return given;
}

const catalogue::Material* MaterialOfTheSameLoss(const catalogue::Catalogue& parts,
                                                 const catalogue::Material& given) {
    for (const catalogue::Material& material : parts.materials) {
        if (material.steinmetz.size() != given.steinmetz.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < given.steinmetz.size() && same; ++i) {
            const catalogue::SteinmetzRange& a = material.steinmetz[i];
            const catalogue::SteinmetzRange& b = given.steinmetz[i];
            same = Near(a.k, b.k, 1e-6) && Near(a.alpha, b.alpha, 1e-6) &&
                   Near(a.beta, b.beta, 1e-6) && Near(a.fMinHz, b.fMinHz, 1e-6) &&
                   Near(a.fMaxHz, b.fMaxHz, 1e-6) && NearOrBothAbsent(a.ct0, b.ct0) &&
                   NearOrBothAbsent(a.ct1, b.ct1) && NearOrBothAbsent(a.ct2, b.ct2);
        }
        if (same) return &material;
    }
    return nullptr;
}

}  // namespace flyback::design_file
