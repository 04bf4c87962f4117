#include "winding/choices.hpp"

#include <algorithm>
#include <cmath>

#include "runtime/arithmetic.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"

namespace flyback::winding {
namespace {

bool Positive(double value) {
    return std::isfinite(value) && value > 0;
}

bool NotNegative(double value) {
    return std::isfinite(value) && value >= 0;
}

// The fields of "a:b[:c]": two or three, none empty.
std::optional<std::vector<std::string_view>> Fields(std::string_view text, std::size_t most = 3) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t colon = text.find(':');
        fields.push_back(text.substr(0, colon));
        if (fields.back().empty() || fields.size() > most) return std::nullopt;
        if (colon == std::string_view::npos) break;
        text.remove_prefix(colon + 1);
    }
    if (fields.size() < 2) return std::nullopt;
    return fields;
}

bool AValley(double valley) {
    return valley >= 1 && valley <= kDeepestValley && std::floor(valley) == valley;
}

std::optional<int> Count(std::string_view text) {
    const std::optional<double> number = runtime::ReadWholeNumber(text);
    if (!number || !(*number >= 1 && *number <= kMostTurns) || std::floor(*number) != *number)
        return std::nullopt;
    return static_cast<int>(*number);
}

}  // namespace

bool Choices::Any() const {
    return !outputs.empty() || biasI_A != 0 || biasVF_V != physics::kBiasDiodeDrop ||
           vorSource != VorSource::Press || conduction != Conduction::Boundary || FixedTurns() ||
           Vclamp_V || Ilimit_A || minSaturationMargin != Choices{}.minSaturationMargin ||
           tOnMin_s != Choices{}.tOnMin_s || rules != WinderRules{} || Coss_F != Choices{}.Coss_F ||
           regulationBand_pct != Choices{}.regulationBand_pct;
}

namespace {

// Where each choice that is a plain number is held (for reading or writing).
template <class Held>
auto Plain(Held& c, ChoiceNumber choice) -> decltype(&c.biasI_A) {
    switch (choice) {
        case ChoiceNumber::BiasCurrent:
            return &c.biasI_A;
        case ChoiceNumber::BiasDrop:
            return &c.biasVF_V;
        case ChoiceNumber::Vor:
            return &c.Vor_V;
        case ChoiceNumber::VdsRating:
            return &c.VdsRating_V;
        case ChoiceNumber::Derating:
            return &c.derating;
        case ChoiceNumber::ClampRatio:
            return &c.clampRatio;
        case ChoiceNumber::Dmax:
            return &c.Dmax;
        case ChoiceNumber::Krp:
            return &c.KRP;
        case ChoiceNumber::Lp:
            return &c.Lp_H;
        case ChoiceNumber::Coss:
            return &c.Coss_F;
        case ChoiceNumber::RegulationBand:
            return &c.regulationBand_pct;
        case ChoiceNumber::Valley:
            return &c.valley;
        case ChoiceNumber::LastValley:
            return &c.lastValley;
        case ChoiceNumber::SaturationMargin:
            return &c.minSaturationMargin;
        case ChoiceNumber::MinimumOnTime:
            return &c.tOnMin_s;
        case ChoiceNumber::FinestStrand:
            return &c.rules.finestStrand_mm;
        case ChoiceNumber::MostLayers:
            return &c.rules.mostLayers;
        case ChoiceNumber::LitzGain:
            return &c.rules.litzLeastGain;
        case ChoiceNumber::LitzCurrent:
            return &c.rules.litzLeastCurrent_A;
        case ChoiceNumber::FoilTurns:
            return &c.rules.foilMostTurns;
        case ChoiceNumber::FoilCurrent:
            return &c.rules.foilLeastCurrent_A;
        case ChoiceNumber::OneWireCurrent:
            return &c.rules.oneWireBelow_A;
        case ChoiceNumber::Clamp:
        case ChoiceNumber::Ilimit:
        case ChoiceNumber::Fmax:
        case ChoiceNumber::Cds:
            break;
    }
    return nullptr;
}

template <class Held>
auto Unsettable(Held& c, ChoiceNumber choice) -> decltype(&c.Vclamp_V) {
    switch (choice) {
        case ChoiceNumber::Clamp:
            return &c.Vclamp_V;
        case ChoiceNumber::Fmax:
            return &c.fmax_Hz;
        case ChoiceNumber::Cds:
            return &c.Cds_F;
        default:
            return &c.Ilimit_A;
    }
}

}  // namespace

OutputLoad NewOutput(const std::vector<OutputLoad>& rows, std::optional<double> P_W,
                     std::optional<double> Vo_V) {
    const OutputColumnInfo &volts = kOutputColumns[0], &amps = kOutputColumns[1];
    OutputLoad row{volts.first, amps.first, kOutputColumns[2].first, std::nullopt};
    if (!P_W || !Vo_V || !(*P_W > 0) || !(*Vo_V > 0)) return row;
    double power = *P_W;
    if (rows.empty()) {
        row.V = std::clamp(*Vo_V, volts.low, volts.high);
    } else {
        for (const OutputLoad& taken : rows) power -= taken.V * taken.I_A;
        if (!(power > 0)) power = 0.1 * *P_W;
    }
    const double scale = std::pow(10.0, amps.decimals);
    row.I_A = std::clamp(std::round(power / row.V * scale) / scale, amps.low, amps.high);
    return row;
}

std::optional<Resonance> Choices::Switching() const {
    if (conduction != Conduction::QuasiResonant) return std::nullopt;
    const int first = static_cast<int>(valley);
    return Resonance{Cds_F.value_or(runtime::Add(Coss_F, buildDrain_F)), first,
                     std::max(first, static_cast<int>(lastValley)), fmax_Hz};
}

std::optional<Resonance> Choices::SwitchingAt(double designFrequency_Hz) const {
    std::optional<Resonance> r = Switching();
    if (r && !r->fmax_Hz) {
        r->fmax_Hz = runtime::Multiply(kAssumedFmaxOfDesign, designFrequency_Hz);
        r->fmaxAssumed = true;
        // A clamp is kept by waiting for deeper valleys: unless a deepest
        // one is typed, the controller may wait as deep as any counts.
        if (r->lastValley == r->firstValley) r->lastValley = static_cast<int>(kDeepestValley);
    }
    return r;
}

// Within the box's own range (a drain's capacitance: a switch's Coss and a
// winding's few picofarads up to a snubber's 100 nF).
bool WithinRow(ChoiceNumber choice, double held) {
    const ChoiceNumberInfo& row = Info(choice);
    return held >= row.low / row.shownPerHeld && held <= row.high / row.shownPerHeld;
}

bool WayTaken(const ChoiceNumberInfo& info, const Choices& c) {
    return (!info.vorSource || *info.vorSource == c.vorSource) &&
           (!info.conduction || *info.conduction == c.conduction);
}

std::optional<double> HeldValue(const Choices& choices, ChoiceNumber choice) {
    if (const double* plain = Plain(choices, choice)) return *plain;
    return *Unsettable(choices, choice);
}

void SetHeldValue(Choices& choices, ChoiceNumber choice, std::optional<double> held) {
    if (double* plain = Plain(choices, choice)) {
        if (held) *plain = *held;
        return;
    }
    *Unsettable(choices, choice) = held;
}

ChoiceProblem CheckChoices(const Choices& c) {
    using Kind = ChoiceProblem::Kind;
    if (c.outputs.size() > kMostOutputs) return {Kind::Outputs, 0, c.outputs.size()};
    for (std::size_t i = 0; i < c.outputs.size(); ++i) {
        const OutputLoad& o = c.outputs[i];
        // A drop as large as the output would leave its winding nothing to
        // deliver: a mistyped drop, not a design.
        if (!Positive(o.V) || !NotNegative(o.I_A) || !NotNegative(o.VF_V) || !(o.VF_V < o.V) ||
            (o.Imin_A && !(NotNegative(*o.Imin_A) && *o.Imin_A <= o.I_A)))
            return {Kind::Output, static_cast<int>(i)};
    }
    if (!NotNegative(c.biasI_A) || !NotNegative(c.biasVF_V)) return {Kind::Bias};
    switch (c.vorSource) {
        case VorSource::Press:
            break;
        case VorSource::Value:
            if (!Positive(c.Vor_V)) return {Kind::Vor};
            break;
        case VorSource::SwitchRating:
            if (!Positive(c.VdsRating_V) || !Positive(c.derating) || c.derating > 1 ||
                !(c.clampRatio > 1 && c.clampRatio <= kHighestClampRatio))
                return {Kind::Rating};
            break;
        case VorSource::MaxDuty:
            if (!Positive(c.Dmax) || c.Dmax >= 1) return {Kind::Duty};
            break;
    }
    if (c.conduction == Conduction::Ripple && (!Positive(c.KRP) || c.KRP > 1))
        return {Kind::Ripple};
    if (c.conduction == Conduction::Inductance && !Positive(c.Lp_H)) return {Kind::Inductance};
    if (c.conduction == Conduction::QuasiResonant &&
        ((c.Cds_F && !WithinRow(ChoiceNumber::Cds, *c.Cds_F)) || !AValley(c.valley) ||
         !AValley(c.lastValley) || (c.fmax_Hz && !Positive(*c.fmax_Hz))))
        return {Kind::Resonance};
    if (c.FixedTurns() && (c.Ns < 1 || (c.Naux && *c.Naux < 1))) return {Kind::Turns};
    // A secondary's turns without the primary's would be quietly ignored.
    if (c.Np < 0 || (c.Np == 0 && (c.Ns != 0 || c.Naux))) return {Kind::Turns};
    // Whole turns fix the reflected voltage: a second way of fixing it would
    // be silently overruled. A switch's rating stays, as the check it is.
    if (c.FixedTurns() && (c.vorSource == VorSource::Value || c.vorSource == VorSource::MaxDuty))
        return {Kind::TurnsAndVor};
    if (c.Vclamp_V && !Positive(*c.Vclamp_V)) return {Kind::Clamp};
    if (c.Ilimit_A && !Positive(*c.Ilimit_A)) return {Kind::CurrentLimit};
    if (!WithinRow(ChoiceNumber::SaturationMargin, c.minSaturationMargin)) return {Kind::Margin};
    if (!WithinRow(ChoiceNumber::MinimumOnTime, c.tOnMin_s)) return {Kind::OnTime};
    // Every number of a way taken within its row, as a box shows it: a file
    // or a flag beyond a box's bounds would otherwise be planned here and
    // silently brought within them where a box shows it.
    for (const ChoiceNumberInfo& row : kChoiceNumbers) {
        const std::optional<double> held = HeldValue(c, row.choice);
        if (!held || !WayTaken(row, c)) continue;
        const bool whole = !IsCount(row) || std::floor(*held) == *held;
        if (!WithinRow(row.choice, *held) || !whole) return {Kind::Bounds, 0, 0, row.choice};
    }
    return {};
}

std::string ChoiceProblemCaption(const ChoiceProblem& problem) {
    using Kind = ChoiceProblem::Kind;
    switch (problem.kind) {
        case Kind::None:
            return {};
        case Kind::Output:
            return "输出 " + std::to_string(problem.output + 1) +
                   "：电压须大于 0，电流与整流管压降不能为负，压降须小于输出电压，最小负载在 0 "
                   "与满载电流之间。";
        case Kind::Outputs:
            return "输出至多 " + std::to_string(kMostOutputs) + " 路（辅助绕组另计），现有 " +
                   std::to_string(problem.count) + " 路。";
        case Kind::Bias:
            return "辅助绕组的负载电流与整流管压降不能为负。";
        case Kind::Vor:
            return "反射电压须大于 0。";
        case Kind::Rating:
            return "开关管耐压须大于 0，降额系数须在 0 与 1 之间，钳位电压与 Vor 之比须大于 "
                   "1、不超过 10。";
        case Kind::Duty:
            return "最大占空比须在 0 与 1 之间。";
        case Kind::Ripple:
            return "纹波系数 KRP 须大于 0 且至多为 1。";
        case Kind::Inductance:
            return "初级电感量须大于 0。";
        case Kind::Turns:
            return "匝数须为正整数，且须给出初级匝数。";
        case Kind::TurnsAndVor:
            return "匝数已决定反射电压：固定匝数时不能再给反射电压或最大占空比。";
        case Kind::Clamp:
            return "钳位电压须大于 0。";
        case Kind::CurrentLimit:
            return "限流值须大于 0。";
        case Kind::Resonance:
            return "漏源电容须在 1 pF 至 100 nF 之间，谷底序号须为 1 至 20 的整数，最高频率须大于 "
                   "0。";
        case Kind::Margin:
            return "最小饱和余量须在 1 至 2 之间。";
        case Kind::OnTime:
            return "最短导通时间须在 10 ns 至 5000 ns 之间。";
        case Kind::Bounds: {
            const ChoiceNumberInfo& row = Info(problem.number);
            const std::string unit = row.unit.empty() ? "" : " " + std::string(row.unit);
            return std::string(row.caption) + " 须在 " + runtime::decimal::ShortestText(row.low) +
                   " 至 " + runtime::decimal::ShortestText(row.high) + unit + " 之间" +
                   (IsCount(row) ? "，且为整数" : "") + "。";
        }
    }
    return {};
}

std::optional<OutputLoad> ReadOutputLoad(std::string_view text, double defaultVF) {
    const auto fields = Fields(text, 4);
    if (!fields) return std::nullopt;
    OutputLoad load;
    load.VF_V = defaultVF;
    double least = 0;
    double* values[] = {&load.V, &load.I_A, &load.VF_V, &least};
    for (std::size_t i = 0; i < fields->size(); ++i) {
        const std::optional<double> number = runtime::ReadWholeNumber((*fields)[i]);
        if (!number) return std::nullopt;
        *values[i] = *number;
    }
    if (fields->size() == 4) load.Imin_A = least;
    return load;
}

bool ReadTurns(std::string_view text, Choices& choices) {
    const auto fields = Fields(text);
    if (!fields) return false;
    std::optional<int> counts[3];
    for (std::size_t i = 0; i < fields->size(); ++i) {
        counts[i] = Count((*fields)[i]);
        if (!counts[i]) return false;
    }
    choices.Np = *counts[0];
    choices.Ns = *counts[1];
    choices.Naux = counts[2];
    return true;
}

bool ReadValleys(std::string_view text, Choices& choices) {
    const std::size_t colon = text.find(':');
    const std::optional<double> first = runtime::ReadWholeNumber(text.substr(0, colon));
    const std::optional<double> last =
        colon == std::string_view::npos ? first : runtime::ReadWholeNumber(text.substr(colon + 1));
    if (!first || !last || !AValley(*first) || !AValley(*last) || *last < *first) return false;
    choices.valley = *first;
    choices.lastValley = *last;
    return true;
}

}  // namespace flyback::winding
