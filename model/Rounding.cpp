// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Rounding.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

#include "model/DecimalText.hpp"

namespace marovane {

namespace {

// Below this the thousandths n = round(value * 1000) stay under 2^52, where every step of the
// arithmetic below is exact; every table value lies far below it.
constexpr double kArithmeticLimit = 1e9;

// The rounding by text, for the rest: to_chars rounds the exact binary value, halves to even,
// as printf does; the fixed text of a double needs at most 309 digits before the point.
double RoundByText(double value) {
  if (!std::isfinite(value)) {
    return value;
  }
  std::array<char, 400> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, 3);
  return ec == std::errc{} ? DecimalValue(std::string_view(
                                 buffer.data(), static_cast<std::size_t>(end - buffer.data())))
                           : value;
}

bool Arithmetic(double value) {
  return std::fabs(value) < kArithmeticLimit;
}

// The rounding of a value below kArithmeticLimit, in plain double arithmetic with no branch,
// so that a loop of it runs in vector instructions.
//
// The exact product |value| x 1000 is t + e: t rounded, e its exact remainder by Dekker's
// product (1000 needs no split; an fma would do, but a C library's fma is not always exact).
// r is t rounded to a whole number, halves to even ((t + 2^52) - 2^52, exact for t < 2^52),
// and f = t - r is exact, -1/2..1/2. t, r and 1/2 are multiples of t's last place u, and
// |e| <= u / 2: so where |f| < 1/2 the exact product rounds to r as well, and where f is
// +-1/2 the sign of e decides; e == 0 is a true tie, which r already settles to even.
double RoundedArithmetically(double value) {
  constexpr double kWhole = 4503599627370496.0;  // 2^52
  const double magnitude = std::fabs(value);
  const double t = magnitude * 1000.0;
  const double split = magnitude * 134217729.0;  // 2^27 + 1: Veltkamp's split
  const double high = split - (split - magnitude);
  const double low = magnitude - high;
  const double e = (high * 1000.0 - t) + low * 1000.0;
  const double r = (t + kWhole) - kWhole;
  const double f = t - r;
  const double up = ((f == 0.5) & (e > 0.0)) ? 1.0 : 0.0;
  const double down = ((f == -0.5) & (e < 0.0)) ? 1.0 : 0.0;
  // n and 1000 are exact doubles, so the division gives the double nearest to n / 1000, as
  // reading its decimal text does; the sign is the value's, -0.0001 giving -0.
  return std::copysign(((r + up) - down) / 1000.0, value);
}

}  // namespace

double RoundTo3Decimals(double value) {
  return Arithmetic(value) ? RoundedArithmetically(value) : RoundByText(value);
}

void RoundEachTo3Decimals(double* values, std::size_t count) {
  bool others = false;
  for (std::size_t i = 0; i < count; ++i) {
    const double value = values[i];
    const bool arithmetic = Arithmetic(value);
    others |= !arithmetic;
    values[i] = arithmetic ? RoundedArithmetically(value) : value;
  }
  if (others) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!Arithmetic(values[i])) {
        values[i] = RoundByText(values[i]);
      }
    }
  }
}

}  // namespace marovane
