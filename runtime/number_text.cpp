#include "runtime/number_text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "runtime/decimal_conversion.hpp"
#include "runtime/error.hpp"

namespace flyback::runtime {
namespace {

bool IsIgnorable(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A character as the number syntax sees it, and how many bytes of the text it
// takes. A Chinese input method types full-width digits, signs, point and
// exponent letter, the ideographic space and, in Chinese punctuation mode, the
// ideographic full stop for the period key: each reads as its ASCII
// counterpart. Any other byte stands for itself and stops a number.
struct TextCharacter {
    char ascii;
    std::size_t width;
};

TextCharacter CharacterAt(std::string_view text, std::size_t pos) {
    const char c = text[pos];
    if (static_cast<unsigned char>(c) < 0x80 || text.size() - pos < 3) return {c, 1};
    const auto second = static_cast<unsigned char>(text[pos + 1]);
    const auto third = static_cast<unsigned char>(text[pos + 2]);
    if (c == '\xEF' && second == 0xBC) {  // U+FF00 to U+FF3F
        if (third >= 0x90 && third <= 0x99) return {static_cast<char>('0' + third - 0x90), 3};
        if (third == 0x8B) return {'+', 3};
        if (third == 0x8D) return {'-', 3};
        if (third == 0x8E) return {'.', 3};
        if (third == 0xA5) return {'E', 3};
    }
    if (c == '\xEF' && second == 0xBD && third == 0x85) return {'e', 3};  // U+FF45
    if (c == '\xE3' && second == 0x80) {
        if (third == 0x80) return {' ', 3};  // U+3000 ideographic space
        if (third == 0x82) return {'.', 3};  // U+3002 ideographic full stop
    }
    return {c, 1};
}

// Where the number at the start of a text stands, plus what is needed to read
// it quickly and to tell an overflow from an underflow.
struct ScannedNumber {
    std::size_t begin = 0;   // first character of the number (its sign or first digit)
    std::size_t end = 0;     // one past its last character
    bool needsCopy = false;  // ignorables inside it, or full-width characters
    bool negative = false;
    bool hasDigits = false;
    bool hasNonZeroDigit = false;
    std::int64_t leadingExponent = 0;  // decimal exponent of the first non-zero digit
    // Set for a number of at most 15 digits with no point and no exponent, which a
    // double holds exactly: most typed inputs, read without the general parser.
    std::optional<std::int64_t> smallInteger;
};

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    ScannedNumber Scan() {
        Peek();
        result_.begin = result_.end = pos_;
        ScanSign();
        ScanMantissa();
        if (result_.hasDigits) ScanExponent();
        return result_;
    }

  private:
    // Next character that counts, or '\0' at the end.
    char Peek() {
        for (; pos_ < text_.size(); pos_ += next_.width) {
            next_ = CharacterAt(text_, pos_);
            if (!IsIgnorable(next_.ascii)) return next_.ascii;
        }
        return '\0';
    }

    // Takes the character the last Peek returned.
    void Consume() {
        if (pos_ != result_.end || next_.width > 1) result_.needsCopy = true;
        pos_ += next_.width;
        result_.end = pos_;
    }

    void ScanSign() {
        const char c = Peek();
        if (c == '+' || c == '-') {
            result_.negative = c == '-';
            Consume();
        }
    }

    void ScanMantissa() {
        bool seenPoint = false;
        int digitCount = 0;
        std::int64_t integerValue = 0;
        std::int64_t integerDigits = 0;  // significant digits before the point
        std::int64_t fractionZeros = 0;  // zeros after the point before the first non-zero
        for (char c = Peek();; c = Peek()) {
            if (IsDigit(c)) {
                result_.hasDigits = true;
                if (++digitCount <= kMaxExactDigits) integerValue = integerValue * 10 + (c - '0');
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
            Consume();
        }
        result_.leadingExponent = integerDigits > 0 ? integerDigits - 1 : -(fractionZeros + 1);
        if (result_.hasDigits && !seenPoint && digitCount <= kMaxExactDigits) {
            result_.smallInteger = integerValue;
        }
    }

    // The exponent is only taken when at least one digit follows it: "1e" is 1.
    void ScanExponent() {
        const char marker = Peek();
        if (marker != 'e' && marker != 'E') return;
        const ScannedNumber mantissaOnly = result_;
        Consume();
        bool negative = false;
        if (const char c = Peek(); c == '+' || c == '-') {
            negative = c == '-';
            Consume();
        }
        std::int64_t value = 0;
        bool hasDigits = false;
        for (char c = Peek(); IsDigit(c); c = Peek()) {
            hasDigits = true;
            value = std::min<std::int64_t>(value * 10 + (c - '0'), kExponentCap);
            Consume();
        }
        if (!hasDigits) {
            result_ = mantissaOnly;
            return;
        }
        result_.smallInteger.reset();
        result_.leadingExponent += negative ? -value : value;
    }

    static constexpr int kMaxExactDigits = 15;
    // Far beyond any double's range, small enough that sums cannot overflow.
    static constexpr std::int64_t kExponentCap = std::int64_t{1} << 40;

    std::string_view text_;
    std::size_t pos_ = 0;
    TextCharacter next_{'\0', 1};
    ScannedNumber result_;
};

// The number's characters in ASCII without the ignorable ones, copied into
// `storage` only when the text does not already hold them so.
std::string_view NumberCharacters(std::string_view text, const ScannedNumber& number,
                                  std::string& storage) {
    const std::string_view span = text.substr(number.begin, number.end - number.begin);
    if (!number.needsCopy) return span;
    for (std::size_t pos = 0; pos < span.size();) {
        const TextCharacter c = CharacterAt(span, pos);
        if (!IsIgnorable(c.ascii)) storage.push_back(c.ascii);
        pos += c.width;
    }
    return storage;
}

double SignedZero(bool negative) {
    return negative ? -0.0 : 0.0;
}

double NumberValue(std::string_view text, const ScannedNumber& number) {
    if (!number.hasDigits) return 0.0;
    if (number.smallInteger) {
        const auto magnitude = static_cast<double>(*number.smallInteger);
        return number.negative ? -magnitude : magnitude;
    }
    std::string storage;
    const std::string_view characters = NumberCharacters(text, number, storage);
    const char* first = characters.data();
    const char* last = first + characters.size();
    if (*first == '+') ++first;  // the conversions take only '-'
    const decimal::Parsed parsed =
        decimal::Native().parse(std::string_view(first, static_cast<std::size_t>(last - first)));
    if (parsed.outOfRange) {
        if (number.hasNonZeroDigit && number.leadingExponent >= 0) {
            throw RuntimeError(ErrorKind::Overflow);
        }
        return SignedZero(number.negative);
    }
    if (!parsed.valid) return SignedZero(number.negative);
    return parsed.value;
}

}  // namespace

NumberReading ReadNumber(std::string_view text) {
    const ScannedNumber number = Scanner(text).Scan();
    return {NumberValue(text, number), number.hasDigits,
            text.substr(number.begin, number.end - number.begin), text.substr(number.end)};
}

double NumberFromText(std::string_view text) {
    const ScannedNumber number = Scanner(text).Scan();
    return NumberValue(text, number);
}

bool HasDigit(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const TextCharacter c = CharacterAt(text, pos);
        if (IsDigit(c.ascii)) return true;
        pos += c.width;
    }
    return false;
}

namespace {

constexpr int kSignificantDigits = 15;

// Digits and decimal exponent of a positive value rounded to 15 significant
// digits, without trailing zeros.
struct Decimal {
    std::array<char, kSignificantDigits> digits{};
    int count = 0;
    int exponent = 0;  // of the first digit
};

// Scientific text ("1.3541e+02") into digits and exponent.
Decimal ParseScientific(std::string_view text) {
    Decimal d;
    const std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.') d.digits[d.count++] = text[i];
    }
    while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
    const char* first = text.data() + e + 1;
    if (*first == '+') ++first;
    std::from_chars(first, text.data() + text.size(), d.exponent);
    return d;
}

Decimal ToDecimal(double magnitude) {
    decimal::Buffer buffer{};
    return ParseScientific(decimal::Native().scientific15(magnitude, buffer));
}

// Whole hundredths, the common case of a truncated result: when the value is
// the double nearest to n / 100 with |n| < 10^15, its 15-digit rounding is n / 100
// itself, written from the integer n without the general conversion.
bool AppendHundredths(std::string& out, double magnitude) {
    constexpr double kLimit = 1e15;
    const double hundredths = std::nearbyint(magnitude * 100);
    if (!(hundredths < kLimit) || hundredths / 100 != magnitude) return false;
    std::array<char, 20> buffer{};
    char* first = buffer.data();
    char* last =
        std::to_chars(first, first + buffer.size(), static_cast<std::int64_t>(hundredths)).ptr;
    const auto length = last - first;
    if (length <= 2) {  // below 1: "0." and two decimals
        out.append("0.").append(2 - length, '0').append(first, last);
    } else {
        out.append(first, last - 2).append(1, '.').append(last - 2, last);
    }
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
    return true;
}

void AppendFixed(std::string& out, const Decimal& d) {
    const std::string_view digits(d.digits.data(), d.count);
    if (d.exponent < 0) {
        out.append("0.").append(-d.exponent - 1, '0').append(digits);
    } else if (d.exponent + 1 >= d.count) {
        out.append(digits).append(d.exponent + 1 - d.count, '0');
    } else {
        out.append(digits.substr(0, d.exponent + 1))
            .append(1, '.')
            .append(digits.substr(d.exponent + 1));
    }
}

void AppendExponent(std::string& out, const Decimal& d) {
    out.append(1, d.digits[0]);
    if (d.count > 1) out.append(1, '.').append(d.digits.data() + 1, d.count - 1);
    out.append(d.exponent < 0 ? "E-" : "E+");
    const int magnitude = std::abs(d.exponent);
    if (magnitude < 10) out.append(1, '0');
    std::array<char, 8> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude);
    out.append(buffer.data(), result.ptr);
}

}  // namespace

std::string NumberText(double value) {
    if (value == 0.0) return " 0";
    // The checked arithmetic never produces these; render them readably anyway.
    if (std::isnan(value)) return " NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : " Inf";
    std::string text(1, value < 0 ? '-' : ' ');
    if (AppendHundredths(text, std::abs(value))) return text;
    const Decimal decimal = ToDecimal(std::abs(value));
    if (decimal.exponent >= kSignificantDigits || decimal.exponent < -kSignificantDigits) {
        AppendExponent(text, decimal);
    } else {
        AppendFixed(text, decimal);
    }
    return text;
}

std::optional<double> ReadWholeNumber(std::string_view text) {
    try {
        const NumberReading reading = ReadNumber(text);
        const bool blankRest = reading.rest.find_first_not_of(" \t") == std::string_view::npos;
        if (reading.hasNumber && blankRest) return reading.value;
    } catch (const RuntimeError&) {
    }
    return std::nullopt;
}

}  // namespace flyback::runtime
