#include "design_file/design_file.hpp"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <numbers>

#include "catalogue/part_bounds.hpp"
#include "catalogue/typed_core.hpp"
#include "design_file/document.hpp"
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

}  // namespace flyback::design_file
