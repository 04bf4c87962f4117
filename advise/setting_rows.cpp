#include "advise/setting_rows.hpp"

#include <cmath>
#include <cstddef>

#include "runtime/decimal_conversion.hpp"

namespace flyback::advise {

const SettingNumberInfo& Info(SettingNumber number) {
    return kSettingNumbers[static_cast<std::size_t>(number)];
}

double SettingValue(const Settings& settings, SettingNumber number) {
    if (!IsWeight(number)) return settings.top;
    return settings.weights[static_cast<std::size_t>(number)];
}

bool SetSettingValue(Settings& settings, SettingNumber number, double value) {
    const SettingNumberInfo& info = Info(number);
    if (!(value >= info.low && value <= info.high)) return false;
    if (info.decimals == 0 && std::floor(value) != value) return false;
    if (IsWeight(number)) {
        settings.weights[static_cast<std::size_t>(number)] = value;
    } else {
        settings.top = static_cast<int>(value);
    }
    return true;
}

std::string LimitsInWords(const SettingNumberInfo& info) {
    const std::string range = runtime::decimal::ShortestText(info.low) + " to " +
                              runtime::decimal::ShortestText(info.high);
    return info.decimals == 0 ? "a whole number from " + range : "from " + range;
}

std::string RefusedCaption(const SettingNumberInfo& info, std::string_view typed) {
    const std::string name = (IsWeight(info.number) ? std::string(kWeightsCaption) : "") + "“" +
                             std::string(info.caption) + "”";
    const std::string range = runtime::decimal::ShortestText(info.low) + " 至 " +
                              runtime::decimal::ShortestText(info.high);
    return name + (info.decimals == 0 ? "须为 " + range + " 的整数" : "须在 " + range + " 之间") +
           "（现为 " + std::string(typed) + "）。";
}

std::optional<std::string> SettingsProblem(const Settings& settings) {
    if (settings.rank == Rank::Weighted && !WeightsUsable(settings.weights))
        return std::string("加权排序的权重不能都为 0。");
    return std::nullopt;
}

}  // namespace flyback::advise
