#pragma once

#include <array>
#include <string>
#include <string_view>

namespace flyback::runtime::decimal {

// The two conversions between doubles and decimal text that the number texts
// rest on, both correctly rounded and independent of the locale. They use
// std::from_chars and std::to_chars where the standard library has them for
// floating point. The WebAssembly build's library does not, and there the C
// library's strtod and snprintf take their place: in that build's C library
// they round correctly too and never depend on a locale. Both are always
// compiled, so that a test can hold them to each other.

struct Parsed {
    double value = 0;
    bool valid = false;       // the whole text was one number
    bool outOfRange = false;  // too large for a double, or so small it reads as 0
};

using Buffer = std::array<char, 32>;

struct Conversions {
    // Reads a whole decimal number in the syntax [-]digits[.digits][e[+|-]digits]
    // (digits on at least one side of the point).
    Parsed (*parse)(std::string_view text);
    // A finite positive value rounded to 15 significant digits, in scientific
    // form ("1.35416666666667e+02"; trailing zeros may be left out).
    std::string_view (*scientific15)(double value, Buffer& buffer);
    // The shortest text that reads back as the same double, written as
    // std::to_chars writes it without a format: the fixed or the scientific
    // form, whichever is shorter, fixed on a tie ("0.0017578125", "1e+05",
    // "65000", "-0").
    std::string_view (*shortest)(double value, Buffer& buffer);
};

extern const Conversions kCharconv;
extern const Conversions kCLibrary;

// The pair this build uses.
const Conversions& Native();

// Native().shortest as a string: the text every full-precision number is
// written with ("0.0017578125", "1e+05").
std::string ShortestText(double value);

}  // namespace flyback::runtime::decimal
