#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

// The batch run: one annual-cycle file for every latitude of a text file.
//
// The input holds latitudes in decimal degrees (point as separator, north positive), separated
// by blanks, commas or line breaks. Each output file lies beside the input and is named after
// it: the input path without its last 4 characters, the latitude's text, ".out"
// (lats.txt and 41.9 give lats41.9.out).
namespace marovane {

struct BatchResult {
  std::int32_t written = 0;  // files really written
  std::int32_t failed = 0;   // items that got no file
  bool inputRead = true;     // false when the input file could not be opened or read

  bool complete() const { return inputRead && failed == 0; }
};

// Receives each log entry as it happens. A written file gives "count latitude path"
// ("1 41.9 /data/lats41.9.out"); every failure gives an entry saying which item and why.
using BatchLog = std::function<void(const std::string& entry)>;

// Output name for one latitude of the input file `input`.
std::string BatchOutputName(const std::string& input, float latitude);

// Runs the batch over `input` (made absolute, so that the log shows full paths). Never throws
// for a file it cannot read or write: each becomes a log entry and the run goes on.
BatchResult RunBatch(const std::filesystem::path& input, std::int16_t aggregation,
                     std::int16_t unit, const BatchLog& log);

// "N Files written." and, when something failed, a second line saying what.
std::string BatchSummary(const BatchResult& result);

}  // namespace marovane
