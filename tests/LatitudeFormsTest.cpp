// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>

#include <gtest/gtest.h>

#include "text/LatitudeEntry.hpp"
#include "text/LatitudeForms.hpp"

namespace marovane {
namespace {

TEST(LatitudeForms, DecimalTextToDegreesMinutesSeconds) {
  struct Case {
    const char* text;
    int degrees, minutes, seconds;
    const char* hemisphere;
  };
  const Case cases[] = {
      {"41.9", 41, 54, 0, "N"},   // the single lies just above 41.9
      {"41.8", 41, 47, 59, "N"},  // the single lies just below 41.8
      {"-33.8675", 33, 52, 3, "S"}, {"12.5083333", 12, 30, 29, "N"},
      {"0.9", 0, 53, 59, "N"},      {"7.5", 7, 30, 0, "N"},
      {"-0.5", 0, 30, 0, "S"},      {"0", 0, 0, 0, "S"},
      {"-0", 0, 0, 0, "S"},         {"-", 0, 0, 0, "S"},
      {".", 0, 0, 0, "S"},          {"", 0, 0, 0, "S"},
      {"4-5", 4, 0, 0, "N"},        {"90", 90, 0, 0, "N"},
      {"-90", 90, 0, 0, "S"},       {"90.000001", 90, 0, 0, "N"},
  };
  for (const Case& c : cases) {
    const Dms dms = DecimalToDms(c.text);
    EXPECT_EQ(dms.degrees, c.degrees) << '"' << c.text << '"';
    EXPECT_EQ(dms.minutes, c.minutes) << '"' << c.text << '"';
    EXPECT_EQ(dms.seconds, c.seconds) << '"' << c.text << '"';
    EXPECT_EQ(dms.hemisphere, c.hemisphere) << '"' << c.text << '"';
  }
  EXPECT_EQ(DecimalToDms("41.9").latitude, 41.9f);
}

TEST(LatitudeForms, DegreesMinutesSecondsToDecimalText) {
  struct Case {
    const char *degrees, *minutes, *seconds, *hemisphere;
    const char* text;
  };
  const Case cases[] = {
      {"41", "54", "0", "N", "41.9"},
      {"10", "30", "30", "s", "-10.508"},
      {"12", "30", "30", "N", "12.508"},
      {"10", "3", "45", "N", "10.062"},   // exactly 10.0625: to the even digit
      {"10", "11", "15", "N", "10.188"},  // exactly 10.1875: to the even digit
      {"0", "3", "45", "S", "-0.062"},
      {"0", "0", "9", "N", "0.002"},  // the single of 0.0025 lies below the half
      {"0", "0", "1", "N", "0"},
      {"0", "59", "59", "N", "1"},
      {"89", "59", "59", "S", "-90"},
      {"90", "0", "0", "N", "90"},
      {"10", "75", "0", "N", "11.25"},
      {"99", "99", "99", "S", "-100.677"},
      {"", "", "", "", "0"},
      {"45", "0", "0", "n", "45"},
      {"0", "0", "0", "S", "0"},          // never "-0"
      {"12", "30", "29", "N", "12.508"},  // back from 12.5083333
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DmsToDecimalText(c.degrees, c.minutes, c.seconds, c.hemisphere), c.text)
        << c.degrees << ", " << c.minutes << ", " << c.seconds << ", " << c.hemisphere;
  }
}

// A latitude given as an argument: decimal, or degrees:minutes:seconds converted as the degree
// boxes convert them; the check's verdict and the single it gives.
TEST(LatitudeForms, ArgumentsAndTheirChecks) {
  struct Case {
    const char* text;
    LatitudeCheck check;
    float latitude;
  };
  const Case cases[] = {
      {"41.9", LatitudeCheck::Valid, 41.9f},
      {"41:54:00N", LatitudeCheck::Valid, 41.9f},
      {"33:52:03S", LatitudeCheck::Valid, -33.868f},
      {"10:30:30s", LatitudeCheck::Valid, -10.508f},
      {"9:5:1n", LatitudeCheck::Valid, 9.084f},
      {"90", LatitudeCheck::Valid, 90.0f},
      {"-90", LatitudeCheck::Valid, -90.0f},
      {"90.000001", LatitudeCheck::OutOfRange, 0.0f},  // refused on the double value
      {"99:99:99S", LatitudeCheck::OutOfRange, 0.0f},
      {"-90.5", LatitudeCheck::OutOfRange, 0.0f},
      {"41:54N", LatitudeCheck::NotNumeric, 0.0f},
      {"141:54:00N", LatitudeCheck::NotNumeric, 0.0f},
      {"41:54:00", LatitudeCheck::NotNumeric, 0.0f},
      {"41:54:00Nx", LatitudeCheck::NotNumeric, 0.0f},
      {"4-5", LatitudeCheck::NotNumeric, 0.0f},
      {"4 5", LatitudeCheck::NotNumeric, 0.0f},  // a blank inside, as pasted into the box
      {" 41.9\r\n", LatitudeCheck::Valid, 41.9f},
      {"", LatitudeCheck::NotNumeric, 0.0f},
  };
  for (const Case& c : cases) {
    float latitude = 0.0f;
    EXPECT_EQ(CheckLatitudeArgument(c.text, latitude), c.check) << c.text;
    EXPECT_EQ(latitude, c.latitude) << c.text;
  }
  // The decimal box takes the decimal form only.
  float latitude = 0.0f;
  EXPECT_EQ(CheckLatitudeText("41:54:00N", latitude), LatitudeCheck::NotNumeric);
  EXPECT_EQ(LatitudeCheckMessage(LatitudeCheck::NotNumeric), "One of the inputs is not numeric!");
  EXPECT_EQ(LatitudeCheckMessage(LatitudeCheck::OutOfRange),
            "Latitude of your location should be between -90\u00b0 and +90\u00b0.");
}

// The boxes' rules, shared by every front end: what each box takes, and what a key released in
// a box does to the others.
TEST(LatitudeEntry, CharactersEachBoxTakes) {
  struct Case {
    LatitudeBox box;
    const char32_t* taken;
    const char32_t* refused;
  };
  const Case cases[] = {
      {LatitudeBox::Decimal, U"0123456789-.\b", U"+eE, NSns\u0660"},
      {LatitudeBox::Degrees, U"0123456789\b", U"-.+ Nn\uff11"},
      {LatitudeBox::Seconds, U"09\b", U"-."},
      {LatitudeBox::Hemisphere, U"NSns\b", U"EWew0 -\u0145"},
  };
  for (const Case& c : cases) {
    for (const char32_t* p = c.taken; *p != 0; ++p) {
      EXPECT_TRUE(LatitudeBoxAccepts(c.box, *p))
          << static_cast<int>(c.box) << " " << static_cast<unsigned>(*p);
    }
    for (const char32_t* p = c.refused; *p != 0; ++p) {
      EXPECT_FALSE(LatitudeBoxAccepts(c.box, *p))
          << static_cast<int>(c.box) << " " << static_cast<unsigned>(*p);
    }
  }
}

TEST(LatitudeEntry, AKeyReleasedFillsTheOtherBoxes) {
  struct Case {
    LatitudeBox box;
    LatitudeTexts before;
    LatitudeTexts after;
    bool strange;
  };
  const Case cases[] = {
      {LatitudeBox::Decimal, {"41.9", "", "", "", ""}, {"41.9", "41", "54", "0", "N"}, false},
      {LatitudeBox::Decimal,
       {"-33.8675", "1", "2", "3", "N"},
       {"-33.8675", "33", "52", "3", "S"},
       false},
      {LatitudeBox::Decimal,
       {"90.000001", "", "", "", ""},
       {"90.000001", "90", "0", "0", "N"},
       false},
      // Out of range: the boxes stay as they were.
      {LatitudeBox::Decimal, {"95", "41", "54", "0", "N"}, {"95", "41", "54", "0", "N"}, true},
      {LatitudeBox::Decimal, {"-90.1", "", "", "", ""}, {"-90.1", "", "", "", ""}, true},
      {LatitudeBox::Degrees, {"", "41", "54", "00", "N"}, {"41.9", "41", "54", "00", "N"}, false},
      {LatitudeBox::Hemisphere,
       {"41.9", "33", "52", "3", "s"},
       {"-33.868", "33", "52", "3", "s"},
       false},
      {LatitudeBox::Minutes,
       {"1", "99", "99", "99", "S"},
       {"-100.677", "99", "99", "99", "S"},
       false},
  };
  for (const Case& c : cases) {
    const LatitudeReaction r = LatitudeKeyReleased(c.box, c.before);
    SCOPED_TRACE(c.before.decimal + " " + c.before.degrees);
    EXPECT_EQ(r.strange, c.strange);
    EXPECT_EQ(r.texts.decimal, c.after.decimal);
    EXPECT_EQ(r.texts.degrees, c.after.degrees);
    EXPECT_EQ(r.texts.minutes, c.after.minutes);
    EXPECT_EQ(r.texts.seconds, c.after.seconds);
    EXPECT_EQ(r.texts.hemisphere, c.after.hemisphere);
  }
  EXPECT_EQ(LatitudeKeyReleased(LatitudeBox::Decimal, {"95", "", "", "", ""}).dms.latitude, 95.0f);
}

}  // namespace
}  // namespace marovane
