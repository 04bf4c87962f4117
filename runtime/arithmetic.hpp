#pragma once

#include <cmath>
#include <limits>

#include "portable_math/portable_math.hpp"
#include "runtime/error.hpp"

namespace flyback::runtime {

// Checked IEEE double arithmetic. Each operation rounds exactly as the plain
// operator would; instead of producing an infinity or a NaN it throws
// RuntimeError:
//   a non-zero number divided by zero           -> DivisionByZero
//   zero divided by zero, any non-finite result -> Overflow
//   the square root of a negative number        -> InvalidArgument
// They are inline so that a calculation costs little more than its plain
// arithmetic; only the raising is out of line.

[[noreturn]] void Raise(ErrorKind kind);

namespace detail {

// One comparison: false for both infinities and for NaN.
inline bool IsFinite(double x) {
    return std::fabs(x) <= std::numeric_limits<double>::max();
}

inline double Finite(double result, ErrorKind kind = ErrorKind::Overflow) {
    if (!IsFinite(result)) [[unlikely]]
        Raise(kind);
    return result;
}

}  // namespace detail

inline double Add(double a, double b) {
    return detail::Finite(a + b);
}

inline double Subtract(double a, double b) {
    return detail::Finite(a - b);
}

inline double Multiply(double a, double b) {
    return detail::Finite(a * b);
}

inline double Divide(double a, double b) {
    if (b == 0.0) [[unlikely]]
        Raise(a == 0.0 ? ErrorKind::Overflow : ErrorKind::DivisionByZero);
    return detail::Finite(a / b);
}

// A square is one correctly rounded product; other powers are musl's, the same
// on every build (C libraries round pow differently in the last bit).
inline double Power(double base, double exponent) {
    if (exponent == 2.0) return Multiply(base, base);
    return detail::Finite(portable_math::Pow(base, exponent));
}

inline double SquareRoot(double x) {
    if (x < 0.0) [[unlikely]]
        Raise(ErrorKind::InvalidArgument);
    return std::sqrt(x);
}

// Largest integral value not greater than x (toward minus infinity).
inline double Floor(double x) {
    return std::floor(x);
}

// Arithmetic that the program does in line while reading its inputs (the unit
// scaling). Its faults are reported as FloatingPoint rather than Overflow.
inline double InlineMultiply(double a, double b) {
    return detail::Finite(a * b, ErrorKind::FloatingPoint);
}

inline double InlineDivide(double a, double b) {
    return detail::Finite(a / b, ErrorKind::FloatingPoint);
}

}  // namespace flyback::runtime
