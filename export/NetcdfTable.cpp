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

}  // namespace

NetcdfBytes NetcdfTable(const std::vector<float>& latitudes, const CycleChoice& choice) {
  CheckAscending(latitudes);
  const TableDescription table = DescribeTable(choice);
  const std::vector<TablePeriodCell> cells = TablePeriodCells(choice.aggregation);
  const std::size_t periods = cells.size();

  const std::unique_ptr<NetcdfDataset> file = NewNetcdfDataset();
  file->dimension(table.periodDimension, periods);
  file->dimension(table.latitudeDimension, latitudes.size());
  file->dimension(table.longitude->name, 1);
  file->dimension(table.boundsDimension, 2);
  const int time = file->variable(table.period, NetcdfType::Double);
  const int bounds = file->variable(table.periodBounds, NetcdfType::Double);
  const int lat = file->variable(table.latitude, NetcdfType::Float);
  const int lon = file->variable(*table.longitude, NetcdfType::Float);
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
  file->put(lat, latitudes, "write the latitudes");
  file->put(lon, std::vector<float>{0.0f}, "write the longitude");

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

NetcdfBytes NetcdfDatedTable(const std::vector<float>& latitudes,
                             const std::vector<DatedPeriod>& periods, const CycleChoice& choice) {
  CheckAscending(latitudes);
  const Date epoch = periods.empty() ? Date{} : periods.front().first;
  const TableDescription table = DescribeDatedTable(choice, epoch);

  const std::unique_ptr<NetcdfDataset> file = NewNetcdfDataset();
  file->dimension(table.periodDimension, periods.size());
  file->dimension(table.latitudeDimension, latitudes.size());
  file->dimension(table.boundsDimension, 2);
  const int time = file->variable(table.period, NetcdfType::Double);
  const int bounds = file->variable(table.periodBounds, NetcdfType::Double);
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
  file->put(lat, latitudes, "write the latitudes");
  file->put(data, DatedTableValues(latitudes, periods, choice), "write the values");
  return file->finish();
}

}  // namespace marovane
