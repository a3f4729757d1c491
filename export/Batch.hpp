// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "export/BatchItems.hpp"
#include "export/CycleFile.hpp"

// The batch run: one annual-cycle file for every latitude of a text file.
//
// The input holds latitudes in decimal degrees (point as separator, north positive), separated
// by blanks, commas or line breaks. Each output file lies beside the input and is named after
// it: the input's file name without its last 4 characters, the latitude's text, ".out"
// (lats.txt and 41.9 give lats41.9.out).
namespace marovane {

// Receives each log entry as it happens. A written file gives "count latitude path"
// ("1 41.9 /data/lats41.9.out"); every failure gives an entry saying which item and why.
// Entries are UTF-8, and an item is shown cut short and with its unprintable bytes escaped.
using BatchLog = std::function<void(const std::string& entry)>;

// Told after each item with the run so far and how many bytes of the input have been read;
// returning false stops the run there.
using BatchProgress = std::function<bool(const BatchResult& soFar, std::uintmax_t bytesRead)>;

// Output name for one latitude of the input file `input`: only the file name is cut, never
// its folder, and by characters, not bytes.
std::filesystem::path BatchOutputName(const std::filesystem::path& input, float latitude);

// Runs the batch over `input` (made absolute, so that the log shows full paths), reading it
// item by item. Never throws for a file it cannot read or write: each becomes a log entry and
// the run goes on; a failure while reading ends the run with an entry. `stop`, when given, is
// read before each file is written: once it is set the run stops before writing another, also
// where `progress` has not been asked since (a run held up by its input, asked to stop then).
BatchResult RunBatch(const std::filesystem::path& input, const CycleChoice& choice,
                     const BatchLog& log, const BatchProgress& progress = {},
                     const std::atomic<bool>* stop = nullptr);

// The latitudes of a batch input for one table of them all, read item by item as RunBatch
// reads them. Each item the batch would refuse is counted, and the first few are kept with the
// reason the batch gives ("Item 3 (abc): not a number."). Reading stops after `most` latitudes
// and one more.
struct BatchLatitudes {
  std::vector<float> latitudes;
  std::int64_t refused = 0;
  std::vector<std::string> refusals;  // at most kShownRefusals of them
  std::string unreadInput;            // why the input could not be read to its end, naming it
  bool tooMany = false;               // more than `most` latitudes
  static constexpr std::size_t kShownRefusals = 20;
};
BatchLatitudes ReadBatchLatitudes(const std::filesystem::path& input, std::size_t most);

}  // namespace marovane
