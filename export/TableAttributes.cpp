// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/TableAttributes.hpp"

#include "Version.hpp"

namespace marovane {

namespace {

const char* const kLatitude = "lat";
const char* const kLongitude = "lon";
const char* const kBounds = "nv";
const char* const kTime = "time";
const char* const kStation = "station";
const char* const kTimeBounds = "time_bounds";

bool PerDekadTotal(const CycleChoice& choice) {
  return choice.quantity == Quantity::Radiation && Describe(choice.unit).perDekad;
}

// The unit as UDUNITS-2 reads it. A per-dekad unit is the total over the dekad itself in the
// dekadal tables, and a rate per nominal 10 days in every other.
std::string UdunitsOf(const CycleChoice& choice) {
  if (choice.quantity == Quantity::DayLength) {
    return "h";
  }
  std::string units(Describe(choice.unit).udunits);
  if (PerDekadTotal(choice) && choice.aggregation != Aggregation::Dekadal) {
    units += " (10 day)-1";
  }
  return units;
}

// "extraterrestrial solar radiation in MJ/m^2/dekad, total over each dekad".
std::string LongName(const CycleChoice& choice) {
  const std::string period(Describe(choice.aggregation).dimension);
  std::string name =
      choice.quantity == Quantity::Radiation
          ? "extraterrestrial solar radiation in " + std::string(UnitLabel(choice.unit))
          : std::string("astronomical day length in hours");
  if (PerDekadTotal(choice)) {
    return name + (choice.aggregation == Aggregation::Dekadal
                       ? ", total over each dekad"
                       : ", mean of each " + period + " as the total of a nominal 10-day dekad");
  }
  return name +
         (choice.aggregation == Aggregation::Daily ? ", of each day" : ", mean of each " + period);
}

std::string CellMethods(const CycleChoice& choice) {
  const bool sum = PerDekadTotal(choice) && choice.aggregation == Aggregation::Dekadal;
  return std::string(kTime) + (sum ? ": sum" : ": mean");
}

TableVariable LatitudeVariable() {
  return {kLatitude,
          {kLatitude},
          {{"units", "degrees_north"},
           {"standard_name", "latitude"},
           {"long_name", "latitude"},
           {"axis", "Y"}}};
}

// The table's one longitude: a zonal grid as CDO writes its own zonal means.
TableVariable LongitudeVariable() {
  return {kLongitude,
          {kLongitude},
          {{"units", "degrees_east"},
           {"standard_name", "longitude"},
           {"long_name", "longitude"},
           {"axis", "X"},
           {"comment", "The values hold at every longitude."}}};
}

TableVariable TimeVariable(const CycleChoice& choice, const std::string& units,
                           const std::string& calendar) {
  const std::string period(Describe(choice.aggregation).dimension);
  return {kTime,
          {kTime},
          {{"standard_name", "time"},
           {"long_name",
            choice.aggregation == Aggregation::Daily ? period : "first day of the " + period},
           {"units", units},
           {"calendar", calendar},
           {"axis", "T"},
           {"bounds", kTimeBounds}}};
}

TableVariable DataVariable(const CycleChoice& choice, std::vector<std::string> dimensions) {
  TableVariable data{std::string(Describe(choice.quantity).name), std::move(dimensions), {}};
  data.attributes.push_back({"long_name", LongName(choice)});
  data.attributes.push_back({"units", UdunitsOf(choice)});
  // The mean flux over the day at the top of the atmosphere, in units UDUNITS-2 converts to
  // W m-2; millimetres of water and dekad totals have no standard name.
  if (choice.quantity == Quantity::Radiation && !Describe(choice.unit).perDekad &&
      choice.unit != Unit::MmPerDay) {
    data.attributes.push_back({"standard_name", "toa_incoming_shortwave_flux"});
  }
  data.attributes.push_back({"cell_methods", CellMethods(choice)});
  // UDUNITS-2 takes W m-2 for exactly 10^6 J / 86400 s per MJ m-2 day-1; the values keep the
  // rounded factor of the text files.
  if (choice.quantity == Quantity::Radiation && choice.unit == Unit::WPerM2) {
    data.attributes.push_back(
        {"comment",
         "W m-2 made from MJ m-2 day-1 with the factor 11.6, as in Marovane's text files: 0.22 % "
         "above the exact 10^6 / 86400 = 11.574 by which UDUNITS-2 converts these units."});
  }
  return data;
}

std::string Title(const CycleChoice& choice, const std::string& calendar) {
  const std::string what = choice.quantity == Quantity::Radiation
                               ? "Daily extraterrestrial solar radiation"
                               : "Astronomical day length";
  const std::string unit =
      choice.quantity == Quantity::Radiation ? std::string(UnitLabel(choice.unit)) : "hours";
  return what + " by latitude, " + std::string(Describe(choice.aggregation).name) + ", " + unit +
         ", " + calendar;
}

std::vector<TableAttribute> GlobalAttributes(const CycleChoice& choice, const std::string& calendar,
                                             const std::string& comment) {
  const MethodInfo& method = Describe(choice.method);
  return {{"Conventions", "CF-1.8"},
          {"title", Title(choice, calendar)},
          {"source", std::string("Marovane ") + kVersion + ", method " + std::string(method.name)},
          {"references", std::string(method.reference)},
          {"comment", comment + " " + std::string(method.summary)}};
}

}  // namespace

std::vector<TablePeriodCell> TablePeriodCells(Aggregation aggregation) {
  std::vector<TablePeriodCell> cells;
  for (const CyclePeriod& p : CyclePeriods(aggregation)) {
    cells.push_back({p.number, p.firstDay - 1, p.firstDay - 1 + p.days});
  }
  return cells;
}

TableDescription DescribeTable(const CycleChoice& choice) {
  const std::string period(Describe(choice.aggregation).dimension);
  TableDescription table;
  table.latitudeDimension = kLatitude;
  table.periodDimension = kTime;
  table.boundsDimension = kBounds;
  table.latitude = LatitudeVariable();
  table.longitude = LongitudeVariable();
  // The year 1 of a calendar without 29 February: no real year, and readers (CDO, cftime) date
  // it without a leap day to skip.
  table.period = TimeVariable(choice, "days since 0001-01-01 00:00:00", "noleap");
  table.periodBounds = {kTimeBounds, {kTime, kBounds}, {}};
  table.data = DataVariable(choice, {kTime, kLatitude, kLongitude});
  table.global = GlobalAttributes(
      choice, "365-day year",
      "Days 1 to 365 of a year without 29 February, the year 1 of the calendar noleap: " + period +
          " n is time index n - 1, its time its first day, its bounds its first day and the day "
          "after its last" +
          (choice.aggregation == Aggregation::Weekly
               ? "; week 53 is day 365 and days 1 to 6, 31 December to 6 January of the year 2"
               : "") +
          ". Values are rounded to 3 decimals, as in Marovane's text files.");
  return table;
}

TableDescription DescribeDatedTable(const CycleChoice& choice, const Date& epoch) {
  TableDescription table;
  table.latitudeDimension = kLatitude;
  table.periodDimension = kTime;
  table.boundsDimension = kBounds;
  table.latitude = LatitudeVariable();
  table.period =
      TimeVariable(choice, "days since " + IsoText(epoch) + " 00:00:00", "proleptic_gregorian");
  table.periodBounds = {kTimeBounds, {kTime, kBounds}, {}};
  table.data = DataVariable(choice, {kTime, kLatitude});
  table.global = GlobalAttributes(
      choice, "real calendar dates",
      "Each day takes its day of the year J (1 to 366; 29 February is day 60 of a leap year). "
      "Each period runs from its time to its upper bound, whole even where it reaches past the "
      "dates asked for. Values are rounded to 3 decimals, as in Marovane's text files.");
  return table;
}

namespace {

// A table of latitudes made a table of stations, CF's time series at discrete stations: lat
// along station, the identifiers beside it, and no longitude (the values hold at every one).
TableDescription OfStations(TableDescription table) {
  table.latitudeDimension = kStation;
  table.nameLengthDimension = "name_strlen";
  table.latitude.dimensions = {kStation};
  std::erase_if(table.latitude.attributes,
                [](const TableAttribute& a) { return a.name == "axis"; });
  table.longitude.reset();
  table.stationId = TableVariable{"station_id",
                                  {kStation, table.nameLengthDimension},
                                  {{"long_name", "station identifier"},
                                   {"cf_role", "timeseries_id"},
                                   // Readers that know it (netCDF4, xarray) give texts, not bytes.
                                   {"_Encoding", "utf-8"}}};
  table.data.dimensions = {kTime, kStation};
  table.data.attributes.push_back({"coordinates", "lat station_id"});
  table.global.insert(table.global.begin() + 1, {"featureType", "timeSeries"});
  return table;
}

}  // namespace

TableDescription DescribeStationTable(const CycleChoice& choice) {
  return OfStations(DescribeTable(choice));
}

TableDescription DescribeStationDatedTable(const CycleChoice& choice, const Date& epoch) {
  return OfStations(DescribeDatedTable(choice, epoch));
}

std::string AttributeValue(const std::vector<TableAttribute>& attributes, const std::string& name) {
  for (const TableAttribute& a : attributes) {
    if (a.name == name) {
      return a.value;
    }
  }
  return {};
}

}  // namespace marovane
