// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

// The output units. Codes are those of the unit buttons, top to bottom; every place that reads
// a code accepts the plain number too.
namespace marovane {

namespace unit {
inline constexpr std::int16_t kMJPerM2Day = 1;
inline constexpr std::int16_t kJPerCm2Day = 2;
inline constexpr std::int16_t kCalPerCm2Day = 3;
inline constexpr std::int16_t kWPerM2 = 4;
inline constexpr std::int16_t kMmPerDay = 5;
inline constexpr std::int16_t kMJPerM2Dekad = 6;
inline constexpr std::int16_t kMmPerDekad = 7;
inline constexpr std::int16_t kFirst = 1;
inline constexpr std::int16_t kLast = 7;
}  // namespace unit

// The unit's label as it ends the header line ("MJ/m^2/day", ...); empty for an unknown code.
std::string_view UnitLabel(std::int16_t unit);

// The factor that turns a value in MJ/m^2/day into `unit`. The per-dekad units (6, 7) turn a
// mean daily value into the total over dekad number `period`; every other unit ignores it.
// 0 for an unknown code.
double UnitFactor(std::int16_t unit, std::int16_t period);

}  // namespace marovane
