// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/LatitudeForms.hpp"

#include <cmath>

#include "text/NumberText.hpp"

namespace marovane {

namespace {

// The callers keep |latitude| <= 90, so these whole numbers fit 16 bits exactly; anything
// larger is held at the limit rather than overflowing.
std::int16_t AbsWhole(double whole) {
  return static_cast<std::int16_t>(std::fmin(std::fabs(whole), 32767.0));
}

}  // namespace

Dms DecimalToDms(std::string_view decimalText) {
  Dms dms;
  dms.latitude = static_cast<float>(LeadingNumber(decimalText));
  dms.hemisphere.assign(1, dms.latitude > 0.0f ? 'N' : 'S');
  // Every step is exact in double on the single value, so truncation never rounds up.
  const auto lat = static_cast<double>(dms.latitude);
  const double t = (lat - std::trunc(lat)) * 60.0;
  dms.degrees = AbsWhole(std::trunc(lat));
  dms.minutes = AbsWhole(std::trunc(t));
  dms.seconds = AbsWhole(std::trunc((t - std::trunc(t)) * 60.0));
  return dms;
}

LatitudeCheck CheckLatitudeText(std::string_view text, float& latitude) {
  const std::optional<double> value = NumericValue(text);
  if (!value) {
    return LatitudeCheck::NotNumeric;
  }
  if (!IsLatitudeInRange(*value)) {
    return LatitudeCheck::OutOfRange;
  }
  latitude = static_cast<float>(*value);
  return LatitudeCheck::Valid;
}

std::string DmsToDecimalText(std::string_view degrees, std::string_view minutes,
                             std::string_view seconds, std::string_view hemisphere) {
  const double m = LeadingNumber(minutes);
  const double s = LeadingNumber(seconds);
  const double g = LeadingNumber(degrees);
  auto v = static_cast<float>((g + m / 60.0) + s / 3600.0);
  if (!hemisphere.empty() && (hemisphere.front() == 'S' || hemisphere.front() == 's')) {
    v = -v;
  }
  const auto rounded = static_cast<float>(RoundTo3Decimals(static_cast<double>(v)));
  return SingleText(rounded);
}

}  // namespace marovane
