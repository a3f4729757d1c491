// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "export/TableAttributes.hpp"

// The table of many latitudes as a NetCDF file, laid out as DescribeTable says, made in memory
// by the netCDF C library so that it reaches its file through WriteFileBytes like every other.
//
// The format is the classic one with 64-bit offsets (CDF-2): every reader of NetCDF reads it,
// and it holds nothing but the table, so the same command gives the same bytes (no time stamp,
// no history, no library version).
namespace marovane {

// A failure of the netCDF library, with its own words.
class NetcdfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The bytes of a file, in memory the library allocated.
class NetcdfBytes {
 public:
  NetcdfBytes(void* memory, std::size_t size);
  std::string_view view() const { return {memory_.get(), size_}; }

 private:
  struct Free {
    void operator()(char* memory) const;
  };
  std::unique_ptr<char, Free> memory_;
  std::size_t size_;
};

// The table of the 365-day year for `latitudes`, in their order. Throws NetcdfError.
NetcdfBytes NetcdfTable(const std::vector<float>& latitudes, const CycleChoice& choice);

// The table of real dates: `periods` as the time, `latitudes` in their order. Throws
// NetcdfError.
NetcdfBytes NetcdfDatedTable(const std::vector<float>& latitudes,
                             const std::vector<DatedPeriod>& periods, const CycleChoice& choice);

}  // namespace marovane
