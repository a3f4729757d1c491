// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The calendar of the model year: 365 days, no leap years, 12 months and 36 dekads.
namespace marovane {

inline constexpr std::int16_t kDaysInYear = 365;
inline constexpr std::int16_t kDekadsInYear = 36;
inline constexpr std::int16_t kMonthsInYear = 12;

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
//      month's end, so the third holds the rest of the month (11, 10 or 8 days). The 36
//      dekads add up to 365 days.
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
