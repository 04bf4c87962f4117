#include "pins/pins.hpp"

#include <array>
#include <cmath>

#include "runtime/number_text.hpp"

namespace flyback::pins {

std::optional<Pins> ReadPins(std::string_view text) {
    std::string plain(text);
    for (std::size_t at; (at = plain.find("，")) != std::string::npos;) plain.replace(at, 3, ",");
    if (plain.find_first_not_of(" \t") == std::string::npos) return Pins{};
    std::array<int, 3> numbers{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const std::size_t comma = plain.find(',', start);
        if ((comma == std::string::npos) != (i + 1 == numbers.size())) return std::nullopt;
        const std::optional<double> number =
            runtime::ReadWholeNumber(std::string_view(plain).substr(start, comma - start));
        if (!number || *number != std::floor(*number) || std::abs(*number) > 1e6)
            return std::nullopt;
        numbers[i] = static_cast<int>(*number);
        start = comma + 1;
    }
    return Pins{numbers[0], numbers[1], numbers[2]};
}

std::string PinsText(const Pins& pins) {
    return std::to_string(pins.primary) + "," + std::to_string(pins.bias) + "," +
           std::to_string(pins.secondary);
}

}  // namespace flyback::pins
