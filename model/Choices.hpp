// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/Calendar.hpp"

// What a table is made of: how the days are aggregated, the unit, the quantity and the method.
// Each concept is an enumeration that keeps the program's codes (the window's button ids, the
// command line's numbers), and one row of a table says everything about each value: its names
// on the command line and in the window, its texts in the files, its factor. Every front end
// reads these rows; none keeps a list of its own. Codes and names from outside are checked
// here, at the edge: past these functions a value is always one of the enumerators.
namespace marovane {

enum class Aggregation : std::int16_t {
  Daily = 1,
  Weekly = 2,
  Dekadal = 3,
  Monthly = 4,
  Pentadal = 5,
};

enum class Unit : std::int16_t {
  MJPerM2Day = 1,
  JPerCm2Day = 2,
  CalPerCm2Day = 3,
  WPerM2 = 4,
  MmPerDay = 5,
  MJPerM2Dekad = 6,
  MmPerDekad = 7,
};

// The extraterrestrial radiation in the chosen unit, or the astronomical day length in hours
// (the unit then plays no part).
enum class Quantity : std::int16_t { Radiation = 1, DayLength = 2 };

// Harmonic: the program's own model (a Fourier series for the declination, single-precision
// steps). Fao56: the formulas of FAO Irrigation and Drainage Paper 56 in double precision.
enum class Method : std::int16_t { Harmonic = 1, Fao56 = 2 };

struct AggregationInfo {
  Aggregation value;
  std::string_view name;       // command line: "dekadal"
  std::string_view caption;    // window: "Dekadal"
  std::string_view period;     // one period, as the chart and messages name it: "Dekad"
  std::string_view header;     // the file's header up to the quantity: "Latitude, Dekad Number, "
  std::string_view dimension;  // the period's name in the tables' attributes: "dekad"
  int periods;                 // periods in the 365-day year
  // Where the periods lie: the first day of each part of a month (Calendar.hpp), the same in
  // the 365-day year and in a real one; empty for weeks of 7 days from the year's first day,
  // which have no place in a real calendar.
  std::span<const std::int8_t> monthParts;
  bool inWindow;  // one of the window's option buttons (a new one needs a place there)
};

struct UnitInfo {
  Unit value;
  std::string_view label;    // command line, window caption and file header: "MJ/m^2/day"
  std::string_view toolTip;  // the window button's, empty for most
  double factor;             // MJ/m^2/day to this unit; per-dekad units per day of the dekad
  bool perDekad;             // the factor is multiplied by the dekad's length in days
  std::string_view udunits;  // the unit as UDUNITS-2 parses it; per-dekad units: per dekad
};

struct QuantityInfo {
  Quantity value;
  std::string_view name;     // command line: "daylength"
  std::string_view caption;  // "Day length"
  std::string_view header;   // the file's header after the period, before any unit label
  bool hasUnit;              // whether the header ends with the unit label
};

struct MethodInfo {
  Method value;
  std::string_view name;       // command line: "fao56"
  std::string_view caption;    // window: "FAO-56"
  std::string_view reference;  // where its formulas come from
  std::string_view summary;    // what it computes, in a sentence or two (a table's comment)
};

namespace choice {

// Millimetres of water evaporated by one MJ/m^2.
inline constexpr double kMmPerMJ = 0.408;
inline constexpr std::string_view kWaterDepth =
    "Water depth that can be evaporated with this amount of energy.";

inline constexpr std::array<AggregationInfo, 5> kAggregations{{
    {Aggregation::Daily, "daily", "Daily", "Day", "Latitude, Julian Day, ", "day", 365, kDayParts,
     true},
    {Aggregation::Weekly,
     "weekly",
     "Weekly",
     "Week",
     "Latitude, Week Number, ",
     "week",
     53,
     {},
     true},
    {Aggregation::Dekadal, "dekadal", "Dekadal", "Dekad", "Latitude, Dekad Number, ", "dekad", 36,
     kDekadParts, true},
    {Aggregation::Monthly, "monthly", "Monthly", "Month", "Latitude, Month Number, ", "month", 12,
     kMonthParts, true},
    {Aggregation::Pentadal, "pentadal", "Pentadal", "Pentad", "Latitude, Pentad Number, ", "pentad",
     72, kPentadParts, false},
}};
static_assert(
    [] {
      for (const AggregationInfo& row : kAggregations) {
        if (!row.monthParts.empty() && row.periods != PeriodsInYear(row.monthParts)) {
          return false;
        }
      }
      return true;
    }(),
    "an aggregation's count of periods differs from its parts of the months");

inline constexpr std::array<UnitInfo, 7> kUnits{{
    {Unit::MJPerM2Day, "MJ/m^2/day", "", 1.0, false, "MJ m-2 day-1"},
    {Unit::JPerCm2Day, "J/cm^2/day", "", 100.0, false, "J cm-2 day-1"},
    {Unit::CalPerCm2Day, "cal/cm^2/day", "", 23.9, false, "cal cm-2 day-1"},
    {Unit::WPerM2, "W/m^2", "", 11.6, false, "W m-2"},
    {Unit::MmPerDay, "mm/day", kWaterDepth, kMmPerMJ, false, "mm day-1"},
    {Unit::MJPerM2Dekad, "MJ/m^2/dekad", "", 1.0, true, "MJ m-2"},
    {Unit::MmPerDekad, "mm/dekad", kWaterDepth, kMmPerMJ, true, "mm"},
}};

inline constexpr std::array<QuantityInfo, 2> kQuantities{{
    {Quantity::Radiation, "radiation", "Radiation", "extraterrestrial Radiation ", true},
    {Quantity::DayLength, "daylength", "Day length", "Day length hours", false},
}};

inline constexpr std::array<MethodInfo, 2> kMethods{{
    {Method::Harmonic, "harmonic", "Harmonic",
     "Declination from a four-harmonic Fourier series of the day of the year; Marovane's own "
     "model",
     "Method harmonic, Marovane's own model: the solar declination is a Fourier series of four "
     "harmonics of the day of the year J, the inverse relative Earth-Sun distance is "
     "(1 - 0.01673 cos((J - 1) 0.017214))^-2, the sunset hour angle is "
     "arccos(-tan(latitude) tan(declination)), and the daily radiation takes the form of FAO-56's "
     "equation 21 with a solar constant of 0.082 MJ m-2 min-1. Steps are rounded to single "
     "precision and pi is 3.141592654; the Method section of Marovane's README sets out every "
     "step and coefficient."},
    {Method::Fao56, "fao56", "FAO-56",
     "Allen, R. G., Pereira, L. S., Raes, D., Smith, M. (1998): Crop evapotranspiration. FAO "
     "Irrigation and Drainage Paper 56, equations 21 to 25 and 34",
     "Method fao56: equations 21 to 25 and 34 of FAO Irrigation and Drainage Paper 56 (see "
     "references) as printed, every step in double precision."},
}};

}  // namespace choice

// The defaults of the window and the command line.
inline constexpr Aggregation kDefaultAggregation = Aggregation::Dekadal;
// Real dates are daily unless told otherwise, on the command line as in Python's for_dates:
// a date's own value.
inline constexpr Aggregation kDefaultDatesAggregation = Aggregation::Daily;
inline constexpr Unit kDefaultUnit = Unit::MJPerM2Day;

// The row of a value. Every enumerator has one.
const AggregationInfo& Describe(Aggregation aggregation);
const UnitInfo& Describe(Unit unit);
const QuantityInfo& Describe(Quantity quantity);
const MethodInfo& Describe(Method method);

// Whether an aggregation has periods in a real calendar (weeks have none), and the refusal
// where it has not: "weeks have no place in the real calendar", and those that have, listed
// as AcceptedAggregations lists them, by name: "daily, dekadal, monthly or pentadal".
bool HasRealPeriods(Aggregation aggregation);
std::string NoRealPeriods(Aggregation aggregation);
std::string RealCalendarAggregations();

// The window's option buttons, in code order: the aggregations it offers, and every unit.
inline constexpr std::size_t kWindowAggregations = [] {
  std::size_t count = 0;
  for (const AggregationInfo& row : choice::kAggregations) {
    count += row.inWindow ? 1 : 0;
  }
  return count;
}();

// A code from outside (a button id, a number on the command line): the value, or nothing for a
// code that has none.
std::optional<Aggregation> AggregationOfCode(int code);
std::optional<Unit> UnitOfCode(int code);

// A name from outside: aggregation, quantity and method names in any case ("Monthly"); a unit
// by its label exactly ("mm/day") or its code ("5").
std::optional<Aggregation> AggregationNamed(std::string_view name);
std::optional<Unit> UnitNamed(std::string_view name);
std::optional<Quantity> QuantityNamed(std::string_view name);
std::optional<Method> MethodNamed(std::string_view name);

// What each choice accepts, as help texts and refusals list it: "daily (1), weekly (2),
// dekadal (3), monthly (4) or pentadal (5)"; the units by label and code; quantities and methods by
// name.
std::string AcceptedAggregations();
std::string AcceptedUnits();
// What a unit may be given as, as refusals say it: "a code 1..7 or a label: " and the list.
std::string AcceptedUnitForms();
std::string AcceptedQuantities();
std::string AcceptedMethods();

constexpr std::int16_t Code(Aggregation a) {
  return static_cast<std::int16_t>(a);
}
constexpr std::int16_t Code(Unit u) {
  return static_cast<std::int16_t>(u);
}

// The unit's label as it ends the file's header line ("MJ/m^2/day").
std::string_view UnitLabel(Unit unit);

// The factor that turns a value in MJ/m^2/day into `unit`. The per-dekad units turn a mean
// daily value into the total over dekad number `period` (8, 10 or 11 days); every other unit
// ignores the period.
// The factors are rounded conversions: 100 J/cm^2 and 23.9 cal/cm^2 per MJ/m^2 (23.9006 with the
// thermochemical calorie); 11.6 W/m^2 for 1 MJ/m^2/day, where 10^6 J / 86400 s is 11.574;
// 0.408 mm of water evaporated per MJ/m^2, the inverse of a latent heat of 2.45 MJ/kg
// (FAO-56 eq. 20).
double UnitFactor(Unit unit, std::int16_t period);

// The same for a dekad of `dekadDays` days, as the real calendar has them (9 in a leap
// February). Days, weeks, months and pentads in the per-dekad units take a nominal dekad of
// 10 days.
double UnitFactorOverDays(Unit unit, int dekadDays);
inline constexpr int kNominalDekadDays = 10;

}  // namespace marovane
