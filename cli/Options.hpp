// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "export/Table.hpp"
#include "model/AnnualCycle.hpp"

// The command line's own parts: its options defined, parsed and checked (Options.cpp), then
// the request they make run (CommandLine.cpp).
namespace marovane::cli {

inline constexpr int kExitWritten = 0;
inline constexpr int kExitFileFailed = 1;
inline constexpr int kExitBadArguments = 2;

// The options as given: an option not given has no value, a choice not given its default.
struct Arguments {
  std::vector<std::string> latitudes;  // each --latitude, in order
  std::optional<std::string> batch;
  std::optional<std::string> grid;
  std::optional<std::string> stations;
  std::optional<std::string> latitudeColumn;
  std::optional<std::string> idColumn;
  std::optional<std::string> output;
  std::optional<std::string> table;
  std::optional<std::string> layout;
  std::optional<std::string> dates;
  std::string aggregation;
  std::string unit;
  std::string quantity;
  std::string method;
};

// What --table, --layout and --dates ask for, and where the table's latitudes come from.
struct TableRequest {
  std::string path;  // "-": standard output
  bool netcdf = false;
  TableLayout layout = TableLayout::Wide;
  std::optional<DateRange> dates;
  const char* latitudesFrom = "--latitude";  // the option that gives them
  std::vector<float> latitudes;              // of --latitude or --grid
  std::optional<std::string> batch;          // read when the table is written
  std::optional<std::string> stations;       // the same, a CSV file of named stations
  StationColumns columns;                    // its latitude and identifier columns
};

// What the command line is asked to do, every option checked.
struct Request {
  enum class Kind { Export, Batch, Table };
  Kind kind = Kind::Export;
  CycleChoice choice;
  float latitude = 0.0f;  // Export
  std::string output;     // Export: empty or "-" for standard output
  std::string batch;      // Batch: the input file
  TableRequest table;     // Table
};

// The arguments parsed, or nothing and the exit status after --help, --version or a message.
std::optional<Arguments> ParseArguments(int argc, const char* const* argv, std::ostream& out,
                                        std::ostream& err, int& status);

// The request the arguments make, every option checked, or nothing after a message.
std::optional<Request> CheckArguments(const Arguments& args, std::ostream& err);

// Why the last write failed, as errno tells it.
std::string SystemReason();

}  // namespace marovane::cli
