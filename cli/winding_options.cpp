#include "cli/winding_options.hpp"

#include <sstream>

#include "mains/mains.hpp"

namespace flyback::cli {
namespace {

// The number typed for `flag`, where it was given; false when it is not one.
bool ReadNumber(const std::string& text, std::string_view flag, double& value,
                std::string& problem) {
    if (text.empty()) return true;
    const std::optional<double> number = mains::ReadWholeNumber(text);
    if (!number) {
        problem = std::string(flag) + ": \"" + text + "\" is not a number";
        return false;
    }
    value = *number;
    return true;
}

}  // namespace

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
    o.core = f.core;
    std::stringstream families(f.families);
    for (std::string family; std::getline(families, family, ',');) {
        if (!family.empty()) o.families.push_back(family);
    }
    if (!f.material.empty()) o.material = f.material;
    o.tripleInsulatedSecondary = f.tiw;
    std::string problem;
    double vaux = 0;
    const bool numbers = ReadNumber(f.bmax, "--bmax", o.Bmax_T, problem) &&
                         ReadNumber(f.density, "--current-density", o.J_A_mm2, problem) &&
                         ReadNumber(f.fill, "--fill", o.fillMax, problem) &&
                         ReadNumber(f.vaux, "--vaux", vaux, problem) &&
                         ReadNumber(f.leakage, "--leakage", o.leakage, problem) &&
                         ReadNumber(f.ambient, "--ambient", o.ambient_C, problem);
    if (!numbers) return problem;
    if (!f.vaux.empty()) o.Vaux_V = vaux;
    return winding::OptionsProblem(o, parts);
}

}  // namespace flyback::cli
