// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Numbers to text and back. The point is the only decimal separator, whatever the locale:
// a comma inside a comma-separated file or a file name would corrupt it.
namespace marovane {

// The one number grammar of the program. The reading ignores blanks, tabs and line feeds
// wherever they stand; then it takes an optional sign, digits with at most one point, and an
// optional exponent (E or D, optional sign, digits), and stops at the first character that
// does not fit, a carriage return included. A numeric text is that number alone: blanks may
// stand before it, blanks and line ends after it, none inside it ("1 2" reads 12 but is not
// numeric).
struct ScannedNumber {
  double value = 0.0;  // the number read; 0 without any digit; +-infinity or +-0 beyond a double
  bool whole = false;  // the text is that number and nothing else (a numeric text)
};
ScannedNumber ScanNumber(std::string_view text);

// The number at the start of `text`: "4-5" reads 4, "1.2.3" 1.2, ".5" 0.5, "-" 0, "4 5" 45,
// "4\r5" 4.
double LeadingNumber(std::string_view text);

// Whether `text` is a number as a whole: "", "-", ".", "1.2.3", "4-5", "1e" and "4 5" are
// not; " 4.5\r\n" is.
bool IsNumeric(std::string_view text);

// The value of a numeric text, nothing for any other.
std::optional<double> NumericValue(std::string_view text);

// Default text of a single: at most 7 significant digits, no trailing zeros, no point when
// whole, "0" before the point below 1, "-" for negatives; negative zero is "0".
std::string SingleText(float value);

// Default text of a double: as SingleText with at most 15 significant digits.
std::string DoubleText(double value);
// The same text appended to `text`: the tables write millions of them.
void AppendDoubleText(std::string& text, double value);

}  // namespace marovane
