// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>

#include <gtest/gtest.h>

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
      {"41.9", 41, 54, 0, "N"},       // the single lies just above 41.9
      {"41.8", 41, 47, 59, "N"},      // the single lies just below 41.8
      {"-33.8675", 33, 52, 3, "S"},   {"12.5083333", 12, 30, 29, "N"},
      {"0.9", 0, 53, 59, "N"},        {"7.5", 7, 30, 0, "N"},
      {"-0.5", 0, 30, 0, "S"},        {"0", 0, 0, 0, "S"},
      {"-0", 0, 0, 0, "S"},           {"-", 0, 0, 0, "S"},
      {".", 0, 0, 0, "S"},            {"", 0, 0, 0, "S"},
      {"4-5", 4, 0, 0, "N"},          {"90", 90, 0, 0, "N"},
      {"-90", 90, 0, 0, "S"},         {"90.000001", 90, 0, 0, "N"},
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
      {"0", "0", "9", "N", "0.002"},      // the single of 0.0025 lies below the half
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

TEST(LatitudeForms, RangeIncludesBothPoles) {
  EXPECT_TRUE(IsLatitudeInRange(90.0));
  EXPECT_TRUE(IsLatitudeInRange(-90.0));
  EXPECT_FALSE(IsLatitudeInRange(90.000001));
  EXPECT_FALSE(IsLatitudeInRange(-90.5));
}

}  // namespace
}  // namespace marovane
