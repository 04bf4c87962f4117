#include "cli/table.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "numtext/boxes.hpp"

namespace flyback::cli {
namespace {

// Terminal columns of a UTF-8 text: the Chinese captions take two a character.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

}  // namespace

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
