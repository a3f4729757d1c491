// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The daily extraterrestrial radiation and day length of FAO Irrigation and Drainage Paper 56
// (Allen, Pereira, Raes and Smith, 1998, chapter 3), evaluated exactly as printed there, every
// step in double precision with the full value of pi. Offered beside the program's own model
// so that a user can reproduce the paper's tables and examples.
namespace marovane {

// Fao56DailyRadiation: Ra = (24 * 60 / pi) Gsc dr [ws sin(phi) sin(delta) + cos(phi)
// cos(delta) sin(ws)] (FAO-56 eq. 21), with
//   Gsc   = 0.0820 MJ m-2 min-1, the solar constant;
//   dr    = 1 + 0.033 cos(2 pi J / 365), the inverse relative distance Earth-Sun (eq. 23);
//   delta = 0.409 sin(2 pi J / 365 - 1.39), the solar declination in radians (eq. 24);
//   ws    = arccos(-tan(phi) tan(delta)), the sunset hour angle (eq. 25), its argument
//           clipped to [-1, 1]: pi in polar day, 0 in polar night.
//   latitude  degrees, -90..90, north positive (phi in radians = latitude * pi / 180).
//   day       day of the year J: 1..365, or 1..366 in a leap year of real dates.
// Returns MJ/m^2/day, never negative (a polar night's rounding remainder is taken as 0).
double Fao56DailyRadiation(double latitude, int day);

// Fao56DayLength: the daylight hours N = 24 ws / pi (FAO-56 eq. 34), ws as above.
// Returns hours, 0..24.
double Fao56DayLength(double latitude, int day);

}  // namespace marovane
