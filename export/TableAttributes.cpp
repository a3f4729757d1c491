// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/TableAttributes.hpp"

#include "Version.hpp"

namespace marovane {

namespace {

const char* const kLatitude = "lat";
const char* const kBounds = "nv";
const char* const kTime = "time";
const char* const kStation = "station";

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

std::string CellMethods(const CycleChoice& choice, const std::string& dimension) {
  const bool sum = PerDekadTotal(choice) && choice.aggregation == Aggregation::Dekadal;
  return dimension + (sum ? ": sum" : ": mean");
}

TableVariable LatitudeVariable() {
  return {kLatitude,
          {kLatitude},
          {{"units", "degrees_north"},
           {"standard_name", "latitude"},
           {"long_name", "latitude"},
           {"axis", "Y"}}};
}

TableVariable DataVariable(const CycleChoice& choice, std::vector<std::string> dimensions,
                           const std::string& periodDimension, const std::string& numberVariable) {
  TableVariable data{std::string(Describe(choice.quantity).name), std::move(dimensions), {}};
  data.attributes.push_back({"long_name", LongName(choice)});
  data.attributes.push_back({"units", UdunitsOf(choice)});
  // The mean flux over the day at the top of the atmosphere, in units UDUNITS-2 converts to
  // W m-2; millimetres of water and dekad totals have no standard name.
  if (choice.quantity == Quantity::Radiation && !Describe(choice.unit).perDekad &&
      choice.unit != Unit::MmPerDay) {
    data.attributes.push_back({"standard_name", "toa_incoming_shortwave_flux"});
  }
  data.attributes.push_back({"cell_methods", CellMethods(choice, periodDimension)});
  if (!numberVariable.empty()) {
    data.attributes.push_back({"coordinates", numberVariable});
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
    const int last = p.firstDay + p.days - 1;
    cells.push_back({p.number, (p.firstDay + last) / 2.0, p.firstDay, last});
  }
  return cells;
}

TableDescription DescribeTable(const CycleChoice& choice) {
  const AggregationInfo& aggregation = Describe(choice.aggregation);
  const std::string period(aggregation.dimension);
  const std::string bounds = period + "_bounds";
  const std::string number = period + "_number";

  TableDescription table;
  table.latitudeDimension = kLatitude;
  table.periodDimension = period;
  table.boundsDimension = kBounds;
  table.latitude = LatitudeVariable();
  table.period = {period,
                  {period},
                  {{"long_name", "day of the year at the middle of the " + period},
                   // Not "day": readers such as CDO take a coordinate in days for time, and
                   // time for the outermost dimension. A day of the year is a count.
                   {"units", "1"},
                   {"bounds", bounds}}};
  table.periodBounds = {bounds, {period, kBounds}, {}};
  table.periodNumber =
      TableVariable{number, {period}, {{"long_name", std::string(aggregation.period) + " number"}}};
  table.data = DataVariable(choice, {kLatitude, period}, period, number);
  table.global =
      GlobalAttributes(choice, "365-day year",
                       "Days 1 to 365 of a year without 29 February. Each " + period +
                           "'s bounds are its first and last day of the year, both included" +
                           (choice.aggregation == Aggregation::Weekly
                                ? "; week 53 is day 365 and days 1 to 6, counted on as 366 to 371"
                                : "") +
                           ". Values are rounded to 3 decimals, as in Marovane's text files.");
  return table;
}

TableDescription DescribeDatedTable(const CycleChoice& choice, const Date& epoch) {
  const std::string bounds = std::string(kTime) + "_bounds";
  TableDescription table;
  table.latitudeDimension = kLatitude;
  table.periodDimension = kTime;
  table.boundsDimension = kBounds;
  table.latitude = LatitudeVariable();
  table.period = {
      kTime,
      {kTime},
      {{"standard_name", "time"},
       {"long_name", "first day of the " + std::string(Describe(choice.aggregation).dimension)},
       {"units", "days since " + IsoText(epoch) + " 00:00:00"},
       {"calendar", "proleptic_gregorian"},
       {"axis", "T"},
       {"bounds", bounds}}};
  table.periodBounds = {bounds, {kTime, kBounds}, {}};
  table.data = DataVariable(choice, {kTime, kLatitude}, kTime, "");
  table.global = GlobalAttributes(
      choice, "real calendar dates",
      "Each day takes its day of the year J (1 to 366; 29 February is day 60 of a leap year). "
      "Each period runs from its time to its upper bound, whole even where it reaches past the "
      "dates asked for. Values are rounded to 3 decimals, as in Marovane's text files.");
  return table;
}

namespace {

// A table of latitudes made a table of stations: lat along station, the identifiers beside it.
TableDescription OfStations(TableDescription table) {
  table.latitudeDimension = kStation;
  table.nameLengthDimension = "name_strlen";
  table.latitude.dimensions = {kStation};
  std::erase_if(table.latitude.attributes,
                [](const TableAttribute& a) { return a.name == "axis"; });
  table.stationId = TableVariable{"station_id",
                                  {kStation, table.nameLengthDimension},
                                  {{"long_name", "station identifier"},
                                   {"cf_role", "timeseries_id"},
                                   // Readers that know it (netCDF4, xarray) give texts, not bytes.
                                   {"_Encoding", "utf-8"}}};
  for (std::string& dimension : table.data.dimensions) {
    dimension = dimension == kLatitude ? kStation : dimension;
  }
  std::string coordinates = "lat station_id";
  std::erase_if(table.data.attributes, [&](const TableAttribute& a) {
    if (a.name == "coordinates") {
      coordinates += " " + a.value;
    }
    return a.name == "coordinates";
  });
  table.data.attributes.push_back({"coordinates", coordinates});
  return table;
}

}  // namespace

TableDescription DescribeStationTable(const CycleChoice& choice) {
  return OfStations(DescribeTable(choice));
}

TableDescription DescribeStationDatedTable(const CycleChoice& choice, const Date& epoch) {
  TableDescription table = OfStations(DescribeDatedTable(choice, epoch));
  table.global.insert(table.global.begin() + 1, {"featureType", "timeSeries"});
  return table;
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
