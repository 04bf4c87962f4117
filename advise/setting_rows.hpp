#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "advise/advise.hpp"

// The adviser's numbers as rows, like the plan's options: the caption and
// unit a box shows, the limits (both included), where the window and the
// page keep the value, the command line's help. The command line, the
// window's 方案比较 and the page's read and check each through them.
namespace flyback::advise {

enum class SettingNumber { LossWeight, RiseWeight, VolumeWeight, Top };

struct SettingNumberInfo {
    SettingNumber number;
    std::string_view caption;      // "损耗"
    std::string_view unit;         // "/W": a weight is per unit of what it weighs
    double low, high;              // both included
    int decimals;                  // as a box shows it; 0: a whole number
    double step;                   // a box's step
    std::string_view pageKey;      // the page's box and store: "weightLoss"
    std::string_view settingsKey;  // the window's kept value: "compare/weightLoss"
    std::string_view help;         // the command line's
};

// The weights as --weights takes them, in its order; then how many to list.
inline constexpr SettingNumberInfo kSettingNumbers[] = {
    {SettingNumber::LossWeight, "损耗", "/W", 0, kMostWeight, 2, 0.1, "weightLoss",
     "compare/weightLoss", "per W of total loss"},
    {SettingNumber::RiseWeight, "温升", "/K", 0, kMostWeight, 2, 0.1, "weightRise",
     "compare/weightRise", "per K of rise"},
    {SettingNumber::VolumeWeight, "体积", "/cm³", 0, kMostWeight, 2, 0.1, "weightVolume",
     "compare/weightVolume", "per cm³ of core"},
    {SettingNumber::Top, "列出", "个", 1, 1000, 0, 1, "topCount", "compare/top",
     "how many to list"},
};
// What the weights' boxes stand under, and what a box shows beside them.
inline constexpr std::string_view kWeightsCaption = "权重";
// The weights, in --weights' order.
inline constexpr SettingNumber kWeights[] = {SettingNumber::LossWeight, SettingNumber::RiseWeight,
                                             SettingNumber::VolumeWeight};
inline constexpr bool IsWeight(SettingNumber number) {
    return number != SettingNumber::Top;
}

const SettingNumberInfo& Info(SettingNumber number);

double SettingValue(const Settings& settings, SettingNumber number);
// False where the value is not within the row's limits (or, for a whole
// number, a fraction): the setting is left as it was.
bool SetSettingValue(Settings& settings, SettingNumber number, double value);

// The row's limits in words: "0 to 1e+06", "a whole number from 1 to 1000".
std::string LimitsInWords(const SettingNumberInfo& info);

// The text typed into a row's box refused, in Chinese: "“列出”须为 1 至
// 1000 的整数（现为 2.5）。".
std::string RefusedCaption(const SettingNumberInfo& info, std::string_view typed);

// Why the numbers cannot be weighed together, in Chinese, or nothing: every
// weight 0 leaves the weighted rank nothing to rank by.
std::optional<std::string> SettingsProblem(const Settings& settings);

}  // namespace flyback::advise
