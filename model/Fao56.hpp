// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The daily extraterrestrial radiation and day length of FAO Irrigation and Drainage Paper 56
// (the "fao56" method), evaluated exactly as printed there, every step in double precision
// with the double nearest to pi (not the program's kPi = 3.141592654). Offered beside the
// program's own model (Radiation.hpp) so that a user can reproduce the paper's tables and
// examples.
//
// Notation: J day of the year, phi latitude in radians (= latitude * pi / 180), delta solar
// declination, dr inverse relative Earth-Sun distance, ws sunset hour angle, Gsc solar constant.
//
// Reference:
//   Allen, R. G., Pereira, L. S., Raes, D., Smith, M. (1998): Crop evapotranspiration.
//   Guidelines for computing crop water requirements. FAO Irrigation and Drainage Paper 56,
//   FAO, Rome. Chapter 3: eq. 21 (Ra), 23 (dr), 24 (delta), 25 (ws), 34 (N); Example 8
//   (Ra at 20 S on 3 September: 32.2 MJ m-2 day-1, 13.1 mm/day), Example 9 (N there: 11.7 h);
//   Annex 2, Table 2.6 (Ra on the 15th of each month, 70 N to 70 S).
namespace marovane {

// Fao56DailyRadiation
// The extraterrestrial radiation Ra over a whole day by FAO-56.
//
// Given:
//   latitude  double  degrees, -90..90, north positive
//   day       int     day of the year J: 1..365 in the model year, 366 also for the last day
//                     of a leap year of real dates, as the paper counts it
//
// Returned (function value):
//             double  Ra, MJ/m^2/day, never negative
//
// Notes:
//   1. In this order, in double precision:
//        dr    = 1 + 0.033 cos(2 pi J / 365)                                       (eq. 23)
//        delta = 0.409 sin(2 pi J / 365 - 1.39)                                   (eq. 24)
//        ws    = arccos(-tan(phi) tan(delta)), the argument clipped to [-1, 1]    (eq. 25)
//        Ra    = (24 * 60 / pi) Gsc dr [ws sin(phi) sin(delta)
//                                       + cos(phi) cos(delta) sin(ws)]            (eq. 21)
//      with Gsc = 0.0820 MJ m-2 min-1.
//   2. The clipping gives the polar cases: ws = pi in polar day, 0 in polar night (Ra 0).
//      At the poles phi * pi / 180 rounds to just below pi / 2, so tan(phi) is large but
//      finite and of the right sign; the clipping then decides.
//   3. A remainder of rounding below zero is returned as 0, and no result is a negative zero.
//
// Reference:
//   FAO-56 (see above), eqs 21, 23, 24, 25.
double Fao56DailyRadiation(double latitude, int day);

// Fao56DayLength
// The daylight hours N by FAO-56.
//
// Given:
//   latitude  double  degrees, -90..90, north positive
//   day       int     day of the year J, 1..366 as above
//
// Returned (function value):
//             double  N = 24 ws / pi, hours, 0..24 (ws as in Fao56DailyRadiation)
//
// Notes:
//   1. Exactly 24 in polar day, 0 in polar night and 12 at the equator.
//
// Reference:
//   FAO-56, eq. 34.
double Fao56DayLength(double latitude, int day);

}  // namespace marovane
