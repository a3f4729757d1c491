// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Daily extraterrestrial radiation on a horizontal surface at the top of the atmosphere: the
// program's own model, the default ("harmonic") method.
//
// Notation: J day of the year (1 = 1 January .. 365 = 31 December; the year always has 365
// days), phi latitude, delta solar declination, dr inverse relative Earth-Sun distance, ws
// sunset hour angle, N day length, Ra daily extraterrestrial radiation.
//
// Precision: every operation is carried out in IEEE double precision. A value documented as
// "single" is rounded to the nearest 32-bit float (ties to even) at that step, and later steps
// use the rounded value widened back to double. These roundings are part of the results: the
// output files depend on them digit for digit. pi is kPi = 3.141592654 in every formula.
// Sine, cosine, tangent, arctangent and square root take and return doubles.
//
// All functions are pure: the same arguments always give the same result.
namespace marovane {

// The value of pi used by every formula of the program. No more precise value is used.
inline constexpr double kPi = 3.141592654;

// DegToRad
// Converts an angle from degrees to radians.
//
// Given:
//   degrees  float   angle, degrees
//
// Returned (function value):
//            float   the angle in radians: degrees / 180 * kPi, the division first, rounded to
//                    single
float DegToRad(float degrees);

// SolarDeclination
// The declination of the Sun on a day of the model year.
//
// Given:
//   day  int16   day of the year J, 1..365 (the series is periodic; other days are not used)
//
// Returned (function value):
//        double  declination delta, radians, north positive: a single widened to double,
//                from -0.408930 (day 356) to +0.409049 (day 172)
//
// Notes:
//   1. A four-harmonic Fourier series in degrees, every step single:
//        w      = J * 0.017214 - 3.1588                              (day angle)
//        theta  = theta + w, from 0, once per harmonic k = 1..4     (k w by repeated addition)
//        s      = (a(k) cos(theta) + s) + b(k) sin(theta), from s = 0.39508
//      with a = 22.85684, -0.38637, 0.15097, -0.00961 and b = -4.29692, 0.05702, -0.09029,
//      0.00593 (singles); delta = DegToRad(s). The sum s is 23.43679 degrees on day 172,
//      -23.00868 on day 1 and -23.42998 on day 356, its smallest.
//   2. The series crosses the equator between days 79 and 80 and between days 265 and 266.
//
// Reference:
//   None: the series and its coefficients are the program's own. FAO-56 eq. 24, the one-sine
//   alternative, is in Fao56.hpp; bench/method_comparison.cpp compares the two with an
//   almanac's declination.
double SolarDeclination(std::int16_t day);

// InverseRelativeDistance
// The factor dr by which the solar constant is scaled for the Earth-Sun distance of a day.
//
// Given:
//   day  int16   day of the year J, 1..365
//
// Returned (function value):
//        double  dr, dimensionless: 1.034319 on day 1, 0.967363 on day 183 (its extremes)
//
// Notes:
//   1. d = 1 - 0.01673 cos((J - 1) * 0.017214), rounded to single, with J - 1 formed as a
//      16-bit integer; dr = (1 / d) / d, two divisions in double. 0.01673 is the orbit's
//      eccentricity and 0.017214 the daily angle step, close to 2 pi / 365 = 0.0172142.
//   2. Throws std::overflow_error for day -32768, whose J - 1 leaves the 16-bit range.
//
// Reference:
//   None: the program's own form. FAO-56 eq. 23 is 1 + 0.033 cos(2 pi J / 365) (Fao56.hpp).
double InverseRelativeDistance(std::int16_t day);

// SunsetHourAngle
// The hour angle ws of sunset, arccos(-tan(phi) tan(delta)).
//
// Given:
//   latitude     float   phi, degrees, north positive; the range is not checked
//   declination  double  delta, radians, as SolarDeclination gives it
//
// Returned (function value):
//                double  ws, radians, 0..kPi
//
// Notes:
//   1. Polar test: L = 90 - |delta in degrees| (delta * 180 / kPi, product first), rounded to
//      single. When |phi| > L the sun neither rises nor sets: ws = kPi when latitude and
//      declination lie on the same side of the equator (polar day), otherwise 0 (polar
//      night, also when either is 0). A latitude beyond +-90 always takes this branch. When
//      |phi| = L exactly, the general case applies.
//   2. General case, t1 = tan(DegToRad(phi)), t2 = tan(delta):
//        r  = 1 - t1 t1 t2 t2         (products left to right)
//        ws = kPi / 2 - arctan((-t1 t2) / sqrt(r))
//      which is arccos(-t1 t2) written through the arctangent. On the polar limit the radicand
//      r may round below zero: it is replaced by 0.000001. A radicand of exactly 0 gives the
//      formula's limits, kPi when t1 t2 > 0 and 0 when t1 t2 < 0.
//   3. At the equator ws is kPi / 2 exactly on every day.
//
// Reference:
//   The relation ws = arccos(-tan(phi) tan(delta)) is FAO-56 eq. 25; the arctangent form
//   and the polar test are the program's own.
double SunsetHourAngle(float latitude, double declination);

// DayLength
// The astronomical day length: sunrise to sunset of the Sun's centre, without refraction.
//
// Given:
//   latitude  float   phi, degrees, north positive
//   day       int16   day of the year J, 1..365
//
// Returned (function value):
//             float   N = (24 / kPi) * ws, the quotient first, rounded to single; hours, 0..24
//
// Notes:
//   1. ws = SunsetHourAngle(latitude, SolarDeclination(day)).
//   2. Exactly 24 in polar day, exactly 0 in polar night, exactly 12 at the equator.
//
// Reference:
//   N = 24 ws / pi is FAO-56 eq. 34.
float DayLength(float latitude, std::int16_t day);

// DailyRadiation
// The extraterrestrial radiation Ra that a horizontal surface at the top of the atmosphere
// receives over the whole day.
//
// Given:
//   latitude  float   phi, degrees, north positive; -90..90 in practice
//   day       int16   day of the year J, 1..365
//
// Returned (function value):
//             double  Ra, MJ/m^2/day, never negative
//
// Notes:
//   1. With N = DayLength(latitude, day), dr = InverseRelativeDistance(day), delta =
//      SolarDeclination(day) and phi in radians = DegToRad(latitude):
//        w  = N * kPi / 24, the product first, rounded to single
//        S  = w sin(phi) sin(delta) + cos(delta) cos(phi) sin(w)   (each product left to right)
//        Ra = S * (1440 / kPi * 0.082 * dr)                          (left to right)
//      and a negative Ra is returned as 0. 0.082 MJ/m^2/min is the solar constant, 1440 the
//      minutes of a day. The hour angle w is derived back from the single-precision day
//      length, not taken from SunsetHourAngle's double.
//   2. In polar night the result is a zero, which at exactly +-90 degrees is a negative zero
//      (-0.0): callers that print it must show 0.
//
// Reference:
//   The formula is that of FAO-56 eq. 21, Ra = (24 * 60 / pi) Gsc dr [ws sin(phi) sin(delta)
//   + cos(phi) cos(delta) sin(ws)], here with the program's own declination, distance factor
//   and roundings (see Fao56.hpp for the paper's own terms).
double DailyRadiation(float latitude, std::int16_t day);

}  // namespace marovane
