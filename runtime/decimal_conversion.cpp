#include "runtime/decimal_conversion.hpp"

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

}  // namespace

const Conversions kCLibrary{ParseWithCLibrary, Scientific15WithCLibrary};
#ifdef __cpp_lib_to_chars
const Conversions kCharconv{ParseWithCharconv, Scientific15WithCharconv};
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

}  // namespace flyback::runtime::decimal
