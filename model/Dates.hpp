// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/AnnualCycle.hpp"

// Real calendar dates (proleptic Gregorian, leap years included) and the values of the model
// on them. A date's day of the year J runs 1..366: 29 February is day 60 of a leap year and
// 1 March day 61, as in FAO-56. Periods are those of the real calendar: days, dekads (1-10,
// 11-20, 21 to the month's end, so a leap year's third February dekad has 9 days) and months.
namespace marovane {

struct Date {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31

  friend bool operator==(const Date&, const Date&) = default;
  friend auto operator<=>(const Date&, const Date&) = default;
};

// The first and last years a date may have: four-digit ISO years.
inline constexpr int kFirstYear = 1;
inline constexpr int kLastYear = 9999;

int DaysInMonth(int year, int month);

// "2024-02-29" as a date; nothing for any other text, a date that does not exist ("2023-02-29",
// "2024-13-01") or a year outside 1..9999.
std::optional<Date> ParseIsoDate(std::string_view text);
// "2024-02-29".
std::string IsoText(const Date& date);

// Day of the year J, 1..366.
int DayOfYear(const Date& date);
// Days since 1970-01-01 (negative before it), and back; for counting and stepping.
long long DaysSinceEpoch(const Date& date);
Date DateOfDaysSinceEpoch(long long days);

// A period of the real calendar: its first date and how many days it spans.
struct DatedPeriod {
  Date first;
  int days = 1;
};

// The periods of `aggregation` that overlap FROM..TO (both included), whole, in order: a dekad
// or month that begins before FROM or ends after TO is still taken whole. Weekly has no place
// in the real calendar: it gives no periods (callers refuse it first).
std::vector<DatedPeriod> DatedPeriods(const Date& from, const Date& to, Aggregation aggregation);

// The period of `aggregation` that holds `date`.
DatedPeriod PeriodHolding(const Date& date, Aggregation aggregation);

// Entry J (1..366) is the value of day J of `quantity` by `method`, as DailyValues gives days
// 1..365 (bit for bit) with day 366 added; entry 0 is unused and 0.
using RealYearValues = std::array<double, 367>;
RealYearValues RealYearDailyValues(float latitude, Quantity quantity, Method method);

// The value of one period as the tables write it: the mean of its days' values (each day by its
// own J, summed from 0 in date order), times the unit's factor for radiation, rounded to 3
// decimals. A dekad in the per-dekad units is its total over its own length; days and months
// in those units are totals over a nominal 10-day dekad, as in the 365-day table.
double DatedValue(const RealYearValues& values, const DatedPeriod& period,
                  const CycleChoice& choice);

}  // namespace marovane
