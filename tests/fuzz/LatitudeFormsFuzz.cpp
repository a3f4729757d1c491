// SPDX-License-Identifier: GPL-3.0-or-later
// Both latitude conversions: decimal to degrees, minutes, seconds and back stays within the
// truncation and the rounding to 3 decimals, and so does the way round from the degree boxes.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"

namespace {

using namespace marovane;

// Truncating to whole seconds loses under a second; rounding to 3 decimals half a thousandth.
constexpr double kRoundTrip = 1.0 / 3600.0 + 0.0005 + 1e-5;

void CheckFromDecimal(std::string_view text) {
  const double value = LeadingNumber(text);
  if (!(static_cast<float>(value) >= -90.0f && static_cast<float>(value) <= 90.0f)) {
    return;  // the decimal box shows a message instead
  }
  const Dms dms = DecimalToDms(text);
  FUZZ_CHECK(dms.degrees >= 0 && dms.degrees <= 90);
  FUZZ_CHECK(dms.minutes >= 0 && dms.minutes <= 59 && dms.seconds >= 0 && dms.seconds <= 59);
  FUZZ_CHECK(dms.hemisphere == (dms.latitude > 0.0f ? "N" : "S"));
  const std::string back =
      DmsToDecimalText(std::to_string(dms.degrees), std::to_string(dms.minutes),
                       std::to_string(dms.seconds), dms.hemisphere);
  FUZZ_CHECK(IsNumeric(back));
  FUZZ_CHECK(std::fabs(LeadingNumber(back) - static_cast<double>(dms.latitude)) <= kRoundTrip);
}

void CheckFromDms(std::int16_t degrees, std::int16_t minutes, std::int16_t seconds, char ns) {
  const std::string text = DmsToDecimalText(std::to_string(degrees), std::to_string(minutes),
                                            std::to_string(seconds), std::string(1, ns));
  const double exact =
      (degrees + minutes / 60.0 + seconds / 3600.0) * (ns == 'S' || ns == 's' ? -1.0 : 1.0);
  FUZZ_CHECK(IsNumeric(text));
  FUZZ_CHECK(std::fabs(LeadingNumber(text) - exact) <= 0.0005 + 1e-5);
  if (std::fabs(exact) <= 89.9 && minutes < 60 && seconds < 60) {
    const Dms dms = DecimalToDms(text);
    const double again = dms.degrees + dms.minutes / 60.0 + dms.seconds / 3600.0;
    FUZZ_CHECK(std::fabs(again - std::fabs(exact)) <= kRoundTrip);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckFromDecimal(std::string_view(reinterpret_cast<const char*>(data), size));
  if (size >= 4) {
    // The degree boxes hold at most two digits each.
    CheckFromDms(static_cast<std::int16_t>(data[0] % 100), static_cast<std::int16_t>(data[1] % 100),
                 static_cast<std::int16_t>(data[2] % 100), static_cast<char>(data[3]));
  }
  return 0;
}
