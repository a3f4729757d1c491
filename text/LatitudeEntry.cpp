// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/LatitudeEntry.hpp"

#include "text/NumberText.hpp"

namespace marovane {

namespace {

constexpr char32_t kBackspace = 8;

struct BoxRule {
  int selection;
  int maxLength;
  std::string_view toolTip;
};

const BoxRule& RuleOf(LatitudeBox box) {
  static constexpr BoxRule kRules[] = {
      {99, 0, "Give Latitude as a decimal number"}, {2, 2, "Give Degrees of Latitude"},
      {2, 2, "Give Minutes of Latitude"},           {2, 2, "Give Seconds of Latitude"},
      {1, 1, "Give N for North or S for South"},
  };
  return kRules[static_cast<int>(box)];
}

}  // namespace

bool LatitudeBoxAccepts(LatitudeBox box, char32_t c) {
  if (c == kBackspace) {
    return true;
  }
  const bool digit = c >= U'0' && c <= U'9';
  switch (box) {
    case LatitudeBox::Decimal: return digit || c == U'-' || c == U'.';
    case LatitudeBox::Degrees:
    case LatitudeBox::Minutes:
    case LatitudeBox::Seconds: return digit;
    case LatitudeBox::Hemisphere: return c == U'N' || c == U'S' || c == U'n' || c == U's';
  }
  return false;
}

int LatitudeBoxSelection(LatitudeBox box) {
  return RuleOf(box).selection;
}
int LatitudeBoxMaxLength(LatitudeBox box) {
  return RuleOf(box).maxLength;
}
std::string_view LatitudeBoxToolTip(LatitudeBox box) {
  return RuleOf(box).toolTip;
}

LatitudeReaction FillDegreeBoxes(const LatitudeTexts& texts) {
  LatitudeReaction reaction{texts, DecimalToDms(texts.decimal), true, false};
  reaction.texts.degrees = std::to_string(reaction.dms.degrees);
  reaction.texts.minutes = std::to_string(reaction.dms.minutes);
  reaction.texts.seconds = std::to_string(reaction.dms.seconds);
  reaction.texts.hemisphere = reaction.dms.hemisphere;
  return reaction;
}

LatitudeReaction LatitudeKeyReleased(LatitudeBox box, const LatitudeTexts& texts) {
  if (box != LatitudeBox::Decimal) {
    LatitudeReaction reaction{texts, {}, false, false};
    reaction.texts.decimal =
        DmsToDecimalText(texts.degrees, texts.minutes, texts.seconds, texts.hemisphere);
    return reaction;
  }
  // The range is judged on the single value: "90.000001" is exactly 90 there.
  const auto value = static_cast<float>(LeadingNumber(texts.decimal));
  if (value >= -90.0f && value <= 90.0f) {
    return FillDegreeBoxes(texts);
  }
  LatitudeReaction reaction{texts, {}, false, true};
  reaction.dms.latitude = value;
  return reaction;
}

}  // namespace marovane
