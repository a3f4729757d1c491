// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "model/AnnualRadiation.hpp"
#include "model/Choices.hpp"

// The annual cycle of one latitude as a table: the 365 daily values of a quantity, aggregated
// to days, weeks, dekads or months as means of daily values, converted to a unit and rounded
// to 3 decimals. A plain value, the same for the file, the chart and every other front end.
namespace marovane {

// What a table holds.
struct CycleChoice {
  Aggregation aggregation = kDefaultAggregation;
  Unit unit = kDefaultUnit;
  Quantity quantity = Quantity::Radiation;
  Method method = Method::Harmonic;
};

// One period of the year: day d, week w, dekad k or month m.
struct CyclePeriod {
  std::int16_t number = 0;  // 1..365, 1..53, 1..36 or 1..12
  int firstDay = 0;         // its first day; week 53 runs on past 365 into days 1..6
  int days = 0;             // how many days it spans
  double value = 0.0;       // the mean of its days in the chosen unit, rounded to 3 decimals
};

struct AnnualCycle {
  float latitude = 0.0f;
  CycleChoice choice;
  std::vector<CyclePeriod> periods;
};

// CyclePeriods
// The periods of an aggregation over the 365-day year, without values.
//
// Given:
//   aggregation  Aggregation  daily, weekly, dekadal or monthly
//
// Returned (function value):
//                vector       365 days, 53 weeks, 36 dekads or 12 months in order, each with
//                             its number, first day and length (value 0)
//
// Notes:
//   1. Weeks are 7 days from day 1 on, so week 53 is day 365 and days 1 to 6 of the same year.
//      Dekads run 1-10, 11-20 and 21 to the end of each month (DekadLength); months are those
//      of a year without 29 February (MonthLength).
std::vector<CyclePeriod> CyclePeriods(Aggregation aggregation);

// DailyValues
// The 365 daily values of a quantity by a method, before any aggregation.
//
// Given:
//   latitude  float     degrees, -90..90, north positive
//   quantity  Quantity  Radiation or DayLength
//   method    Method    Harmonic (Radiation.hpp) or Fao56 (Fao56.hpp)
//
// Returned (function value):
//             YearValues  entry d (1..365) is day d's value: DailyRadiation or
//                         Fao56DailyRadiation in MJ/m^2/day, DayLength or Fao56DayLength in
//                         hours; entry 0 is unused and 0
//
// Notes:
//   1. The FAO-56 functions are given the latitude's single widened exactly to double.
YearValues DailyValues(float latitude, Quantity quantity, Method method);

// AnnualCycleTable
// The annual table of one latitude: what every file, chart and other output shows.
//
// Given:
//   latitude  float        degrees, -90..90, north positive
//   choice    CycleChoice  aggregation, unit, quantity and method
//
// Returned (function value):
//             AnnualCycle  the periods of CyclePeriods(choice.aggregation), each with its value
//
// Notes:
//   1. Each value is RoundTo3Decimals(factor * mean), in double precision: the mean of the
//      period's daily values (DailyValues; a sum from 0 in day order, divided by the number of
//      days), times UnitFactor of the unit for radiation, 1 for hours.
//   2. The per-dekad units take each dekad's own length in the dekadal mode; days, weeks and
//      months take that of a nominal 10-day dekad (UnitFactor with period 1).
//   3. Aggregation, units and rounding are the same for both methods.
AnnualCycle AnnualCycleTable(float latitude, const CycleChoice& choice);

}  // namespace marovane
