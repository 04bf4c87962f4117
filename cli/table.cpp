#include "cli/table.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "numtext/boxes.hpp"

namespace flyback::cli {

std::size_t DisplayWidth(std::string_view text) {
    constexpr char32_t kFirstWide = 0x2E80;  // the CJK radicals, and all after them
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t point = length == 3 ? lead & 0x0F : lead & 0x07;
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        width += length >= 3 && point >= kFirstWide ? 2 : 1;
        i += length;
    }
    return width;
}

void PrintTable(const numtext::PressOutcome& outcome, std::ostream& out) {
    std::size_t column = 0;
    for (const auto& info : numtext::kResultBoxesOnScreen) {
        column = std::max(column, DisplayWidth(info.caption));
    }
    for (const auto& info : numtext::kResultBoxesOnScreen) {
        const std::string* text = outcome.Text(info.box);
        if (text == nullptr) continue;
        out << info.caption << std::string(column + 1 - DisplayWidth(info.caption), ' ') << *text
            << '\n';
    }
}

}  // namespace flyback::cli
