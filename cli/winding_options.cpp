#include "cli/winding_options.hpp"

#include <sstream>

#include "runtime/decimal_conversion.hpp"

namespace flyback::cli {
namespace {

// A limit as the command line writes it: the held value (the leakage as a
// fraction), shortest form.
std::string HeldLimit(const winding::NumberOptionInfo& info, double shown) {
    return runtime::decimal::ShortestText(shown / info.shownPerHeld);
}

}  // namespace

std::string OptionProblemLine(const winding::OptionProblem& p) {
    using Kind = winding::OptionProblem::Kind;
    const winding::NumberOptionInfo& info = winding::Info(p.option);
    switch (p.kind) {
        case Kind::None:
            return {};
        case Kind::UnknownCore: {
            std::string nearest;
            for (const std::string& name : p.nearest)
                nearest += (nearest.empty() ? "" : ", ") + name;
            return "no core \"" + p.text + "\" in the catalogue" +
                   (nearest.empty() ? "" : "; nearest: " + nearest) + " (see --cores)";
        }
        case Kind::UnknownFamily:
            return "no core family \"" + p.text + "\" in the catalogue";
        case Kind::UnknownMaterial:
            return "no material \"" + p.text + "\" in the catalogue (see --materials)";
        case Kind::NotANumber:
            return std::string(info.flag) + ": \"" + p.text + "\" is not a number";
        case Kind::OutOfRange: {
            const std::string unit =
                info.unit.empty() || info.shownPerHeld != 1 ? "" : " " + std::string(info.unit);
            return std::string(info.flag) + " must be from " + HeldLimit(info, info.low) + " to " +
                   HeldLimit(info, info.high) + unit;
        }
    }
    return {};
}

void AddWindingOptions(CLI::App& app, WindingFlags& f) {
    auto* winding = app.add_flag("--winding", f.on,
                                 "add the winding plan on a catalogue core (a second model)");
    const auto add = [&](const char* name, std::string& text, const char* help) {
        app.add_option(name, text, help)->needs(winding);
    };
    add("--core", f.core, "with --winding: the core part (default: the smallest that holds)");
    add("--families", f.families, "with --winding: core families to choose from, as E,ETD,PQ");
    add("--material", f.material, "with --winding: core material (N87)");
    add("--bmax", f.bmax, "with --winding: peak flux density designed to, T (0.3)");
    add("--current-density", f.density, "with --winding: current density, A/mm² (5)");
    add("--fill", f.fill, "with --winding: the copper fill limit of the window (0.35)");
    add("--vaux", f.vaux, "with --winding: a bias winding's voltage, V (none)");
    add("--leakage", f.leakage, "with --winding: leakage inductance, a fraction of Lp (0.02)");
    add("--ambient", f.ambient, "with --winding: ambient temperature, °C (40)");
    app.add_flag("--tiw", f.tiw, "with --winding: triple-insulated wire for the secondary")
        ->needs(winding);
}

std::string ReadWindingOptions(const WindingFlags& f, const catalogue::Catalogue& parts,
                               winding::Options& o) {
    using winding::NumberOption;
    o.core = f.core;
    std::stringstream families(f.families);
    for (std::string family; std::getline(families, family, ',');) {
        if (!family.empty()) o.families.push_back(family);
    }
    if (!f.material.empty()) o.material = f.material;
    o.tripleInsulatedSecondary = f.tiw;
    const std::pair<NumberOption, const std::string&> numbers[] = {
        {NumberOption::Bmax, f.bmax},       {NumberOption::CurrentDensity, f.density},
        {NumberOption::Fill, f.fill},       {NumberOption::Vaux, f.vaux},
        {NumberOption::Leakage, f.leakage}, {NumberOption::Ambient, f.ambient},
    };
    for (const auto& [option, text] : numbers) {
        // The flags take values as the plan holds them: the leakage as a
        // fraction, as it always has.
        if (const winding::OptionProblem problem = winding::ReadNumberOption(o, option, text, true))
            return OptionProblemLine(problem);
    }
    return OptionProblemLine(winding::CheckOptions(o, parts));
}

}  // namespace flyback::cli
