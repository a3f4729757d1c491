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
  std::array<double, kDays> polarLimit{};  // a single, widened
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
    t.polarLimit[d] = static_cast<double>(steps::PolarLimit(t.declination[d]));
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
  const double phi = std::fabs(static_cast<double>(latitude));

  // The arctangent's argument of the general case, -t1 t2 / sqrt(r), for every day.
  std::array<double, kDays> argument{};
  std::array<double, kDays> radicand{};
  for (std::size_t d = 1; d < kDays; ++d) {
    const double t2 = year.tanDeclination[d];
    const double r0 = 1.0 - t1 * t1 * t2 * t2;
    const double r = r0 < 0.0 ? 0.000001 : r0;
    radicand[d] = r;
    argument[d] = (-t1 * t2) / std::sqrt(r);
  }
  // The sunset hour angle: polar day or night, the limit of the formula where r is 0, or the
  // arctangent.
  std::array<double, kDays> hourAngle{};
  for (std::size_t d = 1; d < kDays; ++d) {
    if (phi > year.polarLimit[d]) {
      hourAngle[d] = steps::PolarHourAngle(latitude, year.declination[d]);
    } else if (radicand[d] == 0.0) {
      hourAngle[d] = t1 * year.tanDeclination[d] > 0.0 ? kPi : 0.0;
    } else {
      hourAngle[d] = kPi / 2.0 - std::atan(argument[d]);
    }
  }
  // The hour angle of the radiation formula, taken back from the single day length.
  std::array<double, kDays> omega{};
  for (std::size_t d = 1; d < kDays; ++d) {
    const auto dayLength = static_cast<float>((24.0 / kPi) * hourAngle[d]);
    omega[d] = static_cast<double>(static_cast<float>(static_cast<double>(dayLength) * kPi / 24.0));
  }
  std::array<double, kDays> sinOmega{};
  for (std::size_t d = 1; d < kDays; ++d) {
    sinOmega[d] = std::sin(omega[d]);
  }
  YearValues ra{};
  for (std::size_t d = 1; d < kDays; ++d) {
    const double s = omega[d] * sinLatitude * year.sinDeclination[d] +
                     year.cosDeclination[d] * cosLatitude * sinOmega[d];
    const double value = s * year.scale[d];
    ra[d] = value < 0.0 ? 0.0 : value;
  }
  return ra;
}

}  // namespace marovane
