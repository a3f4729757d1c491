// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "model/AnnualRadiation.hpp"
#include "model/Calendar.hpp"
#include "model/Choices.hpp"

// The annual cycle of one latitude as a table: the 365 daily values of a quantity, aggregated
// to days, weeks, dekads, months or pentads as means of daily values, converted to a unit and
// rounded to 3 decimals. A plain value, the same for the file, the chart and every other front end.
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
  std::int16_t number = 0;  // 1..365, 1..53, 1..36, 1..12 or 1..72
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
//   aggregation  Aggregation  daily, weekly, dekadal, monthly or pentadal
//
// Returned (function value):
//                vector       365 days, 53 weeks, 36 dekads, 12 months or 72 pentads in order,
//                             each with its number, first day and length (value 0)
//
// Notes:
//   1. Weeks are 7 days from day 1 on, so week 53 is day 365 and days 1 to 6 of the same year.
//      Every other aggregation cuts each month at its parts (AggregationInfo::monthParts):
//      dekads 1-10, 11-20 and 21 to the end (DekadLength), pentads 1-5, 6-10, 11-15, 16-20,
//      21-25 and 26 to the end; months are those of a year without 29 February (MonthLength).
std::vector<CyclePeriod> CyclePeriods(Aggregation aggregation);

// DailyValues
// The daily values of a quantity by a method, before any aggregation.
//
// Given:
//   latitude  float     degrees, -90..90, north positive
//   quantity  Quantity  Radiation or DayLength
//   method    Method    Harmonic (Radiation.hpp) or Fao56 (Fao56.hpp)
//   yearDays  int       365 (the model year) or 366 (a leap year, for real dates)
//
// Returned (function value):
//             YearValues  entry d (1..yearDays) is day d's value: DailyRadiation or
//                         Fao56DailyRadiation in MJ/m^2/day, DayLength or Fao56DayLength in
//                         hours; the other entries are 0
//
// Notes:
//   1. The FAO-56 functions are given the latitude's single widened exactly to double.
//   2. Days 1..365 are the same, bit for bit, whatever yearDays.
YearValues DailyValues(float latitude, Quantity quantity, Method method,
                       int yearDays = kDaysInYear);

// PeriodFactor
// The factor that turns a period's mean of daily values into the chosen unit.
//
// Given:
//   choice  CycleChoice  the unit, quantity and aggregation
//   days    int          the period's length in days
//
// Returned (function value):
//           double       UnitFactorOverDays of the unit for radiation, 1 for hours
//
// Notes:
//   1. The per-dekad units take a dekad's own length in the dekadal aggregation (8 to 11
//      days); days, weeks, months and pentads take that of a nominal 10-day dekad.
double PeriodFactor(const CycleChoice& choice, int days);

// PeriodValue
// The value of one period, as every table, file and chart shows it.
//
// Given:
//   values    YearValues  DailyValues of the year
//   firstDay  int         day of the year of the period's first day
//   days      int         its length; days past yearDays go on from day 1 (week 53)
//   yearDays  int         365 or 366, as given to DailyValues
//   factor    double      PeriodFactor of the period
//
// Returned (function value):
//             double      RoundTo3Decimals(factor * mean), where the mean is the sum of the
//                         days' values from 0 in day order divided by `days`; a negative zero
//                         comes back as 0, as the files print it
//
// Notes:
//   1. Every operation is in double precision, in this order: the digits depend on it.
double PeriodValue(const YearValues& values, int firstDay, int days, int yearDays, double factor);

// PeriodValues
// PeriodValue of each of `periods` of the 365-day year, into `out` (one value per period).
// A long run of days is rounded several values at a time, to the same values.
void PeriodValues(const YearValues& values, const std::vector<CyclePeriod>& periods,
                  const CycleChoice& choice, double* out);

// AnnualCycleTable
// The annual table of one latitude: what every file, chart and other output shows.
//
// Given:
//   latitude  float        degrees, -90..90, north positive
//   choice    CycleChoice  aggregation, unit, quantity and method
//
// Returned (function value):
//             AnnualCycle  the periods of CyclePeriods(choice.aggregation), each with its
//                          PeriodValue over DailyValues of the 365-day year
AnnualCycle AnnualCycleTable(float latitude, const CycleChoice& choice);

}  // namespace marovane
