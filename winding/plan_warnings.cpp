#include "winding/plan_warnings.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string>

#include "record/readable.hpp"
#include "winding/plan_design.hpp"

namespace flyback::winding {
namespace {

using Strength = record::Warning::Strength;
using record::ReadableValue;

constexpr double kMinimumGap_mm = 0.1;
constexpr double kLowestDensity = 2, kHighestDensity = 10;  // A/mm²
// The duty below which a design spends current.
constexpr double kLowestDuty = 0.3;
// An output's voltage off what was asked: a note beyond 2 %, a caution beyond 5 %.
constexpr double kVoltageNote_pct = 2, kVoltageCaution_pct = 5;
// An output further off than this is worth other turns: the plan says which.
constexpr double kCentredWithin_pct = 3;
// How far up the regulated output's turns are searched for a centring: four
// times the plan's, or 20 turns for a low-voltage output of a turn or two.
constexpr int kMostCentringScale = 4, kMostCentringTurns = 20;
constexpr double kPowerMismatch = 0.01;
constexpr double kAcLossDoubling = 2;
// The share of the rated output a corner's turn-on loss is warned above.
constexpr double kHighestTurnOnShare = 0.05;

void Add(Plan& plan, std::string_view code, Strength strength, std::string message,
         std::optional<WarningFigure> figure = std::nullopt) {
    plan.warnings.push_back({code, strength, std::move(message), figure});
}

// The fewest turns of the regulated output, above the plan's, that bring
// every other output within kCentredWithin_pct of its set voltage, each on
// its nearest whole turns (the primary's scaled to keep Vor); none up to
// MostCentringTurns.
int MostCentringTurns(const Plan& plan) {
    return std::max(kMostCentringScale * plan.Ns, kMostCentringTurns);
}

// The regulated output's voltage at its winding: its set voltage and drop.
double RegulatedWindingVolts(const Plan& plan) {
    return plan.outputs.front().set.V + plan.outputs.front().set.VF_V;
}

std::optional<int> CentringTurns(const Plan& plan) {
    const double volts = RegulatedWindingVolts(plan);
    for (int Ns = plan.Ns + 1; Ns <= MostCentringTurns(plan); ++Ns) {
        const bool centred =
            std::all_of(plan.outputs.begin() + 1, plan.outputs.end(), [&](const OutputResult& o) {
                const int turns = plan_design::OutputTurns(Ns, o.set, volts);
                const double expected = volts * turns / Ns - o.set.VF_V;
                return std::abs(expected - o.set.V) <= kCentredWithin_pct / 100 * o.set.V;
            });
        if (centred) return Ns;
    }
    return std::nullopt;
}

// What would centre output `i`, whose nearest whole turns leave it off: the
// regulated output's turns that centre every output.
std::string CentringText(const Plan& plan, std::size_t i) {
    const OutputResult& out = plan.outputs[i];
    if (!(std::abs(out.error_pct) > kCentredWithin_pct)) return {};
    const std::optional<int> Ns = CentringTurns(plan);
    if (!Ns)
        return "稳压输出取至 " + std::to_string(MostCentringTurns(plan)) +
               " 匝都不能使各输出偏差在 3 % 以内；可改变输出电压、整流管压降或稳压的输出。";
    const int Np = static_cast<int>(std::lround(static_cast<double>(plan.Np) * *Ns / plan.Ns));
    std::string turns;
    for (std::size_t k = 1; k < plan.outputs.size(); ++k) {
        const OutputLoad& set = plan.outputs[k].set;
        turns += (turns.empty() ? "" : "、") +
                 std::to_string(plan_design::OutputTurns(*Ns, set, RegulatedWindingVolts(plan)));
    }
    return "稳压输出取 " + std::to_string(*Ns) + " 匝（初级约 " + std::to_string(Np) +
           " 匝，保持 Vor），其余输出依次取 " + turns + " 匝，各输出偏差都在 3 % 以内。";
}

void CoreWarnings(Plan& plan, double AeRequired_m2, bool noneFits) {
    const catalogue::Core& core = *plan.core;
    if (noneFits) {
        Add(plan, "no_core_fits", Strength::Caution,
            "目录中没有放得下绕组的磁芯；下面是最大的 " + core.name + " 上的方案。");
    }
    const double Ae_mm2 = AeRequired_m2 * 1e6;
    if (core.Ae_mm2 < Ae_mm2) {
        Add(plan, "core_area_below_required", Strength::Caution,
            "磁芯 " + core.name + " 的截面积 " + ReadableValue(core.Ae_mm2, "mm²") +
                " 小于所需的 " + ReadableValue(Ae_mm2, "mm²") + "。",
            WarningFigure{core.Ae_mm2, Ae_mm2, "mm²"});
    }
    if (!plan.fits) {
        Add(plan, "windings_do_not_fit", Strength::Caution,
            "绕组放不下：绕线高度 " + ReadableValue(plan.build_mm, "mm") + "（骨架可绕 " +
                ReadableValue(core.winding_height_mm, "mm") + "），铜填充系数 " +
                ReadableValue(plan.fill, "") + "（上限 " + ReadableValue(plan.options.fillMax, "") +
                "）。",
            WarningFigure{plan.build_mm, core.winding_height_mm, "mm"});
    }
    if (!core.MLT_mm) {
        Add(plan, "copper_loss_unknown", Strength::Note,
            "数据中没有磁芯 " + core.name + " 的骨架平均匝长，铜损与温升无法算出。");
    }
}

// "热点 86 °C 时" or, where no temperature settled, "100 °C 时".
std::string SaturationWhere(const Plan& plan) {
    return plan.hot_C ? "热点 " + ReadableValue(*plan.hot_C, "°C") + " 时"
                      : std::string("100 °C 时");
}

void SaturationWarnings(Plan& plan) {
    const std::string& material = plan.material->name;
    if (!plan.BsatHot_T || !plan.saturationMargin) {
        Add(plan, "saturation_unknown", Strength::Caution,
            "数据中没有材料 " + material +
                " 在 100 °C 时的饱和磁通密度：限流点与各工作点是否饱和都未检查。");
        return;
    }
    const double Bsat = *plan.BsatHot_T;
    if (plan.BpkLimit_T > Bsat) {
        const std::string limit = plan.options.choices.Ilimit_A ? ReadableValue(plan.Ilimit_A, "A")
                                                                : std::string("1.3 × Ipk");
        Add(plan, "saturation_at_current_limit", Strength::Caution,
            "工作点“" + std::string(CornerCaption(CornerKind::CurrentLimit)) + "”：限流点（" +
                limit + "，Lp +" + ReadableValue(plan.options.lpTolerance * 100, "%") +
                "，限流值 +" + ReadableValue(plan.options.ilimitTolerance * 100, "%") +
                "）的磁通密度 " + ReadableValue(plan.BpkLimit_T, "T") + " 高于 " + material +
                " 在" + SaturationWhere(plan) + "的饱和磁通密度 " + ReadableValue(Bsat, "T") +
                "；请增加匝数或降低限流值。",
            WarningFigure{plan.BpkLimit_T, Bsat, "T"});
    } else if (const double least = plan.options.choices.minSaturationMargin;
               *plan.saturationMargin < least) {
        Add(plan, "saturation_margin_low", Strength::Caution,
            "饱和余量 " + ReadableValue(*plan.saturationMargin, "") + " 低于所要求的 " +
                ReadableValue(least, "") + "（" + material + " 在" + SaturationWhere(plan) +
                "的饱和磁通密度 " + ReadableValue(Bsat, "T") +
                " ÷ 最坏工作点的磁通密度）；可增加匝数、降低限流值或减小其公差。",
            WarningFigure{*plan.saturationMargin, least, ""});
    }
    std::array<catalogue::SaturationPoint, 2> figures{};
    const std::span<const catalogue::SaturationPoint> curve =
        catalogue::SaturationCurve(*plan.material, figures);
    if (plan.hot_C && !curve.empty() && *plan.hot_C > curve.back().celsius) {
        const bool line = curve.size() > 1;
        const catalogue::SaturationPoint& hottest = curve.back();
        const std::string twoHottest = line ? ReadableValue(curve[curve.size() - 2].celsius, "°C") +
                                                  " 与 " + ReadableValue(hottest.celsius, "°C")
                                            : std::string();
        Add(plan, "saturation_beyond_data", Strength::Caution,
            "热点温度 " + ReadableValue(*plan.hot_C, "°C") + " 高于材料数据的 " +
                ReadableValue(hottest.celsius, "°C") + "；饱和磁通密度" +
                (line ? "按 " + twoHottest + " 两点连线外推为 "
                      : "按 " + ReadableValue(hottest.celsius, "°C") + " 的 ") +
                ReadableValue(Bsat, "T") + (line ? "，仅为估计。" : " 计，实际更低。"),
            WarningFigure{*plan.hot_C, hottest.celsius, "°C"});
    }
}

const Corner* CornerOf(const Plan& plan, CornerKind kind) {
    for (const Corner& c : plan.corners) {
        if (c.kind == kind) return &c;
    }
    return nullptr;
}

// "300 ns（假定）": the minimum on-time, said as assumed unless typed.
std::string OnTimeText(const Choices& choices) {
    return ReadableValue(choices.tOnMin_s, "s") +
           (choices.tOnMin_s == Choices{}.tOnMin_s ? "（假定）" : "");
}

void ShortedWarnings(Plan& plan) {
    const Corner* c = CornerOf(plan, CornerKind::Shorted);
    if (!c || c->ratchet == Ratchet::None) return;
    const std::string climb = "输出短路时，最短导通时间 " + OnTimeText(plan.options.choices) +
                              "内初级电流上升 " + ReadableValue(c->riseInMinimumOn_A, "A") +
                              "，而复位期间只下降 " + ReadableValue(c->fallInReset_A, "A") +
                              "：电流逐周期上升";
    if (c->ratchet == Ratchet::RunsAway) {
        std::string stop = "，没有止住之处（次级电阻未知），磁芯终将饱和";
        if (c->ratchetPeak_A) {
            stop = "，次级电阻要到峰值 " + ReadableValue(*c->ratchetPeak_A, "A") + " 才能止住，" +
                   (plan.BsatHot_T ? "磁芯在此之前已饱和" : "材料没有饱和数据，无法说磁芯不先饱和");
        }
        Add(plan, "shorted_output_runs_away", Strength::Caution,
            climb + stop + "；须靠控制器的短路保护（降频或打嗝）。");
        return;
    }
    Add(plan, "shorted_output_ratchets", Strength::Note,
        climb + "，至次级绕组电阻的压降使两者相等时停在峰值 " + ReadableValue(c->point.Ipk, "A") +
            "（限流值偏高时为 " +
            ReadableValue(CornerOf(plan, CornerKind::CurrentLimit)->point.Ipk, "A") +
            "），磁通密度 " + ReadableValue(c->Bpk_T, "T") + "；饱和余量按此计。");
}

// At the minimum input the limit, low with the inductance, must still let
// the rated power through, or the supply folds back at full load.
void CapabilityWarning(Plan& plan) {
    const Corner* c = CornerOf(plan, CornerKind::Capability);
    if (!c || !(c->load < 1)) return;
    Add(plan, "limit_below_rated_power", Strength::Caution,
        "最低输入时，Lp 与限流值偏低（−" + ReadableValue(plan.options.lpTolerance * 100, "%") +
            "、−" + ReadableValue(plan.options.ilimitTolerance * 100, "%") +
            "）时限流只允许额定功率的 " + ReadableValue(c->load * 100, "%") +
            "：满载时将先限流；可提高限流值或减小其公差。",
        WarningFigure{c->load, 1, ""});
}

void CoreLossUnknownWarning(Plan& plan);

void FluxWarnings(Plan& plan) {
    if (plan.BpkMinSection_T > plan.options.Bmax_T) {
        Add(plan, "flux_above_bmax", Strength::Caution,
            "最窄截面的峰值磁通密度 " + ReadableValue(plan.BpkMinSection_T, "T") +
                " 高于设定的 Bmax " + ReadableValue(plan.options.Bmax_T, "T") + "。",
            WarningFigure{plan.BpkMinSection_T, plan.options.Bmax_T, "T"});
    }
    SaturationWarnings(plan);
    ShortedWarnings(plan);
    CapabilityWarning(plan);
    const std::string& material = plan.material->name;
    if (plan.options.choices.Ilimit_A && plan.Ilimit_A < plan.Ipk_A) {
        Add(plan, "current_limit_below_peak", Strength::Caution,
            "限流值 " + ReadableValue(plan.Ilimit_A, "A") + " 低于满载的峰值电流 " +
                ReadableValue(plan.Ipk_A, "A") + "：控制器会先限流，输出达不到额定功率。",
            WarningFigure{plan.Ilimit_A, plan.Ipk_A, "A"});
    }
    if (!plan.material->mu_i) {
        Add(plan, "permeability_unknown", Strength::Note,
            "数据中没有材料 " + material + " 的初始磁导率，气隙未扣除磁芯自身的磁阻。");
    }
    if (!plan.Pcore_W) CoreLossUnknownWarning(plan);
    if (plan.gap_mm <= 0) {
        Add(plan, "gap_impossible", Strength::Invalid,
            "不开气隙时电感也不够（算出的气隙为负）；需要更多匝数或磁导率更高的材料。");
    } else if (plan.gap_mm < kMinimumGap_mm) {
        Add(plan, "gap_too_small", Strength::Caution,
            "气隙 " + ReadableValue(plan.gap_mm, "mm") +
                " 小于 0.1 mm，难以按公差加工；可减小 Bmax 或换较小的磁芯以增加匝数。",
            WarningFigure{plan.gap_mm, kMinimumGap_mm, "mm"});
    }
}

// Where the rules allow nothing that fits, the plan keeps the least lossy
// conductor that does (without a mean turn, the strand rule's), and says
// which rule it breaks: the shop would send it back. A split winding's
// halves share one conductor, said once.
void RuleWarnings(Plan& plan) {
    for (const Winding& w : plan.windings) {
        if (!w.breach || w.half == 2) continue;
        const std::string why = w.decidedBy == ConductorReason::RulesBroken
                                    ? "没有合绕制规则的导线放得下"
                                    : "无平均匝长，导线按电流密度选";
        Add(plan, "winder_rule_broken", Strength::Caution,
            WindingCaption(plan, Whole(w)) + "绕组" + why + "，所用导线" +
                RuleBreachText(*w.breach) + "；可分半交错绕制、选更大的磁芯或放宽该规则。",
            WarningFigure{w.breach->value, w.breach->limit, Info(w.breach->rule).unit});
    }
}

// The conductor is already the least lossy of those the rules allow, so a high AC
// loss is information, not advice to rewind; only interleaving, which the
// plan does not try unless asked, is left to suggest.
void WindingWarnings(Plan& plan) {
    const bool interleaved = std::any_of(plan.windings.begin(), plan.windings.end(),
                                         [](const Winding& w) { return w.half > 0; });
    for (const Winding& w : plan.windings) {
        if (w.Pac_W && w.P_W && *w.Pac_W > kAcLossDoubling * *w.P_W) {
            Add(plan, "ac_resistance_high", Strength::Note,
                WindingCaption(plan, w) + "绕组的交流铜损 " + ReadableValue(*w.Pac_W, "W") +
                    " 是直流铜损的 " + ReadableValue(*w.Pac_W / *w.P_W, "") +
                    " 倍（邻近效应），所选导线已是绕制规则允许的各种导线中损耗最低的" +
                    (interleaved || plan.orderChosen
                         ? std::string("。")
                         : std::string("；交错绕制（P-S-P 或 S-P-S）或可再降低。")),
                WarningFigure{*w.Pac_W / *w.P_W, kAcLossDoubling, ""});
        }
    }
    for (const Winding& w : plan.windings) {
        const std::string name(RoleCaption(w.role));
        // An unloaded winding carries nothing: its density is no concern.
        if (w.J_A_mm2 && *w.J_A_mm2 > 0 &&
            (*w.J_A_mm2 < kLowestDensity || *w.J_A_mm2 > kHighestDensity)) {
            Add(plan, "current_density_out_of_range", Strength::Caution,
                name + "绕组的电流密度 " + ReadableValue(*w.J_A_mm2, "A/mm²") +
                    " 超出常用的 2–10 A/mm²。",
                WarningFigure{*w.J_A_mm2,
                              *w.J_A_mm2 < kLowestDensity ? kLowestDensity : kHighestDensity,
                              "A/mm²"});
        }
    }
    for (const OutputResult& out : plan.outputs) {
        if (out.IcapRms_A) continue;
        Add(plan, "ripple_current_undefined", Strength::Caution,
            "次级电流的有效值小于输出电流，输出电容纹波电流无从算起；请检查效率与输出电压。");
        break;
    }
}

// No core loss: no fit for the frequency, or one whose temperature factor is
// not above zero where the core runs (its k means nothing without it).
void CoreLossUnknownWarning(Plan& plan) {
    const std::string& material = plan.material->name;
    const catalogue::SteinmetzRange* fit = catalogue::FitAt(*plan.material, plan.f_Hz);
    const double celsius = plan.hot_C.value_or(plan.options.ambient_C);
    const std::optional<double> factor =
        fit ? catalogue::TemperatureFactorAt(*fit, celsius) : std::nullopt;
    if (factor && !(*factor > 0)) {
        Add(plan, "core_loss_unknown", Strength::Caution,
            "材料 " + material + " 在此频率的损耗拟合（" + ReadableValue(fit->fMinHz, "Hz") +
                " 至 " + ReadableValue(fit->fMaxHz, "Hz") + "）的温度系数在 " +
                ReadableValue(celsius, "°C") + " 时为 " + ReadableValue(*factor, "") +
                "，不为正，此拟合不予采用：磁芯损耗、温升与效率预算都未检查。",
            WarningFigure{*factor, 0, ""});
        return;
    }
    if (!fit && !plan.material->fitsRefused.empty()) {
        Add(plan, "core_loss_unknown", Strength::Caution,
            "材料 " + material + " 的损耗拟合不予采用（" + plan.material->fitsRefused +
                "）：磁芯损耗、温升与效率预算都未检查。");
        return;
    }
    Add(plan, "core_loss_unknown", Strength::Caution,
        "数据中没有材料 " + material + " 在此频率的损耗系数：磁芯损耗、温升与效率预算都未检查。");
}

// The losses the plan can name against what the efficiency leaves for all
// of them: beyond it the supply cannot reach its efficiency, whatever the
// switch does, and the outputs fall short.
void LossBudgetWarning(Plan& plan) {
    const std::optional<LossBudget> losses = LossesAgainstBudget(plan);
    if (!losses || !(losses->named_W > losses->budget_W)) return;
    const double named = losses->named_W, budget = losses->budget_W;
    Add(plan, "losses_above_efficiency", Strength::Caution,
        "铜损、磁芯损耗、钳位与整流管损耗共 " + ReadableValue(named, "W") + "，超过效率 " +
            ReadableValue(plan.eta * 100, "%") + " 所容许的全部损耗 " + ReadableValue(budget, "W") +
            "（开关管尚未计入）；输出达不到额定功率。可减小漏感" +
            (plan.insulation.tripleInsulated ? std::string()
                                             : std::string("（如次级用三层绝缘线）")) +
            "或按实际把效率估低。",
        WarningFigure{named, budget, "W"});
}

// Functional insulation chosen on a mains input leaves the outputs live; a
// typed mains below the bus is not what the barrier faces.
void InsulationWarnings(Plan& plan) {
    const double Vmax = plan.atVmax.Vin;
    if (const auto typed = plan.insulation.mainsBelowBus_Vrms) {
        Add(plan, "mains_below_bus", Strength::Caution,
            "指定的电网电压 " + ReadableValue(*typed, "V") + "（上限 +10 % 的峰值 " +
                ReadableValue(*typed * insulation::kMainsTolerance * std::sqrt(2.0), "V") +
                "）低于最高直流输入 " + ReadableValue(Vmax, "V") + "：绝缘按直流母线对应的电网 " +
                ReadableValue(plan.insulation.conditions.mains_Vrms, "V") + " 设计。");
    }
    if (plan.insulation.conditions.grade != insulation::Grade::Functional ||
        !(Vmax > kExtraLowVoltage_V))
        return;
    Add(plan, "functional_on_mains", Strength::Caution,
        "初级—次级为功能绝缘，而最高输入 " + ReadableValue(Vmax, "V") +
            " 高于 60 V（IEC 62368-1 ES1 的直流上限）：次级与输出不能被触及，除非另有安全隔离。",
        WarningFigure{Vmax, kExtraLowVoltage_V, "V"});
}

std::string FmaxText(const Resonance& r) {
    return ReadableValue(*r.fmax_Hz, "Hz") +
           (r.fmaxAssumed
                ? "（假定为设计频率的 " + ReadableValue(kAssumedFmaxOfDesign, "") + " 倍）"
                : "");
}

// A controller's clamp the design frequency is above, or that even its
// deepest valley cannot keep a corner within.
void FmaxWarnings(Plan& plan, const Resonance& r) {
    if (!r.fmax_Hz) return;
    if (plan.f_Hz > *r.fmax_Hz) {
        Add(plan, "frequency_above_fmax", Strength::Caution,
            "设计频率 " + ReadableValue(plan.f_Hz, "Hz") + " 高于最高频率 " + FmaxText(r) +
                "：最低输入、满载时控制器已须跳到更深的谷底；输入的工作频率应不高于 fmax。",
            WarningFigure{plan.f_Hz, *r.fmax_Hz, "Hz"});
        return;
    }
    for (const Corner& c : plan.corners) {
        if (AtCurrentLimit(c.kind) || c.point.f_Hz <= *r.fmax_Hz) continue;
        Add(plan, "frequency_above_fmax", Strength::Caution,
            std::string(CornerCaption(c.kind)) + "时第 " + std::to_string(c.point.valley) +
                " 谷底的频率 " + ReadableValue(c.point.f_Hz, "Hz") + " 仍高于最高频率 " +
                FmaxText(r) + "：可允许更深的谷底，或由控制器的突发模式接管。",
            WarningFigure{c.point.f_Hz, *r.fmax_Hz, "Hz"});
        return;
    }
}

// Turning on at the valley's voltage is the price of quasi-resonance; where
// a corner pays more than a twentieth of the rated output for it, the
// switch's heat and the efficiency there are not what the design assumed.
void TurnOnWarning(Plan& plan, const Resonance& r) {
    const double allowed = kHighestTurnOnShare * plan.Pout_W;
    for (const Corner& c : plan.corners) {
        if (AtCurrentLimit(c.kind)) continue;
        const double loss = TurnOnLoss(c.point, r.Cds_F);
        if (!(loss > allowed)) continue;
        Add(plan, "turn_on_loss_high", Strength::Caution,
            std::string(CornerCaption(c.kind)) + "时开通损耗 " + ReadableValue(loss, "W") +
                "（第 " + std::to_string(c.point.valley) + " 谷底，谷底电压 " +
                ReadableValue(ValleyVoltage(c.point), "V") + "，频率 " +
                ReadableValue(c.point.f_Hz, "Hz") + "）超过额定输出的 5 %（" +
                ReadableValue(allowed, "W") + "）：可提高反射电压使谷底更低，或降低最高频率。",
            WarningFigure{loss, allowed, "W"});
        return;
    }
}

void ValleyWarnings(Plan& plan) {
    if (!plan.switching) return;
    FmaxWarnings(plan, *plan.switching);
    TurnOnWarning(plan, *plan.switching);
}

void OperatingWarnings(Plan& plan) {
    LossBudgetWarning(plan);
    InsulationWarnings(plan);
    if (plan.dT_K && !plan.hot_C) {
        Add(plan, "temperature_runaway", Strength::Caution,
            "损耗随温度上升而增加，温升迭代不收敛（热失控）；以上损耗与温升为最后一步的值。");
    }
    if (plan.hot_C && *plan.hot_C > HotLimit(plan.options)) {
        Add(plan, "hot_spot_above_limit", Strength::Caution,
            "热点温度 " + ReadableValue(*plan.hot_C, "°C") + " 超过上限 " +
                ReadableValue(HotLimit(plan.options), "°C") + "。",
            WarningFigure{*plan.hot_C, HotLimit(plan.options), "°C"});
    }
    if (plan.dT_K && *plan.dT_K > plan.options.maxRise_K) {
        Add(plan, "temperature_rise_high", Strength::Caution,
            "估算温升 " + ReadableValue(*plan.dT_K, "K") + " 超过 " +
                ReadableValue(plan.options.maxRise_K, "K") + "。",
            WarningFigure{*plan.dT_K, plan.options.maxRise_K, "K"});
    }
    // A low reflected voltage or duty spends the switch's current: the same
    // power in a short on-time is a tall, narrow peak, and the primary's RMS
    // and the switch's loss with it.
    if (ReflectedVoltageLow(plan)) {
        Add(plan, kReflectedVoltageLow, Strength::Caution,
            "反射电压 Vor' " + ReadableValue(plan.Vor_V, "V") + " 低于最大输入电压的 0.2 倍（" +
                ReadableValue(kLowestVorOfVmax * plan.atVmax.Vin, "V") +
                "）：占空比小、峰值电流大；可提高匝比或开关管耐压。",
            WarningFigure{plan.Vor_V, kLowestVorOfVmax * plan.atVmax.Vin, "V"});
    } else if (plan.Dmax < kLowestDuty) {
        Add(plan, "duty_cycle_low", Strength::Caution,
            "最低输入时的占空比 " + ReadableValue(plan.Dmax, "") +
                " 低于 0.3：峰值电流大、有效值电流高；可提高反射电压。",
            WarningFigure{plan.Dmax, kLowestDuty, ""});
    }
    ValleyWarnings(plan);
    if (plan.Dmax > 0.5) {
        Add(plan, "duty_cycle_above_half", Strength::Note,
            "取整匝后的最大占空比 " + ReadableValue(plan.Dmax, "") +
                " 高于 0.5；限 50 % 占空比的控制器不适用。",
            WarningFigure{plan.Dmax, 0.5, ""});
    }
}

// At start-up and in an overload the clamp climbs with the limit's current.
// These are short: the switch may use its rating there, not the derated
// figure the steady corners keep to.
void SwitchAtLimitWarning(Plan& plan, double rating_V) {
    const Corner* worst = nullptr;
    for (const Corner& corner : plan.corners) {
        if (AtCurrentLimit(corner.kind) && (!worst || corner.Vds_peak_V > worst->Vds_peak_V))
            worst = &corner;
    }
    if (!worst || !(worst->Vds_peak_V > rating_V)) return;
    Add(plan, "switch_above_rating_at_limit", Strength::Caution,
        "工作点“" + std::string(CornerCaption(worst->kind)) + "”：RCD 钳位升到 " +
            ReadableValue(worst->Vclamp_V, "V") + "，开关管峰值电压 " +
            ReadableValue(worst->Vds_peak_V, "V") + " 高于耐压 " + ReadableValue(rating_V, "V") +
            "；可减小漏感、降低限流值或改用稳压管钳位。",
        WarningFigure{worst->Vds_peak_V, rating_V, "V"});
}

void ChoiceWarnings(Plan& plan, double P_W) {
    const Choices& choices = plan.options.choices;
    if (plan.VdsRating_V) {
        const double allowed = choices.derating * *plan.VdsRating_V;
        if (plan.Vswitch_V > allowed) {
            Add(plan, "switch_above_rating", Strength::Caution,
                "开关管峰值电压 " + ReadableValue(plan.Vswitch_V, "V") + " 高于耐压 " +
                    ReadableValue(*plan.VdsRating_V, "V") +
                    (plan.ratingAssumed ? "（未给出，按输入假定）" : "") + " 降额 " +
                    ReadableValue(choices.derating, "") + " 后的 " + ReadableValue(allowed, "V") +
                    "。",
                WarningFigure{plan.Vswitch_V, allowed, "V"});
        }
        SwitchAtLimitWarning(plan, *plan.VdsRating_V);
    }
    if (choices.vorSource == VorSource::MaxDuty && plan.Dmax > choices.Dmax) {
        Add(plan, "duty_above_controller", Strength::Caution,
            "取整匝后的最大占空比 " + ReadableValue(plan.Dmax, "") + " 高于控制器的上限 " +
                ReadableValue(choices.Dmax, "") + "。",
            WarningFigure{plan.Dmax, choices.Dmax, ""});
    }
    for (std::size_t i = 1; i < plan.outputs.size(); ++i) {
        const OutputResult& out = plan.outputs[i];
        const double off = std::abs(out.error_pct);
        if (!(off > kVoltageNote_pct)) continue;
        Add(plan, "output_voltage_off",
            off > kVoltageCaution_pct ? Strength::Caution : Strength::Note,
            "输出 " + std::to_string(i + 1) + "：" + std::to_string(out.turns) + " 匝得 " +
                ReadableValue(out.Vexpected_V, "V") + "，与所设 " + ReadableValue(out.set.V, "V") +
                " 相差 " + ReadableValue(out.error_pct, "%") + "。" + CentringText(plan, i),
            WarningFigure{out.Vexpected_V, out.set.V, "V"});
    }
    if (!choices.outputs.empty() && std::abs(plan.Pout_W - P_W) > kPowerMismatch * P_W) {
        Add(plan, "output_power_mismatch", Strength::Caution,
            "各输出的功率之和 " + ReadableValue(plan.Pout_W, "W") + " 与输出功率 P " +
                ReadableValue(P_W, "W") + " 相差超过 1 %；方案按各输出之和设计，上面的结果按 P。",
            WarningFigure{plan.Pout_W, P_W, "W"});
    }
}

}  // namespace

bool ReflectedVoltageLow(const Plan& plan) {
    return plan.Vor_V < kLowestVorOfVmax * plan.atVmax.Vin;
}

std::string RuleBreachText(const RuleBreach& breach) {
    const std::string value = ReadableValue(breach.value, ""),
                      limit = ReadableValue(breach.limit, "");
    switch (breach.rule) {
        case ChoiceNumber::MostLayers:
            return "绕 " + value + " 层，多于规则的 " + limit + " 层";
        case ChoiceNumber::LitzCurrent:
            return "为利兹线，而电流 " + ReadableValue(breach.value, "A") + " 低于规则的 " +
                   ReadableValue(breach.limit, "A");
        case ChoiceNumber::FoilTurns:
            return "为铜箔，绕 " + value + " 匝，多于规则的 " + limit + " 匝";
        case ChoiceNumber::FoilCurrent:
            return "为铜箔，而电流 " + ReadableValue(breach.value, "A") + " 低于规则的 " +
                   ReadableValue(breach.limit, "A");
        case ChoiceNumber::OneWireCurrent:
            return "不是单根圆线（辅助绕组或电流低于 " + ReadableValue(breach.limit, "A") +
                   " 的绕组按规则用单根圆线）";
        default:
            return "不合规则“" + std::string(Info(breach.rule).caption) + "”";
    }
}

void AddWarnings(Plan& plan, const WarningContext& context) {
    CoreWarnings(plan, context.AeRequired_m2, context.noneFits);
    FluxWarnings(plan);
    RuleWarnings(plan);
    WindingWarnings(plan);
    OperatingWarnings(plan);
    ChoiceWarnings(plan, context.P_W);
}

}  // namespace flyback::winding
