// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "model/AnnualCycle.hpp"

// The annual cycle of one latitude as the bytes of its comma-separated file: a header line,
// then one line "latitude, period, value" per day, week, dekad, month or pentad, each line
// ending in CR LF.
namespace marovane {

// What the values are, as a header names them: "extraterrestrial Radiation MJ/m^2/day", or
// "Day length hours" (the first cell of a wide table, the value column of a long one).
std::string QuantityHeader(const CycleChoice& choice);

// The method as a header names it: " (method fao56)", appended to the cell that says what a
// table holds.
std::string MethodNote(const CycleChoice& choice);

// The first line, without its line end: "Latitude, Dekad Number, extraterrestrial Radiation
// MJ/m^2/day", or "Latitude, Dekad Number, Day length hours"; by FAO-56's formulas the last
// field ends in MethodNote. The default method's header names none, so that its files keep
// their bytes.
std::string CycleHeader(const CycleChoice& choice);

// The exact bytes of the file of `table`.
std::string AnnualCycleText(const AnnualCycle& table);

// What confirms a file written, before its name.
inline constexpr std::string_view kDataWrittenTo = "Data correctly written to ";

// The exact bytes of the file of `latitude`.
std::string AnnualCycleText(float latitude, const CycleChoice& choice);

}  // namespace marovane
