// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/AnnualRadiation.hpp"

#include <cmath>
#include <cstdint>

#include "model/Calendar.hpp"
#include "model/Radiation.hpp"
#include "model/RadiationSteps.hpp"

namespace marovane {

namespace {

constexpr std::size_t kDays = kDaysInYear + 1;  // entry 0 unused

// The terms of each day that do not depend on the latitude, one array each, so that a loop
// over the days reads them in order.
struct YearTerms {
  std::array<double, kDays> declination{};
  std::array<float, kDays> polarLimit{};
  std::array<double, kDays> tanDeclination{};
  std::array<double, kDays> sinDeclination{};
  std::array<double, kDays> cosDeclination{};
  std::array<double, kDays> scale{};
};

YearTerms MakeYearTerms() {
  YearTerms t;
  for (std::int16_t day = 1; day <= kDaysInYear; ++day) {
    const auto d = static_cast<std::size_t>(day);
    t.declination[d] = SolarDeclination(day);
    t.polarLimit[d] = steps::PolarLimit(t.declination[d]);
    t.tanDeclination[d] = std::tan(t.declination[d]);
    t.sinDeclination[d] = std::sin(t.declination[d]);
    t.cosDeclination[d] = std::cos(t.declination[d]);
    t.scale[d] = steps::RadiationScale(InverseRelativeDistance(day));
  }
  return t;
}

}  // namespace

// The steps of DailyRadiation, each over all days before the next: the arithmetic between the
// arctangent and the sine then runs several days to an instruction, each operation the same
// IEEE operation on the same operands as for one day, so the values stay bit for bit those of
// DailyRadiation. Only the arctangent and the sine are called day by day.
YearValues AnnualRadiation(float latitude) {
  static const YearTerms year = MakeYearTerms();

  const auto latitudeRad = static_cast<double>(DegToRad(latitude));
  const double t1 = std::tan(latitudeRad);
  const double sinLatitude = std::sin(latitudeRad);
  const double cosLatitude = std::cos(latitudeRad);

  std::array<double, kDays> radicand{};
  std::array<double, kDays> argument{};  // unused where the radicand is 0
  for (std::size_t d = 1; d < kDays; ++d) {
    radicand[d] = steps::SunsetRadicand(t1, year.tanDeclination[d]);
    argument[d] = steps::ArctangentArgument(t1, year.tanDeclination[d], radicand[d]);
  }
  std::array<double, kDays> omega{};
  for (std::size_t d = 1; d < kDays; ++d) {
    omega[d] =
        steps::IsPolar(latitude, year.polarLimit[d])
            ? steps::PolarHourAngle(latitude, year.declination[d])
            : steps::HourAngleOfArgument(t1, year.tanDeclination[d], radicand[d], argument[d]);
  }
  for (std::size_t d = 1; d < kDays; ++d) {
    omega[d] = steps::HourAngleOfDayLength(steps::DayLengthFromHourAngle(omega[d]));
  }
  std::array<double, kDays> sinOmega{};
  for (std::size_t d = 1; d < kDays; ++d) {
    sinOmega[d] = std::sin(omega[d]);
  }
  YearValues ra{};
  for (std::size_t d = 1; d < kDays; ++d) {
    ra[d] =
        steps::RadiationOfHourAngle(omega[d], sinOmega[d], sinLatitude, cosLatitude,
                                    year.sinDeclination[d], year.cosDeclination[d], year.scale[d]);
  }
  return ra;
}

}  // namespace marovane
