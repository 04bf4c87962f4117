#include "design_file/design_file.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/typed_core.hpp"
#include "design_file/document.hpp"
#include "design_file/excitations.hpp"
#include "design_file/file_insulation.hpp"
#include "design_file/file_parts.hpp"
#include "design_file/our_block.hpp"
#include "record/readable.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/error.hpp"
#include "winding/physics.hpp"

// Reading a design file: ours, or a MAS document another tool wrote, its
// conditions, core, material and windings taken as the file gives them.
namespace flyback::design_file {
namespace {

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
