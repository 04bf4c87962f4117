#include "build_sheet/build_sheet.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <set>

#include "catalogue/names.hpp"
#include "drawing/pictures.hpp"
#include "drawing/svg.hpp"
#include "insulation/requirements.hpp"
#include "record/readable.hpp"
#include "report/html_report.hpp"
#include "report/tab_separated.hpp"
#include "runtime/number_text.hpp"

namespace flyback::build_sheet {
namespace {

using plan_sheet::SheetLine;
using record::ReadableValue;
using winding::Plan;
using winding::Role;
using winding::Winding;

// Where the shop measures: a usual bench frequency well below any resonance.
constexpr std::string_view kMeasuringFrequency = "10 kHz";
// The stacked secondaries as the pins and the schematic name them: one
// winding with taps.
constexpr std::string_view kStackCaption = "次级叠绕组";

// The role of the winding split in two, if one is.
std::optional<Role> SplitRole(const Plan& plan) {
    for (const Winding& w : plan.windings) {
        if (w.half > 0) return w.role;
    }
    return std::nullopt;
}

// Every pin a winding uses, with whose it is, from the primary's pair on.
std::vector<std::pair<int, std::string>> PinUsers(const Plan& plan, const Pins& pins) {
    std::vector<std::pair<int, std::string>> users;
    const std::vector<Ends> ends = PinsOf(plan, pins);
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const Winding& w = plan.windings[i];
        // A split winding's halves share their junction, a stack's sections
        // their taps.
        const std::string who = plan.options.stack && w.role == Role::Secondary
                                    ? std::string(kStackCaption)
                                    : winding::WindingCaption(plan, winding::Whole(w));
        users.emplace_back(ends[i].start, who);
        users.emplace_back(ends[i].finish, who);
    }
    return users;
}

int TapeLayers(double tape_mm) {
    return static_cast<int>(std::lround(tape_mm / insulation::PlanTape().thickness_mm));
}

std::string PinPair(const Ends& e) {
    return std::to_string(e.start) + " → " + std::to_string(e.finish);
}

// A split primary runs from the first half's start to the second's finish.
std::string PrimaryPins(const Plan& plan, const std::vector<Ends>& ends) {
    std::optional<int> start, finish;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        if (plan.windings[i].role != Role::Primary) continue;
        if (!start) start = ends[i].start;
        finish = ends[i].finish;
    }
    return std::to_string(start.value_or(0)) + "–" + std::to_string(finish.value_or(0));
}

std::string SidePins(const Plan& plan, const std::vector<Ends>& ends, bool secondary) {
    std::set<int> pins;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        if ((plan.windings[i].role == Role::Secondary) != secondary) continue;
        pins.insert(ends[i].start);
        pins.insert(ends[i].finish);
    }
    std::string text;
    for (const int pin : pins) text += (text.empty() ? "" : "、") + std::to_string(pin);
    return text;
}

// The tape wound after winding i: the next winding's, or, where a shield
// comes next, one layer from the primary side's winding and the barrier's
// from a secondary.
std::string TapeAfter(const Plan& plan, std::size_t i) {
    if (i + 1 >= plan.windings.size()) return "外层包覆固定";
    const int barrier = TapeLayers(plan.windings[i + 1].tapeBefore_mm);
    if (!winding::ShieldBefore(plan, i + 1)) return std::to_string(barrier) + " 层";
    return plan.windings[i].role == Role::Secondary ? std::to_string(barrier) + " 层"
                                                    : std::string("1 层");
}

StepRow Step(const Plan& plan, std::size_t i, const Ends& ends) {
    const Winding& w = plan.windings[i];
    const double margin = plan.insulation.margin_mm;
    const std::string after = TapeAfter(plan, i);
    return {std::to_string(i + 1),
            winding::WindingCaption(plan, w),
            PinPair(ends),
            std::to_string(w.turns) + " 匝",
            plan_sheet::WireText(w),
            w.layers > 1
                ? std::to_string(w.layers) + " 层，每层 " + std::to_string(w.turnsPerLayer) + " 匝"
                : std::string("1 层"),
            margin > 0 ? ReadableValue(margin, "mm") : std::string("—"),
            after};
}

// The bobbin's own pins, where its data gives them: "；骨架 10 脚（立式，脚距 5 mm）".
std::string BobbinPinsText(const catalogue::Core& core) {
    if (!core.bobbinPins) return {};
    std::string details;
    if (!core.pinLayout.empty()) details = core.pinLayout == "vertical" ? "立式" : "卧式";
    if (core.pinPitch_mm) {
        details += (details.empty() ? "" : "，") + std::string("脚距 ") +
                   ReadableValue(*core.pinPitch_mm, "mm");
    }
    return "；骨架 " + std::to_string(*core.bobbinPins) + " 脚" +
           (details.empty() ? "" : "（" + details + "）");
}

int HighestPin(const std::vector<Ends>& ends) {
    int highest = 0;
    for (const Ends& e : ends) highest = std::max({highest, e.start, e.finish});
    return highest;
}

// Where the windings are numbered past the bobbin's last pin: the winder
// cannot build the sheet as written.
std::optional<SheetLine> TooFewPins(const Plan& plan, const std::vector<Ends>& ends) {
    const int highest = HighestPin(ends);
    if (!plan.core->bobbinPins || highest <= *plan.core->bobbinPins) return std::nullopt;
    return SheetLine{"引脚不够", "骨架只有 " + std::to_string(*plan.core->bobbinPins) +
                                     " 脚，绕组编号用到第 " + std::to_string(highest) +
                                     " 脚：须重排引脚、改用引脚更多的骨架，或由飞线引出。"};
}

// A shield's conductor in the words of a winding's wire.
std::string ShieldWireText(const Plan& plan, const winding::ShieldPlan& s) {
    Winding conductor;
    if (s.kind == winding::Shield::Foil) {
        conductor.conductor = winding::Conductor::Foil;
        conductor.foilThickness_mm = s.foil_mm;
        conductor.foilWidth_mm = plan.insulation.width_mm;
    } else if (s.wire) {
        conductor.wire = s.wire;
        conductor.strands = s.strands;
    } else {
        return "—";
    }
    return plan_sheet::WireText(conductor);
}

std::vector<SheetLine> Materials(const Plan& plan, const std::vector<Ends>& ends) {
    const int highest = HighestPin(ends);
    const catalogue::Core& core = *plan.core;
    const std::string half = ReadableValue(plan.gap_mm / 2, "mm");
    std::vector<SheetLine> lines = {
        {"磁芯", plan_sheet::CoreText(plan) + "，一副"},
        {"气隙", "中柱总计 " + ReadableValue(plan.gap_mm, "mm") + "（两半各磨 " + half +
                     "，或三柱垫片 " + half + "）；按电感量实测修磨"},
        {"骨架", "绕线宽度 " + ReadableValue(core.winding_width_mm, "mm") + "，高度 " +
                     ReadableValue(core.winding_height_mm, "mm") + "；引脚至少到第 " +
                     std::to_string(highest) + " 脚" + BobbinPinsText(core)},
    };
    // What to order: a maker's set of this core and material, where one is stocked.
    if (!plan.stock.empty())
        lines.insert(lines.begin() + 1, {"磁芯订货", plan_sheet::StockText(plan)});
    for (const Winding& w : plan.windings) {
        if (w.half == 2) continue;  // the same wire as the first half
        const std::string caption = winding::WindingCaption(plan, winding::Whole(w));
        // Foil is a strip a turn with tape wound with it; wire has its diameter.
        const std::string size =
            w.conductor == winding::Conductor::Foil
                ? "（每匝一层，与胶带同绕，每匝厚 " + ReadableValue(w.outer_mm, "mm") + "）"
                : "（外径 " + ReadableValue(w.outer_mm, "mm") + "）";
        lines.push_back({caption + "导线", plan_sheet::WireText(w) + size + "；" +
                                               plan_sheet::ConductorReasonText(plan, w)});
    }
    if (!plan.shields.empty()) {
        lines.push_back({"屏蔽", ShieldWireText(plan, plan.shields.front()) + "，共 " +
                                     std::to_string(plan.shields.size()) + " 处"});
    }
    const insulation::Tape& tape = insulation::PlanTape();
    lines.push_back({"胶带", insulation::TapeCaption(tape) + " " +
                                 ReadableValue(tape.thickness_mm, "mm") + "（每层击穿 " +
                                 ReadableValue(tape.breakdown_V, "V") + "），宽 " +
                                 ReadableValue(core.winding_width_mm, "mm")});
    if (plan.insulation.margin_mm > 0) {
        lines.push_back({"挡墙胶带", "宽 " + ReadableValue(plan.insulation.margin_mm, "mm") +
                                         "，绕至与各绕组齐平（绕线总高 " +
                                         ReadableValue(plan.build_mm, "mm") + "）"});
    }
    return lines;
}

// The class and the distances in one line; the plan's own lines give the
// table row of each.
std::string InsulationText(const Plan& plan) {
    const winding::InsulationPlan& i = plan.insulation;
    std::string text(insulation::GradeCaption(i.conditions.grade));
    if (!i.requirements) return text;
    const insulation::Requirements& r = *i.requirements;
    text += "；电气间隙 " + ReadableValue(r.clearance_mm.value, "mm") + "，爬电距离 " +
            ReadableValue(r.creepage_mm.value, "mm");
    if (i.margin_mm > 0) text += "，挡墙每侧 " + ReadableValue(i.margin_mm, "mm");
    if (i.tripleInsulated) text += "，次级三层绝缘线";
    return text + "，初级—次级胶带 " + std::to_string(i.tripleInsulated ? 1 : r.tapeLayers) + " 层";
}

// Real parts measure above the build's estimate: the limit the shop tests to
// says the estimate it is a multiple of.
std::string LeakageEstimate(const winding::Clamp& clamp) {
    if (!clamp.estimate_H) return {};
    return "，估算 " + ReadableValue(*clamp.estimate_H, "H") + " × " +
           ReadableValue(clamp.leakage_H / *clamp.estimate_H, "");
}

std::vector<SheetLine> Tests(const Plan& plan, const std::vector<Ends>& ends) {
    const std::string primary = PrimaryPins(plan, ends);
    const std::string source = plan.clamp.source == winding::LeakageSource::Given ? "按给定的漏感"
                               : plan.clamp.source == winding::LeakageSource::Build
                                   ? "按此上限"
                                   : "按假定的漏感";
    std::vector<SheetLine> lines = {
        {"初级电感 Lp", ReadableValue(plan.Lp_H, "H") + " ± " +
                            ReadableValue(plan.options.lpTolerance * 100, "%") + "（引脚 " +
                            primary + "，" + std::string(kMeasuringFrequency) + "，其余绕组开路）"},
        {"漏感", "≤ " + ReadableValue(plan.clamp.leakage_H, "H") + LeakageEstimate(plan.clamp) +
                     "（引脚 " + primary + "，" + std::string(kMeasuringFrequency) +
                     "，全部次级短路；钳位" + source + "设计）"},
    };
    // Not a test the shop must pass: what the build should measure near,
    // for the EMI engineer; the plan gives the rest.
    if (plan.capacitance) {
        lines.push_back({"绕组电容（估算）",
                         "初级—次级 " + ReadableValue(plan.capacitance->primarySecondary_F, "F") +
                             "（" + SidePins(plan, ends, false) + " 短接对 " +
                             SidePins(plan, ends, true) + " 短接）"});
    }
    const std::string between = "初级侧（" + SidePins(plan, ends, false) + "）— 次级侧（" +
                                SidePins(plan, ends, true) + "）";
    lines.push_back(
        {"耐压测试",
         between + "：" + plan_sheet::TestVoltageText(plan).value_or("功能绝缘，无安全耐压要求")});
    lines.push_back({"绝缘", InsulationText(plan)});
    return lines;
}

std::vector<SheetLine> Notes(const Plan& plan) {
    std::vector<SheetLine> lines = {
        {"绕向", "所有绕组同一方向绕制，起脚为同名端（•）。"},
        // Power Integrations, AN-18: the drain end innermost, shielded by the
        // layers over it, couples the least common-mode noise.
        {"初级", SplitRole(plan) == Role::Secondary
                     ? "初级起脚接开关管漏极，置于初级的最内层，由其后各层屏蔽其电压跳变。"
                     : "初级起脚接开关管漏极，置于最内层，由其后各层屏蔽其电压跳变。"},
    };
    if (SplitRole(plan) == Role::Primary) {
        lines.push_back({"初级分半",
                         "初级分两半串联，前半在最内层，后半在次级之外，"
                         "两半在中间连接脚相接。"});
    }
    if (SplitRole(plan) == Role::Secondary) {
        lines.push_back({"次级分半",
                         "第一路次级分两半串联，前半在最内层，后半在初级之外，"
                         "两半在中间连接脚相接。"});
        // Against the centre leg, only the bobbin stands between the
        // secondary's enamelled wire and a core that counts as the primary
        // side; triple-insulated wire carries its own insulation.
        if (plan.insulation.conditions.grade != insulation::Grade::Functional &&
            !plan.insulation.tripleInsulated) {
            lines.push_back({"骨架",
                             "次级紧贴骨架内壁：磁芯视为初级侧，"
                             "骨架本身须满足初次级之间所需的绝缘。"});
        }
    }
    if (plan.insulation.margin_mm > 0) {
        // Power Integrations, AN-17: leads crossing a margin are sleeved.
        lines.push_back({"挡墙", "每个绕组两侧先绕挡墙胶带；穿过挡墙的引出线套绝缘套管。"});
    }
    if (!plan.shields.empty()) {
        // A shield is on the primary side: the barrier's tape lies between
        // it and the secondaries, within the same margins.
        lines.push_back(
            {"屏蔽",
             plan.options.shield == winding::Shield::Foil
                 ? "铜箔屏蔽一端接初级接母线的一端，首尾搭接处垫胶带、不得相接（否则成短路匝）；"
                   "屏蔽属初级侧，与次级之间的胶带层数与挡墙照旧，爬电距离不变。"
                 : "屏蔽绕组起脚接初级接母线的一端，末端绝缘悬空，与次级同向绕；"
                   "屏蔽属初级侧，与次级之间的胶带层数与挡墙照旧，爬电距离不变。"});
    }
    if (plan.insulation.tripleInsulated) {
        lines.push_back({"三层绝缘线", "次级用三层绝缘线，不设挡墙；焊接时不得损伤绝缘层。"});
    }
    lines.push_back({"磁芯",
                     "磁芯两半对齐后用胶带包紧；磁芯视为不带电的导体，初级到磁芯与"
                     "磁芯到次级的距离之和不得小于爬电距离。"});
    return lines;
}

// ---- The schematic ---------------------------------------------------------

constexpr double kBump = 5.5, kBumps = 4, kBlock = 68, kTop = 28;
constexpr double kCoilGap = 20, kPinReach = 190, kShortestReach = 100;

// The core's two lines in the middle of the picture, the pins `reach` out
// from the coils: as far as the page's width allows.
struct Across {
    double coreLeft, coreRight, reach;
};

Across AcrossFor(double width) {
    const double reach = std::clamp(width / 2 - 4 - kCoilGap - 14, kShortestReach, kPinReach);
    const double middle = std::max(width, 2 * (4 + kCoilGap + reach + 14)) / 2;
    return {middle - 4, middle + 4, reach};
}
constexpr std::string_view kInk = "fill=\"#222\" font-size=\"12\" font-family=\"sans-serif\"";

// A coil of `bumps` half-turns down from (x, top), each bump towards the core.
void Coil(drawing::Svg& svg, double x, double top, int bumps, bool towardsRight,
          std::string_view colour) {
    std::string points;
    const double side = towardsRight ? 1 : -1;
    for (int b = 0; b < bumps; ++b) {
        for (int step = 0; step <= 8; ++step) {
            const double angle = std::numbers::pi * step / 8;
            const double y = top + (b + 0.5) * 2 * kBump - std::cos(angle) * kBump;
            points += drawing::Coordinate(x + side * std::sin(angle) * kBump) + "," +
                      drawing::Coordinate(y) + " ";
        }
    }
    svg.Polyline(points, "fill=\"none\" stroke=\"" + std::string(colour) + "\" stroke-width=\"2\"");
}

void Pin(drawing::Svg& svg, double x, double y, double leadFrom, int number) {
    svg.Line(leadFrom, y, x, y, "stroke=\"#222\" stroke-width=\"1.2\"");
    svg.Circle(x, y, 10, "fill=\"#fff\" stroke=\"#222\" stroke-width=\"1.2\"");
    svg.Text(x, y + 4, std::to_string(number), "class=\"pin\" " + std::string(kInk), "middle");
}

struct Drawn {
    Role role;
    int output;
    std::string caption;
    std::vector<int> pins;  // top to bottom: start, [junction], finish
    std::string_view colour;
};

// The windings of one side as the schematic draws them: a split primary as
// one coil with its junction between the halves.
std::vector<Drawn> Side(const Plan& plan, const std::vector<Ends>& ends, bool secondary) {
    std::vector<Drawn> side;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const Winding& w = plan.windings[i];
        if ((w.role == Role::Secondary) != secondary) continue;
        const std::string turns = std::to_string(w.turns) + " 匝";
        const auto first = std::find_if(side.begin(), side.end(), [&](const Drawn& d) {
            return d.role == w.role && d.output == w.output;
        });
        if (w.half == 2 && first != side.end()) {
            first->pins.push_back(ends[i].finish);
            first->caption += " + " + turns;
            continue;
        }
        // A stack is one coil, its taps down its side from the top section's
        // start to the return; the sections come base first.
        if (w.role == Role::Secondary && plan.options.stack) {
            const auto stack = std::find_if(
                side.begin(), side.end(), [](const Drawn& d) { return d.role == Role::Secondary; });
            if (stack == side.end()) {
                side.push_back({w.role,
                                w.output,
                                std::string(kStackCaption) + " " + turns,
                                {ends[i].start, ends[i].finish},
                                drawing::WindingColour(w)});
            } else {
                stack->pins.insert(stack->pins.begin(), ends[i].start);
                stack->caption.insert(stack->caption.size() - std::string_view(" 匝").size(),
                                      " + " + std::to_string(w.turns));
            }
            continue;
        }
        const std::string caption = winding::WindingCaption(plan, winding::Whole(w)) + " " + turns;
        side.push_back({w.role,
                        w.output,
                        caption,
                        {ends[i].start, ends[i].finish},
                        drawing::WindingColour(w)});
    }
    // The primary first on its side, then the bias winding.
    std::stable_partition(side.begin(), side.end(),
                          [](const Drawn& d) { return d.role == Role::Primary; });
    return side;
}

double DrawSide(drawing::Svg& svg, const std::vector<Drawn>& side, bool right, const Across& a) {
    const double coilX = right ? a.coreRight + kCoilGap : a.coreLeft - kCoilGap;
    const double pinX = right ? coilX + a.reach : coilX - a.reach;
    double top = kTop;
    for (const Drawn& d : side) {
        const int halves = static_cast<int>(d.pins.size()) - 1;
        const double height = halves * kBumps * 2 * kBump;
        Coil(svg, coilX, top, static_cast<int>(halves * kBumps), right, d.colour);
        for (int p = 0; p <= halves; ++p) {
            Pin(svg, pinX, top + p * kBumps * 2 * kBump, coilX,
                d.pins[static_cast<std::size_t>(p)]);
        }
        // The dot at the start, outside the coil.
        svg.Circle(coilX + (right ? -9 : 9), top + 4, 3.2, "class=\"dot\" fill=\"#222\"");
        // A split coil's junction lead runs through its middle: the caption
        // goes in the first half's, clear of it.
        const double captionY = halves > 1 ? top + height / 4 : top + height / 2;
        svg.Text((coilX + pinX) / 2, captionY + 4, d.caption, kInk, "middle");
        top += height + kBlock - kBumps * 2 * kBump;
    }
    return top;
}

}  // namespace

const std::array<std::string_view, kStepColumns> kStepHeadings = {
    "步骤", "绕组", "起脚 → 止脚", "匝数", "导线", "层数", "挡墙（每侧）", "之后包胶带"};

PinsClash CheckPins(const Plan& plan, const Pins& pins) {
    std::map<int, std::string> owner;
    for (const auto& [pin, who] : PinUsers(plan, pins)) {
        if (pin < 1 || pin > kHighestPin) return {PinsClash::Kind::OutOfRange, pin, who, {}};
        const auto [at, fresh] = owner.emplace(pin, who);
        if (!fresh && at->second != who) return {PinsClash::Kind::Shared, pin, at->second, who};
    }
    return {};
}

std::string PinsClashCaption(const PinsClash& clash) {
    const std::string pin = std::to_string(clash.pin);
    switch (clash.kind) {
        case PinsClash::Kind::None:
            return {};
        case PinsClash::Kind::OutOfRange:
            return clash.who + "的引脚 " + pin + " 超出 1 至 " + std::to_string(kHighestPin) + "。";
        case PinsClash::Kind::Shared:
            return "引脚 " + pin + " 同时用于" + clash.who + "和" + clash.other + "。";
    }
    return {};
}

// The primary's quiet end, at the bulk capacitor: where a shield is tied.
int QuietPrimaryPin(const Plan& plan, const std::vector<Ends>& ends) {
    int pin = 0;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        if (plan.windings[i].role == Role::Primary) pin = ends[i].finish;
    }
    return pin;
}

// A shield's step before its winding: tied at one end to the primary's
// quiet pin, its other end (a foil's overlap, a wound shield's finish)
// insulated and left open, so that it is never a shorted turn.
StepRow ShieldStep(const Plan& plan, const winding::ShieldPlan& s, int quietPin) {
    const double margin = plan.insulation.margin_mm;
    const auto before = static_cast<std::size_t>(s.before);
    const bool fromSecondary = plan.windings[before - 1].role == Role::Secondary;
    const std::string after =
        fromSecondary ? std::string("1 层")
                      : std::to_string(TapeLayers(plan.windings[before].tapeBefore_mm)) + " 层";
    const bool foil = s.kind == winding::Shield::Foil;
    return {"",
            foil ? "屏蔽（铜箔）" : "屏蔽绕组（抵消）",
            std::to_string(quietPin) + "（另一端绝缘悬空）",
            foil ? std::string("1 圈，首尾搭接处垫胶带不相接")
                 : std::to_string(s.turns) + " 匝，与次级同向",
            ShieldWireText(plan, s),
            std::to_string(s.layers) + " 层",
            margin > 0 ? ReadableValue(margin, "mm") : std::string("—"),
            after};
}

// Where each output of a stack is taken off: the return, then each tap and
// the output its rectifier feeds.
std::optional<SheetLine> StackNote(const Plan& plan, const std::vector<Ends>& ends) {
    if (!plan.options.stack) return std::nullopt;
    std::string text;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const Winding& w = plan.windings[i];
        if (w.role != Role::Secondary) continue;
        const winding::OutputResult& out = plan.outputs[static_cast<std::size_t>(w.output)];
        if (text.empty()) text = std::to_string(ends[i].finish) + " 脚为各路输出的公共回线";
        text += "，" + std::to_string(ends[i].start) + " 脚接输出 " + std::to_string(w.output + 1) +
                "（" + ReadableValue(out.set.V, "V") + "）的整流管";
    }
    return SheetLine{"叠绕", text + "；各段顺序串联，每段的止脚即下一段的起脚所在的抽头。"};
}

Sheet SheetOf(const Plan& plan, const Pins& pins) {
    const std::vector<Ends> ends = PinsOf(plan, pins);
    Sheet sheet;
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        if (const winding::ShieldPlan* s = winding::ShieldBefore(plan, i))
            sheet.steps.push_back(ShieldStep(plan, *s, QuietPrimaryPin(plan, ends)));
        sheet.steps.push_back(Step(plan, i, ends[i]));
    }
    for (std::size_t n = 0; n < sheet.steps.size(); ++n) sheet.steps[n][0] = std::to_string(n + 1);
    sheet.materials = Materials(plan, ends);
    sheet.tests = Tests(plan, ends);
    sheet.notes = Notes(plan);
    if (auto stack = StackNote(plan, ends)) sheet.notes.push_back(*stack);
    if (auto tooFew = TooFewPins(plan, ends)) sheet.notes.insert(sheet.notes.begin(), *tooFew);
    return sheet;
}

std::string Schematic(const Plan& plan, const Pins& pins, double width) {
    const Across a = AcrossFor(width);
    const std::vector<Ends> ends = PinsOf(plan, pins);
    const std::vector<Drawn> left = Side(plan, ends, false), right = Side(plan, ends, true);
    auto blocks = [](const std::vector<Drawn>& side) {
        double height = 0;
        for (const Drawn& d : side)
            height += (static_cast<double>(d.pins.size()) - 2) * kBumps * 2 * kBump + kBlock;
        return height;
    };
    const double height = kTop + std::max(blocks(left), blocks(right)) + 4;
    drawing::Svg svg(a.coreLeft + a.coreRight, height, "绕组原理图：引脚、同名端与匝数");
    svg.Text(a.coreLeft - kCoilGap - a.reach / 2, 16, "初级侧", kInk, "middle");
    svg.Text(a.coreRight + kCoilGap + a.reach / 2, 16, "次级侧", kInk, "middle");
    for (const double x : {a.coreLeft, a.coreRight})
        svg.Line(x, kTop - 8, x, height - 8, "stroke=\"#222\" stroke-width=\"2\"");
    DrawSide(svg, left, false, a);
    DrawSide(svg, right, true, a);
    return svg.Finish();
}

namespace {

std::string SheetBody(std::string html, const winding::PlanOutcome& outcome, const Pins& pins,
                      bool withSchematic) {
    if (!outcome.plan) return html + "<p class=\"error\">没有绕制方案，无法给出规格书。</p>\n";
    const Plan& plan = *outcome.plan;
    if (const PinsClash clash = CheckPins(plan, pins))
        return html + "<p class=\"error\">" + report::HtmlEscape(PinsClashCaption(clash)) +
               "</p>\n";
    const Sheet sheet = SheetOf(plan, pins);
    if (withSchematic) {
        html +=
            "<table class=\"picture\" width=\"100%\" cellspacing=\"0\" "
            "cellpadding=\"4\"><tr><td>" +
            Schematic(plan, pins) + "</td></tr></table>\n";
    }
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\"><thead><tr>";
    for (const std::string_view heading : kStepHeadings)
        html += "<th>" + std::string(heading) + "</th>";
    html += "</tr></thead>\n<tbody>\n";
    for (const StepRow& row : sheet.steps) {
        html += "<tr>";
        for (std::size_t i = 0; i < row.size(); ++i)
            report::HtmlCell(html, row[i], i == 0 || i == 3 ? "number" : "");
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
    // One table, each part under a heading row of its own: a printed page
    // holds the whole sheet without the gaps between three tables.
    report::HtmlTableStart(html, {{"材料", "22%"}, {"", "78%"}});
    for (const auto& [heading, lines] :
         {std::pair{"", &sheet.materials}, std::pair{"电气测试", &sheet.tests},
          std::pair{"说明", &sheet.notes}}) {
        if (*heading != '\0') html += "<tr><th>" + std::string(heading) + "</th><th></th></tr>\n";
        for (const plan_sheet::SheetLine& line : *lines) {
            html += "<tr>";
            report::HtmlCell(html, line.caption);
            report::HtmlCell(html, line.value);
            html += "</tr>\n";
        }
    }
    html += "</tbody></table>\n";
    return html;
}

}  // namespace

std::string HtmlSection(const winding::PlanOutcome& outcome, const Pins& pins, bool withSchematic,
                        bool ownPage) {
    const std::string_view open = ownPage ? R"(<h2 style="page-break-before: always">)" : "<h2>";
    return SheetBody(std::string(open) + std::string(kTitle) + "</h2>\n", outcome, pins,
                     withSchematic);
}

std::string HtmlDocument(const winding::PlanOutcome& outcome, const Pins& pins,
                         std::string_view date, bool withSchematic) {
    std::string head;
    if (outcome.plan) {
        const Plan& plan = *outcome.plan;
        head = "<h2>" +
               report::HtmlEscape(catalogue::CoreCaption(plan.core->name) + " " +
                                  plan.material->name + "，Np " + std::to_string(plan.Np)) +
               "</h2>\n";
    }
    return report::HtmlDocument(kTitle, date, SheetBody(head, outcome, pins, withSchematic));
}

std::string TabSeparated(const winding::PlanOutcome& outcome, const Pins& pins) {
    std::string out;
    if (!outcome.plan || CheckPins(*outcome.plan, pins)) return out;
    const Sheet sheet = SheetOf(*outcome.plan, pins);
    for (const StepRow& row : sheet.steps) {
        std::string text;
        for (std::size_t i = 1; i < row.size(); ++i)
            text += (i > 1 ? "，" : "") + std::string(kStepHeadings[i]) + " " + row[i];
        report::TabSeparatedRow(out, {std::string(kTitle) + "：步骤 " + row[0], text, "", ""});
    }
    for (const auto* lines : {&sheet.materials, &sheet.tests, &sheet.notes}) {
        for (const SheetLine& line : *lines) {
            report::TabSeparatedRow(
                out, {std::string(kTitle) + "：" + line.caption, line.value, "", ""});
        }
    }
    return out;
}

std::string ReportSections(const winding::PlanOutcome& outcome, const winding::Options& options,
                           const Pins& pins) {
    return plan_sheet::HtmlSection(outcome, options, drawing::PicturesHtml(outcome)) +
           HtmlSection(outcome, pins);
}

std::optional<report::LeadingPlan> ReportLead(const winding::PlanOutcome& outcome,
                                              const winding::Options& options, const Pins& pins) {
    if (!outcome.plan) return std::nullopt;
    const Plan& plan = *outcome.plan;
    return report::LeadingPlan{
        ReportSections(outcome, options, pins),
        {{0, catalogue::CoreCaption(plan.core->name) + " " + plan.material->name},
         {6, record::ReadableValue(plan.Lp_H, "H")},
         {1, record::ReadableValue(plan.gap_mm * 1e-3, "m")},
         {2, std::to_string(plan.Np)},
         {3, std::to_string(plan.Ns)}}};
}

std::string Report(const record::DesignRecord& record, std::string_view date, bool lastPress,
                   const winding::PlanOutcome& outcome, const winding::Options& options,
                   const Pins& pins) {
    if (const auto lead = ReportLead(outcome, options, pins))
        return report::HtmlReport(record, date, lastPress, *lead);
    return report::HtmlReport(record, date, lastPress, ReportSections(outcome, options, pins));
}

}  // namespace flyback::build_sheet
