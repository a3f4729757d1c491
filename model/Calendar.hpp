// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>

// The calendar of the model year: 365 days, no leap years, 12 months and 36 dekads; and the
// parts every aggregation but weeks cuts each month into, in the model year as in a real one.
namespace marovane {

inline constexpr std::int16_t kDaysInYear = 365;
inline constexpr std::int16_t kDekadsInYear = 36;
inline constexpr std::int16_t kMonthsInYear = 12;

// The first day of each part of a month; the last part runs to the month's end, and a part
// that would begin after it (day 29 of February) has no place that month.
inline constexpr std::array<std::int8_t, 31> kDayParts{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                                       12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                                                       23, 24, 25, 26, 27, 28, 29, 30, 31};
// Dekads: days 1-10, 11-20 and 21 to the month's end (8, 9, 10 or 11 days).
inline constexpr std::array<std::int8_t, 3> kDekadParts{1, 11, 21};
// Pentads as climate services count them: six a month, the sixth from day 26 to the end.
inline constexpr std::array<std::int8_t, 6> kPentadParts{1, 6, 11, 16, 21, 26};
inline constexpr std::array<std::int8_t, 1> kMonthParts{1};

// The days of part `part` (from 0) of a month of `monthDays` days cut at `parts`; 0 where the
// month has no such part.
constexpr int MonthPartDays(std::span<const std::int8_t> parts, std::size_t part, int monthDays) {
  if (part >= parts.size() || parts[part] > monthDays) {
    return 0;
  }
  const int next =
      part + 1 < parts.size() && parts[part + 1] <= monthDays ? parts[part + 1] : monthDays + 1;
  return next - parts[part];
}

// The parts of the 365-day year's months.
constexpr int PeriodsInYear(std::span<const std::int8_t> parts) {
  constexpr std::array<int, 12> kMonthDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int count = 0;
  for (const int days : kMonthDays) {
    for (std::size_t part = 0; part < parts.size(); ++part) {
      count += MonthPartDays(parts, part, days) > 0 ? 1 : 0;
    }
  }
  return count;
}

// DekadLength
// The number of days of a dekad.
//
// Given:
//   dekad  int16  dekad number, 1..36; any value is accepted
//
// Returned (function value):
//          int16  days: 11 for dekads 3, 9, 15, 21, 24, 30 and 36, 8 for dekad 6, 10 for every
//                 other number (0, negatives and numbers above 36 included)
//
// Notes:
//   1. Each month has three dekads, 3m - 2, 3m - 1 and 3m: days 1-10, 11-20 and 21 to the
//      month's end (kDekadParts), so the third holds the rest of the month (11, 10 or 8
//      days). The 36 dekads add up to 365 days.
//   2. The per-dekad units multiply by this length (UnitFactor in Choices.hpp).
//
// Reference:
//   None; the usual agro-meteorological dekad.
std::int16_t DekadLength(std::int16_t dekad);

// MonthLength
// The number of days of a month of the 365-day year.
//
// Given:
//   month  int16  month number, 1 = January .. 12 = December; any value is accepted
//
// Returned (function value):
//          int16  days: 31, 28 (February, always) or 30; 0 for a number outside 1..12
std::int16_t MonthLength(std::int16_t month);

}  // namespace marovane
