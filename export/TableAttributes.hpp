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
// The table of the 365-day year has the dimensions lat and the period's own name (day, week,
// dekad or month) and the variables
//   lat(lat)                  float   the latitudes, as the program holds them
//   dekad(dekad)              double  the day of the year at the period's middle
//   dekad_bounds(dekad, nv)   double  the period's first and last day of the year, both
//                                     included (week 53: 365 and 371, its days 1..6 of the
//                                     next year counted on past 365)
//   dekad_number(dekad)       int     the period's number, 1..36, as the files write it
//   radiation(lat, dekad)     double  the values, the same numbers as the text files
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
  std::string periodDimension;    // "dekad", or "time" for real dates
  std::string boundsDimension;    // "nv", the two ends of a period
  TableVariable latitude;
  TableVariable period;
  TableVariable periodBounds;
  std::optional<TableVariable> periodNumber;  // none for real dates
  std::optional<TableVariable> stationId;     // station tables only
  std::string nameLengthDimension;            // "name_strlen", station tables only
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

// One period of the 365-day table as its coordinates say it.
struct TablePeriodCell {
  int number = 0;       // 1..365, 1..53, 1..36 or 1..12
  double middle = 0.0;  // (first + last) / 2
  int first = 0;        // first day of the year
  int last = 0;         // last day, past 365 for week 53
};
std::vector<TablePeriodCell> TablePeriodCells(Aggregation aggregation);

// The value of an attribute by name; empty when the variable has none.
std::string AttributeValue(const std::vector<TableAttribute>& attributes, const std::string& name);

}  // namespace marovane
