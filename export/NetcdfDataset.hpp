// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "export/TableAttributes.hpp"

// A NetCDF file being made in memory. The netCDF library lives in a module of its own
// (marovane-netcdf.so, built from NetcdfModule.cpp), opened the first time a NetCDF table is
// written: the library and the forty-odd libraries it needs cost every start of the command
// line about 8 ms, most of a run of one latitude.
//
// The module lies in lib/<triplet>/marovane beside the program's bin, in the build tree as in
// an installed one, and is found from the running program's own path.
namespace marovane {

// A failure of the netCDF library, with its own words, or of loading it.
class NetcdfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The bytes of a file, in memory the library allocated (inline: the module makes them).
class NetcdfBytes {
 public:
  NetcdfBytes(void* memory, std::size_t size) : memory_(static_cast<char*>(memory)), size_(size) {}
  std::string_view view() const { return {memory_.get(), size_}; }

 private:
  struct Free {
    void operator()(char* memory) const { std::free(memory); }
  };
  std::unique_ptr<char, Free> memory_;
  std::size_t size_;
};

enum class NetcdfType { Int, Float, Double, Char };

// The variable number of the dataset's own attributes.
inline constexpr int kNetcdfGlobal = -1;

// The calls that make a file: the dimensions, the variables with their attributes, then the
// values. Every call throws NetcdfError.
class NetcdfDataset {
 public:
  virtual ~NetcdfDataset() = default;

  // A length of 0 is refused: the library would make the dimension unlimited.
  virtual void dimension(const std::string& name, std::size_t length) = 0;
  // The variable's number; its dimensions are named among those defined before.
  virtual int variable(const TableVariable& variable, NetcdfType type) = 0;
  virtual void attributes(int variable, const std::vector<TableAttribute>& attributes) = 0;
  virtual void endDefinitions() = 0;

  // All the variable's values, in its type.
  virtual void put(int variable, const std::vector<int>& values, std::string_view what) = 0;
  virtual void put(int variable, const std::vector<float>& values, std::string_view what) = 0;
  virtual void put(int variable, const std::vector<double>& values, std::string_view what) = 0;
  // All the characters of a variable of characters, row after row.
  virtual void put(int variable, const std::string& characters, std::string_view what) = 0;
  // Columns first..first + count - 1 of a variable whose dimensions after the second have length
  // 1: `values` holds them row by row, every row of the variable.
  virtual void putColumns(int variable, std::size_t first, std::size_t count,
                          const std::vector<double>& values, std::string_view what) = 0;

  // The file's bytes; the dataset is closed.
  virtual NetcdfBytes finish() = 0;
};

// A new, empty dataset from the module, loaded on first use. Throws NetcdfError naming the
// module when it cannot be loaded.
std::unique_ptr<NetcdfDataset> NewNetcdfDataset();

// The module's one entry, looked up by this name.
using NetcdfDatasetEntry = NetcdfDataset* (*)();
inline constexpr const char* kNetcdfDatasetEntry = "marovane_new_netcdf_dataset";

namespace detail {
// For tests: load the module from `module` (empty: where the program finds it).
void UseNetcdfModule(const std::string& module);
}  // namespace detail

}  // namespace marovane
