#include "design_file/design_file.hpp"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>

#include "catalogue/part_bounds.hpp"
#include "catalogue/typed_core.hpp"
#include "design_file/document.hpp"
#include "design_file/excitations.hpp"
#include "design_file/file_insulation.hpp"
#include "design_file/file_parts.hpp"
#include "design_file/our_block.hpp"
#include "numtext/boxes.hpp"
#include "pins/winding_ends.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "record/readable.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/error.hpp"
#include "runtime/number_text.hpp"
#include "version/version.hpp"
#include "winding/physics.hpp"

namespace flyback::design_file {
namespace {

// A core typed by its drawing's letters is written by them: its name reads
// back as the same letters.
std::optional<core_geometry::TypedShape> TypedShapeOf(const catalogue::Core& core) {
    if (!core.masShape.empty()) return std::nullopt;
    return core_geometry::ReadTypedShape(core.name);
}

// MAS's family of a typed shape: the family's name in lower case.
std::string MasFamily(core_geometry::Family family) {
    std::string name(core_geometry::FamilyName(family));
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name;
}

using winding::Plan;
using winding::Role;

// ---- Writing ---------------------------------------------------------------

Value Array(Allocator& a, const std::vector<double>& numbers) {
    Value array(rapidjson::kArrayType);
    for (const double n : numbers) array.PushBack(Value(n), a);
    return array;
}

std::string_view IsolationSide(Role role) {
    return role == Role::Secondary ? "secondary" : "primary";
}

// The windings as the coil has them: a split winding as one.
std::vector<const winding::Winding*> CoilWindings(const Plan& plan) {
    std::vector<const winding::Winding*> coil;
    for (const auto& w : plan.windings) {
        if (w.half == 2) continue;
        coil.push_back(&w);
    }
    std::stable_partition(coil.begin(), coil.end(),
                          [](const winding::Winding* w) { return w->role == Role::Primary; });
    std::stable_partition(coil.begin(), coil.end(),
                          [](const winding::Winding* w) { return w->role != Role::Bias; });
    return coil;
}

std::string_view CoilName(const winding::Winding& w) {
    return w.role == Role::Primary ? "primary" : w.role == Role::Bias ? "bias" : "";
}

std::string WindingNameInFile(const winding::Winding& w) {
    const std::string_view fixed = CoilName(w);
    return fixed.empty() ? winding::WindingName(winding::Whole(w)) : std::string(fixed);
}

// A winding's current and voltage over a period at the minimum input, as MAS
// describes them by their processed values.
Value Excitation(Allocator& a, const Plan& plan, const winding::Winding& w) {
    const winding::OperatingPoint& p = plan.atVmin;
    const double turns = winding::WholeTurns(plan, w);
    const double perTurn = 1.0 / plan.Np;
    // The winding's voltage: the core's volts per turn while the switch is
    // on (the input less the primary side's drop) and while the secondaries
    // conduct (the reflected voltage raised by the secondary side's loss),
    // so that a reader rebuilds the plan's flux swing from them.
    const double on = p.Von * perTurn * turns, off = p.Vreset * perTurn * turns;
    const bool primary = w.role == Role::Primary;
    // Each current ramps between its peak and its valley, which in continuous
    // conduction is above zero: the valley is the waveform's offset. A
    // secondary's valley is the primary's share of its peak.
    const double peak = w.Ipeak_A.value_or(0);
    const double valley = primary ? p.Iv : peak * (p.Iv / p.Ipk);
    // In discontinuous conduction the period ends idle after the secondaries
    // stop: MAS says so by the label and the dead time, without which a
    // reader would have the secondaries conduct for the rest of the period.
    const double idle_s = std::max(0.0, 1 - p.D - p.D2) / plan.f_Hz;
    const bool idles = p.mode == winding::Mode::Discontinuous && idle_s > 0;
    const std::string dead = idles ? "WithDeadtime" : "";
    Object current(a);
    current.String("label", primary ? "flybackPrimary" : "flybackSecondary" + dead)
        .Number("peak", peak)
        .Number("peakToPeak", peak - valley)
        .Number("offset", valley)
        .Number("rms", w.Irms_A.value_or(0))
        .Number("dutyCycle", p.D);
    Object voltage(a);
    // A secondary's voltage is the primary's mirrored: negative while the
    // switch is on; MAS names that shape apart, and a reader inverts it if
    // it is labelled as the primary's.
    voltage.String("label", (primary ? "rectangular" : "secondaryRectangular") + dead)
        .Number("peak", std::max(on, off))
        .Number("peakToPeak", on + off)
        .Number("positivePeak", primary ? on : off)
        .Number("negativePeak", primary ? -off : -on)
        .Number("offset", 0)
        .Number("dutyCycle", p.D);
    if (idles) {
        voltage.Number("deadTime", idle_s);
        if (!primary) current.Number("deadTime", idle_s);
    }
    Object excitation(a);
    excitation.String("name", WindingNameInFile(w))
        .Number("frequency", plan.f_Hz)
        .Add("current", Object(a).Add("processed", current.Take()).Take())
        .Add("voltage", Object(a).Add("processed", voltage.Take()).Take());
    return excitation.Take();
}

std::string_view MasModeName(winding::Mode mode) {
    switch (mode) {
        case winding::Mode::Continuous:
            return "continuousConductionMode";
        case winding::Mode::Discontinuous:
            return "discontinuousConductionMode";
        case winding::Mode::Boundary:
            return "boundaryModeOperation";
    }
    return {};
}

std::string_view CtiName(std::string_view group) {
    if (group == "I") return "groupI";
    if (group == "II") return "groupII";
    if (group == "IIIa") return "groupIIIA";
    return "groupIIIB";
}

double TextNumber(const Design& d, numtext::Input input) {
    return runtime::ReadWholeNumber(d.texts[static_cast<std::size_t>(input)]).value_or(0);
}

Value Inputs(Allocator& a, const Design& d, const Plan& plan) {
    const auto coil = CoilWindings(plan);
    Value ratios(rapidjson::kArrayType), sides(rapidjson::kArrayType),
        excitations(rapidjson::kArrayType);
    for (const auto* w : coil) {
        sides.PushBack(Object(a).Text(IsolationSide(w->role)), a);
        excitations.PushBack(Excitation(a, plan, *w), a);
        if (w->role != Role::Primary) {
            ratios.PushBack(
                Object(a)
                    .Number("nominal", static_cast<double>(plan.Np) / winding::WholeTurns(plan, *w))
                    .Take(),
                a);
        }
    }
    const winding::InsulationPlan& i = plan.insulation;
    Object insulation(a);
    insulation.String("insulationType", insulation::GradeName(i.conditions.grade))
        .String("pollutionDegree", "PD" + std::to_string(i.conditions.pollution))
        .String("cti", CtiName(i.conditions.group))
        .String("overvoltageCategory", i.conditions.overvoltage)
        .Add("altitude", Object(a).Number("maximum", i.conditions.altitude_m).Take())
        .Add("mainSupplyVoltage", Object(a).Number("nominal", i.conditions.mains_Vrms).Take())
        .Add("standards", Strings(a, {"IEC 62368-1"}));
    Object requirements(a);
    requirements.String("name", "flyback transformer")
        .Add("magnetizingInductance", Object(a)
                                          .Number("nominal", plan.Lp_H)
                                          .Number("minimum", plan.Lp_H * 0.9)
                                          .Number("maximum", plan.Lp_H * 1.1)
                                          .Take())
        .Add("turnsRatios", std::move(ratios))
        .Add("leakageInductance",
             [&] {
                 Value list(rapidjson::kArrayType);
                 list.PushBack(Object(a).Number("maximum", plan.clamp.leakage_H).Take(), a);
                 return list;
             }())
        .Add("isolationSides", std::move(sides))
        .Add("insulation", insulation.Take())
        .String("topology", "flybackConverter");
    Object conditions(a);
    conditions.String("name", "minimum input, full load")
        .Number("ambientTemperature", plan.options.ambient_C);
    Value points(rapidjson::kArrayType);
    points.PushBack(Object(a)
                        .String("name", "minimum input, full load")
                        .Add("conditions", conditions.Take())
                        .Add("excitationsPerWinding", std::move(excitations))
                        .Take(),
                    a);
    std::vector<double> volts, amps;
    for (const winding::OutputResult& out : plan.outputs) {
        volts.push_back(out.set.V);
        amps.push_back(out.set.I_A);
    }
    Value converterPoints(rapidjson::kArrayType);
    converterPoints.PushBack(
        Object(a)
            .Add("outputVoltages", Array(a, volts))
            .Add("outputCurrents", Array(a, amps))
            .Number("switchingFrequency", plan.f_Hz)
            .String("mode", plan.switching ? "quasiResonantMode" : MasModeName(plan.mode))
            .Number("ambientTemperature", plan.options.ambient_C)
            .Take(),
        a);
    Object flyback(a);
    flyback
        .Add("inputVoltage", Object(a)
                                 .Number("minimum", TextNumber(d, numtext::Input::MinVoltage))
                                 .Number("maximum", TextNumber(d, numtext::Input::MaxVoltage))
                                 .Take())
        .Number("diodeVoltageDrop", plan.outputs.front().set.VF_V)
        .Number("maximumDutyCycle", plan.Dmax)
        .Number("currentRippleRatio", plan.KRP)
        .Number("efficiency", TextNumber(d, numtext::Input::Efficiency) / 100)
        .Add("operatingPoints", std::move(converterPoints));
    return Object(a)
        .Add("designRequirements", requirements.Take())
        .Add("operatingPoints", std::move(points))
        .Add("converterInformation",
             Object(a)
                 .Add("supportedTopologies", Object(a).Add("flyback", flyback.Take()).Take())
                 .Take())
        .Take();
}

// The bobbin's MAS name, as the core's source cites the bobbin data it came
// from ("bobbins.ndjson line 91 'Bobbin EFD 25/13/9'").
std::string BobbinName(const catalogue::Core& core) {
    const std::size_t cited = core.source.find("bobbins.ndjson line ");
    const std::size_t open = core.source.find('\'', cited);
    const std::size_t close = core.source.find('\'', open + 1);
    if (cited != std::string::npos && open != std::string::npos && close != std::string::npos)
        return core.source.substr(open + 1, close - open - 1);
    if (TypedShapeOf(core)) return "Bobbin " + core.name;
    return "Bobbin " + CoreMasName(core);
}
// A round wire by its MAS name; litz and foil described in place, as MAS
// allows, since no catalogue of theirs names our constructions.
Value WireOfWinding(const winding::Winding& w, Allocator& a) {
    switch (w.conductor) {
        case winding::Conductor::Round:
            return Object(a).Text(WireMasName(*w.wire));
        case winding::Conductor::Litz:
            return Object(a)
                .String("type", "litz")
                .String("material", "copper")
                .Add("numberConductors", Value(w.strands))
                .String("strand", WireMasName(*w.wire))
                .Add("outerDiameter", Object(a).Number("nominal", w.outer_mm * 1e-3).Take())
                .Take();
        case winding::Conductor::Foil:
            return Object(a)
                .String("type", "foil")
                .String("material", "copper")
                .Add("numberConductors", Value(1))
                .Add("conductingWidth",
                     Object(a).Number("nominal", w.foilThickness_mm * 1e-3).Take())
                .Add("conductingHeight", Object(a).Number("nominal", w.foilWidth_mm * 1e-3).Take())
                .Take();
    }
    return {};
}

constexpr double kResidualGap_m = 10e-6;

// The build as MAS describes it section by section, from the centre leg out:
// each winding (a split one's halves as parts of the whole, by their share of
// its turns) with its margins, and the tape between them, each placed by its
// centre from the centre leg's axis (the bobbin's inner surface a round leg's
// of the same inner turn length). A reader without our block winds the same
// build in the same order. None where the core's turn length is unknown.
Value Sections(Allocator& a, const Plan& plan) {
    const std::optional<double> inner = winding::TurnLengthAt(*plan.core, 0);
    if (!inner) return Value();
    const double mm = 1e-3, width = plan.core->winding_width_mm * mm;
    double x = *inner / (2 * std::numbers::pi) * mm;  // the bobbin's inner surface
    const auto place = [&](Object& section, double height) {
        section.Add("dimensions", Array(a, {height, width}))
            .Add("coordinates", Array(a, {x + height / 2, 0}));
        x += height;
    };
    Value sections(rapidjson::kArrayType);
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const winding::Winding& w = plan.windings[i];
        if (w.tapeBefore_mm > 0) {
            Object tape(a);
            tape.String("name", "insulation " + std::to_string(i))
                .String("type", "insulation")
                .String("layersOrientation", "overlapping")
                .Add("partialWindings", Value(rapidjson::kArrayType));
            place(tape, w.tapeBefore_mm * mm);
            sections.PushBack(tape.Take(), a);
        }
        const int parallels = w.conductor == winding::Conductor::Round ? w.strands : 1;
        const double share = static_cast<double>(w.turns) / winding::WholeTurns(plan, w);
        Value part =
            Object(a)
                .String("winding", WindingNameInFile(w))
                .Add("parallelsProportion",
                     Array(a, std::vector<double>(static_cast<std::size_t>(parallels), share)))
                .Take();
        Value parts(rapidjson::kArrayType);
        parts.PushBack(std::move(part), a);
        Object section(a);
        section.String("name", winding::WindingName(w))
            .String("type", "conduction")
            .String("layersOrientation", "overlapping")
            .Add("partialWindings", std::move(parts))
            .Add("numberLayers", Value(w.layers));
        if (plan.insulation.margin_mm > 0) {
            const double margin = plan.insulation.margin_mm * mm;
            section.Add("margin", Array(a, {margin, margin}));
        }
        place(section, w.height_mm * mm);
        sections.PushBack(section.Take(), a);
    }
    return sections;
}

// The pins a whole winding is joined to, in turn from its start: a split
// winding's junction between its ends; a stacked section's two taps, which
// the sections beside it share, so the file says how the stack is joined.
Value Connections(Allocator& a, const Plan& plan, const std::vector<pins::Ends>& ends,
                  const winding::Winding& whole) {
    std::vector<int> joined;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const winding::Winding& w = plan.windings[i];
        if (w.role != whole.role || w.output != whole.output) continue;
        for (const int pin : {ends[i].start, ends[i].finish}) {
            if (std::find(joined.begin(), joined.end(), pin) == joined.end()) joined.push_back(pin);
        }
    }
    Value connections(rapidjson::kArrayType);
    for (const int pin : joined) {
        connections.PushBack(
            Object(a).String("type", "pin").String("pinName", std::to_string(pin)).Take(), a);
    }
    return connections;
}

Value Magnetic(Allocator& a, const Plan& plan, const pins::Pins& pins) {
    Object fd(a);
    // The gap ground in the centre leg, listed first, and the outer legs'
    // residual gaps after it: a reader given one gap alone applies it to
    // every leg and finds little more than half the inductance. The residual
    // length is the one the MAS project's own flyback examples give.
    Value gaps(rapidjson::kArrayType);
    gaps.PushBack(
        Object(a).String("type", "subtractive").Number("length", plan.gap_mm * 1e-3).Take(), a);
    for (int leg = 0; leg < 2; ++leg) {
        gaps.PushBack(Object(a).String("type", "residual").Number("length", kResidualGap_m).Take(),
                      a);
    }
    fd.String("type", "twoPieceSet").String("material", plan.material->name);
    if (const std::optional<core_geometry::TypedShape> typed = TypedShapeOf(*plan.core)) {
        Object dimensions(a);
        for (const auto& [letter, mm] : typed->letters)
            dimensions.Add(letter, Object(a).Number("nominal", mm * 1e-3).Take());
        fd.Add("shape", Object(a)
                            .String("type", "custom")
                            .String("family", MasFamily(typed->family))
                            .String("name", plan.core->name)
                            .Add("dimensions", dimensions.Take())
                            .Take());
    } else {
        fd.String("shape", CoreMasName(*plan.core));
    }
    fd.Add("gapping", std::move(gaps)).Add("numberStacks", Value(1));
    Value windings(rapidjson::kArrayType);
    const std::vector<pins::Ends> ends = pins::PinsOf(plan, pins);
    for (const auto* w : CoilWindings(plan)) {
        windings.PushBack(
            Object(a)
                .String("name", WindingNameInFile(*w))
                .Add("numberTurns", Value(winding::WholeTurns(plan, *w)))
                .Add("numberParallels",
                     Value(w->conductor == winding::Conductor::Round ? w->strands : 1))
                .String("isolationSide", IsolationSide(w->role))
                .Add("wire", WireOfWinding(*w, a))
                .Add("connections", Connections(a, plan, ends, *w))
                .Take(),
            a);
    }
    Object coil(a);
    coil.String("bobbin", BobbinName(*plan.core)).Add("functionalDescription", std::move(windings));
    if (Value sections = Sections(a, plan); !sections.IsNull())
        coil.Add("sectionsDescription", std::move(sections));
    return Object(a)
        .Add("core", Object(a)
                         .String("name", plan.core->name)
                         .Add("functionalDescription", fd.Take())
                         .Take())
        .Add("coil", coil.Take())
        .Take();
}

// The capacitance between neighbouring windings as a bridge measures it, by
// the names the coil gives them (a split winding's halves as one); a
// shield is no winding of the file's and is left out.
Value StrayCapacitance(Allocator& a, const Plan& plan) {
    std::map<std::string, std::map<std::string, double>> among;
    const int windings = static_cast<int>(plan.windings.size());
    for (const winding::FacingCapacitance& f : plan.capacitance->facings) {
        if (f.inner >= windings || f.outer >= windings) continue;
        const std::string inner =
            WindingNameInFile(plan.windings[static_cast<std::size_t>(f.inner)]);
        const std::string outer =
            WindingNameInFile(plan.windings[static_cast<std::size_t>(f.outer)]);
        among[inner][outer] += f.C_F;
        among[outer][inner] += f.C_F;
    }
    Object matrix(a);
    for (const auto& [name, row] : among) {
        Object columns(a);
        for (const auto& [other, C] : row) columns.Number(other, C);
        matrix.Add(name, columns.Take());
    }
    Object networks(a);
    std::map<std::string, std::vector<const winding::WindingPairCapacitance*>> byFirst;
    for (const winding::WindingPairCapacitance& p : plan.capacitance->pairs)
        byFirst[WindingNameInFile(plan.windings[static_cast<std::size_t>(p.a)])].push_back(&p);
    for (const auto& [name, pairs] : byFirst) {
        Object row(a);
        for (const winding::WindingPairCapacitance* p : pairs) {
            Object six(a);
            for (std::size_t i = 0; i < p->C.size(); ++i)
                six.Number("C" + std::to_string(i + 1), p->C[i]);
            row.Add(WindingNameInFile(plan.windings[static_cast<std::size_t>(p->b)]), six.Take());
        }
        networks.Add(name, row.Take());
    }
    Value list(rapidjson::kArrayType);
    list.PushBack(
        Object(a)
            .String("origin", "simulation")
            .String("methodUsed",
                    "one-dimensional field between facing layers, each layer's voltage linear "
                    "between its winding's ends; six capacitors: C1 across the first winding "
                    "(dot to end), C2 across the second, C3 dot to dot, C4 end to end, C5 the "
                    "first's dot to the second's end, C6 the first's end to the second's dot")
            .Add("capacitanceAmongWindings", matrix.Take())
            .Add("sixCapacitorNetworkPerWinding", networks.Take())
            .Take(),
        a);
    return list;
}

Value Outputs(Allocator& a, const Plan& plan) {
    const double hot = plan.options.ambient_C + plan.dT_K.value_or(0);
    Object out(a);
    if (plan.Pcore_W && *plan.Pcore_W > 0) {
        out.Add("coreLosses", Object(a)
                                  .String("origin", "simulation")
                                  .String("methodUsed", "iGSE")
                                  .Number("coreLosses", *plan.Pcore_W)
                                  .Number("temperature", hot)
                                  .Take());
    }
    if (plan.Pcopper_W && *plan.Pcopper_W > 0) {
        std::vector<double> resistances;
        for (const auto* w : CoilWindings(plan))
            resistances.push_back(winding::WholeResistance(plan, *w).value_or(0));
        out.Add("windingLosses", Object(a)
                                     .String("origin", "simulation")
                                     .String("methodUsed", "Dowell")
                                     .Number("windingLosses", *plan.Pcopper_W)
                                     .Number("temperature", hot)
                                     .Add("dcResistancePerWinding", Array(a, resistances))
                                     .Take());
    }
    if (plan.dT_K) {
        out.Add("temperature", Object(a)
                                   .String("origin", "simulation")
                                   .String("methodUsed", "McLyman area product")
                                   .Number("initialTemperature", plan.options.ambient_C)
                                   .Number("maximumTemperature", hot)
                                   .Take());
    }
    if (plan.capacitance) out.Add("strayCapacitance", StrayCapacitance(a, plan));
    Value leakages(rapidjson::kArrayType);
    leakages.PushBack(Object(a).Number("nominal", plan.clamp.leakage_H).Take(), a);
    out.Add(
        "inductance",
        Object(a)
            .Add("magnetizingInductance",
                 Object(a)
                     .String("origin", "simulation")
                     .String("methodUsed", "gapped reluctance with McLyman fringing")
                     .Add("magnetizingInductance", Object(a).Number("nominal", plan.Lp_H).Take())
                     .Number("coreReluctance", plan.Np * static_cast<double>(plan.Np) / plan.Lp_H)
                     .Number("maximumFringingFactor", plan.fringing)
                     .Take())
            .Add("leakageInductance",
                 Object(a)
                     .String("origin", "simulation")
                     .String("methodUsed", plan.clamp.source == winding::LeakageSource::Build
                                               ? "one-dimensional MMF of the build"
                                               : "given")
                     .Add("leakageInductancePerWinding", std::move(leakages))
                     .Take())
            .Take());
    Value list(rapidjson::kArrayType);
    list.PushBack(out.Take(), a);
    return list;
}

// ---- Reading ---------------------------------------------------------------

std::string Shortest(double value) {
    return runtime::decimal::ShortestText(value);
}

// A part a document names, or describes in place with its name.
std::string NameOf(const Reader& part) {
    if (part.Has("name")) return part.At("name").Text();
    return part.Text();
}

// More than a controller's corners are read as a fault in the file.
constexpr std::size_t kMostOperatingPoints = 16;
// A core's legs: more gaps than these are a fault in the file.
constexpr std::size_t kMostGaps = 8;
// Every winding's sections and the tape between: more are a fault in the file.
constexpr std::size_t kMostSections = 64;

struct CoilWinding {
    std::string name;
    int turns = 0;
    bool primarySide = false;
};

// The windings of the coil: their turns and sides. The plan winds each of
// its own choice of wire, so a wire the catalogue lacks, or one described in
// place, is named in the notes rather than refused.
std::vector<CoilWinding> CoilOf(const Reader& magnetic, const catalogue::Catalogue& parts,
                                std::vector<std::string>& notes) {
    std::vector<CoilWinding> coil;
    // The outputs' windings, a primary and a bias winding.
    const std::size_t mostWindings = winding::kMostOutputs + 2;
    for (const Reader& w : magnetic.At("coil").At("functionalDescription").Items(mostWindings)) {
        const Reader wire = w.At("wire");
        if (!wire.Has("name") && wire.Has("type")) {
            notes.push_back("文件中的一种导线就地描述（" + wire.At("type").Text() + "），未核对。");
        } else if (const std::string name = NameOf(wire); WireByMasName(parts, name) == nullptr) {
            notes.push_back("文件中的导线“" + name + "”不在目录中。");
        }
        coil.push_back({w.Has("name") ? w.At("name").Text() : std::string(),
                        WholeWithin(w.At("numberTurns"), 1, winding::kMostTurns),
                        w.At("isolationSide").Text() == "primary"});
    }
    const auto primaries =
        std::count_if(coil.begin(), coil.end(), [](const CoilWinding& w) { return w.primarySide; });
    if (primaries == 0 || primaries == static_cast<long>(coil.size()))
        throw Unreadable{"magnetic.coil.functionalDescription", "须有初级与次级绕组"};
    return coil;
}

// The primary: the first winding on the primary side (CoilOf makes sure
// there is one).
std::size_t PrimaryOf(const std::vector<CoilWinding>& coil) {
    return static_cast<std::size_t>(
        std::find_if(coil.begin(), coil.end(), [](const CoilWinding& w) { return w.primarySide; }) -
        coil.begin());
}

// The six texts and the outputs from the converter block another tool wrote.
void ConditionsFromConverter(const Reader& inputs, Design& d, std::vector<std::string>& notes) {
    const Reader flyback =
        inputs.At("converterInformation").At("supportedTopologies").At("flyback");
    const std::vector<Reader> points = flyback.At("operatingPoints").Items();
    const Reader& point = points.at(0);
    if (points.size() > 1) {
        notes.push_back("变换器给出 " + std::to_string(points.size()) +
                        " 个工作点：按第一个设计，其余未读取。");
    }
    if (const std::size_t beside =
            inputs.Has("operatingPoints") ? inputs.At("operatingPoints").Items().size() : 0) {
        notes.push_back("文件另有 " + std::to_string(beside) +
                        " 个工作点的绕组激励：按变换器的工作条件设计，未读取这些激励。");
    }
    const std::vector<Reader> volts = point.At("outputVoltages").Items(winding::kMostOutputs),
                              amps = point.At("outputCurrents").Items(winding::kMostOutputs);
    if (volts.empty() || volts.size() != amps.size())
        throw Unreadable{point.path(), "输出电压与电流的个数不一致"};
    const double VF = Within(flyback.At("diodeVoltageDrop"), winding::kOutputColumns[2]);
    double power = 0;
    for (std::size_t k = 0; k < volts.size(); ++k) {
        const double V = Within(volts[k], winding::kOutputColumns[0]),
                     I = Within(amps[k], winding::kOutputColumns[1]);
        power += V * I;
        d.options.choices.outputs.push_back({V, I, VF});
    }
    if (!point.Has("switchingFrequency"))
        throw Unreadable{point.path() + ".switchingFrequency", "缺少"};
    const Reader range = flyback.At("inputVoltage");
    d.texts = {Shortest(power),
               Shortest(range.At("maximum").Number()),
               Shortest(range.At("minimum").Number()),
               Shortest(point.At("switchingFrequency").Number() / 1000),
               Shortest(flyback.At("efficiency").Number() * 100),
               Shortest(volts.front().Number())};
    if (point.Has("ambientTemperature"))
        d.options.ambient_C = point.At("ambientTemperature").Number();
}

// A figure worked out from a file's waveforms, to four digits: the texts
// read as an engineer would type them, not as the arithmetic leaves them.
std::string Derived(double value) {
    return record::ReadableNumber(value);
}

// What a point's secondaries deliver at the outputs' voltages as the
// design sets them.
double OutputPower(const ExcitedPoint& point, const std::vector<CoilWinding>& coil,
                   const Design& d) {
    double power = 0;
    std::size_t output = 0;
    for (std::size_t i = 0; i < coil.size(); ++i) {
        if (coil[i].primarySide) continue;
        power += d.options.choices.outputs[output++].V * point.windings[i].mean_A;
    }
    return power;
}

// Without a converter block, the six texts and the outputs from the windings'
// excitations: the input from the primary's voltage while the switch is on
// (the lowest of the operating points the minimum, the highest the maximum),
// each output from the reflected voltage by its turns less a rectifier's
// drop, its load from its mean current, the efficiency from the powers.
void ConditionsFromExcitations(const Reader& inputs, const std::vector<CoilWinding>& coil,
                               Design& d, Opened& opened) {
    std::vector<std::string>& notes = opened.notes;
    std::vector<bool> sides(coil.size());
    std::transform(coil.begin(), coil.end(), sides.begin(),
                   [](const CoilWinding& w) { return w.primarySide; });
    std::vector<ExcitedPoint> points;
    std::vector<std::string> names;
    for (const Reader& point : inputs.At("operatingPoints").Items(kMostOperatingPoints)) {
        points.push_back(ReadExcitedPoint(point, sides));
        names.push_back(point.Has("name") ? point.At("name").Text()
                                          : "工作点 " + std::to_string(points.size()));
    }
    if (points.empty()) throw Unreadable{"inputs.operatingPoints", "没有工作点"};
    const auto [lowest, highest] =
        std::minmax_element(points.begin(), points.end(),
                            [](const auto& a, const auto& b) { return a.Von_V < b.Von_V; });
    const ExcitedPoint& p = *lowest;
    const std::size_t primary = PrimaryOf(coil);
    const int Np = coil[primary].turns;
    const double input = p.Von_V * p.windings[primary].mean_A;
    for (std::size_t i = 0; i < coil.size(); ++i) {
        if (coil[i].primarySide) continue;
        const double V = p.Voff_V * coil[i].turns / Np - winding::physics::kRectifierDrop;
        const double I = p.windings[i].mean_A;
        if (!(V > 0) || !(I > 0))
            throw Unreadable{"inputs.operatingPoints",
                             "次级的电压或电流不大于零，不是反激的工作点"};
        d.options.choices.outputs.push_back({V, I, winding::physics::kRectifierDrop});
    }
    const double output = OutputPower(p, coil, d);
    if (!(input > 0))
        throw Unreadable{"inputs.operatingPoints", "初级的输入功率不大于零，不是反激的工作点"};
    // A lossless sketch of a converter (outputs at least the input) is taken
    // at 100 %: the plan then says what its own losses need.
    double efficiency = output / input * 100;
    if (efficiency >= 100) {
        notes.push_back("激励描述的是无损传递（输出 " + Derived(output) + " W，输入 " +
                        Derived(input) + " W）：效率按 100 % 计。");
        efficiency = 100;
    }
    d.texts = {Derived(output),     Derived(highest->Von_V),
               Derived(p.Von_V),    Derived(p.frequency_Hz / 1000),
               Derived(efficiency), Derived(d.options.choices.outputs.front().V)};
    notes.push_back("文件没有变换器的工作条件，由各绕组的激励推得：频率 " +
                    Derived(p.frequency_Hz / 1000) + " kHz，开通时初级电压 " + Derived(p.Von_V) +
                    " V 作最低输入，反射电压 " + Derived(p.Voff_V) + " V，占空比 " +
                    Derived(p.duty) + "；输出按匝数与整流压降 " +
                    Derived(winding::physics::kRectifierDrop) + " V（假定），负载按平均电流。");
    if (points.size() == 1)
        notes.emplace_back("文件只有一个工作点：最高输入电压按最低输入电压计。");
    for (std::size_t k = 0; k < points.size(); ++k) {
        opened.points.push_back({names[k], points[k].Von_V,
                                 OutputPower(points[k], coil, d) / output, points[k].frequency_Hz});
    }
}

// The gap a file's core is ground to, where it gives one: the centre leg's
// (the first subtractive gap), with any other leg's subtractive gap added in
// series; residual gaps left to the material's permeability.
std::optional<double> GapOf(const Reader& functional) {
    if (!functional.Has("gapping")) return std::nullopt;
    std::vector<double> ground;
    for (const Reader& gap : functional.At("gapping").Items(kMostGaps)) {
        if (gap.At("type").Text() != "subtractive") continue;
        // A gap of nought is a leg left whole; any other must be one a
        // grinder makes.
        const double length_mm = gap.At("length").Number() * 1e3;
        if (length_mm != 0 && !catalogue::kGap_mm.Holds(length_mm))
            throw Unreadable{
                gap.At("length").path(),
                BoundsText(catalogue::kGap_mm.low, catalogue::kGap_mm.high, length_mm, "mm")};
        ground.push_back(length_mm / 1e3);
    }
    if (ground.empty() || !(ground.front() > 0)) return std::nullopt;
    const double outer =
        ground.size() > 1 ? *std::max_element(ground.begin() + 1, ground.end()) : 0;
    return (ground.front() + outer) * 1e3;
}

// A transformer already has its gap: the inductance is what the gap gives
// with the file's primary turns, the file's own requirement only said.
void KeepTheGap(const Reader& functional, const catalogue::Core& core,
                const catalogue::Catalogue& parts, const std::vector<CoilWinding>& coil, Design& d,
                std::vector<std::string>& notes) {
    const std::optional<double> gap_mm = GapOf(functional);
    const catalogue::Material* material = parts.FindMaterial(d.options.material);
    if (!gap_mm || material == nullptr) return;
    const double required = d.options.choices.Lp_H;
    d.options.choices.Lp_H =
        winding::InductanceOfGap(core, *material, coil[PrimaryOf(coil)].turns, *gap_mm);
    notes.push_back("电感按文件的气隙 " + Derived(*gap_mm) + " mm 算得 " +
                    record::ReadableValue(d.options.choices.Lp_H, "H") + "（文件要求 " +
                    record::ReadableValue(required, "H") + "）。");
}

// The order a file's sections wind the coil in, where it gives them: the
// primary split around the secondaries, a secondary split around the
// primary, the bias winding between, or the usual order; none where the
// sections name no winding of the coil first.
std::optional<winding::Order> OrderOf(const Reader& coil,
                                      const std::vector<CoilWinding>& windings) {
    if (!coil.Has("sectionsDescription")) return std::nullopt;
    std::vector<std::size_t> wound;  // each conduction section's winding
    for (const Reader& section : coil.At("sectionsDescription").Items(kMostSections)) {
        if (section.At("type").Text() != "conduction") continue;
        const std::vector<Reader> parts = section.At("partialWindings").Items();
        if (parts.empty()) continue;
        const std::string name = parts.front().At("winding").Text();
        const auto found = std::find_if(windings.begin(), windings.end(),
                                        [&](const CoilWinding& w) { return w.name == name; });
        if (found == windings.end()) return std::nullopt;
        wound.push_back(static_cast<std::size_t>(found - windings.begin()));
    }
    if (wound.size() < 2) return std::nullopt;
    const std::size_t primary = PrimaryOf(windings);
    const bool again = std::count(wound.begin(), wound.end(), wound.front()) > 1;
    if (wound.front() == primary) {
        if (again) return winding::Order::PSP;
        return windings[wound[1]].primarySide ? winding::Order::PBS : winding::Order::PSB;
    }
    if (!windings[wound.front()].primarySide && again) return winding::Order::SPS;
    return std::nullopt;
}

// The file's core: the catalogue's by its MAS name, else by its effective
// parameters, else as the file describes it, added to `own` and `opened`.
const catalogue::Core& FileCore(const Reader& magnetic, catalogue::Catalogue& own, Opened& opened) {
    const Reader core = magnetic.At("core");
    const Reader shapeField = core.At("functionalDescription").At("shape");
    const std::string shape = NameOf(shapeField);
    // A core this program's user typed by its letters is made from them again.
    if (const std::optional<core_geometry::TypedShape> typed =
            core_geometry::ReadTypedShape(shape)) {
        if (const catalogue::Core* known = own.FindCore(shape)) return *known;
        const auto made = catalogue::TypedCore(*typed);
        if (const auto* core = std::get_if<catalogue::Core>(&made)) {
            opened.notes.push_back("磁芯按文件中的尺寸（" + shape + " mm）由截面法算出。");
            opened.cores.push_back(*core);
            own.cores.push_back(*core);
            return own.cores.back();
        }
        throw Unreadable{shapeField.path(), "磁芯尺寸“" + shape + "”不成一个磁芯"};
    }
    // Read first, so that a number no real part has is refused even where
    // the catalogue's own figures for the shape are then taken.
    const std::optional<catalogue::Core> given = CoreAsGiven(core, magnetic.At("coil"));
    const catalogue::Core* named = CoreByMasName(own, shape);
    // The catalogue's shape, unless it knows no bobbin where the file winds
    // on one (a shape computed from its drawing alone).
    if (named && (named->Automatic() || !given || !given->MLT_mm)) return *named;
    const std::string known = named ? "”在目录中没有骨架" : "”不在目录中";
    if (!given) throw Unreadable{shapeField.path(), "磁芯形状“" + shape + "”不在目录中"};
    if (const catalogue::Core* same = CoreOfTheSameSize(own, *given)) {
        opened.notes.push_back("磁芯形状“" + shape + known + "；按有效参数即目录中的 " +
                               same->name + "。");
        return *same;
    }
    opened.notes.push_back(
        "磁芯形状“" + shape + known + "：按文件给出的有效参数取用（Ae " +
        record::ReadableValue(given->Ae_mm2, "mm²") + "，le " +
        record::ReadableValue(given->le_mm, "mm") + "，Ve " +
        record::ReadableValue(given->Ve_mm3, "mm³") + "）" +
        (given->MLT_mm ? "，绕线窗口与平均匝长按文件的骨架。" : "，绕线窗口按磁芯本身。"));
    opened.cores.push_back(*given);
    // Beside the catalogue's shape of that name, its own name says whose.
    if (named) opened.cores.back().name += " (file)";
    own.cores.push_back(opened.cores.back());
    return own.cores.back();
}

// The file's material: the catalogue's by name, else by its loss data, else
// as the file describes it.
std::string FileMaterial(const Reader& functional, catalogue::Catalogue& own, Opened& opened) {
    const Reader field = functional.At("material");
    std::string name = NameOf(field);
    // Read first, so that a number no real part has is refused even where
    // the catalogue's own material of that name is then taken.
    const std::optional<catalogue::Material> given =
        field.Has("name") ? MaterialAsGiven(field) : std::nullopt;
    if (own.FindMaterial(name) != nullptr) return name;
    if (!given) throw Unreadable{field.path(), "磁芯材料“" + name + "”不在目录中"};
    if (const catalogue::Material* same = MaterialOfTheSameLoss(own, *given)) {
        opened.notes.push_back("磁芯材料“" + name + "”不在目录中；其损耗数据即目录中的 " +
                               same->name + "。");
        return same->name;
    }
    opened.notes.push_back("磁芯材料“" + name + "”不在目录中：按文件给出的损耗系数（" +
                           std::to_string(given->steinmetz.size()) + " 个频段）" +
                           (given->mu_i ? "与初始磁导率" : "") + "取用。");
    opened.materials.push_back(*given);
    own.materials.push_back(*given);
    return name;
}

// A transformer another tool made: its converter's conditions as the six
// texts, its core, material, turns and inductance as fixed choices.
Design ReadForeign(const Reader& root, const catalogue::Catalogue& parts, Opened& opened) {
    std::vector<std::string>& notes = opened.notes;
    const Reader inputs = root.At("inputs");
    const Reader magnetic = root.At("magnetic");
    const std::vector<CoilWinding> coil = CoilOf(magnetic, parts, notes);
    Design d;
    if (inputs.Has("converterInformation")) {
        ConditionsFromConverter(inputs, d, notes);
    } else {
        ConditionsFromExcitations(inputs, coil, d, opened);
    }

    const Reader fd = magnetic.At("core").At("functionalDescription");
    catalogue::Catalogue own = parts;  // and the parts the file gives in place
    const catalogue::Core* core = &FileCore(magnetic, own, opened);
    d.options.core = core->name;
    d.options.material = FileMaterial(fd, own, opened);
    const Reader requirements = inputs.At("designRequirements");
    const Reader inductance = requirements.At("magnetizingInductance");
    d.options.choices.conduction = winding::Conduction::Inductance;
    if (inductance.Has("nominal") && !inductance.At("nominal").IsNull()) {
        d.options.choices.Lp_H = inductance.At("nominal").Number();
    } else if (inductance.Has("minimum") && inductance.Has("maximum")) {
        d.options.choices.Lp_H =
            (inductance.At("minimum").Number() + inductance.At("maximum").Number()) / 2;
    } else {
        throw Unreadable{inductance.path(), "缺少标称值"};
    }
    std::vector<int> secondaries;
    KeepTheGap(fd, *core, own, coil, d, notes);
    if (const auto order = OrderOf(magnetic.At("coil"), coil)) {
        d.options.order = *order;
        if (*order != winding::Order::PSB) {
            notes.push_back("绕制顺序按文件的分段：" +
                            std::string(winding::kOrderNames[static_cast<int>(*order)]) + "。");
        }
    }
    for (const CoilWinding& w : coil) {
        if (!w.primarySide) {
            secondaries.push_back(w.turns);
        } else if (d.options.choices.Np == 0) {
            d.options.choices.Np = w.turns;
        } else {
            d.options.choices.Naux = w.turns;
        }
    }
    d.options.choices.Ns = secondaries.front();
    if (d.options.choices.Naux) {
        // The bias winding's voltage from its turns, the regulated output held.
        const winding::OutputLoad& regulated = d.options.choices.outputs.front();
        const double perTurn = (regulated.V + regulated.VF_V) / secondaries.front();
        d.options.Vaux_V = perTurn * *d.options.choices.Naux - d.options.choices.biasVF_V;
        notes.push_back("辅助绕组按匝数得 " + Shortest(*d.options.Vaux_V) + " V，负载按零计。");
    }
    notes.emplace_back("导线按本程序的规则选取；文件中的导线只核对了名称。");
    if (secondaries.size() > 1)
        notes.emplace_back("其余次级的匝数由其输出电压算出，未采用文件中的匝数。");
    if (requirements.Has("insulation") && !requirements.At("insulation").IsNull())
        d.options.insulation = InsulationOf(requirements.At("insulation"), notes);
    return d;
}

}  // namespace

std::string CoreMasName(const catalogue::Core& core) {
    return core.masShape;
}

std::string WireMasName(const catalogue::Wire& wire) {
    if (wire.kind == catalogue::WireKind::TripleInsulated) {
        const std::size_t open = wire.name.find('('), close = wire.name.rfind(')');
        if (open != std::string::npos && close > open)
            return "Round " + wire.name.substr(open + 1, close - open - 1);
        return wire.name;
    }
    return "Round " + runtime::decimal::ShortestText(wire.conductor_mm) + " - Grade 1";
}

const catalogue::Core* CoreByMasName(const catalogue::Catalogue& parts, std::string_view name) {
    for (const catalogue::Core& core : parts.cores) {
        if (!core.masShape.empty() && core.masShape == name) return &core;
    }
    return nullptr;
}

const catalogue::Wire* WireByMasName(const catalogue::Catalogue& parts, std::string_view name) {
    // A grade 2 wire is the same conductor with a thicker film.
    std::string grade1(name);
    if (grade1.ends_with(" - Grade 2")) grade1.replace(grade1.size() - 1, 1, "1");
    for (const catalogue::Wire& wire : parts.wires) {
        if (WireMasName(wire) == grade1) return &wire;
    }
    // Files written before triple-insulated wire took its MAS name named it
    // by the maker's code alone.
    for (const catalogue::Wire& wire : parts.wires) {
        if (wire.kind == catalogue::WireKind::TripleInsulated &&
            "Round " + grade1 == WireMasName(wire))
            return &wire;
    }
    return nullptr;
}

Written WriteDesignFile(const Design& design, const winding::PlanOutcome& outcome) {
    if (!outcome.plan)
        return {{}, "没有绕制方案，无法写成设计文件：" + plan_sheet::FailureText(outcome)};
    const Plan& plan = *outcome.plan;
    if (CoreMasName(*plan.core).empty() && !TypedShapeOf(*plan.core))
        return {{}, "磁芯“" + plan.core->name + "”没有 MAS 中的形状名，无法写成设计文件。"};
    // Our file names its parts; one another tool's file described in place
    // would find nothing when the file is opened again.
    if (plan.core->source == kGivenByTheFile || plan.material->source == kGivenByTheFile) {
        return {{},
                "磁芯或材料取自其他工具的文件（目录中没有），写成设计文件后无法再打开；"
                "请改用目录中的磁芯与材料。"};
    }
    rapidjson::Document document(rapidjson::kObjectType);
    Allocator& a = document.GetAllocator();
    document.AddMember("inputs", Inputs(a, design, plan), a);
    document.AddMember("magnetic", Magnetic(a, plan, design.pins), a);
    document.AddMember("outputs", Outputs(a, plan), a);
    document.AddMember(
        Value(kOurBlock.data(), static_cast<rapidjson::SizeType>(kOurBlock.size()), a),
        OurBlock(a, design), a);
    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    writer.SetIndent(' ', 2);
    if (!document.Accept(writer)) return {{}, "方案中有不是有限数的值，无法写成设计文件。"};
    return {std::string(buffer.GetString(), buffer.GetSize()) + "\n", {}};
}

namespace {

// Our file names a typed core by its letters: the core is made from them.
void TypedCoreOfOurs(const Design& design, const catalogue::Catalogue& parts, Opened& opened) {
    const std::optional<core_geometry::TypedShape> typed =
        core_geometry::ReadTypedShape(design.options.core);
    if (!typed || parts.FindCore(design.options.core)) return;
    const auto made = catalogue::TypedCore(*typed);
    const auto* core = std::get_if<catalogue::Core>(&made);
    if (!core) throw Unreadable{"", "磁芯尺寸“" + design.options.core + "”不成一个磁芯"};
    opened.cores.push_back(*core);
}

}  // namespace

Opened ReadDesignFile(std::string_view bytes, const catalogue::Catalogue& parts) {
    Opened opened;
    if (bytes.size() > kMostBytes) {
        opened.error =
            "文件太大（" + std::to_string(bytes.size() / 1024 / 1024) + " MB），不是设计文件。";
        return opened;
    }
    // Read by a second library: RapidJSON's exact reading of numbers
    // misbehaves on some (a zero significand with an exponent); this one reads
    // them exactly, refuses NaN and infinities, and nests without recursion.
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(bytes.begin(), bytes.end());
    } catch (const nlohmann::json::parse_error& e) {
        opened.error = "不是 JSON 文件（第 " + std::to_string(e.byte) + " 字节）。";
        return opened;
    } catch (const nlohmann::json::exception&) {
        opened.error = "不是 JSON 文件（数值超出范围）。";
        return opened;
    }
    try {
        const Reader root(document, "");
        if (root.Has(kOurBlock)) {
            opened.design = ReadOurs(root.At(kOurBlock));
            TypedCoreOfOurs(*opened.design, parts, opened);
        } else {
            opened.foreign = true;
            opened.design = ReadForeign(root, parts, opened);
        }
    } catch (const Unreadable& u) {
        opened.design.reset();
        opened.error = (u.path.empty() ? std::string("文件") : u.path) + "：" + u.what + "。";
        return opened;
    } catch (const std::out_of_range&) {
        opened.design.reset();
        opened.error = "文件中的工作点为空。";
        return opened;
    } catch (const runtime::RuntimeError& e) {
        // Every number is held to its bounds first; this is the last guard.
        opened.design.reset();
        opened.error = "文件中的数值无法计算（" + std::string(e.what()) + "）。";
        return opened;
    }
    if (const std::string problem = ValuesProblem(*opened.design, WithFileParts(parts, opened));
        !problem.empty()) {
        opened.design.reset();
        opened.error = problem;
    }
    return opened;
}

catalogue::Catalogue WithFileParts(const catalogue::Catalogue& parts, const Opened& opened) {
    catalogue::Catalogue own = parts;
    for (const catalogue::Core& core : opened.cores) {
        if (own.FindCore(core.name) == nullptr) own.cores.push_back(core);
    }
    for (const catalogue::Material& material : opened.materials) {
        if (own.FindMaterial(material.name) == nullptr) own.materials.push_back(material);
    }
    return own;
}

}  // namespace flyback::design_file
