// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Numbers to text and back. The point is the only decimal separator, whatever the locale:
// a comma inside a comma-separated file or a file name would corrupt it.
namespace marovane {

// The one number grammar of the program. Blanks, tabs and line breaks are ignored wherever
// they stand; then an optional sign, digits with at most one point, and an optional exponent
// (E or D, optional sign, digits). Reading stops at the first character that does not fit.
struct ScannedNumber {
  double value = 0.0;  // the number read; 0 without any digit; +-infinity or +-0 beyond a double
  bool whole = false;  // the text is that number and nothing else (a numeric text)
};
ScannedNumber ScanNumber(std::string_view text);

// The number at the start of `text`: "4-5" reads 4, "1.2.3" 1.2, ".5" 0.5, "-" 0.
double LeadingNumber(std::string_view text);

// Whether `text` is a number as a whole: "", "-", ".", "1.2.3", "4-5" and "1e" are not.
bool IsNumeric(std::string_view text);

// The value of a numeric text, nothing for any other.
std::optional<double> NumericValue(std::string_view text);

// Default text of a single: at most 7 significant digits, no trailing zeros, no point when
// whole, "0" before the point below 1, "-" for negatives; negative zero is "0".
std::string SingleText(float value);

// Default text of a double: as SingleText with at most 15 significant digits.
std::string DoubleText(double value);

}  // namespace marovane
