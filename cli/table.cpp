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

void PrintAligned(const std::vector<CaptionedRow>& rows, std::ostream& out, std::size_t column) {
    for (const auto& [caption, text] : rows) column = std::max(column, DisplayWidth(caption));
    for (const auto& [caption, text] : rows) {
        out << caption << std::string(column + 1 - DisplayWidth(caption), ' ') << text << '\n';
    }
}

// The column is that of every caption, reached or not, so that a faulting
// press's table lines up as a complete one does.
void PrintTable(const numtext::PressOutcome& outcome, std::ostream& out) {
    std::size_t column = 0;
    std::vector<CaptionedRow> rows;
    for (const auto& info : numtext::kResultBoxesOnScreen) {
        column = std::max(column, DisplayWidth(info.caption));
        if (const std::string* text = outcome.Text(info.box))
            rows.emplace_back(info.caption, *text);
    }
    PrintAligned(rows, out, column);
}

}  // namespace flyback::cli
