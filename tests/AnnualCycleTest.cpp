// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "export/AnnualCycle.hpp"

namespace marovane {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

TEST(AnnualCycle, WorkedExampleAt41_9) {
  struct Case {
    std::int16_t aggregation;
    std::int16_t unit;
    std::size_t line;  // 1 is the header
    const char* text;
  };
  const Case cases[] = {
      {3, 1, 1, "Latitude, Dekad Number, extraterrestrial Radiation MJ/m^2/day"},
      {3, 1, 2, "41.9, 1, 12.969"},   {3, 1, 3, "41.9, 2, 13.986"},
      {3, 1, 4, "41.9, 3, 15.55"},    {3, 6, 2, "41.9, 1, 129.689"},
      {3, 6, 4, "41.9, 3, 171.051"},  {1, 1, 2, "41.9, 1, 12.651"},
      {1, 1, 173, "41.9, 172, 41.93"}, {2, 1, 54, "41.9, 53, 12.781"},
      {4, 1, 7, "41.9, 6, 41.757"},   {4, 4, 7, "41.9, 6, 484.38"},
      {1, 1, 1, "Latitude, Julian Day, extraterrestrial Radiation MJ/m^2/day"},
      {2, 5, 1, "Latitude, Week Number, extraterrestrial Radiation mm/day"},
      {4, 7, 1, "Latitude, Month Number, extraterrestrial Radiation mm/dekad"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = Lines(AnnualCycleText(41.9f, c.aggregation, c.unit));
    ASSERT_GE(lines.size(), c.line);
    EXPECT_EQ(lines[c.line - 1], c.text) << "aggregation " << c.aggregation << " unit " << c.unit;
  }
}

TEST(AnnualCycle, DayLengthLines) {
  struct Case {
    float latitude;
    std::int16_t aggregation;
    std::size_t line;  // 1 is the header
    const char* text;
  };
  const Case cases[] = {
      {41.9f, 1, 1, "Latitude, Julian Day, Day length hours"},
      {41.9f, 2, 1, "Latitude, Week Number, Day length hours"},
      {41.9f, 3, 1, "Latitude, Dekad Number, Day length hours"},
      {41.9f, 4, 1, "Latitude, Month Number, Day length hours"},
      {41.9f, 1, 173, "41.9, 172, 15.052"},  // DayLength is 15.05196 as a single
      {90.0f, 1, 173, "90, 172, 24"},        // polar day
      {-90.0f, 1, 173, "-90, 172, 0"},       // polar night
      {70.0f, 4, 7, "70, 6, 24"},            // a month of midnight sun
      {-70.0f, 4, 7, "-70, 6, 0"},
      {70.0f, 3, 36, "70, 35, 0"},
      {69.65f, 3, 3, "69.65, 2, 0.113"},     // the sun comes back within dekad 2
  };
  for (const Case& c : cases) {
    // The unit plays no part in a table of hours.
    for (std::int16_t unit : {std::int16_t{1}, std::int16_t{7}}) {
      const std::vector<std::string> lines =
          Lines(AnnualCycleText(c.latitude, c.aggregation, unit, Quantity::DayLength));
      ASSERT_GE(lines.size(), c.line);
      EXPECT_EQ(lines[c.line - 1], c.text) << c.latitude << " aggregation " << c.aggregation;
    }
  }
}

TEST(AnnualCycle, DayLengthAtTheEquatorIsTwelveHoursInEveryPeriod) {
  const std::size_t periods[] = {365, 53, 36, 12};
  for (std::int16_t aggregation = 1; aggregation <= 4; ++aggregation) {
    const AnnualCycle table = AnnualCycleTable(0.0f, aggregation, 1, Quantity::DayLength);
    ASSERT_EQ(table.periods.size(), periods[aggregation - 1]);
    for (const CyclePeriod& p : table.periods) {
      EXPECT_EQ(p.value, 12.0) << "aggregation " << aggregation << " period " << p.number;
    }
  }
}

TEST(AnnualCycle, PolarNightIsWrittenAsZeroNeverMinusZero) {
  for (float latitude : {90.0f, -90.0f}) {
    for (std::int16_t aggregation = 1; aggregation <= 4; ++aggregation) {
      const std::string text = AnnualCycleText(latitude, aggregation, 1);
      EXPECT_EQ(text.find(", -0"), std::string::npos) << latitude << " " << aggregation;
    }
  }
  EXPECT_NE(AnnualCycleText(90.0f, 1, 1).find("\r\n90, 1, 0\r\n"), std::string::npos);
}

TEST(AnnualCycle, UnknownCodes) {
  EXPECT_EQ(AnnualCycleText(41.9f, 0, 1), "");
  EXPECT_EQ(AnnualCycleText(41.9f, 5, 1), "");
  // Unit codes the window cannot produce: an empty label and zero values.
  for (const std::int16_t unit : {0, 8, -1}) {
    const std::vector<std::string> lines = Lines(AnnualCycleText(41.9f, 4, unit));
    ASSERT_EQ(lines.size(), 13u) << unit;
    EXPECT_EQ(lines[0], "Latitude, Month Number, extraterrestrial Radiation ");
    EXPECT_EQ(lines[1], "41.9, 1, 0");
  }
}

}  // namespace
}  // namespace marovane
