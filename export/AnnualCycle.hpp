#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

// The annual cycle of one latitude as a comma-separated file: a header line, then one line
// "latitude, period, value" per day, week, dekad or month, each line ending in CR LF.
namespace marovane {

namespace aggregation {
inline constexpr std::int16_t kDaily = 1;    // 365 days
inline constexpr std::int16_t kWeekly = 2;   // 53 weeks, week 53 = day 365 and days 1..6
inline constexpr std::int16_t kDekadal = 3;  // 36 dekads
inline constexpr std::int16_t kMonthly = 4;  // 12 months
}  // namespace aggregation

// A file that could not be read or written; what() names the file and the system's reason.
class FileError : public std::runtime_error {
 public:
  FileError(const std::filesystem::path& file, std::string_view action, int error);
  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
};

// The exact bytes of the file. An aggregation code outside 1..4 gives an empty text; a unit
// code outside 1..7 gives an empty label and zero values.
std::string AnnualCycleText(float latitude, std::int16_t aggregation, std::int16_t unit);

// Writes AnnualCycleText to `file`, replacing what was there. Throws FileError when the file
// cannot be created or written; a partly written regular file is removed, not left behind.
void WriteAnnualCycle(float latitude, const std::filesystem::path& file,
                      std::int16_t aggregation, std::int16_t unit);

// Writes `bytes` to `file` as WriteAnnualCycle does, with the same guarantees.
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);

}  // namespace marovane
