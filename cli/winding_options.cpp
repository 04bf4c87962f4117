#include "cli/winding_options.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <tuple>

#include "catalogue/typed_core.hpp"
#include "core_letters/core_letters.hpp"
#include "record/design_record.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"
#include "winding/physics.hpp"

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
        case Kind::AmbiguousCore: {
            std::string parts;
            for (const catalogue::OtherMeaning& other : p.elsewhere)
                parts += std::string(other.part) + " as " + std::string(other.makers) +
                         (other.catalogued ? " name it (in the catalogue by that name) and "
                                           : " name it (not in the catalogue) and ");
            for (const std::string& name : p.nearest)
                parts += name + (&name == &p.nearest.back() ? "" : ", ");
            return "--core \"" + p.text + "\" names different cores: " + parts +
                   " in the catalogue; give the full name (see --cores)";
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

namespace {

std::string LetterProblemText(const core_geometry::LetterProblem& p, core_geometry::Family family) {
    using Kind = core_geometry::LetterProblem::Kind;
    const std::string letters = core_letters::LettersList(family);
    switch (p.kind) {
        case Kind::Missing:
            return "--core-dims: letter " + p.letter + " is missing (" +
                   std::string(core_geometry::FamilyName(family)) + ": " + letters + ")";
        case Kind::OutOfRange:
            return "--core-dims: " + p.letter + " must be " +
                   (p.letter == "K"   ? "from -500 to 500 mm"
                    : p.letter == "q" ? "from 0 to 500 mm"
                                      : "a length from 0.1 to 500 mm");
        case Kind::NotBelow:
            return "--core-dims: " + p.letter + " must be below " + p.bound;
        case Kind::Unknown:
            return "--core-dims: " + p.letter + " is not a letter of " +
                   (family == core_geometry::Family::Pq ? "a " : "an ") +
                   std::string(core_geometry::FamilyName(family)) + " core (" + letters + ")";
        case Kind::NoSection:
            return "--core-dims: the letters leave the outer legs or the back no section: A too "
                   "narrow for the others";
    }
    return {};
}

}  // namespace

std::string ReadCoreDims(WindingFlags& f, catalogue::Catalogue& parts) {
    if (f.coreDims.empty()) return {};
    if (!f.core.empty()) return "--core-dims gives the core; --core cannot also";
    const std::optional<core_geometry::TypedShape> shape =
        core_geometry::ReadTypedShape(f.coreDims);
    if (!shape) {
        return "--core-dims expects a family (E, EFD, ETD, ER, EQ or PQ) and LETTER=mm fields, as "
               "\"E A=25.3 "
               "B=9.5 C=6.3 D=6.4 E=18.8 F=6.3\" (got \"" +
               record::VisibleText(f.coreDims) + "\")";
    }
    const auto typed = catalogue::TypedCore(*shape);
    if (const auto* problem = std::get_if<catalogue::TypedCoreProblem>(&typed)) {
        if (const auto* letter = std::get_if<core_geometry::LetterProblem>(problem))
            return LetterProblemText(*letter, shape->family);
        const catalogue::PartProblem& part = std::get<catalogue::PartProblem>(*problem);
        return "--core-dims: the core's " + std::string(part.field) + " of " +
               runtime::decimal::ShortestText(part.value) + " lies beyond any real part's (" +
               runtime::decimal::ShortestText(part.bounds.low) + " to " +
               runtime::decimal::ShortestText(part.bounds.high) + ")";
    }
    const catalogue::Core& core = std::get<catalogue::Core>(typed);
    parts.cores.push_back(core);
    f.core = core.name;
    return {};
}

bool AnyPlanOption(const WindingFlags& f) {
    WindingFlags none;
    none.on = f.on;
    const auto texts = [](const WindingFlags& w) {
        return std::tie(w.tiw, w.core, w.coreDims, w.families, w.material, w.numberTexts, w.outputs,
                        w.bias, w.choiceTexts, w.turns, w.listTexts, w.pins, w.qr, w.valleys,
                        w.stack);
    };
    return texts(f) != texts(none);
}

namespace {

// The choices' number flags, from their table: each needs --winding, or the
// flag it qualifies; a default the plan takes is said in the help.
void AddChoiceFlags(CLI::App& app, WindingFlags& f, CLI::Option* winding) {
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        if (info.flag.empty()) continue;
        std::string help = "with " + std::string(info.needs.empty() ? "--winding" : info.needs) +
                           ": " + std::string(info.help);
        // In the flag's own units, SI as every number it reads (100 pF: 1e-10).
        if (info.isDefault)
            help += " (" + runtime::decimal::ShortestText(info.first / info.shownPerHeld) + ")";
        app.add_option(std::string(info.flag), f.Choice(info.choice), help)->needs(winding);
    }
}

}  // namespace

void AddWindingOptions(CLI::App& app, WindingFlags& f) {
    auto* winding = app.add_flag("--winding", f.on,
                                 "add the winding plan on a catalogue core (a second model)");
    const auto add = [&](const std::string& name, std::string& text, const std::string& help) {
        app.add_option(name, text, help)->needs(winding);
    };
    add("--core", f.core, "with --winding: the core part (default: the smallest that holds)");
    add("--core-dims", f.coreDims,
        "with --winding: a core by its drawing's letters in mm, \"E A=25.3 B=9.5 C=6.3 D=6.4 "
        "E=18.8 F=6.3\" (E: A B C D E F; EFD adds F2 K q; ETD, ER, EQ as E with F the "
        "round leg's diameter, G its outer legs' flat where there is one; PQ adds G, and J L "
        "where given), wound in its bare window");
    add("--families", f.families, "with --winding: core families to choose from, as E,ETD,PQ");
    add("--material", f.material, "with --winding: core material (N87)");
    // The number options from their table, as the plan holds them (the
    // leakage a fraction, as it always has been). The adviser ranks by the
    // plan's options, so the most rise is also its own.
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        const bool adviserToo = info.option == winding::NumberOption::MaxRise;
        CLI::Option* flag =
            app.add_option(std::string(info.flag), f.Number(info.option),
                           (adviserToo ? "with --winding or --advise: " : "with --winding: ") +
                               std::string(info.help));
        if (!adviserToo) flag->needs(winding);
    }
    app.add_flag("--tiw", f.tiw,
                 "with --winding: triple-insulated wire for the secondary, no margins")
        ->needs(winding);
    app.add_flag("--margins", f.margins,
                 "with --winding: margin-wound, never triple-insulated wire (default: margins, "
                 "or triple-insulated wire where margins take over 30 % of the width or do not "
                 "fit and it loses less)")
        ->needs(winding);
    app.add_option("--output", f.outputs,
                   "with --winding: an output V:I[:VF[:Imin]] (VF 0.5 V; Imin, the least load "
                   "its voltage is judged at, a tenth of I), repeatable; the first is regulated "
                   "(default: Vout at P / Vout)")
        ->needs(winding)
        ->take_all();
    app.add_flag("--stack", f.stack,
                 "with --winding: the outputs stacked on their common return, the lowest "
                 "voltage first, each section from the tap below (default: each output a winding "
                 "of its own)")
        ->needs(winding);
    add("--bias", f.bias, "with --winding: a bias winding with its load, V:I[:VF] (VF 0.7 V)");
    add("--turns", f.turns, "with --winding: fixed turns NP:NS[:NAUX]");
    app.add_flag("--qr", f.qr,
                 "with --winding: quasi-resonant, switched in a valley of the drain's ring; the "
                 "frequency input is the lowest, at the minimum input and full load")
        ->needs(winding);
    add("--valley", f.valleys,
        "with --winding: the valley switched in at full load, and the deepest a controller "
        "waits for to keep within --fmax, K[:L] (1)");
    AddChoiceFlags(app, f, winding);
    add("--pins", f.pins,
        "with --winding: the build sheet's first pins of the primary, the bias winding "
        "and the secondaries, P,B,S (1,3,6)");
    for (const winding::ListOptionInfo& info : winding::kListOptions)
        add(std::string(info.flag), f.List(info.option),
            "with --winding: " + std::string(info.help));
}

namespace {

// A choice's number as typed: one number, or a line naming the flag.
std::string ReadChoiceNumber(std::string_view flag, const std::string& text, double& value) {
    const std::optional<double> number = runtime::ReadWholeNumber(text);
    if (!number) return std::string(flag) + ": \"" + text + "\" is not a number";
    value = *number;
    return {};
}

// Two flags that fix one thing ("A and B each fix the reflected voltage").
std::string BothFix(const std::vector<std::string_view>& flags, std::string_view what) {
    if (flags.size() < 2) return {};
    std::string line(flags[0]);
    for (std::size_t i = 1; i < flags.size(); ++i) line += " and " + std::string(flags[i]);
    return line + " each fix " + std::string(what) + "; give one";
}

// The choices that fix one thing more than one way, or a choice without what
// it qualifies.
std::string ConflictLine(const WindingFlags& f) {
    std::vector<std::string_view> vorWays, inductanceWays;
    // One flag for each way given: --qr and its --cds are one way.
    std::vector<winding::Conduction> conductions;
    const auto conductionWay = [&](std::string_view flag, winding::Conduction way) {
        if (std::find(conductions.begin(), conductions.end(), way) != conductions.end()) return;
        conductions.push_back(way);
        inductanceWays.push_back(flag);
    };
    if (f.qr) conductionWay("--qr", winding::Conduction::QuasiResonant);
    if (!f.valleys.empty()) conductionWay("--valley", winding::Conduction::QuasiResonant);
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        if (info.flag.empty() || f.Choice(info.choice).empty()) continue;
        if (!info.needs.empty()) continue;
        if (info.vorSource) vorWays.push_back(info.flag);
        if (info.conduction) conductionWay(info.flag, *info.conduction);
    }
    if (std::string line = BothFix(vorWays, "the reflected voltage"); !line.empty()) return line;
    if (std::string line = BothFix(inductanceWays, "the inductance"); !line.empty()) return line;
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        if (info.needs.empty() || f.Choice(info.choice).empty()) continue;
        const bool given =
            std::any_of(std::begin(winding::kChoiceNumbers), std::end(winding::kChoiceNumbers),
                        [&](const winding::ChoiceNumberInfo& other) {
                            return other.flag == info.needs && !f.Choice(other.choice).empty();
                        });
        if (!given) return std::string(info.flag) + " needs " + std::string(info.needs);
    }
    if (!f.bias.empty() && !f.Number(winding::NumberOption::Vaux).empty())
        return "--bias and --vaux each give the bias winding; give one";
    return {};
}

// The flag of a list option and the names it takes.
std::string ListProblemLine(winding::ListOption option) {
    const winding::ListOptionInfo& info = winding::Info(option);
    return std::string(info.flag) + " must be " + winding::NamesInWords(info);
}

// The lists' flags and what the insulation's numbers make together.
std::string ReadLists(const WindingFlags& f, winding::Options& o) {
    if (f.tiw && f.margins) return "--tiw and --margins contradict";
    for (const winding::ListOptionInfo& info : winding::kListOptions) {
        const std::string& text = f.List(info.option);
        if (text.empty()) continue;
        const std::optional<int> place = winding::PlaceOf(info, text);
        if (!place) return ListProblemLine(info.option);
        winding::SetListValue(o, info.option, *place);
    }
    if (!f.List(winding::ListOption::Construction).empty() &&
        ((f.tiw && o.construction != winding::Construction::Tiw) ||
         (f.margins && o.construction != winding::Construction::Margin)))
        return "--construction " + f.List(winding::ListOption::Construction) + " contradicts " +
               (f.tiw ? "--tiw" : "--margins");
    // A number beyond its row's bounds is said by CheckOptions, in its
    // row's words; a whole number's fraction here.
    const winding::Insulation& i = o.insulation;
    const auto beyond = [&i](winding::NumberOption option) {
        return OptionProblemLine({winding::OptionProblem::Kind::OutOfRange, option, {}}) +
               (option == winding::NumberOption::Pollution && std::floor(i.pollution) != i.pollution
                    ? ", whole"
                    : "");
    };
    using Problem = insulation::ConditionProblem;
    switch (winding::CheckInsulation(i)) {
        case Problem::None:
            return {};
        case Problem::Pollution:
            return beyond(winding::NumberOption::Pollution);
        case Problem::Group:
            return ListProblemLine(winding::ListOption::MaterialGroup);
        case Problem::Altitude:
            return beyond(winding::NumberOption::Altitude);
        case Problem::Mains:
            return beyond(winding::NumberOption::Mains);
        case Problem::Overvoltage:
            return ListProblemLine(winding::ListOption::Overvoltage);
        case Problem::MainsBeyondTables:
            return "--mains-vrms must be below " +
                   runtime::decimal::ShortestText(insulation::MainsLimit_Vrms()) +
                   " V for basic or reinforced insulation (the last row of IEC 62368-1 Table 27)";
    }
    return {};
}

std::string ReadChoices(const WindingFlags& f, winding::Options& o) {
    using namespace winding;
    if (std::string conflict = ConflictLine(f); !conflict.empty()) return conflict;
    Choices& c = o.choices;
    for (const std::string& text : f.outputs) {
        const std::optional<OutputLoad> load = ReadOutputLoad(text, physics::kRectifierDrop);
        if (!load) return "--output: \"" + text + "\" is not V:I, V:I:VF or V:I:VF:Imin";
        c.outputs.push_back(*load);
    }
    if (!f.bias.empty()) {
        const std::optional<OutputLoad> load = ReadOutputLoad(f.bias, physics::kBiasDiodeDrop);
        if (!load || load->Imin_A) return "--bias: \"" + f.bias + "\" is not V:I or V:I:VF";
        o.Vaux_V = load->V;
        c.biasI_A = load->I_A;
        c.biasVF_V = load->VF_V;
    }
    for (const ChoiceNumberInfo& info : kChoiceNumbers) {
        const std::string& text = f.Choice(info.choice);
        if (info.flag.empty() || text.empty()) continue;
        double value = 0;
        if (std::string line = ReadChoiceNumber(info.flag, text, value); !line.empty()) return line;
        // The flags take values as the plan holds them (Lp in H).
        SetHeldValue(c, info.choice, value);
        if (info.vorSource) c.vorSource = *info.vorSource;
        if (info.conduction) c.conduction = *info.conduction;
    }
    if (f.qr) c.conduction = Conduction::QuasiResonant;
    if (!f.valleys.empty()) {
        if (!ReadValleys(f.valleys, c))
            return "--valley: \"" + f.valleys + "\" is not K or K:L, whole valleys from 1 to " +
                   runtime::decimal::ShortestText(kDeepestValley) + ", L not before K";
        c.conduction = Conduction::QuasiResonant;
    }
    if (!f.turns.empty() && !ReadTurns(f.turns, c))
        return "--turns: \"" + f.turns + "\" is not NP:NS or NP:NS:NAUX in whole turns";
    if (c.Naux && !o.Vaux_V) return "--turns: NAUX needs --bias or --vaux";
    return ChoiceProblemLine(CheckChoices(c));
}

}  // namespace

std::string FlagBoundsText(const winding::ChoiceNumberInfo& row) {
    return "from " + runtime::decimal::ShortestText(row.low / row.shownPerHeld) + " to " +
           runtime::decimal::ShortestText(row.high / row.shownPerHeld);
}

std::string ChoiceProblemLine(const winding::ChoiceProblem& p) {
    using Kind = winding::ChoiceProblem::Kind;
    switch (p.kind) {
        case Kind::None:
            return {};
        case Kind::Output:
            return "--output " + std::to_string(p.output + 1) +
                   ": the voltage must be above 0, the current and the drop not below 0, the "
                   "drop below the voltage, and the least load from 0 to the current";
        case Kind::Outputs:
            return "at most " + std::to_string(winding::kMostOutputs) +
                   " outputs besides the bias winding (" + std::to_string(p.count) + " given)";
        case Kind::Bias:
            return "--bias: the current and the drop must not be below 0";
        case Kind::Vor:
            return "--vor must be above 0";
        case Kind::Rating:
            return "--vds-rating must be above 0, --derating above 0 and at most 1, and "
                   "--clamp-ratio above 1 and at most 10";
        case Kind::Duty:
            return "--dmax must be above 0 and below 1";
        case Kind::Ripple:
            return "--krp must be above 0 and at most 1";
        case Kind::Inductance:
            return "--lp must be above 0";
        case Kind::Turns:
            return "--turns must be whole turns of at least 1, the primary's given";
        case Kind::TurnsAndVor:
            return "--turns fixes the reflected voltage; --vor and --dmax cannot also";
        case Kind::Clamp:
            return "--clamp must be above 0";
        case Kind::CurrentLimit:
            return "--ilimit must be above 0";
        case Kind::Resonance:
            // The window's box is in picofarads; here, as every number, in
            // farads, so a value typed in pF is far out of range.
            return "--cds must be in farads from 1e-12 to 1e-07 (100 pF: 100e-12), --valley "
                   "whole from 1 to " +
                   runtime::decimal::ShortestText(winding::kDeepestValley) + ", and --fmax above 0";
        case Kind::Margin:
            return "--saturation-margin must be from 1 to 2";
        case Kind::OnTime:
            return "--t-on-min must be from 1e-08 to 5e-06 s (300 ns: 300e-9)";
        case Kind::Bounds: {
            // A field of --bias or --valley by its flag.
            const winding::ChoiceNumberInfo& row = winding::Info(p.number);
            const std::string flag = !row.flag.empty() ? std::string(row.flag)
                                     : row.conduction  ? std::string("--valley")
                                                       : std::string("--bias");
            return flag + " must be " + FlagBoundsText(row) +
                   (winding::IsCount(row) ? ", whole" : "");
        }
    }
    return {};
}

std::string ReadWindingOptions(const WindingFlags& f, const catalogue::Catalogue& parts,
                               winding::Options& o) {
    o.core = f.core;
    std::stringstream families(f.families);
    for (std::string family; std::getline(families, family, ',');) {
        if (!family.empty()) o.families.push_back(family);
    }
    if (!f.material.empty()) o.material = f.material;
    if (f.tiw) o.construction = winding::Construction::Tiw;
    if (f.stack) o.stack = true;
    if (f.margins) o.construction = winding::Construction::Margin;
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        // The flags take values as the plan holds them: the leakage as a
        // fraction, as it always has.
        if (const winding::OptionProblem problem =
                winding::ReadNumberOption(o, info.option, f.Number(info.option), true))
            return OptionProblemLine(problem);
    }
    if (std::string line = ReadChoices(f, o); !line.empty()) return line;
    if (std::string line = ReadLists(f, o); !line.empty()) return line;
    switch (winding::CheckCombination(o)) {
        case winding::Combination::None:
            break;
        case winding::Combination::BiasTurnsWithoutVoltage:
            return "--turns: NAUX needs --bias or --vaux";
        case winding::Combination::SplitPrimaryTooFew:
            return "--order P-S-P splits the primary in two: --turns needs at least 2 primary "
                   "turns";
        case winding::Combination::SplitSecondaryTooFew:
            return "--order S-P-S splits the first secondary in two: --turns needs at least 2 "
                   "secondary turns";
        case winding::Combination::StackOneOutput:
            return "--stack needs at least two outputs (--output)";
        case winding::Combination::StackSplit:
            return "--stack winds the secondaries as one stack, which --order S-P-S cannot split "
                   "around the primary";
    }
    return OptionProblemLine(winding::CheckOptions(o, parts));
}

}  // namespace flyback::cli
