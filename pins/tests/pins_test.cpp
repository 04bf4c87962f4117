#include "pins/pins.hpp"

#include <gtest/gtest.h>

#include <array>

namespace flyback::pins {
namespace {

// Three whole numbers, blanks and a full-width comma allowed; anything else
// is not pins. A negative pin reads, and the build sheet's check names it.
TEST(PinsTest, PinsAreReadAsTyped) {
    const struct {
        const char* text;
        std::optional<std::array<int, 3>> pins;
    } cases[] = {
        {"", std::array{1, 3, 6}},
        {" 2, 4 ,8", std::array{2, 4, 8}},
        {"1，3，6", std::array{1, 3, 6}},
        {"1,3", {}},
        {"1,3,6,8", {}},
        {"1,3.5,6", {}},
        {"a,b,c", {}},
        {"1,,6", {}},
        {"1e99,3,6", {}},
        {"-1,3,6", std::array{-1, 3, 6}},  // named by the check
    };
    for (const auto& c : cases) {
        const std::optional<Pins> pins = ReadPins(c.text);
        ASSERT_EQ(pins.has_value(), c.pins.has_value()) << c.text;
        if (!pins) continue;
        EXPECT_EQ((std::array{pins->primary, pins->bias, pins->secondary}), *c.pins) << c.text;
        EXPECT_EQ(ReadPins(PinsText(*pins))->secondary, pins->secondary);
    }
}

}  // namespace
}  // namespace flyback::pins
