// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Rounding.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace marovane {

namespace {

// Below this the thousandths n = round(value * 1000) stay under 2^53, where every step of the
// arithmetic below is exact; every table value lies far below it.
constexpr double kArithmeticLimit = 1e9;

// The rounding by text, for the rest: to_chars rounds the exact binary value, halves to even,
// as printf does; the fixed text of a double needs at most 309 digits before the point.
double RoundByText(double value) {
  std::array<char, 400> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, 3);
  double rounded = 0.0;
  std::from_chars(buffer.data(), end, rounded, std::chars_format::fixed);
  return ec == std::errc{} ? rounded : value;
}

}  // namespace

double RoundTo3Decimals(double value) {
  if (!std::isfinite(value)) {
    return value;
  }
  if (!(std::fabs(value) < kArithmeticLimit)) {
    return RoundByText(value);
  }
  // The exact product |value| x 1000 is t + e: t rounded, e its exact remainder by Dekker's
  // product (1000 needs no split; plain arithmetic, where a C library's fma may not be exact).
  // t - whole is exact, and t, whole and 1/2 are multiples of t's last place u, with
  // |e| <= u / 2; so the exact product lies above a half only when t's fraction does, or when
  // the fraction is exactly 1/2 and e > 0. A tie (e == 0) goes to the even number.
  const double magnitude = std::fabs(value);
  const double t = magnitude * 1000.0;
  const double split = magnitude * 134217729.0;  // 2^27 + 1: Veltkamp's split
  const double high = split - (split - magnitude);
  const double low = magnitude - high;
  const double e = (high * 1000.0 - t) + low * 1000.0;
  auto n = static_cast<std::int64_t>(t);  // t < 2^53: the whole part, exactly
  const double fraction = t - static_cast<double>(n);
  // Without branches: whether a value rounds up is as good as random.
  const bool up = (fraction > 0.5) | ((fraction == 0.5) & ((e > 0.0) | ((e == 0.0) & ((n & 1) != 0))));
  n += static_cast<std::int64_t>(up);
  // n and 1000 are exact doubles, so the division gives the double nearest to n / 1000, as
  // reading its decimal text does; the sign is the value's, -0.0001 giving -0.
  return std::copysign(static_cast<double>(n) / 1000.0, value);
}

}  // namespace marovane
