// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Dates.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace marovane {

namespace {

using namespace std::chrono;

year_month_day Civil(const Date& date) {
  return {year{date.year}, month{static_cast<unsigned>(date.month)},
          day{static_cast<unsigned>(date.day)}};
}

// Digits only, exactly `count` of them.
std::optional<int> Digits(std::string_view text, std::size_t count) {
  if (text.size() != count) {
    return std::nullopt;
  }
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

int DaysInYear(int y) {
  return year{y}.is_leap() ? 366 : 365;
}

int DaysInMonth(int y, int m) {
  return static_cast<int>(static_cast<unsigned>(
      year_month_day_last{year{y}, month_day_last{month{static_cast<unsigned>(m)}}}.day()));
}

std::optional<Date> ParseIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
    return std::nullopt;
  }
  const auto y = Digits(text.substr(0, 4), 4);
  const auto m = Digits(text.substr(5, 2), 2);
  const auto d = Digits(text.substr(8, 2), 2);
  if (!y || !m || !d || *y < kFirstYear) {
    return std::nullopt;
  }
  const Date date{*y, *m, *d};
  if (!Civil(date).ok()) {
    return std::nullopt;
  }
  return date;
}

std::string IsoText(const Date& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

int DayOfYear(const Date& date) {
  const sys_days first{year{date.year} / January / 1};
  return static_cast<int>((sys_days{Civil(date)} - first).count()) + 1;
}

long long DaysSinceEpoch(const Date& date) {
  return sys_days{Civil(date)}.time_since_epoch().count();
}

Date DateOfDaysSinceEpoch(long long days) {
  const year_month_day ymd{sys_days{std::chrono::days{days}}};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

DatedPeriod PeriodHolding(const Date& date, Aggregation aggregation) {
  // The last part that begins on or before the date; none for weeks.
  const std::span<const std::int8_t> parts = Describe(aggregation).monthParts;
  const auto next = std::upper_bound(parts.begin(), parts.end(), date.day);
  if (next == parts.begin()) {
    return {date, 1};
  }
  const auto part = static_cast<std::size_t>(next - parts.begin() - 1);
  return {{date.year, date.month, parts[part]},
          MonthPartDays(parts, part, DaysInMonth(date.year, date.month))};
}

std::vector<DatedPeriod> DatedPeriods(const Date& from, const Date& to, Aggregation aggregation) {
  std::vector<DatedPeriod> periods;
  if (!HasRealPeriods(aggregation) || to < from) {
    return periods;
  }
  const long long end = DaysSinceEpoch(to);
  for (long long day = DaysSinceEpoch(PeriodHolding(from, aggregation).first); day <= end;) {
    const DatedPeriod period = PeriodHolding(DateOfDaysSinceEpoch(day), aggregation);
    periods.push_back(period);
    day += period.days;
  }
  return periods;
}

double DatedValue(const YearValues& values, const DatedPeriod& period, const CycleChoice& choice) {
  const int year = period.first.year;
  return PeriodValue(values, DayOfYear(period.first), period.days, DaysInYear(year),
                     PeriodFactor(choice, period.days));
}

}  // namespace marovane
