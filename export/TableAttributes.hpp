// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/AnnualCycle.hpp"
#include "model/Dates.hpp"

// What a table of many latitudes says about itself, as plain data: the names of its dimensions
// and variables and their attributes, following the CF conventions (1.8). The NetCDF file is
// written from it, and any other front end that builds the same dataset reads the same.
//
// The table of the 365-day year has the dimensions time, lat, lon and nv, and the variables
//   time(time)                double  days since 0001-01-01, calendar noleap: the period's first
//                                     day in a year of 365 days counted as the year 1; period n
//                                     is time index n - 1
//   time_bounds(time, nv)     double  the period's first day and the day after its last (week
//                                     53: 364 and 371, 31 December to 6 January of the year 2)
//   lat(lat)                  float   the latitudes, as the program holds them
//   lon(lon)                  float   one longitude, 0: the values hold at every longitude, and
//                                     readers such as CDO want a grid of two axes
//   radiation(time, lat, lon) double  the values, the same numbers as the text files
// The table of real dates has the dimensions time and lat and the variables
//   time(time)                double  days since the first period's first day
//   time_bounds(time, nv)     double  the period's first day and the day after its last
//   lat(lat)                  float
//   radiation(time, lat)      double
// The data variable is named after the quantity: radiation or daylength.
//
// A table of named stations takes the dimension station in place of lat, as CF's time series
// of discrete stations: lat(station) and the identifiers station_id(station, name_strlen), text
// as characters (the classic format has no strings), cf_role timeseries_id; the data variable
// names both among its coordinates, and the table of real dates says featureType timeSeries.
namespace marovane {

// A text attribute (every attribute of the table is text).
struct TableAttribute {
  std::string name;
  std::string value;

  friend bool operator==(const TableAttribute&, const TableAttribute&) = default;
};

struct TableVariable {
  std::string name;
  std::vector<std::string> dimensions;  // outermost first
  std::vector<TableAttribute> attributes;
};

struct TableDescription {
  std::string latitudeDimension;  // "lat"
  std::string periodDimension;    // "time"
  std::string boundsDimension;    // "nv", the two ends of a period
  TableVariable latitude;
  std::optional<TableVariable> longitude;  // its dimension has its name; none for real dates
  TableVariable period;
  TableVariable periodBounds;
  std::optional<TableVariable> stationId;  // station tables only
  std::string nameLengthDimension;         // "name_strlen", station tables only
  TableVariable data;
  std::vector<TableAttribute> global;  // Conventions, title, source, references, comment
};

// The table of the 365-day year of `choice`. Stable: other front ends build on these names.
TableDescription DescribeTable(const CycleChoice& choice);

// The table of real dates whose time is counted in days from `epoch` (the first period's first
// day), proleptic Gregorian calendar. Weekly has no real periods: callers refuse it first.
TableDescription DescribeDatedTable(const CycleChoice& choice, const Date& epoch);

// The same tables for named stations.
TableDescription DescribeStationTable(const CycleChoice& choice);
TableDescription DescribeStationDatedTable(const CycleChoice& choice, const Date& epoch);

// One period of the 365-day table as its time axis says it, in days since 0001-01-01.
struct TablePeriodCell {
  int number = 0;  // 1..365, 1..53, 1..36, 1..12 or 1..72: its time index plus one
  int start = 0;   // its first day: day of the year - 1
  int end = 0;     // the day after its last, 371 for week 53
};
std::vector<TablePeriodCell> TablePeriodCells(Aggregation aggregation);

// The value of an attribute by name; empty when the variable has none.
std::string AttributeValue(const std::vector<TableAttribute>& attributes, const std::string& name);

}  // namespace marovane
