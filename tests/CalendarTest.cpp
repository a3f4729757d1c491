// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>

#include <gtest/gtest.h>

#include "model/Calendar.hpp"
#include "model/Dates.hpp"

namespace marovane {
namespace {

// The lengths of the year's dekads and months are pinned by the reference files; these are
// the numbers outside the year, which only the functions themselves answer for.
TEST(Calendar, LengthsOfSingleNumbers) {
  struct Case {
    std::int16_t number;
    std::int16_t dekad;
    std::int16_t month;
  };
  const Case cases[] = {
      {1, 10, 31}, {2, 10, 28}, {3, 11, 31},    {6, 8, 30},      {12, 10, 31},
      {36, 11, 0}, {0, 10, 0},  {13, 10, 0},    {37, 10, 0},     {53, 10, 0},
      {-6, 10, 0}, {-1, 10, 0}, {32767, 10, 0}, {-32768, 10, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DekadLength(c.number), c.dekad) << "dekad " << c.number;
    EXPECT_EQ(MonthLength(c.number), c.month) << "month " << c.number;
  }
}

// Real dates: which texts are dates, and the day of the year of each, leap years included.
TEST(Calendar, RealDatesAndTheirDayOfTheYear) {
  struct Case {
    const char* text;
    int dayOfYear;  // 0: not a date
  };
  const Case cases[] = {
      {"2023-01-01", 1},  {"2023-02-28", 59},  {"2023-03-01", 60},  {"2023-12-31", 365},
      {"2024-02-29", 60}, {"2024-03-01", 61},  {"2024-12-31", 366}, {"2000-02-29", 60},
      {"0001-01-01", 1},  {"9999-12-31", 365}, {"2023-02-29", 0},   {"1900-02-29", 0},
      {"2024-13-01", 0},  {"2024-00-10", 0},   {"2024-04-31", 0},   {"2024-4-01", 0},
      {"0000-01-01", 0},  {"2024-01-01x", 0},  {"2024/01/01", 0},   {"", 0},
      {"+024-01-01", 0},  {"2024-01- 1", 0},
  };
  for (const Case& c : cases) {
    const std::optional<Date> date = ParseIsoDate(c.text);
    EXPECT_EQ(date.has_value(), c.dayOfYear > 0) << c.text;
    if (date) {
      EXPECT_EQ(DayOfYear(*date), c.dayOfYear) << c.text;
      EXPECT_EQ(IsoText(*date), c.text);
      EXPECT_EQ(DateOfDaysSinceEpoch(DaysSinceEpoch(*date)), *date) << c.text;
    }
  }
}

// The real calendar's periods: whole periods over FROM..TO, a leap February's third dekad of
// 9 days, and values that in a common year are those of the 365-day table.
TEST(Calendar, RealPeriodsAndTheirValues) {
  const Date from = *ParseIsoDate("2024-02-15");
  const Date to = *ParseIsoDate("2024-03-01");
  const std::vector<DatedPeriod> dekads = DatedPeriods(from, to, Aggregation::Dekadal);
  ASSERT_EQ(dekads.size(), 3u);
  EXPECT_EQ(IsoText(dekads[0].first), "2024-02-11");
  EXPECT_EQ(dekads[1].days, 9);
  EXPECT_EQ(IsoText(dekads[2].first), "2024-03-01");
  EXPECT_EQ(DatedPeriods(from, to, Aggregation::Monthly).size(), 2u);
  // Pentads: a leap February's sixth runs from the 26th to the 29th.
  const std::vector<DatedPeriod> pentads = DatedPeriods(from, to, Aggregation::Pentadal);
  ASSERT_EQ(pentads.size(), 5u);
  EXPECT_EQ(IsoText(pentads[0].first), "2024-02-11");
  EXPECT_EQ(IsoText(pentads[3].first), "2024-02-26");
  EXPECT_EQ(pentads[3].days, 4);
  EXPECT_EQ(IsoText(pentads[4].first), "2024-03-01");
  EXPECT_EQ(PeriodHolding(*ParseIsoDate("2023-02-28"), Aggregation::Pentadal).days, 3);
  EXPECT_EQ(PeriodHolding(*ParseIsoDate("2023-12-31"), Aggregation::Pentadal).days, 6);
  EXPECT_EQ(DatedPeriods(from, to, Aggregation::Daily).size(), 16u);
  EXPECT_TRUE(DatedPeriods(from, to, Aggregation::Weekly).empty());
  EXPECT_TRUE(DatedPeriods(to, from, Aggregation::Daily).empty());

  for (const Aggregation aggregation :
       {Aggregation::Daily, Aggregation::Dekadal, Aggregation::Monthly, Aggregation::Pentadal}) {
    for (const Unit unit : {Unit::MJPerM2Day, Unit::MmPerDekad}) {
      for (const Method method : {Method::Harmonic, Method::Fao56}) {
        const CycleChoice choice{aggregation, unit, Quantity::Radiation, method};
        const AnnualCycle table = AnnualCycleTable(-33.8675f, choice);
        const YearValues values = DailyValues(-33.8675f, choice.quantity, method, 366);
        const std::vector<DatedPeriod> year =
            DatedPeriods(*ParseIsoDate("2023-01-01"), *ParseIsoDate("2023-12-31"), aggregation);
        ASSERT_EQ(year.size(), table.periods.size());
        for (std::size_t i = 0; i < year.size(); ++i) {
          EXPECT_EQ(DatedValue(values, year[i], choice), table.periods[i].value)
              << IsoText(year[i].first);
        }
      }
    }
  }
  // 29 February is day 60 of its year, and 1 March day 61.
  const YearValues hours = DailyValues(41.9f, Quantity::DayLength, Method::Harmonic, 366);
  const CycleChoice daily{Aggregation::Daily, Unit::MJPerM2Day, Quantity::DayLength};
  EXPECT_EQ(DatedValue(hours, {*ParseIsoDate("2024-03-01"), 1}, daily),
            DatedValue(hours, {*ParseIsoDate("2023-03-02"), 1}, daily));
  EXPECT_GT(hours[366], hours[365]);  // the days lengthen again after the solstice
}

}  // namespace
}  // namespace marovane
