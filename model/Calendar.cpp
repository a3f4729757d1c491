// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Calendar.hpp"

namespace marovane {

std::int16_t DekadLength(std::int16_t dekad) {
  switch (dekad) {
    case 3: case 9: case 15: case 21: case 24: case 30: case 36:
      return 11;
    case 6:
      return 8;
    default:
      return 10;
  }
}

std::int16_t MonthLength(std::int16_t month) {
  switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
      return 31;
    case 2:
      return 28;
    case 4: case 6: case 9: case 11:
      return 30;
    default:
      return 0;
  }
}

}  // namespace marovane
