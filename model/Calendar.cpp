// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Calendar.hpp"

namespace marovane {

std::int16_t DekadLength(std::int16_t dekad) {
  if (dekad < 1 || dekad > kDekadsInYear) {
    return 10;
  }
  const int month = (dekad - 1) / 3 + 1;
  return static_cast<std::int16_t>(MonthPartDays(kDekadParts,
                                                 static_cast<std::size_t>((dekad - 1) % 3),
                                                 MonthLength(static_cast<std::int16_t>(month))));
}

std::int16_t MonthLength(std::int16_t month) {
  switch (month) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12: return 31;
    case 2: return 28;
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    default: return 0;
  }
}

}  // namespace marovane
