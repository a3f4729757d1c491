// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/AnnualCycle.hpp"

// The texts and scales of the chart of annual cycles, the same in the window and on the page:
// how it names latitudes, units and curves, its titles, its readout under the pointer, its
// value axis and the table that "Copy values" gives. The front ends keep which curves are
// drawn and draw them.
namespace marovane {

// "41.9°", as the status line, the legend and Copy values write it.
std::string LatitudeDegrees(float latitude);
// "41.9° N", "33.9° S", "0°", as the title and the readout write it.
std::string LatitudeName(float latitude);
// "MJ/m^2/day", or "hours" for a day length: the files' own text.
std::string ValueUnitText(const CycleChoice& choice);
// The same with superscripts, as the chart writes it: "MJ m⁻² day⁻¹", "hours".
std::string ChartUnit(const CycleChoice& choice);

// The legend's names: "41.9°"; beside the other method's curve "41.9°, Harmonic" and
// "41.9°, FAO-56"; a day length "Day length at 41.9°".
std::string CurveName(float latitude);
std::string MethodCurveName(float latitude, Method method);
std::string DayLengthCurveName(float latitude);
// The key under the chart names by hemisphere: "41.9° N"; beside the other method's curve
// "41.9° N, Harmonic"; a day length "Day length at 41.9° N".
std::string KeyName(float latitude);
std::string MethodKeyName(float latitude, Method method);
std::string DayLengthKeyName(float latitude);
// The key's one entry for every day length drawn, each dotted in its latitude's colour.
inline constexpr std::string_view kDayLengthKey = "Day length (dotted, right axis)";

// What the chart draws: "Extraterrestrial radiation at 41.9° N, dekadal means,
// MJ m⁻² day⁻¹"; with kept curves, whose latitudes the legend names, no latitude; with the
// day length, "; day length, hours" after.
std::string ChartTitle(float latitude, const CycleChoice& choice, bool anyKept, bool dayLength);
// "Annual cycle at 41.9°, Dekadal, MJ/m^2/day".
std::string ChartWindowTitle(float latitude, const CycleChoice& choice);
// Whether the chart follows the main window's text, and which latitude it keeps where it does
// not.
std::string ChartStatus(std::string_view latitudeText, bool followsText, float latitude);

// An axis from 0 to `top` in `steps` equal steps.
struct ValueScale {
  double top = 1.0;
  int steps = 5;
  bool operator==(const ValueScale&) const = default;
};
// An axis from 0 with a step of 1, 2, 2.5 or 5 times a power of ten, about five steps, that
// rises above `highest`.
ValueScale NiceScale(double highest);

// The period under day `day` (fractional, as on the axis): the nearest day, or the period
// that holds it (a boundary belongs to the period that starts there, the year's end to the
// last); nothing off the table.
const CyclePeriod* PeriodAt(const AnnualCycle& table, double day);
// "Dekad 17 at 41.9° N (Harmonic): 41.879 MJ m⁻² day⁻¹", the value as the file writes it;
// "Day 172 at 41.9° N (day length): 15.052 hours"; empty off the table.
std::string Reading(const AnnualCycle& table, double day);

// A column of Copy values: its curve and the legend's name of it.
struct ValuesColumn {
  const AnnualCycle* table;
  std::string name;
};
// The values drawn as a tab-separated table: a header row ("Dekad", then "name (unit)" per
// column), then one row per period with its number and each column's value as the file
// writes it. Every column has the periods of `aggregation`.
std::string ValuesTable(Aggregation aggregation, const std::vector<ValuesColumn>& columns);

}  // namespace marovane
