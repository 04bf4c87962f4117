#include "plan_sheet/plan_sheet.hpp"

#include <cmath>

#include "catalogue/names.hpp"
#include "conditions/conditions.hpp"
#include "record/readable.hpp"
#include "report/html_report.hpp"
#include "report/tab_separated.hpp"
#include "winding/physics.hpp"
#include "winding/plan_warnings.hpp"

namespace flyback::plan_sheet {

// The sheet words the plan's own kinds throughout.
using namespace winding;  // NOLINT(google-build-using-namespace)

namespace {

using record::ReadableValue;

std::string Optional(const std::optional<double>& value, std::string_view unit) {
    return value ? ReadableValue(*value, unit) : "—";
}

std::string Count(int n, std::string_view unit = "匝") {
    return std::to_string(n) + " " + std::string(unit);
}

std::string TurnsText(const Plan& plan) {
    std::string text = "Np " + Count(plan.Np) + "，Ns " + Count(plan.Ns);
    if (plan.Naux) text += "，Naux " + Count(*plan.Naux);
    return text;
}

std::string CoreDataText(const catalogue::Core& core) {
    return "Ae " + ReadableValue(core.Ae_mm2, "mm²") + "，le " + ReadableValue(core.le_mm, "mm") +
           "，Ve " + ReadableValue(core.Ve_mm3, "mm³") + "，磁芯窗口 Wa " +
           Optional(core.coreWindow_mm2, "mm²");
}

// "N87 热点 86 °C 饱和 0.41 T" (at 100 °C where no temperature settled).
std::string HotSaturationText(const Plan& plan) {
    const std::string where = plan.hot_C ? "热点 " + ReadableValue(*plan.hot_C, "°C") : "100 °C";
    return plan.material->name + " " + where + " 饱和 " + ReadableValue(*plan.BsatHot_T, "T");
}

std::string SaturationText(const Plan& plan) {
    const Options& o = plan.options;
    std::string text = ReadableValue(plan.BpkLimit_T, "T") + "（Lp' +" +
                       ReadableValue(o.lpTolerance * 100, "%") + "，限流值 +" +
                       ReadableValue(o.ilimitTolerance * 100, "%");
    if (plan.BsatHot_T) text += "；" + HotSaturationText(plan);
    if (plan.turnsForSaturation) text += "；初级匝数按此选取，高于 Bmax 所需";
    return text + "）";
}

// The headline of the corners: how far the worst one stays from saturation.
std::string MarginText(const Plan& plan) {
    if (!plan.saturationMargin) return "—（数据中没有饱和磁通密度）";
    double worst = 0;
    CornerKind at = CornerKind::MinimumInput;
    for (const Corner& c : plan.corners) {
        if (c.Bpk_T > worst) worst = c.Bpk_T, at = c.kind;
    }
    return ReadableValue(*plan.saturationMargin, "") + " 倍（" + HotSaturationText(plan) +
           " ÷ 工作点“" + std::string(CornerCaption(at)) + "”的 " + ReadableValue(worst, "T") +
           "；要求至少 " + ReadableValue(plan.options.choices.minSaturationMargin, "") + "）";
}

std::string TemperatureText(const Plan& plan) {
    if (!plan.dT_K) return "—";
    const std::string window =
        plan.thermalWindowIsCores ? "磁芯窗口" : "骨架窗口（数据无磁芯窗口）";
    const std::string settled =
        plan.hot_C ? "，铜与磁芯按此温度计，迭代 " + std::to_string(plan.thermalSteps) + " 步"
                   : "，迭代不收敛";
    return ReadableValue(*plan.dT_K, "K") + "（环境 " +
           ReadableValue(plan.options.ambient_C, "°C") + " 时约 " +
           ReadableValue(plan.options.ambient_C + *plan.dT_K, "°C") + settled +
           "；McLyman 表面积经验式：面积乘积 Ap = Ae × Wa = " +
           Optional(plan.areaProduct_cm4, "cm⁴") + "，Wa 取" + window + " " +
           ReadableValue(plan.thermalWindow_mm2, "mm²") +
           "；表面积 At = Ks × √Ap = " + Optional(plan.surface_cm2, "cm²") +
           "；ΔT = 450 × (P ÷ At)^0.826）";
}

// "连续，KRP 0.5，谷值电流 350 mA"; "断续，复位 0.31，空闲 0.12".
std::string ModeText(const OperatingPoint& p) {
    if (p.valley > 0) {
        return "准谐振，第 " + std::to_string(p.valley) + " 谷底开通，频率 " +
               ReadableValue(p.f_Hz, "Hz") + "，复位 D2 " + ReadableValue(p.D2, "") +
               "，等待谷底 " + ReadableValue(1 - p.D - p.D2, "");
    }
    std::string text(ModeCaption(p.mode));
    if (p.mode == Mode::Continuous) {
        text += "，KRP " + ReadableValue(p.KRP(), "") + "，谷值电流 " + ReadableValue(p.Iv, "A");
    } else if (p.mode == Mode::Discontinuous) {
        text +=
            "，复位 D2 " + ReadableValue(p.D2, "") + "，空闲 " + ReadableValue(1 - p.D - p.D2, "");
    }
    return text;
}

// "准谐振：第 1 谷底开通（至多第 4 谷底，最高频率 130 kHz），漏源电容 100 pF（…）".
std::string ResonanceText(const Choices& c, const Resonance& r) {
    std::string text = "准谐振：第 " + std::to_string(r.firstValley) + " 谷底开通";
    if (r.fmax_Hz) {
        text += "（至多第 " + std::to_string(r.lastValley) + " 谷底，最高频率 " +
                ReadableValue(*r.fmax_Hz, "Hz") + "）";
    } else {
        text += "（未给最高频率：假定控制器限频于设计频率的 " +
                ReadableValue(kAssumedFmaxOfDesign, "") + " 倍，必要时跳到更深的谷底）";
    }
    text += "，漏源电容 " + (c.Cds_F ? ReadableValue(*c.Cds_F, "F")
                                     : "为开关管 Coss " + ReadableValue(c.Coss_F, "F") +
                                           " 与变压器由绕制结构算出的电容之和");
    return text + "；输入的工作频率为最低输入、满载时的频率，输入升高或负载减轻时频率升高";
}

}  // namespace

std::string CapacitanceText(const Plan& plan) {
    switch (plan.capacitanceGap) {
        case winding::CapacitanceGap::NoMeanTurn:
            return "无平均匝长，电容无从计算";
        case winding::CapacitanceGap::Insulation:
            return plan.capacitanceWire->name + " 的绝缘层没有介电常数数据，电容无从计算";
        case winding::CapacitanceGap::NoWidth:
            return "挡墙占满骨架宽度，无处可绕，电容无从计算";
        case winding::CapacitanceGap::None:
            break;
    }
    if (!plan.capacitance) return "—";
    const winding::Capacitances& c = *plan.capacitance;
    std::string text = "初级自电容 " + ReadableValue(c.primarySelf_F, "F") + "，初次级之间 " +
                       ReadableValue(c.primarySecondary_F, "F") + "（两侧各自短接测量）";
    text += "；共模等效 " + ReadableValue(c.commonMode_F, "F") + "，关断沿 " +
            ReadableValue(c.edge_V_s * 1e-9, "V/ns") + " 时经绝缘的位移电流 " +
            ReadableValue(c.displacement_A, "A");
    if (!plan.shields.empty()) {
        text += "（" +
                std::string(winding::kShieldCaptions[static_cast<int>(plan.options.shield)]) + "）";
    }
    return text + "；按各层电压分布的电场能量，介电常数见绝缘数据";
}

std::string LeakageMatrixText(const Plan& plan) {
    if (!plan.leakageMatrix) return "—";
    const winding::LeakageMatrix& m = *plan.leakageMatrix;
    std::string text;
    for (std::size_t a = 0; a < m.windings.size(); ++a) {
        for (std::size_t b = a + 1; b < m.windings.size(); ++b) {
            const auto name = [&](std::size_t i) {
                return WindingCaption(
                    plan, winding::Whole(plan.windings[static_cast<std::size_t>(m.windings[i])]));
            };
            text += (text.empty() ? "" : "，") + name(a) + "—" + name(b) + " " +
                    ReadableValue(m.H[a][b], "H");
        }
    }
    return text + "（两两对绕、其余开路，折算到初级）";
}

std::string RingText(const Plan& plan) {
    if (!plan.capacitance) return "—";
    const winding::Capacitances& c = *plan.capacitance;
    const Choices& choices = plan.options.choices;
    std::string text = "漏极电容 " + ReadableValue(c.drain_F, "F");
    text += choices.Cds_F ? std::string("（给定）")
                          : "（开关管 Coss " + ReadableValue(choices.Coss_F, "F") + " ＋ 变压器 " +
                                ReadableValue(c.build_F, "F") + "）";
    text += "；与漏感振铃 " + ReadableValue(c.leakageRing_Hz, "Hz");
    if (c.damping) text += "（初级铜阻尼比 " + ReadableValue(*c.damping, "") + "）";
    return text + "，与 Lp' 振铃 " + ReadableValue(c.valleyRing_Hz, "Hz");
}

namespace {

std::string HighLineText(const Plan& plan) {
    const OperatingPoint& p = plan.atVmax;
    std::string text = "占空比 " + ReadableValue(p.D, "") + "，峰值电流 " +
                       ReadableValue(p.Ipk, "A") + "，" + ModeText(p);
    if (plan.Vedge_V) text += "（输入约 " + ReadableValue(*plan.Vedge_V, "V") + " 以上转为断续）";
    return text;
}

std::string VorText(const Plan& plan) {
    const Choices& c = plan.options.choices;
    std::string text = ReadableValue(plan.Vor_V, "V");
    switch (c.vorSource) {
        case VorSource::Press:
            return text;
        case VorSource::Value:
            return text + "（指定 " + ReadableValue(c.Vor_V, "V") + "，取整匝后）";
        case VorSource::SwitchRating:
            return text + "（由开关管耐压 " + ReadableValue(c.VdsRating_V, "V") + " × 降额 " +
                   ReadableValue(c.derating, "") + " 得 " + ReadableValue(plan.VorDesigned_V, "V") +
                   "，取整匝后）";
        case VorSource::MaxDuty:
            return text + "（由最大占空比 " + ReadableValue(c.Dmax, "") + " 得 " +
                   ReadableValue(plan.VorDesigned_V, "V") + "，取整匝后）";
    }
    return text;
}

std::string OutputText(const OutputResult& out) {
    std::string text = ReadableValue(out.set.V, "V") + " × " + ReadableValue(out.set.I_A, "A") +
                       "，" + Count(out.turns) + "，预计 " + ReadableValue(out.Vexpected_V, "V");
    if (!out.regulated) text += "（" + ReadableValue(out.error_pct, "%") + "）";
    return text;
}

// A value per output: the value alone for one output, "12 V：…；5 V：…" for several.
template <class Value>
std::string PerOutput(const Plan& plan, Value value) {
    if (plan.outputs.size() == 1) return value(plan.outputs.front());
    std::string text;
    for (const OutputResult& out : plan.outputs)
        text += (text.empty() ? "" : "；") + ReadableValue(out.set.V, "V") + "：" + value(out);
    return text;
}

std::string SwitchText(const Plan& plan) {
    std::string text = ReadableValue(plan.Vswitch_V, "V");
    if (plan.VdsRating_V) {
        const double derating = plan.options.choices.derating;
        text += "（耐压 " + ReadableValue(*plan.VdsRating_V, "V") +
                (plan.ratingAssumed ? "（假定）" : "") + "，降额 " + ReadableValue(derating, "") +
                " 后 " + ReadableValue(derating * *plan.VdsRating_V, "V") + "）";
    }
    return text;
}

// A data file by what it holds, in words (the file's own name where it is
// none of these): an engineer reads the table, not the programmer's file.
std::string DataName(std::string_view file) {
    static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
        {"clearance.csv", "电气间隙数据"},   {"creepage.csv", "爬电距离数据"},
        {"test_voltage.csv", "耐压数据"},    {"construction.csv", "绝缘构造数据"},
        {"altitude.csv", "海拔系数数据"},    {"mains_transient.csv", "电网瞬态数据"},
        {"permittivity.csv", "介电常数数据"}};
    for (const auto& [name, words] : kNames) {
        if (file == name) return std::string(words);
    }
    return "数据文件 " + std::string(file) + " ";
}

// "IEC 62368-1 表 14，电气间隙数据第 240 行" ("第 240–241 行" read between two).
std::string FromText(const insulation::Figure& f) {
    std::string rows = std::to_string(f.from.line);
    if (f.to) rows += "–" + std::to_string(f.to->line);
    std::string table = f.from.table;  // "IEC 62368-1 Table 14" as "IEC 62368-1 表 14"
    if (const std::size_t at = table.find("Table "); at != std::string::npos)
        table.replace(at, 6, "表 ");
    return table + "，" + DataName(f.from.file) + "第 " + rows + " 行";
}

std::string BarrierText(const InsulationPlan& i, double Vmax) {
    const insulation::Conditions& c = i.conditions;
    std::string text(insulation::GradeCaption(c.grade));
    if (c.grade == insulation::Grade::Functional) {
        return text + (Vmax > kExtraLowVoltage_V ? "（按所选；输入高于 60 V，见注意）"
                                                 : "（输入不高于 60 V，不接电网）");
    }
    text += i.tripleInsulated ? "，次级三层绝缘线" : "，挡墙绕制";
    return text + "；电网额定 " + ReadableValue(c.mains_Vrms, "V") + "（有效值），工作电压峰值 " +
           ReadableValue(c.workingPeak_V, "V") + "，污染等级 " + std::to_string(c.pollution) +
           "，材料组 " + c.group + "，海拔 " + ReadableValue(c.altitude_m, "m");
}

// "初级 Fr 1.21，交流/直流 1.35；次级 …": Dowell's factor at the switching
// frequency and the loss of the winding's own current over its DC loss.
std::string AcText(const Plan& plan) {
    std::string text;
    for (const Winding& w : plan.windings) {
        if (!w.Fr || !w.Pac_W || !w.P_W) continue;
        text += (text.empty() ? "" : "；") + WindingCaption(plan, w) + " Fr " +
                ReadableValue(*w.Fr, "") + "，交流/直流 " + ReadableValue(*w.Pac_W / *w.P_W, "");
    }
    return text.empty() ? "—" : text;
}

std::string LeakageSourceCaption(LeakageSource source) {
    switch (source) {
        case LeakageSource::Build:
            return "由绕制结构算出";
        case LeakageSource::Given:
            return "按给定比例";
        case LeakageSource::Assumed:
            return "假定为 Lp 的 " + ReadableValue(physics::kAssumedLeakage * 100, "%");
    }
    return {};
}

std::string ClampText(const Clamp& c) {
    const std::string leakage =
        c.estimate_H
            ? "漏感按上限 " + ReadableValue(c.leakage_H, "H") + "，由绕制结构估算 " +
                  ReadableValue(*c.estimate_H, "H") + " 乘以系数"
            : "漏感 " + ReadableValue(c.leakage_H, "H") + "，" + LeakageSourceCaption(c.source);
    return "钳位 " + ReadableValue(c.V, "V") + "，R " + ReadableValue(c.R_ohm, "Ω") + "，C " +
           ReadableValue(c.C_F, "F") + "，功耗 " + ReadableValue(c.P_W, "W") + "（" + leakage +
           "）";
}

}  // namespace

std::string WireText(const Winding& w) {
    switch (w.conductor) {
        case winding::Conductor::Litz:
            return w.wire->name + " × " + std::to_string(w.strands) + " 利兹线";
        case winding::Conductor::Foil:
            return ReadableValue(w.foilThickness_mm, "") + " × " +
                   ReadableValue(w.foilWidth_mm, "mm") + " 铜箔";
        case winding::Conductor::Round:
            break;
    }
    const bool tiw = w.wire->kind == catalogue::WireKind::TripleInsulated;
    std::string text = w.wire->name + (tiw ? " 三层绝缘线" : " 漆包线");
    if (w.strands > 1) text += " × " + std::to_string(w.strands) + " 股并绕";
    return text;
}

std::string ConductorReasonText(const Plan& plan, const Winding& w) {
    const winding::WinderRules& rules = plan.options.choices.rules;
    switch (w.decidedBy) {
        case winding::ConductorReason::CurrentDensity:
            return "按电流密度" + std::string(w.Irms_A ? "（无平均匝长，损耗无从比较）"
                                                       : "（无负载，用最细的线）");
        case winding::ConductorReason::LeastLoss:
            return "绕制规则允许的导线中损耗最低";
        case winding::ConductorReason::LitzSaves:
            return "利兹线比最好的圆线省损至少 " + ReadableValue(rules.litzLeastGain * 100, "%");
        case winding::ConductorReason::OneWire:
            return w.role == winding::Role::Bias
                       ? std::string("辅助绕组用单根圆线")
                       : "电流低于 " + ReadableValue(rules.oneWireBelow_A, "A") + "，用单根圆线";
        case winding::ConductorReason::RulesBroken:
            return "没有合绕制规则的导线放得下，所用导线" +
                   (w.breach ? winding::RuleBreachText(*w.breach) : std::string());
    }
    return {};
}

std::string CoreText(const Plan& plan) {
    const catalogue::Core& core = *plan.core;
    return catalogue::CoreCaption(core.name) + "（" + core.family + " 系列，" +
           (plan.options.core.empty() ? "自动选择" : "指定") + "），材料 " + plan.material->name;
}

std::string BobbinText(const catalogue::Core& core) {
    return "绕线宽度 " + ReadableValue(core.winding_width_mm, "mm") + "，高度 " +
           ReadableValue(core.winding_height_mm, "mm") + "，骨架窗口 " +
           ReadableValue(core.window_mm2, "mm²") + "（填充系数按此），平均匝长 " +
           Optional(core.MLT_mm, "mm");
}

std::string GapText(const Plan& plan) {
    const std::string half = ReadableValue(plan.gap_mm / 2, "mm");
    return ReadableValue(plan.gap_mm, "mm") + "（中柱总计；两半各磨 " + half + "，或三柱垫片 " +
           half + "）；计边缘磁通（McLyman 系数 F = " + ReadableValue(plan.fringing, "") +
           "），不计时 " + ReadableValue(plan.gapPlain_mm, "mm") + "；按 AL 实测修磨";
}

std::optional<std::string> TestVoltageText(const Plan& plan) {
    const InsulationPlan& i = plan.insulation;
    if (i.conditions.grade == insulation::Grade::Functional || !i.requirements) return std::nullopt;
    const insulation::Figure& test = i.requirements->testVoltage_V;
    // The tables give the test voltage as a peak or DC; a tester set in AC
    // rms applies it ÷ √2.
    return ReadableValue(test.value, "V") + "（峰值或直流；交流有效值 " +
           ReadableValue(test.value / std::sqrt(2.0), "V") + "），初级—次级 60 s，无击穿（" +
           FromText(test) + "）";
}

std::string ConstructionText(const Plan& plan) {
    std::string taken(kConstructionCaptions[static_cast<int>(plan.options.construction)]);
    if (!plan.otherConstruction) return taken;
    const Plan::OtherConstruction& other = *plan.otherConstruction;
    const std::string otherCaption(kConstructionCaptions[static_cast<int>(other.construction)]);
    std::string text = taken + "（自动选择；" + otherCaption + "：";
    if (other.core != plan.core) text += other.core->name + " 上，";
    text += "绕线总高 " + ReadableValue(other.build_mm, "mm") + (other.fits ? "" : "，放不下");
    if (other.hot_C) text += "，热点 " + ReadableValue(*other.hot_C, "°C");
    if (other.loss_W) text += "，损耗 " + ReadableValue(*other.loss_W, "W");
    return text + "）";
}

// The insulation's lines: what the barrier faces, then each figure with the
// table row it came from.
std::vector<SheetLine> InsulationLines(const Plan& plan) {
    const InsulationPlan& i = plan.insulation;
    std::vector<SheetLine> lines = {{"绝缘（初级—次级）", BarrierText(i, plan.atVmax.Vin)}};
    if (i.conditions.grade == insulation::Grade::Functional) return lines;
    if (!i.requirements) {
        lines.push_back({"绝缘要求", "超出表的范围，未能查得"});
        return lines;
    }
    const insulation::Requirements& r = *i.requirements;
    lines.push_back({"电气间隙", ReadableValue(r.clearance_mm.value, "mm") + "（" +
                                     FromText(r.clearance_mm) + "；海拔系数 " +
                                     ReadableValue(r.altitudeFactor.value, "") + "）"});
    lines.push_back({"爬电距离", ReadableValue(r.creepage_mm.value, "mm") + "（" +
                                     FromText(r.creepage_mm) + "）"});
    lines.push_back({"耐压测试", *TestVoltageText(plan)});
    if (plan.otherConstruction) lines.push_back({"绕制方式", ConstructionText(plan)});
    if (i.margin_mm > 0) {
        lines.push_back({"挡墙", "每侧 " + ReadableValue(i.margin_mm, "mm") + "，可绕宽度 " +
                                     ReadableValue(i.width_mm, "mm")});
    }
    const int layers = i.tripleInsulated ? 1 : r.tapeLayers;
    lines.push_back({"初级—次级胶带", insulation::TapeCaption(r.tape) + " " +
                                          ReadableValue(r.tape.thickness_mm, "mm") + " × " +
                                          std::to_string(layers) + " 层（每层击穿 " +
                                          ReadableValue(r.tape.breakdown_V, "V") + "；" +
                                          DataName(r.tape.origin.file) + "第 " +
                                          std::to_string(r.tape.origin.line) + " 行）"});
    return lines;
}

const std::array<std::string_view, kWindingColumns> kWindingHeadings = {
    "绕组",     "匝数",     "导线",     "每层匝数 × 层数", "有效值电流",
    "峰值电流", "电流密度", "直流电阻", "直流铜损",        "铜损（含交流电阻）"};

std::vector<WindingRow> WindingRows(const Plan& plan) {
    std::vector<WindingRow> rows;
    for (const Winding& w : plan.windings) {
        rows.push_back({WindingCaption(plan, w), Count(w.turns), WireText(w),
                        std::to_string(w.turnsPerLayer) + " × " + std::to_string(w.layers),
                        Optional(w.Irms_A, "A"), Optional(w.Ipeak_A, "A"),
                        Optional(w.J_A_mm2, "A/mm²"), Optional(w.R_ohm, "Ω"), Optional(w.P_W, "W"),
                        Optional(w.Pac_W, "W")});
    }
    return rows;
}

const std::array<std::string_view, kCornerColumns> kCornerHeadings = {
    "工作点",   "输入电压", "负载",         "模式",           "占空比",
    "峰值电流", "谷值电流", "峰值磁通密度", "开关管峰值电压", "整流管反向电压"};

// A corner's mode as chosen: valley-switched, "准谐振，第 2 谷底，80.6 kHz"
// (its frequency and valley vary from corner to corner), else the
// conduction the corner runs in.
std::string CornerModeText(const OperatingPoint& p) {
    if (p.valley > 0)
        return "准谐振，第 " + std::to_string(p.valley) + " 谷底，" + ReadableValue(p.f_Hz, "Hz");
    return std::string(ModeCaption(p.mode));
}

std::vector<CornerRow> CornerRows(const Plan& plan) {
    std::vector<CornerRow> rows;
    for (const Corner& c : plan.corners) {
        std::string rectifiers;
        for (const double V : c.Vrectifier_V)
            rectifiers += (rectifiers.empty() ? "" : "、") + ReadableValue(V, "V");
        const std::string load =
            c.kind == CornerKind::Shorted ? "短路" : ReadableValue(c.load * 100, "%");
        std::string mode = CornerModeText(c.point);
        if (c.ratchet == Ratchet::Settles) mode += "（最短导通时间内逐周期上升）";
        if (c.ratchet == Ratchet::RunsAway) mode += "（逐周期上升，无稳定点）";
        rows.push_back({std::string(CornerCaption(c.kind)), ReadableValue(c.point.Vin, "V"), load,
                        mode, ReadableValue(c.point.D, ""), ReadableValue(c.point.Ipk, "A"),
                        ReadableValue(c.point.Iv, "A"), ReadableValue(c.Bpk_T, "T"),
                        ReadableValue(c.Vds_peak_V, "V"), rectifiers});
    }
    return rows;
}

namespace {

// Each row as one line: the caption from its first cell, then every other
// cell after its heading ("匝数 108 匝，导线 …").
template <std::size_t Columns>
std::vector<SheetLine> RowsAsLines(const std::vector<std::array<std::string, Columns>>& rows,
                                   const std::array<std::string_view, Columns>& headings,
                                   std::string_view before, std::string_view after) {
    std::vector<SheetLine> lines;
    for (const auto& row : rows) {
        std::string text;
        for (std::size_t i = 1; i < Columns; ++i)
            text += (i > 1 ? "，" : "") + std::string(headings[i]) + " " + row[i];
        lines.push_back({std::string(before) + row[0] + std::string(after), text});
    }
    return lines;
}

}  // namespace

std::vector<SheetLine> CornerLines(const Plan& plan) {
    return RowsAsLines(CornerRows(plan), kCornerHeadings, std::string(kCornersTitle) + "：", "");
}

std::vector<SheetLine> WindingLines(const Plan& plan) {
    return RowsAsLines(WindingRows(plan), kWindingHeadings, "", "绕组");
}

namespace {

// Where the input's power goes: what the core stores (the secondary side's)
// and what the primary side spends while the switch is on.
std::string FlowText(const Plan& plan) {
    std::string text = "磁芯储能 " + ReadableValue(plan.stored_W, "W") + " = 输出与整流 " +
                       ReadableValue(plan.rectified_W, "W") +
                       " + 次级铜损、磁芯损耗与钳位所取励磁能量 " +
                       ReadableValue(plan.stored_W - plan.rectified_W, "W");
    if (const std::optional<double> split = plan.LossSplit()) {
        text += "（次级侧占总损耗 Z = " + ReadableValue(*split, "") +
                (plan.options.lossSplit ? "，指定）" : "，按方案计算）");
    }
    return text + "；初级侧损耗 " + ReadableValue(plan.PrimarySide_W(), "W") +
           "（开关管、初级铜损、漏感能量，导通期间，不经磁芯）";
}

std::string SizedByText(const Plan& plan) {
    const std::string hot = ReadableValue(winding::HotLimit(plan.options), "°C");
    switch (plan.sizedBy) {
        case winding::SizedBy::Given:
            return "指定";
        case winding::SizedBy::Smallest:
            return "允许系列中最小的磁芯已满足全部限制";
        case winding::SizedBy::Flux:
            return "磁通：小一号磁芯的 Ae 不足";
        case winding::SizedBy::Window:
            return "窗口：小一号磁芯放不下绕组";
        case winding::SizedBy::Rise:
            return "温升：小一号磁芯温升超过 " + ReadableValue(plan.options.maxRise_K, "K");
        case winding::SizedBy::HotSpot:
            return "热点温度：小一号磁芯超过上限 " + hot;
        case winding::SizedBy::Losses:
            return "损耗：小一号磁芯的铜损、磁芯、钳位与整流管损耗超过效率所容许的";
        case winding::SizedBy::NoneCool:
            return "没有磁芯满足温升、热点上限 " + hot + "与效率所容许的损耗，取放得下绕组的最小者";
        case winding::SizedBy::NoneFits:
            return "没有磁芯放得下绕组，取最大者";
    }
    return {};
}

}  // namespace

// Valley-switched, each corner's own frequency and valley, and what turning
// on there costs: "谷底开通：最高输入、满载", "频率 …，第 2 谷底，…".
std::vector<SheetLine> ValleyLines(const Plan& plan) {
    const std::optional<Resonance> r = plan.switching;
    if (!r) return {};
    std::vector<SheetLine> lines;
    for (const Corner& c : plan.corners) {
        const OperatingPoint& p = c.point;
        std::string text = "频率 " + ReadableValue(p.f_Hz, "Hz") + "，第 " +
                           std::to_string(p.valley) + " 谷底，谷底电压 " +
                           ReadableValue(ValleyVoltage(p), "V") + "，开通损耗 " +
                           ReadableValue(TurnOnLoss(p, r->Cds_F), "W");
        if (r->fmax_Hz && p.f_Hz > *r->fmax_Hz) text += "（最深谷底仍高于最高频率）";
        if (const std::optional<conditions::Losses> losses = conditions::CornerLosses(plan, c)) {
            text += "，磁芯损耗 " + Optional(losses->Pcore_W, "W") + "，铜损 " +
                    Optional(losses->Pcopper_W, "W");
        }
        lines.push_back({"谷底开通：" + std::string(CornerCaption(c.kind)), text});
    }
    return lines;
}

// Each set in stock with its maker's reference and the price of its day; at
// most three, the matching gap first.
std::string StockText(const Plan& plan) {
    if (plan.stock.empty()) return "数据中没有此磁芯与材料的库存件";
    std::vector<Plan::StockOffer> offers = plan.stock;
    std::stable_partition(offers.begin(), offers.end(),
                          [](const Plan::StockOffer& o) { return o.gapMatches; });
    std::string text;
    for (std::size_t i = 0; i < offers.size() && i < 3; ++i) {
        const catalogue::StockPart& p = *offers[i].part;
        text += (i == 0 ? "" : "；") + p.maker + " " + p.reference + "（" +
                (offers[i].gapMatches ? "气隙 " + ReadableValue(*p.gap_mm, "mm") + "，与方案相符"
                                      : std::string("未开气隙，按方案研磨")) +
                "），单价 " + ReadableValue(p.cost, "") + "（" + p.distributor + " " + p.country +
                " " + p.distributorReference + "，" + p.date + "，未注明币种）";
    }
    if (offers.size() > 3) text += "；另有 " + std::to_string(offers.size() - 3) + " 件";
    return text;
}

namespace {

// The stack from its return up: each section's turns, the tap it reaches
// and the output there.
std::string StackText(const Plan& plan) {
    std::string text = "自公共回线起";
    for (const Winding& w : plan.windings) {
        if (w.role != winding::Role::Secondary) continue;
        const OutputResult& out = plan.outputs[static_cast<std::size_t>(w.output)];
        text += "，" + winding::WindingCaption(plan, w) + " " + std::to_string(w.turns) +
                " 匝（至 " + std::to_string(out.turns) + " 匝抽头，输出 " +
                std::to_string(w.output + 1) + " " + ReadableValue(out.set.V, "V") + "）";
    }
    return text + "；每段的电流为其输出与叠在其上各路之和。";
}

}  // namespace

std::vector<SheetLine> PlanLines(const Plan& plan) {
    const catalogue::Core& core = *plan.core;
    std::vector<SheetLine> lines = {
        {"磁芯", CoreText(plan)},
        {"磁芯尺寸取决于", SizedByText(plan)},
        {"磁芯参数", CoreDataText(core)},
        {"骨架", BobbinText(core)},
        {"库存件", StockText(plan)},
        {"匝数", TurnsText(plan)},
        {"反射电压 Vor'", VorText(plan)},
        {"最大占空比 Dmax'", ReadableValue(plan.Dmax, "")},
        {"初级电感 Lp'", ReadableValue(plan.Lp_H, "H")},
        {"初级峰值电流 Ipk'", ReadableValue(plan.Ipk_A, "A")},
        {"能量分配", FlowText(plan)},
        {"工作模式（最低输入）", ModeText(plan.atVmin)},
        {"最高输入时", HighLineText(plan)},
        {"峰值磁通密度 Bpk", ReadableValue(plan.Bpk_T, "T") + "（按 Ae；最窄截面 " +
                                 ReadableValue(plan.BpkMinSection_T, "T") + "，Bmax " +
                                 ReadableValue(plan.options.Bmax_T, "T") + " 与饱和按此）"},
        {plan.options.choices.Ilimit_A
             ? "限流点 " + ReadableValue(plan.Ilimit_A, "A") + " 的磁通密度（公差偏高）"
             : std::string("限流点 1.3 × Ipk' 的磁通密度（公差偏高）"),
         SaturationText(plan)},
        {"饱和余量（最坏工作点）", MarginText(plan)},
        {"电感系数 AL", ReadableValue(plan.AL_nH, "nH/匝²")},
        {"气隙", GapText(plan)},
        {"趋肤深度（100 °C）", ReadableValue(plan.skinDepth_mm, "mm")},
        {"绕线高度", ReadableValue(plan.build_mm, "mm") + "（骨架可绕 " +
                         ReadableValue(core.winding_height_mm, "mm") + "）"},
        {"铜填充系数",
         ReadableValue(plan.fill, "") + "（上限 " + ReadableValue(plan.options.fillMax, "") + "）"},
        {"铜损", Optional(plan.Pcopper_W, "W") + "（含交流电阻，Dowell 模型按各次谐波）"},
        {"交流电阻", AcText(plan)},
        {"磁芯损耗", Optional(plan.Pcore_W, "W") + "（iGSE 按三角磁通；同幅正弦为 " +
                         Optional(plan.PcoreSine_W, "W") + "）"},
        {"温升", TemperatureText(plan)},
        {"RCD 钳位", ClampText(plan.clamp)},
        {"漏感（由绕组结构）",
         plan.buildLeakage_H ? ReadableValue(*plan.buildLeakage_H, "H") + "（" +
                                   ReadableValue(*plan.buildLeakage_H / plan.Lp_H * 100, "%") +
                                   " × Lp'；一维磁动势，次级短路）"
                             : std::string("—")},
        {"漏感矩阵", LeakageMatrixText(plan)},
        {"绕组电容", CapacitanceText(plan)},
        {"漏极振铃", RingText(plan)},
        {"整流管反向电压",
         PerOutput(plan, [](const OutputResult& o) { return ReadableValue(o.Vrectifier_V, "V"); })},
        {"输出电容纹波电流",
         PerOutput(plan, [](const OutputResult& o) { return Optional(o.IcapRms_A, "A"); })},
        {"开关管电压", SwitchText(plan)},
    };
    if (plan.orderChosen) {
        const auto order = static_cast<std::size_t>(plan.options.order);
        lines.push_back({"绕制顺序", std::string(winding::kOrderCaptions[order]) + "（" +
                                         std::string(winding::kOrderNames[order]) +
                                         "；自动选择：铜损、磁芯损耗与钳位损耗之和最低）"});
    }
    for (SheetLine& line : InsulationLines(plan)) lines.push_back(std::move(line));
    if (plan.outputs.size() > 1 || !plan.options.choices.outputs.empty()) {
        std::vector<SheetLine> outputs;
        for (std::size_t i = 0; i < plan.outputs.size(); ++i) {
            outputs.push_back({"输出 " + std::to_string(i + 1) + (i == 0 ? "（稳压）" : ""),
                               OutputText(plan.outputs[i])});
        }
        if (plan.options.stack) outputs.push_back({"叠绕", StackText(plan)});
        lines.insert(lines.begin() + 4, outputs.begin(), outputs.end());
    }
    for (SheetLine& line : ValleyLines(plan)) lines.push_back(std::move(line));
    for (SheetLine& line : CrossRegulationLines(plan)) lines.push_back(std::move(line));
    return lines;
}

// The choices beyond the press's design, one line each; none by default.
std::vector<SheetLine> ChoiceLines(const Choices& c) {
    std::vector<SheetLine> lines;
    if (!c.outputs.empty()) {
        std::string text;
        for (const OutputLoad& o : c.outputs) {
            text += (text.empty() ? "" : "、") + ReadableValue(o.V, "V") + " " +
                    ReadableValue(o.I_A, "A") + "（压降 " + ReadableValue(o.VF_V, "V") + "）";
        }
        lines.push_back({"输出", text});
    }
    if (c.biasI_A != 0 || c.biasVF_V != 0.7) {
        lines.push_back({"辅助绕组负载", ReadableValue(c.biasI_A, "A") + "（压降 " +
                                             ReadableValue(c.biasVF_V, "V") + "）"});
    }
    switch (c.vorSource) {
        case VorSource::Press:
            break;
        case VorSource::Value:
            lines.push_back({"反射电压", "指定 " + ReadableValue(c.Vor_V, "V")});
            break;
        case VorSource::SwitchRating:
            lines.push_back({"反射电压", "由开关管耐压 " + ReadableValue(c.VdsRating_V, "V") +
                                             "（降额 " + ReadableValue(c.derating, "") + "）"});
            break;
        case VorSource::MaxDuty:
            lines.push_back({"反射电压", "由最大占空比 " + ReadableValue(c.Dmax, "")});
            break;
    }
    if (c.conduction == Conduction::Ripple) {
        lines.push_back({"工作模式", "纹波系数 KRP " + ReadableValue(c.KRP, "")});
    } else if (c.conduction == Conduction::Inductance) {
        lines.push_back({"工作模式", "指定 Lp " + ReadableValue(c.Lp_H, "H")});
    } else if (const std::optional<Resonance> r = c.Switching()) {
        lines.push_back({"工作模式", ResonanceText(c, *r)});
    }
    if (c.Coss_F != Choices{}.Coss_F)
        lines.push_back({"开关管 Coss", ReadableValue(c.Coss_F, "F")});
    if (c.regulationBand_pct != Choices{}.regulationBand_pct)
        lines.push_back({"交叉调整允许偏差", "±" + ReadableValue(c.regulationBand_pct, "%")});
    if (c.FixedTurns()) {
        std::string turns = std::to_string(c.Np) + ":" + std::to_string(c.Ns);
        if (c.Naux) turns += ":" + std::to_string(*c.Naux);
        lines.push_back({"指定匝数", turns});
    }
    if (c.Vclamp_V) lines.push_back({"钳位电压", ReadableValue(*c.Vclamp_V, "V")});
    if (c.Ilimit_A) lines.push_back({"限流值", ReadableValue(*c.Ilimit_A, "A")});
    return lines;
}

std::vector<SheetLine> OptionLines(const Options& o) {
    std::string families;
    for (const std::string& family : o.families)
        families += (families.empty() ? "" : "、") + family;
    std::vector<SheetLine> lines = {
        {"磁芯", o.core.empty() ? "自动" : catalogue::CoreCaption(o.core)},
        {"磁芯系列", families.empty() ? "全部" : families},
        {"材料", o.material},
        {"Bmax", ReadableValue(o.Bmax_T, "T")},
        {"电流密度 J", ReadableValue(o.J_A_mm2, "A/mm²")},
        {"填充系数上限", ReadableValue(o.fillMax, "")},
        {"辅助绕组电压", o.Vaux_V ? ReadableValue(*o.Vaux_V, "V") : "无"},
        {"漏感", o.leakage ? ReadableValue(*o.leakage * 100, "%") + " × Lp'"
                           : std::string(Info(NumberOption::Leakage).none)},
        {"环境温度", ReadableValue(o.ambient_C, "°C")},
        {"电感公差", "±" + ReadableValue(o.lpTolerance * 100, "%")},
        {"限流值公差", "±" + ReadableValue(o.ilimitTolerance * 100, "%")},
        {"漏感上限 / 估算", ReadableValue(o.leakageFactor, "")},
        {"次级侧损耗占比 Z", o.lossSplit ? ReadableValue(*o.lossSplit, "")
                                         : std::string(Info(NumberOption::LossSplit).none)},
        {std::string(Info(NumberOption::HotLimit).caption), ReadableValue(o.hotLimit_C, "°C")},
        {std::string(Info(NumberOption::MaxRise).caption), ReadableValue(o.maxRise_K, "K")},
        {"绕制方式", std::string(kConstructionCaptions[static_cast<int>(o.construction)])},
    };
    const auto order = static_cast<std::size_t>(o.order);
    lines.push_back({"绕制顺序", std::string(kOrderCaptions[order]) + "（" +
                                     std::string(kOrderNames[order]) + "）"});
    lines.push_back({"次级", std::string(kStackCaptions[o.stack ? 1 : 0])});
    lines.push_back({"绝缘", o.insulation.grade
                                 ? std::string(insulation::GradeCaption(*o.insulation.grade))
                                 : std::string("按输入（电网供电为加强）")});
    for (SheetLine& line : ChoiceLines(o.choices)) lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> Headlines(const PlanOutcome& outcome) {
    std::vector<std::string> lines;
    if (!outcome.plan) return lines;
    for (const PlanWarning& warning : outcome.plan->warnings) {
        if (warning.code == kInputDoubtful) lines.push_back(WarningLine(warning));
    }
    return lines;
}

namespace {

std::string_view CountedCaption(Counted counted) {
    constexpr std::string_view kCaptions[] = {"初级匝数", "次级匝数", "辅助绕组匝数",
                                              "并绕股数", "每层匝数", "层数"};
    return kCaptions[static_cast<std::size_t>(counted)];
}

std::string OptionsText(const FailureDetail& d) {
    if (d.option) return OptionProblemCaption(d.option);
    if (d.choice) return ChoiceProblemCaption(d.choice);
    if (d.insulation) return InsulationProblem(*d.insulation);
    return CombinationCaption(d.combination);
}

}  // namespace

std::string FailureText(const PlanOutcome& outcome) {
    const FailureDetail& d = outcome.detail;
    switch (outcome.failure) {
        case PlanFailure::None:
            return {};
        case PlanFailure::PressIncomplete:
            return "计算没有完成，没有绕制方案。";
        case PlanFailure::InputInvalid:
            return "输入无效，没有绕制方案：" + d.inputLine;
        case PlanFailure::OptionInvalid:
            return "绕制方案的选项有误：" + OptionsText(d);
        case PlanFailure::NotMeaningful:
            return "计算结果不能用于绕制（有不为正的量），没有绕制方案。";
        case PlanFailure::BeyondTables:
            return insulation::BeyondTablesCaption(d.conditions);
        case PlanFailure::NoReflectedVoltage:
            return "由所选方式算出的反射电压 " + ReadableValue(d.value, "V") +
                   " 不大于 0，没有占空比可用；请提高开关管耐压或改用其他方式。";
        case PlanFailure::NoLoad:
            return "各输出的功率之和为 0，没有可设计的负载。";
        case PlanFailure::TooMany:
            return "需要的" + std::string(CountedCaption(d.counted)) + "超过 " +
                   std::to_string(static_cast<long>(d.value)) + "，无法绕制。";
        case PlanFailure::NoWire:
            return "目录中没有可用的导线。";
        case PlanFailure::NoCore:
            return "所选磁芯系列中没有带骨架数据的磁芯。";
        case PlanFailure::ClampNotAboveVor:
            return "钳位电压 " + ReadableValue(d.value, "V") + " 不高于反射电压 " +
                   ReadableValue(d.bound, "V") + "，钳位电路将一直导通。";
        case PlanFailure::SplitPrimaryTooFew:
            return CombinationCaption(Combination::SplitPrimaryTooFew);
        case PlanFailure::SplitSecondaryTooFew:
            return CombinationCaption(Combination::SplitSecondaryTooFew);
        case PlanFailure::StackSameTurns:
            return "两路输出同为 " + std::to_string(static_cast<long>(d.value)) +
                   " 匝，叠绕时两抽头之间没有匝数：请分开绕制，或调整输出电压。";
        case PlanFailure::ArithmeticFault:
            return "绕制方案无法算出：" + d.fault;
        case PlanFailure::SketchWithoutCore:
            return "草图需要指定磁芯。";
    }
    return {};
}

std::string WarningLine(const PlanWarning& warning) {
    return std::string(record::StrengthLabel(warning.strength)) + "：" + warning.message;
}

namespace {

// A figure right-aligned that may wrap between its number and its unit: a
// page too narrow for every figure whole squeezed the words beside them.
constexpr std::string_view kFigure = "figure";

template <std::size_t Columns>
void AppendRowsTable(std::string& html, const std::array<std::string_view, Columns>& headings,
                     const std::array<std::string_view, Columns>& widths,
                     const std::vector<std::array<std::string, Columns>>& rows,
                     std::string_view (*classOf)(std::size_t)) {
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\"><thead><tr>";
    for (std::size_t i = 0; i < Columns; ++i)
        html.append("<th width=\"").append(widths[i]).append("\">").append(headings[i]) += "</th>";
    html += "</tr></thead>\n<tbody>\n";
    for (const auto& row : rows) {
        html += "<tr>";
        for (std::size_t i = 0; i < Columns; ++i) {
            if (classOf(i) == kFigure) {
                html += "<td align=\"right\">" + report::HtmlEscape(row[i]) + "</td>";
            } else {
                report::HtmlCell(html, row[i], classOf(i));
            }
        }
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
}

// The rows as columns: a heading's row of each row's cells. Ten columns of
// figures, each kept whole, left a printed page no width for the words
// among them ("连续（逐周期上升，无稳定点）" a character a line); six corners
// across leave each its share.
template <std::size_t Columns>
void AppendColumnsTable(std::string& html, const std::array<std::string_view, Columns>& headings,
                        const std::vector<std::array<std::string, Columns>>& rows,
                        bool (*isNumber)(std::size_t)) {
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\"><thead><tr>";
    // Every width given: Qt's rich text squeezes a column left to itself.
    const int each = rows.empty() ? 0 : 84 / static_cast<int>(rows.size());
    html.append("<th width=\"16%\">").append(headings[0]) += "</th>";
    for (const auto& row : rows) {
        html +=
            "<th width=\"" + std::to_string(each) + "%\">" + report::HtmlEscape(row[0]) + "</th>";
    }
    html += "</tr></thead>\n<tbody>\n";
    for (std::size_t i = 1; i < Columns; ++i) {
        html += "<tr>";
        report::HtmlCell(html, headings[i]);
        for (const auto& row : rows) report::HtmlCell(html, row[i], isNumber(i) ? "number" : "");
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
}

}  // namespace

std::string HtmlSection(const PlanOutcome& outcome, const Options& options,
                        std::string_view pictures) {
    std::string html = "<h2>" + std::string(kTitle) + "</h2>\n";
    for (const std::string& line : Headlines(outcome)) {
        html +=
            "<p class=\"warning\" style=\"color:#7a4a00\">" + report::HtmlEscape(line) + "</p>\n";
    }
    html += "<p class=\"note\">" + std::string(kPremise) + "</p>\n<p class=\"note\">选项：";
    for (const SheetLine& line : OptionLines(options)) {
        html += report::HtmlEscape(line.caption + " " + line.value) + "；";
    }
    html += "</p>\n";
    if (!outcome.plan)
        return html + "<p class=\"error\">" + report::HtmlEscape(FailureText(outcome)) + "</p>\n";
    const Plan& plan = *outcome.plan;
    // Each column's share of the page, for renderers that know little CSS
    // (Qt's would otherwise break the wire's name a character a line).
    static constexpr std::array<std::string_view, kWindingColumns> kWindingWidths = {
        "6%", "7%", "17%", "9%", "9%", "9%", "11%", "9%", "10%", "13%"};
    // The short names and counts kept whole (a printed page broke "初级" and
    // "26 × 3" a character a line); figures and the wire's name wrap between
    // their words.
    AppendRowsTable(html, kWindingHeadings, kWindingWidths, WindingRows(plan),
                    [](std::size_t i) -> std::string_view {
                        if (i == 1 || i == 3 || i == 0) return "name";
                        return i == 2 ? "" : kFigure;
                    });
    html += pictures;
    if (!plan.warnings.empty()) {
        html += "<ul class=\"warnings\">\n";
        for (const PlanWarning& warning : plan.warnings) {
            html += "<li class=\"" + std::string(record::StrengthName(warning.strength)) + "\">" +
                    report::HtmlEscape(WarningLine(warning)) + "</li>\n";
        }
        html += "</ul>\n";
    }
    html += "<h3>" + std::string(kCornersTitle) + "</h3>\n";
    AppendColumnsTable(html, kCornerHeadings, CornerRows(plan),
                       [](std::size_t i) { return i > 0 && i != 3; });
    AppendLinesTable(html, PlanLines(plan), "项目", "30%", "数值", "70%");
    return html;
}

void AppendLinesTable(std::string& html, const std::vector<SheetLine>& lines,
                      std::string_view captionHeading, std::string_view captionWidth,
                      std::string_view valueHeading, std::string_view valueWidth) {
    report::HtmlTableStart(html, {{captionHeading, captionWidth}, {valueHeading, valueWidth}});
    for (const SheetLine& line : lines) {
        html += "<tr>";
        report::HtmlCell(html, line.caption);
        report::HtmlCell(html, line.value);
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";
}

std::string TabSeparated(const PlanOutcome& outcome, const Options& options) {
    std::string out;
    report::TabSeparatedRow(out, {kTitle, kPremise, "", ""});
    for (const SheetLine& line : OptionLines(options)) {
        report::TabSeparatedRow(out, {"选项：" + line.caption, line.value, "", ""});
    }
    if (!outcome.plan) {
        report::TabSeparatedRow(out, {"错误", FailureText(outcome), "", ""});
        return out;
    }
    std::vector<SheetLine> lines = WindingLines(*outcome.plan);
    for (SheetLine& line : PlanLines(*outcome.plan)) lines.push_back(std::move(line));
    for (SheetLine& line : CornerLines(*outcome.plan)) lines.push_back(std::move(line));
    for (const SheetLine& line : lines) {
        report::TabSeparatedRow(out, {line.caption, line.value, "", ""});
    }
    for (const PlanWarning& warning : outcome.plan->warnings) {
        report::TabSeparatedRow(out, {"警告", WarningLine(warning), "", ""});
    }
    return out;
}

}  // namespace flyback::plan_sheet
