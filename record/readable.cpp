#include "record/readable.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace flyback::record {
namespace {

constexpr int kDigits = 4;
constexpr std::string_view kMinus = "−";

// The value's four significant digits and the power of ten of the first,
// correctly rounded (9.9996 is 1.000 and 1).
struct Rounded {
    std::string digits;  // four
    int exponent = 0;
};

Rounded RoundTo4(double magnitude) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.*e", kDigits - 1, magnitude);
    Rounded r;
    const char* p = text.data();
    for (; *p != 'e' && *p != '\0'; ++p) {
        if (*p >= '0' && *p <= '9') r.digits += *p;  // the point may be a comma
    }
    r.exponent = std::atoi(p + 1);
    return r;
}

// The digits with the point after `whole` of them, zeros padding either side,
// trailing zeros after the point dropped: ("4346", 3) is "434.6".
std::string Place(const std::string& digits, int whole) {
    std::string text;
    if (whole <= 0) {
        text = "0." + std::string(static_cast<std::size_t>(-whole), '0') + digits;
    } else if (whole >= static_cast<int>(digits.size())) {
        text = digits + std::string(static_cast<std::size_t>(whole) - digits.size(), '0');
    } else {
        text = digits.substr(0, static_cast<std::size_t>(whole)) + "." +
               digits.substr(static_cast<std::size_t>(whole));
    }
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

std::string Superscript(int exponent) {
    static constexpr std::array<std::string_view, 10> kDigitsUp = {"⁰", "¹", "²", "³", "⁴",
                                                                   "⁵", "⁶", "⁷", "⁸", "⁹"};
    std::string text = exponent < 0 ? "⁻" : "";
    for (const char c : std::to_string(std::abs(exponent))) text += kDigitsUp[c - '0'];
    return text;
}

bool TakesPrefix(std::string_view unit) {
    for (const std::string_view si : {"H", "A", "V", "Hz", "J", "W", "Ω", "F", "s"}) {
        if (unit == si) return true;
    }
    return false;
}

// From femto to giga: a clamp capacitor of 760 pF, a leakage of 5 nH, a
// resistance of 1.2 GΩ are written as engineers write them.
constexpr int kSmallestPrefix = -5, kLargestPrefix = 3;

std::string_view Prefix(int thousands) {
    static constexpr std::array<std::string_view, 9> kPrefixes = {"f", "p", "n", "µ", "m",
                                                                  "",  "k", "M", "G"};
    return kPrefixes.at(static_cast<std::size_t>(thousands - kSmallestPrefix));
}

std::string Plain(const Rounded& r) {
    if (r.exponent >= -3 && r.exponent <= 5) return Place(r.digits, r.exponent + 1);
    return Place(r.digits, 1) + "×10" + Superscript(r.exponent);
}

}  // namespace

std::string_view ReadableUnit(std::string_view unit) {
    if (unit == "turns") return "匝";
    if (unit == "gauss") return "Gs";
    if (unit == "gauss·cm") return "Gs·cm";
    return unit;
}

std::string ReadableNumber(double value) {
    if (std::isnan(value)) return "—";
    if (value == 0) return "0";
    if (std::isinf(value)) return value < 0 ? std::string(kMinus) + "∞" : "∞";
    const std::string sign = value < 0 ? std::string(kMinus) : "";
    return sign + Plain(RoundTo4(std::fabs(value)));
}

std::string ReadableValue(double value, std::string_view unit) {
    const std::string_view shown = ReadableUnit(unit);
    const auto withUnit = [&](std::string number, std::string_view prefix = {}) {
        if (shown.empty()) return number;
        return number + " " + std::string(prefix) + std::string(shown);
    };
    if (std::isnan(value)) return "—";
    if (value == 0 || std::isinf(value) || !TakesPrefix(unit)) {
        return withUnit(ReadableNumber(value));
    }
    const Rounded r = RoundTo4(std::fabs(value));
    int thousands = r.exponent >= 0 ? r.exponent / 3 : -((2 - r.exponent) / 3);
    if (thousands < kSmallestPrefix || thousands > kLargestPrefix)
        return withUnit(ReadableNumber(value));
    const std::string sign = value < 0 ? std::string(kMinus) : "";
    return withUnit(sign + Place(r.digits, r.exponent - 3 * thousands + 1), Prefix(thousands));
}

UnitScale ScaleFor(double magnitude, std::string_view unit) {
    const std::string shown(ReadableUnit(unit));
    if (!TakesPrefix(unit) || !(magnitude > 0) || !std::isfinite(magnitude)) return {shown, 1};
    const int thousands = std::clamp(static_cast<int>(std::floor(std::log10(magnitude) / 3)),
                                     kSmallestPrefix, kLargestPrefix);
    // The decimal text of the power, so that the divisor is exact (1e-06).
    std::array<char, 16> power{};
    std::snprintf(power.data(), power.size(), "1e%d", 3 * thousands);
    return {std::string(Prefix(thousands)) + shown, std::strtod(power.data(), nullptr)};
}

}  // namespace flyback::record
