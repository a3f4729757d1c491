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

// The periods of an aggregation over the 365-day year, without values. Weeks are 7 days from
// day 1 on, so week 53 is day 365 and days 1 to 6; dekads run 1-10, 11-20 and 21 to the end
// of each month; months are those of a year without 29 February.
std::vector<CyclePeriod> CyclePeriods(Aggregation aggregation);

// Entry d (1..365) is the value of day d of `quantity` by `method`: radiation in MJ/m^2/day,
// day length in hours; entry 0 is unused and 0.
YearValues DailyValues(float latitude, Quantity quantity, Method method);

// The table of `latitude`. Each value is factor x mean: the mean of the period's daily values
// (a sum from 0 in day order, divided by the number of days), times UnitFactor of the unit
// for radiation (1 for hours). The per-dekad units take each dekad's own length in the
// dekadal mode; days, weeks and months take that of a nominal 10-day dekad.
AnnualCycle AnnualCycleTable(float latitude, const CycleChoice& choice);

}  // namespace marovane
