// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/LatitudeForms.hpp"

// The rules of the five latitude boxes, as every front end applies them: which characters a
// box takes, what it selects when it gets the focus, and what a key released in a box does to
// the others (the decimal box fills the degree boxes; a degree box fills the decimal box).
// The front ends handle only the keys and the widgets.
namespace marovane {

enum class LatitudeBox { Decimal, Degrees, Minutes, Seconds, Hemisphere };

// Whether `box` takes the typed character: digits, "-" and "." in the decimal box, digits in
// the degree, minute and second boxes, N, S, n or s in the hemisphere box. Backspace (8)
// always passes.
bool LatitudeBoxAccepts(LatitudeBox box, char32_t character);

// How many characters from the start a box selects when it gets the focus: all of the decimal
// box, two of the degree, minute and second boxes, the hemisphere letter.
int LatitudeBoxSelection(LatitudeBox box);

// How many characters a box holds at most; 0 where it has no limit (the decimal box).
int LatitudeBoxMaxLength(LatitudeBox box);

// The tip a box shows under the pointer: "Give Latitude as a decimal number", ...
std::string_view LatitudeBoxToolTip(LatitudeBox box);

// The decimal box's text when the program starts.
inline constexpr std::string_view kStartLatitude = "41.9";

// What the user is told on typing a letter the hemisphere box does not take; the message box
// names no title of its own.
inline constexpr std::string_view kHemisphereOnly = "S for South or N for North. That's all.";

// The texts of the five boxes.
struct LatitudeTexts {
  std::string decimal;
  std::string degrees;
  std::string minutes;
  std::string seconds;
  std::string hemisphere;
};

// What a key released in a box does.
struct LatitudeReaction {
  LatitudeTexts texts;  // the boxes' texts afterwards
  Dms dms;              // the decimal box's value and its degrees, when they were filled
  bool filled = false;  // the degree boxes were filled from the decimal box (dms is theirs)
  // A decimal text outside -90..90 (judged on its leading number as a single): the user is
  // told LatitudeCheckMessage(OutOfRange) under kStrangeLocation, the boxes stay, and the
  // focus goes back to the decimal box.
  bool strange = false;
};

// LatitudeKeyReleased
// The boxes after a key released in `box`: from the decimal box, the degree boxes are filled
// from its text (DecimalToDms) unless it is out of range; from any other box, the decimal box
// takes DmsToDecimalText of the four others.
LatitudeReaction LatitudeKeyReleased(LatitudeBox box, const LatitudeTexts& texts);

// The degree boxes' texts for a decimal text in range (the window's load does this too).
LatitudeReaction FillDegreeBoxes(const LatitudeTexts& texts);

}  // namespace marovane
