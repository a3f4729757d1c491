// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The calendar of the model year: 365 days, no leap years, 12 months and 36 dekads.
namespace marovane {

inline constexpr std::int16_t kDaysInYear = 365;
inline constexpr std::int16_t kDekadsInYear = 36;
inline constexpr std::int16_t kMonthsInYear = 12;

// Number of days of dekad `dekad` (1..36; three per month: days 1-10, 11-20, 21-end).
// The third dekad of a month holds the rest of it: 11 days in a 31-day month, 8 in February.
// Any number outside the lists, 0 and negatives included, gives 10.
std::int16_t DekadLength(std::int16_t dekad);

// Number of days of month `month` (1 = January .. 12 = December; February has 28).
// Any number outside 1..12 gives 0.
std::int16_t MonthLength(std::int16_t month);

}  // namespace marovane
