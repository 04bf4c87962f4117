#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "design/calculate.hpp"

namespace flyback::numtext {

// Every fact about the window's boxes, written once: the window's form and the
// page show these captions, messages and reports name the boxes by them, and
// --details names the values by the symbols.

inline constexpr int kInputCount = 6;
inline constexpr int kResultCount = 7;

// The input boxes, in their order from top to bottom, which is also their
// index: Text1(0) is the power.
enum class Input { Power, MaxVoltage, MinVoltage, Frequency, Efficiency, OutputVoltage };

constexpr int Index(Input input) {
    return static_cast<int>(input);
}

struct InputBoxInfo {
    Input input;
    std::string_view caption;  // beside the box
    std::string_view unit;     // the number is typed in
    std::string_view symbol;   // of its value in the formulas
};

inline constexpr std::array<InputBoxInfo, kInputCount> kInputBoxes{{
    {Input::Power, "输出功率 W", "W", "P"},
    {Input::MaxVoltage, "最大输入电压V", "V", "Vmax"},
    {Input::MinVoltage, "最小输入电压V", "V", "Vmin"},
    {Input::Frequency, "工作频率f(KHz)", "kHz", "f"},
    {Input::Efficiency, "工作效率(估计)%", "%", "eta"},
    {Input::OutputVoltage, "输出电压 V", "V", "Vo"},
}};

struct ResultBoxInfo {
    int box;  // Text2(box), as the calculation addresses it
    int row;  // on screen, 0 at the top
    std::string_view caption;
    design::Published published;  // the result it shows
    std::string_view symbol;      // of that result's quantity
};

// By box index.
inline constexpr std::array<ResultBoxInfo, kResultCount> kResultBoxes{{
    {0, 0, "磁芯型号", design::Published::CoreType, "core"},
    {1, 2, "变压器气隙mm", design::Published::GapLength, "gap"},
    {2, 3, "变压器初级匝数", design::Published::PrimaryTurns, "Np"},
    {3, 4, "变压器次级匝数", design::Published::SecondaryTurns, "Ns"},
    {4, 5, "晶体管耐压Vceo", design::Published::SwitchVoltage, "Vceo"},
    {5, 6, "晶体管电流Isc", design::Published::SwitchCurrent, "Isc"},
    {6, 1, "初级电感量", design::Published::PrimaryInductance, "Lp"},
}};

// The same boxes from top to bottom of the window.
inline constexpr std::array<ResultBoxInfo, kResultCount> kResultBoxesOnScreen = [] {
    std::array<ResultBoxInfo, kResultCount> rows = kResultBoxes;
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.row < b.row; });
    return rows;
}();

// The result box that shows a published result.
constexpr int ResultBox(design::Published which) {
    for (const ResultBoxInfo& info : kResultBoxes) {
        if (info.published == which) return info.box;
    }
    return -1;
}

constexpr std::string_view ResultCaption(int box) {
    return kResultBoxes.at(static_cast<std::size_t>(box)).caption;
}

// The longest text, in UTF-8 bytes, that an input box takes: what one
// flyback-calc --jsonl request line may hold. The window and the page refuse a
// longer paste rather than cut it.
inline constexpr std::size_t kMaxInputText = std::size_t{1} << 20;
inline constexpr std::string_view kTextTooLongMessage =
    "文本超过 1 MiB（1048576 字节），未被接受；输入框中的文本保持不变。";

// What Enter in an input box says: it calculates nothing, as on the desktop
// the form was made for, and this is what does.
inline constexpr std::string_view kHowToCalculate =
    "按 => 按钮计算（按钮有焦点时也可按回车键或空格键）";

}  // namespace flyback::numtext
