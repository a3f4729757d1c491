// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The steps of the radiation formulas, shared by the per-day functions and the annual table so
// that both carry out exactly the same operations in the same order. Internal to model/.

#include <array>
#include <cmath>
#include <cstdint>

#include "model/Radiation.hpp"

namespace marovane::steps {

// The declination series of one day: the day angle w, the harmonic angles k * w built up by
// repeated single additions, and the running sum s in degrees after each harmonic.
struct DeclinationSeries {
  float dayAngle = 0.0f;
  std::array<float, 4> harmonicAngle{};
  std::array<float, 4> sum{};
};
DeclinationSeries SolarDeclinationSeries(std::int16_t day);

// d = 1 - 0.01673 cos((J - 1) * 0.017214), rounded to single.
float DistanceDenominator(std::int16_t day);

// 90 - |declination in degrees|, rounded to single: beyond this latitude the sun neither
// rises nor sets.
inline float PolarLimit(double declination) {
  const double degrees = declination * 180.0 / kPi;
  return static_cast<float>(90.0 - std::fabs(degrees));
}

inline bool IsPolar(float latitude, float polarLimit) {
  return std::fabs(static_cast<double>(latitude)) > static_cast<double>(polarLimit);
}

// Polar day (pi) when latitude and declination lie on the same side of the equator.
inline double PolarHourAngle(float latitude, double declination) {
  return static_cast<double>(latitude) * declination > 0.0 ? kPi : 0.0;
}

// 1 - t1^2 t2^2, with t1 = tan(latitude in radians) and t2 = tan(declination).
inline double SunsetRadicand(double t1, double t2) {
  const double r = 1.0 - t1 * t1 * t2 * t2;
  return r < 0.0 ? 0.000001 : r;  // rounding at the polar limit can leave it just below zero
}

// The arctangent's argument of the general case, -t1 t2 / sqrt(r), r the radicand.
inline double ArctangentArgument(double t1, double t2, double r) {
  return (-t1 * t2) / std::sqrt(r);
}

// The general case's hour angle, pi/2 - atan(x); a radicand of exactly 0 (the latitude on the
// polar limit) takes the limits of the formula instead, pi or 0 by the sign of t1 t2.
inline double HourAngleOfArgument(double t1, double t2, double r, double x) {
  if (r == 0.0) {
    return t1 * t2 > 0.0 ? kPi : 0.0;
  }
  return kPi / 2.0 - std::atan(x);
}

// General case, t1 = tan(latitude in radians), t2 = tan(declination).
inline double GeneralHourAngle(double t1, double t2) {
  const double r = SunsetRadicand(t1, t2);
  return HourAngleOfArgument(t1, t2, r, r == 0.0 ? 0.0 : ArctangentArgument(t1, t2, r));
}

inline float DayLengthFromHourAngle(double sunsetHourAngle) {
  return static_cast<float>((24.0 / kPi) * sunsetHourAngle);
}

// 1440 / pi * solar constant * dr, left to right.
inline double RadiationScale(double inverseDistance) {
  return 1440.0 / kPi * 0.082 * inverseDistance;
}

// The hour angle of the radiation formula, taken back from the single day length: N pi / 24,
// rounded to single.
inline double HourAngleOfDayLength(float dayLength) {
  return static_cast<double>(static_cast<float>(static_cast<double>(dayLength) * kPi / 24.0));
}

// Ra from that hour angle w and its sine; a negative result is 0.
inline double RadiationOfHourAngle(double w, double sinW, double sinLatitude, double cosLatitude,
                                   double sinDeclination, double cosDeclination, double scale) {
  const double s = w * sinLatitude * sinDeclination + cosDeclination * cosLatitude * sinW;
  const double ra = s * scale;
  return ra < 0.0 ? 0.0 : ra;
}

inline double RadiationFromDayLength(float dayLength, double sinLatitude, double cosLatitude,
                                     double sinDeclination, double cosDeclination, double scale) {
  const double w = HourAngleOfDayLength(dayLength);
  return RadiationOfHourAngle(w, std::sin(w), sinLatitude, cosLatitude, sinDeclination,
                              cosDeclination, scale);
}

}  // namespace marovane::steps
