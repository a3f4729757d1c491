// SPDX-License-Identifier: GPL-3.0-or-later
// The module marovane-netcdf.so: a NetCDF dataset made in memory by the netCDF C library, so
// that the file reaches the disk through WriteFileBytes like every other.
#include <netcdf.h>
#include <netcdf_mem.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "export/NetcdfDataset.hpp"

namespace marovane {

namespace {

static_assert(kNetcdfGlobal == NC_GLOBAL);

// Calls the library; a failure throws with its message and what was being done.
void Check(int status, std::string_view doing) {
  if (status != NC_NOERR) {
    throw NetcdfError("NetCDF: cannot " + std::string(doing) + ": " + nc_strerror(status));
  }
}

nc_type TypeOf(NetcdfType type) {
  switch (type) {
    case NetcdfType::Int: return NC_INT;
    case NetcdfType::Float: return NC_FLOAT;
    case NetcdfType::Char: return NC_CHAR;
    case NetcdfType::Double: break;
  }
  return NC_DOUBLE;
}

// The format is the classic one with 64-bit offsets (CDF-2): every reader of NetCDF reads it.
class MemoryDataset final : public NetcdfDataset {
 public:
  // No initial size: the library would hand back all of it, the bytes past the file's end
  // included, whatever they held.
  MemoryDataset() {
    Check(nc_create_mem("marovane-table.nc", NC_64BIT_OFFSET, 0, &id_),
          "create the table in memory");
    open_ = true;
  }
  ~MemoryDataset() override {
    if (open_) {
      NC_memio memory{};
      if (nc_close_memio(id_, &memory) == NC_NOERR) {
        std::free(memory.memory);
      }
    }
  }
  MemoryDataset(const MemoryDataset&) = delete;
  MemoryDataset& operator=(const MemoryDataset&) = delete;

  void dimension(const std::string& name, std::size_t length) override {
    if (length == 0) {
      throw NetcdfError("NetCDF: cannot define dimension " + name + ": a table needs at least one");
    }
    int dimension = 0;
    Check(nc_def_dim(id_, name.c_str(), length, &dimension), "define dimension " + name);
    dimensions_.emplace_back(name, dimension);
  }

  int variable(const TableVariable& variable, NetcdfType type) override {
    std::vector<int> dimensions;
    for (const std::string& name : variable.dimensions) {
      for (const auto& [known, id] : dimensions_) {
        if (known == name) {
          dimensions.push_back(id);
        }
      }
    }
    int id = 0;
    Check(nc_def_var(id_, variable.name.c_str(), TypeOf(type), static_cast<int>(dimensions.size()),
                     dimensions.data(), &id),
          "define variable " + variable.name);
    attributes(id, variable.attributes);
    return id;
  }

  void attributes(int variable, const std::vector<TableAttribute>& attributes) override {
    for (const TableAttribute& a : attributes) {
      Check(nc_put_att_text(id_, variable, a.name.c_str(), a.value.size(), a.value.data()),
            "write attribute " + a.name);
    }
  }

  // The values follow the header at once: the library would otherwise align them to a block,
  // and the gap would hold whatever the memory held before, different bytes every run.
  void endDefinitions() override { Check(nc__enddef(id_, 0, 4, 0, 4), "end the definitions"); }

  void put(int variable, const std::vector<int>& values, std::string_view what) override {
    Check(nc_put_var_int(id_, variable, values.data()), what);
  }
  void put(int variable, const std::vector<float>& values, std::string_view what) override {
    Check(nc_put_var_float(id_, variable, values.data()), what);
  }
  void put(int variable, const std::vector<double>& values, std::string_view what) override {
    Check(nc_put_var_double(id_, variable, values.data()), what);
  }
  void put(int variable, const std::string& characters, std::string_view what) override {
    Check(nc_put_var_text(id_, variable, characters.data()), what);
  }
  void putColumns(int variable, std::size_t first, std::size_t count,
                  const std::vector<double>& values, std::string_view what) override {
    int rank = 0;
    Check(nc_inq_varndims(id_, variable, &rank), what);
    std::vector<std::size_t> starts(static_cast<std::size_t>(rank), 0);
    std::vector<std::size_t> counts(static_cast<std::size_t>(rank), 1);
    starts.at(1) = first;
    counts[1] = count;
    counts[0] = values.size() / count;
    Check(nc_put_vara_double(id_, variable, starts.data(), counts.data(), values.data()), what);
  }

  NetcdfBytes finish() override {
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

}  // namespace marovane

extern "C" __attribute__((visibility("default"))) marovane::NetcdfDataset*
marovane_new_netcdf_dataset() {
  return new marovane::MemoryDataset();
}
