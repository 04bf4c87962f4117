#pragma once

namespace flyback::runtime {

// Checked IEEE double arithmetic. Each operation rounds exactly as the plain
// operator would; instead of producing an infinity or a NaN it throws
// RuntimeError:
//   a non-zero number divided by zero           -> DivisionByZero
//   zero divided by zero, any non-finite result -> Overflow
//   the square root of a negative number        -> InvalidArgument
double Add(double a, double b);
double Subtract(double a, double b);
double Multiply(double a, double b);
double Divide(double a, double b);
double Power(double base, double exponent);
double SquareRoot(double x);

// Largest integral value not greater than x (toward minus infinity).
double Floor(double x);

// Arithmetic that the program does in line while reading its inputs (the unit
// scaling). Its faults are reported as FloatingPoint rather than Overflow.
double InlineMultiply(double a, double b);
double InlineDivide(double a, double b);

}  // namespace flyback::runtime
