// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/AnnualRadiation.hpp"

#include <cmath>
#include <cstdint>

#include "model/Calendar.hpp"
#include "model/Radiation.hpp"
#include "model/RadiationSteps.hpp"

namespace marovane {

namespace {

struct DayTerms {
  double declination = 0.0;
  float polarLimit = 0.0f;
  double tanDeclination = 0.0;
  double sinDeclination = 0.0;
  double cosDeclination = 0.0;
  double scale = 0.0;
};

using YearTerms = std::array<DayTerms, kDaysInYear + 1>;

YearTerms MakeYearTerms() {
  YearTerms terms{};
  for (std::int16_t day = 1; day <= kDaysInYear; ++day) {
    DayTerms& t = terms[static_cast<std::size_t>(day)];
    t.declination = SolarDeclination(day);
    t.polarLimit = steps::PolarLimit(t.declination);
    t.tanDeclination = std::tan(t.declination);
    t.sinDeclination = std::sin(t.declination);
    t.cosDeclination = std::cos(t.declination);
    t.scale = steps::RadiationScale(InverseRelativeDistance(day));
  }
  return terms;
}

}  // namespace

YearValues AnnualRadiation(float latitude) {
  static const YearTerms year = MakeYearTerms();

  const auto latitudeRad = static_cast<double>(DegToRad(latitude));
  const double tanLatitude = std::tan(latitudeRad);
  const double sinLatitude = std::sin(latitudeRad);
  const double cosLatitude = std::cos(latitudeRad);

  YearValues ra{};
  for (std::size_t day = 1; day <= kDaysInYear; ++day) {
    const DayTerms& t = year[day];
    const double hourAngle = steps::IsPolar(latitude, t.polarLimit)
                                 ? steps::PolarHourAngle(latitude, t.declination)
                                 : steps::GeneralHourAngle(tanLatitude, t.tanDeclination);
    ra[day] = steps::RadiationFromDayLength(steps::DayLengthFromHourAngle(hourAngle),
                                            sinLatitude, cosLatitude, t.sinDeclination,
                                            t.cosDeclination, t.scale);
  }
  return ra;
}

}  // namespace marovane
