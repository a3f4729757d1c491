// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The two forms of a latitude in the entry boxes: a decimal text, and whole degrees, minutes,
// seconds with a hemisphere letter.
namespace marovane {

struct Dms {
  float latitude = 0.0f;     // the decimal text's value, rounded to single
  std::int16_t degrees = 0;  // 0..90, without sign
  std::int16_t minutes = 0;  // 0..59
  std::int16_t seconds = 0;  // 0..59
  std::string hemisphere;    // "N" for a latitude above 0, otherwise "S"
};

// The decimal boxes' range, both bounds included.
inline bool IsLatitudeInRange(double latitude) {
  return latitude >= -90.0 && latitude <= 90.0;
}

// The export's checks of a decimal latitude text: a number as a whole, then -90..90 on its
// double value ("90.000001" is refused). On Valid, `latitude` holds the value as a single.
enum class LatitudeCheck { Valid, NotNumeric, OutOfRange };
LatitudeCheck CheckLatitudeText(std::string_view text, float& latitude);

// The same checks for a latitude given as an argument (command line, Python): a decimal text,
// or degrees:minutes:seconds with the hemisphere letter, "41:54:00N", converted as the degree
// boxes convert it (DmsArgumentText).
LatitudeCheck CheckLatitudeArgument(std::string_view text, float& latitude);

// "41:54:00N" (one or two digits each, N, S, n or s) as the decimal text the degree boxes make
// of it, "41.9"; nothing for a text of any other form ("41:54N", "141:54:00N", "41:54:00").
std::optional<std::string> DmsArgumentText(std::string_view text);

// What the user is told when a check fails: "One of the inputs is not numeric!", or that the
// latitude should lie between -90 and +90 degrees (UTF-8). Empty for Valid.
std::string_view LatitudeCheckMessage(LatitudeCheck check);
// The title of the message box of a latitude out of range.
inline constexpr std::string_view kStrangeLocation = "Strange Location";

// Decimal text to degrees, minutes and seconds, each truncated (never rounded up) from the
// exact single-precision value: "41.9" gives 41, 54, 0, N; "-33.8675" gives 33, 52, 3, S.
// Expects |value| <= 90, which the callers check first.
Dms DecimalToDms(std::string_view decimalText);

// Degrees, minutes and seconds texts and a hemisphere letter to the decimal text, rounded to
// 3 decimals on the single value, halves to even; a hemisphere starting with S or s makes it
// negative. No range check: 99, 99, 99, S gives "-100.677".
std::string DmsToDecimalText(std::string_view degrees, std::string_view minutes,
                             std::string_view seconds, std::string_view hemisphere);

}  // namespace marovane
