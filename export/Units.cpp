// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Units.hpp"

#include "model/Calendar.hpp"

namespace marovane {

namespace {
// Millimetres of water evaporated by one MJ/m^2.
constexpr double kMmPerMJ = 0.408;
}  // namespace

std::string_view UnitLabel(std::int16_t unit) {
  switch (unit) {
    case unit::kMJPerM2Day: return "MJ/m^2/day";
    case unit::kJPerCm2Day: return "J/cm^2/day";
    case unit::kCalPerCm2Day: return "cal/cm^2/day";
    case unit::kWPerM2: return "W/m^2";
    case unit::kMmPerDay: return "mm/day";
    case unit::kMJPerM2Dekad: return "MJ/m^2/dekad";
    case unit::kMmPerDekad: return "mm/dekad";
    default: return "";
  }
}

double UnitFactor(std::int16_t unit, std::int16_t period) {
  switch (unit) {
    case unit::kMJPerM2Day: return 1.0;
    case unit::kJPerCm2Day: return 100.0;
    case unit::kCalPerCm2Day: return 23.9;
    case unit::kWPerM2: return 11.6;
    case unit::kMmPerDay: return kMmPerMJ;
    case unit::kMJPerM2Dekad: return static_cast<double>(DekadLength(period));
    case unit::kMmPerDekad: return static_cast<double>(DekadLength(period)) * kMmPerMJ;
    default: return 0.0;
  }
}

}  // namespace marovane
