// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

// The daily radiation of a whole year for one latitude, computed with the terms that do not
// depend on the latitude (declination, distance factor and their trigonometry) taken from a
// table made once. The values are bit for bit those of DailyRadiation.
namespace marovane {

// Entry d (1..365) is DailyRadiation(latitude, d) in MJ/m^2/day; entry 0 is unused and 0.
using YearRadiation = std::array<double, 366>;

YearRadiation AnnualRadiation(float latitude);

}  // namespace marovane
