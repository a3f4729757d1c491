// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/NetcdfTable.hpp"

#include <algorithm>
#include <functional>

#include "export/Table.hpp"

namespace marovane {

namespace {

// lat is a coordinate: readers select by it only when it is strictly monotonic.
void CheckAscending(const std::vector<float>& latitudes) {
  if (std::adjacent_find(latitudes.begin(), latitudes.end(), std::greater_equal<float>()) !=
      latitudes.end()) {
    throw NetcdfError("NetCDF: the latitudes of a table must be in ascending order, each once");
  }
}

// The stations' identifiers, each padded with NULs to the longest (at least one character).
struct StationIds {
  std::size_t length = 1;
  std::string characters;
};
StationIds IdCharacters(const Stations& stations) {
  StationIds ids;
  for (const std::string& id : stations.ids) {
    ids.length = std::max(ids.length, id.size());
  }
  ids.characters.reserve(ids.length * stations.ids.size());
  for (const std::string& id : stations.ids) {
    ids.characters.append(id).append(ids.length - id.size(), '\0');
  }
  return ids;
}

// Defines station_id, when the table has it, after its dimension: its variable number, or -1.
int DefineStationIds(NetcdfDataset& file, const TableDescription& table, const StationIds& ids) {
  if (!table.stationId) {
    return -1;
  }
  file.dimension(table.nameLengthDimension, ids.length);
  return file.variable(*table.stationId, NetcdfType::Char);
}

NetcdfBytes CycleTable(const std::vector<float>& latitudes, const Stations* stations,
                       const CycleChoice& choice) {
  const TableDescription table =
      stations != nullptr ? DescribeStationTable(choice) : DescribeTable(choice);
  const StationIds ids = stations != nullptr ? IdCharacters(*stations) : StationIds{};
  const std::vector<TablePeriodCell> cells = TablePeriodCells(choice.aggregation);
  const std::size_t periods = cells.size();

  const std::unique_ptr<NetcdfDataset> file = NewNetcdfDataset();
  file->dimension(table.periodDimension, periods);
  file->dimension(table.latitudeDimension, latitudes.size());
  if (table.longitude) {
    file->dimension(table.longitude->name, 1);
  }
  file->dimension(table.boundsDimension, 2);
  const int time = file->variable(table.period, NetcdfType::Double);
  const int bounds = file->variable(table.periodBounds, NetcdfType::Double);
  const int stationId = DefineStationIds(*file, table, ids);
  const int lat = file->variable(table.latitude, NetcdfType::Float);
  const int lon = table.longitude ? file->variable(*table.longitude, NetcdfType::Float) : -1;
  const int data = file->variable(table.data, NetcdfType::Double);
  file->attributes(kNetcdfGlobal, table.global);
  file->endDefinitions();

  std::vector<double> starts;
  std::vector<double> ends;
  for (const TablePeriodCell& cell : cells) {
    starts.push_back(cell.start);
    ends.push_back(cell.start);
    ends.push_back(cell.end);
  }
  file->put(time, starts, "write the times");
  file->put(bounds, ends, "write the times' bounds");
  if (stationId >= 0) {
    file->put(stationId, ids.characters, "write the station identifiers");
  }
  file->put(lat, latitudes, "write the latitudes");
  if (lon >= 0) {
    file->put(lon, std::vector<float>{0.0f}, "write the longitude");
  }

  // A block of latitudes at a time, each a column of the time-major values: the table is held
  // only in the file.
  const std::size_t block = std::max<std::size_t>(1, (std::size_t{1} << 20) / periods);
  std::vector<double> values;
  for (std::size_t first = 0; first < latitudes.size(); first += block) {
    const std::size_t count = std::min(block, latitudes.size() - first);
    values.assign(periods * count, 0.0);
    for (std::size_t i = 0; i < count; ++i) {
      const AnnualCycle cycle = AnnualCycleTable(latitudes[first + i], choice);
      for (std::size_t p = 0; p < periods; ++p) {
        values[p * count + i] = cycle.periods[p].value;
      }
    }
    file->putColumns(data, first, count, values, "write the values");
  }
  return file->finish();
}

NetcdfBytes DatedTable(const std::vector<float>& latitudes, const Stations* stations,
                       const std::vector<DatedPeriod>& periods, const CycleChoice& choice) {
  const Date epoch = periods.empty() ? Date{} : periods.front().first;
  const TableDescription table = stations != nullptr ? DescribeStationDatedTable(choice, epoch)
                                                     : DescribeDatedTable(choice, epoch);
  const StationIds ids = stations != nullptr ? IdCharacters(*stations) : StationIds{};

  const std::unique_ptr<NetcdfDataset> file = NewNetcdfDataset();
  file->dimension(table.periodDimension, periods.size());
  file->dimension(table.latitudeDimension, latitudes.size());
  file->dimension(table.boundsDimension, 2);
  const int time = file->variable(table.period, NetcdfType::Double);
  const int bounds = file->variable(table.periodBounds, NetcdfType::Double);
  const int stationId = DefineStationIds(*file, table, ids);
  const int lat = file->variable(table.latitude, NetcdfType::Float);
  const int data = file->variable(table.data, NetcdfType::Double);
  file->attributes(kNetcdfGlobal, table.global);
  file->endDefinitions();

  const long long first = DaysSinceEpoch(epoch);
  std::vector<double> times;
  std::vector<double> ends;
  for (const DatedPeriod& period : periods) {
    const auto start = static_cast<double>(DaysSinceEpoch(period.first) - first);
    times.push_back(start);
    ends.push_back(start);
    ends.push_back(start + period.days);
  }
  file->put(time, times, "write the times");
  file->put(bounds, ends, "write the times' bounds");
  if (stationId >= 0) {
    file->put(stationId, ids.characters, "write the station identifiers");
  }
  file->put(lat, latitudes, "write the latitudes");
  file->put(data, DatedTableValues(latitudes, periods, choice), "write the values");
  return file->finish();
}

}  // namespace

NetcdfBytes NetcdfTable(const std::vector<float>& latitudes, const CycleChoice& choice) {
  CheckAscending(latitudes);
  return CycleTable(latitudes, nullptr, choice);
}

NetcdfBytes NetcdfDatedTable(const std::vector<float>& latitudes,
                             const std::vector<DatedPeriod>& periods, const CycleChoice& choice) {
  CheckAscending(latitudes);
  return DatedTable(latitudes, nullptr, periods, choice);
}

NetcdfBytes NetcdfStationTable(const Stations& stations, const CycleChoice& choice) {
  return CycleTable(stations.latitudes, &stations, choice);
}

NetcdfBytes NetcdfStationDatedTable(const Stations& stations,
                                    const std::vector<DatedPeriod>& periods,
                                    const CycleChoice& choice) {
  return DatedTable(stations.latitudes, &stations, periods, choice);
}

}  // namespace marovane
