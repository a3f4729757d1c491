// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/NetcdfTable.hpp"

#include <cstdlib>
#include <string>

#include <netcdf.h>
#include <netcdf_mem.h>

#include "export/Table.hpp"

namespace marovane {

namespace {

// Calls the library; a failure throws with its message and what was being done.
void Check(int status, const std::string& doing) {
  if (status != NC_NOERR) {
    throw NetcdfError("NetCDF: cannot " + doing + ": " + nc_strerror(status));
  }
}

// A dataset being made in memory; closed and freed unless finished.
class MemoryDataset {
 public:
  // No initial size: the library would hand back all of it, the bytes past the file's end
  // included, whatever they held.
  MemoryDataset() {
    Check(nc_create_mem("marovane-table.nc", NC_64BIT_OFFSET, 0, &id_),
          "create the table in memory");
    open_ = true;
  }
  ~MemoryDataset() {
    if (open_) {
      NC_memio memory{};
      if (nc_close_memio(id_, &memory) == NC_NOERR) {
        std::free(memory.memory);
      }
    }
  }
  MemoryDataset(const MemoryDataset&) = delete;
  MemoryDataset& operator=(const MemoryDataset&) = delete;

  int id() const { return id_; }

  int dimension(const std::string& name, std::size_t length) {
    // A length of 0 would ask the library for an unlimited dimension.
    if (length == 0) {
      throw NetcdfError("NetCDF: cannot define dimension " + name + ": a table needs at least one");
    }
    int dimension = 0;
    Check(nc_def_dim(id_, name.c_str(), length, &dimension), "define dimension " + name);
    dimensions_.push_back({name, dimension});
    return dimension;
  }

  int variable(const TableVariable& variable, nc_type type) {
    std::vector<int> dimensions;
    for (const std::string& name : variable.dimensions) {
      for (const auto& [known, id] : dimensions_) {
        if (known == name) {
          dimensions.push_back(id);
        }
      }
    }
    int id = 0;
    Check(nc_def_var(id_, variable.name.c_str(), type, static_cast<int>(dimensions.size()),
                     dimensions.data(), &id),
          "define variable " + variable.name);
    attributes(id, variable.attributes);
    return id;
  }

  // The values follow the header at once: the library would otherwise align them to a block,
  // and the gap would hold whatever the memory held before, different bytes every run.
  void endDefinitions() { Check(nc__enddef(id_, 0, 4, 0, 4), "end the definitions"); }

  void attributes(int variable, const std::vector<TableAttribute>& attributes) {
    for (const TableAttribute& a : attributes) {
      Check(nc_put_att_text(id_, variable, a.name.c_str(), a.value.size(), a.value.data()),
            "write attribute " + a.name);
    }
  }

  NetcdfBytes finish() {
    NC_memio memory{};
    open_ = false;
    Check(nc_close_memio(id_, &memory), "finish the table");
    return {memory.memory, memory.size};
  }

 private:
  int id_ = 0;
  bool open_ = false;
  std::vector<std::pair<std::string, int>> dimensions_;
};

}  // namespace

NetcdfBytes::NetcdfBytes(void* memory, std::size_t size)
    : memory_(static_cast<char*>(memory)), size_(size) {}

void NetcdfBytes::Free::operator()(char* memory) const { std::free(memory); }

NetcdfBytes NetcdfTable(const std::vector<float>& latitudes, const CycleChoice& choice) {
  const TableDescription table = DescribeTable(choice);
  const std::vector<TablePeriodCell> cells = TablePeriodCells(choice.aggregation);
  const std::size_t periods = cells.size();

  MemoryDataset file;
  file.dimension(table.latitudeDimension, latitudes.size());
  file.dimension(table.periodDimension, periods);
  file.dimension(table.boundsDimension, 2);
  const int lat = file.variable(table.latitude, NC_FLOAT);
  const int period = file.variable(table.period, NC_DOUBLE);
  const int bounds = file.variable(table.periodBounds, NC_DOUBLE);
  const int number = file.variable(*table.periodNumber, NC_INT);
  const int data = file.variable(table.data, NC_DOUBLE);
  file.attributes(NC_GLOBAL, table.global);
  file.endDefinitions();

  std::vector<double> middles;
  std::vector<double> ends;
  std::vector<int> numbers;
  for (const TablePeriodCell& cell : cells) {
    middles.push_back(cell.middle);
    ends.push_back(cell.first);
    ends.push_back(cell.last);
    numbers.push_back(cell.number);
  }
  Check(nc_put_var_float(file.id(), lat, latitudes.data()), "write the latitudes");
  Check(nc_put_var_double(file.id(), period, middles.data()), "write the periods");
  Check(nc_put_var_double(file.id(), bounds, ends.data()), "write the periods' bounds");
  Check(nc_put_var_int(file.id(), number, numbers.data()), "write the period numbers");

  std::vector<double> row(periods);
  for (std::size_t i = 0; i < latitudes.size(); ++i) {
    const AnnualCycle cycle = AnnualCycleTable(latitudes[i], choice);
    for (std::size_t p = 0; p < periods; ++p) {
      row[p] = cycle.periods[p].value;
    }
    const std::size_t start[] = {i, 0};
    const std::size_t count[] = {1, periods};
    Check(nc_put_vara_double(file.id(), data, start, count, row.data()), "write the values");
  }
  return file.finish();
}

NetcdfBytes NetcdfDatedTable(const std::vector<float>& latitudes,
                             const std::vector<DatedPeriod>& periods, const CycleChoice& choice) {
  const Date epoch = periods.empty() ? Date{} : periods.front().first;
  const TableDescription table = DescribeDatedTable(choice, epoch);

  MemoryDataset file;
  file.dimension(table.periodDimension, periods.size());
  file.dimension(table.latitudeDimension, latitudes.size());
  file.dimension(table.boundsDimension, 2);
  const int time = file.variable(table.period, NC_DOUBLE);
  const int bounds = file.variable(table.periodBounds, NC_DOUBLE);
  const int lat = file.variable(table.latitude, NC_FLOAT);
  const int data = file.variable(table.data, NC_DOUBLE);
  file.attributes(NC_GLOBAL, table.global);
  file.endDefinitions();

  const long long first = DaysSinceEpoch(epoch);
  std::vector<double> times;
  std::vector<double> ends;
  for (const DatedPeriod& period : periods) {
    const auto start = static_cast<double>(DaysSinceEpoch(period.first) - first);
    times.push_back(start);
    ends.push_back(start);
    ends.push_back(start + period.days);
  }
  Check(nc_put_var_double(file.id(), time, times.data()), "write the times");
  Check(nc_put_var_double(file.id(), bounds, ends.data()), "write the times' bounds");
  Check(nc_put_var_float(file.id(), lat, latitudes.data()), "write the latitudes");
  const std::vector<double> values = DatedTableValues(latitudes, periods, choice);
  Check(nc_put_var_double(file.id(), data, values.data()), "write the values");
  return file.finish();
}

}  // namespace marovane
