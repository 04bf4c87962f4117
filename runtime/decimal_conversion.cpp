#include "runtime/decimal_conversion.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace flyback::runtime::decimal {
namespace {

constexpr int kDigits = 15;

// Defined by a standard library that converts floating point with <charconv>.
#ifdef __cpp_lib_to_chars
Parsed ParseWithCharconv(std::string_view text) {
    Parsed parsed;
    const char* const last = text.data() + text.size();
    const auto [end, error] =
        std::from_chars(text.data(), last, parsed.value, std::chars_format::general);
    parsed.outOfRange = error == std::errc::result_out_of_range;
    parsed.valid = (error == std::errc{} || parsed.outOfRange) && end == last;
    return parsed;
}

std::string_view ShortestWithCharconv(double value, Buffer& buffer) {
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())};
}

std::string_view Scientific15WithCharconv(double value, Buffer& buffer) {
    char* const first = buffer.data();
    char* const last = first + buffer.size();
    // The shortest text that reads back as the same double is the value rounded
    // to 15 digits whenever it has at most 15: every 15-digit decimal survives the
    // trip through a normal double. Only longer ones, and the subnormals with their
    // lesser precision, need the slower explicit rounding.
    auto result = std::to_chars(first, last, value, std::chars_format::scientific);
    const std::string_view shortest(first, static_cast<std::size_t>(result.ptr - first));
    const std::size_t mantissaLength = shortest.find('e');
    const bool hasPoint = mantissaLength > 1;
    if (mantissaLength - hasPoint <= kDigits && value >= DBL_MIN) return shortest;
    result = std::to_chars(first, last, value, std::chars_format::scientific, kDigits - 1);
    return {first, static_cast<std::size_t>(result.ptr - first)};
}
#endif

Parsed ParseWithCLibrary(std::string_view text) {
    const std::string terminated(text);  // strtod reads up to a NUL
    char* end = nullptr;
    errno = 0;
    Parsed parsed;
    parsed.value = std::strtod(terminated.c_str(), &end);
    // Like std::from_chars: a subnormal result is a value, not out of range.
    parsed.outOfRange = errno == ERANGE && (parsed.value == 0 || std::isinf(parsed.value));
    parsed.valid = !terminated.empty() && end == terminated.c_str() + terminated.size();
    return parsed;
}

std::string_view Scientific15WithCLibrary(double value, Buffer& buffer) {
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.*e", kDigits - 1, value);
    return {buffer.data(), static_cast<std::size_t>(length)};
}

// A decimal as significant digits (no leading or trailing zeros) and the
// exponent of the first one: 0.00175 is "175" and -3.
struct Digits {
    std::string digits;
    int exponent = 0;
};

Digits DigitsOf(double magnitude, int count) {
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "%.*e", count - 1, magnitude);
    Digits d;
    const char* p = text.data();
    for (; *p != 'e'; ++p) {
        if (*p != '.') d.digits += *p;
    }
    d.exponent = std::atoi(p + 1);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

bool ReadsBackAs(const Digits& d, double magnitude) {
    const int lastDigitExponent = d.exponent - (static_cast<int>(d.digits.size()) - 1);
    const std::string text = d.digits + "e" + std::to_string(lastDigitExponent);
    return std::strtod(text.c_str(), nullptr) == magnitude;
}

// The same digits one unit in the last place away, up or down ("175" up is "176").
Digits Neighbour(Digits d, int step) {
    int i = static_cast<int>(d.digits.size()) - 1;
    if (step > 0) {
        for (; i >= 0 && d.digits[i] == '9'; --i) d.digits[i] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[i];
        }
    } else {
        for (; i >= 0 && d.digits[i] == '0'; --i) d.digits[i] = '9';
        if (i >= 0) --d.digits[i];
        if (d.digits.size() > 1 && d.digits.front() == '0') {
            d.digits.erase(d.digits.begin());
            --d.exponent;
        }
    }
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// The fewest significant digits that read back as `magnitude`; among those, the
// closest to it. Reading back holds for every length from the shortest on, so
// the length is searched by halving. Only at a power of two, where the
// rounding interval below is half as wide as above, may a neighbour of the
// correctly rounded digits read back where they do not: there every length is
// tried with its neighbours.
Digits ShortestDigits(double magnitude) {
    constexpr int kMostDigits = 17;
    int binaryExponent = 0;
    if (std::frexp(magnitude, &binaryExponent) == 0.5) {
        for (int count = 1; count < kMostDigits; ++count) {
            Digits rounded = DigitsOf(magnitude, count);
            if (ReadsBackAs(rounded, magnitude)) return rounded;
            for (const int step : {-1, 1}) {
                Digits near = Neighbour(rounded, step);
                if (near.digits.size() <= static_cast<std::size_t>(count) &&
                    ReadsBackAs(near, magnitude)) {
                    return near;
                }
            }
        }
        return DigitsOf(magnitude, kMostDigits);
    }
    int low = 1, high = kMostDigits;  // high always reads back
    while (low < high) {
        const int middle = (low + high) / 2;
        if (ReadsBackAs(DigitsOf(magnitude, middle), magnitude)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return DigitsOf(magnitude, high);
}

std::string Scientific(const Digits& d) {
    std::string text = d.digits.substr(0, 1);
    if (d.digits.size() > 1) text += "." + d.digits.substr(1);
    const int exponent = std::abs(d.exponent);
    return text + (d.exponent < 0 ? "e-" : "e+") + (exponent < 10 ? "0" : "") +
           std::to_string(exponent);
}

// A whole number in the fixed form is written with its exact digits, not the
// shortest ones padded with zeros, as printf's %.0f writes it.
std::string Fixed(const Digits& d, double magnitude) {
    const int length = static_cast<int>(d.digits.size());
    if (d.exponent < 0) return "0." + std::string(-d.exponent - 1, '0') + d.digits;
    if (d.exponent + 1 >= length) {
        std::array<char, 320> whole{};
        std::snprintf(whole.data(), whole.size(), "%.0f", magnitude);
        return whole.data();
    }
    return d.digits.substr(0, d.exponent + 1) + "." + d.digits.substr(d.exponent + 1);
}

std::string_view ShortestWithCLibrary(double value, Buffer& buffer) {
    std::string text;
    if (std::isnan(value)) {
        text = std::signbit(value) ? "-nan" : "nan";
    } else if (std::isinf(value)) {
        text = value < 0 ? "-inf" : "inf";
    } else if (value == 0) {
        text = std::signbit(value) ? "-0" : "0";
    } else {
        const Digits d = ShortestDigits(std::fabs(value));
        const std::string fixed = Fixed(d, std::fabs(value)), scientific = Scientific(d);
        text = (value < 0 ? "-" : "") + (fixed.size() <= scientific.size() ? fixed : scientific);
    }
    const std::size_t length = std::min(text.size(), buffer.size());
    std::copy_n(text.begin(), length, buffer.begin());
    return {buffer.data(), length};
}

}  // namespace

const Conversions kCLibrary{ParseWithCLibrary, Scientific15WithCLibrary, ShortestWithCLibrary};
#ifdef __cpp_lib_to_chars
const Conversions kCharconv{ParseWithCharconv, Scientific15WithCharconv, ShortestWithCharconv};
#else
const Conversions kCharconv = kCLibrary;  // never chosen: there is no <charconv> path
#endif

const Conversions& Native() {
#ifdef __cpp_lib_to_chars
    return kCharconv;
#else
    return kCLibrary;
#endif
}

std::string ShortestText(double value) {
    Buffer buffer{};
    return std::string(Native().shortest(value, buffer));
}

}  // namespace flyback::runtime::decimal
