// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Daily extraterrestrial radiation on a horizontal surface at the top of the atmosphere.
//
// Every operation is carried out in double precision; the values documented as "single" are
// rounded to the nearest float at that step and later steps use the rounded value. These
// roundings are part of the results: the output files depend on them digit for digit.
// All functions are pure: the same arguments always give the same result.
namespace marovane {

// The value of pi used by every formula of the program. No more precise value is used.
inline constexpr double kPi = 3.141592654;

// DegToRad: converts an angle from degrees to radians as x / 180 * pi.
//   degrees  angle in degrees (single).
// Returns the angle in radians, rounded to single.
float DegToRad(float degrees);

// SolarDeclination: the declination of the sun on a day of the model year, from a
// four-harmonic Fourier series in the day angle w = J * 0.017214 - 3.1588.
//   day  day of the year, 1 = 1 January .. 365 = 31 December.
// Returns the declination in radians (double holding a single value), positive when the sun
// stands north of the equator: about +0.409 at the June solstice (day 172), -0.409 in December.
double SolarDeclination(std::int16_t day);

// InverseRelativeDistance: the factor dr = (1 / d) / d by which the solar constant is scaled
// for the Earth-Sun distance, with d = 1 - 0.01673 cos((J - 1) * 0.017214) rounded to single.
//   day  day of the year, 1..365.
// Returns dr, dimensionless, about 1.0343 in early January and 0.9680 in early July.
// Throws std::overflow_error for day -32768, whose J - 1 leaves the 16-bit range.
double InverseRelativeDistance(std::int16_t day);

// SunsetHourAngle: the hour angle of sunset, arccos(-tan(phi) tan(delta)), written through
// the arctangent as pi/2 - atan(-t1 t2 / sqrt(1 - t1^2 t2^2)).
//   latitude     degrees (single), north positive, south negative; the range is not checked.
//   declination  radians (double), as SolarDeclination gives it.
// Returns the angle in radians, 0..pi.
// Polar day and night: when |latitude| > 90 - |declination in degrees| (rounded to single) the
// sun neither rises nor sets; the result is pi when latitude and declination lie on the same
// side of the equator, otherwise 0 (also when either is 0). A latitude beyond +-90 always
// takes this branch. On the polar limit itself the radicand may round below zero and is
// replaced by 0.000001; a radicand of exactly 0 gives pi when t1 * t2 > 0 and 0 when t1 * t2 < 0.
double SunsetHourAngle(float latitude, double declination);

// DayLength: the astronomical day length N = (24 / pi) * sunset hour angle.
//   latitude  degrees (single), north positive.   day  day of the year, 1..365.
// Returns hours (single), 0..24: exactly 24 in polar day, exactly 0 in polar night, and
// exactly 12 at the equator on every day.
float DayLength(float latitude, std::int16_t day);

// DailyRadiation: the extraterrestrial radiation Ra received over the whole day,
//   Ra = (1440 / pi) * 0.082 * dr * (w sin(phi) sin(delta) + cos(delta) cos(phi) sin(w)),
// with the solar constant 0.082 MJ/m^2/min and the hour angle w = N * pi / 24 rounded to
// single, derived back from the single-precision day length N.
//   latitude  degrees (single), north positive.   day  day of the year, 1..365.
// Returns MJ/m^2/day (double), never negative. In polar night the result is a zero, which at
// exactly +-90 degrees is a negative zero (-0.0): callers that print it must show 0.
double DailyRadiation(float latitude, std::int16_t day);

}  // namespace marovane
