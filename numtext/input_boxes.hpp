#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace flyback::numtext {

// An input box as the user sees it: the caption beside it and the unit its
// number is typed in.
struct InputBoxInfo {
    std::string_view caption;
    std::string_view unit;
};

// Input boxes, index 0 to 5, which is also their order from top to bottom.
inline constexpr std::array<InputBoxInfo, 6> kInputBoxes{{
    {"输出功率 W", "W"},
    {"最大输入电压V", "V"},
    {"最小输入电压V", "V"},
    {"工作频率f(KHz)", "kHz"},
    {"工作效率(估计)%", "%"},
    {"输出电压 V", "V"},
}};

// The longest text, in UTF-8 bytes, that an input box takes: what one
// flyback-calc --jsonl request line may hold. The window and the page refuse a
// longer paste rather than cut it.
inline constexpr std::size_t kMaxInputText = std::size_t{1} << 20;
inline constexpr std::string_view kTextTooLongMessage =
    "文本超过 1 MiB（1048576 字节），未被接受；输入框中的文本保持不变。";

}  // namespace flyback::numtext
