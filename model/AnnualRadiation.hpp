// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

// The daily radiation of a whole year for one latitude, computed with the terms that do not
// depend on the latitude (declination, distance factor and their trigonometry) taken from a
// table made once. The values are bit for bit those of DailyRadiation.
namespace marovane {

// One value for each day of the 365-day year: entry d (1..365) is day d's; entry 0 is unused.
using YearValues = std::array<double, 366>;

// Entry d is DailyRadiation(latitude, d) in MJ/m^2/day; entry 0 is 0.
YearValues AnnualRadiation(float latitude);

}  // namespace marovane
