// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Radiation.hpp"

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "model/RadiationSteps.hpp"

namespace marovane {

namespace {

// Declination series in degrees: constant term, then cos kw and sin kw for k = 1..4.
constexpr float kSeriesConstant = 0.39508f;
constexpr std::array<float, 4> kCosCoefficients = {22.85684f, -0.38637f, 0.15097f, -0.00961f};
constexpr std::array<float, 4> kSinCoefficients = {-4.29692f, 0.05702f, -0.09029f, 0.00593f};

}  // namespace

namespace steps {

DeclinationSeries SolarDeclinationSeries(std::int16_t day) {
  DeclinationSeries series;
  series.dayAngle = static_cast<float>(static_cast<double>(day) * 0.017214 - 3.1588);
  float s = kSeriesConstant;
  float theta = 0.0f;
  for (std::size_t k = 0; k < kCosCoefficients.size(); ++k) {
    theta = static_cast<float>(static_cast<double>(theta) + static_cast<double>(series.dayAngle));
    const auto t = static_cast<double>(theta);
    s = static_cast<float>(
        (static_cast<double>(kCosCoefficients[k]) * std::cos(t) + static_cast<double>(s)) +
        static_cast<double>(kSinCoefficients[k]) * std::sin(t));
    series.harmonicAngle[k] = theta;
    series.sum[k] = s;
  }
  return series;
}

float DistanceDenominator(std::int16_t day) {
  if (day == std::numeric_limits<std::int16_t>::min()) {
#if defined(__cpp_exceptions)
    throw std::overflow_error("InverseRelativeDistance: day - 1 overflows a 16-bit integer");
#else
    std::abort();  // no caller passes it: days come checked to 1..366
#endif
  }
  const auto n = static_cast<std::int16_t>(day - 1);
  const double c = std::cos(static_cast<double>(n) * 0.017214);
  return static_cast<float>(1.0 - c * 0.01673);
}

}  // namespace steps

float DegToRad(float degrees) {
  return static_cast<float>(static_cast<double>(degrees) / 180.0 * kPi);
}

double SolarDeclination(std::int16_t day) {
  return static_cast<double>(DegToRad(steps::SolarDeclinationSeries(day).sum.back()));
}

double InverseRelativeDistance(std::int16_t day) {
  const auto d = static_cast<double>(steps::DistanceDenominator(day));
  return (1.0 / d) / d;
}

double SunsetHourAngle(float latitude, double declination) {
  if (steps::IsPolar(latitude, steps::PolarLimit(declination))) {
    return steps::PolarHourAngle(latitude, declination);
  }
  const double t1 = std::tan(static_cast<double>(DegToRad(latitude)));
  const double t2 = std::tan(declination);
  return steps::GeneralHourAngle(t1, t2);
}

float DayLength(float latitude, std::int16_t day) {
  const double declination = SolarDeclination(day);
  return steps::DayLengthFromHourAngle(SunsetHourAngle(latitude, declination));
}

double DailyRadiation(float latitude, std::int16_t day) {
  const double declination = SolarDeclination(day);
  // DayLength(latitude, day), with the declination computed once.
  const float dayLength = steps::DayLengthFromHourAngle(SunsetHourAngle(latitude, declination));
  const double inverseDistance = InverseRelativeDistance(day);
  const auto latitudeRad = static_cast<double>(DegToRad(latitude));
  return steps::RadiationFromDayLength(dayLength, std::sin(latitudeRad), std::cos(latitudeRad),
                                       std::sin(declination), std::cos(declination),
                                       steps::RadiationScale(inverseDistance));
}

}  // namespace marovane
