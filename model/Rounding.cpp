// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Rounding.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace marovane {

double RoundTo3Decimals(double value) {
  if (!std::isfinite(value)) {
    return value;
  }
  // to_chars rounds the exact binary value, halves to even, as printf does; the fixed text
  // of a double needs at most 309 digits before the point.
  std::array<char, 400> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, 3);
  double rounded = 0.0;
  std::from_chars(buffer.data(), end, rounded, std::chars_format::fixed);
  return ec == std::errc{} ? rounded : value;
}

}  // namespace marovane
