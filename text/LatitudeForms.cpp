// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/LatitudeForms.hpp"

#include <cmath>

#include "model/Rounding.hpp"
#include "text/NumberText.hpp"

namespace marovane {

namespace {

// The callers keep |latitude| <= 90, so these whole numbers fit 16 bits exactly; anything
// larger is held at the limit rather than overflowing.
std::int16_t AbsWhole(double whole) {
  return static_cast<std::int16_t>(std::fmin(std::fabs(whole), 32767.0));
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
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

LatitudeCheck CheckLatitudeArgument(std::string_view text, float& latitude) {
  if (const std::optional<std::string> decimal = DmsArgumentText(text)) {
    return CheckLatitudeText(*decimal, latitude);
  }
  return CheckLatitudeText(text, latitude);
}

std::optional<std::string> DmsArgumentText(std::string_view text) {
  std::string_view parts[3];
  std::size_t i = 0;
  for (int k = 0; k < 3; ++k) {
    const std::size_t start = i;
    while (i < text.size() && i - start < 2 && IsDigit(text[i])) {
      ++i;
    }
    if (i == start) {
      return std::nullopt;
    }
    parts[k] = text.substr(start, i - start);
    if (k < 2) {
      if (i >= text.size() || text[i] != ':') {
        return std::nullopt;
      }
      ++i;
    }
  }
  if (i + 1 != text.size() || std::string_view("NnSs").find(text[i]) == std::string_view::npos) {
    return std::nullopt;
  }
  return DmsToDecimalText(parts[0], parts[1], parts[2], text.substr(i));
}

std::string_view LatitudeCheckMessage(LatitudeCheck check) {
  switch (check) {
    case LatitudeCheck::NotNumeric: return "One of the inputs is not numeric!";
    case LatitudeCheck::OutOfRange:
      return "Latitude of your location should be between -90\u00b0 and +90\u00b0.";
    case LatitudeCheck::Valid: break;
  }
  return {};
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
