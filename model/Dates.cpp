// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Dates.hpp"

#include <chrono>
#include <cstdio>

#include "model/Fao56.hpp"
#include "model/Radiation.hpp"
#include "model/Rounding.hpp"

namespace marovane {

namespace {

using namespace std::chrono;

constexpr int kLeapDay = 366;

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
  switch (aggregation) {
    case Aggregation::Dekadal: {
      const int first = date.day <= 10 ? 1 : date.day <= 20 ? 11 : 21;
      const int last = first == 21 ? DaysInMonth(date.year, date.month) : first + 9;
      return {{date.year, date.month, first}, last - first + 1};
    }
    case Aggregation::Monthly:
      return {{date.year, date.month, 1}, DaysInMonth(date.year, date.month)};
    case Aggregation::Daily:
    case Aggregation::Weekly:
      break;
  }
  return {date, 1};
}

std::vector<DatedPeriod> DatedPeriods(const Date& from, const Date& to, Aggregation aggregation) {
  std::vector<DatedPeriod> periods;
  if (aggregation == Aggregation::Weekly || to < from) {
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

RealYearValues RealYearDailyValues(float latitude, Quantity quantity, Method method) {
  RealYearValues values{};
  const YearValues year = DailyValues(latitude, quantity, method);
  std::copy(year.begin(), year.end(), values.begin());
  double& leapDay = values[kLeapDay];
  if (method == Method::Fao56) {
    const auto phi = static_cast<double>(latitude);
    leapDay = quantity == Quantity::Radiation ? Fao56DailyRadiation(phi, kLeapDay)
                                              : Fao56DayLength(phi, kLeapDay);
  } else {
    leapDay = quantity == Quantity::Radiation
                  ? DailyRadiation(latitude, kLeapDay)
                  : static_cast<double>(DayLength(latitude, kLeapDay));
  }
  return values;
}

double DatedValue(const RealYearValues& values, const DatedPeriod& period,
                  const CycleChoice& choice) {
  double sum = 0.0;
  long long day = DaysSinceEpoch(period.first);
  for (int i = 0; i < period.days; ++i, ++day) {
    sum += values[static_cast<std::size_t>(DayOfYear(DateOfDaysSinceEpoch(day)))];
  }
  const double mean = sum / static_cast<double>(period.days);
  double factor = 1.0;
  if (choice.quantity == Quantity::Radiation) {
    factor = UnitFactorOverDays(
        choice.unit, choice.aggregation == Aggregation::Dekadal ? period.days : kNominalDekadDays);
  }
  return RoundTo3Decimals(factor * mean);
}

}  // namespace marovane
