// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

// The daily radiation of a whole year for one latitude, computed with the terms that do not
// depend on the latitude (declination, distance factor and their trigonometry) taken from a
// table made once. The values are bit for bit those of DailyRadiation.
namespace marovane {

// One value for each day of a year: entry d (1..365, or 1..366 in a leap year) is day d's;
// entry 0 is unused, and so is entry 366 in the 365-day year.
using YearValues = std::array<double, 367>;

// Entry d (1..365) is DailyRadiation(latitude, d) in MJ/m^2/day; entries 0 and 366 are 0.
YearValues AnnualRadiation(float latitude);

}  // namespace marovane
