#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace flyback::runtime {

// Reads the number at the start of a text, the way a user's typing is read:
//  - the full-width digits, signs, point and e/E that a Chinese input method
//    types read as their ASCII forms, the ideographic full stop "。" as the
//    point and the ideographic space as a blank ("１．５" and "1。5" are 1.5);
//  - blanks, tabs and line feeds are ignored wherever they stand ("1 000" is 1000);
//  - an optional sign, digits with at most one period, and an optional exponent
//    (e or E, optional sign, digits);
//  - reading stops at the first character that cannot continue the number
//    ("60W" is 60), and a text with no number reads as 0;
//  - the result is the correctly rounded double; a number too small for a double
//    reads as a zero of its sign, one too large throws RuntimeError(Overflow).
// Independent of the process locale: the period is always the decimal point.
double NumberFromText(std::string_view text);

// NumberFromText, and where in the text the number stood.
struct NumberReading {
    double value;
    bool hasNumber;           // false when the text held no number and read as 0
    std::string_view number;  // the characters read, as typed
    std::string_view rest;    // what followed and was ignored
};
NumberReading ReadNumber(std::string_view text);

// A text that is one number and nothing else, read as an input box reads it
// (full-width digits, blanks); nothing for "60W", "", "1e999". Every option
// and range typed anywhere is read with it.
std::optional<double> ReadWholeNumber(std::string_view text);

// Whether a text holds a digit, full-width ones included.
bool HasDigit(std::string_view text);

// Renders a double for display: at most 15 significant digits, no trailing
// zeros, a leading blank for zero and positive values and "-" for negative ones,
// a zero before the point below 1 (" 0.28"), and the exponent form from 1E+15
// up and below 1E-15 (" 1.5E+15", " 1E-16"). Negative zero reads " 0".
std::string NumberText(double value);

}  // namespace flyback::runtime
