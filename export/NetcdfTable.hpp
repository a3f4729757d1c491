// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "export/NetcdfDataset.hpp"
#include "export/Stations.hpp"
#include "export/TableAttributes.hpp"

// The table of many latitudes as a NetCDF file, laid out as DescribeTable says, made in memory
// so that it reaches its file through WriteFileBytes like every other.
//
// The file holds nothing but the table, so the same command gives the same bytes (no time
// stamp, no history, no library version).
namespace marovane {

// The table of the 365-day year for `latitudes`, which are in ascending order, each once
// (CoordinateLatitudes makes them so). Throws NetcdfError, also for latitudes out of order.
NetcdfBytes NetcdfTable(const std::vector<float>& latitudes, const CycleChoice& choice);

// The table of real dates: `periods` as the time, `latitudes` ascending, each once. Throws
// NetcdfError.
NetcdfBytes NetcdfDatedTable(const std::vector<float>& latitudes,
                             const std::vector<DatedPeriod>& periods, const CycleChoice& choice);

// The same tables of named stations, in the stations' order (they may share a latitude), laid
// out as DescribeStationTable and DescribeStationDatedTable say. Throws NetcdfError.
NetcdfBytes NetcdfStationTable(const Stations& stations, const CycleChoice& choice);
NetcdfBytes NetcdfStationDatedTable(const Stations& stations,
                                    const std::vector<DatedPeriod>& periods,
                                    const CycleChoice& choice);

}  // namespace marovane
