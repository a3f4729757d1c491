// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "export/OutputFile.hpp"

// The annual cycle of one latitude as a comma-separated file: a header line, then one line
// "latitude, period, value" per day, week, dekad or month, each line ending in CR LF.
namespace marovane {

namespace aggregation {
inline constexpr std::int16_t kDaily = 1;    // 365 days
inline constexpr std::int16_t kWeekly = 2;   // 53 weeks, week 53 = day 365 and days 1..6
inline constexpr std::int16_t kDekadal = 3;  // 36 dekads
inline constexpr std::int16_t kMonthly = 4;  // 12 months
}  // namespace aggregation

// What the table holds: the extraterrestrial radiation in the chosen unit, or the
// astronomical day length in hours (the unit then plays no part).
enum class Quantity { Radiation, DayLength };

// One line of the file.
struct CyclePeriod {
  std::int16_t number = 0;  // day, week, dekad or month number
  int firstDay = 0;         // its first day; week 53 runs on past 365 into days 1..6
  int days = 0;             // how many days it spans
  double value = 0.0;       // the value as written: rounded to 3 decimals
};

struct AnnualCycle {
  std::string header;        // the first line, without its line end
  std::string latitudeText;  // the first field of every line
  std::vector<CyclePeriod> periods;
};

// The values of the file. An aggregation code outside 1..4 gives no header and no periods;
// a unit code outside 1..7 gives an empty label and zero radiation values.
AnnualCycle AnnualCycleTable(float latitude, std::int16_t aggregation, std::int16_t unit,
                             Quantity quantity = Quantity::Radiation);

// The exact bytes of the file of `table`; empty when it has no header.
std::string AnnualCycleText(const AnnualCycle& table);

// The exact bytes of the file.
std::string AnnualCycleText(float latitude, std::int16_t aggregation, std::int16_t unit,
                            Quantity quantity = Quantity::Radiation);

// Writes AnnualCycleText to `file`, replacing what was there, as WriteFileBytes does.
// Throws FileError when the file cannot be created or written.
void WriteAnnualCycle(float latitude, const std::filesystem::path& file,
                      std::int16_t aggregation, std::int16_t unit,
                      Quantity quantity = Quantity::Radiation);

}  // namespace marovane
