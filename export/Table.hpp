// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/Stations.hpp"
#include "model/AnnualCycle.hpp"
#include "model/Dates.hpp"

// One table for many latitudes: the latitudes it is made for (given one by one, or a regular
// grid), the real dates it may cover, and its comma-separated text.
//
// The text is plain CSV as spreadsheets and pandas.read_csv(path, index_col=0) read it with no
// options: fields separated by a comma alone, one header line, lines ending in CR LF like every
// file of the program. Every number is written as the single-latitude file writes it: the
// latitude as SingleText, the value as DoubleText.
namespace marovane {

// A table holds at most this many latitudes, and at most this many values (latitudes times
// periods), so that it is built in memory before it takes its file's place.
inline constexpr std::size_t kMostTableLatitudes = 1'000'000;
inline constexpr std::uint64_t kMostTableValues = 100'000'000;

// Wide: one row per latitude, one column per period. Long: one row per latitude and period.
enum class TableLayout { Wide, Long };

// The latitudes of "START:STOP:STEP" in decimal degrees: START + i * STEP for i = 0, 1, ...
// while it does not pass STOP, each computed in double and then taken to single. STOP is
// included when it lies within a millionth of a step of the grid, so -89.75:89.75:0.5 gives
// 360 latitudes and -89.99:89.99:0.01 gives 17,999; the last is never past STOP. Nothing,
// with `refusal` saying which value is at fault, for another form, a part that is no number,
// START or STOP outside -90..90, STOP below START, STEP not above 0, or more than
// kMostTableLatitudes latitudes.
std::optional<std::vector<float>> GridLatitudes(std::string_view text, std::string& refusal);

// "FROM/TO", two ISO dates: nothing, with `refusal` naming the value, for another form, a date
// that does not exist, FROM after TO, or more than 100 years (36,525 days, both ends included).
struct DateRange {
  Date from;
  Date to;
};
std::optional<DateRange> ParseDateRange(std::string_view text, std::string& refusal);

// The latitudes of a NetCDF table, whose coordinate lat is strictly monotonic: in ascending
// order, each once. Latitudes that the files write alike (45 and 45.000002 in single precision)
// are the same latitude. Nothing, with `refusal` naming the repeated ones, when one comes twice.
std::optional<std::vector<float>> CoordinateLatitudes(std::vector<float> latitudes,
                                                      std::string& refusal);

// Whether latitudes x periods values fit in one table (kMostTableValues).
bool TableFits(std::size_t latitudes, std::size_t periods);
// Why a table that does not fit is refused: "360001 latitudes of 365 periods each make more
// than 100,000,000 values; give fewer latitudes or fewer periods", without an ending.
std::string TableTooLarge(std::size_t latitudes, std::size_t periods);

// The header's first cell ends in the method (MethodNote): a reader that takes the first
// column for the index still names every other column as before, and no line is added.
//
// The table of the 365-day year. Wide: header "quantity and unit (method harmonic),Dekad 1,...,
// Dekad 36", then "latitude,value,...". Long: header "Latitude (method harmonic),Dekad Number,
// quantity and unit", then "latitude,period,value" per latitude and period, latitudes in the
// order given.
std::string TableText(const std::vector<float>& latitudes, const CycleChoice& choice,
                      TableLayout layout);

// The values of real dates, long: header "Date (method harmonic),Latitude,quantity and unit", then
// "first day of the period,latitude,value", period by period, each with every latitude.
std::string DatedTableText(const std::vector<float>& latitudes,
                           const std::vector<DatedPeriod>& periods, const CycleChoice& choice);

// The header of a station table's identifier column, before the method.
inline constexpr std::string_view kStationHeader = "Station";

// The tables of stations: each row led by its station's identifier (CsvField), then its
// latitude, in the stations' order. The 365-day table, wide: header "quantity and unit (method
// harmonic),Latitude,Dekad 1,...", then "id,latitude,value,..."; long: header "Station (method
// harmonic),Latitude,Dekad Number,quantity and unit", then "id,latitude,period,value". Real
// dates: header "Station (method harmonic),Date,Latitude,quantity and unit", then "id,first day
// of the period,latitude,value", station by station, each period by period.
std::string StationTableText(const Stations& stations, const CycleChoice& choice,
                             TableLayout layout);
std::string StationDatedTableText(const Stations& stations, const std::vector<DatedPeriod>& periods,
                                  const CycleChoice& choice);

// The values of real dates for every latitude: entry [p * latitudes + i] is period p at
// latitude i, as DatedValue gives it.
std::vector<double> DatedTableValues(const std::vector<float>& latitudes,
                                     const std::vector<DatedPeriod>& periods,
                                     const CycleChoice& choice);

}  // namespace marovane
