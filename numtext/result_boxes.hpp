#pragma once

#include <array>
#include <string_view>

namespace flyback::numtext {

// A result box as the user sees it: its index, the caption beside it.
struct ResultBoxInfo {
    int box;
    std::string_view caption;
};

// Result boxes from top to bottom of the window.
inline constexpr std::array<ResultBoxInfo, 7> kResultBoxesOnScreen{{
    {0, "磁芯型号"},
    {6, "初级电感量"},
    {1, "变压器气隙mm"},
    {2, "变压器初级匝数"},
    {3, "变压器次级匝数"},
    {4, "晶体管耐压Vceo"},
    {5, "晶体管电流Isc"},
}};

// The caption of result box `box` (0 to 6).
std::string_view ResultCaption(int box);

}  // namespace flyback::numtext
