#include "runtime/number_text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <system_error>

#include "runtime/error.hpp"

namespace flyback::runtime {
namespace {

bool IsIgnorable(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number found at the start of a text, with the ignorable characters
// removed, plus what is needed to tell an overflow from an underflow.
struct ScannedNumber {
    std::string text;  // "-12.5e+3", ready for std::from_chars
    bool negative = false;
    bool hasDigits = false;
    std::int64_t leadingExponent = 0;  // decimal exponent of the first non-zero digit
    bool hasNonZeroDigit = false;
};

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    ScannedNumber Scan() {
        ScanSign();
        ScanMantissa();
        if (result_.hasDigits) ScanExponent();
        return std::move(result_);
    }

  private:
    // Next character that counts, or '\0' at the end.
    char Peek() {
        while (pos_ < text_.size() && IsIgnorable(text_[pos_])) ++pos_;
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }

    void ScanSign() {
        const char c = Peek();
        if (c == '+' || c == '-') {
            result_.negative = c == '-';
            result_.text += c;
            ++pos_;
        }
    }

    void ScanMantissa() {
        bool seenPoint = false;
        std::int64_t integerDigits = 0;  // significant digits before the point
        std::int64_t fractionZeros = 0;  // zeros after the point before the first non-zero
        for (char c = Peek();; c = Peek()) {
            if (IsDigit(c)) {
                result_.hasDigits = true;
                if (c != '0' || result_.hasNonZeroDigit) {
                    if (!seenPoint) ++integerDigits;
                    result_.hasNonZeroDigit = true;
                } else if (seenPoint) {
                    ++fractionZeros;
                }
            } else if (c == '.' && !seenPoint) {
                seenPoint = true;
            } else {
                break;
            }
            result_.text += c;
            ++pos_;
        }
        result_.leadingExponent = integerDigits > 0 ? integerDigits - 1 : -(fractionZeros + 1);
    }

    // The exponent is only taken when at least one digit follows it: "1e" is 1.
    void ScanExponent() {
        const char marker = Peek();
        if (marker != 'e' && marker != 'E') return;
        const std::size_t markerPos = pos_++;
        std::string exponent = "e";
        bool negative = false;
        if (const char c = Peek(); c == '+' || c == '-') {
            negative = c == '-';
            exponent += c;
            ++pos_;
        }
        std::int64_t value = 0;
        bool hasDigits = false;
        for (char c = Peek(); IsDigit(c); c = Peek()) {
            hasDigits = true;
            value = std::min<std::int64_t>(value * 10 + (c - '0'), kExponentCap);
            exponent += c;
            ++pos_;
        }
        if (!hasDigits) {
            pos_ = markerPos;
            return;
        }
        result_.text += exponent;
        result_.leadingExponent += negative ? -value : value;
    }

    // Far beyond any double's range, small enough that sums cannot overflow.
    static constexpr std::int64_t kExponentCap = std::int64_t{1} << 40;

    std::string_view text_;
    std::size_t pos_ = 0;
    ScannedNumber result_;
};

double SignedZero(bool negative) {
    return negative ? -0.0 : 0.0;
}

}  // namespace

double NumberFromText(std::string_view text) {
    const ScannedNumber number = Scanner(text).Scan();
    if (!number.hasDigits) return 0.0;
    const char* first = number.text.data();
    const char* last = first + number.text.size();
    if (*first == '+') ++first;  // std::from_chars accepts only '-'
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        if (number.hasNonZeroDigit && number.leadingExponent >= 0) {
            throw RuntimeError(ErrorKind::Overflow);
        }
        return SignedZero(number.negative);
    }
    if (error != std::errc{} || end != last) return SignedZero(number.negative);
    return value;
}

namespace {

// Digits and decimal exponent of a value rounded to 15 significant digits.
struct Decimal {
    std::string digits;  // no trailing zeros, at least one digit
    int exponent = 0;    // of the first digit
};

Decimal ToDecimal(double magnitude) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::scientific, 14);
    const std::string_view text(buffer.data(), result.ptr - buffer.data());
    const std::size_t e = text.find('e');
    Decimal decimal;
    decimal.digits += text[0];
    decimal.digits += text.substr(2, e - 2);
    while (decimal.digits.size() > 1 && decimal.digits.back() == '0') decimal.digits.pop_back();
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(),
                    decimal.exponent);
    return decimal;
}

std::string FixedForm(const Decimal& d) {
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent < 0) return "0." + std::string(-d.exponent - 1, '0') + d.digits;
    if (d.exponent + 1 >= count) return d.digits + std::string(d.exponent + 1 - count, '0');
    return d.digits.substr(0, d.exponent + 1) + "." + d.digits.substr(d.exponent + 1);
}

std::string ExponentForm(const Decimal& d) {
    std::string text = d.digits.substr(0, 1);
    if (d.digits.size() > 1) text += "." + d.digits.substr(1);
    const int magnitude = std::abs(d.exponent);
    text += d.exponent < 0 ? "E-" : "E+";
    if (magnitude < 10) text += '0';
    return text + std::to_string(magnitude);
}

}  // namespace

std::string NumberText(double value) {
    if (value == 0.0) return " 0";
    // The checked arithmetic never produces these; render them readably anyway.
    if (std::isnan(value)) return " NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : " Inf";
    const Decimal decimal = ToDecimal(std::abs(value));
    const bool exponentForm = decimal.exponent >= 15 || decimal.exponent < -15;
    return (value < 0 ? "-" : " ") + (exponentForm ? ExponentForm(decimal) : FixedForm(decimal));
}

}  // namespace flyback::runtime
