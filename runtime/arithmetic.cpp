#include "runtime/arithmetic.hpp"

#include <cmath>

#include "runtime/error.hpp"

namespace flyback::runtime {
namespace {

double Finite(double result, ErrorKind kind = ErrorKind::Overflow) {
    if (!std::isfinite(result)) throw RuntimeError(kind);
    return result;
}

}  // namespace

double Add(double a, double b) {
    return Finite(a + b);
}

double Subtract(double a, double b) {
    return Finite(a - b);
}

double Multiply(double a, double b) {
    return Finite(a * b);
}

double Divide(double a, double b) {
    if (b == 0.0) {
        throw RuntimeError(a == 0.0 ? ErrorKind::Overflow : ErrorKind::DivisionByZero);
    }
    return Finite(a / b);
}

double Power(double base, double exponent) {
    // A square is one correctly rounded product; std::pow does not promise
    // correct rounding, and the result must not depend on the C library.
    if (exponent == 2.0) return Multiply(base, base);
    return Finite(std::pow(base, exponent));
}

double SquareRoot(double x) {
    if (x < 0.0) throw RuntimeError(ErrorKind::InvalidArgument);
    return std::sqrt(x);
}

double Floor(double x) {
    return std::floor(x);
}

double InlineMultiply(double a, double b) {
    return Finite(a * b, ErrorKind::FloatingPoint);
}

double InlineDivide(double a, double b) {
    return Finite(a / b, ErrorKind::FloatingPoint);
}

}  // namespace flyback::runtime
