#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace flyback::pins {

// The first pin of each winding's pair: the primary's (its start at the
// switch's drain), the bias winding's on the same side, and the first
// secondary's on the far side, each further secondary the next pair. The
// build sheet numbers its windings by them and a design file keeps them.
struct Pins {
    int primary = 1;
    int bias = 3;
    int secondary = 6;
};
inline constexpr int kHighestPin = 99;

// The pins as typed: "1,3,6" (primary, bias, secondaries; blanks and a
// full-width comma allowed, an empty text the defaults); nothing for any other
// text. PinsText writes them back.
std::optional<Pins> ReadPins(std::string_view text);
inline constexpr std::string_view kPinsUnread = "引脚须为三个整数，以逗号分开，如 1,3,6。";
std::string PinsText(const Pins& pins);

}  // namespace flyback::pins
