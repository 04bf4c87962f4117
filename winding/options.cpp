#include "winding/options.hpp"

#include <algorithm>
#include <cmath>

#include "catalogue/names.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"

namespace flyback::winding {
namespace {

// The options that may be left unset, and those always set.
template <class AnyOptions>
auto* MaybeHeld(AnyOptions& o, NumberOption option) {
    if (option == NumberOption::Vaux) return &o.Vaux_V;
    if (option == NumberOption::Leakage) return &o.leakage;
    if (option == NumberOption::LossSplit) return &o.lossSplit;
    if (option == NumberOption::Mains) return &o.insulation.mains_Vrms;
    return static_cast<decltype(&o.Vaux_V)>(nullptr);
}

template <class AnyOptions>
auto* Held(AnyOptions& o, NumberOption option) {
    switch (option) {
        case NumberOption::Bmax:
            return &o.Bmax_T;
        case NumberOption::CurrentDensity:
            return &o.J_A_mm2;
        case NumberOption::Fill:
            return &o.fillMax;
        case NumberOption::Ambient:
            return &o.ambient_C;
        case NumberOption::LpTolerance:
            return &o.lpTolerance;
        case NumberOption::IlimitTolerance:
            return &o.ilimitTolerance;
        case NumberOption::LeakageFactor:
            return &o.leakageFactor;
        case NumberOption::HotLimit:
            return &o.hotLimit_C;
        case NumberOption::MaxRise:
            return &o.maxRise_K;
        case NumberOption::Pollution:
            return &o.insulation.pollution;
        case NumberOption::Altitude:
            return &o.insulation.altitude_m;
        case NumberOption::Vaux:
        case NumberOption::Leakage:
        case NumberOption::LossSplit:
        case NumberOption::Mains:
            break;
    }
    return static_cast<decltype(&o.Bmax_T)>(nullptr);
}

bool Within(const NumberOptionInfo& info, double shown) {
    return std::isfinite(shown) && shown >= info.low && shown <= info.high;
}

std::string UnitAfter(const NumberOptionInfo& info) {
    return info.unit.empty() ? "" : " " + std::string(info.unit);
}

}  // namespace

insulation::Conditions ConditionsOf(const Insulation& o) {
    insulation::Conditions c;
    if (o.grade) c.grade = *o.grade;
    if (o.mains_Vrms) c.mains_Vrms = *o.mains_Vrms;
    c.pollution = static_cast<int>(o.pollution);
    c.group = o.group;
    c.overvoltage = o.overvoltage;
    c.altitude_m = o.altitude_m;
    return c;
}

insulation::ConditionProblem CheckInsulation(const Insulation& o) {
    if (std::floor(o.pollution) != o.pollution) return insulation::ConditionProblem::Pollution;
    return insulation::CheckConditions(ConditionsOf(o));
}

std::string InsulationProblem(const Insulation& o) {
    return insulation::ConditionProblemCaption(CheckInsulation(o));
}

const NumberOptionInfo& Info(NumberOption option) {
    return kNumberOptions[static_cast<std::size_t>(option)];
}

const ListOptionInfo& Info(ListOption option) {
    return kListOptions[static_cast<std::size_t>(option)];
}

int ListValue(const Options& options, ListOption option) {
    switch (option) {
        case ListOption::Construction:
            return static_cast<int>(options.construction);
        case ListOption::Shield:
            return static_cast<int>(options.shield);
        case ListOption::Order:
            return static_cast<int>(options.order);
        case ListOption::Grade:
            return options.insulation.grade ? static_cast<int>(*options.insulation.grade) + 1 : 0;
        case ListOption::MaterialGroup:
            return PlaceOf(Info(option), options.insulation.group).value_or(0);
        case ListOption::Overvoltage:
            return PlaceOf(Info(option), options.insulation.overvoltage).value_or(0);
    }
    return 0;
}

bool SetListValue(Options& options, ListOption option, double place) {
    if (!(place >= 0 && place < static_cast<double>(Info(option).names.size())) ||
        std::floor(place) != place)
        return false;
    const int whole = static_cast<int>(place);
    switch (option) {
        case ListOption::Construction:
            options.construction = static_cast<Construction>(whole);
            break;
        case ListOption::Shield:
            options.shield = static_cast<Shield>(whole);
            break;
        case ListOption::Order:
            options.order = static_cast<Order>(whole);
            break;
        case ListOption::Grade:
            options.insulation.grade =
                whole == 0 ? std::nullopt
                           : std::optional(static_cast<insulation::Grade>(whole - 1));
            break;
        case ListOption::MaterialGroup:
            options.insulation.group = Info(option).names[static_cast<std::size_t>(whole)];
            break;
        case ListOption::Overvoltage:
            options.insulation.overvoltage = Info(option).names[static_cast<std::size_t>(whole)];
            break;
    }
    return true;
}

std::optional<int> PlaceOf(const ListOptionInfo& info, std::string_view name) {
    const auto found = std::find(info.names.begin(), info.names.end(), name);
    if (found == info.names.end()) return std::nullopt;
    return static_cast<int>(found - info.names.begin());
}

std::string NamesInWords(const ListOptionInfo& info) {
    std::string words;
    for (std::size_t i = 0; i < info.names.size(); ++i) {
        if (i > 0) words += i + 1 == info.names.size() ? " or " : ", ";
        words += info.names[i];
    }
    return words;
}

std::vector<int> ShownPlaces(const ListOptionInfo& info) {
    if (!info.shown.empty()) return {info.shown.begin(), info.shown.end()};
    std::vector<int> places(info.names.size());
    for (std::size_t place = 0; place < places.size(); ++place)
        places[place] = static_cast<int>(place);
    return places;
}

namespace {

// A held fraction times its scale lands a bit off the number typed (0.07 ×
// 100 is 7.000000000000001): the nearest number of nine decimals is shown
// where it is that close, and it is held again as the same double.
double Shown(double held, double scale) {
    const double shown = held * scale;
    const double snapped = std::round(shown * 1e9) / 1e9;
    return std::abs(snapped - shown) <= 1e-12 * std::abs(shown) && snapped / scale == held ? snapped
                                                                                           : shown;
}

}  // namespace

std::optional<double> HeldValue(const Options& o, NumberOption option) {
    if (const auto* maybe = MaybeHeld(o, option)) return *maybe;
    return *Held(o, option);
}

void SetHeldValue(Options& o, NumberOption option, std::optional<double> held) {
    if (auto* maybe = MaybeHeld(o, option)) {
        *maybe = held;
        return;
    }
    if (held) *Held(o, option) = *held;
}

std::optional<double> ShownValue(const Options& o, NumberOption option) {
    const std::optional<double> held = HeldValue(o, option);
    if (!held) return std::nullopt;
    return Shown(*held, Info(option).shownPerHeld);
}

void SetShownValue(Options& o, NumberOption option, std::optional<double> shown) {
    const double scale = Info(option).shownPerHeld;
    // Nothing leaves an option that is always set as it was.
    SetHeldValue(o, option, shown ? std::optional<double>(*shown / scale) : std::nullopt);
}

OptionProblem CoreNameProblem(const catalogue::Catalogue& parts, const std::string& name) {
    using Kind = OptionProblem::Kind;
    if (auto ambiguity = catalogue::AmbiguousName(parts, name)) {
        return {Kind::AmbiguousCore,
                {},
                name,
                std::move(ambiguity->inCatalogue),
                std::move(ambiguity->elsewhere)};
    }
    return {Kind::UnknownCore, {}, name, catalogue::NearestCoreNames(parts, name)};
}

OptionProblem CheckOptions(const Options& o, const catalogue::Catalogue& parts) {
    using Kind = OptionProblem::Kind;
    if (!o.core.empty() && parts.FindCore(o.core) == nullptr) return CoreNameProblem(parts, o.core);
    for (const std::string& family : o.families) {
        const bool known = std::any_of(parts.cores.begin(), parts.cores.end(),
                                       [&](const auto& core) { return core.family == family; });
        if (!known) return {Kind::UnknownFamily, {}, family};
    }
    if (parts.FindMaterial(o.material) == nullptr) return {Kind::UnknownMaterial, {}, o.material};
    for (const NumberOptionInfo& info : kNumberOptions) {
        const std::optional<double> shown = ShownValue(o, info.option);
        if (shown && !Within(info, *shown))
            return {Kind::OutOfRange, info.option, runtime::decimal::ShortestText(*shown)};
    }
    return {};
}

Combination CheckCombination(const Options& o) {
    if (o.choices.Naux && !o.Vaux_V) return Combination::BiasTurnsWithoutVoltage;
    if (o.order == Order::PSP && o.choices.FixedTurns() && o.choices.Np < 2)
        return Combination::SplitPrimaryTooFew;
    if (o.order == Order::SPS && o.choices.FixedTurns() && o.choices.Ns < 2)
        return Combination::SplitSecondaryTooFew;
    if (o.stack && o.choices.outputs.size() < 2) return Combination::StackOneOutput;
    if (o.stack && o.order == Order::SPS) return Combination::StackSplit;
    return Combination::None;
}

std::string CombinationCaption(Combination combination) {
    switch (combination) {
        case Combination::None:
            return {};
        case Combination::BiasTurnsWithoutVoltage:
            return "给出辅助绕组匝数时须给出辅助绕组的电压。";
        case Combination::SplitPrimaryTooFew:
            return "P-S-P 绕法把初级分成两半，初级至少 2 匝。";
        case Combination::SplitSecondaryTooFew:
            return "S-P-S 绕法把第一路次级分成两半，该次级至少 2 匝。";
        case Combination::StackOneOutput:
            return "叠绕须有至少两路输出。";
        case Combination::StackSplit:
            return "叠绕的各路次级绕成一组，不能按 S-P-S 分成两半夹初级。";
    }
    return {};
}

OptionProblem ReadNumberOption(Options& o, NumberOption option, std::string_view text,
                               bool asHeld) {
    if (text.find_first_not_of(" \t") == std::string_view::npos) {
        SetShownValue(o, option, ShownValue(Options{}, option));
        return {};
    }
    const std::optional<double> number = runtime::ReadWholeNumber(text);
    if (!number) return {OptionProblem::Kind::NotANumber, option, std::string(text)};
    if (asHeld) {
        if (auto* maybe = MaybeHeld(o, option)) {
            *maybe = *number;
        } else {
            *Held(o, option) = *number;
        }
    } else {
        SetShownValue(o, option, number);
    }
    return {};
}

std::string LimitsCaption(const NumberOptionInfo& info) {
    return runtime::decimal::ShortestText(info.low) + " 至 " +
           runtime::decimal::ShortestText(info.high) + UnitAfter(info);
}

std::string OptionProblemCaption(const OptionProblem& p) {
    using Kind = OptionProblem::Kind;
    const NumberOptionInfo& info = Info(p.option);
    switch (p.kind) {
        case Kind::None:
            return {};
        case Kind::UnknownCore: {
            std::string nearest;
            for (const std::string& name : p.nearest)
                nearest += (nearest.empty() ? "" : "、") + name;
            return "目录中没有磁芯“" + p.text + "”" +
                   (nearest.empty() ? "。" : "；最接近的有：" + nearest + "。");
        }
        case Kind::AmbiguousCore: {
            std::string parts;
            for (const catalogue::OtherMeaning& other : p.elsewhere)
                parts += std::string(other.makersZh) + "的 " + std::string(other.part) +
                         (other.catalogued ? "（目录中按此全名）与" : "（目录中没有）与");
            for (const std::string& name : p.nearest)
                parts += "目录中的 " + name + (&name == &p.nearest.back() ? "" : "、");
            return "“" + p.text + "”指不同的磁芯：" + parts + "；请写全名。";
        }
        case Kind::UnknownFamily:
            return "目录中没有磁芯系列“" + p.text + "”。";
        case Kind::UnknownMaterial:
            return "目录中没有材料“" + p.text + "”。";
        case Kind::NotANumber:
            return "“" + std::string(info.caption) + "”不是一个数：" + p.text;
        case Kind::OutOfRange:
            return "“" + std::string(info.caption) + "”须在 " + LimitsCaption(info) +
                   " 之间（现为 " + p.text + UnitAfter(info) + "）。";
    }
    return {};
}

std::optional<double> Settled(NumberOption option, double shown) {
    if (std::isnan(shown)) return std::nullopt;
    const NumberOptionInfo& info = Info(option);
    const double scale = std::pow(10, info.decimals);
    return std::round(std::clamp(shown, info.low, info.high) * scale) / scale;
}

}  // namespace flyback::winding
