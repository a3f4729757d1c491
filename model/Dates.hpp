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
// 1 March day 61, as in FAO-56. Periods are those of the real calendar, cut at the same parts
// of each month as in the 365-day year (Calendar.hpp): days, dekads (a leap year's third
// February dekad has 9 days), months and pentads. Weeks have no place there.
namespace marovane {

struct Date {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31

  friend bool operator==(const Date&, const Date&) = default;
  // clang-tidy 14 takes the defaulted comparison's 0 for a null pointer.
  friend auto operator<=>(const Date&, const Date&) = default;  // NOLINT(modernize-use-nullptr)
};

// The first and last years a date may have: four-digit ISO years.
inline constexpr int kFirstYear = 1;
inline constexpr int kLastYear = 9999;

int DaysInMonth(int year, int month);
// 365, or 366 in a leap year.
int DaysInYear(int year);

// What follows a text, quoted, that is no date.
inline constexpr std::string_view kNoDate =
    " is no date: give an existing date as YYYY-MM-DD, years 0001 to 9999";

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

// The periods of `aggregation` that overlap FROM..TO (both included), whole, in order: a period
// that begins before FROM or ends after TO is still taken whole. An aggregation without real
// periods (HasRealPeriods) gives none: callers refuse it first (NoRealPeriods).
std::vector<DatedPeriod> DatedPeriods(const Date& from, const Date& to, Aggregation aggregation);

// The period of `aggregation` that holds `date`; the date alone for one without real periods.
DatedPeriod PeriodHolding(const Date& date, Aggregation aggregation);

// The value of one period as the tables write it: PeriodValue of its days, each by its own J,
// over `values` = DailyValues(latitude, quantity, method, 366), which serves common and leap
// years alike (a period never spans two years).
double DatedValue(const YearValues& values, const DatedPeriod& period, const CycleChoice& choice);

}  // namespace marovane
