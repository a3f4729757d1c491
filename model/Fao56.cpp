// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Fao56.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace marovane {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kSolarConstant = 0.0820;  // MJ m-2 min-1

double DayAngle(int day) {
  return 2.0 * kPi * static_cast<double>(day) / 365.0;
}

double Declination(int day) {
  return 0.409 * std::sin(DayAngle(day) - 1.39);
}

double SunsetHourAngle(double phi, double delta) {
  return std::acos(std::clamp(-std::tan(phi) * std::tan(delta), -1.0, 1.0));
}

double Radians(double degrees) {
  return degrees * kPi / 180.0;
}

}  // namespace

double Fao56DailyRadiation(double latitude, int day) {
  const double phi = Radians(latitude);
  const double dr = 1.0 + 0.033 * std::cos(DayAngle(day));
  const double delta = Declination(day);
  const double ws = SunsetHourAngle(phi, delta);
  const double ra =
      (24.0 * 60.0 / kPi) * kSolarConstant * dr *
      (ws * std::sin(phi) * std::sin(delta) + std::cos(phi) * std::cos(delta) * std::sin(ws));
  return ra > 0.0 ? ra : 0.0;  // a rounding remainder below zero, or a -0.0, is 0
}

double Fao56DayLength(double latitude, int day) {
  return 24.0 * SunsetHourAngle(Radians(latitude), Declination(day)) / kPi;
}

}  // namespace marovane
