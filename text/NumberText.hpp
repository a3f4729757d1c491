#pragma once

#include <string>
#include <string_view>

// Numbers to text and back. The point is the only decimal separator, whatever the locale:
// a comma inside a comma-separated file or a file name would corrupt it.
namespace marovane {

// Reads the number at the start of `text`: blanks, tabs and line feeds are ignored wherever
// they stand; then an optional sign, digits with at most one point, and an optional exponent
// (E or D, optional sign, digits). Reading stops at the first character that does not fit;
// a text without any digit reads as 0. "4-5" reads 4, "1.2.3" 1.2, ".5" 0.5, "-" 0.
// A value too large for a double reads as +-infinity.
double LeadingNumber(std::string_view text);

// Whether `text` is a number as a whole: optional blanks around, an optional sign, digits with
// at most one point and at least one digit, an optional exponent (E or D, optional sign,
// digits). "", "-", ".", "1.2.3" and "4-5" are not numbers.
bool IsNumeric(std::string_view text);

// Default text of a single: at most 7 significant digits, no trailing zeros, no point when
// whole, "0" before the point below 1, "-" for negatives; negative zero is "0".
std::string SingleText(float value);

// Default text of a double: as SingleText with at most 15 significant digits.
std::string DoubleText(double value);

// Rounds to the nearest multiple of 0.001, decided on the exact binary value; an exact half
// goes to the even last digit. Returns the double nearest to that multiple.
double RoundTo3Decimals(double value);

}  // namespace marovane
